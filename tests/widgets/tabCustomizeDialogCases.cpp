// The customize dialog: presets from the notebook's style, what each control writes, and the way
// the strip opens it from "Properties...".
#include <gtest/gtest.h>
#include <wx/modalhook.h>
#include <wx/statbox.h>
#include <wx/testing.h>

#include <memory>

#include "tests/widgets/tabStripInputFixture.h"
#include "widgets/tabCustomizeDialog.h"

using widgettest::Book;
using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

// A dialog made the way the strip makes it, but not shown modally, so its handlers can be driven.
struct Dialog {
  Dialog(Book& book, long options = TNB_OPTION_ALL)
      : dlg(new TabCustomizeDialog(book.strip, options, wxID_ANY, wxT("Customize"))) {}
  ~Dialog() { dlg->Destroy(); }
  TabCustomizeDialog* operator->() const { return dlg; }

  void Choose(wxRadioBox* box, int item) {
    box->SetSelection(item);
    wxCommandEvent e(wxEVT_RADIOBOX, box->GetId());
    e.SetEventObject(box);
    e.SetInt(item);
    box->GetEventHandler()->ProcessEvent(e);
  }
  void Tick(wxCheckBox* check, bool on) {
    check->SetValue(on);
    wxCommandEvent e(wxEVT_CHECKBOX, check->GetId());
    e.SetEventObject(check);
    e.SetInt(on ? 1 : 0);
    check->GetEventHandler()->ProcessEvent(e);
  }

  TabCustomizeDialog* dlg;
};

// Labels of the static boxes and radio boxes in the dialog, top to bottom.
wxString GroupLabels(wxWindow* window) {
  wxString out;
  for (wxWindow* child : window->GetChildren()) {
    if (dynamic_cast<wxStaticBox*>(child) || dynamic_cast<wxRadioBox*>(child)) {
      if (!out.empty()) out += wxT("|");
      out += child->GetLabel();
    }
    wxString inner = GroupLabels(child);
    if (!inner.empty()) out += (out.empty() ? wxT("") : wxT("|")) + inner;
  }
  return out;
}

}  // namespace

// What the strip's "Properties..." entry opens, answered by the test instead of a user.
template <>
class wxExpectModal<TabCustomizeDialog> : public wxExpectModalBase<TabCustomizeDialog> {
 public:
  explicit wxExpectModal(long* options, long* styleSeen) : m_options(options), m_styleSeen(styleSeen) {}

 protected:
  int OnInvoked(TabCustomizeDialog* dlg) const override {
    *m_options = dlg->GetOptions();
    // Changes made while the dialog is up go to the notebook at once.
    dlg->closeOnActiveTabCheck->SetValue(true);
    wxCommandEvent e(wxEVT_CHECKBOX, dlg->closeOnActiveTabCheck->GetId());
    e.SetEventObject(dlg->closeOnActiveTabCheck);
    e.SetInt(1);
    dlg->closeOnActiveTabCheck->GetEventHandler()->ProcessEvent(e);
    *m_styleSeen = dlg->GetNotebook()->GetWindowStyleFlag();
    EXPECT_EQ(wxT("Customize"), dlg->GetTitle());
    EXPECT_TRUE(dlg->HasFlag(wxCAPTION));
    return wxID_OK;
  }

 private:
  long* m_options;
  long* m_styleSeen;
};

TEST(TabCustomizeDialog, PresetsFromTheNotebookStyle) {
  Book b(0x26218, 2);
  {
    Dialog d(b);
    EXPECT_EQ(b.notebook, d->GetNotebook());
    EXPECT_EQ(wxT("Visual Style:|Tab Positioning:|Navigation Style:|General:|Drag And Drop:|Effects:"),
              GroupLabels(d.dlg));
    EXPECT_EQ(0, d->visualStyleBox->GetSelection());
    EXPECT_EQ(0, d->tabPositionBox->GetSelection());
    EXPECT_EQ(1, d->navigationStyleBox->GetSelection());  // 0x10 | 0x4000
    // Each box as the style 0x26218 says; the default look takes neither effect.
    const struct {
      wxCheckBox* check;
      bool value, enabled;
    } boxes[] = {{d->thinBorderCheck, false, true},       {d->hideCloseButtonCheck, true, true},
                 {d->middleClickClosesCheck, false, true}, {d->closeOnActiveTabCheck, true, true},
                 {d->doubleClickClosesCheck, false, true}, {d->smartTabbingCheck, true, true},
                 {d->enableDragCheck, true, true},         {d->dragBetweenNotebooksCheck, false, true},
                 {d->gradientCheck, false, false},         {d->randomColourCheck, false, false}};
    for (const auto& box : boxes) {
      EXPECT_EQ(box.value, box.check->GetValue()) << box.check->GetLabel();
      EXPECT_EQ(box.enabled, box.check->IsEnabled()) << box.check->GetLabel();
    }
    EXPECT_EQ(wxT("&Close"), d->closeButton->GetLabel());
  }
  struct Preset {
    long style;
    int look;
    bool gradient;
    bool random;
    int navigation;
    int position;
  } presets[] = {
      {TNB_BOXED | TNB_ROUNDED, 4, true, false, 0, 0},
      {TNB_BOXED | TNB_BOTTOM_TABS, 2, false, false, 0, 1},
      {TNB_SLANTED | TNB_SHADED_TABS | TNB_NO_ROTATION_ARROWS, 1, true, true, 2, 0},
      {TNB_SHADED_TABS | TNB_DROP_DOWN_TAB_LIST, 3, false, false, 1, 0},
      {TNB_NO_ROTATION_ARROWS | TNB_DROP_DOWN_TAB_LIST, 0, false, false, 1, 0},
  };
  for (const Preset& p : presets) {
    b.notebook->SetWindowStyleFlag(p.style);
    Dialog d(b);
    EXPECT_EQ(p.look, d->visualStyleBox->GetSelection()) << std::hex << p.style;
    EXPECT_EQ(p.gradient, d->gradientCheck->IsEnabled()) << std::hex << p.style;
    EXPECT_EQ(p.random, d->randomColourCheck->IsEnabled()) << std::hex << p.style;
    EXPECT_EQ(p.navigation, d->navigationStyleBox->GetSelection()) << std::hex << p.style;
    EXPECT_EQ(p.position, d->tabPositionBox->GetSelection()) << std::hex << p.style;
  }
  // Drag switched off: the other drag box is checked as the style says but disabled.
  b.notebook->SetWindowStyleFlag(TNB_NO_DRAG_AND_DROP | TNB_DRAG_BETWEEN_NOTEBOOKS |
                                 TNB_GRADIENT_TAB_AREA | TNB_THIN_BORDER);
  {
    Dialog d(b);
    EXPECT_FALSE(d->enableDragCheck->GetValue());
    EXPECT_TRUE(d->dragBetweenNotebooksCheck->GetValue());
    EXPECT_FALSE(d->dragBetweenNotebooksCheck->IsEnabled());
    EXPECT_TRUE(d->gradientCheck->GetValue());
    EXPECT_TRUE(d->thinBorderCheck->GetValue());
  }
}

TEST(TabCustomizeDialog, OptionsWordChoosesTheGroups) {
  Book b(TNB_HIDE_CLOSE_BUTTON | TNB_DOUBLE_CLICK_CLOSES_TAB | TNB_ROUNDED, 1);
  {
    // No close options: the four close boxes are shown disabled, still preset.
    Dialog d(b, TNB_OPTION_ALL & ~TNB_OPTION_CLOSE_BUTTON);
    for (wxCheckBox* c : {d->hideCloseButtonCheck, d->middleClickClosesCheck,
                          d->closeOnActiveTabCheck, d->doubleClickClosesCheck})
      EXPECT_FALSE(c->IsEnabled()) << c->GetLabel();
    EXPECT_TRUE(d->hideCloseButtonCheck->GetValue());
    EXPECT_TRUE(d->doubleClickClosesCheck->GetValue());
    EXPECT_TRUE(d->thinBorderCheck->IsEnabled());
    EXPECT_TRUE(d->smartTabbingCheck->IsEnabled());
  }
  {
    // No visual style box; the effects still follow the notebook's look.
    Dialog d(b, TNB_OPTION_TAB_POSITION);
    EXPECT_EQ(nullptr, d->visualStyleBox);
    EXPECT_NE(nullptr, d->tabPositionBox);
    EXPECT_EQ(nullptr, d->enableDragCheck);
    EXPECT_EQ(nullptr, d->dragBetweenNotebooksCheck);
    EXPECT_TRUE(d->gradientCheck->IsEnabled());
    EXPECT_FALSE(d->randomColourCheck->IsEnabled());
    EXPECT_EQ(wxT("Tab Positioning:|Navigation Style:|General:|Effects:"), GroupLabels(d.dlg));
  }
  {
    Dialog d(b, 0);
    EXPECT_EQ(wxT("Navigation Style:|General:|Effects:"), GroupLabels(d.dlg));
    EXPECT_EQ(nullptr, d->tabPositionBox);
    // A control that is absent is skipped by the handler too.
    d.Tick(d->smartTabbingCheck, true);
    EXPECT_TRUE(b.notebook->HasFlag(TNB_SMART_TABBING));
  }
  {
    // Drag group without 0x04: the second drag box stays disabled.
    Dialog d(b, TNB_OPTION_DRAG_AND_DROP);
    ASSERT_NE(nullptr, d->enableDragCheck);
    EXPECT_TRUE(d->enableDragCheck->GetValue());
    EXPECT_FALSE(d->dragBetweenNotebooksCheck->IsEnabled());
    d.Tick(d->enableDragCheck, false);
    d.Tick(d->enableDragCheck, true);
    EXPECT_FALSE(d->dragBetweenNotebooksCheck->IsEnabled());
  }
}

TEST(TabCustomizeDialog, EachControlWritesItsBitsAtOnce) {
  Book b(0, 3);
  Dialog d(b);
  auto style = [&] { return b.notebook->GetWindowStyleFlag() & 0x3ffff; };

  // The looks keep the effect bits and their boxes' values; only some looks enable the boxes.
  d.Choose(d->visualStyleBox, 1);
  d.Tick(d->gradientCheck, true);
  d.Tick(d->randomColourCheck, true);
  const long effects = TNB_GRADIENT_TAB_AREA | TNB_RANDOM_TAB_COLOUR;
  const struct {
    int item;
    long look;
    bool gradient, random;
  } looks[] = {{1, TNB_SLANTED, true, true},      {2, TNB_BOXED, false, false}, {4, TNB_ROUNDED, true, false},
               {3, TNB_SHADED_TABS, false, false}, {0, 0, false, false}};
  for (const auto& l : looks) {
    d.Choose(d->visualStyleBox, l.item);
    EXPECT_EQ(l.look | effects, style()) << l.item;
    EXPECT_TRUE(d->gradientCheck->GetValue()) << l.item;
    EXPECT_EQ(l.gradient, d->gradientCheck->IsEnabled()) << l.item;
    EXPECT_EQ(l.random, d->randomColourCheck->IsEnabled()) << l.item;
  }
  d.Tick(d->gradientCheck, false);
  d.Tick(d->randomColourCheck, false);
  EXPECT_EQ(0, style());

  // Tab position: the strip moves below the page.
  d.Choose(d->tabPositionBox, 1);
  EXPECT_EQ(TNB_BOTTOM_TABS, style());
  EXPECT_EQ(b.strip, b.notebook->GetMainSizer()->GetItem(size_t(1))->GetWindow());
  d.Choose(d->tabPositionBox, 0);
  EXPECT_EQ(0, style());
  EXPECT_EQ(b.strip, b.notebook->GetMainSizer()->GetItem(size_t(0))->GetWindow());

  // Navigation: the list sets both bits, the arrows clear both, none leaves only 0x10.
  d.Choose(d->navigationStyleBox, 1);
  EXPECT_EQ(TNB_NO_ROTATION_ARROWS | TNB_DROP_DOWN_TAB_LIST, style());
  d.Choose(d->navigationStyleBox, 0);
  EXPECT_EQ(0, style());
  d.Choose(d->navigationStyleBox, 1);
  d.Choose(d->navigationStyleBox, 2);
  EXPECT_EQ(TNB_NO_ROTATION_ARROWS, style());
  d.Choose(d->navigationStyleBox, 0);

  const struct {
    wxCheckBox* check;
    long bit;
  } boxes[] = {{d->thinBorderCheck, TNB_THIN_BORDER},
               {d->hideCloseButtonCheck, TNB_HIDE_CLOSE_BUTTON},
               {d->middleClickClosesCheck, TNB_MIDDLE_BUTTON_CLOSES_TAB},
               {d->closeOnActiveTabCheck, TNB_CLOSE_BUTTON_ON_ACTIVE_TAB},
               {d->doubleClickClosesCheck, TNB_DOUBLE_CLICK_CLOSES_TAB},
               {d->smartTabbingCheck, TNB_SMART_TABBING},
               {d->dragBetweenNotebooksCheck, TNB_DRAG_BETWEEN_NOTEBOOKS}};
  for (const auto& box : boxes) {
    d.Tick(box.check, true);
    EXPECT_EQ(box.bit, style()) << box.check->GetLabel();
    d.Tick(box.check, false);
    EXPECT_EQ(0, style()) << box.check->GetLabel();
  }

  // Drag and drop is inverted; switching it off leaves the other drag bit alone.
  d.Tick(d->dragBetweenNotebooksCheck, true);
  d.Tick(d->enableDragCheck, false);
  EXPECT_EQ(TNB_NO_DRAG_AND_DROP | TNB_DRAG_BETWEEN_NOTEBOOKS, style());
  EXPECT_FALSE(d->dragBetweenNotebooksCheck->IsEnabled());
  EXPECT_TRUE(d->dragBetweenNotebooksCheck->GetValue());
  d.Tick(d->enableDragCheck, true);
  EXPECT_EQ(TNB_DRAG_BETWEEN_NOTEBOOKS, style());
  EXPECT_TRUE(d->dragBetweenNotebooksCheck->IsEnabled());

  // The notebook keeps its pages and selection through all of it.
  EXPECT_EQ(3, b.notebook->GetPageCount());
  EXPECT_EQ(0, b.notebook->GetSelection());
}

TEST(TabCustomizeDialog, PropertiesOpensItModallyAndCloseEndsIt) {
  Book b(TNB_PROPERTIES_MENU, 2);
  b.strip->SetCustomizeOptions(TNB_OPTION_VISUAL_STYLE | TNB_OPTION_CLOSE_BUTTON);
  long options = 0;
  long seen = 0;
  // The menu entry "Properties..." reaches the strip's handler, which shows the dialog modally.
  TabStrip::SetMenuPopupHook([&](TabStrip* strip, wxMenu* menu) {
    wxMenuItem* item = menu->FindItemByPosition(0);
    wxCommandEvent pick(wxEVT_MENU, item->GetId());
    pick.SetEventObject(menu);
    wxTEST_DIALOG(strip->GetEventHandler()->ProcessEvent(pick),
                  wxExpectModal<TabCustomizeDialog>(&options, &seen));
  });
  b.Mouse(wxEVT_RIGHT_DOWN, b.EmptyPoint());
  TabStrip::SetMenuPopupHook(nullptr);
  EXPECT_EQ(TNB_OPTION_VISUAL_STYLE | TNB_OPTION_CLOSE_BUTTON, options);
  EXPECT_EQ(TNB_PROPERTIES_MENU | TNB_CLOSE_BUTTON_ON_ACTIVE_TAB, seen & 0x3ffff);
  // The change outlives the dialog.
  EXPECT_TRUE(b.notebook->HasFlag(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB));

  // A real modal loop ends with wxID_OK when "&Close" is pressed, after any changes.
  std::unique_ptr<TabCustomizeDialog, void (*)(TabCustomizeDialog*)> dlg(
      new TabCustomizeDialog(b.strip, TNB_OPTION_ALL, wxID_ANY, wxT("Customize")),
      [](TabCustomizeDialog* d) { d->Destroy(); });
  TabCustomizeDialog* raw = dlg.get();
  bool pressed = false;
  raw->CallAfter([raw, &pressed] {
    raw->smartTabbingCheck->SetValue(true);
    wxCommandEvent tick(wxEVT_CHECKBOX, raw->smartTabbingCheck->GetId());
    tick.SetEventObject(raw->smartTabbingCheck);
    tick.SetInt(1);
    raw->smartTabbingCheck->GetEventHandler()->ProcessEvent(tick);
    wxCommandEvent click(wxEVT_BUTTON, raw->closeButton->GetId());
    click.SetEventObject(raw->closeButton);
    raw->closeButton->GetEventHandler()->ProcessEvent(click);
    pressed = true;
  });
  EXPECT_EQ(wxID_OK, raw->ShowModal());
  EXPECT_EQ(5100, wxID_OK);
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(b.notebook->HasFlag(TNB_SMART_TABBING));
  EXPECT_TRUE(b.notebook->HasFlag(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB));
}
