// Helpers for the window tests: pumping events, a top-level frame, a recorder of notebook events.
#ifndef PARLAVOX_TESTS_WIDGETS_WIDGETTESTSUPPORT_H
#define PARLAVOX_TESTS_WIDGETS_WIDGETTESTSUPPORT_H

#include <wx/frame.h>

#include <functional>
#include <string>
#include <vector>

#include "widgets/tabbedNotebook.h"

namespace widgettest {

// Runs pending events for about ms milliseconds.
void Pump(int ms = 50);
// Pumps until cond holds or ms pass; returns cond(). Generous by default: on a loaded machine
// running the sanitizer build, a window can take seconds to answer; a condition that holds
// returns at once.
bool PumpUntil(const std::function<bool()>& cond, int ms = 10000);

// A shown frame that destroys itself (and its children) at the end of the test.
class TestFrame {
 public:
  explicit TestFrame(const wxSize& size = wxSize(600, 400));
  ~TestFrame();
  wxFrame* get() const { return m_frame; }
  wxFrame* operator->() const { return m_frame; }

 private:
  wxFrame* m_frame;
};

// Records every notebook event that reaches the notebook's parent, and vetoes on demand.
class NotebookEventLog {
 public:
  struct Entry {
    wxEventType type;
    int selection;
    int oldSelection;
    int id;
    wxObject* object;
  };
  explicit NotebookEventLog(wxWindow* listenOn);
  ~NotebookEventLog();

  std::vector<Entry> entries;
  bool vetoChanging = false;
  bool vetoClosing = false;
  bool vetoOthers = false;

  // "changing(2,0) changed(2,-1)" ...
  std::string Summary() const;
  void Clear() { entries.clear(); }

 private:
  void OnEvent(TabbedNotebookEvent& event);
  wxWindow* m_window;
};

}  // namespace widgettest

#endif
