// The dialog that changes the look and behaviour of one tabbed notebook while it is on screen.
// Every control writes its style bits to the notebook at once; "&Close" ends the dialog.
#ifndef PARLAVOX_WIDGETS_TABCUSTOMIZEDIALOG_H
#define PARLAVOX_WIDGETS_TABCUSTOMIZEDIALOG_H

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/panel.h>
#include <wx/radiobox.h>
#include <wx/statline.h>

class TabStrip;
class TabbedNotebook;

class TabCustomizeDialog : public wxDialog {
 public:
  // parent: the notebook's tab strip. options: which groups of controls are offered
  // (TNB_OPTION_* bits).
  TabCustomizeDialog(wxWindow* parent, long options, int id, const wxString& title,
                     wxPoint pos = wxDefaultPosition, wxSize size = wxDefaultSize,
                     long style = wxDEFAULT_DIALOG_STYLE);
  ~TabCustomizeDialog() override;

  wxPanel* BuildOptionsPanel();
  void BindControlEvents();
  void OnOptionChanged(wxCommandEvent& event);
  void OnCloseButton(wxCommandEvent& event);

  long GetOptions() const { return options; }
  TabbedNotebook* GetNotebook() const;

  wxStaticLine* separatorLine;
  wxButton* closeButton;
  long options;
  wxRadioBox* visualStyleBox;
  wxRadioBox* tabPositionBox;
  wxRadioBox* navigationStyleBox;
  wxCheckBox* thinBorderCheck;
  wxCheckBox* hideCloseButtonCheck;
  wxCheckBox* middleClickClosesCheck;
  wxCheckBox* closeOnActiveTabCheck;
  wxCheckBox* doubleClickClosesCheck;
  wxCheckBox* smartTabbingCheck;
  wxCheckBox* enableDragCheck;
  wxCheckBox* dragBetweenNotebooksCheck;
  wxCheckBox* gradientCheck;
  wxCheckBox* randomColourCheck;

  // A check box that stands for one style bit: checked sets it, unchecked clears it.
  struct CheckBit;

 private:
  TabStrip* Strip() const;
  // The preset look the strip's style shows, and whether the two effects apply to it.
  int PresetLook(bool* gradientEnabled, bool* randomEnabled) const;
  wxCheckBox* MakeCheck(wxWindow* parent, const CheckBit& c);
  // The option panel's groups: the looks and navigation; the general and drag-and-drop check
  // boxes; the effects.
  void AddLookChoices(wxPanel* panel, wxSizer* panelSizer);
  void AddBehaviourChecks(wxPanel* panel, wxSizer* panelSizer);
  void AddEffectChecks(wxPanel* panel, wxSizer* panelSizer);
};

#endif
