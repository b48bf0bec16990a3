// The main window and the chat rooms: a site's room opened or refused, a subscription answered,
// a room closed, a private room made, typing, incoming messages, and what the panels ask about
// rooms (subscribe, leave, open a private room).
#include <wx/msgdlg.h>
#include <wx/wupdlock.h>

#include <ctime>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/mainFrame.h"
#include "gui/notifyFrame.h"
#include "gui/sites/sitesPanel.h"
#include "gui/soundPlayer.h"
#include "gui/toolBar.h"
#include "gui/sites/webSitesShortFrame.h"
#include "model/config.h"
#include "model/log.h"
#include "model/message.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"
#include "widgets/shownText.h"

namespace {

t_notification_status Setting(const ContactInfo* record, const char* key) {
  return record ? record->GetNotification(key) : NOTIFICATION_NOT_SET;
}

t_notification_status Setting(const URLInfo* record, const char* key) {
  return record ? record->GetNotification(key) : NOTIFICATION_NOT_SET;
}

// The site's value, or the user's saved one when the site's is not set.
bool SiteOrOwnSetting(const URLInfo* site, const char* key) {
  return IsNotificationOn(Setting(site, key), Setting(Config::GetInstance()->GetContactInfo(), key));
}

// The longest name or login a notice shows whole.
constexpr size_t kShownName = 64;

void PopUp(NotifyFrame* frame) {
  if (frame) frame->Popup();
}

}  // namespace

void MainFrame::ReceiveOpenChatRoomAck(wxCommandEvent& event) {
  TRACE_START_ARGS("%d", event.GetInt());
  wxWindowUpdateLocker noUpdates(this);
  if (event.GetInt() == GUI_OPEN_CHATROOM_OK) {
    const URLInfo* site = ManagerEvent::SiteOf(event);
    if (site) {
      const wxString name = std2wx(m_manager->GetChatRoomName(site->GetURL()));
      m_sitesPanel->AddSitePanel(*site, name);
      m_sitesPanel->Refresh(true);
      CommentsFrame::CreateCommentsFor(this, this, m_manager, *site);
      const ContactInfo* own = m_manager->GetOwnContactInfo();
      const int others = site->GetNbrUsers() - 1;
      if (others > 0 && IsNotificationOn(Setting(site, "open-visual"), Setting(own, "open-visual")))
        PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_SUBSCRIBE, site->GetURL()), _("Open site"),
                                           shown::OneLine(name, kShownName), *wxBLUE, wxString::Format(_("%d Parlavoxers"), others), *wxBLUE));
      if (others > 0 && IsNotificationOn(Setting(site, "open-bell"), Setting(own, "open-bell")))
        sound::Play("sounds/online.wav");
      if (m_sitesManager) m_sitesManager->AddRecommendedSites(site->GetRecommendedSites());
    }
  } else if (event.GetInt() == GUI_OPEN_CHATROOM_FAILED) {
    PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_NONE), _("Notification"),
                                       _("Service not authorized on"), *wxRED, event.GetString(), *wxRED));
  } else {
    TRACE_INFO("inconnu (%d)", event.GetInt());
  }
  TRACE_END();
}

void MainFrame::ReceiveSubscribeChatRoomAck(wxCommandEvent& event) {
  const wxArrayString& strings = ManagerEvent::StringsOf(event);
  if (strings.empty()) return;
  const std::string url = wx2std(strings[0]);
  TRACE_START_ARGS("%d, %s", event.GetInt(), url.c_str());
  wxWindowUpdateLocker noUpdates(this);
  const wxString name = shown::OneLine(m_manager->GetChatRoomName(url), kShownName);
  switch (event.GetInt()) {
    case GUI_SUBSCRIBE_CHATROOM_OK: {
      std::vector<ContactInfo*> members = m_manager->GetSubscribedContacts(url);
      // The notebook reads the number of members beside the URL.
      ManagerEvent withCount(event.GetEventType(), event.GetId());
      wxArrayString texts(strings);
      texts.Add(wxString::Format("%d", int(members.size())));
      withCount.SetStrings(texts);
      withCount.SetInt(event.GetInt());
      if (ContactInfo* own = m_manager->GetOwnContactInfo()) members.insert(members.begin(), own);
      m_chatRooms->Show(true);
      m_chatRooms->OnSubscribeChatRoomAck(withCount);
      m_chatRooms->AddContacts(url, members, false);
      m_sitesPanel->SwitchSubscribeChatRoom(url, true);
      const URLInfo* site = m_manager->GetURLInfo(url);
      if (SiteOrOwnSetting(site, "subscribe-visual"))
        PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_FOCUS_CHATROOM, url), _("Subscribe chatroom"),
                                           _("Subscribe to"), *wxBLUE, name, *wxBLUE));
      if (SiteOrOwnSetting(site, "subscribe-bell")) sound::Play("sounds/online.wav");
      m_toolBar->SetChatRoomsCount(m_chatRooms->GetNbrChatRooms());
      break;
    }
    case GUI_SUBSCRIBE_CHATROOM_FAILED:
      m_chatRooms->RoomRefused(url, _("The server refused to let you into this chatroom again."));
      if (!m_manager->IsMultiplePrivateChatRoom(url))
        PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_NONE), _("Subscribe chatroom"),
                                           _("Subscribe to ") + name + _(" failed"), *wxRED, wxString(), *wxBLUE));
      break;
    case GUI_SUBSCRIBE_CHATROOM_BANNED:
      m_chatRooms->RoomRefused(url, _("You are banned from this chatroom."));
      if (!m_manager->IsMultiplePrivateChatRoom(url))
        PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_NONE), _("Notification"),
                                           _("You are banned from"), *wxRED, name, *wxBLUE));
      break;
    case GUI_SUBSCRIBE_CHATROOM_BLOCKED:
      m_chatRooms->RoomRefused(url, _("This chatroom could not be entered again."));
      if (strings.size() >= 3) ShowBlockedRoom(url, wx2std(strings[1]), wx2std(strings[2]));
      break;
    default:
      // A site's room refused because of a block.
      m_chatRooms->RoomRefused(url, _("This chatroom could not be entered again."));
      break;
  }
  TRACE_END();
}

// A private room with a contact who cannot be reached: said in a pop-up and in the room itself.
void MainFrame::ShowBlockedRoom(const std::string& url, const std::string& login, const std::string& nickname) {
  const ContactInfo* contact = m_manager->GetContactInfo(login);
  wxString notice = _("You have been blocked by ");
  if (!contact) notice = _("You can not communicate with ");
  else if (contact->IsBlocked()) notice = _("You have blocked ");
  const wxString who = shown::OneLine(nickname, kShownName) + " (" + shown::OneLine(login, kShownName) + ")";
  PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_NONE), _("Notification"), notice.Strip(wxString::trailing),
                                     *wxRED, who, *wxBLUE));
  Message roomNotice(url, "ADMIN", wx2std(_("Administrator")), wx2std(notice + who), time(nullptr), false);
  m_chatRooms->AddMessage(&roomNotice);
}

void MainFrame::ReceiveCloseChatRoom(wxCommandEvent& event) {
  const std::string url = wx2std(event.GetString());
  TRACE_START_ARGS("%s", url.c_str());
  wxWindowUpdateLocker noUpdates(this);
  const int shown = m_sitesPanel->GetContactsCount(url);
  if (m_sitesPanel->RemoveURL(url) && event.GetInt() == 0 && shown > 0) {
    const URLInfo* site = m_manager->GetURLInfo(url);
    const ContactInfo* own = m_manager->GetOwnContactInfo();
    if (IsNotificationOn(Setting(site, "close-visual"), Setting(own, "close-visual")))
      PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_NONE), _("Close site"),
                                         shown::OneLine(m_manager->GetChatRoomName(url), kShownName), *wxBLUE,
                                         wxString(), *wxBLUE));
    if (IsNotificationOn(Setting(site, "close-bell"), Setting(own, "close-bell"))) sound::Play("sounds/offline.wav");
  }
  m_sitesPanel->Refresh(true);
  m_contactsPanel->SwitchSubscribeChatRoom(url, false);
  CommentsFrame::SiteClosed(url);
  TRACE_END();
}

void MainFrame::ReceiveCreateVirtualChatRoomAck(wxCommandEvent& event) {
  const URLContactInfo* room = ManagerEvent::RoomContactOf(event);
  if (!room) return;
  TRACE_START_ARGS("%s, %s", room->GetLogin().c_str(), room->GetURL().c_str());
  m_chatRooms->OnCreateVirtualChatRoomAck(event);
  if (event.GetInt() == GUI_SUBSCRIBE_CHATROOM_OK)
    if (ContactInfo* own = m_manager->GetOwnContactInfo()) m_chatRooms->AddContact(room->GetURL(), *own);
  if (room->GetFocus()) m_chatRooms->FocusOnChatRoom(room->GetURL());
  m_chatRooms->ShowSoon();
  m_toolBar->SetChatRoomsCount(m_chatRooms->GetNbrChatRooms());
  m_contactsPanel->SwitchSubscribeChatRoom(room->GetURL(), true);
  TRACE_END();
}

void MainFrame::ReceiveKeyTyped(wxCommandEvent& event) {
  const wxArrayString& strings = ManagerEvent::StringsOf(event);
  if (strings.size() < 4) return;
  m_chatRooms->SetKeyTyped(wx2std(strings[0]), wx2std(strings[1]), wx2std(strings[2]), strings[3] == "1");
}

void MainFrame::OnKeyTyped(const std::string& room, bool typing) {
  m_manager->KeyTyped(room, typing);
  NoteActivity();
}

void MainFrame::ReceiveNewMessage(wxCommandEvent& event) {
  Message* message = ManagerEvent::MessageOf(event);
  if (!message) return;
  const std::string site = message->GetSite();
  const std::string login = message->GetLogin();
  // One line for the whole way of the message through the windows: a burst brings thousands.
  TRACE_STARTEND_ARGS("%s, %s", site.c_str(), login.c_str());
  if (login == "ADMIN" && site == "none") {
    wxMessageBox(std2wx(message->GetText()), _("Message from Parlavox administrators"), wxOK | wxICON_INFORMATION,
                 this);
  } else {
    ShowMessage(*message);
  }
}

// A line in its room, the side panels marked, and the notices another user's line deserves.
void MainFrame::ShowMessage(Message& message) {
  const std::string site = message.GetSite();
  // A closed page takes no message: the server refused the user the room or banned him from it,
  // and what still comes for the room is neither written on its page nor announced.
  const ChatRoomPanel* page = m_chatRooms->GetChatRoom(site);
  if (page && page->IsClosed()) {
    TRACE_INFO("room closed: %s", site.c_str());
    return;
  }
  m_chatRooms->AddMessage(&message);
  if (message.GetLogin() == m_manager->GetLogin()) return;
  const std::string other = m_manager->IsPrivateChatRoom(site);
  if (!other.empty()) m_contactsPanel->NotifyNewMessage(other);
  else if (!m_manager->IsMultiplePrivateChatRoom(site) && !message.IsHistory()) m_sitesPanel->NotifyNewMessage(site);
  if (!message.IsHistory()) NotifyMessage(message, other);
}

// The pop-up and the sound of another user's new line, as the sender's, the site's and the
// default settings allow.
void MainFrame::NotifyMessage(const Message& message, const std::string& other) {
  const std::string site = message.GetSite();
  const URLInfo* urlInfo = m_manager->GetURLInfo(site);
  const ContactInfo* contact = m_manager->GetContactInfo(message.GetLogin());
  const ContactInfo* defaults = m_manager->GetDefaultContactInfo();
  if (IsNotificationOn(Setting(contact, "message-visual"), Setting(urlInfo, "message-visual-contact"),
                       Setting(defaults, "message-visual"))) {
    // Drawn when shown: of a burst of messages, only the last few ever are.
    Manager* manager = m_manager;
    const NotifyPicture avatar = [manager, login = contact->GetLogin(), blocked = contact->IsBlocked()] {
      return manager->GetAvatar(login, false, false, BORDER_SIMPLE, blocked);
    };
    const wxString line = other.empty() ? _("writes a message on\n") + shown::OneLine(m_manager->GetChatRoomName(site), kShownName)
                                        : _("writes a private message");
    PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_FOCUS_CHATROOM, site), _("Notification"),
                                       shown::OneLine(contact->GetNickname(), kShownName), avatar, line));
  }
  if (IsNotificationOn(Setting(contact, "message-bell"), Setting(urlInfo, "message-bell-contact"),
                       Setting(defaults, "message-bell")))
    sound::Play("sounds/message.wav");
}

void MainFrame::CloseChatRoom(const std::string& room) {
  TRACE_START_ARGS("%s", room.c_str());
  m_manager->CloseChatRoom(room);
  TRACE_END();
}

void MainFrame::SubscribeChatRoom(const std::string& room) {
  TRACE_START_ARGS("%s", room.c_str());
  TRACE_INFO("Opened");
  m_manager->SubscribeChatRoom(room);
  m_chatRooms->FocusOnChatRoom(room);
  m_toolBar->ShowChatRoomsButton(false);
  TRACE_END();
}

void MainFrame::UnsubscribeChatRoom(const std::string& room) {
  TRACE_START_ARGS("%s", room.c_str());
  m_manager->UnsubscribeChatRoom(room);
  CommentsFrame::RoomTabClosed(room);
  m_contactsPanel->SwitchSubscribeChatRoom(room, false);
  m_sitesPanel->SwitchSubscribeChatRoom(room, false);
  const URLInfo* site = m_manager->GetURLInfo(room);
  if (m_manager->IsPrivateChatRoom(room).empty()) {
    if (SiteOrOwnSetting(site, "unsubscribe-visual"))
      PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_NONE), _("Unsubscribe"), _("Unsubscribe from"),
                                         *wxBLUE, shown::OneLine(room, kShownName), *wxBLUE));
    if (SiteOrOwnSetting(site, "unsubscribe-bell")) sound::Play("sounds/offline.wav");
  }
  // The room's page may still be counted while it closes; with no page, nothing is taken off.
  int rooms = m_chatRooms->GetNbrChatRooms() - (m_chatRooms->IsChatRoomOpened(room) ? 1 : 0);
  if (rooms < 0) rooms = 0;
  TRACE_INFO("nbr = %d", rooms);
  if (rooms == 0) m_chatRooms->Show(false);
  m_toolBar->SetChatRoomsCount(rooms);
  TRACE_END();
}

void MainFrame::CreateVirtualChatRoom(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  const std::string room = m_manager->GetPrivateChatRoomNameWith(login);
  if (!m_chatRooms->IsChatRoomOpened(room)) {
    const ContactInfo* contact = m_manager->GetContactInfo(login);
    if (contact && contact->GetStatus() == STATUS_BUSY) {
      wxMessageDialog ask(this,
                          _("Your are trying to contact ") + shown::OneLine(contact->GetNickname(), kShownName) + " (" +
                              shown::OneLine(login, kShownName) +
                              ") " + _("who is BUSY. Do you really want to open a private chatroom?"),
                          _("Private chatroom with a BUSY contact"), wxYES_NO | wxICON_INFORMATION);
      if (ask.ShowModal() != wxID_YES) return;
    }
    m_chatRooms->CreateChatRoom(room, std2wx(m_manager->GetChatRoomName(room)), _("Chatroom opened"));
  }
  m_chatRooms->Show(true);
  m_chatRooms->Raise();
  m_chatRooms->FocusOnChatRoom(room);
  TRACE_END();
}
