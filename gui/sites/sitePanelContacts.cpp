// A site's panel: the people on the site, their avatars in the grid, and the notices of their
// arrival and leaving.
#include <wx/intl.h>

#include <algorithm>
#include <iterator>

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
#include "widgets/myStaticText.h"

SitePanel::Person* SitePanel::FindPerson(const std::string& login) const {
  auto found = m_byLogin.find(login);
  return found == m_byLogin.end() ? nullptr : &*found->second;
}

ContactButtonBitmap* SitePanel::FindContact(const std::string& login) const {
  const Person* person = FindPerson(login);
  return person ? person->avatar : nullptr;
}

std::vector<std::string> SitePanel::GetLogins() const {
  std::vector<std::string> logins;
  logins.reserve(m_people.size());
  for (const Person& person : m_people) logins.push_back(person.contact.GetLogin());
  return logins;
}

// What an update changes: a person who left the site and is not in its room goes; one who is on
// the site or still in its room and not shown yet comes; anyone else shown takes the new record.
// A wave brings thousands of updates: each writes its START and its END, which says what it did,
// and of the steps within it only the cell given to one who comes.
void SitePanel::UpdateContact(const URLContactInfo& update) {
  const std::string login = update.GetLogin();
  const bool inRoom = update.IsSubscribedTo(GetURL());
  TRACE_START_ARGS("%s,%s,%d,%d", login.c_str(), update.GetURL().c_str(), int(update.GetStatus()), int(inRoom));
  Person* person = FindPerson(login);
  ContactButtonBitmap* button = person ? person->avatar : nullptr;
  // The tip shown for the person follows the news.
  if (button && button == m_hoveredContact && m_contactToolTip)
    m_contactToolTip->UpdateContactInfo(update.GetContactInfo());
  const char* done = "unchanged";
  if (person && update.IsLogout() && !inRoom) {
    RemoveContact(login);
    if (update.GetNotify()) Announce(update, false);
    done = "left";
  } else if (person) {
    ChangeContact(*person, update.GetContactInfo());
    done = "changed";
  } else if (!update.IsLogout() || inRoom) {
    AddContact(update);
    if (update.GetNotify()) Announce(update, true);
    done = "came";
  }
  m_urlInfo.SetNbrUsers(update.GetNbrUsers());
  UpdateNbrUsers();
  LayoutSoon();
  TRACE_END_RESULT("%s, %d on the site", done, GetNbrUsers());
}

void SitePanel::AddContact(const URLContactInfo& update) {
  const bool inRoom = update.IsSubscribedTo(GetURL());
  if (m_people.empty()) m_opened = true;
  m_people.push_back(Person{update.GetContactInfo(), inRoom, update.IsBlocked(), nullptr, {}});
  Person& person = m_people.back();
  m_byLogin[person.contact.GetLogin()] = std::prev(m_people.end());
  if (inRoom) ++m_nbrChatRoomUsers;
  if (!m_freeCells.empty()) {
    const wxGBPosition cell = m_freeCells.front();
    m_freeCells.pop_front();
    PlaceContact(person, cell, true);
    TRACE_INFO("%s -> (%d,%d)", person.contact.GetLogin().c_str(), cell.GetCol(), cell.GetRow());
  } else {
    m_waiting.push_back(&person);
    person.waiting = std::prev(m_waiting.end());
  }
  UpdateNbrUsers();
}

// A newer record: the room count follows the person in and out of the room, and so does the
// avatar's frame.
void SitePanel::ChangeContact(Person& person, const ContactInfo& contact) {
  const bool inRoom = contact.IsSubscribedTo(GetURL());
  if (inRoom != person.inRoom) {
    m_nbrChatRoomUsers += inRoom ? 1 : -1;
    person.inRoom = inRoom;
    person.blocked = contact.IsBlocked();
  }
  person.contact = contact;
  if (person.avatar) person.avatar->UpdateContactInfo(contact);
}

void SitePanel::PlaceContact(Person& person, const wxGBPosition& cell, bool show) {
  auto* button = new ContactButtonBitmap(m_contactsPanel, m_manager, person.contact, GetURL());
  button->Bind(wxEVT_LEFT_DOWN, &SitePanel::OnContactClicked, this);
  button->Bind(wxEVT_RIGHT_DOWN, &SitePanel::OnContactRightClick, this);
  WatchPointer(button);
  const t_border_type border = person.inRoom ? BORDER_THICK : BORDER_SIMPLE;
  button->SetBitmap(m_manager->GetAvatar(person.contact.GetLogin(), true, false, border, person.blocked));
  m_contactsGrid->Add(button, cell);
  button->Show(show);
  m_cellByLogin[person.contact.GetLogin()] = cell;
  person.avatar = button;
  m_contactsPanel->Layout();
}

void SitePanel::RemoveContact(const std::string& login) {
  auto found = m_byLogin.find(login);
  // An avatar handed over keeps its cell and its size: the grid needs no new layout.
  bool handedOver = false;
  if (found != m_byLogin.end()) {
    Person& person = *found->second;
    if (person.inRoom) --m_nbrChatRoomUsers;
    if (ContactButtonBitmap* button = person.avatar) {
      if (button == m_hoveredContact) HideContactToolTip();
      auto cell = m_cellByLogin.find(login);
      if (cell != m_cellByLogin.end() && CanHandOver()) {
        const wxGBPosition freed = cell->second;
        m_cellByLogin.erase(cell);
        HandOver(button, freed);
        handedOver = true;
      } else {
        if (cell != m_cellByLogin.end()) {
          if (!m_contactsGrid->Detach(button)) TRACE_ERROR("%s: avatar not in the grid", login.c_str());
          m_freeCells.push_back(cell->second);
          m_cellByLogin.erase(cell);
        }
        DisposeOf(button);
      }
    } else {
      m_waiting.erase(person.waiting);
    }
    m_people.erase(found->second);
    m_byLogin.erase(found);
  }
  if (!m_freeCells.empty()) PlaceHiddenContact();
  if (m_people.empty())
    m_freeCells.sort([](const wxGBPosition& a, const wxGBPosition& b) {
      return a.GetRow() < b.GetRow() || (a.GetRow() == b.GetRow() && a.GetCol() < b.GetCol());
    });
  if (!handedOver) m_contactsPanel->Layout();
  UpdateNbrUsers();
}

// With the grid full, the cell that frees is the first free one, which the first person waiting
// takes: the avatar stays where it is and shows that person (no window to make and lay out).
// Not while a menu or a question of the panel is open: the avatar it was opened on must go.
bool SitePanel::CanHandOver() const { return !IsBusy() && !m_waiting.empty() && m_freeCells.empty(); }

void SitePanel::HandOver(ContactButtonBitmap* button, const wxGBPosition& cell) {
  Person& next = *m_waiting.front();
  m_waiting.pop_front();
  button->ShowContact(next.contact, next.blocked);
  button->Show(m_opened);
  next.avatar = button;
  m_cellByLogin[next.contact.GetLogin()] = cell;
}

// The first person waiting hidden takes the first free cell.
void SitePanel::PlaceHiddenContact() {
  if (m_waiting.empty()) return;
  Person& person = *m_waiting.front();
  m_waiting.pop_front();
  const wxGBPosition cell = m_freeCells.front();
  m_freeCells.pop_front();
  PlaceContact(person, cell, m_opened);
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

int SitePanel::ShownRows() const {
  if (!m_contactsPanel->IsShown()) return 0;
  int rows = 0;
  for (const auto& entry : m_cellByLogin) rows = std::max(rows, entry.second.GetRow() + 1);
  return rows;
}

// The height follows the grid's rows: while they stay as they were (people coming and going
// with the grid full, or within a row), nothing needs measuring.
bool SitePanel::NeedsResize() {
  const int rows = ShownRows();
  if (rows == m_checkedRows) return false;
  m_checkedRows = rows;
  // The sizes the toolkit keeps are those before the change.
  m_contactsPanel->InvalidateBestSize();
  return GetBestSize().y != GetSize().y;
}

void SitePanel::LayoutSoon() {
  if (m_layoutDue) return;
  m_layoutDue = true;
  CallAfter([this] {
    m_layoutDue = false;
    // The counts are measured here, once for a whole burst of changes.
    m_usersLabel->GetInnerText()->InvalidateBestSize();
    m_chatRoomUsersLabel->GetInnerText()->InvalidateBestSize();
    m_usersLabel->InvalidateBestSize();
    m_chatRoomUsersLabel->InvalidateBestSize();
    Layout();
  });
}

void SitePanel::UpdateAvatar(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  Person* person = FindPerson(login);
  if (!person) {
    TRACE_INFO("not found");
    return;
  }
  person->blocked = m_manager->GetContactInfo(login)->IsBlocked();
  // One waiting for a cell is drawn when it gets one.
  if (ContactButtonBitmap* button = person->avatar) {
    button->Redraw(person->blocked);
    if (button == m_hoveredContact && m_contactToolTip) m_contactToolTip->UpdateAvatar();
  }
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
    // Drawn when shown: of a crowd arriving at once, only the last few ever are.
    Manager* manager = m_manager;
    const NotifyPicture avatar = [manager, login = update.GetLogin(), blocked = update.IsBlocked()] {
      return manager->GetAvatar(login, false, false, BORDER_SIMPLE, blocked);
    };
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
