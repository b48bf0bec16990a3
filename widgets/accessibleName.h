// The name that screen readers announce for a window, for windows whose meaning is not in a
// label of their own (a contact row tells its presence by colour; its name says it in words).
#ifndef PARLAVOX_WIDGETS_ACCESSIBLENAME_H
#define PARLAVOX_WIDGETS_ACCESSIBLENAME_H

#include <wx/string.h>

class wxWindow;

namespace accessible {

void SetName(wxWindow* window, const wxString& name);
// What screen readers are told; empty when the toolkit offers no accessibility.
wxString GetName(wxWindow* window);

}  // namespace accessible

#endif
