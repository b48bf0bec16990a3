// The user's own presence during a session with the test server: the switch to "inactive"
// while the pointer stays still and back to online when it moves (the pointer is a stand-in the
// test moves), the statuses chosen by hand, what reaches the server, and the status texts and
// colours.
#include <gtest/gtest.h>

#include "core/guiEvents.h"
#include "gui/statusLook.h"
#include "tests/gui/logInFixture.h"

namespace {

using namespace logintest;

class Presence : public guitest::LogInTest {
 public:
  void Tick() {
    wxTimerEvent tick(const_cast<wxTimer&>(frame->GetIdleTimer()));
    frame->GetEventHandler()->ProcessEvent(tick);
  }
  // The statuses the server was sent since the last call: the `expected` first ones however late
  // they come, then whatever else comes within a moment.
  std::vector<long> Sent(TestConnection& link, size_t expected = 0) {
    std::vector<long> sent;
    Pump(50);
    while (auto got = link.Next(Millis(sent.size() < expected ? 10000 : 100)))
      if (got->request->present == C2S_Request_PR_changestatus)
        sent.push_back(got->request->choice.changestatus.status);
    return sent;
  }
  wxPoint pointer{10, 10};
};

TEST_F(Presence, InactiveAfterTheDelayOnlineAgainOnInput) {
  MainFrame::s_pointerPosition = [this] { return pointer; };
  frame = Open();
  auto link = LogIn();
  ASSERT_TRUE(link);
  ASSERT_TRUE(frame->GetIdleTimer().IsRunning());
  wxCommandEvent menu;
  frame->OnStatusOnline(menu);
  Sent(*link);
  enum Act { kStill, kMoveX, kMoveY, kAway, kBusy, kNoActivity, kOnline, kTyped };
  const struct {
    const char* name;
    Act act;
    int times;
    t_status status;            // the controller's status afterwards
    std::vector<long> sent;     // what reached the server
  } rows[] = {
      {"twelve still ticks stay online", kStill, 12, STATUS_ONLINE, {}},
      {"the thirteenth switches", kStill, 1, STATUS_NO_ACTIVITY, {STATUS_NO_ACTIVITY}},
      {"the count starts again", kStill, 12, STATUS_NO_ACTIVITY, {}},
      {"a one-pixel move is a movement", kMoveX, 1, STATUS_ONLINE, {STATUS_ONLINE}},
      {"moving on changes nothing more", kMoveY, 3, STATUS_ONLINE, {}},
      {"away chosen by hand", kAway, 1, STATUS_AWAY, {STATUS_AWAY}},
      {"away stays however long", kStill, 40, STATUS_AWAY, {}},
      {"busy chosen by hand", kBusy, 1, STATUS_BUSY, {STATUS_BUSY}},
      {"busy stays however long", kStill, 40, STATUS_BUSY, {}},
      {"inactive by hand", kNoActivity, 1, STATUS_NO_ACTIVITY, {STATUS_NO_ACTIVITY}},
      {"stays when moved, since the timer did not set it", kMoveX, 2, STATUS_NO_ACTIVITY, {}},
      {"online by hand", kOnline, 1, STATUS_ONLINE, {STATUS_ONLINE}},
      {"inactive by the timer", kStill, 13, STATUS_NO_ACTIVITY, {STATUS_NO_ACTIVITY}},
      {"then by hand as well", kNoActivity, 1, STATUS_NO_ACTIVITY, {STATUS_NO_ACTIVITY}},
      {"a move still returns online", kMoveY, 1, STATUS_ONLINE, {STATUS_ONLINE}},
      {"inactive by the timer again", kStill, 13, STATUS_NO_ACTIVITY, {STATUS_NO_ACTIVITY}},
      {"then away by hand", kAway, 1, STATUS_AWAY, {STATUS_AWAY}},
      {"a move leaves away", kMoveX, 1, STATUS_AWAY, {}},
      {"online by hand, the timer's mark still set", kOnline, 1, STATUS_ONLINE, {STATUS_ONLINE}},
      {"inactive by the timer once more", kStill, 13, STATUS_NO_ACTIVITY, {STATUS_NO_ACTIVITY}},
      {"a key typed in a room returns online", kTyped, 1, STATUS_ONLINE, {STATUS_ONLINE}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    for (int i = 0; i < r.times; ++i) {
      switch (r.act) {
        case kStill: break;
        case kMoveX: pointer.x += 1; break;
        case kMoveY: pointer.y += 1; break;
        case kAway: frame->OnStatusAway(menu); continue;
        case kBusy: frame->OnStatusBusy(menu); continue;
        case kNoActivity: frame->OnStatusNoActivity(menu); continue;
        case kOnline: frame->OnStatusOnline(menu); continue;
        case kTyped: frame->OnKeyTyped("prv://alice/bob:1", true); continue;
      }
      Tick();
    }
    EXPECT_EQ(r.status, GetManager()->GetStatus());
    std::vector<long> sent = Sent(*link, r.sent.size());
    // A typed key also tells the room; only the statuses count here.
    EXPECT_EQ(r.sent, sent);
  }

  // The session ends: the timer stops, and a tick that still comes changes nothing.
  link->Close(false);
  ASSERT_TRUE(PumpUntil([&] { return !frame->GetIdleTimer().IsRunning(); }, 10000));
  for (int i = 0; i < 20; ++i) Tick();
  EXPECT_EQ(STATUS_OFFLINE, GetManager()->GetStatus());
}

TEST(PresenceTexts, EveryStatusItsTextAndColour) {
  const struct {
    int status;
    const char* text;
    wxColour colour;
  } rows[] = {
      {-1, "disconnected", wxColour(120, 120, 120)}, {0, "offline", wxColour(120, 120, 120)},
      {1, "online", wxColour(100, 150, 0)},           {2, "inactive", wxColour(235, 225, 10)},
      {3, "away", wxColour(249, 150, 25)},            {4, "busy", wxColour(255, 0, 0)},
      {7, "unknown", *wxBLACK},                       {-2, "unknown", *wxBLACK},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.status);
    EXPECT_EQ(r.text, statusLook::Name(static_cast<t_status>(r.status)));
    EXPECT_EQ(r.colour, statusLook::Colour(static_cast<t_status>(r.status)));
  }
}

}  // namespace
