// The window of file transfers in progress and done.
#ifndef PARLAVOX_GUI_FILESFRAME_H
#define PARLAVOX_GUI_FILESFRAME_H

#include <wx/frame.h>

class Manager;

class FilesFrame : public wxFrame {
 public:
  FilesFrame(wxWindow* parent, Manager* manager);

 private:
  Manager* m_manager;
};

#endif
