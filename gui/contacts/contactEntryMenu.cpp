// The contact row's context menu and its commands: add, remove, block, unblock (each confirmed),
// report abuse, invite into a private chat room or to join the network.
#include <wx/app.h>
#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/textdlg.h>

#include "core/application.h"
#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/contactEntryIds.h"
#include "gui/contacts/entryListener.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/messageYesNoCancelFrame.h"
#include "gui/webBrowser.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/myStaticText.h"
#include "widgets/shownText.h"

using namespace contactEntryIds;

namespace {

// The optional message of a request, and a group name, are at most this long.
const int kMaxMessage = 30;
// A report travels as a chat message, which the protocol limits.
const int kMaxReport = 512;
const size_t kMaxMenuName = 48;

// A name from the network as a menu label: one line, no mnemonic, no accelerator.
wxString MenuLabel(const std::string& name) {
  wxString label = shown::OneLine(name, kMaxMenuName);
  label.Replace("&", "&&");
  return label;
}

wxMenuItem* Append(wxMenu* menu, int id, const wxString& label, bool enabled) {
  wxMenuItem* item = menu->Append(id, label);
  item->Enable(enabled);
  return item;
}

}  // namespace

std::string ContactEntry::InvitationAddress(const std::string& login, const std::string& token) {
  const size_t at = login.rfind('@');
  const std::string email = at == std::string::npos ? login : login.substr(0, at);
  std::string site = GetManager()->GetWebSiteURL();
  while (!site.empty() && site.back() == '/') site.pop_back();
  return site + "/common/invite/index.php?invite_email=" + browser::EscapeQueryValue(email) +
         "&token=" + browser::EscapeQueryValue(token);
}

std::unique_ptr<wxMenu> ContactEntry::BuildContextMenu() {
  if (m_role == CEP_PROFILE || m_role == CEP_TOOLTIP) return nullptr;
  ForgetMenu();
  const bool selfRow = IsSelfRow();
  const bool native = m_contactInfo.GetImType() == "parlavox";
  const bool saved = Config::GetInstance()->HasContact(m_login);
  const bool connected = m_manager->GetStatus() != STATUS_OFFLINE;
  const bool online = m_contactInfo.GetStatus() != STATUS_OFFLINE;
  const bool blocked = m_contactInfo.IsBlocked();
  std::unique_ptr<wxMenu> menu(new wxMenu);
  Append(menu.get(), ID_OPEN_PRIVATE_CHATROOM, _("&Send a message"), online && !selfRow && !blocked);
  Append(menu.get(), ID_DISPLAY_PROFILE, _("&Display profile and setup parameters"), !selfRow);
  if (!native) Append(menu.get(), ID_INVITE_TO_PARLAVOX, _("Invite this contact to join Parlavox..."), true);
  if (!saved) Append(menu.get(), ID_ADD_CONTACT, _("Add to your &private list..."), !selfRow && connected);
  else if (native) Append(menu.get(), ID_REMOVE_CONTACT, _("&Remove from your private list..."), !selfRow && connected);
  else Append(menu.get(), ID_REMOVE_CONTACT, _("Remove only available for Parlavoxers"), false);
  if (!native) Append(menu.get(), wxID_ANY, _("Block only available for Parlavoxers"), false);
  else if (!blocked) Append(menu.get(), ID_BLOCK_CONTACT, _("&Block this contact..."), !selfRow && connected);
  else Append(menu.get(), ID_UNBLOCK_CONTACT, _("&Unblock this contact..."), !selfRow && connected);
  if (!native) {
    Append(menu.get(), ID_REPORT_ABUSE, _("Report abuse only for Parlavoxers"), false);
  } else {
    const bool reportable = connected && m_room != "none" && m_contactInfo.IsSubscribedTo(m_room) &&
                            m_manager->HasSubscribedTo(m_room) && !selfRow;
    Append(menu.get(), ID_REPORT_ABUSE, _("Report &abuse..."), reportable);
  }
  menu->AppendSeparator();
  AddInviteItem(menu.get(), native, selfRow);
  return menu;
}

void ContactEntry::AddInviteItem(wxMenu* menu, bool native, bool selfRow) {
  if (!native) {
    Append(menu, wxID_ANY, _("Private chatrooms only with Parlavoxers"), false);
    return;
  }
  const std::vector<std::string> rooms = m_manager->GetSubscribedChatRooms();
  if (rooms.empty()) {
    Append(menu, wxID_ANY, _("No private chatrooms opened"), false);
    return;
  }
  wxMenu* submenu = new wxMenu;
  for (const std::string& room : rooms) {
    if (!m_manager->IsMultiplePrivateChatRoom(room)) {
      const std::string other = m_manager->IsPrivateChatRoom(room);
      if (other.empty() || other == m_login) continue;
    }
    if (m_manager->GetContactInfo(m_login)->IsSubscribedTo(room)) continue;
    // Ids drawn for this menu only, given back when it is forgotten.
    const int id = wxWindow::NewControlId();
    m_inviteRooms[id] = room;
    submenu->Append(id, MenuLabel(m_manager->GetChatRoomName(room)));
  }
  if (m_inviteRooms.empty()) {
    delete submenu;
    Append(menu, wxID_ANY, _("Already invited in all opened chatroom"), false);
    return;
  }
  wxMenuItem* item = menu->AppendSubMenu(submenu, _("&Invite this Parlavoxer in chatroom..."));
  item->Enable(!selfRow && m_contactInfo.GetStatus() != STATUS_OFFLINE);
}

void ContactEntry::ForgetMenu() {
  for (const auto& entry : m_inviteRooms) wxWindow::UnreserveControlId(entry.first);
  m_inviteRooms.clear();
}

void ContactEntry::RunMenuCommand(int id) {
  if (id == wxID_NONE || id == wxID_ANY) return;
  wxCommandEvent command(wxEVT_MENU, id);
  command.SetEventObject(this);
  if (m_inviteRooms.count(id)) OnInviteContact(command);
  else ProcessWindowEventLocally(command);
}

void ContactEntry::OnMouseRightDown(wxMouseEvent& event) {
  if (m_role == CEP_PROFILE || m_role == CEP_TOOLTIP || m_discarded) return;
  lateDestruction::Hold hold;
  m_menuShown = true;
  std::unique_ptr<wxMenu> menu = BuildContextMenu();
  // The choice is carried out once the menu has closed and before the clean-up.
  const int chosen = GetPopupMenuSelectionFromUser(*menu);
  if (!m_discarded) RunMenuCommand(chosen);
  menu.reset();
  Unhighlight();
  ForgetMenu();
  m_nicknameText->ResetDisplay();
  event.Skip();
  m_menuShown = false;
}

bool ContactEntry::Confirm(const wxString& title, const wxString& message, const wxString& prompt, const wxString& yes,
                           std::string* text) {
  if (IsSelfRow() || m_discarded) return false;
  lateDestruction::Hold hold;
  // Owned by the row's window, not by the row, which may leave the list while it is open.
  MessageYesNoCancelFrame dialog(wxGetTopLevelParent(this), message, prompt, title, yes, _("&Cancel"), wxString(),
                                 wxString(), kMaxMessage);
  const int answer = dialog.ShowModal();
  if (answer != wxID_YES || m_discarded || !m_listener) return false;
  *text = wx2std(dialog.GetValue());
  return true;
}

namespace {

wxString Who(const ContactInfo& contact) {
  return shown::OneLine(contact.GetNickname(), 48) + " (" + shown::OneLine(contact.GetLogin(), 64) + ")";
}

}  // namespace

void ContactEntry::OnAddContact(wxCommandEvent&) {
  std::string text;
  if (!Confirm(_("Add a contact"),
               _("Do you want to add ") + Who(m_contactInfo) + " " + _("in your private contacts") + "?",
               _("You may write a short message with your invitation:"), _("&Add contact"), &text))
    return;
  m_listener->OnAddContact(m_login, text);
}

void ContactEntry::OnRemoveContact(wxCommandEvent&) {
  std::string text;
  if (!Confirm(_("Remove a private contact"),
               _("Do you really want to remove ") + Who(m_contactInfo) + " " + _("from your private contacts") + "?",
               _("You may write a short message to explain your decision:"), _("&Remove"), &text))
    return;
  m_listener->OnRemoveContact(m_contactInfo.GetLogin(), text);
  if (m_room == "none" && !m_discarded) {
    m_withdrawn = true;
    Show(false);
    if (ChatRoomEntry* block = dynamic_cast<ChatRoomEntry*>(GetParent())) block->RowResized(this);
  }
}

void ContactEntry::OnBlockContact(wxCommandEvent&) {
  std::string text;
  if (!Confirm(_("Block a contact"),
               _("Do you really want to block") + " " + Who(m_contactInfo) + " ?\n" +
                   _("You will not be able to talk to each other until you unblock him/her."),
               wxString(), _("&Block"), &text))
    return;
  m_listener->OnBlockContact(m_contactInfo.GetLogin(), text);
}

void ContactEntry::OnUnblockContact(wxCommandEvent&) {
  std::string text;
  if (!Confirm(_("Unblock a contact"),
               _("Do you really want to unblock") + " " + Who(m_contactInfo) + ".\n" +
                   _("You will be able to talk again to each other if (s)he has not blocked you."),
               wxString(), _("&Unblock"), &text))
    return;
  m_listener->OnUnblockContact(m_contactInfo.GetLogin(), text);
}

void ContactEntry::OnReportAbuse(wxCommandEvent&) {
  if (IsSelfRow() || m_discarded) return;
  lateDestruction::Hold hold;
  const std::string room = m_room, login = m_login;
  const wxString message = _("Describe shortly why you want to report an abuse\nfrom ") +
                           shown::OneLine(m_contactInfo.GetNickname(), 48) + " <" + shown::OneLine(login, 64) +
                           _("> on ") + shown::OneLine(room, 200) + _(":");
  wxTextEntryDialog dialog(wxGetTopLevelParent(this), message, _("Report abuse"), wxString(),
                           wxOK | wxCANCEL | wxCENTRE);
  dialog.SetMaxLength(kMaxReport);
  if (dialog.ShowModal() != wxID_OK || m_discarded || !m_listener) return;
  m_listener->OnReportAbuse(room, login, wx2std(dialog.GetValue()));
}

void ContactEntry::OnInviteContact(wxCommandEvent& event) {
  if (IsSelfRow()) return;
  auto found = m_inviteRooms.find(event.GetId());
  if (found == m_inviteRooms.end()) return;
  m_manager->InviteContactInChatRoom(found->second, m_login);
}

void ContactEntry::OnInviteToParlavox(wxCommandEvent&) {
  browser::Open(InvitationAddress(m_contactInfo.GetLogin(), m_manager->GetWebToken()));
}
