// What a chat room's display writes about file transfers, and what a click on one of its links
// means: the transfers' notices, the sizes as the room shows them, the targets of the links
// under a file offer, and the name proposed when a peer's file is saved.
#ifndef PARLAVOX_GUI_ROOMS_FILEOFFER_H
#define PARLAVOX_GUI_ROOMS_FILEOFFER_H

#include <wx/string.h>

#include <cstdint>
#include <string>

#include "model/fileMessage.h"

namespace fileoffer {

// "1023 bytes" up to 1023 bytes, else the whole kilobytes: "1 kbytes" for 1024 to 2047. A size
// below 0 (a peer's nonsense) reads "? bytes".
wxString SizeText(int64_t size);

// The notice of a transfer's state, without the link of an offer; empty for progress (the
// room shows none) and for a state outside the known ones.
wxString NoticeText(t_fm_status status, bool download, const wxString& fileName, const wxString& nickname,
                    int64_t size);

// True for a file key as peers make them: digits only, not empty.
bool IsFileKey(const std::string& key);

// The target of an offer's "Download" link: key, login, host, port and file name joined by "|".
std::string DownloadTarget(const std::string& key, const std::string& login, const std::string& host, int port,
                           const std::string& fileName);

// What a link in the display is, decided by the shape of its target.
struct Link {
  enum Kind { kNone, kWeb, kContact, kDownload, kCancel } kind = kNone;
  std::string login;     // kContact: whose colour
  std::string key;       // kDownload: the offer's file key; kCancel: the user's own offer's
  std::string fileName;  // kDownload: the name the peer gave, "|" and all
};
// A web link starts with "http://" or "https://" (and holds no blank or control character), a
// sender link with "contact://" (the login is what follows its last "/"), a download link has
// a file key then at least four more "|"-separated fields (the name is all after the fourth
// "|"), a cancel link is a file key alone. Anything else is nothing to act on.
Link Classify(const std::string& target);

// The name proposed when the user saves a peer's file: the last part of the peer's name (after
// any "/" or "\"), control and reordering characters as "_", a leading "." as "_", no longer
// than a file name may be (the extension kept); empty when nothing usable is left.
wxString ProposedName(const wxString& peerName);

}  // namespace fileoffer

#endif
