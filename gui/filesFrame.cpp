#include "gui/filesFrame.h"

#include <wx/intl.h>

FilesFrame::FilesFrame(wxWindow* parent, Manager* manager)
    : wxFrame(parent, wxID_ANY, _("File transfers")), m_manager(manager) {}
