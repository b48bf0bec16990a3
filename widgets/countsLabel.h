// A label of counts that change often, such as "(12 / 40 contacts)". It keeps one width for all
// texts of the same shape (the same text with other digits): as wide as the shape with its
// widest digit in every place. A new count then neither measures the label nor has its parent
// laid out again; only a count that gains or loses a digit does. Given less room than that
// width, it ends in an ellipsis.
#ifndef PARLAVOX_WIDGETS_COUNTSLABEL_H
#define PARLAVOX_WIDGETS_COUNTSLABEL_H

#include "widgets/cachedLook.h"

class CountsLabel : public LabelText {
 public:
  CountsLabel(wxWindow* parent, wxWindowID id);

  bool SetFont(const wxFont& font) override;
  // Shows `text` literally ("&" is no mnemonic); true when the label's size changed.
  bool SetCounts(const wxString& text);

 private:
  wxString m_shape;
  wxChar m_widestDigit = 0;
  // What the tool kit lays out about the text.
  wxSize m_margins;
  bool m_marginsKnown = false;
};

#endif
