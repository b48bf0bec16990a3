// The small borderless tool window with its own orange caption strip and close picture. It is kept
// on top while the user keeps the program's windows on top, and once hidden it hands the keyboard
// back to the window it was opened from (keptOnTop.h, focusReturn.h).
#ifndef PARLAVOX_WIDGETS_MYMINIFRAME_H
#define PARLAVOX_WIDGETS_MYMINIFRAME_H

#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/statbmp.h>

class MyMiniFrame : public wxFrame {
 public:
  MyMiniFrame(wxWindow* parent, const wxString& title);

  // Shows or hides the frame; after showing, the keyboard focus goes back to the parent.
  bool Show(bool show = true) override;
  // The idle pass skips this window while hidden, and the top-level windows it owns.
  bool SendIdleEvents(wxIdleEvent& event) override;
  // The caption's close picture was pressed: hides the frame through Show(false).
  virtual void OnClose(wxMouseEvent& event);

  // Moves the frame so that its top right corner lands on point; the size is kept.
  void SetTopRightPosition(const wxPoint& point);
};

// The caption strip: the title, and at its right end the picture that closes the frame.
class TextPanel : public wxPanel {
 public:
  TextPanel(MyMiniFrame* parent, const wxString& title);
};

class CloseContactsFrameButtonBitmap : public wxStaticBitmap {
 public:
  CloseContactsFrameButtonBitmap(wxWindow* parent, wxWindowID id, const wxBitmap& bitmap,
                                 const wxPoint& pos = wxDefaultPosition,
                                 const wxSize& size = wxDefaultSize, long style = 0,
                                 const wxString& name = wxStaticBitmapNameStr);
};

#endif
