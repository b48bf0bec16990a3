// A flat button that shows one line of text, such as a name or a presence: as wide and as high
// as its whole text needs in its own font and, given less room, showing the text cut at its end
// with "...". Screen readers are told the whole text.
#ifndef PARLAVOX_WIDGETS_FITTEDBUTTON_H
#define PARLAVOX_WIDGETS_FITTEDBUTTON_H

#include <wx/button.h>

class FittedButton : public wxButton {
 public:
  FittedButton(wxWindow* parent, wxWindowID id, const wxString& text, long style, const wxFont& font);

  // Shows `text` literally ("&" is no mnemonic), on one line, cut to the width last given.
  void SetText(const wxString& text);
  const wxString& GetText() const { return m_text; }
  // The size that shows the whole text.
  wxSize GetWholeSize() const;
  // The narrowest that still shows something: the ellipsis alone.
  int GetLeastWidth() const;
  // Takes `width` (no less than the ellipsis alone needs) as its width, showing as much of the
  // text as fits; -1 gives it the whole text's width again.
  void FitTo(int width);

 private:
  void ShowText();

  wxString m_text;
  // The tool kit's least size for the button, and what it lays about the text.
  wxSize m_least;
  wxSize m_margins;
  // The width given; -1 for the whole text's.
  int m_width = -1;
};

#endif
