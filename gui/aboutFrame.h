// The about box: the program and its version, the company that provides the service, and a
// link to the maker's web site. One of the small windows docked to the main window.
#ifndef PARLAVOX_GUI_ABOUTFRAME_H
#define PARLAVOX_GUI_ABOUTFRAME_H

#include "widgets/myMiniFrame.h"

class AboutFrame : public MyMiniFrame {
 public:
  explicit AboutFrame(wxFrame* parent);

  bool Show(bool show = true) override;
  // Opens the maker's home page.
  void OnOpenWebSite(wxMouseEvent& event);
};

#endif
