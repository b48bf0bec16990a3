// The question asked when the user closes the main window: exit the program or reduce it to the
// tray, with a box to keep the answer. ShowModal answers 1 (exit), 2 (reduce) or 0 (cancel);
// the title bar's close box and Escape also answer 0, so dismissing the question never quits.
#ifndef PARLAVOX_GUI_REDUCEDIALOG_H
#define PARLAVOX_GUI_REDUCEDIALOG_H

#include <wx/dialog.h>

class wxCheckBox;

class ReduceDialog : public wxDialog {
 public:
  enum Answer { kCancel = 0, kExit = 1, kReduce = 2 };

  explicit ReduceDialog(wxWindow* parent);
  bool GetRemember() const;

  void OnClose(wxCommandEvent& event);
  void OnReduce(wxCommandEvent& event);
  void OnCancel(wxCommandEvent& event);

 private:
  void OnCloseWindow(wxCloseEvent& event);
  void Answer(int value);

  wxCheckBox* m_remember = nullptr;
};

#endif
