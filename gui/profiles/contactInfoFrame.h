// The profile window of a contact or of the user, at most one per login: the profile form, the
// notification switches of that person, Save and Cancel, in the user's own profile the place of
// the accounts on other networks, and a help link.
//
// The class is spread over three files: contactInfoFrame.cpp (building, Save, Cancel, closing,
// the per-window calls), contactInfoFrameSwitches.cpp (the notification switches) and
// contactInfoFrameSet.cpp (the set of open windows, by login).
//
// Lifetime: a contact's window lives while it is on screen: closing it, Cancel or a successful
// Save takes it out of the set and destroys it (the next opening makes it afresh). The user's own
// window only hides; the set keeps it until RemoveAll (at each log-in) or CloseAll (at exit). A
// window in which a dialog of its own is open (see ModalGuard) is never destroyed under that
// dialog: it leaves the set at once, hidden, and goes once the dialog has returned.
#ifndef PARLAVOX_GUI_PROFILES_CONTACTINFOFRAME_H
#define PARLAVOX_GUI_PROFILES_CONTACTINFOFRAME_H

#include <wx/bitmap.h>
#include <wx/frame.h>

#include <map>
#include <optional>
#include <string>

class ContactButtonBitmapNotifier;
class ContactInfo;
class ContactInfoPanel;
class Manager;
class MessengerInfo;
class MessengersList;
class ProfilesHost;
class wxButton;
class wxStaticBoxSizer;

class ContactInfoFrame : public wxFrame {
 public:
  // `host` (may be null) hears of the group, nickname, mood and avatar changes made here.
  ContactInfoFrame(wxFrame* parent, ProfilesHost* host, Manager* manager, const std::string& login,
                   ContactInfo& info, bool mine);
  ~ContactInfoFrame() override;

  // ---- The set of open windows (contactInfoFrameSet.cpp); GUI thread only.
  // The window of `login`, made (hidden) and registered unless there is one; an existing window
  // is returned unchanged whatever `mine` says. Null for an empty login.
  static ContactInfoFrame* CreateContactInfoFor(wxFrame* parent, ProfilesHost* host, Manager* manager,
                                                const std::string& login, bool mine);
  // Refreshes the window of `login` from the controller's record, or makes it under the main
  // window (none is made while there is none); then shows it, or raises it when shown.
  static void OpenContactInfoFor(const std::string& login);
  // The window registered for `login`, or null; looking adds nothing to the set.
  static ContactInfoFrame* GetContactInfoFor(const std::string& login);
  static void UpdateContactInfoFor(const ContactInfo& info);
  static void UpdateGroups();
  // A group given a new name: a window in which the old name waits for Save waits with the new.
  static void RenameChosenGroup(const std::string& oldName, const std::string& newName);
  static void SetConnectionStatusForAll(bool connected);
  // Only the user's own window reacts: its form is opened to editing or closed to it.
  static void EnableUpdate(const std::string& login, bool enable);
  static void HideAll();
  // At exit: every window closed with force (so destroyed), and the set emptied.
  static void CloseAll();
  // At log-in: every window hidden and destroyed, and the set emptied.
  static void RemoveAll();

  // ---- One window.
  std::string GetLogin() const { return m_login; }
  bool IsMine() const { return m_mine; }
  ContactInfoPanel* GetPanel() const { return m_panel; }
  // The own profile's accounts on other networks; null in a contact's window.
  MessengersList* GetMessengersList() const { return m_messengers; }
  void SetConnectionStatus(bool connected);
  // A group chosen in the form: kept until Save, which applies it. `refresh` rebuilds every list
  // of groups (a group was just made).
  void UpdateGroup(const std::string& group, bool refresh);
  // The group chosen and not saved yet, if any.
  const std::optional<std::string>& GetChosenGroup() const { return m_chosenGroup; }
  void UpdateAvatar();
  void SetMood(const std::string& mood);
  void UpdateMessengerInfo(MessengerInfo* account);
  // The window shows the record again: form, switches (unsaved clicks are dropped).
  void UpdateContactInfo(const ContactInfo& info);
  // Who hears of the changes made here; null for a window made without one.
  ProfilesHost* GetHost() const { return m_host; }

  // ---- Notification switches (contactInfoFrameSwitches.cpp).
  // The picture and the tip of a switch for the value its key has in the window's map.
  const wxBitmap& SelectBitmap(const std::string& key, bool visual) const;
  wxString SelectToolTip(const std::string& key, bool visual) const;
  // The value waiting for Save: 2 on, 1 off, 0 not set.
  int GetPendingNotification(const std::string& key) const;
  void OnSwitchNotifier(wxMouseEvent& event);

  // Held by whoever opens a modal dialog that belongs to this window (the form's questions, the
  // save-error box, the accounts' dialog): until the last guard goes, the window is not destroyed.
  class ModalGuard {
   public:
    explicit ModalGuard(wxWindow* inside);
    ~ModalGuard();
    ModalGuard(const ModalGuard&) = delete;
    ModalGuard& operator=(const ModalGuard&) = delete;
    // False when the window was taken down while the dialog ran: the caller does nothing more.
    bool WindowLives() const;

   private:
    ContactInfoFrame* m_frame;
  };

  void OnSave(wxCommandEvent& event);
  void OnCancel(wxCommandEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnHelp(wxMouseEvent& event);

 private:
  void BuildProfileBox(wxSizer* main, ContactInfo& info);
  void BuildSwitches(wxSizer* main, const ContactInfo& info);
  void AddSwitchRow(wxSizer* grid, const wxString& label, const std::string& event);
  void BuildButtons(wxSizer* main);
  void BuildMessengersBox(wxSizer* main);
  void LoadSwitchBitmaps();
  void RefreshSwitch(ContactButtonBitmapNotifier* notifier);
  void RefreshSwitches();
  bool IsLoginSwitch(const std::string& key) const;
  void EnableButtons(bool enable);
  // Applies the chosen group; false when the controller could not pass it on.
  bool ApplyChosenGroup();
  // Taken out of the set, hidden, and destroyed now or once its dialogs have returned.
  void TakeDown();
  // The user is done with the window: a contact's is taken down, the own one hidden.
  void PutAway();
  void TakeOutOfSet();

  ProfilesHost* m_host;
  Manager* m_manager;
  std::string m_login;
  bool m_mine;
  // The notification values waiting for Save: on, off, or absent for not set.
  std::map<std::string, bool> m_notifications;
  std::optional<std::string> m_chosenGroup;
  ContactInfoPanel* m_panel = nullptr;
  // Pop-up on, off, not set; sound on, off, not set.
  wxBitmap m_bitmaps[6];
  wxButton* m_saveButton = nullptr;
  wxButton* m_cancelButton = nullptr;
  // The box the accounts on other networks go into (own profile only).
  wxStaticBoxSizer* m_messengersBox = nullptr;
  MessengersList* m_messengers = nullptr;
  bool m_privateContact = false;
  // The switches, by key.
  std::map<std::string, ContactButtonBitmapNotifier*> m_switches;
  // Dialogs of this window now open, and whether the window is to go once they have returned.
  int m_modalDepth = 0;
  bool m_doomed = false;
};

#endif
