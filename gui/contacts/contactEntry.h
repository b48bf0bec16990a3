// The row of one user of the network: avatar, nickname in the colour of its presence, the
// network's icon for a contact of another messenger, mood, and a details line under them.
//
// How other windows use it:
//   ContactEntry(manager, parent, listener, contact, role, subscribed, room)
//     role CEP_CONTACTS_LIST: a row of the contacts panel (listener: the panel, room "none");
//     role CEP_CHATROOM: a member of a chat room (listener: the room's page, room: its URL).
//     In these two the nickname and the mood are shortened with an ellipsis to the row's width.
//     role CEP_PROFILE: the head of a profile (no listener, room "none", details line shown);
//     role CEP_TOOLTIP: inside the contact tool tip (no listener, room "none", details line shown).
//     `subscribed` is the first state of the private-room icon (contacts list only).
//   The listener (gui/contacts/entryListener.h) receives what the user does on the row: opening
//     the private room, add, remove, block, unblock, report abuse. A listener that goes before
//     its rows calls ForgetListener on each.
//   UpdateContactInfo(record) shows a new state of the contact; UpdateAvatar(alsoTip) fetches its
//     picture again; SetStatus, SetMood, SetSubscribed, NotifyNewMessage show one thing.
//   GetLogin, GetNickname, GetStatus, IsConnected read the row's copy of the record.
//   Discard() is THE way to remove a row: it hides it, takes it out of its parent's sizer, forgets
//     the listener and destroys it once no menu or question of the row is open any more (the
//     row's handlers run nested event loops in which the server's updates are handled). Never
//     delete or Destroy() a row directly.
//   SetToolTipMaker: the contact tool tip window that member rows share (made by the profiles
//     family, see ContactToolTipFace below).
// Presence is also given in words: the row's accessible name reads "nickname, status".
#ifndef PARLAVOX_GUI_CONTACTS_CONTACTENTRY_H
#define PARLAVOX_GUI_CONTACTS_CONTACTENTRY_H

#include <wx/panel.h>
#include <wx/timer.h>

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "model/contactInfo.h"

class AvatarBitmapPanel;
class ContactEntryDataPanel;
class EntryListener;
class Manager;
class MyStaticText;
class wxBoxSizer;
class wxMenu;
class wxGenericStaticBitmap;
class wxStaticBitmap;
class wxStaticText;

// Where a row stands.
enum e_cep_role : int { CEP_CONTACTS_LIST = 0, CEP_CHATROOM = 1, CEP_PROFILE = 2, CEP_TOOLTIP = 3 };

// What member rows need of the contact tool tip that they share.
class ContactToolTipFace {
 public:
  virtual ~ContactToolTipFace() {}
  // The tip's own window (shown, hidden, watched for its destruction).
  virtual wxWindow* GetTipWindow() = 0;
  virtual std::string GetLogin() const = 0;
  virtual void UpdateContactInfo(const ContactInfo& contact) = 0;
  virtual void UpdateAvatar() = 0;
  virtual void MoveInsideScreen(const wxPoint& point) = 0;
};

class ContactEntry : public wxPanel {
 public:
  using ToolTipMaker = std::function<ContactToolTipFace*(wxWindow* parent, Manager*, const ContactInfo&)>;

  ContactEntry(Manager* manager, wxWindow* parent, EntryListener* listener, const ContactInfo& contact,
               e_cep_role role, bool subscribed, const std::string& room);
  ~ContactEntry() override;

  std::string GetLogin() const { return m_login; }
  const std::string& Login() const { return m_login; }
  std::string GetNickname() const { return m_nickname; }
  // The same without a copy, for sorting.
  const std::string& Nickname() const { return m_nickname; }
  t_status GetStatus() const { return m_contactInfo.GetStatus(); }
  bool IsConnected() const {
    const t_status status = m_contactInfo.GetStatus();
    return status != STATUS_NONE && status != STATUS_OFFLINE;
  }
  e_cep_role GetRole() const { return m_role; }
  // The first line's texts, as the user sees them.
  MyStaticText* GetNicknameText() const { return m_nicknameText; }
  wxStaticText* GetMoodText() const { return m_moodText; }

  void UpdateContactInfo(const ContactInfo& contact);
  void UpdateAvatar(bool alsoTip);
  void SetStatus(t_status status);
  void SetMood(const std::string& mood);
  void SetSubscribed(bool subscribed);
  void NotifyNewMessage();
  // The room icon blinks for a new message.
  bool IsBlinking() const { return m_blinkTimer.IsRunning(); }
  // A row window of a list can show `contact` instead of its own (same network icon).
  bool CanShow(const ContactInfo& contact) const { return contact.GetImType() == m_contactInfo.GetImType(); }
  // Shows another contact (a window of a list given to the row coming into sight).
  void ShowContact(const ContactInfo& contact, bool subscribed);
  bool IsMouseOverAvatar(const wxPoint& screenPoint) const;
  // Collapses the row when it is the expanded one.
  void Unhighlight();

  void Discard();
  bool IsDiscarded() const { return m_discarded; }
  // Hidden by its own removal from the list, until the server confirms it.
  bool IsWithdrawn() const { return m_withdrawn; }
  void ForgetListener() { m_listener = nullptr; }

  // The one expanded row of the program, or null.
  static ContactEntry* GetHighlighted() { return s_entryHighlighted; }
  static void SetToolTipMaker(ToolTipMaker maker);
  // The tip member rows share, once made.
  static ContactToolTipFace* GetSharedToolTip();

  // The context menu as it would open now (null for the roles without one). Its invite items
  // are listed in the row until the next one is built or ForgetMenu is called.
  std::unique_ptr<wxMenu> BuildContextMenu();
  void ForgetMenu();
  // The row's context menu is open.
  bool IsMenuShown() const { return m_menuShown; }
  // Carries out a command of the context menu, as choosing it does.
  void RunMenuCommand(int id);

  // Event handlers (the clicks, the hover, the menu and its commands).
  void OnMouseLeftDClick(wxMouseEvent& event);
  void OnMouseRightDown(wxMouseEvent& event);
  void OnRoomIconLeftUp(wxMouseEvent& event);
  void OnMouseEnter(wxMouseEvent& event);
  void OnMouseLeave(wxMouseEvent& event);
  void OnHoverTimer(wxTimerEvent& event);
  void OnBlinkTimer(wxTimerEvent& event);
  void OnOpenPrivateChatRoom(wxCommandEvent& event);
  void OnDisplayProfile(wxCommandEvent& event);
  void OnAddContact(wxCommandEvent& event);
  void OnRemoveContact(wxCommandEvent& event);
  void OnReportAbuse(wxCommandEvent& event);
  void OnBlockContact(wxCommandEvent& event);
  void OnUnblockContact(wxCommandEvent& event);
  void OnInviteToParlavox(wxCommandEvent& event);
  void OnInviteContact(wxCommandEvent& event);

  // The address of the page that invites `login` (an e-mail) to join the network.
  static std::string InvitationAddress(const std::string& login, const std::string& token);

 protected:
  // A row of a list shortens its texts to its new width.
  void DoSetSize(int x, int y, int width, int height, int sizeFlags) override;

 private:
  void BuildFirstLine(bool subscribed);
  void BindMouse(wxWindow* window, bool hover);
  void ShowAvatar(const wxBitmap& bitmap);
  void RefreshAvatar(bool force, bool alsoTip);
  void SetProtocolIcon();
  void EnsureDataPanel();
  void Expand();
  // After the row changed size: its block places its rows again, other parents lay out.
  void Relayout();
  void UpdateAccessibleName();
  void FitNickname();
  void ShortenTexts();
  // Lays the row out and fits its texts to the room its width leaves them.
  void FitToWidth();
  void ShowSharedToolTip();
  bool IsSelfRow() const;
  bool IsPrivateRoomOpen();
  // Asks a yes/no question about the contact; true with the typed text when confirmed and the
  // row is still wanted.
  bool Confirm(const wxString& title, const wxString& message, const wxString& prompt, const wxString& yes,
               std::string* text);
  void AddInviteItem(wxMenu* menu, bool native, bool selfRow);

  Manager* m_manager;
  EntryListener* m_listener;
  ContactInfo m_contactInfo;
  std::string m_login;
  std::string m_nickname;
  e_cep_role m_role;
  std::string m_room;
  wxTimer m_hoverTimer;
  wxBoxSizer* m_mainSizer = nullptr;
  wxBoxSizer* m_textSizer = nullptr;
  AvatarBitmapPanel* m_avatarPanel = nullptr;
  wxGenericStaticBitmap* m_roomBitmap = nullptr;
  MyStaticText* m_nicknameText = nullptr;
  wxStaticText* m_moodText = nullptr;
  // The mood's whole text, as shown when there is room.
  wxString m_mood;
  wxStaticBitmap* m_protocolBitmap = nullptr;
  bool m_menuShown = false;
  std::map<int, std::string> m_inviteRooms;
  ContactEntryDataPanel* m_dataPanel = nullptr;
  int m_blinkCount = 0;
  bool m_blinkOn = false;
  wxTimer m_blinkTimer;
  // This member row's timer will hide the shared tip.
  bool m_tipTimerRunning = false;
  bool m_discarded = false;
  // How the avatar shown was drawn (-1: to fetch), the accessible name given, and whether the
  // first line was laid out since its label or font last changed.
  int m_avatarDrawn = -1;
  bool m_withdrawn = false;
  wxString m_accessibleName;
  bool m_laidOut = false;
  // The width the row's texts were last shortened for.
  int m_shortenedFor = -1;

  static ContactEntry* s_entryHighlighted;

  wxDECLARE_EVENT_TABLE();
};

#endif
