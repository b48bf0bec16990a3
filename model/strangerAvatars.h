// The avatars of people who are no contact of the user. The image store keeps one for each login
// the server shows, and crowds passing through rooms, for weeks, would fill the user directory:
// at most a bound of strangers keep their avatar files, and past it the files of the one whose
// avatar was stored longest ago go. The user's own avatar and the contacts' never count and
// never go, nor do those of a stranger who has become a contact by the time their turn comes.
// A stranger met again is sent their avatar again by the server; until then the windows show
// the default avatar.
//
// Which logins these are outlives the program, in a list beside the images (model/strangerList.h):
// a login is listed before its file is written, and a login's line leaves the list only once its
// files have gone, so that the files of a session that ended without notice are still known and
// go in a later one; no other file of the directory (the user's own smileys, say) is ever taken
// for a stranger's avatar.
//
// Only the newest lines of the list are read when it is taken up, and no more than a share of the
// file at a time: lines far too long for logins are passed over in turns, like the rest. The
// files of the logins of its older lines, and of strangers past the bound, go a few at a time:
// some at each store, the rest while the GUI thread has nothing else to do, so that a long list
// never holds up the windows. The trace tells of a stranger past the bound in a line, and of the
// older lines once they are all passed.
#ifndef PARLAVOX_MODEL_STRANGERAVATARS_H
#define PARLAVOX_MODEL_STRANGERAVATARS_H

#include <cstddef>
#include <deque>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/strangerList.h"
#include "model/typeImage.h"

class wxAppConsole;
class wxIdleEvent;

class StrangerAvatars {
 public:
  static StrangerAvatars& Instance();

  // Strangers whose avatars are kept at most: enough for the people of a crowded room, a few
  // megabytes of small pictures.
  static constexpr size_t kDefaultBound = 1000;
  // Logins whose files go in one turn, at a store or while the GUI thread is idle.
  static constexpr size_t kTurn = 128;

  // Stores an avatar as IMImage::StoreAvatar does. A stranger's counts as the newest: the login
  // is listed first, and the files of the oldest strangers past the bound go. Called on the GUI
  // thread, with no lock held.
  std::string StoreAvatar(const std::string& login, bool small, t_image_type type, const unsigned char* data,
                          unsigned long length);
  void SetBound(size_t bound);

 private:
  StrangerAvatars() = default;
  // The user's own login or a saved contact's.
  static bool IsKept(const std::string& login);
  // Counts the login as stored now.
  void Listed(const std::string& login);
  // Takes up the list of the user directory when it is another than the one known.
  void Open(const std::string& directory);
  void MoveToNewest(const std::string& login);
  // One turn: the list's newest lines are taken up further, or the files of up to kTurn logins
  // go, then the list is written afresh when nothing it still names is left to remove. True
  // when more turns are needed.
  bool Turn();
  // The logins of this turn whose files go: strangers past the bound, then the older lines'.
  std::vector<std::string> Going();
  bool Pending() const { return m_list.TakingUp() || !m_evicted.empty() || m_list.HasOlder(); }
  void RewriteWhenDone();
  // Goes on with the turns while the GUI thread is idle.
  void ContinueWhenIdle();
  void OnIdle(wxIdleEvent& event);

  std::mutex m_mutex;
  std::string m_directory;
  size_t m_bound = kDefaultBound;
  StrangerList m_list;
  // Logins kept, the one stored longest ago first.
  std::list<std::string> m_order;
  std::unordered_map<std::string, std::list<std::string>::iterator> m_index;
  // Strangers past the bound whose files are still to go.
  std::deque<std::string> m_evicted;
  // A login could not be added to the list: the list is written afresh at the next chance.
  bool m_stale = false;
  // Lines of the list's older part passed so far.
  size_t m_olderPassed = 0;
  wxAppConsole* m_idleApp = nullptr;
};

#endif
