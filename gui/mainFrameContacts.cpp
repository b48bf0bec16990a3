// The main window and the contacts: a contact's update in a room or in the contact list, the
// presence pop-ups and sounds, removals, groups, contact requests and their answers, chat-room
// invitations, new avatars, and what the panels ask about contacts.
#include <wx/wupdlock.h>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/mainFrame.h"
#include "gui/myTaskBar.h"
#include "gui/nicknamePanel.h"
#include "gui/notifyFrame.h"
#include "gui/sites/sitesPanel.h"
#include "gui/soundPlayer.h"
#include "gui/toolBar.h"
#include "model/contactEvent.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"
#include "widgets/shownText.h"

namespace {

t_notification_status Setting(const ContactInfo* record, const char* key) {
  return record ? record->GetNotification(key) : NOTIFICATION_NOT_SET;
}

void PopUp(NotifyFrame* frame) {
  if (frame) frame->Popup();
}

// The longest name or login a notice shows whole.
constexpr size_t kShownName = 64;

wxString NameWithLogin(const ContactEvent& event) {
  return shown::OneLine(event.GetNickname(), kShownName) + " (" + shown::OneLine(event.GetLogin(), kShownName) + ")";
}

}  // namespace

void MainFrame::ReceiveUpdateChatRoomContact(wxCommandEvent& event) {
  const URLContactInfo* update = ManagerEvent::RoomContactOf(event);
  if (!update) return;
  const std::string url = update->GetURL();
  const ContactInfo contact = update->GetContactInfo();
  TRACE_STARTEND_ARGS("login, url, status, subs, notify = (%s,%s,%d,%d,%d)", contact.GetLogin().c_str(), url.c_str(),
                      int(contact.GetStatus()), int(update->IsSubscribedTo(url)), int(update->GetNotify()));
  // No update freezes the main window: freezing it visits every window it holds, at every
  // update, and the lists and the sites panel place their rows once per turn anyway; nothing is
  // drawn before the turn ends.
  m_chatRooms->UpdateContact(*update);
  if (contact.GetLogin() == m_manager->GetLogin()) {
    if (m_taskBar) m_taskBar->SetStatus(contact.GetStatus());
    m_nicknamePanel->SetStatus(contact.GetStatus());
    m_nicknamePanel->SetNickname(std2wx(contact.GetNickname()));
    m_nicknamePanel->SetMood(std2wx(contact.GetMood()));
    ContactInfoFrame::UpdateContactInfoFor(contact);
  } else if (url == "none" || !m_manager->IsPrivateChatRoom(url).empty()) {
    // The contacts list places its rows and sizes its scrolled area itself: nothing else of the
    // window changes with it, and laying the whole window out sized every pane again and drew
    // the splitter's sash, at every presence change.
    m_contactsPanel->UpdateContact(*update);
    ContactInfoFrame::UpdateContactInfoFor(contact);
    if (update->GetNotify() && url == "none") NotifyPresence(contact, update->IsLogout());
    return;
  } else {
    m_sitesPanel->UpdateContact(*update);
    ContactInfoFrame::UpdateContactInfoFor(contact);
  }
  LayoutSoon();
}

// A burst of updates (a room joined, every contact going offline) asks for one layout, made
// once the queue is drained.
void MainFrame::LayoutSoon() {
  if (m_layoutDue) return;
  m_layoutDue = true;
  CallAfter([this] {
    m_layoutDue = false;
    Layout();
  });
}

// The log-in or log-out pop-up and sound of a contact of the list, as the contact's own and the
// default settings allow.
void MainFrame::NotifyPresence(const ContactInfo& contact, bool logout) {
  const ContactInfo* defaults = m_manager->GetDefaultContactInfo();
  const t_status previous = contact.GetPreviousStatus();
  const bool online = (previous == STATUS_OFFLINE || previous == STATUS_NONE) && contact.GetStatus() != STATUS_OFFLINE;
  if (!online && !logout) return;
  const char* visual = online ? "login-visual" : "logout-visual";
  const char* bell = online ? "login-bell" : "logout-bell";
  if (IsNotificationOn(Setting(&contact, visual), Setting(defaults, visual)))
    NotifyChangeStatus(contact.GetLogin(), shown::OneLine(contact.GetNickname(), kShownName), contact.GetStatus());
  if (IsNotificationOn(Setting(&contact, bell), Setting(defaults, bell)))
    sound::Play(online ? "sounds/online.wav" : "sounds/offline.wav");
}

void MainFrame::NotifyChangeStatus(const std::string& login, const wxString& nickname, t_status status) {
  // A crowd logging in brings a notice each; only those put on display draw their avatar.
  Manager* manager = m_manager;
  NotifyPicture avatar = [manager, login] { return manager->GetAvatar(login, false, false, BORDER_SIMPLE, false); };
  PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_PRIVATE_CHATROOM, login), _("Notification"), nickname,
                                     std::move(avatar), status));
}

void MainFrame::UpdateContactInfo(const ContactInfo& contact) {
  m_contactsPanel->UpdateContact(URLContactInfo("none", -1, contact, false, false, false));
}

void MainFrame::UpdateGroup(const std::string& login, const std::string& group) {
  if (ContactInfo* contact = m_manager->UpdateGroup(login, group)) UpdateContactInfo(*contact);
}

void MainFrame::UpdatePrivateContactsGroups() {
  wxWindowUpdateLocker noUpdates(this);
  m_contactsPanel->InitPrivateContactsGroups();
  ContactInfoFrame::UpdateGroups();
  m_contactsManager->UpdateGroups();
}

void MainFrame::OpenProfile(const std::string& login) { ContactInfoFrame::OpenContactInfoFor(login); }

void MainFrame::GroupRenamed(const std::string& oldName, const std::string& newName) {
  ContactInfoFrame::RenameChosenGroup(oldName, newName);
}

void MainFrame::ReceiveDelContact(wxCommandEvent& event) {
  const ContactEvent* removal = ManagerEvent::ContactEventOf(event);
  if (!removal) return;
  TRACE_START_ARGS("%s", removal->GetLogin().c_str());
  m_contactsPanel->RemoveContact(removal->GetLogin());
  m_contactsManager->UpdateContactEvent(*removal);
  BlinkUnlessShown(60);
  TRACE_END();
}

void MainFrame::ReceiveRemoveAllPrivateContacts(wxCommandEvent&) { m_contactsPanel->RemoveAllPrivateContacts(); }

// Draws the eye to the contacts manager's button while the manager is hidden.
void MainFrame::BlinkUnlessShown(int count) {
  if (m_contactsManager->IsShown()) return;
  TRACE_INFO("blink");
  m_toolBar->BlinkContactsManager(count);
}

void MainFrame::ReceiveContactEvent(wxCommandEvent& event) {
  const ContactEvent* record = ManagerEvent::ContactEventOf(event);
  if (!record) return;
  TRACE_START_ARGS("%d, %s", record->GetType(), record->GetLogin().c_str());
  m_contactsManager->UpdateContactEvent(*record);
  int blink = 0;
  switch (record->GetType()) {
    case CE_ADD_RECEIVED:
      PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_CONTACTS_MANAGER), _("Request"),
                                         NameWithLogin(*record), *wxBLUE, _("asks to be in your private list"), *wxBLUE));
      blink = 60;
      break;
    case CE_ANSWER_ACCEPTED:
      PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_PRIVATE_CHATROOM, record->GetLogin()),
                                         _("Notification"), NameWithLogin(*record), *wxBLUE,
                                         _("accepts to be in your private list"), *wxBLUE));
      blink = 60;
      break;
    case CE_ANSWER_REFUSED:
      PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_CONTACTS_MANAGER), _("Notification"),
                                         NameWithLogin(*record), *wxBLUE, _("refuses to be in your private list"),
                                         *wxBLUE));
      blink = 60;
      break;
    default:
      break;
  }
  BlinkUnlessShown(blink);
  TRACE_END();
}

void MainFrame::ReceiveInviteContactInChatRoom(wxCommandEvent& event) {
  const ContactEvent* record = ManagerEvent::ContactEventOf(event);
  if (!record) return;
  TRACE_START_ARGS("%s, %s", record->GetURL().c_str(), record->GetLogin().c_str());
  m_contactsManager->UpdateContactEvent(*record);
  PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_CONTACTS_MANAGER), _("Notification"),
                                     shown::OneLine(record->GetNickname(), kShownName), *wxBLUE,
                                     _("invites you to a private chatroom"),
                                     *wxBLUE));
  BlinkUnlessShown(60);
  TRACE_END();
}

void MainFrame::ReceiveInviteChatRoomAnswer(wxCommandEvent& event) {
  const ContactEvent* record = ManagerEvent::ContactEventOf(event);
  if (!record) return;
  TRACE_START_ARGS("%d, %s", record->GetType(), record->GetLogin().c_str());
  m_contactsManager->UpdateContactEvent(*record);
  const wxString room = shown::OneLine(m_manager->GetChatRoomName(record->GetURL()), kShownName);
  const wxString line =
      (record->GetType() == CE_ANSWER_ACCEPTED ? _("accepts to join ") : _("refuses to join ")) + room;
  PopUp(NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_FOCUS_CHATROOM, record->GetURL()), _("Notification"),
                                     NameWithLogin(*record), *wxBLUE, line, *wxBLUE));
  BlinkUnlessShown(60);
  TRACE_END();
}

void MainFrame::ReceiveUpdateAvatar(wxCommandEvent& event) {
  const std::string login = wx2std(event.GetString());
  TRACE_START_ARGS("%s", login.c_str());
  if (ContactInfoFrame* profile = ContactInfoFrame::GetContactInfoFor(login)) profile->UpdateAvatar();
  if (login == m_manager->GetLogin()) m_nicknamePanel->UpdateAvatar();
  else m_contactsPanel->UpdateAvatar(login);
  m_sitesPanel->UpdateAvatar(login);
  m_chatRooms->UpdateAvatar(login);
  TRACE_END();
}

void MainFrame::AddContact(const std::string& login, const std::string& message) {
  TRACE_START_ARGS("%s", login.c_str());
  if (ContactEvent* request = m_manager->SendAddContact(login, message)) m_contactsManager->UpdateContactEvent(*request);
  TRACE_END();
}

void MainFrame::RemoveContact(const std::string& login, const std::string& message) {
  TRACE_START_ARGS("%s", login.c_str());
  m_manager->RemoveContact(login, message);
  TRACE_END();
}

void MainFrame::BlockContact(const std::string& login, const std::string& message) {
  TRACE_START_ARGS("%s", login.c_str());
  if (ContactEvent* block = m_manager->SendBlockContact(login, message)) m_contactsManager->UpdateContactEvent(*block);
  RedrawAvatar(login);
  TRACE_END();
}

void MainFrame::UnblockContact(const std::string& login, const std::string& message) {
  TRACE_START_ARGS("%s", login.c_str());
  if (ContactEvent* unblock = m_manager->SendUnblockContact(login, message))
    m_contactsManager->UpdateContactEvent(*unblock);
  RedrawAvatar(login);
  TRACE_END();
}

// Blocked contacts are drawn differently wherever they are shown.
void MainFrame::RedrawAvatar(const std::string& login) {
  m_sitesPanel->UpdateAvatar(login);
  m_contactsPanel->UpdateAvatar(login);
  m_chatRooms->UpdateAvatar(login);
}

void MainFrame::ReportAbuse(const std::string& site, const std::string& login, const std::string& message) {
  TRACE_START_ARGS("%s", site.c_str());
  m_manager->ReportAbuse(site, login, message);
  TRACE_END();
}
