// How a presence reads and looks wherever a window shows one: its word ("away") and its colour
// (the nickname's in the rows, the status button's in the nickname panel).
#ifndef PARLAVOX_GUI_STATUSLOOK_H
#define PARLAVOX_GUI_STATUSLOOK_H

#include <wx/colour.h>
#include <wx/string.h>

#include "model/contactInfo.h"

namespace statusLook {

wxString Name(t_status status);
wxColour Colour(t_status status);

}  // namespace statusLook

#endif
