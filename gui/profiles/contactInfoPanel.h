// The form inside a profile window. The user's own profile is editable: the avatar (a button
// that picks a new picture), the login, the nickname and mood (40 characters each, as the server
// takes them), the birth date as day, month and year lists, the location, and a Save that sends
// the profile. A contact's profile shows the contact's row and, for a contact of the user's own
// network, the choice of the contact's group.
//
// The class is spread over two files: contactInfoPanel.cpp (building and showing) and
// contactInfoPanelEdit.cpp (what the user changes: profile, group, avatar).
//
// Months count from 0 as the record and the server count them: the month list's entry "1"
// stands for the stored month 0.
#ifndef PARLAVOX_GUI_PROFILES_CONTACTINFOPANEL_H
#define PARLAVOX_GUI_PROFILES_CONTACTINFOPANEL_H

#include <wx/panel.h>

#include <string>

#include "model/contactInfo.h"

class ContactEntry;
class ContactInfoFrame;
class Manager;
class wxBitmapButton;
class wxButton;
class wxComboBox;
class wxStaticText;
class wxTextCtrl;

class ContactInfoPanel : public wxPanel {
 public:
  // The longest nickname and mood the server takes, in characters.
  static constexpr int kMaxNickname = 40;
  static constexpr int kMaxMood = 40;
  // The longest group name, in characters.
  static constexpr int kMaxGroupName = 30;
  // The birth years offered, newest first.
  static constexpr int kNewestYear = 2008;
  static constexpr int kYears = 90;

  ContactInfoPanel(wxWindow* parent, Manager* manager, const ContactInfo& info, bool mine, bool showGroup);

  // ---- Showing (contactInfoPanel.cpp).
  void UpdateContactInfo(const ContactInfo& info);
  // Drops the edits not sent: the own form shows the settings' nickname, mood and birth date
  // again; a contact's form shows the record's group again.
  void Reset();
  // Opens the editable controls to editing (connected) or closes them.
  void EnableUpdate(bool enable);
  // A change of the nickname, the mood or the birth date: Save can send it.
  void CanUpdate(wxCommandEvent& event);
  // The location shown for a record: "city (country)", else the description of its network,
  // else "(unknown)".
  static wxString LocationText(Manager* manager, const ContactInfo& info);

  // ---- Changing (contactInfoPanelEdit.cpp).
  void OnUpdateProfile(wxCommandEvent& event);
  void OnChangeGroup(wxCommandEvent& event);
  void OnUpdateAvatar(wxCommandEvent& event);
  void UpdateAvatar();
  // A mood set elsewhere (the main window's mood question), own form only.
  void SetMood(const std::string& mood);
  // Fills the group choice again from the settings: "No group", the groups, "New group ...",
  // with the record's group selected ("No group" when it is none of them).
  void UpdateGroups();

  const ContactInfo& GetContactInfo() const { return m_contactInfo; }
  wxTextCtrl* GetNicknameCtrl() const { return m_nicknameCtrl; }
  wxTextCtrl* GetMoodCtrl() const { return m_moodCtrl; }
  wxComboBox* GetDayCombo() const { return m_dayCombo; }
  wxComboBox* GetMonthCombo() const { return m_monthCombo; }
  wxComboBox* GetYearCombo() const { return m_yearCombo; }
  wxComboBox* GetGroupCombo() const { return m_groupCombo; }
  wxButton* GetSaveButton() const { return m_saveButton; }
  wxBitmapButton* GetAvatarButton() const { return m_avatarButton; }
  wxStaticText* GetLocationText() const { return m_locationText; }

 private:
  void BuildOwn(wxSizer* top, wxSizer* body, const ContactInfo& info);
  void AddRow(wxSizer* grid, const wxString& label, wxWindow* value, int flags);
  wxComboBox* MakeDateList(int count, int first, int step);
  void BuildGroupRow(wxSizer* fields, const ContactInfo& info);
  void SelectBirth(int day, int month, int year);
  void SelectGroup(const std::string& group);
  // Whether the group may be chosen now: a saved contact of the user's own network, connected.
  bool GroupChoosable() const;
  ContactInfoFrame* Frame() const;
  // The birth date chosen, as the record keeps it; false unless all three lists have a choice.
  bool ChosenBirth(int* day, int* month, int* year) const;
  // Asks the name of a new group; empty when cancelled or too long (the user is told).
  std::string AskNewGroup();

  Manager* m_manager;
  ContactInfo m_contactInfo;
  bool m_mine;
  bool m_showGroup;
  ContactEntry* m_contactEntry = nullptr;
  wxBitmapButton* m_avatarButton = nullptr;
  wxStaticText* m_loginText = nullptr;
  wxTextCtrl* m_nicknameCtrl = nullptr;
  wxTextCtrl* m_moodCtrl = nullptr;
  wxStaticText* m_locationText = nullptr;
  wxComboBox* m_dayCombo = nullptr;
  wxComboBox* m_monthCombo = nullptr;
  wxComboBox* m_yearCombo = nullptr;
  wxComboBox* m_groupCombo = nullptr;
  wxButton* m_saveButton = nullptr;
  // Set while the group list is filled again, whose change events are not the user's.
  bool m_refillingGroups = false;
};

#endif
