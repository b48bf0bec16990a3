// The notebook's event: page changing/changed, closing/closed and the tab context menu.
#ifndef PARLAVOX_WIDGETS_TABBEDNOTEBOOKEVENT_H
#define PARLAVOX_WIDGETS_TABBEDNOTEBOOKEVENT_H

#include <wx/event.h>

class TabbedNotebookEvent : public wxNotifyEvent {
 public:
  TabbedNotebookEvent(wxEventType type = wxEVT_NULL, int id = 0, int selection = -1,
                      int oldSelection = -1);
  TabbedNotebookEvent(const TabbedNotebookEvent& other) = default;

  int GetSelection() const { return m_selection; }
  void SetSelection(int selection) { m_selection = selection; }
  int GetOldSelection() const { return m_oldSelection; }
  void SetOldSelection(int oldSelection) { m_oldSelection = oldSelection; }

  wxEvent* Clone() const override { return new TabbedNotebookEvent(*this); }

 private:
  int m_selection;
  int m_oldSelection;

  wxDECLARE_DYNAMIC_CLASS_NO_ASSIGN(TabbedNotebookEvent);
};

// After the new page is shown; the old selection is always -1.
wxDECLARE_EVENT(wxEVT_TABBEDNOTEBOOK_PAGE_CHANGED, TabbedNotebookEvent);
// Before the selection changes; a veto cancels the change.
wxDECLARE_EVENT(wxEVT_TABBEDNOTEBOOK_PAGE_CHANGING, TabbedNotebookEvent);
// Before a page is removed; a veto keeps the page.
wxDECLARE_EVENT(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSING, TabbedNotebookEvent);
// A right click on an enabled tab when the notebook has no right-click menu.
wxDECLARE_EVENT(wxEVT_TABBEDNOTEBOOK_CONTEXT_MENU, TabbedNotebookEvent);
// After a page was removed.
wxDECLARE_EVENT(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSED, TabbedNotebookEvent);

typedef void (wxEvtHandler::*TabbedNotebookEventFunction)(TabbedNotebookEvent&);
#define TabbedNotebookEventHandler(func) wxEVENT_HANDLER_CAST(TabbedNotebookEventFunction, func)

#define EVT_TABBEDNOTEBOOK_PAGE_CHANGED(id, fn) \
  wx__DECLARE_EVT1(wxEVT_TABBEDNOTEBOOK_PAGE_CHANGED, id, TabbedNotebookEventHandler(fn))
#define EVT_TABBEDNOTEBOOK_PAGE_CHANGING(id, fn) \
  wx__DECLARE_EVT1(wxEVT_TABBEDNOTEBOOK_PAGE_CHANGING, id, TabbedNotebookEventHandler(fn))
#define EVT_TABBEDNOTEBOOK_PAGE_CLOSING(id, fn) \
  wx__DECLARE_EVT1(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSING, id, TabbedNotebookEventHandler(fn))
#define EVT_TABBEDNOTEBOOK_CONTEXT_MENU(id, fn) \
  wx__DECLARE_EVT1(wxEVT_TABBEDNOTEBOOK_CONTEXT_MENU, id, TabbedNotebookEventHandler(fn))
#define EVT_TABBEDNOTEBOOK_PAGE_CLOSED(id, fn) \
  wx__DECLARE_EVT1(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSED, id, TabbedNotebookEventHandler(fn))

#endif
