// The strip at the top of the main window with the user's own avatar, nickname, presence and
// mood. A click on the presence opens a menu of the five states, on the nickname the user's own
// profile, on the avatar the avatar change, and on the mood a small dialog to type a new one.
#ifndef PARLAVOX_GUI_NICKNAMEPANEL_H
#define PARLAVOX_GUI_NICKNAMEPANEL_H

#include <wx/panel.h>

#include "model/contactInfo.h"
#include "widgets/fittedButton.h"

class Manager;
class MyStaticText;
class NicknameHost;
class wxBitmapButton;
class wxBoxSizer;

// The nickname, a flat button that opens the user's own profile.
class NicknameText : public wxPanel {
 public:
  NicknameText(Manager* manager, wxWindow* parent);

  void SetNickname(const wxString& nickname);
  void SetStatus(t_status status);
  FittedButton* GetButton() const { return m_button; }

 private:
  void Edit(wxCommandEvent& event);
  void OnMouseEnter(wxMouseEvent& event);
  void OnMouseLeave(wxMouseEvent& event);
  void Underline(bool on);

  Manager* m_manager;
  FittedButton* m_button;
};

class NicknamePanel : public wxPanel {
 public:
  // `host` (the main window, also the parent) shows a chosen presence and picks a new avatar.
  NicknamePanel(Manager* manager, wxWindow* parent, NicknameHost* host);

  void SetNickname(const wxString& nickname);
  void SetMood(const wxString& mood);
  // -1 shows "(disconnected)" and disables the presence and avatar buttons.
  void SetStatus(t_status status);
  void UpdateAvatar();

  // The longest mood the server takes, in characters.
  static constexpr int kMaxMood = 40;
  // The mood as it may be sent: control characters become spaces, and it is cut to kMaxMood
  // characters (never inside a character).
  static wxString CleanMood(const wxString& typed);

  t_status GetShownStatus() const { return m_status; }
  FittedButton* GetStatusButton() const { return m_statusButton; }
  wxBitmapButton* GetAvatarButton() const { return m_avatarButton; }
  NicknameText* GetNicknameText() const { return m_nickname; }
  MyStaticText* GetMoodLabel() const { return m_mood; }

 private:
  wxBitmap OwnAvatar() const;
  void OnChangeStatus(wxCommandEvent& event);
  void OnStatusOffline(wxCommandEvent& event);
  void OnStatusOnline(wxCommandEvent& event);
  void OnStatusNoActivity(wxCommandEvent& event);
  void OnStatusAway(wxCommandEvent& event);
  void OnStatusBusy(wxCommandEvent& event);
  void ChooseStatus(t_status status);
  void OnUpdateAvatar(wxCommandEvent& event);
  void OnChangeMood(wxMouseEvent& event);
  void OnSize(wxSizeEvent& event);
  // Shares the width of the name row between the nickname and the presence.
  void FitNameRow();

  Manager* m_manager;
  NicknameHost* m_host;
  t_status m_status = STATUS_NONE;
  wxBoxSizer* m_mainSizer = nullptr;
  wxBoxSizer* m_textSizer = nullptr;
  wxBoxSizer* m_nameRow = nullptr;
  FittedButton* m_statusButton = nullptr;
  wxBitmapButton* m_avatarButton = nullptr;
  NicknameText* m_nickname = nullptr;
  MyStaticText* m_mood = nullptr;
};

#endif
