// The avatars of people who are no contact of the user. The image store keeps one for each login
// the server shows, and crowds passing through rooms, for weeks, would fill the user directory:
// at most a bound of strangers keep their avatar files, and past it the files of the one whose
// avatar was stored longest ago go. The user's own avatar and the contacts' never count and
// never go, nor do those of a stranger who has become a contact by the time their turn comes.
// A stranger met again is sent their avatar again by the server; until then the windows show
// the default avatar.
//
// Which logins these are outlives the program, in a list beside the images (one login a line,
// the newest last): the files of a session that ended without notice are still known, and no
// other file of the directory (the user's own smileys, say) is ever taken for a stranger's
// avatar.
#ifndef PARLAVOX_MODEL_STRANGERAVATARS_H
#define PARLAVOX_MODEL_STRANGERAVATARS_H

#include <cstddef>
#include <list>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class StrangerAvatars {
 public:
  static StrangerAvatars& Instance();

  // Strangers whose avatars are kept at most: enough for the people of a crowded room, a few
  // megabytes of small pictures.
  static constexpr size_t kDefaultBound = 1000;
  // The list's file in the user directory.
  static const char* const kListName;

  // An avatar of the login was just stored. A stranger's counts as the newest; the files of the
  // oldest strangers past the bound are removed, each under the image store's lock. Called with
  // no lock held.
  void Stored(const std::string& login);
  void SetBound(size_t bound);

 private:
  StrangerAvatars() = default;
  // The user's own login or a saved contact's.
  static bool IsKept(const std::string& login);
  // Takes up the list of the user directory when it is another than the one known.
  void Open(const std::string& directory);
  void MoveToNewest(const std::string& login);
  void Append(const std::string& login);
  // Writes the list afresh, without the lines of logins that went or came again.
  void Rewrite();

  std::mutex m_mutex;
  std::string m_directory;
  size_t m_bound = kDefaultBound;
  // Logins, the one stored longest ago first.
  std::list<std::string> m_order;
  std::unordered_map<std::string, std::list<std::string>::iterator> m_index;
  // Lines in the list's file: each store of a stranger adds one.
  size_t m_lines = 0;
};

#endif
