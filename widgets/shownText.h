// Texts that other users chose (nicknames, moods, group and room names) as one line of a label:
// control characters and line breaks become blanks, and a text longer than the label allows is
// cut with an ellipsis, so that no name can stretch or break a row. Labels show the result with
// SetLabelText (no mnemonic, no markup).
#ifndef PARLAVOX_WIDGETS_SHOWNTEXT_H
#define PARLAVOX_WIDGETS_SHOWNTEXT_H

#include <wx/string.h>

#include <string>

namespace shown {

// `utf8` on one line, at most `maxChars` characters (the ellipsis included).
wxString OneLine(const std::string& utf8, size_t maxChars);
wxString OneLine(const wxString& text, size_t maxChars);

}  // namespace shown

#endif
