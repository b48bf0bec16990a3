// The main window's row of picture buttons. Each click is carried out by the main window; the
// bar itself only shows the connection state, shows or hides the chat-rooms button and makes
// the contacts-manager button blink while contact events wait. The main window docks its small
// windows at the screen heights of their buttons.
#ifndef PARLAVOX_GUI_TOOLBAR_H
#define PARLAVOX_GUI_TOOLBAR_H

#include <wx/bitmap.h>
#include <wx/panel.h>
#include <wx/timer.h>

class Manager;
class ToolBarCommands;
class wxBitmapButton;

class ToolBar : public wxPanel {
 public:
  // `commands` carries out the clicks (the main window, which is also the parent).
  ToolBar(Manager* manager, wxWindow* parent, ToolBarCommands* commands);

  // 0: disconnected; any other value: connected.
  void SetConnectionStatus(int connected);
  // A count of 0 hides the chat-rooms button (without laying the bar out again).
  void SetChatRoomsCount(int count);
  void ShowChatRoomsButton(bool show);
  // Blinks the contacts-manager button for `count` ticks of half a second; 0 until clicked,
  // -1 until clicked and never shortened by a later call.
  void BlinkContactsManager(int count);

  // Screen heights of the buttons beside which the small windows dock.
  int GetAboutButtonY() const;
  int GetContactsManagerButtonY() const;
  int GetWebSitesManagerButtonY() const;
  int GetPreferencesButtonY() const;

  bool IsBlinking() const { return m_blinkTimer.IsRunning(); }
  int GetBlinkCount() const { return m_blinkCount; }
  // True while the contacts-manager button shows its lit frame.
  bool IsBlinkFrameLit() const { return m_contactsLit; }

  // One blink step; the timer calls it every half second.
  void OnBlinkTimer(wxTimerEvent& event);

 private:
  wxBitmapButton* AddButton(wxSizer* sizer, wxWindowID id, const wxBitmap& image, const wxString& tip, int flags);
  void ShowContactsFrame(bool lit);

  void OnSwitchChatRooms(wxCommandEvent& event);
  void OnSwitchConnection(wxCommandEvent& event);
  void OnSwitchWebSitesManager(wxCommandEvent& event);
  void OnSwitchContactsManager(wxCommandEvent& event);
  void OnSwitchPreferences(wxCommandEvent& event);
  void OnSwitchFiles(wxCommandEvent& event);
  void OnAbout(wxCommandEvent& event);
  void OnQuit(wxCommandEvent& event);

  Manager* m_manager;
  ToolBarCommands* m_commands;
  wxTimer m_blinkTimer;
  wxBitmapButton* m_connectionButton = nullptr;
  wxBitmapButton* m_preferencesButton = nullptr;
  wxBitmapButton* m_contactsManagerButton = nullptr;
  wxBitmapButton* m_chatRoomsButton = nullptr;
  wxBitmapButton* m_filesButton = nullptr;
  wxBitmapButton* m_aboutButton = nullptr;
  wxBitmapButton* m_webSitesManagerButton = nullptr;
  wxBitmapButton* m_exitButton = nullptr;
  wxBitmap m_disconnectedBitmap;
  wxBitmap m_connectedBitmap;
  wxBitmap m_contactsBitmap;
  wxBitmap m_contactsBlinkBitmap;
  wxBitmap m_chatBitmap;
  wxBitmap m_noChatBitmap;
  bool m_blinkPhase = true;
  bool m_contactsLit = false;
  int m_blinkCount = 0;
};

#endif
