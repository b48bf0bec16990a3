#include <gtest/gtest.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "tests/widgets/widgetTestSupport.h"
#include "widgets/countsLabel.h"

using widgettest::Pump;
using widgettest::TestFrame;

namespace {

// What the tool kit needs to show `text` whole in `font`, measured on a label of its own.
wxSize Needed(wxWindow* parent, const wxString& text, const wxFont& font) {
  wxStaticText probe(parent, wxID_ANY, wxString());
  probe.SetFont(font);
  probe.SetLabelText(text);
  probe.InvalidateBestSize();
  const wxSize size = probe.GetBestSize();
  probe.Hide();
  return size;
}

}  // namespace

// Counts going up and down: the label shows each text literally and whole; it asks for a new
// layout only when a count gains or loses a digit, and a label set in another font measures
// anew.
TEST(CountsLabel, KeepsOneWidthPerShapeAndIsNeverTooNarrow) {
  TestFrame frame(wxSize(400, 120));
  CountsLabel* label = new CountsLabel(frame.get(), wxID_ANY);
  wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(label, 0, wxALL, 1);
  frame->SetSizer(sizer);
  struct Step {
    const char* text;
    bool resized;
  } steps[] = {
      {"(0 / 0 contacts)", true},   {"(1 / 8 contacts)", false},   {"(7 / 8 contacts)", false},
      {"(8 / 10 contacts)", true},  {"(9 / 11 contacts)", false},  {"(10 / 11 contacts)", true},
      {"(11 / 11 contacts)", false}, {"(99 / 100 contacts)", true}, {"(9 / 100 contacts)", true},
      {"(1 / 1 R&D)", true},        {"(4 / 4 R&D)", false},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.text);
    const wxSize before = label->GetMinSize();
    EXPECT_EQ(step.resized, label->SetCounts(step.text));
    EXPECT_EQ(step.text, label->GetLabelText());
    if (!step.resized) {
      EXPECT_EQ(before, label->GetMinSize());
    }
    const wxSize needed = Needed(frame.get(), step.text, label->GetFont());
    EXPECT_GE(label->GetMinSize().x, needed.x);
    EXPECT_GE(label->GetMinSize().y, needed.y);
    frame->Layout();
    EXPECT_GE(label->GetSize().x, needed.x);
  }
  // A larger font: the same shape is measured again, and wider.
  const int small = label->GetMinSize().x;
  wxFont large = label->GetFont();
  large.SetPointSize(large.GetPointSize() + 8);
  label->SetFont(large);
  EXPECT_TRUE(label->SetCounts("(5 / 5 R&D)"));
  EXPECT_GT(label->GetMinSize().x, small);
  EXPECT_GE(label->GetMinSize().x, Needed(frame.get(), "(5 / 5 R&D)", large).x);
  Pump(20);
}
