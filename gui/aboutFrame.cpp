#include "gui/aboutFrame.h"

#include <wx/intl.h>

AboutFrame::AboutFrame(wxWindow* parent)
    : MyMiniFrame(parent, _("About")) {}
