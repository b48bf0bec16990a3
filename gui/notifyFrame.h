// The notification pop-up: one per program, made with the main window.
#ifndef PARLAVOX_GUI_NOTIFYFRAME_H
#define PARLAVOX_GUI_NOTIFYFRAME_H

#include <wx/frame.h>

class MainFrame;

class NotifyFrame : public wxFrame {
 public:
  // Makes the pop-up unless it exists; it is owned by the main window as a child.
  static void CreateInstance(MainFrame* parent);
  static NotifyFrame* GetInstance();

 private:
  explicit NotifyFrame(MainFrame* parent);
  ~NotifyFrame() override;
};

#endif
