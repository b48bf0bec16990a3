// The contacts list's own turns come from the event loop's idle time, or from its timer where the
// loop has none: with idle time plentiful and with none at all, every presence change reaches the
// screen (the row at its place, showing the new state, the counts right), and the timer never
// wakes the event loop once the turn it stood for has run.
#include <wx/eventfilter.h>
#include <wx/timer.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/gui/contacts/contactsListFixture.h"

namespace {

using contactstest::ContactsListTest;

// Watches what the event loop hands the list: the firings of its timer that find no work due,
// and, while `starve` is set, keeps every idle event from every handler, as a loop that never
// runs out of events does.
class TurnWatch : public wxEventFilter {
 public:
  explicit TurnWatch(ContactsPanel* panel) : m_panel(panel) { wxEvtHandler::AddFilter(this); }
  ~TurnWatch() override { wxEvtHandler::RemoveFilter(this); }
  int FilterEvent(wxEvent& event) override {
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_IDLE && m_starve) return Event_Ignore;
    if (type == wxEVT_TIMER) {
      const wxTimer& timer = static_cast<wxTimerEvent&>(event).GetTimer();
      if (timer.GetOwner() == m_panel && !m_panel->HasWorkDue()) ++m_idleFirings;
    }
    return Event_Skip;
  }
  bool m_starve = false;
  int m_idleFirings = 0;

 private:
  ContactsPanel* m_panel;
};

class ContactsListTurns : public ContactsListTest {
 protected:
  static std::string Login(int i) {
    char text[16];
    snprintf(text, sizeof text, "t%03d", i);
    return text;
  }
  // Nothing left for the list's turns, every block placed.
  bool Settled() const {
    if (m_panel->HasWorkDue()) return false;
    for (ChatRoomEntry* block : m_panel->GetBlocks())
      if (!block->IsPlaced()) return false;
    return true;
  }
};

TEST_F(ContactsListTurns, EveryChangeReachesTheScreenAndTheTimerFiresOnlyForWorkDue) {
  const int count = 120;
  Open();
  for (int i = 0; i < count; ++i) Update(*Save(Contact(Login(i), Login(i), STATUS_OFFLINE)));
  Settle();
  ASSERT_EQ(1u, m_panel->GetBlocks().size());
  ChatRoomEntry* block = m_panel->GetBlocks()[0];
  TurnWatch watch(m_panel);
  int online = 0;
  for (bool starve : {false, true}) {
    SCOPED_TRACE(starve ? "no idle time" : "idle time");
    watch.m_starve = starve;
    // Contacts far down connect one after the other, then three at once: each comes to the top,
    // moving every row below it.
    for (int k = 0; k < 4; ++k) {
      const int first = count - 1 - 8 * (online + (starve ? 4 : 0));
      const int many = k == 3 ? 3 : 1;
      watch.m_idleFirings = 0;
      for (int m = 0; m < many; ++m) Update(Contact(Login(first - m), Login(first - m), STATUS_ONLINE));
      online += many;
      // The titles may wait a little for more changes to come: they count too.
      const std::string counts = "(" + std::to_string(online) + " / " + std::to_string(count) + " contacts)";
      auto countsRead = [&] { return std::string(block->GetHeader()->GetCountsText().utf8_str()); };
      EXPECT_TRUE(guitest::PumpUntil([&] { return Settled() && countsRead() == counts; }, 30000))
          << "change " << k << ": " << countsRead();
      for (int m = 0; m < many; ++m) {
        const std::string login = Login(first - m);
        ContactEntry* row = block->FindRowWindow(login);
        ASSERT_TRUE(row && row->IsShown()) << login;
        EXPECT_EQ(block->GetRowRect(login), row->GetRect()) << login;
        EXPECT_EQ(STATUS_ONLINE, row->GetStatus()) << login;
      }
      // Longer than the timer's longest wait: a timer left armed has fired by then.
      guitest::Pump(150);
      EXPECT_EQ(0, watch.m_idleFirings) << "change " << k;
    }
  }
}

// Something that asks the list for a turn at every idle time, or every 20 ms, though the list has
// nothing to do: the list stops taking turns for it, so that the event loop rests instead of
// running its pass over every window again and again; a change that comes later still reaches
// the screen.
TEST_F(ContactsListTurns, TurnsAskedForNothingStopAndTheNextChangeStillShows) {
  const int count = 60;
  Open();
  for (int i = 0; i < count; ++i) Update(*Save(Contact(Login(i), Login(i), STATUS_OFFLINE)));
  Settle();
  ChatRoomEntry* block = m_panel->GetBlocks()[0];
  int online = 0;
  for (bool later : {false, true}) {
    SCOPED_TRACE(later ? "asked every 20 ms" : "asked at every idle time");
    // What wakes the event loop for the list: the idle times, and its own turn timer.
    int idles = 0, listTimer = 0;
    const auto countIdle = [&](wxIdleEvent& event) {
      event.Skip();
      ++idles;
    };
    const auto countTimer = [&](wxTimerEvent& event) {
      event.Skip();
      ++listTimer;
    };
    // Asks as a turn of the list that finds work it cannot do would: for another turn at once,
    // the loop's idle time coming back for it.
    const auto ask = [&](wxIdleEvent& event) {
      event.Skip();
      m_panel->WorkNextTurn();
      if (m_panel->HasWorkDue()) event.RequestMore();
    };
    wxTimer asker;
    asker.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { m_panel->WorkLater(); });
    wxTheApp->Bind(wxEVT_IDLE, countIdle);
    m_panel->Bind(wxEVT_TIMER, countTimer);
    if (later) {
      asker.Start(20);
    } else {
      wxTheApp->Bind(wxEVT_IDLE, ask);
      // The first turn sets it going: a loop at rest has no idle time to ask from.
      m_panel->WorkNextTurn();
    }
    // The list gives up within its first few dozen turns (a second at 20 ms each, longer on a
    // loaded machine); then the loop's idle time comes only with the asker's timer, if any, and
    // the list's timer no more. A second in which the loop did not rest may still come first:
    // a late event of the window's own (its size, its first drawing) hands the list work, and it
    // takes its few dozen turns again before it gives up once more; or a machine too busy to
    // let the test run held back the turns that had to come before the list gave up.
    bool rested = false;
    for (int k = 0; k < 20 && !rested; ++k) {
      idles = listTimer = 0;
      guitest::RunLoopFor(1000);
      rested = later ? listTimer < 3 : idles < 30;
    }
    EXPECT_TRUE(rested) << "the last second: " << idles << " idle times, " << listTimer << " list timer firings";
    EXPECT_FALSE(m_panel->HasWorkDue());
    asker.Stop();
    if (!later) wxTheApp->Unbind(wxEVT_IDLE, ask);
    wxTheApp->Unbind(wxEVT_IDLE, countIdle);
    m_panel->Unbind(wxEVT_TIMER, countTimer);
    // A contact far down comes online: it goes to the top, every row below it moves.
    const std::string login = Login(count - 1 - online);
    Update(Contact(login, login, STATUS_ONLINE));
    ++online;
    EXPECT_TRUE(guitest::PumpUntil([&] { return Settled(); }, 30000));
    ContactEntry* row = block->FindRowWindow(login);
    ASSERT_TRUE(row && row->IsShown()) << login;
    EXPECT_EQ(block->GetRowRect(login), row->GetRect());
    EXPECT_EQ(STATUS_ONLINE, row->GetStatus());
  }
}

// The controller keeps a record of its own for each contact, which takes the saved one's place in
// the settings at the contact's first update. One that comes while the list fills (at a log-in,
// the server's news of the contacts come with it) is shown, and the filling, reaching the
// contact later, does not take it back to the state the saved record had.
TEST_F(ContactsListTurns, AnUpdateThatComesWhileTheListFillsIsNotUndoneByTheFilling) {
  const int count = 20000;
  for (int i = 0; i < count; ++i) Save(Contact(Login(i), Login(i), STATUS_OFFLINE));
  Open();
  // The list fills anew, a slice per turn: far too many contacts for one.
  m_panel->InitPrivateContactsGroups();
  ASSERT_FALSE(m_panel->IsFilled());
  // The last in the rows' order comes online.
  const std::string login = Login(count - 1);
  static std::vector<std::unique_ptr<ContactInfo>> records;
  records.emplace_back(new ContactInfo(Contact(login, login, STATUS_ONLINE)));
  Config::GetInstance()->UpdateContact(records.back().get());
  m_panel->UpdateContact(URLContactInfo("none", -1, *records.back(), true, false, false));
  // Twenty thousand rows: in the sanitizer build on a loaded machine, longer than the usual wait.
  Settle(60000);
  int connected = 0;
  ContactEntry* row = nullptr;
  for (ChatRoomEntry* block : m_panel->GetBlocks()) {
    connected += block->GetNbrConnected();
    if (block->HasContact(login)) row = block->FindContact(login);
  }
  EXPECT_EQ(1, connected);
  ASSERT_TRUE(row);
  EXPECT_EQ(STATUS_ONLINE, row->GetStatus());
}

}  // namespace
