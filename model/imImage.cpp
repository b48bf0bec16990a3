#include "model/imImage.h"

#include <openssl/evp.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "model/config.h"
#include "model/imImageCache.h"
#include "model/log.h"
#include "model/regularFile.h"
#include "model/stringConversion.h"
#include "model/temporaryFile.h"

std::mutex IMImage::m_mutex;

const char* const IMImage::DEFAULT_AVATAR = "defaultavatar";
const char* const IMImage::AD_IMAGE = "__pub__";

namespace {

const unsigned int kHashLength = 20;
const char* const kWriteError = "Image::StoreImage : erreur d'écriture";
// Extensions in the order a base name is looked up, and in the order its files are removed.
const char* const kLookupOrder[] = {"png", "gif", "jpg"};
const char* const kRemoveOrder[] = {"png", "jpg", "gif"};

bool IsKnownType(t_image_type type) {
  return type == IMAGE_GIF || type == IMAGE_PNG || type == IMAGE_JPG;
}

const char* ExtensionOf(t_image_type type) {
  switch (type) {
    case IMAGE_GIF:
      return "gif";
    case IMAGE_JPG:
      return "jpg";
    default:
      return "png";
  }
}

wxBitmapType BitmapTypeOf(t_image_type type) {
  switch (type) {
    case IMAGE_GIF:
      return wxBITMAP_TYPE_GIF;
    case IMAGE_JPG:
      return wxBITMAP_TYPE_JPEG;
    default:
      return wxBITMAP_TYPE_PNG;
  }
}

// The bytes open with the signature of their type.
bool HasSignature(t_image_type type, const unsigned char* data, unsigned long length) {
  static const unsigned char png[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
  static const unsigned char jpg[] = {0xff, 0xd8, 0xff};
  switch (type) {
    case IMAGE_PNG:
      return length >= sizeof png && memcmp(data, png, sizeof png) == 0;
    case IMAGE_JPG:
      return length >= sizeof jpg && memcmp(data, jpg, sizeof jpg) == 0;
    case IMAGE_GIF:
      return length >= 6 && (memcmp(data, "GIF87a", 6) == 0 || memcmp(data, "GIF89a", 6) == 0);
    default:
      return false;
  }
}

// Largest image the store accepts, in pixels: far above any avatar, smiley or advertisement,
// and small enough that decoding one cannot exhaust memory.
const uint64_t kMaxPixels = 4096ull * 4096ull;

uint32_t BigEndian(const unsigned char* p, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
  return v;
}

// Width and height from a PNG's header chunk.
bool PngSize(const unsigned char* data, unsigned long length, uint64_t* w, uint64_t* h) {
  if (length < 24 || memcmp(data + 12, "IHDR", 4) != 0) return false;
  *w = BigEndian(data + 16, 4);
  *h = BigEndian(data + 20, 4);
  return true;
}

// The largest of a GIF's screen and frames: walks the blocks up to the trailer.
bool GifSize(const unsigned char* data, unsigned long length, uint64_t* w, uint64_t* h) {
  if (length < 13) return false;
  *w = data[6] | (data[7] << 8);
  *h = data[8] | (data[9] << 8);
  unsigned long pos = 13;
  if (data[10] & 0x80) pos += 3ul << ((data[10] & 7) + 1);
  auto skipSubBlocks = [&]() {
    while (pos < length && data[pos] != 0) pos += 1ul + data[pos];
    ++pos;
    return pos <= length;
  };
  bool frame = false;
  while (pos < length) {
    unsigned char block = data[pos];
    if (block == 0x3b) break;
    if (block == 0x21) {
      pos += 2;
      if (!skipSubBlocks()) return false;
    } else if (block == 0x2c) {
      if (pos + 10 > length) return false;
      const unsigned char* d = data + pos;
      *w = std::max<uint64_t>(*w, (d[5] | (d[6] << 8)) + (d[1] | (d[2] << 8)));
      *h = std::max<uint64_t>(*h, (d[7] | (d[8] << 8)) + (d[3] | (d[4] << 8)));
      if ((d[5] | (d[6] << 8)) == 0 || (d[7] | (d[8] << 8)) == 0) return false;
      pos += 10;
      if (d[9] & 0x80) pos += 3ul << ((d[9] & 7) + 1);
      pos += 1;  // code size
      if (!skipSubBlocks()) return false;
      frame = true;
    } else {
      return false;
    }
  }
  return frame;
}

// Width and height from a JPEG's start-of-frame segment.
bool JpegSize(const unsigned char* data, unsigned long length, uint64_t* w, uint64_t* h) {
  unsigned long pos = 2;
  while (pos + 4 <= length) {
    if (data[pos] != 0xff) return false;
    unsigned char marker = data[pos + 1];
    if (marker == 0xff) {
      ++pos;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd8)) {
      pos += 2;
      continue;
    }
    if (marker == 0xd9 || marker == 0xda) return false;
    unsigned long segment = BigEndian(data + pos + 2, 2);
    bool frame = marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
    if (frame) {
      if (segment < 7 || pos + 9 > length) return false;
      *h = BigEndian(data + pos + 5, 2);
      *w = BigEndian(data + pos + 7, 2);
      return true;
    }
    pos += 2 + segment;
  }
  return false;
}

// The bytes hold an image of their type of a sane size, and decode. When the decoder of that
// type is not installed (a program without image handlers), the header alone decides.
bool Decodes(t_image_type type, const unsigned char* data, unsigned long length) {
  if (!HasSignature(type, data, length)) return false;
  uint64_t w = 0;
  uint64_t h = 0;
  bool sized = type == IMAGE_PNG   ? PngSize(data, length, &w, &h)
               : type == IMAGE_GIF ? GifSize(data, length, &w, &h)
                                       : JpegSize(data, length, &w, &h);
  if (!sized || w == 0 || h == 0 || w > kMaxPixels || h > kMaxPixels || w * h > kMaxPixels) return false;
  wxBitmapType bitmapType = BitmapTypeOf(type);
  if (!wxImage::FindHandler(bitmapType)) return true;
  wxLogNull quiet;
  wxMemoryInputStream in(data, length);
  wxImage image;
  return image.LoadFile(in, bitmapType) && image.IsOk() && image.GetWidth() > 0 && image.GetHeight() > 0;
}

// Decodes the file at `path` (bytes, whatever their encoding) as an image of the given type.
wxBitmap LoadBitmap(const std::string& path, wxBitmapType type) {
  std::string bytes;
  if (!regularfile::ReadWhole(path, &bytes) || bytes.empty()) return wxBitmap();
  wxLogNull quiet;
  wxMemoryInputStream stream(bytes.data(), bytes.size());
  wxImage image;
  if (!image.LoadFile(stream, type) || !image.IsOk()) return wxBitmap();
  return wxBitmap(image);
}

void PaintPixel(wxImage& image, int x, int y, const wxColour& colour) {
  if (x < 0 || y < 0 || x >= image.GetWidth() || y >= image.GetHeight()) return;
  image.SetRGB(x, y, colour.Red(), colour.Green(), colour.Blue());
  // Drawn pixels are opaque, also where they fall on a transparent canvas.
  if (image.HasAlpha()) image.SetAlpha(x, y, wxIMAGE_ALPHA_OPAQUE);
}

// Paints the frame of the given thickness inside the image's edges.
wxBitmap Framed(const wxBitmap& bitmap, const wxColour& colour, int thickness) {
  if (!bitmap.IsOk()) return wxBitmap();
  wxImage image = bitmap.ConvertToImage();
  int w = image.GetWidth();
  int h = image.GetHeight();
  for (int t = 0; t < thickness; ++t) {
    for (int x = 0; x < w; ++x) {
      PaintPixel(image, x, t, colour);
      PaintPixel(image, x, h - 1 - t, colour);
    }
    for (int y = 0; y < h; ++y) {
      PaintPixel(image, t, y, colour);
      PaintPixel(image, w - 1 - t, y, colour);
    }
  }
  return wxBitmap(image);
}

// The bitmap framed, as drawn before when it was. The frame is a new bitmap: the one given,
// shared with whoever holds it, stays as it is.
wxBitmap FramedOnce(const wxBitmap& bitmap, const wxColour& colour, int thickness) {
  IMImageCache& cache = IMImageCache::Instance();
  wxBitmap framed;
  if (cache.FindFramed(bitmap, colour, thickness, &framed)) return framed;
  framed = Framed(bitmap, colour, thickness);
  if (framed.IsOk()) cache.RememberFramed(bitmap, colour, thickness, framed);
  return framed;
}

const char kIconPrefix[] = "extmessenger_";

bool StartsWith(const std::string& s, const char* prefix) { return s.compare(0, strlen(prefix), prefix) == 0; }

bool EndsWith(const std::string& s, const char* suffix) {
  size_t n = strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

// The login, used as a base name as it stands, could be (or, with "_s" or "@@" and a code
// after it, could become) the base name of a fixed image, an icon, a smiley, another login's
// avatar, or an encoded login. A login that is none of these keeps its name.
bool CouldNameAnotherImage(const std::string& login) {
  return login == IMImage::DEFAULT_AVATAR || login == IMImage::AD_IMAGE || EndsWith(login, "_s") ||
         EndsWith(login, "@") || login.find("@@") != std::string::npos || StartsWith(login, kIconPrefix) ||
         login == "extmessenger" || login.find('%') != std::string::npos;
}

}  // namespace

std::string IMImage::MessengerIconName(const std::string& protocol) {
  TRACE_STARTEND();
  return kIconPrefix + protocol;
}

std::string IMImage::StoreMessengerIcon(const std::string& protocol, const unsigned char* data,
                                        unsigned long length) {
  TRACE_START_ARGS("%s, %lu", protocol.c_str(), length);
  for (t_image_type type : {IMAGE_PNG, IMAGE_GIF, IMAGE_JPG}) {
    if (!data || !HasSignature(type, data, length)) continue;
    std::string path = StoreImage(MessengerIconName(protocol), type, data, length);
    TRACE_END_RESULT("%s", path.c_str());
    return path;
  }
  TRACE_ERROR("Image::StoreImage : icon of %s is neither gif, jpg nor png", protocol.c_str());
  TRACE_END();
  return "";
}

std::string IMImage::AvatarName(const std::string& login) {
  if (!CouldNameAnotherImage(login)) return login;
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (size_t i = 0; i < login.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(login[i]);
    if (i == 0 || c == '%' || c == '@' || c == '_') {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string IMImage::SmileyName(const std::string& login, const std::string& code) {
  TRACE_STARTEND();
  return AvatarName(login) + "@@" + code;
}

std::string IMImage::EncodeFileName(const std::string& base) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(base.size());
  for (size_t i = 0; i < base.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(base[i]);
    if (c == '/' || c == '\\' || c == '\0' || c == '%' || (i == 0 && c == '.')) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string IMImage::StoreAvatar(const std::string& login, bool small, t_image_type type,
                                 const unsigned char* data, unsigned long length) {
  TRACE_START_ARGS("%s, %d, %d, %lu", login.c_str(), small, type, length);
  // An empty login has no avatar (its small one would be named "_s").
  std::string base = AvatarName(login);
  std::string path = login.empty() ? "" : Store(small ? base + "_s" : base, type, data, length);
  TRACE_END();
  return path;
}

std::string IMImage::StoreImage(const std::string& name, t_image_type type, const unsigned char* data,
                                unsigned long length) {
  TRACE_START_ARGS("%s, %d, %lu", name.c_str(), type, length);
  std::string path = Store(name, type, data, length);
  TRACE_END();
  return path;
}

std::string IMImage::StoreSmiley(const std::string& login, const std::string& code, t_image_type type,
                                 const unsigned char* data, unsigned long length) {
  TRACE_START_ARGS("%s, %s, %d, %lu", login.c_str(), code.c_str(), type, length);
  std::string path = Store(SmileyName(login, code), type, data, length);
  TRACE_END();
  return path;
}

std::string IMImage::Store(const std::string& base, t_image_type type, const unsigned char* data,
                           unsigned long length) {
  TRACE_START_ARGS("%s", base.c_str());
  if (!IsKnownType(type)) {
    TRACE_ERROR("Image::StoreImage : unknown type %d", type);
    TRACE_END();
    return "";
  }
  if (base.empty() || !data || length == 0) {
    TRACE_ERROR("Image::StoreImage : empty name or image");
    TRACE_END();
    return "";
  }
  // Decoding runs before the lock: the bytes are the caller's, not a file of the store.
  if (!Decodes(type, data, length)) {
    TRACE_ERROR("Image::StoreImage : not a %s image", ExtensionOf(type));
    TRACE_END();
    return "";
  }

  // The bytes go to disk before the lock is taken; under it, the file only changes names.
  std::string directory = Config::GetUserPath();
  std::string written = WriteTemporaryFile(directory, ".imimage-", data, length);
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string extension = ExtensionOf(type);
  std::string stem = directory + EncodeFileName(base) + ".";
  std::string path = stem + extension;
  if (written.empty() || ::rename(written.c_str(), path.c_str()) != 0) {
    if (!written.empty()) ::unlink(written.c_str());
    TRACE_ERROR("%s", kWriteError);
    TRACE_END();
    return "";
  }
  // The new file is in place: only now do the files of the other types go.
  for (const char* other : kRemoveOrder) {
    if (extension != other) ::remove((stem + other).c_str());
  }
  IMImageCache::Instance().Forget(stem);
  TRACE_END_RESULT("%s", path.c_str());
  return path;
}

void IMImage::RemoveFiles(const std::string& base) {
  std::string stem = Config::GetUserPath() + EncodeFileName(base) + ".";
  for (const char* extension : kRemoveOrder) ::remove((stem + extension).c_str());
  IMImageCache::Instance().Forget(stem);
}

void IMImage::RemoveAvatar(const std::string& login, bool small, bool lock) {
  TRACE_START_ARGS("%s, %d, %d", login.c_str(), small, lock);
  std::unique_lock<std::mutex> guard(m_mutex, std::defer_lock);
  if (lock) guard.lock();
  std::string base = AvatarName(login);
  RemoveFiles(small ? base + "_s" : base);
  TRACE_END();
}

void IMImage::RemoveAvatarFiles(const std::string& login) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const std::string base = AvatarName(login);
  RemoveFiles(base);
  RemoveFiles(base + "_s");
}

void IMImage::RemoveImage(const std::string& name, bool lock) {
  TRACE_START_ARGS("%s, %d", name.c_str(), lock);
  std::unique_lock<std::mutex> guard(m_mutex, std::defer_lock);
  if (lock) guard.lock();
  RemoveFiles(name);
  TRACE_END();
}

std::string IMImage::FindStoredFile(const std::string& base) {
  const std::string directory = Config::GetUserPath();
  const std::string stem = directory + EncodeFileName(base) + ".";
  IMImageCache& cache = IMImageCache::Instance();
  std::string found;
  if (cache.FindPath(directory, stem, &found)) return found;
  for (const char* extension : kLookupOrder) {
    std::string path = stem + extension;
    if (FileExists(path)) {
      found = path;
      break;
    }
  }
  cache.RememberPath(directory, stem, found);
  return found;
}

// Asked for each picture an operation shows: the look-ups write no trace line, the operation does.
bool IMImage::HasImage(const std::string& name, bool small) {
  return !FindStoredFile(small ? name + "_s" : name).empty();
}

bool IMImage::FileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string IMImage::GetExtension(const std::string& name) {
  size_t dot = name.rfind('.');
  return dot == std::string::npos ? name : name.substr(dot + 1);
}

unsigned char* IMImage::GetImageBuffer(const std::string& path, t_image_type* type, unsigned long* length) {
  TRACE_START_ARGS("%s", path.c_str());
  std::lock_guard<std::mutex> lock(m_mutex);
  if (length) *length = 0;
  FILE* file = regularfile::OpenStream(path);
  if (!file) {
    TRACE_ERROR("END : file not found (%s)", path.c_str());
    return nullptr;
  }
  std::string extension = GetExtension(path);
  TRACE_INFO("type <%s>", extension.c_str());
  t_image_type found;
  if (extension == "png") {
    found = IMAGE_PNG;
  } else if (extension == "gif") {
    found = IMAGE_GIF;
  } else if (extension == "jpg") {
    found = IMAGE_JPG;
  } else {
    TRACE_ERROR("END (Unknown type)");
    fclose(file);
    return nullptr;
  }

  struct stat st;
  if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) {
    fclose(file);
    TRACE_INFO("END : erreur de lecture fichier");
    return nullptr;
  }
  unsigned long size = static_cast<unsigned long>(st.st_size);
  unsigned char* buffer = static_cast<unsigned char*>(malloc(size));
  if (!buffer) {
    TRACE_ERROR("END : erreur allocation mémoire");
    fclose(file);
    return nullptr;
  }
  unsigned long done = 0;
  while (done < size) {
    TRACE_INFO("read (%lu/%lu)", done, size);
    size_t n = fread(buffer + done, 1, size - done, file);
    TRACE_INFO("read %lu", static_cast<unsigned long>(n));
    if (n == 0) break;
    done += n;
  }
  fclose(file);
  if (done < size) {
    free(buffer);
    TRACE_INFO("END : erreur de lecture fichier");
    return nullptr;
  }
  if (type) *type = found;
  if (length) *length = size;
  TRACE_END();
  return buffer;
}

unsigned char* IMImage::GenerateHash(const std::string& name, bool small, unsigned int* length) {
  TRACE_START_ARGS("%s, %d", name.c_str(), small);
  unsigned char* result = static_cast<unsigned char*>(calloc(kHashLength, 1));
  if (length) *length = kHashLength;
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string path = FindStoredFile(small ? name + "_s" : name);
  if (path.empty()) {
    TRACE_END_RESULT("not found");
    return result;
  }
  FILE* file = regularfile::OpenStream(path);
  if (!file) {
    TRACE_ERROR("END : file not found (%s)", path.c_str());
    return result;
  }
  EVP_MD_CTX* context = EVP_MD_CTX_new();
  bool ok = context && EVP_DigestInit_ex(context, EVP_sha1(), nullptr) == 1;
  std::vector<unsigned char> chunk(64 * 1024);
  while (ok) {
    size_t n = fread(chunk.data(), 1, chunk.size(), file);
    if (n > 0 && EVP_DigestUpdate(context, chunk.data(), n) != 1) ok = false;
    if (n < chunk.size()) {
      if (ferror(file)) ok = false;
      break;
    }
  }
  fclose(file);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digestLength = 0;
  if (ok && EVP_DigestFinal_ex(context, digest, &digestLength) == 1 && digestLength == kHashLength) {
    if (result) memcpy(result, digest, kHashLength);
    TRACE_END();
  } else {
    TRACE_ERROR("END : erreur de lecture fichier (%s)", path.c_str());
  }
  EVP_MD_CTX_free(context);
  return result;
}

wxBitmapType IMImage::GetBitmapType(const std::string& fileName) {
  std::string extension = AsciiLower(GetExtension(fileName));
  if (extension == "gif") return wxBITMAP_TYPE_GIF;
  if (extension == "jpg" || extension == "jpeg") return wxBITMAP_TYPE_JPEG;
  if (extension == "png") return wxBITMAP_TYPE_PNG;
  return wxBITMAP_TYPE_INVALID;
}

wxBitmap IMImage::GetImage(const std::string& name, bool small) {
  TRACE_START_ARGS("%s, %d", name.c_str(), small);
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string path = FindStoredFile(small ? name + "_s" : name);
  wxBitmap bitmap;
  if (path.empty()) {
    TRACE_END_RESULT("not found");
    return bitmap;
  }
  IMImageCache& cache = IMImageCache::Instance();
  if (cache.FindBitmap(path, &bitmap)) {
    TRACE_END_RESULT("found");
    return bitmap;
  }
  bitmap = LoadBitmap(path, GetBitmapType(path));
  if (!bitmap.IsOk()) {
    TRACE_ERROR("END : cannot decode %s", path.c_str());
    return bitmap;
  }
  cache.RememberBitmap(path, bitmap);
  TRACE_END_RESULT("found");
  return bitmap;
}

wxBitmap IMImage::GetSmallAvatarFromBig(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  wxBitmap bitmap = GetImage(AvatarName(login), false);
  if (bitmap.IsOk()) {
    wxImage image = bitmap.ConvertToImage();
    image.Rescale(24, 24, wxIMAGE_QUALITY_HIGH);
    bitmap = wxBitmap(image);
  }
  TRACE_END();
  return bitmap;
}

namespace {

// The default avatar as last decoded, in both sizes, and the file it came from as it stood then:
// a list of thousands of contacts without an avatar of their own asks for it at every row.
struct DefaultAvatarCache {
  std::mutex mutex;
  std::string source;
  wxBitmap pictures[2];
};

DefaultAvatarCache& DefaultAvatars() {
  static DefaultAvatarCache cache;
  return cache;
}

// A file's path with its inode, size and time of change: another picture stored there reads otherwise.
std::string FileStamp(const std::string& path) {
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return path;
  return path + "|" + std::to_string(st.st_ino) + "|" + std::to_string(st.st_size) + "|" +
         std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec);
}

}  // namespace

// Asked for at every avatar of a person without one of their own: no trace line.
wxBitmap IMImage::GetDefaultAvatar(bool small) {
  const std::string own = Config::GetImagePath("defaultavatar.png");
  const std::string source = FileStamp(FindStoredFile(DEFAULT_AVATAR)) + "/" + FileStamp(own);
  DefaultAvatarCache& cache = DefaultAvatars();
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (cache.source != source) {
    cache.source = source;
    cache.pictures[0] = cache.pictures[1] = wxBitmap();
  }
  wxBitmap& bitmap = cache.pictures[small ? 1 : 0];
  if (!bitmap.IsOk()) {
    if (HasImage(DEFAULT_AVATAR, false)) bitmap = GetImage(DEFAULT_AVATAR, false);
    if (!bitmap.IsOk()) bitmap = LoadBitmap(own, wxBITMAP_TYPE_PNG);
    if (small && bitmap.IsOk()) {
      wxImage image = bitmap.ConvertToImage();
      image.Rescale(24, 24, wxIMAGE_QUALITY_HIGH);
      bitmap = wxBitmap(image);
    }
  }
  return bitmap;
}

wxBitmap IMImage::ResizeBitmap(const wxBitmap& bitmap, const wxSize& box, bool padScaled, bool padSmall) {
  // A bitmap that fits stays as it is, with no trace: every avatar shown asks.
  if (!bitmap.IsOk() || box.GetWidth() <= 0 || box.GetHeight() <= 0) return bitmap;
  const int w = bitmap.GetWidth();
  const int h = bitmap.GetHeight();
  const int bw = box.GetWidth();
  const int bh = box.GetHeight();
  const bool fits = w <= bw && h <= bh;
  if (fits && (!padSmall || (w == bw && h == bh))) return bitmap;
  TRACE_START_ARGS("%d, %d, %d, %d", bw, bh, padScaled, padSmall);
  wxImage image = bitmap.ConvertToImage();
  if (!fits) {
    int nw;
    int nh;
    // The side that overflows the box more is fitted to it; in a square box, the longer side.
    if (static_cast<long long>(w) * bh > static_cast<long long>(h) * bw) {
      nw = bw;
      nh = static_cast<int>(static_cast<long long>(h) * bw / w);
    } else {
      nh = bh;
      nw = static_cast<int>(static_cast<long long>(w) * bh / h);
    }
    // A very thin bitmap keeps at least one pixel across.
    nw = std::max(nw, 1);
    nh = std::max(nh, 1);
    image.Rescale(nw, nh, wxIMAGE_QUALITY_HIGH);
    if (padScaled) image.Resize(box, wxPoint((bw - nw) / 2, (bh - nh) / 2));
  } else {
    image.Resize(box, wxPoint((bw - w) / 2, (bh - h) / 2));
  }
  TRACE_END();
  return wxBitmap(image);
}

// Every avatar shown is framed: the frames are drawn once a bitmap and colour, without a trace.
wxBitmap IMImage::DrawBorder(const wxBitmap& bitmap, const wxColour& colour) { return FramedOnce(bitmap, colour, 1); }

wxBitmap IMImage::DrawThickBorder(const wxBitmap& bitmap, const wxColour& colour) {
  return FramedOnce(bitmap, colour, 2);
}

wxBitmap IMImage::DrawCross(const wxBitmap& bitmap, const wxColour& colour) {
  TRACE_START();
  if (!bitmap.IsOk()) {
    TRACE_END();
    return wxBitmap();
  }
  wxImage image = bitmap.ConvertToImage();
  const int w = image.GetWidth();
  const int h = image.GetHeight();
  // Both diagonals, corner to corner; on a square image exactly the pixels (i, i) and
  // (w - 1 - i, i). A longer side sets the number of steps so the lines have no gaps.
  const int steps = std::max(w, h);
  for (int i = 0; i < steps; ++i) {
    int x = steps > 1 ? static_cast<int>(static_cast<long long>(i) * (w - 1) / (steps - 1)) : 0;
    int y = steps > 1 ? static_cast<int>(static_cast<long long>(i) * (h - 1) / (steps - 1)) : 0;
    PaintPixel(image, x, y, colour);
    PaintPixel(image, w - 1 - x, y, colour);
  }
  TRACE_END();
  return wxBitmap(image);
}
