// The window of file transfers in progress and done.
#ifndef PARLAVOX_GUI_FILESFRAME_H
#define PARLAVOX_GUI_FILESFRAME_H

#include "gui/callRecord.h"
#include <wx/frame.h>

class Manager;
class FileMessage;

class FilesFrame : public wxFrame, public CallRecord {
 public:
  FilesFrame(wxWindow* parent, Manager* manager);

  // Shows a transfer's new state or progress.
  void UpdateFileTransfertStatus(FileMessage* message);

 private:
  Manager* m_manager;
};

#endif
