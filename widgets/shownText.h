// Texts that other users chose (nicknames, moods, group and room names) as one line of a label:
// control characters and line breaks become blanks, and a text longer than the label allows is
// cut with an ellipsis, so that no name can stretch or break a row. Labels show the result with
// SetLabelText (no mnemonic, no markup).
#ifndef PARLAVOX_WIDGETS_SHOWNTEXT_H
#define PARLAVOX_WIDGETS_SHOWNTEXT_H

#include <wx/string.h>

#include <string>
#include <utility>

class wxFont;
class wxWindow;

namespace shown {

// True for what such a text may not bring into view as it stands: a control character, a line
// or paragraph separator, a byte order mark, or a character that reorders text (bidi embeddings,
// overrides and isolates, which would turn "u2" into "2u" or "gnp.exe" into "exe.png", and the
// direction marks, which move the digits and signs around them).
bool IsUnsafe(wxUniChar c);

// `utf8` on one line, at most `maxChars` characters (the ellipsis included).
wxString OneLine(const std::string& utf8, size_t maxChars);
wxString OneLine(const wxString& text, size_t maxChars);

// A text of several lines made by the program (a notice with a name in it): each line, cut at its
// line feeds, as OneLine makes it; at most `maxLines` lines, the last one of a longer text ending
// in an ellipsis.
wxString Lines(const wxString& text, size_t maxCharsPerLine, size_t maxLines);

// `text` as it fits in `width` pixels drawn in `font` on `window`: whole when it fits, else
// shortened at its end with "..." (which always shows).
wxString Fitted(const wxString& text, wxWindow* window, const wxFont& font, int width);

// How `room` pixels are shared between two texts side by side that need `first` and `second`
// pixels: both whole when they fit; else the first gives way, down to a third of the room, and
// past that the second gives way too. The widths given to the first and to the second.
std::pair<int, int> Share(int room, int first, int second);

}  // namespace shown

#endif
