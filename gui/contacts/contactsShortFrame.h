// The contacts manager: inviting contacts, organising groups and the list's sorting, the requests
// exchanged with other users, and the default notifications for contacts.
#ifndef PARLAVOX_GUI_CONTACTSSHORTFRAME_H
#define PARLAVOX_GUI_CONTACTSSHORTFRAME_H

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/timer.h>

#include "widgets/myMiniFrame.h"

class ContactsHost;
class Manager;
class ContactEvent;
class ContactInfo;
class ShortContactInfoPanel;
class wxBoxSizer;
class wxButton;
class wxComboBox;
class wxRadioButton;
class wxScrolledWindow;
class wxSizer;
class wxStaticBoxSizer;
class wxTextCtrl;

class ContactsShortFrame : public MyMiniFrame {
 public:
  // `host` (may be null: the window then rebuilds only its own groups) hears of changed groups.
  ContactsShortFrame(wxWindow* parent, Manager* manager, ContactsHost* host);
  ~ContactsShortFrame() override;

  bool Show(bool show = true) override;
  // Whether the user is connected: requests can be sent or not; losing it empties the requests.
  void SetConnectionStatus(bool connected);

  // Groups and invitations (contactsShortFrameGroups.cpp).
  // Refills the groups list from the settings; the group chosen stays chosen while it exists.
  void UpdateGroups();
  // Group names are at most this long, whichever way they come in.
  static const size_t kMaxGroupName = 30;

  // Requests and answers (contactsShortFrameRequests.cpp).
  // Lists a request, an answer or an invitation, in place of the row of the same id.
  void UpdateContactEvent(const ContactEvent& event);
  void RemoveContactEvent(long id);
  void RemoveContactEvents();
  // The rows listed, oldest first, and their scrolling list.
  const std::vector<ShortContactInfoPanel*>& GetRequestRows() const { return m_requestRows; }
  wxScrolledWindow* GetRequestsList() const { return m_requestsList; }
  // Events of a burst not listed yet.
  size_t GetWaitingRequests() const;
  wxButton* GetClearButton() const { return m_clearButton; }

  // Default notification switches (contactsShortFrameSwitches.cpp).
  static wxString SelectToolTip(ContactInfo* defaults, const std::string& key, bool visual);
  // The picture of the key's state in the record (a key not set there becomes off); `visual`
  // for a pop-up key, else a sound key.
  const wxBitmap& SelectBitmap(ContactInfo* defaults, const std::string& key, bool visual);
  // A press on a switch's picture: the key turns on or off in the default record.
  void OnSwitchNotifier(wxMouseEvent& event);

 private:
  // The window's parts, top to bottom (contactsShortFrame.cpp, contactsShortFrameSwitches.cpp).
  void BuildInviteBox(wxSizer* frameSizer);
  void BuildOrganisationBox(wxSizer* frameSizer);
  void BuildSortingGrid(wxSizer* box);
  void BuildSwitchesBox(wxSizer* frameSizer);
  void AddSwitchRow(wxSizer* grid, ContactInfo* defaults, const wxString& label, const std::string& event);
  void OnSortChanged(wxCommandEvent& event);
  void OnGoToWebsite(wxMouseEvent& event);
  void OnHelp(wxMouseEvent& event);

  // Invitations and groups (contactsShortFrameGroups.cpp).
  void OnLoginChanged(wxCommandEvent& event);
  void OnMessageEnter(wxCommandEvent& event);
  void OnAddContact(wxCommandEvent& event);
  void OnChangeGroup(wxCommandEvent& event);
  void OnAddGroup(wxCommandEvent& event);
  void OnRemoveGroup(wxCommandEvent& event);
  void OnRenameGroup(wxCommandEvent& event);
  // Asks a group name: empty when cancelled, none when too long (the user is told so).
  std::optional<std::string> AskGroupName(const wxString& message, const wxString& caption, const wxString& value);
  // A name that may be given to a group: not empty, not one of the contacts list's own sections.
  static bool IsGroupName(const std::string& name);
  // Whether the chosen group may be renamed or removed from here now.
  bool CanModifyChosenGroup() const;
  void SelectNoGroup();
  void GroupsChanged();

  // Builds the box "Requests sent to/by other Parlavoxers" into the frame's sizer: the scrolling
  // requests list and "Clear all" (contactsShortFrameRequests.cpp).
  void BuildRequestsBox(wxSizer* frameSizer);
  void OnRemoveContactEvents(wxCommandEvent& event);
  // The row of the event with this id; none for -1, which every event expecting no answer has.
  ShortContactInfoPanel* FindRequestRow(long id) const;
  // Takes the row of the event with this id off the list, if there is one.
  void DropRequestRow(long id);
  // Makes the row of one event, in place of the row with the same id.
  void ListRequest(const ContactEvent& event);
  // Whether the rows made in this burst of events have taken the GUI thread long enough: the
  // others wait for the timer.
  bool RequestsTurnSpent();
  void OnRequestsTimer(wxTimerEvent& event);
  // After rows came or went: the list's scrolled size follows and it shows its top row.
  void ShowFromTop();
  // The same, and the window refitted, once the event loop turns.
  void LayOutRequestsSoon();

  Manager* m_manager;
  ContactsHost* m_host;

  // Adding contacts and groups.
  wxTextCtrl* m_loginField = nullptr;
  wxButton* m_inviteButton = nullptr;
  wxComboBox* m_groupsCombo = nullptr;
  wxButton* m_addGroupButton = nullptr;
  wxButton* m_removeGroupButton = nullptr;
  wxButton* m_renameGroupButton = nullptr;
  wxRadioButton* m_classifyNo = nullptr;
  wxRadioButton* m_classifyYes = nullptr;
  wxRadioButton* m_offlineNo = nullptr;
  wxRadioButton* m_offlineSeparate = nullptr;
  wxRadioButton* m_offlineInside = nullptr;
  // The group chosen in the list, by name (empty for none), so that a rebuilt list keeps it.
  std::string m_chosenGroup;

  // Requests.
  wxButton* m_clearButton = nullptr;
  wxScrolledWindow* m_requestsList = nullptr;
  wxBoxSizer* m_requestsSizer = nullptr;
  // The rows now shown, oldest first (the list shows them newest first).
  std::vector<ShortContactInfoPanel*> m_requestRows;
  bool m_requestsLayoutDue = false;
  // Events not listed yet, oldest first: a burst is listed a slice at a time, so that the window
  // keeps answering the user while hundreds of requests arrive.
  std::vector<ContactEvent> m_pendingRequests;
  wxTimer m_requestsTimer;
  std::chrono::steady_clock::time_point m_requestsTurnStart;
  std::chrono::steady_clock::time_point m_lastRequestAt;

  // Default notification switches.
  wxBitmap m_fullPopup;
  wxBitmap m_emptyPopup;
  wxBitmap m_fullBell;
  wxBitmap m_emptyBell;

  wxDECLARE_EVENT_TABLE();
};

#endif
