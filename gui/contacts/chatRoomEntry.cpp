#include "gui/contacts/chatRoomEntry.h"

#include <wx/sizer.h>

#include <algorithm>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/groupEntry.h"
#include "gui/contacts/lateDestruction.h"
#include "model/config.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"

namespace {

const int kSpacer = 4;
const char* const kOnline = "     ONLINE";
const char* const kOffline = "    OFFLINE";

bool Connected(t_status status) { return status != STATUS_NONE && status != STATUS_OFFLINE; }

}  // namespace

ChatRoomEntry::ChatRoomEntry(Manager* manager, wxWindow* parent, EntryListener* listener, const wxString& label,
                             const std::string& name)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_listener(listener),
      m_name(name) {
  SetBackgroundColour(*wxWHITE);
  m_sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(m_sizer);
  m_sizer->Add(kSpacer, kSpacer, 0, 0, 0);
  m_header = new GroupEntry(this, name, label);
  m_sizer->Add(m_header, 0, wxEXPAND, 0);
  SetMinSize(wxSize(-1, RowsTop()));
  Bind(wxEVT_SIZE, &ChatRoomEntry::OnSize, this);
  UpdateNbrUsers();
}

ChatRoomEntry::~ChatRoomEntry() {}

int ChatRoomEntry::RowsTop() const { return kSpacer + m_header->GetMinSize().y; }

// ---- Order.

// The rows are kept in this order, so the place is found by halving: after every row that sorts
// before the contact or equal to it.
size_t ChatRoomEntry::FindPlace(bool connected, const std::string& nickname) const {
  auto after = [](const std::pair<bool, const std::string*>& key, const ContactEntry* row) {
    if (key.first != row->IsConnected()) return key.first;
    return CompareNoCase(*key.second, row->Nickname()) < 0;
  };
  return std::upper_bound(m_rows.begin(), m_rows.end(), std::make_pair(connected, &nickname), after) - m_rows.begin();
}

size_t ChatRoomEntry::IndexOf(const ContactEntry* row) const {
  for (size_t i = 0; i < m_rows.size(); ++i)
    if (m_rows[i] == row) return i;
  return m_rows.size();
}

ContactEntry* ChatRoomEntry::FindContact(const std::string& login) const {
  for (ContactEntry* row : m_rows)
    if (row->Login() == login) return row;
  return nullptr;
}

void ChatRoomEntry::AddContact(const URLContactInfo& update) {
  const ContactInfo contact = update.GetContactInfo();
  ContactEntry* row = new ContactEntry(m_manager, this, m_listener, contact, CEP_CONTACTS_LIST, false, "none");
  // The icon tells whether the user's private room with the contact is open, also after a rebuild.
  row->SetSubscribed(m_manager->HasSubscribedTo(m_manager->GetPrivateChatRoomNameWith(contact.GetLogin())));
  const size_t place = FindPlace(update.IsConnected(), update.GetNickname());
  m_rows.insert(m_rows.begin() + place, row);
  // Shown once placed, and only while in sight.
  row->Hide();
  MarkStale(place, m_rows.size() - 1);
  if (!m_counting) UpdateNbrUsers();
}

void ChatRoomEntry::MoveToRightPlace(const ContactInfo& info, ContactEntry* row) {
  const size_t from = IndexOf(row);
  if (from == m_rows.size()) return;
  m_rows.erase(m_rows.begin() + from);
  const size_t to = FindPlace(Connected(info.GetStatus()), info.GetNickname());
  m_rows.insert(m_rows.begin() + to, row);
  if (to != from) MarkStale(std::min(from, to), std::max(from, to));
  if (!m_counting) UpdateNbrUsers();
}

// ---- Updates.

void ChatRoomEntry::UpdateContact(const URLContactInfo& update, bool) {
  if (update.GetURL() == "none") {
    const Config* config = Config::GetInstance();
    const int mode = config->GetGroupMode(), offline = config->GetGroupOffline();
    const bool connected = update.IsConnected();
    const bool inGroup = update.GetGroup() == m_name;
    const bool online = m_name == kOnline, offlineBlock = m_name == kOffline;
    enum { NOTHING, UPSERT, DROP } action = NOTHING;
    if (mode == 0 && (offline == 0 || offline == 1) && online) action = connected ? UPSERT : DROP;
    else if (mode == 0 && offline == 1) action = connected ? DROP : UPSERT;
    else if (mode == 0 && offline == 2) action = UPSERT;
    else if (mode == 1 && offline == 0) action = connected && inGroup ? UPSERT : DROP;
    else if (mode == 1 && offline == 1 && offlineBlock) action = connected ? DROP : UPSERT;
    else if (mode == 1 && offline == 1) action = connected && inGroup ? UPSERT : DROP;
    else if (mode == 1 && offline == 2) action = inGroup ? UPSERT : DROP;
    ContactEntry* row = FindContact(update.GetLogin());
    // The counts are written once, at the end.
    m_counting = true;
    if (action == UPSERT && row) {
      const ContactInfo contact = update.GetContactInfo();
      row->UpdateContactInfo(contact);
      MoveToRightPlace(contact, row);
    } else if (action == UPSERT) {
      AddContact(update);
    } else if (action == DROP && row) {
      RemoveContact(update.GetLogin());
    }
    m_counting = false;
  }
  UpdateNbrUsers();
}

void ChatRoomEntry::RemoveContact(const std::string& login) {
  for (size_t i = 0; i < m_rows.size(); ++i) {
    if (m_rows[i]->Login() != login) continue;
    ContactEntry* row = m_rows[i];
    m_rows.erase(m_rows.begin() + i);
    m_wanted.erase(row);
    row->Discard();
    if (i < m_rows.size()) MarkStale(i, m_rows.size() - 1);
    else MarkStale(m_rows.size(), m_rows.size());
    break;
  }
  if (!m_counting) UpdateNbrUsers();
}

void ChatRoomEntry::RemoveAll() {
  for (ContactEntry* row : m_rows) row->Discard();
  m_rows.clear();
  m_wanted.clear();
  MarkStale(0, 0);
  UpdateNbrUsers();
}

void ChatRoomEntry::UpdateAvatar(const std::string& login) {
  if (ContactEntry* row = FindContact(login)) row->UpdateAvatar(false);
}

void ChatRoomEntry::NotifyNewMessage(const std::string& login) {
  if (ContactEntry* row = FindContact(login)) row->NotifyNewMessage();
}

void ChatRoomEntry::SwitchSubscribeChatRoom(const std::string& login, bool subscribed) {
  if (ContactEntry* row = FindContact(login)) row->SetSubscribed(subscribed);
}

void ChatRoomEntry::UpdateNbrUsers() {
  int connected = 0;
  for (const ContactEntry* row : m_rows)
    if (row->IsConnected()) ++connected;
  const int total = GetNbrUsers();
  const Config* config = Config::GetInstance();
  const int offline = config->GetGroupOffline();
  if (m_name == kOnline && config->GetGroupMode() == 0 && offline == 2) {
    int savedConnected = 0;
    for (const ContactInfo* contact : config->GetContacts())
      if (Connected(contact->GetStatus())) ++savedConnected;
    m_header->SetNbrUsers(savedConnected, total);
  } else if (m_name == kOnline || m_name == kOffline) {
    m_header->SetNbrUsers(total, static_cast<int>(config->GetContacts().size()));
  } else if (offline == 2) {
    m_header->SetNbrUsers(connected, total);
  } else {
    int ofGroup = 0;
    for (const ContactInfo* contact : config->GetContacts())
      if (contact->GetGroup() == m_name) ++ofGroup;
    m_header->SetNbrUsers(connected, ofGroup);
  }
}

// ---- Folding.

void ChatRoomEntry::OnBitmapMouseLeftDown(wxMouseEvent&) {
  if (!m_rows.empty()) MarkStale(0, m_rows.size() - 1);
  PlaceRows();
  if (wxScrolledWindow* panel = dynamic_cast<wxScrolledWindow*>(GetParent())) {
    panel->SetVirtualSize(panel->GetBestVirtualSize());
    panel->Refresh(true);
  }
}

// ---- Placement.

void ChatRoomEntry::RowResized(ContactEntry* row) {
  const size_t index = IndexOf(row);
  if (index < m_rows.size()) MarkStale(index, m_rows.size() - 1);
}

void ChatRoomEntry::MarkStale(size_t from, size_t to) {
  if (m_staleFrom > m_staleTo) {
    m_staleFrom = from;
    m_staleTo = to;
  } else {
    m_staleFrom = std::min(m_staleFrom, from);
    m_staleTo = std::max(m_staleTo, to);
  }
  if (m_placementDue || m_discarded) return;
  m_placementDue = true;
  CallAfter([this] { PlaceRows(); });
}

void ChatRoomEntry::OnSize(wxSizeEvent& event) {
  event.Skip();
  if (GetClientSize().x != m_placedWidth && !m_rows.empty()) MarkStale(0, m_rows.size() - 1);
}

// The part of the block that the list shows now, with a screen's height of margin each side.
wxRect ChatRoomEntry::NearlyVisible() const {
  const wxWindow* list = GetParent();
  const int height = list ? list->GetClientSize().y : GetClientSize().y;
  return wxRect(0, -GetPosition().y - height, GetClientSize().x, 3 * height);
}

bool ChatRoomEntry::TakesPlace(const ContactEntry* row) const { return m_header->IsOpened() && !row->IsWithdrawn(); }

// Works out where every stale row stands in the block; then the rows in sight are moved there
// and shown. Rows out of sight are hidden: the tool kit then leaves them out of its layout and
// drawing, which a block of thousands of rows would otherwise pay for at every change.
void ChatRoomEntry::PlaceRows() {
  m_placementDue = false;
  if (m_discarded || m_staleFrom > m_staleTo) return;
  const size_t from = std::min(m_staleFrom, m_rows.size());
  const size_t to = std::min(m_staleTo + 1, m_rows.size());
  m_staleFrom = 1;
  m_staleTo = 0;
  const int width = GetClientSize().x;
  const bool allWidths = width != m_placedWidth;
  m_placedWidth = width;
  // Where the first stale row begins: below the last row before it that takes place.
  int y = RowsTop();
  for (size_t i = from; i-- > 0;) {
    if (!TakesPlace(m_rows[i])) continue;
    y = m_wanted[m_rows[i]].GetBottom() + 1;
    break;
  }
  for (size_t i = from; i < m_rows.size(); ++i) {
    ContactEntry* row = m_rows[i];
    wxRect& wanted = m_wanted[row];
    if (!TakesPlace(row)) {
      wanted = wxRect(0, y, width, 0);
      continue;
    }
    // Past the stale range, rows stand where they should once one of them does.
    if (i >= to && !allWidths && wanted.height > 0 && wanted.y == y) break;
    wanted = wxRect(0, y, width, row->GetBestSize().y);
    y += wanted.height;
  }
  int bottom = RowsTop();
  for (size_t i = m_rows.size(); i-- > 0;) {
    if (!TakesPlace(m_rows[i])) continue;
    bottom = m_wanted[m_rows[i]].GetBottom() + 1;
    break;
  }
  if (GetMinSize().y != bottom) {
    SetMinSize(wxSize(-1, bottom));
    if (ContactsPanel* panel = dynamic_cast<ContactsPanel*>(GetParent())) panel->BlockResized();
  }
  PlaceVisibleRows();
}

void ChatRoomEntry::PlaceVisibleRows() {
  if (m_discarded) return;
  const wxRect visible = NearlyVisible();
  for (ContactEntry* row : m_rows) {
    const wxRect& wanted = m_wanted[row];
    if (TakesPlace(row) && wanted.Intersects(visible)) {
      if (row->GetRect() != wanted) {
        row->SetSize(wanted);
        ++m_placements;
      }
      if (!row->IsShown()) row->Show();
    } else if (row->IsShown()) {
      row->Hide();
    }
  }
}

bool ChatRoomEntry::IsPlaced() const { return m_staleFrom > m_staleTo; }

void ChatRoomEntry::Discard() {
  if (m_discarded) return;
  m_discarded = true;
  m_wanted.clear();
  lateDestruction::Discard(this);
}
