// The contacts manager: inviting contacts, organising groups and the list's sorting, the requests
// exchanged with other users, and the default notifications for contacts.
#ifndef PARLAVOX_GUI_CONTACTSSHORTFRAME_H
#define PARLAVOX_GUI_CONTACTSSHORTFRAME_H

#include <string>
#include <vector>

#include <wx/bitmap.h>

#include "gui/callRecord.h"
#include "widgets/myMiniFrame.h"

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

class ContactsShortFrame : public MyMiniFrame, public CallRecord {
 public:
  ContactsShortFrame(wxWindow* parent, Manager* manager);
  ~ContactsShortFrame() override;

  bool Show(bool show = true) override;
  // Whether the user is connected: requests can be sent or not; losing it empties the requests.
  void SetConnectionStatus(bool connected);

  // Groups and invitations (contactsShortFrameGroups.cpp).
  void UpdateGroups();

  // Requests and answers (contactsShortFrameRequests.cpp).
  // Lists a request, an answer or an invitation, in place of the row of the same id.
  void UpdateContactEvent(const ContactEvent& event);
  void RemoveContactEvent(long id);
  void RemoveContactEvents();

  // Default notification switches (contactsShortFrameSwitches.cpp).
  static wxString SelectToolTip(ContactInfo* defaults, const std::string& key, bool visual);

 private:
  // Builds the box "Requests sent to/by other Parlavoxers" into the frame's sizer: the scrolling
  // requests list and "Clear all" (contactsShortFrameRequests.cpp).
  void BuildRequestsBox(wxSizer* frameSizer);
  void OnRemoveContactEvents(wxCommandEvent& event);

  Manager* m_manager;

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

  // Requests.
  wxButton* m_clearButton = nullptr;
  wxScrolledWindow* m_requestsList = nullptr;
  wxBoxSizer* m_requestsSizer = nullptr;
  // The rows now shown, oldest first (the list shows them newest first).
  std::vector<ShortContactInfoPanel*> m_requestRows;

  // Default notification switches.
  wxBitmap m_fullPopup;
  wxBitmap m_emptyPopup;
  wxBitmap m_fullBell;
  wxBitmap m_emptyBell;
};

#endif
