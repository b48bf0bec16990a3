#include "gui/profiles/avatarFile.h"

#include <sys/stat.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "model/imImage.h"
#include "model/log.h"
#include "model/regularFile.h"
#include "model/temporaryFile.h"

namespace avatarfile {

namespace {

uint32_t BigEndian32(const unsigned char* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }
int BigEndian16(const unsigned char* p) { return p[0] << 8 | p[1]; }
int LittleEndian16(const unsigned char* p) { return p[0] | p[1] << 8; }

Result CheckSize(int64_t width, int64_t height) {
  if (width <= 0 || height <= 0) return Result::kUnreadable;
  if (width > kMaxSide || height > kMaxSide || width * height > kMaxPixels) return Result::kTooLarge;
  return Result::kOk;
}

// The signature, then the IHDR chunk first with its width and height.
Result MeasurePng(const unsigned char* bytes, size_t size, Measure* measure) {
  if (size < 24 || BigEndian32(bytes + 8) != 13 || memcmp(bytes + 12, "IHDR", 4) != 0) return Result::kUnreadable;
  const uint32_t width = BigEndian32(bytes + 16), height = BigEndian32(bytes + 20);
  measure->type = wxBITMAP_TYPE_PNG;
  measure->width = width > uint32_t(kMaxSide) ? kMaxSide + 1 : int(width);
  measure->height = height > uint32_t(kMaxSide) ? kMaxSide + 1 : int(height);
  return CheckSize(measure->width, measure->height);
}

// The segments up to the first start-of-frame, which carries the height and the width.
Result MeasureJpeg(const unsigned char* bytes, size_t size, Measure* measure) {
  size_t at = 2;
  while (at + 4 <= size) {
    if (bytes[at] != 0xFF) return Result::kUnreadable;
    const unsigned char marker = bytes[at + 1];
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const size_t length = size_t(BigEndian16(bytes + at + 2));
    if (length < 2) return Result::kUnreadable;
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (at + 9 > size || length < 7) return Result::kUnreadable;
      measure->type = wxBITMAP_TYPE_JPEG;
      measure->height = BigEndian16(bytes + at + 5);
      measure->width = BigEndian16(bytes + at + 7);
      return CheckSize(measure->width, measure->height);
    }
    if (marker == 0xD9 || marker == 0xDA) return Result::kUnreadable;  // no frame before the data
    at += 2 + length;
  }
  return Result::kUnreadable;
}

// Walks a GIF's blocks to its end marker; each picture's size is checked, and the first picture
// (with the extensions before it) is kept so that it alone is decoded.
class GifWalk {
 public:
  GifWalk(const unsigned char* bytes, size_t size) : m_bytes(bytes), m_size(size) {}

  Result Run(Measure* measure, std::string* firstPicture) {
    if (m_size < 13) return Result::kUnreadable;
    // The screen the pictures are drawn on is no larger than a picture may be.
    const Result screen = CheckSize(LittleEndian16(m_bytes + 6), LittleEndian16(m_bytes + 8));
    if (screen != Result::kOk) return screen;
    m_at = 13 + ColourTable(m_bytes[10]);
    if (m_at > m_size) return Result::kUnreadable;
    const size_t headerEnd = m_at;
    size_t blockStart = m_at, firstStart = 0, firstEnd = 0;
    while (m_at < m_size) {
      const unsigned char kind = m_bytes[m_at];
      if (kind == 0x3B) {
        if (firstEnd == 0) return Result::kUnreadable;
        if (firstPicture) {
          firstPicture->assign(reinterpret_cast<const char*>(m_bytes), headerEnd);
          firstPicture->append(reinterpret_cast<const char*>(m_bytes) + firstStart, firstEnd - firstStart);
          firstPicture->push_back(char(0x3B));
        }
        return Result::kOk;
      }
      if (kind == 0x21) {
        if (m_at + 2 > m_size) return Result::kUnreadable;
        m_at += 2;
        if (!SubBlocks()) return Result::kUnreadable;
      } else if (kind == 0x2C) {
        const Result picture = Picture(firstEnd == 0 ? measure : nullptr);
        if (picture != Result::kOk) return picture;
        if (firstEnd == 0) {
          firstStart = blockStart;
          firstEnd = m_at;
        }
      } else {
        return Result::kUnreadable;
      }
      // The extensions that come before a picture belong with it.
      if (kind == 0x2C) blockStart = m_at;
    }
    return Result::kUnreadable;  // cut short: no end marker
  }

 private:
  static size_t ColourTable(unsigned char packed) { return (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0; }

  bool SubBlocks() {
    while (m_at < m_size) {
      const size_t length = m_bytes[m_at++];
      if (length == 0) return true;
      m_at += length;
    }
    return false;
  }

  Result Picture(Measure* measure) {
    if (m_at + 10 > m_size) return Result::kUnreadable;
    const unsigned char* d = m_bytes + m_at + 1;
    const int width = LittleEndian16(d + 4), height = LittleEndian16(d + 6);
    const Result size = CheckSize(width, height);
    if (size != Result::kOk) return size;
    if (measure) {
      measure->type = wxBITMAP_TYPE_GIF;
      measure->width = width;
      measure->height = height;
    }
    m_at += 10 + ColourTable(d[8]);
    // The code size of the compressed data: 2 to 8 bits in a well-formed file.
    if (m_at >= m_size || m_bytes[m_at] < 2 || m_bytes[m_at] > 8) return Result::kUnreadable;
    ++m_at;
    return SubBlocks() ? Result::kOk : Result::kUnreadable;
  }

  const unsigned char* m_bytes;
  size_t m_size;
  size_t m_at = 0;
};

bool ReadAll(const std::string& path, std::vector<unsigned char>* bytes, Result* result) {
  std::unique_ptr<FILE, int (*)(FILE*)> in(regularfile::OpenStream(path), fclose);
  struct stat info;
  if (!in || fstat(fileno(in.get()), &info) != 0 || !S_ISREG(info.st_mode)) {
    *result = Result::kUnreadable;
    return false;
  }
  if (info.st_size > kMaxFileBytes) {
    *result = Result::kTooLarge;
    return false;
  }
  // Read up to one byte over the limit: a file that grew since it was measured is refused too.
  bytes->resize(size_t(info.st_size) + 1);
  const size_t got = fread(bytes->data(), 1, bytes->size(), in.get());
  bytes->resize(got);
  if (got > size_t(kMaxFileBytes)) {
    *result = Result::kTooLarge;
    return false;
  }
  return true;
}

}  // namespace

Result MeasureBytes(const unsigned char* bytes, size_t size, Measure* measure, std::string* firstPicture) {
  static const unsigned char kPng[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (size >= 8 && memcmp(bytes, kPng, 8) == 0) return MeasurePng(bytes, size, measure);
  if (size >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF) return MeasureJpeg(bytes, size, measure);
  if (size >= 6 && (memcmp(bytes, "GIF87a", 6) == 0 || memcmp(bytes, "GIF89a", 6) == 0))
    return GifWalk(bytes, size).Run(measure, firstPicture);
  return Result::kUnknownType;
}

Result LoadFile(const std::string& path, wxImage* image) {
  TRACE_START_ARGS("%s", path.c_str());
  // A name that says no kind of picture is not opened; the bytes then say which kind it is.
  if (IMImage::GetBitmapType(path) == wxBITMAP_TYPE_INVALID) {
    TRACE_END_RESULT("unknown type");
    return Result::kUnknownType;
  }
  std::vector<unsigned char> bytes;
  Result result = Result::kOk;
  if (!ReadAll(path, &bytes, &result)) {
    TRACE_END_RESULT("%d", int(result));
    return result;
  }
  Measure measure;
  std::string firstPicture;
  result = MeasureBytes(bytes.data(), bytes.size(), &measure, &firstPicture);
  // Named a picture, it is none: it cannot be read as one.
  if (result == Result::kUnknownType) result = Result::kUnreadable;
  if (result != Result::kOk) {
    TRACE_END_RESULT("%d", int(result));
    return result;
  }
  // What the decoder has to say goes to the trace, not to the user or the server.
  wxLogNull quiet;
  const bool gif = measure.type == wxBITMAP_TYPE_GIF;
  wxMemoryInputStream in(gif ? static_cast<const void*>(firstPicture.data()) : bytes.data(),
                         gif ? firstPicture.size() : bytes.size());
  if (!image->LoadFile(in, measure.type) || !image->IsOk()) result = Result::kUnreadable;
  TRACE_END_RESULT("%d %dx%d", int(result), measure.width, measure.height);
  return result;
}

bool SavePng(const wxImage& picture, const std::string& path) {
  wxMemoryOutputStream out;
  if (!picture.IsOk() || !picture.SaveFile(out, wxBITMAP_TYPE_PNG)) return false;
  return ReplaceFile(path, out.GetOutputStreamBuffer()->GetBufferStart(), out.GetSize());
}

wxString Explain(Result result) {
  switch (result) {
    case Result::kOk: return wxString();
    case Result::kUnknownType: return _("Image format not recognised.");
    case Result::kTooLarge:
      return _("This picture is too large: choose a file of at most 16 MB, with at most 8192 pixels a side and 25 "
               "million pixels in all.");
    case Result::kUnreadable: break;
  }
  return _("Error while reading the image file.");
}

}  // namespace avatarfile
