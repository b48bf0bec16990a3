#include "widgets/tabbedNotebookEvent.h"

// The five types are made in this order at start-up.
wxDEFINE_EVENT(wxEVT_TABBEDNOTEBOOK_PAGE_CHANGED, TabbedNotebookEvent);
wxDEFINE_EVENT(wxEVT_TABBEDNOTEBOOK_PAGE_CHANGING, TabbedNotebookEvent);
wxDEFINE_EVENT(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSING, TabbedNotebookEvent);
wxDEFINE_EVENT(wxEVT_TABBEDNOTEBOOK_CONTEXT_MENU, TabbedNotebookEvent);
wxDEFINE_EVENT(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSED, TabbedNotebookEvent);

wxIMPLEMENT_DYNAMIC_CLASS(TabbedNotebookEvent, wxNotifyEvent);

TabbedNotebookEvent::TabbedNotebookEvent(wxEventType type, int id, int selection, int oldSelection)
    : wxNotifyEvent(type, id), m_selection(selection), m_oldSelection(oldSelection) {}
