// A label that can act as a link: white panel around a text that turns purple under the mouse.
#ifndef PARLAVOX_WIDGETS_MYSTATICTEXT_H
#define PARLAVOX_WIDGETS_MYSTATICTEXT_H

#include <wx/panel.h>
#include <wx/stattext.h>

class MyStaticText : public wxPanel {
 public:
  // `textStyle` is the inner text's style: with wxST_ELLIPSIZE_END, a text given less room than
  // it needs ends in an ellipsis.
  MyStaticText(wxWindow* parent, int id, const wxString& label, bool hover, long textStyle = 0);

  // The text is shown literally ("&" is no mnemonic).
  void SetLabel(const wxString& label) override;
  // Enables or disables the inner text only.
  bool Enable(bool enable = true) override;
  // The colour to show, also the one restored after hovering.
  bool SetForegroundColour(const wxColour& colour) override;
  bool SetFont(const wxFont& font) override;
  wxFont GetFont() const;

  // Binds handler on the inner text (any id), so clicks on the text reach sink.
  using wxPanel::Connect;
  void Connect(wxEventType type, wxObjectEventFunction handler, wxObject* userData,
               wxEvtHandler* sink);

  // Sets the same tool tip on the panel and on the inner text.
  void SetToolTip(const wxString& tip);
  // The panel keeps the tip object; the inner text gets its own copy of the text.
  void SetToolTip(wxToolTip* tip);

  // Ends the hover look.
  void ResetDisplay();

  wxStaticText* GetInnerText() const { return m_text; }

 private:
  void OnEnterWindow(wxMouseEvent& event);
  void OnLeaveWindow(wxMouseEvent& event);

  wxStaticText* m_text;
  wxColour m_savedColour;
  bool m_hover;

  wxDECLARE_EVENT_TABLE();
};

#endif
