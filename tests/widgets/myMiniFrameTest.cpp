#include <gtest/gtest.h>
#include <wx/log.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>

#include <memory>

#include "model/config.h"
#include "tests/support/testSupport.h"
#include "tests/widgets/widgetTestSupport.h"
#include "widgets/myMiniFrame.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

// A parent that counts the focus requests it gets.
class FocusCountingFrame : public wxFrame {
 public:
  FocusCountingFrame() : wxFrame(nullptr, wxID_ANY, wxT("main"), wxPoint(600, 300), wxSize(300, 200)) {}
  void SetFocus() override {
    ++focusCalls;
    wxFrame::SetFocus();
  }
  int focusCalls = 0;
};

// Like the about box: only Show is overridden.
class ShowCountingFrame : public MyMiniFrame {
 public:
  ShowCountingFrame(wxWindow* parent, const wxString& title) : MyMiniFrame(parent, title) {}
  bool Show(bool show) override {
    (show ? shown : hidden) += 1;
    return MyMiniFrame::Show(show);
  }
  int shown = 0;
  int hidden = 0;
};

// Like the preferences window: OnClose is overridden too.
class CloseOverridingFrame : public ShowCountingFrame {
 public:
  using ShowCountingFrame::ShowCountingFrame;
  void OnClose(wxMouseEvent&) override { ++closes; }
  int closes = 0;
};

void UseSourceData() { Config::SetPath(testsupport::SourceDir() + "/data/"); }

TextPanel* CaptionOf(MyMiniFrame* frame) {
  for (wxWindow* child : frame->GetChildren())
    if (auto* panel = dynamic_cast<TextPanel*>(child)) return panel;
  return nullptr;
}

template <class T>
T* ChildOf(wxWindow* parent) {
  for (wxWindow* child : parent->GetChildren())
    if (auto* found = dynamic_cast<T*>(child)) return found;
  return nullptr;
}

void PressLeft(wxWindow* window) {
  wxMouseEvent press(wxEVT_LEFT_DOWN);
  press.SetEventObject(window);
  press.SetId(window->GetId());
  press.m_leftDown = true;
  press.m_x = 3;
  press.m_y = 3;
  window->GetEventHandler()->ProcessEvent(press);
}

}  // namespace

TEST(MyMiniFrame, BuildsCaptionWithTitleColourAndClosePicture) {
  UseSourceData();
  std::unique_ptr<FocusCountingFrame> main(new FocusCountingFrame);
  MyMiniFrame* frame = new MyMiniFrame(main.get(), wxT("Contacts & groups, a long title that is not wrapped"));
  // The frame has no title bar of its own: the caption panel shows the title.
  EXPECT_EQ(wxT(""), frame->GetTitle());
  EXPECT_FALSE(frame->HasFlag(wxCAPTION));
  TextPanel* caption = CaptionOf(frame);
  ASSERT_NE(nullptr, caption);

  auto* text = ChildOf<wxStaticText>(caption);
  ASSERT_NE(nullptr, text);
  // The title is shown literally.
  EXPECT_EQ(wxT("Contacts & groups, a long title that is not wrapped"), text->GetLabelText());
  auto* close = ChildOf<CloseContactsFrameButtonBitmap>(caption);
  ASSERT_NE(nullptr, close);
  ASSERT_TRUE(close->GetBitmap().IsOk());
  EXPECT_EQ(wxSize(16, 16), close->GetBitmap().GetSize());

  frame->SetSize(wxSize(220, 120));
  frame->Show(true);
  // Laid out once the shown frame has handled its size.
  PumpUntil([&] {
    return close->GetSize().GetWidth() == 16 && close->GetPosition().x == caption->GetClientSize().GetWidth() - 16 &&
           text->GetSize().GetWidth() == close->GetPosition().x;
  });
  // The title takes the width left of the picture, which keeps its natural size at the right.
  EXPECT_EQ(16, close->GetSize().GetWidth());
  EXPECT_EQ(caption->GetClientSize().GetWidth() - 16, close->GetPosition().x);
  EXPECT_EQ(close->GetPosition().x, text->GetSize().GetWidth());
  EXPECT_EQ(text->GetLabelText().Find(wxT('\n')), wxNOT_FOUND);
  frame->Destroy();
}

TEST(MyMiniFrame, MissingPictureLeavesCaptionWithoutCloseControl) {
  testsupport::TempDir empty;
  Config::SetPath(empty.path());
  wxLogNull quiet;
  MyMiniFrame* frame = new MyMiniFrame(nullptr, wxT("Preferences"));
  auto* close = ChildOf<CloseContactsFrameButtonBitmap>(CaptionOf(frame));
  ASSERT_NE(nullptr, close);
  EXPECT_FALSE(close->GetBitmap().IsOk());
  frame->Destroy();
  UseSourceData();
}

TEST(MyMiniFrame, ShowGivesFocusBackToParentHideDoesNot) {
  UseSourceData();
  std::unique_ptr<FocusCountingFrame> main(new FocusCountingFrame);
  main->Show();
  Pump(30);
  MyMiniFrame* frame = new MyMiniFrame(main.get(), wxT("About"));
  main->focusCalls = 0;
  EXPECT_TRUE(frame->Show(true));
  EXPECT_TRUE(frame->IsShown());
  EXPECT_EQ(1, main->focusCalls);
  EXPECT_TRUE(frame->Show(false));
  EXPECT_FALSE(frame->IsShown());
  EXPECT_EQ(1, main->focusCalls);
  // Showing a shown frame changes nothing and says so.
  frame->Show(true);
  EXPECT_FALSE(frame->Show(true));

  // Without a parent nothing is focused, and nothing fails.
  MyMiniFrame* lone = new MyMiniFrame(nullptr, wxT("Lone"));
  EXPECT_TRUE(lone->Show(true));
  lone->Destroy();
  frame->Destroy();
}

TEST(MyMiniFrame, TopRightPositionKeepsSize) {
  UseSourceData();
  MyMiniFrame* frame = new MyMiniFrame(nullptr, wxT("Sites"));
  frame->SetSize(wxSize(300, 200));
  frame->Show(true);
  Pump(30);
  frame->SetTopRightPosition(wxPoint(800, 100));
  PumpUntil([&] { return frame->GetPosition() == wxPoint(500, 100); });
  EXPECT_EQ(wxPoint(500, 100), frame->GetPosition());
  EXPECT_EQ(wxSize(300, 200), frame->GetSize());
  frame->Destroy();
}

// (A click on the close picture hides the frame: see the real click below.)
TEST(MyMiniFrame, ClosePictureGoesThroughTheSubclass) {
  UseSourceData();
  // A subclass's OnClose replaces the base one: nothing is hidden by the base.
  CloseOverridingFrame* prefs = new CloseOverridingFrame(nullptr, wxT("Preferences"));
  prefs->Show(true);
  Pump(30);
  PressLeft(ChildOf<CloseContactsFrameButtonBitmap>(CaptionOf(prefs)));
  EXPECT_EQ(1, prefs->closes);
  EXPECT_EQ(0, prefs->hidden);
  EXPECT_TRUE(prefs->IsShown());

  // A press on the caption text is no close.
  PressLeft(ChildOf<wxStaticText>(CaptionOf(prefs)));
  EXPECT_EQ(1, prefs->closes);
  prefs->Destroy();
}

TEST(MyMiniFrame, RealClickAndCaptionDragWithTheMouse) {
  UseSourceData();
  ShowCountingFrame* frame = new ShowCountingFrame(nullptr, wxT("Contacts"));
  frame->SetSize(wxRect(200, 200, 260, 160));
  frame->Show(true);
  ASSERT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
  Pump(100);
  TextPanel* caption = CaptionOf(frame);
  auto* close = ChildOf<CloseContactsFrameButtonBitmap>(caption);
  ASSERT_NE(nullptr, close);

  wxUIActionSimulator sim;
  // Pressing on the caption and dragging it: the frame has no title bar and stays where its owner
  // put it, shown.
  wxPoint start = caption->ClientToScreen(wxPoint(20, caption->GetClientSize().y / 2));
  sim.MouseMove(start);
  Pump(50);
  sim.MouseDown();
  Pump(30);
  sim.MouseMove(start + wxPoint(40, 30));
  Pump(30);
  sim.MouseUp();
  Pump(80);
  EXPECT_TRUE(frame->IsShown());
  EXPECT_EQ(wxPoint(200, 200), frame->GetPosition());
  EXPECT_EQ(0, frame->hidden);

  // A real click on the close picture hides the frame through Show(false).
  wxRect r = close->GetScreenRect();
  sim.MouseMove(r.GetPosition() + wxPoint(r.width / 2, r.height / 2));
  Pump(50);
  sim.MouseClick();
  EXPECT_TRUE(PumpUntil([&] { return !frame->IsShown(); }));
  EXPECT_EQ(1, frame->hidden);
  // The window survives and can be shown again.
  frame->Show(true);
  EXPECT_TRUE(frame->IsShown());
  frame->Destroy();
  Pump(30);
}
