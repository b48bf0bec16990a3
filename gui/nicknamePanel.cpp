#include "gui/nicknamePanel.h"

#include <wx/intl.h>

NicknamePanel::NicknamePanel(Manager* manager, wxWindow* parent)
    : wxPanel(parent, wxID_ANY), m_manager(manager) {}
