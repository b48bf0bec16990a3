#include "gui/wavFile.h"

#include <algorithm>
#include <fstream>

namespace {

uint32_t Le32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
         uint32_t(uint8_t(s[at + 3])) << 24;
}

uint32_t Le16(const std::string& s, size_t at) { return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8; }

constexpr size_t kMaxFile = 16 * 1024 * 1024;

}  // namespace

bool WavFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string file;
  file.resize(kMaxFile + 1);
  in.read(&file[0], std::streamsize(file.size()));
  file.resize(size_t(in.gcount()));
  if (file.size() > kMaxFile || file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, "WAVE") != 0)
    return false;
  bool haveFormat = false;
  // Chunks follow one another, each padded to an even length.
  for (size_t at = 12; at + 8 <= file.size();) {
    const std::string id = file.substr(at, 4);
    const size_t length = Le32(file, at + 4);
    const size_t body = at + 8;
    if (length > file.size() - body) {
      if (id != "data" || !haveFormat) return false;
    }
    const size_t available = std::min(length, file.size() - body);
    if (id == "fmt ") {
      if (available < 16 || Le16(file, body) != 1) return false;  // PCM only
      channels = int(Le16(file, body + 2));
      rate = Le32(file, body + 4);
      bitsPerSample = int(Le16(file, body + 14));
      if (channels < 1 || channels > 8 || rate < 1 || rate > 384000 || (bitsPerSample != 8 && bitsPerSample != 16))
        return false;
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) return false;
      const size_t frame = size_t(channels) * size_t(bitsPerSample / 8);
      samples = file.substr(body, available - available % frame);
      return !samples.empty();
    }
    at = body + length + (length & 1);
  }
  return false;
}
