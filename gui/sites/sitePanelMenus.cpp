// A site's panel: the site's menu and a person's menu, their commands and questions, and the
// user's own grade of the site.
#include <wx/intl.h>
#include <wx/menu.h>

#include "core/application.h"
#include "gui/messageYesNoCancelFrame.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/siteInfoToolTip.h"
#include "gui/sites/siteText.h"
#include "gui/sites/sitesPanel.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/myStaticText.h"

namespace {

// The longest message typed in a question.
constexpr int kMaxMessage = 30;

}  // namespace

void SitePanel::OnContactRightClick(wxMouseEvent& event) {
  m_siteLabel->SetForegroundColour(*wxBLACK);
  DisplayMenu(dynamic_cast<ContactButtonBitmap*>(event.GetEventObject()));
  event.Skip();
}

void SitePanel::OnSiteRightClick(wxMouseEvent& event) {
  m_siteLabel->SetForegroundColour(*wxBLACK);
  DisplayMenu(nullptr);
  event.Skip();
}

wxMenu* SitePanel::BuildMenu(ContactButtonBitmap* button) {
  auto* menu = new wxMenu;
  if (!button) {
    m_menuLogin.clear();
    m_menuNickname.clear();
    menu->Append(ID_SUBSCRIBE_CHATROOM,
                 m_subscribed ? _("&Unsubscribe from this chatroom") : _("&Subscribe to this chatroom"));
    menu->Append(ID_CLOSE_URL, _("&Close this site"));
    menu->Append(ID_SWITCH_URL_STATUS, _("&Block this site"));
    menu->Append(ID_SITE_PROFILE, _("&Display profile and setup parameters"));
    return menu;
  }
  m_menuLogin = button->GetLogin();
  m_menuNickname = button->GetContact().GetNickname();
  const ContactInfo record = *m_manager->GetContactInfo(m_menuLogin);
  AppendContactItems(menu, record, Config::GetInstance()->HasContact(m_menuLogin));
  menu->AppendSeparator();
  AppendInviteItem(menu, record);
  return menu;
}

void SitePanel::AppendContactItems(wxMenu* menu, const ContactInfo& record, bool saved) {
  const bool connected = m_manager->IsConnected();
  menu->Append(ID_SEND_MESSAGE, _("&Send a message"))
      ->Enable(record.GetStatus() != STATUS_OFFLINE && !record.IsBlocked());
  menu->Append(ID_SHOW_PROFILE, _("&Display profile and setup parameters"));
  if (saved) menu->Append(ID_REMOVE_CONTACT, _("&Remove from your private list..."))->Enable(connected);
  else menu->Append(ID_ADD_CONTACT, _("&Add to your private list..."))->Enable(connected);
  if (record.GetImType() != "parlavox")
    menu->Append(wxID_ANY, _("Block only for Parlavoxers"))->Enable(false);
  else if (record.IsBlocked())
    menu->Append(ID_UNBLOCK_CONTACT, _("&Unblock this contact..."))->Enable(connected);
  else
    menu->Append(ID_BLOCK_CONTACT, _("&Block this contact..."))->Enable(connected);
  const std::string url = GetURL();
  menu->Append(ID_REPORT_ABUSE, _("Report &abuse..."))
      ->Enable(connected && url != "none" && record.IsSubscribedTo(url) && m_manager->HasSubscribedTo(url));
}

// The user's one-to-one rooms with other people that the person is not in yet.
void SitePanel::AppendInviteItem(wxMenu* menu, const ContactInfo& record) {
  TRACE_INFO("Chatrooms");
  const std::vector<std::string> rooms = m_manager->GetSubscribedChatRooms();
  auto* submenu = new wxMenu;
  for (const std::string& room : rooms) {
    const std::string other = m_manager->IsPrivateChatRoom(room);
    if (other.empty() || other == m_menuLogin) continue;
    if (m_manager->GetContactInfo(m_menuLogin)->IsSubscribedTo(room)) continue;
    const int id = wxWindow::NewControlId();
    m_inviteRooms[id] = room;
    submenu->Append(id, siteText::MenuItem(m_manager->GetChatRoomName(room)));
    Bind(wxEVT_MENU, &SitePanel::OnInviteContact, this, id);
  }
  if (!m_inviteRooms.empty()) {
    menu->AppendSubMenu(submenu, _("&Invite this Parlavoxer in chatroom..."))
        ->Enable(record.GetStatus() != STATUS_OFFLINE);
    return;
  }
  delete submenu;
  if (rooms.empty()) menu->Append(wxID_ANY, _("No private chatroom opened"))->Enable(false);
  else menu->Append(wxID_ANY, _("Already invited in all opened chatroom"))->Enable(false);
}

void SitePanel::UnbindInvites() {
  for (const auto& entry : m_inviteRooms) {
    Unbind(wxEVT_MENU, &SitePanel::OnInviteContact, this, entry.first);
    wxWindow::UnreserveControlId(entry.first);
  }
  m_inviteRooms.clear();
}

void SitePanel::DisplayMenu(ContactButtonBitmap* button) {
  TRACE_START();
  Busy busy(this);
  wxWeakRef<SitePanel> alive(this);
  m_menuShown = true;
  if (m_siteToolTip) m_siteToolTip->Hide();
  HideContactToolTip();
  TRACE_INFO("Create menu");
  wxMenu* menu = BuildMenu(button);
  PopupMenu(menu);
  delete menu;
  if (!alive) return;
  TRACE_INFO("clear");
  UnbindInvites();
  m_menuShown = false;
  // The pointer may rest where the menu was asked for, on the name or an avatar: its tip shows.
  if (SitesPanel* sites = Sites()) sites->FollowPointer();
  TRACE_END();
}

// ---- The site's commands.

void SitePanel::OnSubscribeChatRoom(wxCommandEvent&) {
  TRACE_START();
  if (SitesPanel* sites = Sites()) {
    if (m_subscribed) sites->OnUnsubscribeChatRoom(GetURL());
    else sites->OnSubscribeChatRoom(GetURL());
  }
  TRACE_END();
}

void SitePanel::OnCloseURL(wxCommandEvent&) {
  TRACE_START();
  if (SitesPanel* sites = Sites()) sites->OnCloseChatRoom(GetURL());
  TRACE_END();
}

void SitePanel::OnSwitchURLStatus(wxCommandEvent&) {
  TRACE_START();
  if (SitesPanel* sites = Sites()) sites->OnSwitchURLStatus(GetURL());
  TRACE_END();
}

// The site's window shows the switches as the controller's record holds them now.
void SitePanel::OnSiteProfile(wxCommandEvent&) {
  if (m_retired) return;
  const URLInfo* site = m_manager->GetURLInfo(GetURL());
  if (!m_siteInfoFrame) m_siteInfoFrame = new WebSiteInfoFrame(this, m_manager, GetURL(), true);
  m_siteInfoFrame->UpdateURLInfo(*site);
  if (m_siteInfoFrame->IsShown()) m_siteInfoFrame->Raise();
  else m_siteInfoFrame->Show();
}

// ---- A person's commands, on the login copied when the menu opened.

void SitePanel::OnSendMessage(wxCommandEvent&) {
  if (m_menuLogin.empty() || m_manager->GetContactInfo(m_menuLogin)->IsBlocked()) return;
  if (SitesPanel* sites = Sites()) sites->OnOpenPrivateChatRoom(m_menuLogin);
}

void SitePanel::OnShowProfile(wxCommandEvent&) {
  if (!m_menuLogin.empty()) ContactInfoFrame::OpenContactInfoFor(m_menuLogin);
}

void SitePanel::OnInviteContact(wxCommandEvent& event) {
  TRACE_START();
  auto room = m_inviteRooms.find(event.GetId());
  if (room != m_inviteRooms.end() && !m_menuLogin.empty())
    m_manager->InviteContactInChatRoom(room->second, m_menuLogin);
  TRACE_END();
}

bool SitePanel::Confirm(const wxString& title, const wxString& message, const wxString& prompt,
                        const wxString& yes, std::string* typed) {
  Busy busy(this);
  MessageYesNoCancelFrame dialog(this, message, prompt, title, yes, _("&Cancel"), wxEmptyString, wxEmptyString,
                                 kMaxMessage);
  const bool agreed = dialog.ShowModal() == wxID_YES;
  *typed = wx2std(dialog.GetValue());
  return agreed;
}

void SitePanel::OnRemoveContact(wxCommandEvent&) {
  TRACE_START();
  const std::string login = m_menuLogin;
  const wxString who = siteText::Shown(m_menuNickname) + " (" + siteText::Shown(login) + ") ";
  std::string message;
  if (!login.empty() &&
      Confirm(_("Remove contact"), _("Do you really want to remove ") + who + _("from your private contacts?"),
              _("You can write a short message to explain your decision."), _("&Remove"), &message))
    if (SitesPanel* sites = Sites()) sites->OnRemoveContact(login, message);
  TRACE_END();
}

void SitePanel::OnAddContact(wxCommandEvent&) {
  TRACE_START();
  const std::string login = m_menuLogin;
  const wxString who = siteText::Shown(m_menuNickname) + " (" + siteText::Shown(login) + ") ";
  std::string message;
  if (!login.empty() &&
      Confirm(_("Add contact"), _("Do you want to invite ") + who + _("in your private contacts?"),
              _("You can write a short message with your invitation:"), _("&Invite"), &message))
    if (SitesPanel* sites = Sites()) sites->OnAddContact(login, message);
  TRACE_END();
}

void SitePanel::OnReportAbuse(wxCommandEvent&) {
  TRACE_START_ARGS("%s", m_menuLogin.c_str());
  const std::string login = m_menuLogin;
  const std::string url = GetURL();
  const wxString prompt = siteText::Shown(m_menuNickname) + " <" + siteText::Shown(login) + _("> on ") +
                          siteText::Shown(url) + _(":");
  std::string message;
  if (!login.empty() && Confirm(_("Report abuse"), _("Describe shortly why you want to report an abuse from"),
                                prompt, _("Report &abuse"), &message))
    if (SitesPanel* sites = Sites()) sites->OnReportAbuse(url, login, message);
  TRACE_END();
}

void SitePanel::OnBlockContact(wxCommandEvent&) {
  TRACE_START();
  const std::string login = m_menuLogin;
  if (login.empty()) return;
  const ContactInfo* record = m_manager->GetContactInfo(login);
  const wxString text = _("Do you really want to block") + " " + siteText::Shown(record->GetNickname()) + " (" +
                        siteText::Shown(login) + ") ?\n" +
                        _("You will not be able to talk to each other until you unblock him/her.");
  std::string message;
  if (Confirm(_("Block a contact"), text, wxEmptyString, _("&Block"), &message)) {
    if (SitesPanel* sites = Sites()) sites->OnBlockContact(login, std::string());
    RefreshMenuContact();
  }
  TRACE_END();
}

void SitePanel::OnUnblockContact(wxCommandEvent&) {
  TRACE_START();
  const std::string login = m_menuLogin;
  if (login.empty()) return;
  const ContactInfo* record = m_manager->GetContactInfo(login);
  const wxString text = _("Do you really want to unblock") + " " + siteText::Shown(record->GetNickname()) + " (" +
                        siteText::Shown(login) + ").\n" +
                        _("You will be able to talk again to each other if (s)he has not blocked you.");
  std::string message;
  if (Confirm(_("Unblock a contact"), text, wxEmptyString, _("&Unblock"), &message)) {
    if (SitesPanel* sites = Sites()) sites->OnUnblockContact(login, std::string());
    RefreshMenuContact();
  }
  TRACE_END();
}

// The person's avatar, when still on the site, takes the controller's record after a block.
void SitePanel::RefreshMenuContact() {
  if (ContactButtonBitmap* button = FindContact(m_menuLogin))
    button->UpdateContactInfo(*m_manager->GetContactInfo(m_menuLogin));
}
