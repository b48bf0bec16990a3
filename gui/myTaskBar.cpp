#include "gui/myTaskBar.h"

MyTaskBar::MyTaskBar(MainFrame* mainWindow) : m_mainWindow(mainWindow) {}
