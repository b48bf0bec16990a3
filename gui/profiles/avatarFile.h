// A picture file the user picks as a new avatar: read, measured from its own header before
// anything decodes it, and decoded only when it is a whole PNG, GIF or JPEG of a sensible size.
// The toolkit's decoders never see a file that is too large, of another kind, or (for GIF) cut
// short; of an animated GIF only the first picture is decoded.
#ifndef PARLAVOX_GUI_PROFILES_AVATARFILE_H
#define PARLAVOX_GUI_PROFILES_AVATARFILE_H

#include <wx/bitmap.h>
#include <wx/image.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace avatarfile {

// The largest file read, and the largest picture decoded: each side, and in all.
constexpr int64_t kMaxFileBytes = 16 * 1024 * 1024;
constexpr int kMaxSide = 8192;
constexpr int64_t kMaxPixels = 25 * 1000 * 1000;

enum class Result { kOk, kUnknownType, kUnreadable, kTooLarge };

// What the header of a picture says: its kind and size (for a GIF, of its first picture).
struct Measure {
  wxBitmapType type = wxBITMAP_TYPE_INVALID;
  int width = 0;
  int height = 0;
};

// Measures a picture from its bytes. kUnknownType when the bytes are no PNG, GIF or JPEG;
// kUnreadable when the header is cut short or broken (or a GIF does not run whole to its end);
// kTooLarge when a side or the pixel count (of any GIF picture) is over the limits. For a GIF,
// `firstPicture` (when given) gets a GIF made of its first picture alone.
Result MeasureBytes(const unsigned char* bytes, size_t size, Measure* measure, std::string* firstPicture = nullptr);

// Reads and decodes the file at `path` into `image` (see above). kUnknownType when the file's
// name has no picture extension (png, gif, jpg, jpeg); kUnreadable when its bytes are no
// picture; kTooLarge also for a file over kMaxFileBytes, which is not read at all.
Result LoadFile(const std::string& path, wxImage* image);

// Writes the picture as a PNG file at `path` (the sizes sent to the server wait there), by way of
// a new file renamed over whatever stood there: a named pipe or a link in its place is replaced,
// never opened for writing nor followed. False when it could not be written.
bool SavePng(const wxImage& picture, const std::string& path);

// The text the user is shown for a refused file.
wxString Explain(Result result);

}  // namespace avatarfile

#endif
