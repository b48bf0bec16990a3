#include "gui/rooms/memberColumn.h"

#include <algorithm>
#include <chrono>

#include "gui/contacts/contactEntry.h"
#include "gui/contacts/lateDestruction.h"

namespace {

using Clock = std::chrono::steady_clock;

// The time one pass may spend making windows; the rows still without one get theirs at the next
// turn of the event loop.
const auto kPassBudget = std::chrono::milliseconds(8);
// The least time between two passes that follow the members' coming and going.
const auto kPassSpan = std::chrono::milliseconds(40);

}  // namespace

MemberColumn::MemberColumn(Manager* manager, wxWindow* parent, EntryListener* listener, const std::string& room)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL | wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_listener(listener),
      m_room(room),
      m_pool([this](const ContactInfo& contact, bool) {
        return new ContactEntry(m_manager, this, m_listener, contact, CEP_CHATROOM, false, m_room);
      }),
      m_budget(kPassBudget),
      m_windowCost(std::chrono::milliseconds(2)) {
  SetBackgroundColour(*wxWHITE);
  for (const wxEventTypeTag<wxScrollWinEvent>& type :
       {wxEVT_SCROLLWIN_THUMBTRACK, wxEVT_SCROLLWIN_THUMBRELEASE, wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN,
        wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN, wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM})
    Bind(type, &MemberColumn::OnScroll, this);
  Bind(wxEVT_SIZE, &MemberColumn::OnSize, this);
  m_nextTurn.SetOwner(this);
  Bind(wxEVT_TIMER, [this](wxTimerEvent&) { Place(); }, m_nextTurn.GetId());
}

MemberColumn::~MemberColumn() { m_nextTurn.Stop(); }

MemberColumn::Member* MemberColumn::Find(const std::string& login) const {
  auto found = m_members.find(login);
  return found == m_members.end() ? nullptr : found->second.get();
}

std::vector<std::string> MemberColumn::GetLogins() const {
  std::vector<std::string> logins;
  logins.reserve(m_order.Size());
  m_order.ForEach([&logins](const Member* member) { logins.push_back(member->login); });
  return logins;
}

void MemberColumn::Add(const ContactInfo& contact) {
  std::unique_ptr<Member>& member = m_members[contact.GetLogin()];
  if (member) return;
  member.reset(new Member);
  member->info = contact;
  member->login = contact.GetLogin();
  m_order.Append(member.get());
  PlaceSoon();
}

void MemberColumn::Update(const ContactInfo& contact) {
  Member* member = Find(contact.GetLogin());
  if (!member) return;
  member->info = contact;
  if (!member->window) return;
  member->behind = true;
  // A row in sight shows it now; the others when they come into sight.
  if (member->window->IsShown()) BringUpToDate(*member);
}

void MemberColumn::Remove(const std::string& login) {
  auto found = m_members.find(login);
  if (found == m_members.end()) return;
  Drop(*found->second);
  m_order.Remove(found->second.get());
  m_members.erase(found);
  PlaceSoon();
}

void MemberColumn::RemoveAll() {
  for (auto& member : m_members) Drop(*member.second);
  m_members.clear();
  m_order.Clear();
  PlaceSoon();
}

// A window that the user still acts on (its menu, a question) is destroyed once that is over;
// another one serves the next members.
void MemberColumn::Drop(Member& member) {
  if (!member.window) return;
  if (member.window->IsMenuShown() || lateDestruction::Held()) {
    m_windowed.erase(std::remove(m_windowed.begin(), m_windowed.end(), &member), m_windowed.end());
    member.window->Discard();
    member.window = nullptr;
    return;
  }
  TakeWindowBack(member);
}

ContactEntry* MemberColumn::FindRowWindow(const std::string& login) const {
  const Member* member = Find(login);
  return member ? member->window : nullptr;
}

ContactEntry* MemberColumn::FindRow(const std::string& login) {
  Member* member = Find(login);
  if (!member) return nullptr;
  if (!member->window) {
    GiveWindow(*member);
    // Far out of sight, it waits hidden until it comes near.
    size_t first = 0, last = 0;
    KeptRows(&first, &last);
    const size_t index = m_order.IndexOf(member);
    if (index >= first && index < last) PlaceWindow(*member, index);
    PlaceSoon();
  }
  BringUpToDate(*member);
  return member->window;
}

void MemberColumn::UpdateAvatar(const std::string& login) {
  Member* member = Find(login);
  if (!member || !member->window) return;
  BringUpToDate(*member);
  member->window->UpdateAvatar(true);
}

void MemberColumn::ForgetListener() {
  m_listener = nullptr;
  for (Member* member : m_windowed) member->window->ForgetListener();
  m_pool.ForgetListener();
}

wxRect MemberColumn::GetRowRect(const std::string& login) const {
  const Member* member = Find(login);
  if (!member || m_rowHeight <= 0) return wxRect();
  return wxRect(0, int(m_order.IndexOf(member)) * m_rowHeight, GetClientSize().x, m_rowHeight);
}

void MemberColumn::RowResized(ContactEntry*) { PlaceSoon(); }

// ---- Placement.

// After the updates queued now are in; while members keep coming and going, a pass at most every
// few hundredths of a second (each one moves the windows in sight and fills those that come in).
void MemberColumn::PlaceSoon() {
  if (m_placeDue) return;
  m_placeDue = true;
  const Clock::duration since = Clock::now() - m_placedAt;
  if (since < kPassSpan) {
    if (!m_nextTurn.IsRunning())
      m_nextTurn.StartOnce(int(std::chrono::duration_cast<std::chrono::milliseconds>(kPassSpan - since).count()) + 1);
    return;
  }
  CallAfter([this] {
    if (m_placeDue) Place();
  });
}

// The tool kit has moved the scroll bar (the pointer, the wheel, the keys) and says where to; the
// ends are worked out here.
void MemberColumn::OnScroll(wxScrollWinEvent& event) {
  if (event.GetOrientation() != wxVERTICAL) return;
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_SCROLLWIN_TOP) m_top = 0;
  else if (type == wxEVT_SCROLLWIN_BOTTOM) m_top = std::max(0, m_wholeHeight - m_viewHeight);
  else if (type == wxEVT_SCROLLWIN_THUMBTRACK || type == wxEVT_SCROLLWIN_THUMBRELEASE) m_top = event.GetPosition();
  else m_top = GetScrollPos(wxVERTICAL);
  // Set by a pass that is placing the rows: the next pass takes the new place.
  if (m_placing) return PlaceSoon();
  SetUpScrollBar();
  Place();
}

void MemberColumn::SetUpScrollBar() {
  const int whole = int(m_order.Size()) * std::max(0, m_rowHeight);
  const int view = GetClientSize().y;
  const int top = std::max(0, std::min(m_top, whole - view));
  if (whole == m_wholeHeight && view == m_viewHeight && top == m_top && GetScrollPos(wxVERTICAL) == top) return;
  m_wholeHeight = whole;
  m_viewHeight = view;
  m_top = top;
  SetScrollbar(wxVERTICAL, m_top, view, whole);
}

void MemberColumn::OnSize(wxSizeEvent& event) {
  event.Skip();
  PlaceSoon();
}

// The first window made tells how high a row is.
int MemberColumn::RowHeight() {
  if (m_rowHeight > 0 || m_order.Size() == 0) return m_rowHeight;
  Member* first = m_order.At(0);
  GiveWindow(*first);
  m_rowHeight = std::max(1, first->window->GetBestSize().y);
  return m_rowHeight;
}

void MemberColumn::RowsInSight(size_t* first, size_t* last) {
  const int height = std::max(1, m_rowHeight);
  *first = std::min(size_t(m_top / height), m_order.Size());
  *last = std::min(size_t((m_top + GetClientSize().y) / height + 1), m_order.Size());
}

// Rows a screen's height around those in sight keep their windows, so that a small scroll finds
// them made.
void MemberColumn::KeptRows(size_t* first, size_t* last) {
  RowsInSight(first, last);
  const size_t margin = *last - *first + 1;
  *first = *first > margin ? *first - margin : 0;
  *last += margin;
}

void MemberColumn::Place() {
  if (m_placing) return;
  m_placing = true;
  PlaceRows();
  m_placing = false;
}

void MemberColumn::PlaceRows() {
  m_placeDue = false;
  m_placedAt = Clock::now();
  m_windowsMissing = false;
  RowHeight();
  SetUpScrollBar();
  size_t first = 0, last = 0, keptFirst = 0, keptLast = 0;
  RowsInSight(&first, &last);
  KeptRows(&keptFirst, &keptLast);
  // Windows go back first, to serve the rows coming into sight; none while a menu or a question
  // of a row is open (its handler may still run on its row's window).
  for (size_t i = m_windowed.size(); i-- > 0;) {
    Member& member = *m_windowed[i];
    const size_t index = m_order.IndexOf(&member);
    if (index >= keptFirst && index < keptLast) {
      PlaceWindow(member, index);
    } else if (!lateDestruction::Held() && !member.window->IsMenuShown()) {
      TakeWindowBack(member);
    } else if (member.window->IsShown()) {
      member.window->Hide();
    }
  }
  m_budget.NewTurn();
  for (size_t index = first; index < last; ++index) {
    Member& member = *m_order.At(index);
    if (!member.window && !DoWithinBudget(m_budget, m_windowCost, [&] { GiveWindow(member); })) {
      m_windowsMissing = true;
      continue;
    }
    BringUpToDate(member);
    PlaceWindow(member, index);
  }
  if (m_windowsMissing) m_nextTurn.StartOnce(1);
}

void MemberColumn::PlaceWindow(Member& member, size_t index) {
  ContactEntry* window = member.window;
  const int height = std::max(1, m_rowHeight);
  const wxRect wanted(0, int(index) * height - m_top, GetClientSize().x, height);
  // Shown first: the tool kit sizes only the windows it shows.
  if (!window->IsShown()) window->Show();
  if (window->GetRect() != wanted) window->SetSize(wanted);
}

ContactEntry* MemberColumn::GiveWindow(Member& member) {
  if (member.window) return member.window;
  member.behind = false;
  // Shown once placed.
  member.window = m_pool.Take(member.info, false);
  m_windowed.push_back(&member);
  return member.window;
}

void MemberColumn::TakeWindowBack(Member& member) {
  ContactEntry* window = member.window;
  member.window = nullptr;
  member.behind = false;
  m_windowed.erase(std::remove(m_windowed.begin(), m_windowed.end(), &member), m_windowed.end());
  m_pool.Give(window);
}

void MemberColumn::BringUpToDate(Member& member) {
  if (!member.window || !member.behind) return;
  member.behind = false;
  member.window->UpdateContactInfo(member.info);
}
