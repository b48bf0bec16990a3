#include "widgets/tabCustomizeDialog.h"

#include <wx/sizer.h>
#include <wx/statbox.h>

#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

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
  TabStrip* strip = Strip();
  wxPanel* panel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                               wxTAB_TRAVERSAL | wxBORDER_NONE);
  wxBoxSizer* panelSizer = new wxBoxSizer(wxVERTICAL);
  panel->SetSizer(panelSizer);

  // The preset look, and whether the two effects apply to it; the first bit found decides.
  int preset = 0;
  bool gradientEnabled = false;
  bool randomEnabled = false;
  if (strip->HasNotebookStyle(TNB_ROUNDED)) {
    preset = 4;
    gradientEnabled = true;
  } else if (strip->HasNotebookStyle(TNB_BOXED)) {
    preset = 2;
  } else if (strip->HasNotebookStyle(TNB_SLANTED)) {
    preset = 1;
    gradientEnabled = randomEnabled = true;
  } else if (strip->HasNotebookStyle(TNB_SHADED_TABS)) {
    preset = 3;
  }

  if (options & TNB_OPTION_VISUAL_STYLE) {
    const wxString looks[] = {wxT("Default"), wxT("Slanted"), wxT("Boxed"), wxT("Shaded Tabs"),
                              wxT("Rounded")};
    visualStyleBox = new wxRadioBox(panel, wxID_ANY, wxT("Visual Style:"), wxDefaultPosition,
                                    wxDefaultSize, 5, looks, 3, wxRA_SPECIFY_COLS);
    visualStyleBox->SetSelection(preset);
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

  auto makeCheck = [&](wxWindow* parent, const wxChar* label, bool value) {
    wxCheckBox* check = new wxCheckBox(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0);
    check->SetValue(value);
    return check;
  };

  wxStaticBoxSizer* general = new wxStaticBoxSizer(wxVERTICAL, panel, wxT("General:"));
  wxWindow* generalBox = general->GetStaticBox();
  wxGridSizer* grid = new wxGridSizer(3, 2, 0, 0);
  thinBorderCheck = makeCheck(generalBox, wxT("Draw Thin Border Around Tab Area"),
                              strip->HasNotebookStyle(TNB_THIN_BORDER));
  hideCloseButtonCheck = makeCheck(generalBox, wxT("Hide Close Button"),
                                   strip->HasNotebookStyle(TNB_HIDE_CLOSE_BUTTON));
  middleClickClosesCheck = makeCheck(generalBox, wxT("Mouse Middle Button Closes Tab"),
                                     strip->HasNotebookStyle(TNB_MIDDLE_BUTTON_CLOSES_TAB));
  closeOnActiveTabCheck = makeCheck(generalBox, wxT("Place Close Button On Active Tab"),
                                    strip->HasNotebookStyle(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB));
  doubleClickClosesCheck = makeCheck(generalBox, wxT("Double Click Closes Tab"),
                                     strip->HasNotebookStyle(TNB_DOUBLE_CLICK_CLOSES_TAB));
  smartTabbingCheck = makeCheck(generalBox, wxT("Enable Smart Tabbing"),
                                strip->HasNotebookStyle(TNB_SMART_TABBING));
  for (wxCheckBox* check : {thinBorderCheck, hideCloseButtonCheck, middleClickClosesCheck,
                            closeOnActiveTabCheck, doubleClickClosesCheck, smartTabbingCheck})
    grid->Add(check, 0, wxALL, 5);
  const bool closeOptions = (options & TNB_OPTION_CLOSE_BUTTON) != 0;
  for (wxCheckBox* check : {hideCloseButtonCheck, middleClickClosesCheck, closeOnActiveTabCheck,
                            doubleClickClosesCheck})
    check->Enable(closeOptions);
  general->Add(grid, 0, wxEXPAND, 5);
  panelSizer->Add(general, 0, wxEXPAND | wxALL, 5);

  if (options & TNB_OPTION_DRAG_AND_DROP) {
    wxStaticBoxSizer* drag = new wxStaticBoxSizer(wxHORIZONTAL, panel, wxT("Drag And Drop:"));
    wxWindow* dragBox = drag->GetStaticBox();
    enableDragCheck = makeCheck(dragBox, wxT("Enable Drag And Drop"),
                                !strip->HasNotebookStyle(TNB_NO_DRAG_AND_DROP));
    drag->Add(enableDragCheck, 0, wxALL, 5);
    dragBetweenNotebooksCheck = makeCheck(dragBox, wxT("Allow Drag And Drop from other notebooks"),
                                          strip->HasNotebookStyle(TNB_DRAG_BETWEEN_NOTEBOOKS));
    dragBetweenNotebooksCheck->Enable(enableDragCheck->GetValue() &&
                                      (options & TNB_OPTION_DRAG_BETWEEN_NOTEBOOKS) != 0);
    drag->Add(dragBetweenNotebooksCheck, 0, wxALL, 5);
    panelSizer->Add(drag, 0, wxEXPAND | wxALL, 5);
  }

  wxStaticBoxSizer* effects = new wxStaticBoxSizer(wxHORIZONTAL, panel, wxT("Effects:"));
  wxWindow* effectsBox = effects->GetStaticBox();
  gradientCheck = makeCheck(effectsBox, wxT("Use Gradient painting for tabs area"),
                            strip->HasNotebookStyle(TNB_GRADIENT_TAB_AREA));
  effects->Add(gradientCheck, 0, wxALL, 5);
  randomColourCheck = makeCheck(effectsBox, wxT("Set Random Colour for Tabs"),
                                strip->HasNotebookStyle(TNB_RANDOM_TAB_COLOUR));
  effects->Add(randomColourCheck, 0, wxALL, 5);
  panelSizer->Add(effects, 0, wxEXPAND | wxALL, 5);

  randomColourCheck->Enable(randomEnabled);
  gradientCheck->Enable(gradientEnabled);

  panel->Layout();
  return panel;
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
  const struct {
    wxCheckBox* check;
    long bit;
  } checks[] = {{thinBorderCheck, TNB_THIN_BORDER},
                {hideCloseButtonCheck, TNB_HIDE_CLOSE_BUTTON},
                {middleClickClosesCheck, TNB_MIDDLE_BUTTON_CLOSES_TAB},
                {closeOnActiveTabCheck, TNB_CLOSE_BUTTON_ON_ACTIVE_TAB},
                {doubleClickClosesCheck, TNB_DOUBLE_CLICK_CLOSES_TAB},
                {smartTabbingCheck, TNB_SMART_TABBING},
                {dragBetweenNotebooksCheck, TNB_DRAG_BETWEEN_NOTEBOOKS},
                {gradientCheck, TNB_GRADIENT_TAB_AREA},
                {randomColourCheck, TNB_RANDOM_TAB_COLOUR}};
  for (const auto& c : checks)
    if (source && source == c.check) setBit(c.bit, event.IsChecked());
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
