#include <gtest/gtest.h>
#include <wx/settings.h>
#include <wx/tooltip.h>
#include <wx/uiaction.h>

#include <memory>

#include "tests/widgets/widgetTestSupport.h"
#include "widgets/myStaticText.h"

using widgettest::Pump;
using widgettest::PumpUntil;
using widgettest::TestFrame;

namespace {

const wxColour kPurple(128, 0, 128);

void Send(wxWindow* window, wxEventType type) {
  wxMouseEvent event(type);
  event.SetEventObject(window);
  event.SetId(window->GetId());
  window->GetEventHandler()->ProcessEvent(event);
}

// Receives the clicks bound through MyStaticText::Connect.
class ClickSink : public wxEvtHandler {
 public:
  void OnClick(wxMouseEvent& event) {
    ++clicks;
    object = event.GetEventObject();
    userData = event.m_callbackUserData;
  }
  int clicks = 0;
  wxObject* object = nullptr;
  wxObject* userData = nullptr;
};

struct LabelFixture {
  explicit LabelFixture(bool hover, const wxString& text = wxT("alice")) {
    label = new MyStaticText(frame.get(), wxID_ANY, text, hover);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(label, 0, wxALL, 20);
    frame->SetSizer(sizer);
    frame->Layout();
    Pump(30);
  }
  wxColour Shown() const { return label->GetInnerText()->GetForegroundColour(); }

  TestFrame frame{wxSize(300, 150)};
  MyStaticText* label;
};

}  // namespace

TEST(MyStaticText, LiteralTextAndWhatReachesTheInnerText) {
  LabelFixture f(true, wxT("Tom & Jerry"));
  // "&" from another user's name is shown, not taken as a mnemonic.
  EXPECT_EQ(wxT("Tom & Jerry"), f.label->GetInnerText()->GetLabelText());
  f.label->SetLabel(wxT("R&D\tteam"));
  EXPECT_EQ(wxT("R&D\tteam"), f.label->GetInnerText()->GetLabelText());

  // Enable acts on the inner text only.
  EXPECT_TRUE(f.label->Enable(false));
  EXPECT_FALSE(f.label->GetInnerText()->IsEnabled());
  EXPECT_TRUE(f.label->IsEnabled());
  f.label->Enable(true);

  wxFont big = f.label->GetFont();
  big.SetPointSize(big.GetPointSize() + 6);
  EXPECT_TRUE(f.label->SetFont(big));
  EXPECT_EQ(big, f.label->GetInnerText()->GetFont());
  EXPECT_EQ(big, f.label->GetFont());

  f.label->SetToolTip(wxT("Click to change your mood"));
  ASSERT_NE(nullptr, f.label->GetToolTip());
  ASSERT_NE(nullptr, f.label->GetInnerText()->GetToolTip());
  EXPECT_EQ(wxT("Click to change your mood"), f.label->GetToolTip()->GetTip());
  EXPECT_EQ(wxT("Click to change your mood"), f.label->GetInnerText()->GetToolTip()->GetTip());
  // One tip object cannot belong to two windows: the inner text gets its own.
  wxToolTip* tip = new wxToolTip(wxT("site"));
  f.label->SetToolTip(tip);
  EXPECT_EQ(tip, f.label->GetToolTip());
  ASSERT_NE(nullptr, f.label->GetInnerText()->GetToolTip());
  EXPECT_NE(tip, f.label->GetInnerText()->GetToolTip());
  EXPECT_EQ(wxT("site"), f.label->GetInnerText()->GetToolTip()->GetTip());
}

TEST(MyStaticText, HoverLookFollowsTheRules) {
  {
    // No hover flag: never changes.
    LabelFixture f(false);
    wxColour before = f.Shown();
    Send(f.label, wxEVT_ENTER_WINDOW);
    EXPECT_EQ(before, f.Shown());
    Send(f.label, wxEVT_LEAVE_WINDOW);
    f.label->ResetDisplay();
    EXPECT_EQ(before, f.Shown());
  }
  {
    // Disabled: keeps its colour on enter and leave.
    LabelFixture f(true);
    f.label->SetForegroundColour(*wxBLUE);
    f.label->Enable(false);
    Send(f.label, wxEVT_ENTER_WINDOW);
    EXPECT_EQ(*wxBLUE, f.Shown());
    Send(f.label, wxEVT_LEAVE_WINDOW);
    EXPECT_EQ(*wxBLUE, f.Shown());
  }
  {
    // Never set, never hovered: ResetDisplay gives the default text colour.
    LabelFixture f(true);
    wxColour theme = f.Shown();
    f.label->ResetDisplay();
    EXPECT_EQ(theme, f.Shown());
    // Hover and leave come back to the same colour.
    Send(f.label, wxEVT_ENTER_WINDOW);
    EXPECT_EQ(kPurple, f.Shown());
    Send(f.label, wxEVT_LEAVE_WINDOW);
    EXPECT_EQ(theme, f.Shown());
  }
  {
    // Blue, then enter, then leave: ends blue. Blue set while hovered: blue at once and after.
    LabelFixture f(true);
    f.label->SetForegroundColour(*wxBLUE);
    Send(f.label, wxEVT_ENTER_WINDOW);
    EXPECT_EQ(kPurple, f.Shown());
    Send(f.label, wxEVT_LEAVE_WINDOW);
    EXPECT_EQ(*wxBLUE, f.Shown());
    Send(f.label, wxEVT_ENTER_WINDOW);
    f.label->SetForegroundColour(*wxRED);
    EXPECT_EQ(*wxRED, f.Shown());
    Send(f.label, wxEVT_LEAVE_WINDOW);
    EXPECT_EQ(*wxRED, f.Shown());
    // ResetDisplay ends the hover look as leaving does.
    Send(f.label, wxEVT_ENTER_WINDOW);
    f.label->ResetDisplay();
    EXPECT_EQ(*wxRED, f.Shown());
  }
}

TEST(MyStaticText, ConnectBindsTheInnerText) {
  LabelFixture f(true);
  ClickSink sink;
  wxObject* data = new wxObject;  // freed by the connection
  f.label->Connect(wxEVT_LEFT_DOWN, wxMouseEventHandler(ClickSink::OnClick), data, &sink);

  Send(f.label, wxEVT_LEFT_DOWN);
  EXPECT_EQ(0, sink.clicks);
  Send(f.label->GetInnerText(), wxEVT_LEFT_DOWN);
  EXPECT_EQ(1, sink.clicks);
  EXPECT_EQ(f.label->GetInnerText(), sink.object);
  EXPECT_EQ(data, sink.userData);
}

TEST(MyStaticText, RealPointerHoverAndClick) {
  LabelFixture f(true, wxT("www.example.org"));
  f.label->SetForegroundColour(*wxBLUE);
  ClickSink sink;
  f.label->Connect(wxEVT_LEFT_DOWN, wxMouseEventHandler(ClickSink::OnClick), nullptr, &sink);
  ASSERT_TRUE(PumpUntil([&] { return f.label->IsShownOnScreen(); }));
  Pump(100);

  wxUIActionSimulator sim;
  wxRect outside = f.frame->GetScreenRect();
  sim.MouseMove(outside.GetBottomRight() - wxPoint(5, 5));
  Pump(80);
  wxRect text = f.label->GetInnerText()->GetScreenRect();
  sim.MouseMove(text.GetPosition() + wxPoint(text.width / 2, text.height / 2));
  EXPECT_TRUE(PumpUntil([&] { return f.Shown() == kPurple; }));

  sim.MouseClick();
  EXPECT_TRUE(PumpUntil([&] { return sink.clicks == 1; }));
  EXPECT_EQ(f.label->GetInnerText(), sink.object);

  sim.MouseMove(outside.GetBottomRight() - wxPoint(5, 5));
  EXPECT_TRUE(PumpUntil([&] { return f.Shown() == *wxBLUE; }));
}
