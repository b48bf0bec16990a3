#include "gui/toolBar.h"

#include <wx/intl.h>

ToolBar::ToolBar(Manager* manager, wxWindow* parent)
    : wxPanel(parent, wxID_ANY), m_manager(manager) {}

void ToolBar::BlinkContactsManager(int count) { Record("blink " + std::to_string(count)); }
void ToolBar::SetChatRoomsCount(int count) { Record("rooms " + std::to_string(count)); }
void ToolBar::ShowChatRoomsButton(bool show) { Record(show ? "rooms button shown" : "rooms button hidden"); }
