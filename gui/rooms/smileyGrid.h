// The pop-up grid of smileys under a message input's tool bar: a left click puts a smiley into
// the message; "+" and a right click on one of the user's own smileys set smileys up. It hides
// itself when the pointer has left it at one of its checks.
#ifndef PARLAVOX_GUI_ROOMS_SMILEYGRID_H
#define PARLAVOX_GUI_ROOMS_SMILEYGRID_H

#include <wx/button.h>
#include <wx/frame.h>
#include <wx/generic/statbmpg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/timer.h>

#include <map>
#include <vector>

class Smiley;
class SmileyGrid;
class WriteMessagePanel;

// One cell of the grid: the smiley's picture, 24 pixels square.
class SmileyButtonBitmapNotifier : public wxPanel {
 public:
  SmileyButtonBitmapNotifier(SmileyGrid* grid, int id, const wxBitmap& bitmap);
  void SetBitmap(const wxBitmap& bitmap);
  wxGenericStaticBitmap* GetPicture() const { return m_bitmap; }

 private:
  wxGenericStaticBitmap* m_bitmap;
};

class SmileyGrid : public wxFrame {
 public:
  static const int kColumns = 16;
  static const int kCellSize = 24;
  // While shown, the grid looks this often whether the pointer is still over it.
  static const int kHideCheckMs = 5000;

  SmileyGrid(WriteMessagePanel* panel, wxPoint position, std::vector<Smiley*> smileys);
  ~SmileyGrid() override;

  bool Show(bool show = true) override;

  // The cells in the order shown, then the "+" button.
  std::vector<SmileyButtonBitmapNotifier*> GetCells() const;
  wxButton* GetAddButton() const { return m_addButton; }

 private:
  void AddCell(Smiley* smiley);
  void OnSmileyClicked(wxMouseEvent& event);
  void OnSmileyRightClicked(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnTimer(wxTimerEvent& event);
  void OnAddSmiley(wxCommandEvent& event);
  // Sizes the frame to its cells again.
  void Refit();

  wxFlexGridSizer* m_gridSizer;
  std::map<int, Smiley*> m_smileys;
  std::map<int, SmileyButtonBitmapNotifier*> m_cells;
  WriteMessagePanel* m_panel;
  wxTimer m_timer;
  wxButton* m_addButton = nullptr;

  wxDECLARE_EVENT_TABLE();
};

#endif
