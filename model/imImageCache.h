// What the image store remembers between two reads, so that a list of thousands of avatars does
// not look up, decode and frame the same files again and again: which file holds a base name
// (or that none does), the bitmap decoded from a file, and the framed copies of a bitmap.
// A remembered file name holds while the user directory is unchanged and the store has written
// or removed nothing since; a decoded bitmap while its file is the very one decoded. Changes
// within the file system's clock tick are not trusted: there, every read goes to the disk.
#ifndef PARLAVOX_MODEL_IMIMAGECACHE_H
#define PARLAVOX_MODEL_IMIMAGECACHE_H

#include <sys/stat.h>
#include <wx/bitmap.h>
#include <wx/colour.h>

#include <cstddef>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>

class IMImageCache {
 public:
  static IMImageCache& Instance();

  // The stored file of `stem` (the directory and encoded base name, up to the dot) as found
  // last time, "" when there was none; false when it must be looked up on disk.
  bool FindPath(const std::string& directory, const std::string& stem, std::string* path);
  void RememberPath(const std::string& directory, const std::string& stem, const std::string& path);
  // The store writes or removes the files of `stem`: what was known of them no longer holds.
  void Forget(const std::string& stem);

  // The bitmap decoded from the file at `path`, when the file is still the one it came from.
  // Bitmaps are only handed out and kept on the GUI thread.
  bool FindBitmap(const std::string& path, wxBitmap* bitmap);
  void RememberBitmap(const std::string& path, const wxBitmap& bitmap);

  // `bitmap` with a frame of the colour and thickness, as drawn before; GUI thread only.
  bool FindFramed(const wxBitmap& bitmap, const wxColour& colour, int thickness, wxBitmap* framed);
  void RememberFramed(const wxBitmap& bitmap, const wxColour& colour, int thickness, const wxBitmap& framed);

 private:
  // What tells one state of a file or directory from another.
  struct Stamp {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modified = 0;
    long long changed = 0;
    bool operator==(const Stamp& o) const {
      return device == o.device && inode == o.inode && size == o.size && modified == o.modified &&
             changed == o.changed;
    }
  };
  struct Decoded {
    Stamp stamp;
    wxBitmap bitmap;
  };
  struct Framed {
    wxBitmap source;  // held, so that its data cannot be freed and another bitmap's take its address
    wxBitmap framed;
  };
  using FrameKey = std::tuple<const void*, unsigned long, int>;

  IMImageCache() = default;
  // The path's stamp, false when it cannot be read or it changed too recently to be told apart
  // from a change to come within the same clock tick.
  static bool SettledStamp(const std::string& path, Stamp* stamp);
  static size_t BytesOf(const wxBitmap& bitmap);
  bool DirectoryUnchanged(const std::string& directory);

  std::mutex m_mutex;
  std::string m_directory;
  Stamp m_directoryStamp;
  bool m_directoryKnown = false;
  std::unordered_map<std::string, std::string> m_paths;
  // Files written or removed by the store since their bitmap was kept (the writer may be any
  // thread; the bitmaps go on the GUI thread). Only files with a kept bitmap are marked.
  std::set<std::string> m_stale;
  std::unordered_map<std::string, Decoded> m_decoded;
  size_t m_decodedBytes = 0;
  std::map<FrameKey, Framed> m_framed;
  size_t m_framedBytes = 0;
};

#endif
