// Where the rows of a block stand, and which of them have a window: the rows in sight and near
// it get one (a spare one first), the rows far out of sight give theirs back.
#include <wx/app.h>

#include <algorithm>
#include <chrono>

#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/groupEntry.h"
#include "gui/contacts/lateDestruction.h"
#include "gui/contacts/turnBudget.h"
#include "widgets/idlePass.h"

namespace {

using Clock = std::chrono::steady_clock;

// The time that one window pass of a block outside the contacts list may take; the rows still
// without a window get theirs at the next turn of the event loop.
const auto kPassBudget = std::chrono::milliseconds(8);
// While updates keep coming, the windows about the view are placed at least this often.
const auto kAsideSpan = std::chrono::milliseconds(250);

// The height of a row that is not expanded, measured on the first row window made.
int g_rowHeight = 0;

// A block's window stays within this distance of the list's top, far inside the window system's
// 32,767 pixels whatever the height of the view; it comes back in steps, so that a scroll seldom
// moves it.
const int kReach = 16384;
const int kReachStep = 8192;

// How far below its top a block standing at `top` in the list begins its window.
int ShiftFor(int top, int height) {
  int shift = 0;
  if (top < -kReach) shift = ((-kReach - top) / kReachStep + 1) * kReachStep;
  else if (top > kReach) shift = -((top - kReach) / kReachStep + 1) * kReachStep;
  return std::min(shift, height);
}

// The budget and the costs of a block that is not in the contacts list: a pass of its own.
TurnBudget g_ownBudget(kPassBudget);
CostEstimate g_ownWindowCost(std::chrono::milliseconds(2));
CostEstimate g_ownCatchUpCost(std::chrono::milliseconds(1));

}  // namespace

void ChatRoomEntry::RowResized(ContactEntry* window) {
  Row* row = FindRow(window->Login());
  if (!row || row->window != window) return;
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
  // In the list, every block is placed in one pass.
  if (ContactsPanel* panel = dynamic_cast<ContactsPanel*>(GetParent())) return panel->PlacementDue();
  m_placementDue = true;
  CallAfter([this] { PlaceRows(); });
}

// The next pass comes at the list's next turn, after the event loop has drawn what this one
// showed and handled the user's input: passes queued one after the other would run back to back
// in one go of the queue, the tool kit waiting for all of them.
void ChatRoomEntry::ScheduleVisiblePass() {
  if (m_visiblePassDue || m_discarded) return;
  m_visiblePassDue = true;
  if (ContactsPanel* panel = dynamic_cast<ContactsPanel*>(GetParent())) return panel->WorkNextTurn();
  CallAfter([this] { PlaceVisibleRows(); });
}

// The windows about the view are placed at the first turn that no update came before, or once
// they waited long enough; until then, only the rows in sight. Waiting, the list asks for a later
// turn, not for the event loop's next idle time: that would come at once, again and again.
void ChatRoomEntry::RunDuePass(bool quiet) {
  if (m_discarded) return;
  if (m_asideDue && (quiet || Clock::now() - m_placedAllAt >= kAsideSpan)) PlaceWindows(true);
  else if (m_visiblePassDue) PlaceWindows(!m_asideDue);
  if (m_asideDue && m_list) m_list->WorkLater();
}

void ChatRoomEntry::OnSize(wxSizeEvent& event) {
  event.Skip();
  if (GetClientSize().x != m_placedWidth && !m_rows.empty()) MarkStale(0, m_rows.size() - 1);
}

// The part of the block that the list shows now, with `screens` screens' height of margin each
// side.
wxRect ChatRoomEntry::NearlyVisible(int screens) const {
  const wxWindow* list = GetParent();
  const int height = list ? list->GetClientSize().y : GetClientSize().y;
  return wxRect(0, -Top() - screens * height, GetClientSize().x, (2 * screens + 1) * height);
}

void ChatRoomEntry::KeepInReach() {
  if (!m_list || m_discarded) return;
  const int top = m_list->TopOf(this), height = GetMinSize().y;
  // A block within reach stays where the list laid it out.
  if (m_shift == 0 && ShiftFor(top, height) == 0) return;
  const wxRect rect = GetRect();
  KeepAt(wxRect(rect.x, top, rect.width, height));
}

void ChatRoomEntry::KeepAt(const wxRect& place) {
  const int shift = ShiftFor(place.y, place.height);
  if (shift != m_shift) {
    const wxPoint header = m_header->GetPosition();
    m_header->Move(header.x, header.y + m_shift - shift);
    m_shift = shift;
    ++m_windowWork;
    for (Row* row : m_windowed) row->window->Move(InWindow(row->wanted).GetPosition());
  }
  const wxRect kept(place.x, place.y + shift, place.width, place.height - shift);
  if (GetRect() != kept) wxPanel::DoSetSize(kept.x, kept.y, kept.width, kept.height, wxSIZE_ALLOW_MINUS_ONE);
}

// Set to its whole place and then back to the part kept, the window would be laid out twice by
// the window system at each layout of the list; a block far out of sight would then have the
// list laid out again at every frame, and the program would never rest.
void ChatRoomEntry::DoSetSize(int x, int y, int width, int height, int sizeFlags) {
  if (m_list && !m_discarded && (sizeFlags & wxSIZE_ALLOW_MINUS_ONE)) return KeepAt(wxRect(x, y, width, height));
  wxPanel::DoSetSize(x, y, width, height, sizeFlags);
}

bool ChatRoomEntry::Layout() {
  if (m_shift == 0) return wxPanel::Layout();
  const wxSize size = GetClientSize();
  m_sizer->SetDimension(wxPoint(0, -m_shift), wxSize(size.x, size.y + m_shift));
  return true;
}

bool ChatRoomEntry::TakesPlace(const Row& row) const {
  return m_header->IsOpened() && !(row.window && row.window->IsWithdrawn());
}

// Works out where every stale row stands in the block, then gives the rows in sight a window.
void ChatRoomEntry::PlaceRows() {
  m_placementDue = false;
  if (m_discarded || !HasStaleRows()) return;
  ContactsPanel* panel = dynamic_cast<ContactsPanel*>(GetParent());
  if (WorkOutPlaces() && panel) panel->BlockResized();
  PlaceVisibleRows();
}

bool ChatRoomEntry::WorkOutPlaces() {
  if (m_discarded || !HasStaleRows()) return false;
  // The first row window tells how high a row is.
  if (g_rowHeight <= 0 && !m_rows.empty()) {
    GiveWindow(*m_rows[0]);
    g_rowHeight = m_rows[0]->window->GetBestSize().y;
  }
  m_staleFrom = 1;
  m_staleTo = 0;
  m_placedWidth = GetClientSize().x;
  m_rowHeight = m_header->IsOpened() ? g_rowHeight : 0;
  // Only a row with a window can differ from the others.
  m_otherHeights.clear();
  for (Row* row : m_windowed) {
    const int height = TakesPlace(*row) ? row->window->GetBestSize().y : 0;
    if (height != m_rowHeight) m_otherHeights.push_back(OtherHeight{IndexOf(row), height, 0});
  }
  std::sort(m_otherHeights.begin(), m_otherHeights.end(),
            [](const OtherHeight& a, const OtherHeight& b) { return a.index < b.index; });
  m_added = 0;
  for (OtherHeight& other : m_otherHeights) {
    other.addedBefore = m_added;
    m_added += other.height - m_rowHeight;
  }
  for (Row* row : m_windowed) row->wanted = PlaceAt(IndexOf(row));
  const int bottom = RowsTop() + int(m_rows.size()) * m_rowHeight + m_added;
  if (GetMinSize().y == bottom) return false;
  ++m_windowWork;
  SetMinSize(wxSize(-1, bottom));
  return true;
}

wxRect ChatRoomEntry::PlaceAt(size_t index) const {
  auto atOrAfter = std::lower_bound(m_otherHeights.begin(), m_otherHeights.end(), index,
                                    [](const OtherHeight& other, size_t i) { return other.index < i; });
  const int added = atOrAfter == m_otherHeights.end() ? m_added : atOrAfter->addedBefore;
  const int height = atOrAfter != m_otherHeights.end() && atOrAfter->index == index ? atOrAfter->height : m_rowHeight;
  return wxRect(0, RowsTop() + int(index) * m_rowHeight + added, m_placedWidth, height);
}

// The tops and the bottoms of the rows grow with the index (a row that takes no room stands at
// the top of the next): halving finds the first one below.
size_t ChatRoomEntry::FirstRowBelow(int y, bool byTop) const {
  size_t first = 0, count = m_rows.size();
  while (count > 0) {
    const size_t half = count / 2;
    const wxRect place = PlaceAt(first + half);
    if ((byTop ? place.y : place.y + place.height) > y) {
      count = half;
    } else {
      first += half + 1;
      count -= half + 1;
    }
  }
  return first;
}

// A row window that something still runs on or shows keeps its row.
bool ChatRoomEntry::IsBusy(const ContactEntry* window) const {
  return window == ContactEntry::GetHighlighted() || window->IsMenuShown() || window->IsBlinking() ||
         window->IsWithdrawn();
}

// Only a row placed below or above what the list shows; one not placed yet may come into sight.
bool ChatRoomEntry::OutOfSight(const Row& row) const {
  const wxRect shown = NearlyVisible(0);
  if (!TakesPlace(row) || row.wanted.IsEmpty() || shown.IsEmpty()) return false;
  return row.wanted.GetBottom() < shown.GetTop() || row.wanted.GetTop() > shown.GetBottom();
}

void ChatRoomEntry::BringUpToDate(Row& row) {
  if (!row.window || !row.windowBehind) return;
  row.windowBehind = false;
  ++m_windowWork;
  row.window->UpdateContactInfo(row.info);
}

bool ChatRoomEntry::CatchUpWindows(TurnBudget& budget) {
  if (!m_windowsBehind) return true;
  ContactsPanel* panel = dynamic_cast<ContactsPanel*>(GetParent());
  CostEstimate& cost = panel ? panel->GetCatchUpCost() : g_ownCatchUpCost;
  for (Row* row : m_windowed) {
    if (row->windowBehind && !DoWithinBudget(budget, cost, [&] { BringUpToDate(*row); })) return false;
  }
  m_windowsBehind = false;
  return true;
}

ContactEntry* ChatRoomEntry::GiveWindow(Row& row) {
  if (row.window) return row.window;
  row.windowBehind = false;
  ++m_windowWork;
  // Shown once placed, and only while in sight.
  row.window = m_pool.Take(row.info, Subscribed(row));
  m_windowed.push_back(&row);
  row.wanted = PlaceAt(IndexOf(&row));
  return row.window;
}

void ChatRoomEntry::Unwindowed(Row& row) {
  row.window = nullptr;
  auto found = std::find(m_windowed.begin(), m_windowed.end(), &row);
  if (found == m_windowed.end()) return;
  *found = m_windowed.back();
  m_windowed.pop_back();
}

void ChatRoomEntry::TakeWindowBack(Row& row) {
  ContactEntry* window = row.window;
  Unwindowed(row);
  row.windowBehind = false;
  ++m_windowWork;
  m_pool.Give(window);
}

bool ChatRoomEntry::PlaceVisibleRows() { return PlaceWindows(true); }

bool ChatRoomEntry::PlaceRowsInSight() { return PlaceWindows(false); }

bool ChatRoomEntry::PlaceWindows(bool all) {
  m_visiblePassDue = false;
  if (m_discarded) return true;
  if (all) {
    m_asideDue = false;
    m_placedAllAt = Clock::now();
  }
  KeepInReach();
  const wxRect inSight = NearlyVisible(0), visible = all ? NearlyVisible(1) : inSight, kept = NearlyVisible(2);
  // Windows go back first, to serve the rows coming into sight; none while a menu or a question
  // of the list is open (its handler may still run on its row's window).
  if (!lateDestruction::Held()) {
    const std::vector<Row*> windowed = m_windowed;
    for (Row* row : windowed)
      if (!IsBusy(row->window) && (!TakesPlace(*row) || !row->wanted.Intersects(kept))) TakeWindowBack(*row);
  }
  m_windowsMissing = false;
  // The blocks of the list share one budget per turn with its filling: windows made in several
  // blocks at once would add up, and the tool kit then lays out and draws all of them. A window
  // is made only when its usual cost fits in what is left of the budget.
  ContactsPanel* panel = dynamic_cast<ContactsPanel*>(GetParent());
  if (!panel) g_ownBudget.NewTurn();
  TurnBudget& budget = panel ? panel->GetBudget() : g_ownBudget;
  CostEstimate& cost = panel ? panel->GetWindowCost() : g_ownWindowCost;
  // The rows in sight get a window; only the rows about the view are looked at, so that a pass
  // costs what the view holds, not what the block holds.
  const std::pair<size_t, size_t> near = RowsMeeting(visible);
  for (size_t i = near.first; i < near.second; ++i) {
    Row& row = *m_rows[i];
    if (row.window || !TakesPlace(row) || !PlaceAt(i).Intersects(visible)) continue;
    if (!DoWithinBudget(budget, cost, [&] { GiveWindow(row); })) m_windowsMissing = true;
  }
  const bool aside = !PlaceWindowsKept(kept, all ? wxRect() : InWindow(inSight));
  // Then the windows out of sight, with what is left of the budget.
  const bool caughtUp = !all || CatchUpWindows(budget);
  if (m_windowsMissing || !caughtUp) ScheduleVisiblePass();
  if (!all && (aside || m_windowsBehind || HasRowsAboutTheView())) {
    m_asideDue = true;
    if (panel) panel->WorkLater();
  }
  return !m_windowsMissing;
}

// Where the windows stand: each window within `kept` at its place, the others hidden. A window
// standing and wanted both outside `only` (when not empty) stays where it is: the user sees
// neither place. False when some window was left so.
bool ChatRoomEntry::PlaceWindowsKept(const wxRect& kept, const wxRect& only) {
  bool allPlaced = true;
  for (Row* row : m_windowed) {
    // What the user sees is up to date before it is drawn, whatever the budget.
    if (row->windowBehind && !OutOfSight(*row)) BringUpToDate(*row);
    ContactEntry* window = row->window;
    if (!TakesPlace(*row) || !row->wanted.Intersects(kept)) {
      if (window->IsShown()) {
        window->Hide();
        ++m_windowWork;
      }
      continue;
    }
    const wxRect place = InWindow(row->wanted);
    if (window->GetRect() == place && window->IsShown()) continue;
    if (!only.IsEmpty() && !place.Intersects(only) && !(window->IsShown() && window->GetRect().Intersects(only))) {
      allPlaced = false;
      continue;
    }
    if (window->GetRect() != place) {
      window->SetSize(place);
      ++m_placements;
    }
    if (!window->IsShown()) {
      window->Show();
      idlePass::Due(window);
      ++m_windowWork;
    }
  }
  return allPlaced;
}

// Some row about the view, out of sight, still has no window.
bool ChatRoomEntry::HasRowsAboutTheView() const {
  const wxRect visible = NearlyVisible(1);
  const std::pair<size_t, size_t> near = RowsMeeting(visible);
  for (size_t i = near.first; i < near.second; ++i) {
    const Row& row = *m_rows[i];
    if (!row.window && TakesPlace(row) && PlaceAt(i).Intersects(visible)) return true;
  }
  return false;
}

std::string ChatRoomEntry::DueWork() const {
  std::string due;
  const auto add = [&due](bool set, const char* what) {
    if (set) due += due.empty() ? what : std::string(", ") + what;
  };
  add(HasStaleRows(), "places");
  add(m_visiblePassDue, "rows in sight");
  add(m_windowsMissing, "windows missing");
  add(m_windowsBehind, "windows behind");
  add(m_asideDue, "rows about the view");
  return due;
}

bool ChatRoomEntry::IsPlaced() const {
  return m_staleFrom > m_staleTo && !m_windowsMissing && !m_windowsBehind && !m_visiblePassDue &&
         !m_asideDue;
}

wxRect ChatRoomEntry::GetRowRect(const std::string& login) const {
  const Row* row = FindRow(login);
  return row && TakesPlace(*row) ? PlaceAt(IndexOf(row)) : wxRect();
}

int ChatRoomEntry::GetRowWindows() const { return static_cast<int>(m_pool.Size() + m_windowed.size()); }

std::pair<size_t, size_t> ChatRoomEntry::RowsMeeting(const wxRect& area) const {
  const size_t first = FirstRowBelow(area.y, false);
  return {first, std::max(first, FirstRowBelow(area.GetBottom(), true))};
}
