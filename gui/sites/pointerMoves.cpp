#include "gui/sites/pointerMoves.h"

#include <wx/event.h>

#include <utility>

PointerMoves::PointerMoves(std::function<void()> moved) : m_moved(std::move(moved)) {}

PointerMoves::~PointerMoves() { Watch(false); }

void PointerMoves::Watch(bool on) {
  if (on == m_watching) return;
  m_watching = on;
  if (on) wxEvtHandler::AddFilter(this);
  else wxEvtHandler::RemoveFilter(this);
}

int PointerMoves::FilterEvent(wxEvent& event) {
  const wxEventType type = event.GetEventType();
  if (type == wxEVT_MOTION || type == wxEVT_ENTER_WINDOW || type == wxEVT_LEAVE_WINDOW || type == wxEVT_MOUSEWHEEL)
    m_moved();
  return Event_Skip;
}
