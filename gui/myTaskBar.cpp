#include "gui/myTaskBar.h"

MyTaskBar::MyTaskBar(MainFrame* mainWindow) : m_mainWindow(mainWindow) {}

void MyTaskBar::SetStatus(t_status status) { Record("status " + std::to_string(int(status))); }
