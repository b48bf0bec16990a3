// How text that comes from the browser extension or the server (site addresses, room names,
// nicknames) is put on screen in the sites panel: never read as markup or mnemonics, control
// characters and those that reorder text (bidi overrides) shown as blanks, and cut so that a
// crafted address cannot make a screen-wide window.
#ifndef PARLAVOX_GUI_SITES_SITETEXT_H
#define PARLAVOX_GUI_SITES_SITETEXT_H

#include <wx/string.h>

#include <string>

class MyStaticText;
class wxFont;
class wxWindow;

namespace siteText {

// The longest text shown whole in a label, a menu item or a list of the sites panel.
constexpr size_t kMaxShown = 200;

// `utf8` as it may be shown: invalid UTF-8 read byte by byte, what shown::IsUnsafe names (line
// breaks, tabs and bidi overrides included) as blanks; longer than `max` characters, its first
// max - 1 followed by "...".
wxString Shown(const std::string& utf8, size_t max = kMaxShown);
// The same for a menu item: "&" stays a literal ampersand.
wxString MenuItem(const std::string& utf8, size_t max = kMaxShown);
// `text` cut as Shown cuts.
wxString Cut(const wxString& text, size_t max);
// Whether `url` may be handed to the browser: http:// or https://, in any case, and nothing
// a shell or the browser could read as an option or a local file.
bool IsWebAddress(const std::string& url);
// A grade out of 10 with one decimal, whatever the user's locale ("7.5").
wxString Grade(float grade);

// Shows `text` in `label`, shortened by shown::Fitted to the label's width whenever the label is sized.
void ShowFitted(MyStaticText* label, const wxString& text);
// Gives `label` a minimal width of at least `least` and at least the width of its text in its own
// font, so that a short text (a grade) is never cut.
void FitWidth(MyStaticText* label, int least);

}  // namespace siteText

#endif
