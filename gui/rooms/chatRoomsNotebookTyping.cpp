// Typing notices: the user's own, passed on to the main window for the server, and other
// users', kept per room and shown one line per room under the tabs.
#include <wx/intl.h>

#include <algorithm>
#include <iterator>

#include "core/application.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/roomsHost.h"
#include "model/contactInfo.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/shownText.h"

namespace {

// The longest nickname or room name the typing line shows whole.
constexpr size_t kShownName = 64;

}  // namespace

void ChatRoomsNotebook::OnKeyTyped(const std::string& url, bool typing) {
  if (m_host) m_host->OnKeyTyped(url, typing);
}

void ChatRoomsNotebook::SetKeyTyped(const std::string& url, const std::string& login, const std::string&,
                                    bool typing) {
  TRACE_START_ARGS("%s, %s, %d", url.c_str(), login.c_str(), typing ? 1 : 0);
  // A room is kept here while someone types in it, and only while it has a tab: a notice for a
  // room the user left shows nothing and is not kept.
  auto room = m_typingContacts.find(url);
  if (room == m_typingContacts.end()) {
    if (!typing || !IsChatRoomOpened(url)) {
      TRACE_END_RESULT("not kept");
      return;
    }
    room = m_typingContacts.emplace(url, std::vector<std::string>()).first;
  }
  std::vector<std::string>& logins = room->second;
  auto found = std::find(logins.begin(), logins.end(), login);
  if (!typing && found != logins.end()) logins.erase(found);
  if (typing && found == logins.end()) logins.push_back(login);
  if (logins.empty()) m_typingContacts.erase(room);
  WriteTypingLine();
  TRACE_END();
}

void ChatRoomsNotebook::StopTyping(const std::string& login, const std::string& url) {
  auto room = m_typingContacts.find(url);
  if (room == m_typingContacts.end()) return;
  auto found = std::find(room->second.begin(), room->second.end(), login);
  if (found == room->second.end()) return;
  room->second.erase(found);
  if (room->second.empty()) m_typingContacts.erase(room);
  WriteTypingLine();
}

// Called for every contact going offline: the line is written again only when it changes.
void ChatRoomsNotebook::StopTypingEverywhere(const std::string& login) {
  bool typed = false;
  for (auto room = m_typingContacts.begin(); room != m_typingContacts.end();) {
    std::vector<std::string>& logins = room->second;
    const auto gone = std::remove(logins.begin(), logins.end(), login);
    typed = typed || gone != logins.end();
    logins.erase(gone, logins.end());
    room = logins.empty() ? m_typingContacts.erase(room) : std::next(room);
  }
  if (typed) WriteTypingLine();
}

void ChatRoomsNotebook::ClearTyping() {
  m_typingContacts.clear();
  WriteTypingLine();
}

// One line per room, in the order of the rooms' names: who types, and where. A room whose tab
// is closed shows nobody (a notice may still be on its way after the user left).
void ChatRoomsNotebook::WriteTypingLine() {
  const auto RoomName = [this](const std::string& url) {
    return shown::OneLine(m_manager->GetChatRoomName(url), kShownName);
  };
  wxString text;
  for (const auto& room : m_typingContacts) {
    const std::vector<std::string>& logins = room.second;
    const ChatRoomPanel* page = GetChatRoom(room.first);
    if (logins.empty() || !page || page->IsClosed()) continue;
    const bool oneToOne = !m_manager->IsPrivateChatRoom(room.first).empty();
    if (oneToOne && logins.size() != 1) continue;
    wxString names;
    for (const std::string& login : logins) {
      if (!names.empty()) names += ", ";
      names += shown::OneLine(m_manager->GetContactInfo(login)->GetNickname(), kShownName);
    }
    wxString line;
    if (oneToOne) line = names + _(" is typing a private message");
    else if (logins.size() == 1) line = names + _(" is typing a message in ") + RoomName(room.first);
    else line = names + _(" are typing a message in ") + RoomName(room.first);
    if (!text.empty()) text += "\n";
    text += line;
  }
  // Measuring and wrapping the line is the costly part: an unchanged line keeps its fit.
  if (text == m_typingLine) return;
  m_typingLine = text;
  FitTypingLine();
}

// The line is wrapped to the width under the tabs and takes the height its lines need, so that
// every room's line shows whole.
void ChatRoomsNotebook::FitTypingLine() {
  const int width = m_typingText->GetSize().GetWidth();
  m_typingText->SetLabelText(m_typingLine);
  if (width > 20) m_typingText->Wrap(width);
  m_typingText->InvalidateBestSize();
  const int height = std::max(kTypingMinHeight, m_typingText->GetBestSize().GetHeight());
  if (m_typingText->GetMinSize().GetHeight() != height) {
    m_typingText->SetMinSize(wxSize(-1, height));
    Layout();
  }
}

void ChatRoomsNotebook::OnTypingSized(wxSizeEvent& event) {
  event.Skip();
  if (event.GetSize().GetWidth() != m_typingWidth) {
    m_typingWidth = event.GetSize().GetWidth();
    CallAfter([this] { FitTypingLine(); });
  }
}
