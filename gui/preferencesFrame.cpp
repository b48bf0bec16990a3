#include "gui/preferencesFrame.h"

#include <wx/intl.h>

PreferencesFrame::PreferencesFrame(wxWindow* parent, Manager* manager)
    : MyMiniFrame(parent, _("Preferences")), m_manager(manager) {}
