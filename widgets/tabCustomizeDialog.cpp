#include "widgets/tabCustomizeDialog.h"

#include <wx/sizer.h>
#include <wx/statbox.h>

#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

struct TabCustomizeDialog::CheckBit {
  wxCheckBox* TabCustomizeDialog::*field;
  const wxChar* label;
  long bit;
};

namespace {

using CheckBit = TabCustomizeDialog::CheckBit;

// The "General:" group, in the order that fills its grid row by row.
const CheckBit kGeneralChecks[] = {
    {&TabCustomizeDialog::thinBorderCheck, wxT("Draw Thin Border Around Tab Area"), TNB_THIN_BORDER},
    {&TabCustomizeDialog::hideCloseButtonCheck, wxT("Hide Close Button"), TNB_HIDE_CLOSE_BUTTON},
    {&TabCustomizeDialog::middleClickClosesCheck, wxT("Mouse Middle Button Closes Tab"),
     TNB_MIDDLE_BUTTON_CLOSES_TAB},
    {&TabCustomizeDialog::closeOnActiveTabCheck, wxT("Place Close Button On Active Tab"),
     TNB_CLOSE_BUTTON_ON_ACTIVE_TAB},
    {&TabCustomizeDialog::doubleClickClosesCheck, wxT("Double Click Closes Tab"),
     TNB_DOUBLE_CLICK_CLOSES_TAB},
    {&TabCustomizeDialog::smartTabbingCheck, wxT("Enable Smart Tabbing"), TNB_SMART_TABBING}};

const CheckBit kDragBetweenCheck = {&TabCustomizeDialog::dragBetweenNotebooksCheck,
                                    wxT("Allow Drag And Drop from other notebooks"),
                                    TNB_DRAG_BETWEEN_NOTEBOOKS};
const CheckBit kGradientCheck = {&TabCustomizeDialog::gradientCheck,
                                 wxT("Use Gradient painting for tabs area"), TNB_GRADIENT_TAB_AREA};
const CheckBit kRandomColourCheck = {&TabCustomizeDialog::randomColourCheck,
                                     wxT("Set Random Colour for Tabs"), TNB_RANDOM_TAB_COLOUR};

}  // namespace

TabCustomizeDialog::TabCustomizeDialog(wxWindow* parent, long opts, int id, const wxString& title,
                                       wxPoint pos, wxSize size, long style)
    : separatorLine(nullptr),
      closeButton(nullptr),
      options(opts),
      visualStyleBox(nullptr),
      tabPositionBox(nullptr),
      navigationStyleBox(nullptr),
      thinBorderCheck(nullptr),
      hideCloseButtonCheck(nullptr),
      middleClickClosesCheck(nullptr),
      closeOnActiveTabCheck(nullptr),
      doubleClickClosesCheck(nullptr),
      smartTabbingCheck(nullptr),
      enableDragCheck(nullptr),
      dragBetweenNotebooksCheck(nullptr),
      gradientCheck(nullptr),
      randomColourCheck(nullptr) {
  Create(parent, id, title, pos, size, style, wxDialogNameStr);

  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  sizer->Add(BuildOptionsPanel(), 1, wxEXPAND | wxALL, 5);

  separatorLine = new wxStaticLine(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                   wxLI_HORIZONTAL);
  sizer->Add(separatorLine, 0, wxEXPAND | wxALL, 5);

  wxBoxSizer* buttonRow = new wxBoxSizer(wxHORIZONTAL);
  closeButton = new wxButton(this, wxID_ANY, wxT("&Close"), wxDefaultPosition, wxDefaultSize, 0);
  buttonRow->Add(closeButton, 0, wxALL, 5);
  sizer->Add(buttonRow, 0, wxALIGN_CENTER_HORIZONTAL, 5);

  Layout();
  sizer->Fit(this);
  BindControlEvents();
}

TabCustomizeDialog::~TabCustomizeDialog() {}

TabStrip* TabCustomizeDialog::Strip() const { return static_cast<TabStrip*>(GetParent()); }

TabbedNotebook* TabCustomizeDialog::GetNotebook() const {
  return static_cast<TabbedNotebook*>(GetParent()->GetParent());
}

wxPanel* TabCustomizeDialog::BuildOptionsPanel() {
  wxPanel* panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                               wxTAB_TRAVERSAL | wxBORDER_NONE);
  wxBoxSizer* panelSizer = new wxBoxSizer(wxVERTICAL);
  panel->SetSizer(panelSizer);
  AddLookChoices(panel, panelSizer);
  AddBehaviourChecks(panel, panelSizer);
  AddEffectChecks(panel, panelSizer);
  panel->Layout();
  return panel;
}

wxCheckBox* TabCustomizeDialog::MakeCheck(wxWindow* parent, const CheckBit& c) {
  // Each check box starts with the value of its bit in the notebook's style.
  wxCheckBox* check = new wxCheckBox(parent, wxID_ANY, c.label, wxDefaultPosition, wxDefaultSize, 0);
  check->SetValue(Strip()->HasNotebookStyle(c.bit));
  this->*c.field = check;
  return check;
}

int TabCustomizeDialog::PresetLook(bool* gradientEnabled, bool* randomEnabled) const {
  // The preset look, and whether the two effects apply to it; the first bit found decides.
  TabStrip* strip = Strip();
  *gradientEnabled = false;
  *randomEnabled = false;
  if (strip->HasNotebookStyle(TNB_ROUNDED)) {
    *gradientEnabled = true;
    return 4;
  }
  if (strip->HasNotebookStyle(TNB_BOXED)) return 2;
  if (strip->HasNotebookStyle(TNB_SLANTED)) {
    *gradientEnabled = *randomEnabled = true;
    return 1;
  }
  return strip->HasNotebookStyle(TNB_SHADED_TABS) ? 3 : 0;
}

void TabCustomizeDialog::AddLookChoices(wxPanel* panel, wxSizer* panelSizer) {
  TabStrip* strip = Strip();
  if (options & TNB_OPTION_VISUAL_STYLE) {
    const wxString looks[] = {wxT("Default"), wxT("Slanted"), wxT("Boxed"), wxT("Shaded Tabs"),
                              wxT("Rounded")};
    visualStyleBox = new wxRadioBox(panel, wxID_ANY, wxT("Visual Style:"), wxDefaultPosition,
                                    wxDefaultSize, 5, looks, 3, wxRA_SPECIFY_COLS);
    bool gradient = false;
    bool random = false;
    visualStyleBox->SetSelection(PresetLook(&gradient, &random));
    panelSizer->Add(visualStyleBox, 0, wxEXPAND | wxALL, 5);
  }

  if (options & TNB_OPTION_TAB_POSITION) {
    const wxString places[] = {wxT("Upper Tabs"), wxT("Bottom Tabs")};
    tabPositionBox = new wxRadioBox(panel, wxID_ANY, wxT("Tab Positioning:"), wxDefaultPosition,
                                    wxDefaultSize, 2, places, 2, wxRA_SPECIFY_COLS);
    tabPositionBox->SetSelection(strip->HasNotebookStyle(TNB_BOTTOM_TABS) ? 1 : 0);
    panelSizer->Add(tabPositionBox, 0, wxEXPAND | wxALL, 5);
  }

  const wxString navigation[] = {wxT("Rotation Arrows"), wxT("Drop Down Tab List"), wxT("None")};
  navigationStyleBox = new wxRadioBox(panel, wxID_ANY, wxT("Navigation Style:"), wxDefaultPosition,
                                      wxDefaultSize, 3, navigation, 3, wxRA_SPECIFY_COLS);
  if (strip->HasNotebookStyle(TNB_DROP_DOWN_TAB_LIST))
    navigationStyleBox->SetSelection(1);
  else if (strip->HasNotebookStyle(TNB_NO_ROTATION_ARROWS))
    navigationStyleBox->SetSelection(2);
  else
    navigationStyleBox->SetSelection(0);
  panelSizer->Add(navigationStyleBox, 0, wxEXPAND | wxALL, 5);
}

void TabCustomizeDialog::AddBehaviourChecks(wxPanel* panel, wxSizer* panelSizer) {
  wxStaticBoxSizer* general = new wxStaticBoxSizer(wxVERTICAL, panel, wxT("General:"));
  wxGridSizer* grid = new wxGridSizer(3, 2, 0, 0);
  for (const CheckBit& c : kGeneralChecks)
    grid->Add(MakeCheck(general->GetStaticBox(), c), 0, wxALL, 5);
  const bool closeOptions = (options & TNB_OPTION_CLOSE_BUTTON) != 0;
  for (wxCheckBox* check : {hideCloseButtonCheck, middleClickClosesCheck, closeOnActiveTabCheck,
                            doubleClickClosesCheck})
    check->Enable(closeOptions);
  general->Add(grid, 0, wxEXPAND, 5);
  panelSizer->Add(general, 0, wxEXPAND | wxALL, 5);

  if (!(options & TNB_OPTION_DRAG_AND_DROP)) return;
  wxStaticBoxSizer* drag = new wxStaticBoxSizer(wxHORIZONTAL, panel, wxT("Drag And Drop:"));
  wxWindow* dragBox = drag->GetStaticBox();
  // Checked means the "no drag and drop" bit is clear.
  enableDragCheck = new wxCheckBox(dragBox, wxID_ANY, wxT("Enable Drag And Drop"),
                                   wxDefaultPosition, wxDefaultSize, 0);
  enableDragCheck->SetValue(!Strip()->HasNotebookStyle(TNB_NO_DRAG_AND_DROP));
  drag->Add(enableDragCheck, 0, wxALL, 5);
  MakeCheck(dragBox, kDragBetweenCheck);
  dragBetweenNotebooksCheck->Enable(enableDragCheck->GetValue() &&
                                    (options & TNB_OPTION_DRAG_BETWEEN_NOTEBOOKS) != 0);
  drag->Add(dragBetweenNotebooksCheck, 0, wxALL, 5);
  panelSizer->Add(drag, 0, wxEXPAND | wxALL, 5);
}

void TabCustomizeDialog::AddEffectChecks(wxPanel* panel, wxSizer* panelSizer) {
  wxStaticBoxSizer* effects = new wxStaticBoxSizer(wxHORIZONTAL, panel, wxT("Effects:"));
  wxWindow* effectsBox = effects->GetStaticBox();
  effects->Add(MakeCheck(effectsBox, kGradientCheck), 0, wxALL, 5);
  effects->Add(MakeCheck(effectsBox, kRandomColourCheck), 0, wxALL, 5);
  panelSizer->Add(effects, 0, wxEXPAND | wxALL, 5);
  bool gradientEnabled = false;
  bool randomEnabled = false;
  PresetLook(&gradientEnabled, &randomEnabled);
  randomColourCheck->Enable(randomEnabled);
  gradientCheck->Enable(gradientEnabled);
}

void TabCustomizeDialog::BindControlEvents() {
  closeButton->Bind(wxEVT_BUTTON, &TabCustomizeDialog::OnCloseButton, this);
  for (wxRadioBox* box : {visualStyleBox, navigationStyleBox, tabPositionBox})
    if (box) box->Bind(wxEVT_RADIOBOX, &TabCustomizeDialog::OnOptionChanged, this);
  for (wxCheckBox* check :
       {thinBorderCheck, hideCloseButtonCheck, middleClickClosesCheck, closeOnActiveTabCheck,
        doubleClickClosesCheck, smartTabbingCheck, enableDragCheck, dragBetweenNotebooksCheck,
        gradientCheck, randomColourCheck})
    if (check) check->Bind(wxEVT_CHECKBOX, &TabCustomizeDialog::OnOptionChanged, this);
}

void TabCustomizeDialog::OnOptionChanged(wxCommandEvent& event) {
  wxObject* source = event.GetEventObject();
  TabbedNotebook* notebook = GetNotebook();
  long style = notebook->GetWindowStyleFlag();
  auto setBit = [&style](long bit, bool on) {
    if (on)
      style |= bit;
    else
      style &= ~bit;
  };

  if (source && source == visualStyleBox) {
    style &= ~(TNB_BOXED | TNB_SHADED_TABS | TNB_SLANTED | TNB_ROUNDED);
    bool gradient = false;
    bool random = false;
    switch (event.GetSelection()) {
      case 1:
        style |= TNB_SLANTED;
        gradient = random = true;
        break;
      case 2: style |= TNB_BOXED; break;
      case 3: style |= TNB_SHADED_TABS; break;
      case 4:
        style |= TNB_ROUNDED;
        gradient = true;
        break;
      default: break;
    }
    gradientCheck->Enable(gradient);
    randomColourCheck->Enable(random);
  }
  if (source && source == tabPositionBox) setBit(TNB_BOTTOM_TABS, event.GetSelection() != 0);
  if (source && source == navigationStyleBox) {
    switch (event.GetSelection()) {
      case 0: style &= ~(TNB_NO_ROTATION_ARROWS | TNB_DROP_DOWN_TAB_LIST); break;
      case 1: style |= TNB_NO_ROTATION_ARROWS | TNB_DROP_DOWN_TAB_LIST; break;
      default:
        style |= TNB_NO_ROTATION_ARROWS;
        style &= ~TNB_DROP_DOWN_TAB_LIST;
        break;
    }
  }
  for (const CheckBit& c : kGeneralChecks)
    if (source && source == this->*c.field) setBit(c.bit, event.IsChecked());
  for (const CheckBit* c : {&kDragBetweenCheck, &kGradientCheck, &kRandomColourCheck})
    if (source && source == this->*c->field) setBit(c->bit, event.IsChecked());
  if (source && source == enableDragCheck) {
    if (event.IsChecked()) {
      if (dragBetweenNotebooksCheck)
        dragBetweenNotebooksCheck->Enable((options & TNB_OPTION_DRAG_BETWEEN_NOTEBOOKS) != 0);
      style &= ~TNB_NO_DRAG_AND_DROP;
    } else {
      if (dragBetweenNotebooksCheck) dragBetweenNotebooksCheck->Disable();
      style |= TNB_NO_DRAG_AND_DROP;
    }
  }

  notebook->SetWindowStyleFlag(style);
  notebook->Refresh(true, nullptr);
}

void TabCustomizeDialog::OnCloseButton(wxCommandEvent&) {
  if (IsModal())
    EndModal(wxID_OK);
  else
    Hide();
}
