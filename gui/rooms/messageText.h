// What a chat room's display makes of a line's texts before writing them: the time stamp, text
// from other users made safe to show, and a message's text cut into plain runs and web links.
#ifndef PARLAVOX_GUI_ROOMS_MESSAGETEXT_H
#define PARLAVOX_GUI_ROOMS_MESSAGETEXT_H

#include <wx/string.h>

#include <ctime>
#include <string>
#include <vector>

namespace messagetext {

// "%H:%M:%S" for a time of the same local day as `now` (day, month and year), else the
// system's date and time ("%c").
std::string FormatMessageTime(time_t t, time_t now);

// True for a control character, or one that reorders text (bidi embeddings, overrides and
// isolates): what text from other users may not bring into view as it stands.
bool IsUnsafe(wxUniChar c);

// The text as the display may show it: control characters and the characters that reorder
// text (bidi embeddings, overrides and isolates) become U+FFFD, a line feed becomes a line break
// inside the paragraph, a tab stays.
wxString Shown(const wxString& text);

// One run of a message's text: plain text, or a web address with the target of its link.
struct Run {
  wxString text;
  wxString target;  // empty for plain text
};

// The text cut at each web address: one that starts at "http://" or "www." (case-sensitive, no
// word boundary needed) and runs to the next space; a "www." address links to "http://" and
// the address.
std::vector<Run> SplitLinks(const wxString& text);

}  // namespace messagetext

#endif
