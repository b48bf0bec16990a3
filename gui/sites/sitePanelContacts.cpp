// A site's panel: the people on the site, their avatars in the grid, and the notices of their
// arrival and leaving.
#include <wx/intl.h>

#include <algorithm>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/notifyAction.h"
#include "gui/notifyFrame.h"
#include "gui/profiles/contactInfoToolTip.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/siteText.h"
#include "gui/sites/sitesPanel.h"
#include "gui/soundPlayer.h"
#include "model/log.h"
#include "model/urlContactInfo.h"

ContactButtonBitmap* SitePanel::FindContact(const std::string& login) const {
  for (ContactButtonBitmap* button : m_contacts)
    if (button->GetLogin() == login) return button;
  return nullptr;
}

// What an update changes: a person who left the site and is not in its room goes; one who is on
// the site or still in its room and not shown yet comes; anyone else shown takes the new record.
void SitePanel::UpdateContact(const URLContactInfo& update) {
  const std::string login = update.GetLogin();
  const bool inRoom = update.IsSubscribedTo(GetURL());
  TRACE_START_ARGS("%s,%s,%d,%d", login.c_str(), update.GetURL().c_str(), int(update.GetStatus()), int(inRoom));
  ContactButtonBitmap* button = FindContact(login);
  TRACE_INFO("cd = %p", static_cast<void*>(button));
  // The tip shown for the person follows the news.
  if (button && button == m_hoveredContact && m_contactToolTip)
    m_contactToolTip->UpdateContactInfo(update.GetContactInfo());
  if (button && update.IsLogout() && !inRoom) {
    RemoveContact(login);
    TRACE_INFO("Remove ok");
    if (update.GetNotify()) Announce(update, false);
  } else if (button) {
    button->UpdateContactInfo(update.GetContactInfo());
  } else if (!update.IsLogout() || inRoom) {
    AddContact(update);
    if (update.GetNotify()) Announce(update, true);
  }
  SetNbrUsers(update.GetNbrUsers());
  Layout();
  TRACE_END();
}

void SitePanel::AddContact(const URLContactInfo& update) {
  const ContactInfo contact = update.GetContactInfo();
  TRACE_START_ARGS("%s,%s,%d,%d", update.GetURL().c_str(), update.GetNickname().c_str(), int(update.GetStatus()),
                   int(update.IsSubscribedTo(update.GetURL())));
  auto* button = new ContactButtonBitmap(m_contactsPanel, m_manager, contact, update.GetURL());
  button->Bind(wxEVT_LEFT_DOWN, &SitePanel::OnContactClicked, this);
  button->Bind(wxEVT_RIGHT_DOWN, &SitePanel::OnContactRightClick, this);
  if (!m_freeCells.empty()) {
    const wxGBPosition cell = m_freeCells.front();
    m_freeCells.pop_front();
    m_contactsGrid->Add(button, cell);
    m_contactsPanel->Layout();
    button->Show();
    m_cellByLogin[contact.GetLogin()] = cell;
    TRACE_INFO("%s -> (%d,%d)", contact.GetLogin().c_str(), cell.GetCol(), cell.GetRow());
  } else {
    button->Hide();
  }
  const t_border_type border = update.IsSubscribedTo(update.GetURL()) ? BORDER_THICK : BORDER_SIMPLE;
  button->SetBitmap(m_manager->GetAvatar(contact.GetLogin(), true, false, border, update.IsBlocked()));
  if (m_contacts.empty()) m_opened = true;
  m_contacts.push_back(button);
  UpdateNbrUsers();
  TRACE_END();
}

void SitePanel::RemoveContact(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  auto found = std::find_if(m_contacts.begin(), m_contacts.end(),
                            [&login](ContactButtonBitmap* button) { return button->GetLogin() == login; });
  if (found != m_contacts.end()) {
    TRACE_INFO("Found");
    ContactButtonBitmap* button = *found;
    m_contacts.erase(found);
    if (button == m_hoveredContact) HideContactToolTip();
    auto cell = m_cellByLogin.find(login);
    if (cell != m_cellByLogin.end()) {
      if (!m_contactsGrid->Detach(button)) TRACE_INFO("Not found !!!");
      m_freeCells.push_back(cell->second);
      m_cellByLogin.erase(cell);
    }
    DisposeOf(button);
    Layout();
  }
  if (!m_freeCells.empty()) PlaceHiddenContact();
  if (m_contacts.empty())
    m_freeCells.sort([](const wxGBPosition& a, const wxGBPosition& b) {
      return a.GetRow() < b.GetRow() || (a.GetRow() == b.GetRow() && a.GetCol() < b.GetCol());
    });
  m_contactsPanel->Layout();
  UpdateNbrUsers();
  TRACE_END();
}

// The first person waiting hidden takes the first free cell.
void SitePanel::PlaceHiddenContact() {
  for (ContactButtonBitmap* button : m_contacts) {
    if (m_cellByLogin.count(button->GetLogin())) continue;
    const wxGBPosition cell = m_freeCells.front();
    m_freeCells.pop_front();
    m_contactsGrid->Add(button, cell);
    button->Show(m_opened);
    m_cellByLogin[button->GetLogin()] = cell;
    TRACE_INFO("Add hidden : %s -> (%d,%d)", button->GetLogin().c_str(), cell.GetCol(), cell.GetRow());
    return;
  }
}

void SitePanel::DisposeOf(ContactButtonBitmap* button) {
  button->Hide();
  if (IsBusy()) m_graveyard.emplace_back(button);
  else button->Destroy();
}

void SitePanel::DisposeLater() {
  if (IsBusy()) return;
  for (wxWeakRef<ContactButtonBitmap>& button : m_graveyard)
    if (button) button->Destroy();
  m_graveyard.clear();
}

void SitePanel::UpdateAvatar(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  ContactButtonBitmap* button = FindContact(login);
  if (!button) {
    TRACE_INFO("not found");
    return;
  }
  button->Redraw(m_manager->GetContactInfo(login)->IsBlocked());
  if (button == m_hoveredContact && m_contactToolTip) m_contactToolTip->UpdateAvatar();
  TRACE_END();
}

// A pop-up and a sound, each as the person's setting, else the site's, else the default says.
void SitePanel::Announce(const URLContactInfo& update, bool arrival) {
  const ContactInfo contact = update.GetContactInfo();
  const URLInfo* site = m_manager->GetURLInfo(update.GetURL());
  const ContactInfo* defaults = m_manager->GetDefaultContactInfo();
  const std::string kind = arrival ? "open" : "close";
  const bool visual = IsNotificationOn(contact.GetNotification(kind + "-visual"),
                                       site->GetNotification(kind + "-visual-contact"),
                                       defaults->GetNotification(kind + "-visual"));
  const bool bell = IsNotificationOn(contact.GetNotification(kind + "-bell"),
                                     site->GetNotification(kind + "-bell-contact"),
                                     defaults->GetNotification(kind + "-bell"));
  if (visual) {
    const NotifyAction action(arrival ? NOTIFY_ACTION_SUBSCRIBE : NOTIFY_ACTION_FOCUS_CHATROOM, update.GetURL());
    const wxString text = (arrival ? _("also visits") : _("leaves")) + "\n" +
                          siteText::Shown(m_manager->GetChatRoomName(update.GetURL()));
    const wxBitmap avatar = m_manager->GetAvatar(update.GetLogin(), false, false, BORDER_SIMPLE, update.IsBlocked());
    if (NotifyFrame* popup = NotifyFrame::AddNotification(action, _("Notification"),
                                                          siteText::Shown(update.GetNickname()), avatar, text))
      popup->Popup();
  }
  if (bell) sound::Play(arrival ? "sounds/online.wav" : "sounds/offline.wav");
}

void SitePanel::OnContactClicked(wxMouseEvent& event) {
  auto* button = dynamic_cast<ContactButtonBitmap*>(event.GetEventObject());
  if (!button) return;
  const std::string login = button->GetLogin();
  if (m_manager->GetContactInfo(login)->IsBlocked()) return;
  if (SitesPanel* sites = Sites()) sites->OnOpenPrivateChatRoom(login);
}
