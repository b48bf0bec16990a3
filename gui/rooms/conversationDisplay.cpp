// The conversation display: its own measuring for the layout and its own painting.
#include "gui/rooms/conversationDisplay.h"

#include <wx/caret.h>
#include <wx/dcclient.h>
#include <wx/dcgraph.h>
#include <wx/graphics.h>

#include <memory>

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
  Bind(wxEVT_PAINT, &ConversationDisplay::PaintContent, this);
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

void ConversationDisplay::PaintContent(wxPaintEvent& event) {
  // The caret, when shown (the display has the focus), is drawn by the toolkit's own painting,
  // which is left to paint the whole display then.
  if (GetCaret() && GetCaret()->IsVisible()) {
    event.Skip();
    return;
  }
  wxPaintDC paint(this);
  if (IsFrozen()) return;
  // The same drawing on the same surface, through a context whose resolution is the window's.
  std::unique_ptr<wxGraphicsContext> graphics(wxGraphicsContext::Create(paint));
  if (!graphics || graphics->GetWindow() != this) {
    event.Skip();
    return;
  }
  wxGCDC dc(graphics.release());
  PrepareDC(dc);
  dc.SetFont(GetFont());

  wxRect drawingArea(GetUpdateRegion().GetBox());
  drawingArea.SetPosition(GetUnscaledPoint(GetLogicalPoint(drawingArea.GetPosition())));
  drawingArea.SetSize(GetUnscaledSize(drawingArea.GetSize()));
  const wxRect availableSpace(GetUnscaledSize(GetClientSize()));
  wxRichTextDrawingContext context(&GetBuffer());
  if (GetBuffer().IsDirty()) {
    dc.SetUserScale(GetScale(), GetScale());
    DoLayoutBuffer(GetBuffer(), dc, context, availableSpace, availableSpace,
                   wxRICHTEXT_FIXED_WIDTH | wxRICHTEXT_VARIABLE_HEIGHT);
    GetBuffer().Invalidate(wxRICHTEXT_NONE);
    dc.SetUserScale(1.0, 1.0);
    SetupScrollbars(false, true);
  }
  PaintBackground(dc);

  wxRect clip(availableSpace);
  clip.x += GetBuffer().GetLeftMargin();
  clip.y += GetBuffer().GetTopMargin();
  clip.width -= GetBuffer().GetLeftMargin() + GetBuffer().GetRightMargin();
  clip.height -= GetBuffer().GetTopMargin() + GetBuffer().GetBottomMargin();
  clip = GetScaledRect(clip);
  clip.SetPosition(GetLogicalPoint(clip.GetPosition()));
  dc.SetClippingRegion(clip);
  const int flags = (GetExtraStyle() & wxRICHTEXT_EX_NO_GUIDELINES) == 0 ? wxRICHTEXT_DRAW_GUIDELINES : 0;
  dc.SetUserScale(GetScale(), GetScale());
  GetBuffer().Draw(dc, context, GetBuffer().GetOwnRange(), GetSelection(), drawingArea, 0, flags);
  dc.DestroyClippingRegion();
  PaintAboveContent(dc);
}
