// The conversation of a chat-room page: a read-only rich text display that lays its text out
// without asking the X server where its window is for every piece of text. The toolkit's device
// context looks up the window's monitor (a round trip to the server) each time the layout turns
// a size into pixels, some hundred times for one message; this display measures with a drawing
// context of its own whose resolution is the window's, looked up once and again only when the
// window moves to a screen of another resolution. It paints through such a context too: the
// toolkit's paint context asks the server again for every paragraph and picture it draws.
#ifndef PARLAVOX_GUI_ROOMS_CONVERSATIONDISPLAY_H
#define PARLAVOX_GUI_ROOMS_CONVERSATIONDISPLAY_H

#include <wx/richtext/richtextctrl.h>

class ConversationDisplay : public wxRichTextCtrl {
 public:
  explicit ConversationDisplay(wxWindow* parent);

  wxSize GetDPI() const override;

 protected:
  void DoLayoutBuffer(wxRichTextBuffer& buffer, wxDC& dc, wxRichTextDrawingContext& context, const wxRect& rect,
                      const wxRect& parentRect, int flags) override;

 private:
  void PaintContent(wxPaintEvent& event);

  mutable wxSize m_dpi;  // 0 by 0 until looked up
};

#endif
