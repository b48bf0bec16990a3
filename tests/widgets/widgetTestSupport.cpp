#include "tests/widgets/widgetTestSupport.h"

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/time.h>
#include <wx/utils.h>

namespace widgettest {

namespace {
const wxEventTypeTag<TabbedNotebookEvent>* const kTypes[] = {
    &wxEVT_TABBEDNOTEBOOK_PAGE_CHANGED, &wxEVT_TABBEDNOTEBOOK_PAGE_CHANGING,
    &wxEVT_TABBEDNOTEBOOK_PAGE_CLOSING, &wxEVT_TABBEDNOTEBOOK_CONTEXT_MENU,
    &wxEVT_TABBEDNOTEBOOK_PAGE_CLOSED};
}  // namespace

void Pump(int ms) {
  wxLongLong end = wxGetLocalTimeMillis() + ms;
  do {
    wxTheApp->Yield(true);
    // Destroyed windows go away at idle time.
    wxTheApp->ProcessIdle();
    wxMilliSleep(5);
  } while (wxGetLocalTimeMillis() < end);
}

bool PumpUntil(const std::function<bool()>& cond, int ms) {
  wxLongLong end = wxGetLocalTimeMillis() + ms;
  while (!cond() && wxGetLocalTimeMillis() < end) {
    wxTheApp->Yield(true);
    wxTheApp->ProcessIdle();
    wxMilliSleep(5);
  }
  return cond();
}

TestFrame::TestFrame(const wxSize& size) {
  m_frame = new wxFrame(nullptr, wxID_ANY, wxT("test"), wxPoint(20, 20), size);
  m_frame->Show();
  Pump(30);
}

TestFrame::~TestFrame() {
  m_frame->Destroy();
  Pump(10);
}

NotebookEventLog::NotebookEventLog(wxWindow* listenOn) : m_window(listenOn) {
  for (const auto* t : kTypes) m_window->Bind(*t, &NotebookEventLog::OnEvent, this);
}

NotebookEventLog::~NotebookEventLog() {
  for (const auto* t : kTypes) m_window->Unbind(*t, &NotebookEventLog::OnEvent, this);
}

void NotebookEventLog::OnEvent(TabbedNotebookEvent& event) {
  entries.push_back({event.GetEventType(), event.GetSelection(), event.GetOldSelection(),
                     event.GetId(), event.GetEventObject()});
  wxEventType t = event.GetEventType();
  if ((t == wxEVT_TABBEDNOTEBOOK_PAGE_CHANGING && vetoChanging) ||
      (t == wxEVT_TABBEDNOTEBOOK_PAGE_CLOSING && vetoClosing) ||
      ((t == wxEVT_TABBEDNOTEBOOK_PAGE_CHANGED || t == wxEVT_TABBEDNOTEBOOK_PAGE_CLOSED ||
        t == wxEVT_TABBEDNOTEBOOK_CONTEXT_MENU) &&
       vetoOthers))
    event.Veto();
}

std::string NotebookEventLog::Summary() const {
  std::string out;
  for (const Entry& e : entries) {
    const char* name = e.type == wxEVT_TABBEDNOTEBOOK_PAGE_CHANGED    ? "changed"
                       : e.type == wxEVT_TABBEDNOTEBOOK_PAGE_CHANGING ? "changing"
                       : e.type == wxEVT_TABBEDNOTEBOOK_PAGE_CLOSING  ? "closing"
                       : e.type == wxEVT_TABBEDNOTEBOOK_PAGE_CLOSED   ? "closed"
                                                                      : "menu";
    if (!out.empty()) out += " ";
    out += name;
    out += "(" + std::to_string(e.selection) + "," + std::to_string(e.oldSelection) + ")";
  }
  return out;
}

}  // namespace widgettest
