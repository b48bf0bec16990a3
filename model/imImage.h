// The image store: images received from the network kept as files in the user directory, given
// back as bitmaps or raw bytes, with their SHA-1 digests and the bitmap helpers used on avatars.
#ifndef PARLAVOX_MODEL_IMIMAGE_H
#define PARLAVOX_MODEL_IMIMAGE_H

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/gdicmn.h>

#include <mutex>
#include <string>

#include "model/typeImage.h"

// Every image has a base name; the reads (HasImage, GetImage, GenerateHash, RemoveImage) take
// base names, formed by the names below: a contact's small avatar is GetImage(AvatarName(login),
// true). Logins, smiley codes and protocol ids come from the network, and no choice of them
// gives one image the base name of another: a login goes through AvatarName first.
// Which file holds a base name, the bitmaps decoded and their frames are remembered between
// reads (model/imImageCache.h); whatever the store writes or removes shows at the next read.
class IMImage {
 public:
  // Base names of the images the server sends, stored with StoreImage.
  static const char* const DEFAULT_AVATAR;  // "defaultavatar"
  static const char* const AD_IMAGE;        // "__pub__"
  // Base name of the icon of an external messenger protocol: "extmessenger_" + protocol id.
  static std::string MessengerIconName(const std::string& protocol);
  // Stores a protocol's icon under MessengerIconName, as a gif, jpg or png image, the type told
  // by the bytes' own signature (the server does not name it); "" when it is none of the three.
  static std::string StoreMessengerIcon(const std::string& protocol, const unsigned char* data,
                                        unsigned long length);
  // Base name of a login's avatar ("_s" appended for the small one): the login itself, unless
  // the login could be read as another image's name (a fixed name, a name ending in "_s",
  // holding "@@" or ending in '@', starting with "extmessenger_", or holding '%'); such a login
  // is percent-encoded, its first byte and every '%', '@' and '_' included.
  static std::string AvatarName(const std::string& login);
  // Base name of a custom smiley: the sender's avatar name, "@@", the smiley's code.
  static std::string SmileyName(const std::string& login, const std::string& code);

  // Storing replaces every file of the base name and returns the full path of the new file, or
  // an empty string when the image is refused (unknown type, no bytes, bytes that do not decode
  // as the type) or cannot be written; the old file then stays. StoreAvatar and StoreSmiley take
  // logins; StoreImage takes a base name. The controller stores the avatars it is sent through
  // model/strangerAvatars.h, which keeps those of logins that are no contact within a bound.
  static std::string StoreAvatar(const std::string& login, bool small, t_image_type type,
                                 const unsigned char* data, unsigned long length);
  static std::string StoreImage(const std::string& name, t_image_type type, const unsigned char* data,
                                unsigned long length);
  static std::string StoreSmiley(const std::string& login, const std::string& code, t_image_type type,
                                 const unsigned char* data, unsigned long length);

  // Remove the ".png", ".jpg" and ".gif" files of a login's avatar, or of a base name. Pass lock
  // false when the store's mutex is already held.
  static void RemoveAvatar(const std::string& login, bool small, bool lock);
  static void RemoveImage(const std::string& name, bool lock);
  // Removes the files of both sizes of a login's avatar, under the store's mutex, and writes no
  // trace line: for the avatars of many logins at once, which the caller traces together.
  static void RemoveAvatarFiles(const std::string& login);

  // A stored file of the base name (followed by "_s" when small) exists.
  static bool HasImage(const std::string& name, bool small);
  // The path exists and is a regular file.
  static bool FileExists(const std::string& path);
  // The text after the last '.', or the whole name when it has none.
  static std::string GetExtension(const std::string& name);

  // The bytes of a stored file, in a buffer from malloc that the caller frees; null when the file
  // cannot be read, is empty, or its extension is not exactly "png", "gif" or "jpg".
  static unsigned char* GetImageBuffer(const std::string& path, t_image_type* type, unsigned long* length);
  // The 20-byte SHA-1 digest of the stored file of the base name (with "_s" when small), in a
  // buffer from malloc that the caller frees; 20 zero bytes when no file can be read. Never null.
  static unsigned char* GenerateHash(const std::string& name, bool small, unsigned int* length);

  // The bitmap type for a file name's extension, case-insensitive; wxBITMAP_TYPE_INVALID when the
  // extension names no image type.
  static wxBitmapType GetBitmapType(const std::string& fileName);
  // The stored image of the base name; an invalid bitmap when there is none or it does not decode.
  static wxBitmap GetImage(const std::string& name, bool small);
  // The large avatar scaled to 24 by 24.
  static wxBitmap GetSmallAvatarFromBig(const std::string& login);
  // The stored default avatar, else the program's own; 24 by 24 when small.
  static wxBitmap GetDefaultAvatar(bool small);

  // Scales a bitmap larger than the box down into it, keeping its aspect ratio. padScaled puts a
  // scaled bitmap in the middle of a transparent canvas of the box's size; padSmall does the same
  // for a bitmap that already fits.
  static wxBitmap ResizeBitmap(const wxBitmap& bitmap, const wxSize& box, bool padScaled, bool padSmall);
  // New bitmaps with a one-pixel frame, a two-pixel frame, or both diagonals drawn opaque.
  static wxBitmap DrawBorder(const wxBitmap& bitmap, const wxColour& colour);
  static wxBitmap DrawThickBorder(const wxBitmap& bitmap, const wxColour& colour);
  static wxBitmap DrawCross(const wxBitmap& bitmap, const wxColour& colour);

  // The file name under which a base name is stored: bytes that could leave the user directory
  // or hide the file ('/', '\\', NUL, '%', and a leading '.') are written as "%XX"; every other
  // name, logins among them, stays as it is.
  static std::string EncodeFileName(const std::string& base);

 private:
  IMImage() = delete;
  static std::string Store(const std::string& base, t_image_type type, const unsigned char* data,
                           unsigned long length);
  static void RemoveFiles(const std::string& base);
  static std::string FindStoredFile(const std::string& base);

  // Serialises the stores and reads of image files; not recursive.
  static std::mutex m_mutex;
};

#endif
