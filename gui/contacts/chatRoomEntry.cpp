// The block of the contacts list: its header, the order of its rows, the updates and the counts.
// Where the rows stand and which of them have a window is in chatRoomEntryPlacement.cpp.
#include "gui/contacts/chatRoomEntry.h"

#include <wx/sizer.h>

#include <algorithm>
#include <type_traits>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/groupEntry.h"
#include "gui/contacts/lateDestruction.h"
#include "model/config.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"
#include "widgets/idlePass.h"

namespace {

const int kSpacer = 4;
const char* const kOnline = "     ONLINE";
const char* const kOffline = "    OFFLINE";

// The counts of a block change with every update of a burst; they are written at most this often.
const auto kCountsSpan = std::chrono::milliseconds(100);

bool Connected(t_status status) { return status != STATUS_NONE && status != STATUS_OFFLINE; }

}  // namespace

ChatRoomEntry::ChatRoomEntry(Manager* manager, wxWindow* parent, EntryListener* listener, const wxString& label,
                             const std::string& name)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_listener(listener),
      m_name(name),
      m_pool([this](const ContactInfo& contact, bool subscribed) {
        auto* window = new ContactEntry(m_manager, this, m_listener, contact, CEP_CONTACTS_LIST, subscribed, "none");
        idlePass::Due(window);
        return window;
      }),
      m_list(dynamic_cast<ContactsPanel*>(parent)) {
  SetBackgroundColour(*wxWHITE);
  m_sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(m_sizer);
  m_sizer->Add(kSpacer, kSpacer, 0, 0, 0);
  m_header = new GroupEntry(this, name, label);
  m_sizer->Add(m_header, 0, wxEXPAND, 0);
  SetMinSize(wxSize(-1, RowsTop()));
  Bind(wxEVT_SIZE, &ChatRoomEntry::OnSize, this);
  m_countsTimer.SetOwner(this);
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { WriteCounts(); }, m_countsTimer.GetId());
  UpdateNbrUsers();
}

ChatRoomEntry::~ChatRoomEntry() { m_countsTimer.Stop(); }

int ChatRoomEntry::RowsTop() const { return kSpacer + m_header->GetMinSize().y; }

// ---- Order.

ChatRoomEntry::SortKey ChatRoomEntry::KeyOf(bool connected, const std::string& nickname) {
  SortKey key;
  key.connected = connected;
  // Each byte as CompareNoCase sees it (upper-cased, signed), moved to 0..255; a nickname that
  // ends gives 0s, which sort first, as a nickname that is the start of another does. Keys that
  // differ order their nicknames; equal keys say nothing.
  for (size_t i = 0; i < sizeof key.prefix; ++i) {
    const unsigned byte = i < nickname.size() ? static_cast<unsigned char>(AsciiToUpper(nickname[i])) ^ 0x80u : 0u;
    key.prefix = key.prefix << 8 | byte;
  }
  return key;
}

int ChatRoomEntry::Compare(const SortKey& key, const std::string& nickname, const Slot& slot) {
  if (key.connected != slot.key.connected) return key.connected ? -1 : 1;
  if (key.prefix != slot.key.prefix) return key.prefix < slot.key.prefix ? -1 : 1;
  return CompareNoCase(nickname, slot.row->nickname);
}

// The rows are kept in this order, so the place is found by halving: after every row that sorts
// before the contact or equal to it.
size_t ChatRoomEntry::FindPlace(const SortKey& key, const std::string& nickname) const {
  auto after = [&nickname](const SortKey& k, const Slot& slot) { return Compare(k, nickname, slot) < 0; };
  return std::upper_bound(m_rows.begin(), m_rows.end(), key, after) - m_rows.begin();
}

// Where the row with `key` and `nickname`, standing at `at`, goes among the other rows: the index
// it takes once it has left its place, found by halving each side of it.
size_t ChatRoomEntry::FindPlaceAmongOthers(const SortKey& key, const std::string& nickname, size_t at) const {
  auto after = [&nickname](const SortKey& k, const Slot& slot) { return Compare(k, nickname, slot) < 0; };
  // Past every row before it that sorts before it or equal: then it stays at or above `at`.
  const auto beforeEnd = m_rows.begin() + long(at);
  const auto inFront = std::upper_bound(m_rows.begin(), beforeEnd, key, after);
  if (inFront != beforeEnd) return size_t(inFront - m_rows.begin());
  // Else among the rows after it, which then move up by one.
  const auto behind = std::upper_bound(beforeEnd + 1, m_rows.end(), key, after);
  return size_t(behind - m_rows.begin()) - 1;
}

// Looked for first where the row last stood and one place either side (one change moves the other
// rows by one place at most); else the first row that sorts with `row` is found by halving, and
// the row is among those equal to it.
size_t ChatRoomEntry::IndexOf(const Row* row) const {
  for (const size_t at : {row->at, row->at + 1, row->at - 1})
    if (at < m_rows.size() && m_rows[at].get() == row) return row->at = at;
  const SortKey key = KeyOf(row->connected, row->nickname);
  auto before = [row](const Slot& slot, const SortKey& k) { return Compare(k, row->nickname, slot) > 0; };
  for (auto it = std::lower_bound(m_rows.begin(), m_rows.end(), key, before); it != m_rows.end(); ++it)
    if (it->get() == row) return row->at = size_t(it - m_rows.begin());
  // Not in order any more (cannot happen): the long way.
  for (size_t i = 0; i < m_rows.size(); ++i)
    if (m_rows[i].get() == row) return row->at = i;
  return m_rows.size();
}

ChatRoomEntry::Row* ChatRoomEntry::FindRow(const std::string& login) const {
  auto found = m_byLogin.find(login);
  return found == m_byLogin.end() ? nullptr : found->second.get();
}

ContactEntry* ChatRoomEntry::FindRowWindow(const std::string& login) const {
  const Row* row = FindRow(login);
  return row ? row->window : nullptr;
}

ContactEntry* ChatRoomEntry::FindContact(const std::string& login) {
  Row* row = FindRow(login);
  if (!row || m_discarded) return nullptr;
  if (!row->window) {
    GiveWindow(*row);
    ScheduleVisiblePass();
  }
  BringUpToDate(*row);
  return row->window;
}

std::vector<std::string> ChatRoomEntry::GetLogins() const {
  std::vector<std::string> logins;
  logins.reserve(m_rows.size());
  for (const Slot& row : m_rows) logins.push_back(row->login);
  return logins;
}

void ChatRoomEntry::AddContact(const URLContactInfo& update) { AddRow(update.GetContactInfo()); }

void ChatRoomEntry::AddRow(const ContactInfo& contact) {
  std::unique_ptr<Row> owned(new Row);
  Row* row = owned.get();
  row->info = contact;
  row->login = contact.GetLogin();
  row->nickname = contact.GetNickname();
  row->connected = Connected(contact.GetStatus());
  Slot slot;
  slot.key = KeyOf(row->connected, row->nickname);
  const size_t place = FindPlace(slot.key, row->nickname);
  if (row->connected) ++m_connected;
  m_byLogin[row->login] = std::move(owned);
  if (m_list) m_list->RowAdded(row->login, this);
  slot.row = row;
  m_rows.insert(m_rows.begin() + place, slot);
  MarkStale(place, m_rows.size() - 1);
  if (!m_counting) UpdateNbrUsers();
}

// ---- Updates.

// A new state of a listed contact: its window (when it has one) shows it, and the row moves to
// its new place.
void ChatRoomEntry::Upsert(const ContactInfo& contact, Row* row) {
  if (!row) return AddRow(contact);
  const size_t from = IndexOf(row);
  if (from == m_rows.size()) return;
  if (row->connected) --m_connected;
  row->info = contact;
  row->nickname = contact.GetNickname();
  row->connected = Connected(row->info.GetStatus());
  if (row->connected) ++m_connected;
  // A later window works the room icon out from the new record, as the window would now.
  row->subscribed = -1;
  // The new place among the other rows (those before the row keep their index, those after it
  // lose one); only the rows in between move.
  m_rows[from].key = KeyOf(row->connected, row->nickname);
  const size_t before = FindPlaceAmongOthers(m_rows[from].key, row->nickname, from);
  if (before != from) MoveSlot(from, before);
  const size_t to = before;
  if (to != from) MarkStale(std::min(from, to), std::max(from, to));
  // Shown once it stands at its place again: a window that changes its height then moves the
  // rows below it. A window out of sight shows it at the list's next turn, or as soon as the
  // row comes into sight, whichever is first.
  if (!row->window) return;
  row->windowBehind = true;
  if (!OutOfSight(*row)) return BringUpToDate(*row);
  m_windowsBehind = true;
  ScheduleVisiblePass();
}

void ChatRoomEntry::UpdateContact(const URLContactInfo& update, bool) {
  if (update.GetURL() == "none") ApplyListed(update.GetContactInfo());
  else UpdateNbrUsers();
}

ChatRoomEntry::Listing ChatRoomEntry::ListingOf(const std::string& name, const ContactInfo& contact, int mode,
                                                int offline) {
  const bool connected = Connected(contact.GetStatus());
  const bool online = name == kOnline, offlineBlock = name == kOffline;
  if (mode == 0 && (offline == 0 || offline == 1) && online) return connected ? KEEP : DROP;
  if (mode == 0 && offline == 1) return connected ? DROP : KEEP;
  if (mode == 0 && offline == 2) return KEEP;
  if (mode != 1 || offline < 0 || offline > 2) return LEAVE;
  if (offline == 1 && offlineBlock) return connected ? DROP : KEEP;
  const bool inGroup = contact.GetGroup() == name;
  if (offline == 2) return inGroup ? KEEP : DROP;
  return connected && inGroup ? KEEP : DROP;
}

void ChatRoomEntry::ApplyListed(const ContactInfo& contact) {
  const Config* config = Config::GetInstance();
  const Listing listing = ListingOf(m_name, contact, config->GetGroupMode(), config->GetGroupOffline());
  const std::string& login = contact.GetLogin();
  Row* row = FindRow(login);
  // The counts are written once, at the end.
  m_counting = true;
  if (listing == KEEP) Upsert(contact, row);
  else if (listing == DROP && row) RemoveContact(login);
  m_counting = false;
  UpdateNbrUsers();
}

void ChatRoomEntry::RemoveRow(size_t index) {
  Row& row = *m_rows[index];
  if (row.connected) --m_connected;
  if (row.window) {
    row.window->Discard();
    Unwindowed(row);
  }
  if (m_list) m_list->RowRemoved(row.login, this);
  const auto owner = m_byLogin.find(row.login);
  m_rows.erase(m_rows.begin() + index);
  if (owner != m_byLogin.end()) m_byLogin.erase(owner);
}

void ChatRoomEntry::MoveSlot(size_t from, size_t to) {
  static_assert(std::is_trivially_copyable<Slot>::value, "slots move as plain memory");
  const Slot moved = m_rows[from];
  const auto at = [this](size_t index) { return m_rows.begin() + long(index); };
  if (to < from) std::copy_backward(at(to), at(from), at(from + 1));
  else std::copy(at(from + 1), at(to + 1), at(from));
  m_rows[to] = moved;
}

void ChatRoomEntry::RemoveContact(const std::string& login) {
  if (Row* row = FindRow(login)) {
    const size_t index = IndexOf(row);
    if (index < m_rows.size()) {
      RemoveRow(index);
      if (index < m_rows.size()) MarkStale(index, m_rows.size() - 1);
      else MarkStale(m_rows.size(), m_rows.size());
    }
  }
  if (!m_counting) UpdateNbrUsers();
}

void ChatRoomEntry::RemoveAll() {
  for (Slot& row : m_rows) {
    if (row->window) row->window->Discard();
    if (m_list) m_list->RowRemoved(row->login, this);
  }
  m_rows.clear();
  m_windowed.clear();
  m_byLogin.clear();
  m_connected = 0;
  MarkStale(0, 0);
  UpdateNbrUsers();
}

// A row without a window has nothing to redraw: its window, when it gets one, draws it anew.
void ChatRoomEntry::UpdateAvatar(const std::string& login) {
  Row* row = FindRow(login);
  if (!row || !row->window) return;
  BringUpToDate(*row);
  row->window->UpdateAvatar(false);
}

// The blinking row keeps its window until the blinking ends.
void ChatRoomEntry::NotifyNewMessage(const std::string& login) {
  if (ContactEntry* window = FindContact(login)) window->NotifyNewMessage();
}

void ChatRoomEntry::SwitchSubscribeChatRoom(const std::string& login, bool subscribed) {
  Row* row = FindRow(login);
  if (!row) return;
  row->subscribed = subscribed ? 1 : 0;
  if (row->window) row->window->SetSubscribed(subscribed);
}

// The row's room icon: as last switched, else as an update shows it.
bool ChatRoomEntry::Subscribed(const Row& row) const {
  if (row.subscribed >= 0) return row.subscribed == 1;
  return row.info.HasPrivateChatRoomWith(m_manager->GetLogin()) ||
         m_manager->HasSubscribedTo(m_manager->GetPrivateChatRoomNameWith(row.login));
}

// ---- Counts.

// Each write costs a count of the saved contacts, a new label and a layout of the header, which
// the tool kit measures and draws again: a burst of updates would pay for it at every turn of
// the event loop, in every block.
void ChatRoomEntry::UpdateNbrUsers() {
  if (m_list && m_list->IsFilling()) return;
  if (m_countsTimer.IsRunning() || m_discarded) return;
  const std::chrono::steady_clock::duration since = std::chrono::steady_clock::now() - m_countedAt;
  if (since >= kCountsSpan) return WriteCounts();
  m_countsTimer.StartOnce(
      int(std::chrono::duration_cast<std::chrono::milliseconds>(kCountsSpan - since).count()) + 1);
}

void ChatRoomEntry::WriteCounts() {
  m_countsTimer.Stop();
  m_countedAt = std::chrono::steady_clock::now();
  if (m_discarded) return;
  const int total = GetNbrUsers();
  const Config* config = Config::GetInstance();
  const int offline = config->GetGroupOffline();
  if (m_name == kOnline && config->GetGroupMode() == 0 && offline == 2 && m_list && !m_list->IsFilled()) {
    // While the list fills, what it holds so far: the saved contacts still to come are not rows yet.
    m_header->SetNbrUsers(m_connected, total);
  } else if (m_name == kOnline && config->GetGroupMode() == 0 && offline == 2) {
    int savedConnected = 0;
    for (const ContactInfo* contact : config->GetContacts())
      if (Connected(contact->GetStatus())) ++savedConnected;
    m_header->SetNbrUsers(savedConnected, total);
  } else if (m_name == kOnline || m_name == kOffline) {
    m_header->SetNbrUsers(total, static_cast<int>(config->CountContacts()));
  } else if (offline == 2) {
    m_header->SetNbrUsers(m_connected, total);
  } else if (m_list) {
    m_header->SetNbrUsers(m_connected, m_list->SavedInGroup(m_name));
  } else {
    m_header->SetNbrUsers(m_connected, static_cast<int>(config->GetContactsOfGroup(m_name).size()));
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

void ChatRoomEntry::Discard() {
  if (m_discarded) return;
  m_discarded = true;
  m_countsTimer.Stop();
  if (m_list)
    for (const Slot& row : m_rows) m_list->RowRemoved(row->login, this);
  lateDestruction::Discard(this);
}
