// The contact tool tip over the real main window: where it goes on the 1280 by 1024 screen
// (inside, at the bottom and right edges, at negative points, larger than the screen), a click
// hides it, showing refits it to its contact, and it never takes the keyboard.
#include <gtest/gtest.h>
#include <wx/settings.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "gui/profiles/contactInfoToolTip.h"
#include "tests/gui/mainWindowFixture.h"

namespace {

using guitest::PumpUntil;

class ContactToolTip : public guitest::MainWindowTest {};

ContactInfo Contact(const std::string& login, const std::string& nickname, const std::string& mood) {
  return ContactInfo(login, nickname, mood, "", STATUS_ONLINE, "France", "Lyon", 3, 4, 1990, "", "parlavox", false);
}

// The row in the tip shows the contact's nickname and mood.
bool Shows(wxWindow* tip, const std::string& nickname, const wxString& mood) {
  auto* row = guitest::FindChild<ContactEntry>(tip, [](ContactEntry*) { return true; });
  return row && row->GetNickname() == nickname && row->GetRole() == CEP_TOOLTIP &&
         guitest::FindChild<wxStaticText>(tip, [&](wxStaticText* t) { return t->GetLabelText() == " - " + mood; });
}

TEST_F(ContactToolTip, StaysOnTheScreenAndGoesOnAClick) {
  guitest::SpyMainFrame* frame = Open();
  // Where the user types keeps the keyboard while tips come and go.
  auto* field = new wxTextCtrl(frame, wxID_ANY);
  frame->Layout();
  guitest::ClickUntil(field, [&] { return field->HasFocus(); });

  auto* tip = new ContactInfoToolTip(frame, GetManager(), Contact("bob", "Bob", "sunny"));
  EXPECT_FALSE(tip->IsShown());
  EXPECT_EQ("bob", tip->GetLogin());
  EXPECT_TRUE(tip->HasFlag(wxFRAME_NO_TASKBAR) && tip->HasFlag(wxNO_BORDER) && !tip->HasFlag(wxCAPTION));
  EXPECT_TRUE(Shows(tip, "Bob", "sunny"));
  const wxSize small = tip->GetSize();
  const int W = wxSystemSettings::GetMetric(wxSYS_SCREEN_X), H = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y);
  ASSERT_EQ(1280, W);
  const int w = small.x, h = small.y;
  const struct {
    const char* name;
    wxPoint asked, placed;
  } rows[] = {
      {"inside", {100, 200}, {100, 200}},
      {"at the bottom: 32 pixels clear", {100, H - 10}, {100, H - h - 32}},
      {"at the right: touching the edge", {W - 5, 300}, {W - w, 300}},
      {"negative x and y", {-40, -7}, {0, 0}},
      {"both edges", {W, H}, {W - w, H - h - 32}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    tip->MoveInsideScreen(row.asked);
    EXPECT_TRUE(PumpUntil([&] { return tip->GetPosition() == row.placed; })) << tip->GetPosition().x << ","
                                                                               << tip->GetPosition().y;
  }

  // Another contact: the row shows it, the tip takes its size, and showing leaves the keyboard.
  tip->UpdateContactInfo(Contact("carol", "Carol with a much longer nickname than Bob", "rainy"));
  EXPECT_EQ("carol", tip->GetLogin());
  EXPECT_TRUE(Shows(tip, "Carol with a much longer nickname than Bob", "rainy"));
  EXPECT_GT(tip->GetSize().x, small.x);
  EXPECT_EQ(tip->GetBestSize(), tip->GetSize());
  tip->MoveInsideScreen({300, 300});
  EXPECT_TRUE(tip->Show(true));
  ASSERT_TRUE(PumpUntil([&] { return tip->IsShownOnScreen(); }));
  guitest::Pump(100);
  EXPECT_TRUE(field->HasFocus());

  // A click on the tip hides it.
  guitest::ClickUntil(tip, [&] { return !tip->IsShown(); });

  // A tip larger than the screen is still placed at 0, 0, never off its top or left.
  tip->SetSize(W + 100, H + 100);
  tip->MoveInsideScreen({50, 50});
  EXPECT_TRUE(PumpUntil([&] { return tip->GetPosition() == wxPoint(0, 0); }));
}

}  // namespace
