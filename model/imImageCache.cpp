#include "model/imImageCache.h"

#include <time.h>

namespace {

// File system clocks move in ticks of a few milliseconds: a change this recent may be followed
// by another one that leaves the same times.
const long long kSettledNs = 200LL * 1000 * 1000;
// Bounds of what is kept: file names for a few crowds of people, and bitmaps up to a few tens
// of mebibytes (a small avatar takes about 2 KiB). Past a bound, everything is dropped at once.
const size_t kMaxPaths = 64 * 1024;
const size_t kMaxDecodedBytes = 32u << 20;
const size_t kMaxFramedBytes = 16u << 20;
// A larger picture is decoded each time it is asked for (advertisements, not avatars).
const size_t kMaxKeptBitmapBytes = 256u * 256u * 4u;
const char* const kExtensions[] = {"png", "gif", "jpg"};

long long Nanoseconds(const struct timespec& t) { return t.tv_sec * 1000000000LL + t.tv_nsec; }

}  // namespace

IMImageCache& IMImageCache::Instance() {
  static IMImageCache cache;
  return cache;
}

bool IMImageCache::SettledStamp(const std::string& path, Stamp* stamp) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) return false;
  stamp->device = st.st_dev;
  stamp->inode = st.st_ino;
  stamp->size = st.st_size;
  stamp->modified = Nanoseconds(st.st_mtim);
  stamp->changed = Nanoseconds(st.st_ctim);
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  const long long latest = stamp->modified > stamp->changed ? stamp->modified : stamp->changed;
  return Nanoseconds(now) - latest >= kSettledNs;
}

size_t IMImageCache::BytesOf(const wxBitmap& bitmap) {
  return bitmap.IsOk() ? size_t(bitmap.GetWidth()) * size_t(bitmap.GetHeight()) * 4u : 0;
}

// Called with the lock held.
bool IMImageCache::DirectoryUnchanged(const std::string& directory) {
  Stamp stamp;
  const bool settled = SettledStamp(directory, &stamp);
  if (!m_directoryKnown || directory != m_directory || !(stamp == m_directoryStamp)) {
    m_paths.clear();
    m_directory = directory;
    m_directoryStamp = stamp;
    m_directoryKnown = settled;
    return false;
  }
  return settled;
}

bool IMImageCache::FindPath(const std::string& directory, const std::string& stem, std::string* path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!DirectoryUnchanged(directory)) return false;
  auto found = m_paths.find(stem);
  if (found == m_paths.end()) return false;
  *path = found->second;
  return true;
}

void IMImageCache::RememberPath(const std::string& directory, const std::string& stem, const std::string& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  // Only what was found in the directory as it was last seen, settled.
  if (!m_directoryKnown || directory != m_directory) return;
  if (m_paths.size() >= kMaxPaths) m_paths.clear();
  m_paths[stem] = path;
}

void IMImageCache::Forget(const std::string& stem) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_paths.erase(stem);
  // The directory's times may not move within the clock tick: it must be looked at again.
  m_directoryKnown = false;
  for (const char* extension : kExtensions) {
    const std::string path = stem + extension;
    if (m_decoded.count(path) > 0) m_stale.insert(path);
  }
}

bool IMImageCache::FindBitmap(const std::string& path, wxBitmap* bitmap) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_decoded.find(path);
  if (found == m_decoded.end()) return false;
  Stamp stamp;
  if (m_stale.erase(path) > 0 || !SettledStamp(path, &stamp) || !(stamp == found->second.stamp)) {
    m_decodedBytes -= BytesOf(found->second.bitmap);
    m_decoded.erase(found);
    return false;
  }
  *bitmap = found->second.bitmap;
  return true;
}

void IMImageCache::RememberBitmap(const std::string& path, const wxBitmap& bitmap) {
  Stamp stamp;
  const size_t bytes = BytesOf(bitmap);
  if (bytes == 0 || bytes > kMaxKeptBitmapBytes || !SettledStamp(path, &stamp)) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  // The stamp was read after the decoding: a file renamed in meanwhile is too recent to keep.
  if (m_stale.erase(path) > 0) return;
  if (m_decodedBytes + bytes > kMaxDecodedBytes) {
    m_decoded.clear();
    m_decodedBytes = 0;
  }
  auto previous = m_decoded.find(path);
  if (previous != m_decoded.end()) m_decodedBytes -= BytesOf(previous->second.bitmap);
  m_decoded[path] = Decoded{stamp, bitmap};
  m_decodedBytes += bytes;
}

bool IMImageCache::FindFramed(const wxBitmap& bitmap, const wxColour& colour, int thickness, wxBitmap* framed) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto found = m_framed.find(FrameKey(bitmap.GetRefData(), colour.GetRGBA(), thickness));
  if (found == m_framed.end()) return false;
  *framed = found->second.framed;
  return true;
}

void IMImageCache::RememberFramed(const wxBitmap& bitmap, const wxColour& colour, int thickness,
                                  const wxBitmap& framed) {
  const size_t bytes = BytesOf(bitmap) + BytesOf(framed);
  if (!bitmap.GetRefData() || bytes == 0 || bytes > 2 * kMaxKeptBitmapBytes) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_framedBytes + bytes > kMaxFramedBytes) {
    m_framed.clear();
    m_framedBytes = 0;
  }
  auto inserted = m_framed.emplace(FrameKey(bitmap.GetRefData(), colour.GetRGBA(), thickness), Framed{bitmap, framed});
  if (inserted.second) m_framedBytes += bytes;
}
