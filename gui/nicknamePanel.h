// The user's nickname, mood and presence at the top of the main window.
#ifndef PARLAVOX_GUI_NICKNAMEPANEL_H
#define PARLAVOX_GUI_NICKNAMEPANEL_H

#include "gui/callRecord.h"
#include "model/contactInfo.h"
#include <wx/panel.h>

class Manager;

class NicknamePanel : public wxPanel, public CallRecord {
 public:
  NicknamePanel(Manager* manager, wxWindow* parent);

  void SetStatus(t_status status);
  void SetNickname(const wxString& nickname);
  void SetMood(const wxString& mood);
  void UpdateAvatar();

 private:
  Manager* m_manager;
};

#endif
