// The main window, hub of the program's windows: the nickname panel, the tool bar, the
// contacts list over the log-in panel (the sites panel once connected) and the banner. It owns
// every secondary window as their parent and receives every change the controller posts.
#ifndef PARLAVOX_GUI_MAINFRAME_H
#define PARLAVOX_GUI_MAINFRAME_H

#include <wx/frame.h>
#include <wx/timer.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "gui/contacts/contactsHost.h"
#include "gui/nicknameHost.h"
#include "gui/preferencesHost.h"
#include "gui/profiles/profilesHost.h"
#include "gui/rooms/roomsHost.h"
#include "gui/subscribeChatRoomListener.h"
#include "gui/toolBarCommands.h"
#include "model/contactInfo.h"

class AboutFrame;
class ContactInfo;
class FileMessage;
class Message;
class ChatRoomsNotebook;
class ContactsPanel;
class ContactsShortFrame;
class FilesFrame;
class LoginDialog;
class Manager;
class MyTaskBar;
class NicknamePanel;
class NotifyAction;
class PreferencesFrame;
class SitesPanel;
class ToolBar;
class WebSitesShortFrame;
class wxSplitterWindow;
class wxStaticBitmap;

// Each window it holds sees it through its own face: the contacts and sites panels through
// SubscribeChatRoomListener, the rooms through RoomsHost, the contact rows and the contacts manager
// through ContactsHost, the profiles through ProfilesHost, the preferences through
// PreferencesHost, the nickname panel through NicknameHost and the tool bar through
// ToolBarCommands.
class MainFrame : public wxFrame,
                  public SubscribeChatRoomListener,
                  public RoomsHost,
                  public ContactsHost,
                  public ProfilesHost,
                  public PreferencesHost,
                  public NicknameHost,
                  public ToolBarCommands {
 public:
  MainFrame(Manager* manager, const wxString& title, const wxPoint& pos, const wxSize& size);
  ~MainFrame() override;
  // The idle pass skips this window while hidden, and the top-level windows it owns.
  bool SendIdleEvents(wxIdleEvent& event) override;

  // The one main window; null before it is made and after it is gone.
  static MainFrame* GetInstance();

  // Starts a log-in after `ms` milliseconds (one shot).
  void StartConnectTimer(int ms);
  // Puts every window in the connected or disconnected state.
  void SetConnected(bool connected);

  // What the contacts panel and the sites panel ask of the whole window (the rooms ask some of it
  // too).
  void CloseChatRoom(const std::string& room) override;
  void SubscribeChatRoom(const std::string& room) override;
  void UnsubscribeChatRoom(const std::string& room) override;
  void CreateVirtualChatRoom(const std::string& login) override;
  void AddContact(const std::string& login, const std::string& message) override;
  void RemoveContact(const std::string& login, const std::string& message) override;
  void SwitchWebSiteStatus(const std::string& url) override;
  void BlockContact(const std::string& login, const std::string& message) override;
  void UnblockContact(const std::string& login, const std::string& message) override;
  void ReportAbuse(const std::string& site, const std::string& login, const std::string& message) override;

  void OnQuit(wxCommandEvent& event) override;

  // ---- Connecting (mainFrameConnection.cpp): the tool bar's connection button, the tray
  // menu's connect and disconnect items, the about box.
  void Connect(bool flag);
  void OnConnect(wxCommandEvent& event);
  void OnDisconnect(wxCommandEvent& event);
  void OnSwitchConnection(bool flag) override;
  void OnAbout(wxCommandEvent& event) override;

  // ---- Own presence (mainFramePresence.cpp). ChangeStatus shows a status on the tray icon and
  // the nickname panel (nothing when `show` is false) and never tells the controller; the five
  // commands of the presence menus show it, tell the controller and show it once more.
  void ChangeStatus(t_status status, bool show) override;
  void OnStatusOffline(wxCommandEvent& event);
  void OnStatusOnline(wxCommandEvent& event);
  void OnStatusNoActivity(wxCommandEvent& event);
  void OnStatusAway(wxCommandEvent& event);
  void OnStatusBusy(wxCommandEvent& event);
  // Where the idle timer reads the pointer; tests put a stand-in for the screen here.
  static std::function<wxPoint()> s_pointerPosition;
  // True once the window's exit path has disconnected and saved the settings.
  static bool HasExited();
  // The system ends the program (a signal, the end of the user's session): a close that cannot
  // be refused and asks nobody. Once logged out and the settings saved, or left as they were
  // when they cannot be written, and the sounds stopped, the process ends from where it is.
  void EndBySystem();

  // Log-in (mainFrameConnection.cpp): the log-in panel's connect and abort, the retries
  // after a failure, and what tests read of them.
  void AbortConnection();
  // Shows the log-in panel with the reason and, when retrying is on, plans the next attempt.
  void RetryOnFailure(const wxString& reason);
  LoginDialog* GetLoginPanel() const { return m_loginPanel; }
  const wxTimer& GetConnectTimer() const { return m_connectTimer; }
  const wxTimer& GetIdleTimer() const { return m_idleTimer; }
  int GetRetryCount() const { return m_retryCount; }
  // The random part of a retry's delay is this modulo 5000 ms; tests fix it.
  static std::function<long()> s_retryJitter;

  // Carries out a click on a notification of the pop-up.
  void ExecuteNotifyAction(const NotifyAction& action);
  // Brings the contacts manager up, the other docked windows down.
  void OnSwitchContactsManager() override;
  // Keeps the main window and the chat rooms above other windows, or not.
  void SetAlwaysTopStatus(bool on) override;
  // Announces the newest version the server named and fetches its archive in the background.
  void DownloadAndReinstall();

  // Own profile, the docked windows and their switches (mainFrameSatellites.cpp). The
  // sites manager, contacts manager, preferences and about box hang off the window's left edge,
  // each with its top at the height of its tool-bar button; opening one hides the other three.
  void OnSwitchChatRooms() override;
  void OnSwitchFiles() override;
  // The chat-rooms window closed: its tool-bar button comes back.
  void ShowChatRoomsButton() override;
  void OnSwitchWebSitesManager() override;
  void OnSwitchPreferences() override;
  void OnManageWebSites(wxCommandEvent& event);
  void OnMyProfile(wxCommandEvent& event);
  // Docks the four small windows again, shown or not.
  void MoveMiniFrames();
  void SetNickname(const std::string& nickname) override;
  void SetMood(const std::string& mood) override;
  // Lets the user pick a new avatar picture (only while connected).
  void UpdateAvatar() override;
  MyTaskBar* GetTaskBar() const { return m_taskBar; }
  // Looks for the tray once a second while the window is reduced to it (mainFrameClose.cpp).
  const wxTimer& GetTrayWatch() const { return m_trayWatch; }

  // What the chat-room pages, the contacts views and the profile windows ask of the main
  // window (mainFrameRooms.cpp, mainFrameContacts.cpp, mainFrameSites.cpp).
  // The user typed, or stopped typing, in a room.
  void OnKeyTyped(const std::string& room, bool typing) override;
  // Shows a changed contact in the contact list.
  void UpdateContactInfo(const ContactInfo& contact);
  void UpdateGroup(const std::string& login, const std::string& group) override;
  // Rebuilds every view of the groups.
  void UpdatePrivateContactsGroups() override;
  // The tip that member rows share and the profiles opened from anywhere belong to this window.
  wxWindow* GetTipOwner() override { return this; }
  wxFrame* GetProfilesOwner() override { return this; }
  void OpenProfile(const std::string& login) override;
  // A group renamed in the contacts manager: the profiles waiting to save it take the new name.
  void GroupRenamed(const std::string& oldName, const std::string& newName) override;
  // The pop-up that announces a contact's presence change.
  void NotifyChangeStatus(const std::string& login, const wxString& nickname, t_status status);
  // Shows the site's comments window, made from what the controller knows of the site when it
  // has none: the room's tab and the sites panel offer it for as long as they show the site.
  void OpenComments(const std::string& url) override;
  bool HasRoomTab(const std::string& url) const override;
  // Sends the user's comment and grade of a site; false when it could not go.
  bool SendComment(const std::string& url, const std::string& text, int grade) override;

 private:
  enum { kIdleTimerId = wxID_HIGHEST + 101, kConnectTimerId = wxID_HIGHEST + 102, kCloseRetryId = wxID_HIGHEST + 103 };

  void BindEvents();
  // Dialogs inside ShowModal now; the first call starts the count.
  static int OpenModalDialogs();
  void CreateSatellites();
  void CreateContent();
  void CreateBanner();

  // Controller events.
  void OnConnectionAck(wxCommandEvent& event);
  void ReceiveOpenChatRoomAck(wxCommandEvent& event);
  void ReceiveUpdateChatRoomContact(wxCommandEvent& event);
  void ReceiveNewMessage(wxCommandEvent& event);
  void ReceiveSubscribeChatRoomAck(wxCommandEvent& event);
  void ReceiveCreateVirtualChatRoomAck(wxCommandEvent& event);
  void ReceiveContactEvent(wxCommandEvent& event);
  void ReceiveAddWebSite(wxCommandEvent& event);
  void ReceiveKeyTyped(wxCommandEvent& event);
  void ReceiveMessageFile(wxCommandEvent& event);
  void ReceiveCloseChatRoom(wxCommandEvent& event);
  void ReceiveDelContact(wxCommandEvent& event);
  void ReceiveInviteContactInChatRoom(wxCommandEvent& event);
  void ReceiveInviteChatRoomAnswer(wxCommandEvent& event);
  void ReceiveUpdateAvatar(wxCommandEvent& event);
  void ReceiveUpdateComments(wxCommandEvent& event);
  void ReceiveUpdateAd(wxCommandEvent& event);
  void ReceiveRecommendSite(wxCommandEvent& event);
  void ReceiveBanSite(wxCommandEvent& event);
  void ReceiveRegisterExtension(wxCommandEvent& event);
  void ReceiveMessengerInfo(wxCommandEvent& event);
  void ReceiveRemoveAllPrivateContacts(wxCommandEvent& event);
  void ReceiveUploadInstaller(wxCommandEvent& event);

  // The window's own events.
  void OnClose(wxCloseEvent& event);
  void OnSize(wxSizeEvent& event);
  void OnMove(wxMoveEvent& event);
  void OnActivate(wxActivateEvent& event);
  void OnIdleTimer(wxTimerEvent& event);
  void SetOwnStatus(t_status status);
  // The user moved the pointer or typed: back to online when the idle timer set "inactive".
  void NoteActivity();
  void OnConnectTimer(wxTimerEvent& event);
  void OnClickBanner(wxMouseEvent& event);

  // File notices (mainFrameFiles.cpp): progress is shown at most ten times a second per
  // transfer; the latest notice held back is shown when its turn comes, and every change of
  // state is shown at once.
  enum { kProgressTimerId = wxID_HIGHEST + 104 };
  void ShowFileMessage(FileMessage& message);
  void OnProgressTimer(wxTimerEvent& event);
  // Helpers of the handlers of rooms and messages (mainFrameRooms.cpp).
  void ShowBlockedRoom(const std::string& url, const std::string& login, const std::string& nickname);
  void ShowMessage(Message& message);
  void NotifyMessage(const Message& message, const std::string& other);
  // Helpers of the handlers of contacts (mainFrameContacts.cpp).
  void NotifyPresence(const ContactInfo& contact, bool logout);
  void BlinkUnlessShown(int count);
  void RedrawAvatar(const std::string& login);
  void LayoutSoon();
  bool m_layoutDue = false;
  wxTimer m_progressTimer;
  std::map<std::string, std::chrono::steady_clock::time_point> m_progressShown;
  std::map<std::string, std::unique_ptr<wxEvent>> m_progressHeld;
  // Log-in, failures and retries (mainFrameConnection.cpp).
  // Shows the log-in panel or the sites panel in the bottom pane.
  void ShowLoginPanel();
  void ShowSitesPanel();
  // Presence shown as disconnected on the nickname panel and the tray icon.
  void ShowDisconnected();
  // The delay before retry number `count` (counted from 1), `jitter` being 0 to 4999 ms.
  static int RetryDelay(int count, long jitter);
  void StartIdleTimer();
  // The branches of OnConnectionAck (mainFrameEvents.cpp).
  void OnLoggedIn();
  void OnAttemptRefused(int code);
  void OnAttemptFailed(int code);
  void OnConnectionEnded(int code);
  // An abort came after the log-in had succeeded but before the window heard of it.
  bool m_abortedLogIn = false;
  // Closing (mainFrameClose.cpp): the remembered or asked choice, and the two ways out.
  int AskCloseChoice();
  void ReduceToTray();
  // While reduced to the tray, the tray is looked for once a second: when it goes away (the
  // panel ends or restarts), the window comes back iconised, as where no tray was found.
  enum { kTrayWatchId = wxID_HIGHEST + 105 };
  void OnTrayWatch(wxTimerEvent& event);
  wxTimer m_trayWatch;
  void ExitProgram(wxCloseEvent& event);
  // Ends the program from where it is, logged out, the settings saved and the sounds and threads
  // stopped, asking nothing: the system's end, and a close that cannot be refused held up by
  // dialogs that do not give way (a question of the toolkit's own).
  [[noreturn]] void EndHere();
  // The title while no download shows its progress in it.
  wxString m_plainTitle;

  MyTaskBar* m_taskBar = nullptr;
  Manager* m_manager;
  wxTimer m_idleTimer;
  wxTimer m_connectTimer;
  wxTimer m_closeRetry;
  // When a close first waited for the open dialogs; unset while none waits.
  std::chrono::steady_clock::time_point m_closeWaitingSince{};
  int m_inactivity = 0;
  int m_lastMouseX = 0;
  int m_lastMouseY = 0;
  int m_automaticAway = 0;
  int m_retryCount = 0;
  bool m_managerPushed = false;
  // The close under way is the system's.
  bool m_systemEnd = false;

  ChatRoomsNotebook* m_chatRooms = nullptr;
  ContactsPanel* m_contactsPanel = nullptr;
  SitesPanel* m_sitesPanel = nullptr;
  ToolBar* m_toolBar = nullptr;
  NicknamePanel* m_nicknamePanel = nullptr;
  wxSplitterWindow* m_splitter = nullptr;
  LoginDialog* m_loginPanel = nullptr;
  WebSitesShortFrame* m_sitesManager = nullptr;
  ContactsShortFrame* m_contactsManager = nullptr;
  PreferencesFrame* m_preferences = nullptr;
  AboutFrame* m_about = nullptr;
  FilesFrame* m_files = nullptr;
  wxStaticBitmap* m_banner = nullptr;

};

#endif
