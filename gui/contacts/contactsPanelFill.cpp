// The contacts list filled from the saved contacts in slices, between the event loop's turns, and
// the list's own turns (the filling, then the rows in sight still waiting for a window).
#include <wx/app.h>

#include <algorithm>

#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "model/config.h"
#include "model/log.h"
#include "model/nextIdleTurn.h"
#include "model/stringConversion.h"

namespace {

using Clock = std::chrono::steady_clock;

// The contacts a slice takes in however short its time, so that the filling always goes on.
const size_t kLeastPerSlice = 32;
// A turn is taken at the event loop's next idle time, after it has drawn and read the user's
// input, as the controller's own turns are; or after this wait where the loop has no idle time
// (while something yields to the tool kit). The wait is longer than a turn and the drawing it
// causes, so that the queue of posted events is never kept waiting turn after turn.
const int kLatestTurnMs = 50;
// The loop that has had idle time within this long will have it again.
const int kIdleSeenMs = 250;
// The wait of a turn asked for later: long enough for the next update of a burst to come first.
const int kLaterTurnMs = 20;
// The turns in a row that may do nothing before the list stops asking for more. Waiting for a
// burst of updates to pause takes a dozen at most; each of those follows an update.
const int kMostEmptyTurns = 50;

bool Connected(t_status status) { return status != STATUS_NONE && status != STATUS_OFFLINE; }

}  // namespace

void ContactsPanel::StartFill() {
  struct Keyed {
    bool connected;
    std::string nickname;
    const ContactInfo* contact;
  };
  std::vector<Keyed> keyed;
  {
    const std::vector<ContactInfo*> contacts = Config::GetInstance()->GetContacts();
    keyed.reserve(contacts.size());
    for (const ContactInfo* contact : contacts)
      keyed.push_back(Keyed{Connected(contact->GetStatus()), contact->GetNickname(), contact});
  }
  // The blocks' own order; equal rows keep the saved order, as the blocks keep the order they
  // were given rows in.
  std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    if (a.connected != b.connected) return a.connected;
    return CompareNoCase(a.nickname, b.nickname) < 0;
  });
  m_fillOrder.clear();
  m_fillOrder.reserve(keyed.size());
  for (const Keyed& entry : keyed) m_fillOrder.push_back(entry.contact->GetLogin());
  m_fillNext = 0;
  TRACE_INFO("%zu saved contacts to list", m_fillOrder.size());
  // A short list is whole at once; a long one shows its top now and the rest in later turns.
  FillSlice(m_budget.End());
}

void ContactsPanel::StopFill() {
  m_fillOrder.clear();
  m_fillNext = 0;
}

void ContactsPanel::FillSlice(Clock::time_point end) {
  if (IsFilled()) return;
  const Config* config = Config::GetInstance();
  m_filling = true;
  // The counts written at the end of the slice are part of its time.
  const Clock::time_point takenUntil = end - m_countsCost.Get();
  for (size_t taken = 0; !IsFilled(); ++taken) {
    if (taken >= kLeastPerSlice && Clock::now() >= takenUntil) break;
    const std::string& next = m_fillOrder[m_fillNext++];
    // A contact forgotten since the list began filling is not listed again; one whose record the
    // settings took anew since (an update came meanwhile, and the list has shown it) is listed
    // as the settings hold it now, not as it stood when the filling began.
    if (const ContactInfo* current = config->FindContact(next)) ApplyListed(*current);
  }
  m_filling = false;
  if (IsFilled()) {
    TRACE_INFO("%zu saved contacts listed", m_fillOrder.size());
    std::vector<std::string>().swap(m_fillOrder);
    m_fillNext = 0;
  } else {
    WorkNextTurn();
  }
  // The counts tell what the list holds at the end of each slice.
  const Clock::time_point counting = Clock::now();
  for (ChatRoomEntry* block : m_blocks) block->WriteCounts();
  m_countsCost.Add(Clock::now() - counting);
  m_budget.Spent();
}

void ContactsPanel::WorkNextTurn() {
  if (m_turnDue || Stalled()) return;
  m_turnDue = true;
  wxWakeUpIdle();
  if (!m_turnTimer.IsRunning()) m_turnTimer.StartOnce(kLatestTurnMs);
}

void ContactsPanel::WorkLater() {
  if (m_turnDue || m_laterDue || Stalled()) return;
  m_laterDue = true;
  if (!m_turnTimer.IsRunning()) m_turnTimer.StartOnce(kLaterTurnMs);
}

void ContactsPanel::OnIdle(wxIdleEvent& event) {
  event.Skip();
  m_budget.NewTurn();
  m_lastIdle = Clock::now();
  if (!m_turnDue) return;
  Turn();
  if (m_turnDue) AskNextIdleTurn();
}

// Only where the loop has had no idle time of late: a turn taken from the timer would otherwise
// go before the idle time's own work (the controller's hand-overs), turn after turn.
void ContactsPanel::OnTurnTimer(wxTimerEvent&) {
  if (m_laterDue && !m_turnDue) {
    m_laterDue = false;
    return WorkNextTurn();
  }
  if (!m_turnDue) return;
  if (Clock::now() - m_lastIdle < std::chrono::milliseconds(kIdleSeenMs)) {
    m_turnTimer.StartOnce(kLatestTurnMs);
    return;
  }
  Turn();
}

void ContactsPanel::Turn() {
  const long before = WorkDone();
  TakeTurn();
  const long after = WorkDone();
  m_emptyTurns = after == before ? m_emptyTurns + 1 : 0;
  m_workAtTurn = after;
}

long ContactsPanel::WorkDone() const {
  long done = m_handedOver;
  for (const ChatRoomEntry* block : m_blocks) done += block->GetWindowWork();
  return done;
}

void ContactsPanel::HandedOver(long pieces) {
  m_handedOver += pieces;
  if (m_emptyTurns < kMostEmptyTurns) return;
  m_emptyTurns = 0;
  WorkNextTurn();
}

bool ContactsPanel::Stalled() {
  if (m_emptyTurns < kMostEmptyTurns) return false;
  if (WorkDone() != m_workAtTurn) {
    m_emptyTurns = 0;
    return false;
  }
  if (m_emptyTurns == kMostEmptyTurns) {
    // Said once per stop: what each block still waits for names what kept asking.
    ++m_emptyTurns;
    std::string due;
    for (const ChatRoomEntry* block : m_blocks) {
      const std::string work = block->DueWork();
      if (!work.empty()) due += " [" + block->GetGroupName() + ": " + work + "]";
    }
    TRACE_ERROR("the contacts list stops asking for turns: %d in a row did nothing;%s", kMostEmptyTurns, due.c_str());
  }
  return true;
}

// The rows in sight first: what the user sees gets its windows before more rows come in below.
void ContactsPanel::TakeTurn() {
  m_turnDue = false;
  m_laterDue = false;
  // The timer stood for this turn: left to run, it would wake the event loop once more for
  // nothing, and the loop would run its idle pass over every window. Work this turn asks for
  // arms it again.
  m_turnTimer.Stop();
  // A pass may ask for the next turn again.
  const std::vector<ChatRoomEntry*> blocks = m_blocks;
  const bool quiet = !m_placedSinceTurn;
  m_placedSinceTurn = false;
  for (ChatRoomEntry* block : blocks) block->RunDuePass(quiet);
  // The filling has what the windows left of the turn (a few contacts at least).
  const Clock::time_point end = m_budget.End();
  if (!m_blocksToMake.empty()) return MakeBlocks(end);
  FillSlice(end);
}
