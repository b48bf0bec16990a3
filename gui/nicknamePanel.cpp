#include "gui/nicknamePanel.h"

#include <wx/intl.h>

NicknamePanel::NicknamePanel(Manager* manager, wxWindow* parent)
    : wxPanel(parent, wxID_ANY), m_manager(manager) {}

void NicknamePanel::SetStatus(t_status status) { Record("status " + std::to_string(int(status))); }
void NicknamePanel::SetNickname(const wxString& nickname) { Record("nickname " + nickname.ToStdString(wxConvUTF8)); }
void NicknamePanel::SetMood(const wxString& mood) { Record("mood " + mood.ToStdString(wxConvUTF8)); }
void NicknamePanel::UpdateAvatar() { Record("avatar"); }
