#include "gui/loginDialog.h"

LoginDialog::LoginDialog(wxWindow* parent, MainFrame* mainWindow, const std::string&, const std::string&, bool,
                         const std::string&, int, bool)
    : wxPanel(parent, wxID_ANY), m_mainWindow(mainWindow) {}
