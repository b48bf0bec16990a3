// The conversation display: its own measuring for the layout.
#include "gui/rooms/conversationDisplay.h"

#include <wx/dcgraph.h>
#include <wx/graphics.h>

ConversationDisplay::ConversationDisplay(wxWindow* parent)
    : wxRichTextCtrl(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxVSCROLL | wxRE_READONLY) {
  // The theme's font and colour, kept: without one of its own, a window asks the theme for them
  // each time a drawing context is made on it, which the layout does for every line written.
  SetFont(GetFont());
  SetForegroundColour(GetForegroundColour());
  // The tool kit's rich text lays itself out and keeps its caret in sight at idle time, and
  // updates its own menu's commands: it gets the idle and update-UI events the other windows go
  // without.
  SetExtraStyle(GetExtraStyle() | wxWS_EX_PROCESS_IDLE | wxWS_EX_PROCESS_UI_UPDATES);
  Bind(wxEVT_DPI_CHANGED, [this](wxDPIChangedEvent& event) {
    m_dpi = wxSize();
    event.Skip();
  });
}

wxSize ConversationDisplay::GetDPI() const {
  if (m_dpi.x <= 0 || m_dpi.y <= 0) m_dpi = wxRichTextCtrl::GetDPI();
  return m_dpi;
}

void ConversationDisplay::DoLayoutBuffer(wxRichTextBuffer& buffer, wxDC& dc, wxRichTextDrawingContext& context,
                                         const wxRect& rect, const wxRect& parentRect, int flags) {
  // The same drawing (the toolkit's, on this window), asking the window, not the server, for its
  // resolution. A window not made yet on the server (never shown) has none to draw on.
  wxGraphicsContext* graphics = GTKGetDrawingWindow() ? wxGraphicsContext::Create(this) : nullptr;
  if (!graphics) {
    wxRichTextCtrl::DoLayoutBuffer(buffer, dc, context, rect, parentRect, flags);
    return;
  }
  wxGCDC measuring(graphics);
  measuring.SetFont(dc.GetFont());
  double x = 1, y = 1;
  dc.GetUserScale(&x, &y);
  measuring.SetUserScale(x, y);
  wxRichTextCtrl::DoLayoutBuffer(buffer, measuring, context, rect, parentRect, flags);
}
