#include "gui/toolBar.h"

#include <wx/intl.h>

ToolBar::ToolBar(Manager* manager, wxWindow* parent)
    : wxPanel(parent, wxID_ANY), m_manager(manager) {}
