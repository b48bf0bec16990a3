#include "gui/rooms/fileOffer.h"

#include <wx/intl.h>

#include "gui/rooms/messageText.h"
#include "gui/webBrowser.h"

namespace fileoffer {

namespace {

// The longest file name most file systems take, in bytes of UTF-8.
const size_t kLongestName = 255;
// An extension longer than this is not kept when a name is shortened.
const size_t kLongestExtension = 16;

wxString Decimal(int64_t value) { return wxString::Format("%lld", static_cast<long long>(value)); }

size_t Utf8Length(const wxString& text) { return text.utf8_str().length(); }

// The name cut down to what a file system takes, the extension kept when it is short.
wxString Shortened(const wxString& name) {
  if (Utf8Length(name) <= kLongestName) return name;
  const int dot = name.Find('.', true);
  wxString extension = dot > 0 ? name.Mid(size_t(dot)) : wxString();
  if (extension.length() > kLongestExtension || Utf8Length(extension) > kLongestName / 4) extension.clear();
  wxString stem = name.Left(name.length() - extension.length());
  const size_t room = kLongestName - Utf8Length(extension);
  // Characters take one to four bytes: cut roughly, then one at a time.
  if (stem.length() > room) stem.Truncate(room);
  while (!stem.empty() && Utf8Length(stem) > room) stem.RemoveLast();
  return stem + extension;
}

}  // namespace

wxString SizeText(int64_t size) {
  if (size < 0) return "?" + _(" bytes");
  if (size < 1024) return Decimal(size) + _(" bytes");
  return Decimal(size / 1024) + _(" kbytes");
}

wxString NoticeText(t_fm_status status, bool download, const wxString& fileName, const wxString& nickname,
                    int64_t size) {
  switch (status) {
    case FM_HOST_UNREACHABLE:
      return _("File ") + fileName + _(" is located on an unreachable host");
    case FM_NOT_AVAILABLE:
      return _("File ") + fileName + _(" is no more available");
    case FM_OFFERED:
      return nickname + _(" sends you a file : ") + fileName + " (" + SizeText(size) + ") ";
    case FM_STARTED:
      return _("File ") + fileName + (download ? _(" is downloaded from ") : _(" is uploaded by ")) + nickname;
    case FM_INTERRUPTED:
      return _("File transfer of ") + fileName + _(" has been interrupted");
    case FM_FAILED:
      return _("File transfer of ") + fileName + _(" has failed");
    case FM_COMPLETE:
      return _("File ") + fileName +
             (download ? _(" has been downloaded succesfully") : _(" has been uploaded succesfully"));
    case FM_CANCELLED:
      return _("File transfer of ") + fileName + _(" has been canceled");
    case FM_IN_PROGRESS:
      break;
  }
  return wxString();
}

bool IsFileKey(const std::string& key) {
  if (key.empty()) return false;
  for (char c : key)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string DownloadTarget(const std::string& key, const std::string& login, const std::string& host, int port,
                           const std::string& fileName) {
  return key + "|" + login + "|" + host + "|" + std::to_string(port) + "|" + fileName;
}

Link Classify(const std::string& target) {
  Link link;
  if (target.compare(0, 7, "http://") == 0 || target.compare(0, 8, "https://") == 0) {
    if (browser::IsWebAddress(target)) link.kind = Link::kWeb;
    return link;
  }
  if (target.compare(0, 10, "contact://") == 0) {
    link.login = target.substr(target.rfind('/') + 1);
    if (!link.login.empty()) link.kind = Link::kContact;
    return link;
  }
  if (IsFileKey(target)) {
    link.kind = Link::kCancel;
    link.key = target;
    return link;
  }
  size_t bar = target.find('|');
  if (bar == std::string::npos || !IsFileKey(target.substr(0, bar))) return link;
  link.key = target.substr(0, bar);
  for (int field = 2; field <= 4 && bar != std::string::npos; ++field) bar = target.find('|', bar + 1);
  if (bar == std::string::npos) return Link();
  link.fileName = target.substr(bar + 1);
  link.kind = Link::kDownload;
  return link;
}

wxString ProposedName(const wxString& peerName) {
  wxString name = peerName;
  const size_t cut = name.find_last_of("/\\");
  if (cut != wxString::npos) name = name.Mid(cut + 1);
  for (wxString::iterator c = name.begin(); c != name.end(); ++c)
    if (messagetext::IsUnsafe(*c)) *c = '_';
  if (name.StartsWith(".")) name[0] = '_';
  name = Shortened(name);
  // Made of nothing but what was taken away: nothing is proposed.
  if (name.find_first_not_of("_") == wxString::npos) return wxString();
  return name;
}

}  // namespace fileoffer
