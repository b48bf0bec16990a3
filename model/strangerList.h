// The list of the strangers whose avatars are stored, kept beside the images in the user
// directory: one login a line ('%' and the control bytes as "%XX"), the one stored longest ago
// first. Lines are only ever added at the end; the list is written afresh, with the logins still
// kept only, once the files of every login it drops have gone.
//
// The list is taken up from its end: only its newest lines are read, the older ones (a list that
// grew long, or damaged) then passed a piece at a time, never held whole. No call reads more than
// a share of it, however long its lines: what takes more is gone on with at the next call.
//
// It is a file of the directory itself: whatever else stands in its place (a link, a named pipe,
// a device) is neither read nor written nor waited for, and the list is then kept by no file.
#ifndef PARLAVOX_MODEL_STRANGERLIST_H
#define PARLAVOX_MODEL_STRANGERLIST_H

#include <sys/types.h>

#include <cstddef>
#include <functional>
#include <list>
#include <string>
#include <vector>

#include "model/linesBack.h"

class StrangerList {
 public:
  // The list's file in the user directory.
  static const char* const kName;
  // The longest line that can name a stored avatar: a file name holds at most 255 bytes, and a
  // login's line at most three for each of them. A longer line is no login of this list.
  static constexpr size_t kLongestLine = 1024;
  // The most bytes of the list read at one call.
  static constexpr size_t kShare = 8 * LinesBack::kBlock;

  // Takes up the list of the directory (ending in '/'): reads its newest lines back, at most
  // `lines` of them, handing their logins to `take`, newest first, until it answers that it takes
  // no more. That login's line and those before it are the older part. A line cut short at the end, by a session that ended
  // while writing it, is cut off. When the newest lines hold more than a share, TakingUp() holds
  // until TakeUpMore has read the rest of them.
  void Open(const std::string& directory, size_t lines, const std::function<bool(const std::string&)>& take);
  bool TakingUp() const { return m_takingUp; }
  // Reads another share of the newest lines.
  void TakeUpMore();
  // Passes the next lines of the older part, at most `count` and no more than a share of bytes,
  // adding their logins to *logins, oldest first; returns how many lines were passed.
  size_t ReadOlder(size_t count, std::vector<std::string>* logins);
  // Lines of the older part are left to read.
  bool HasOlder() const { return !m_takingUp && m_olderAt < m_olderEnd; }
  // The file still holds an older part, read or not.
  bool HoldsOlder() const { return m_olderEnd > 0; }
  // Lines after the older part: the newest ones read and those added since.
  size_t Lines() const { return m_lines; }

  // Adds the login's line at the end; false when it could not be written whole (nothing of it
  // stays then).
  bool Append(const std::string& login);
  // Writes the list afresh with these logins, the older part gone; never a list that could not
  // be read whole, nor one still being taken up.
  bool Rewrite(const std::list<std::string>& logins);

 private:
  // The list's file opened with `flags`, when it is a file of the directory itself; -1 else.
  int OpenFile(int flags) const;
  // Cuts off a line left unfinished at the end of the file; the file's size after.
  off_t EndLines(int fd);
  // Reads a share of the newest lines through fd.
  void TakeUp(int fd);
  void TakenUp();

  std::string m_directory;
  std::string m_path;
  // While the newest lines are taken up: where the reading back stands, the lines still wanted
  // and whom their logins go to.
  bool m_takingUp = false;
  LinesBack m_back;
  size_t m_wanted = 0;
  std::function<bool(const std::string&)> m_take;
  off_t m_olderAt = 0;
  off_t m_olderEnd = 0;
  // Within a line of the older part too long to be a login, until its end.
  bool m_skipping = false;
  // Some of the file could not be read: it is never written afresh, which would lose its lines.
  bool m_unreadable = false;
  size_t m_lines = 0;
};

#endif
