// The contacts manager's invitations and groups: checking a login or an address before inviting
// it, and adding, renaming and removing the groups of the contacts list.
//
// The groups live in the settings; this window's list only shows them. Every change goes to the
// settings first, then the main window rebuilds every list of groups. The list keeps the chosen
// group by its name across rebuilds, and "Rename" and "Remove" check again when pressed (and
// again once their question is answered) that the group may still be changed from here.
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/textdlg.h>

#include <algorithm>

#include "core/application.h"
#include "gui/contacts/contactsHost.h"
#include "gui/contacts/contactsShortFrame.h"
#include "model/config.h"
#include "model/contactEvent.h"
#include "model/log.h"
#include "model/stringConversion.h"

void ContactsShortFrame::UpdateGroups() {
  TRACE_START();
  const std::vector<std::string> groups = Config::GetInstance()->GetGroups();
  wxArrayString entries;
  entries.Add(_("No group"));
  for (const std::string& group : groups) entries.Add(std2wx(group));
  entries.Add(_("New group..."));
  m_groupsCombo->Set(entries);
  const auto chosen = std::find(groups.begin(), groups.end(), m_chosenGroup);
  if (m_chosenGroup.empty() || chosen == groups.end()) {
    SelectNoGroup();
  } else {
    m_groupsCombo->SetSelection(int(chosen - groups.begin()) + 1);
    // The group may have gained a contact of another network meanwhile.
    if (!CanModifyChosenGroup()) {
      m_removeGroupButton->Disable();
      m_renameGroupButton->Disable();
    }
  }
  TRACE_END();
}

bool ContactsShortFrame::CanModifyChosenGroup() const {
  if (m_chosenGroup.empty() || !m_manager->IsConnected()) return false;
  const std::vector<std::string> groups = Config::GetInstance()->GetGroups();
  if (std::find(groups.begin(), groups.end(), m_chosenGroup) == groups.end()) return false;
  return m_manager->CanModifyGroup(m_chosenGroup);
}

void ContactsShortFrame::SelectNoGroup() {
  m_chosenGroup.clear();
  m_groupsCombo->SetSelection(0);
  m_removeGroupButton->Disable();
  m_renameGroupButton->Disable();
}

bool ContactsShortFrame::IsGroupName(const std::string& name) {
  return !name.empty() && !Manager::IsSectionName(name);
}

std::optional<std::string> ContactsShortFrame::AskGroupName(const wxString& message, const wxString& caption,
                                                            const wxString& value) {
  const wxString name = wxGetTextFromUser(message, caption, value, this);
  if (name.length() > kMaxGroupName) {
    wxMessageBox(_("New group name too long, maximum 30 characters."), _("Group name too long"),
                 wxOK | wxICON_INFORMATION, this);
    return std::nullopt;
  }
  return wx2std(name);
}

// ---- Invitations

void ContactsShortFrame::OnLoginChanged(wxCommandEvent&) {
  m_inviteButton->Enable(!m_loginField->GetValue().empty() && m_manager->IsConnected());
}

// Enter in the field invites as the button does, even while the button is disabled.
void ContactsShortFrame::OnMessageEnter(wxCommandEvent& event) { OnAddContact(event); }

void ContactsShortFrame::OnAddContact(wxCommandEvent&) {
  const std::string text = wx2std(m_loginField->GetValue());
  if (text.empty() || !m_manager->IsConnected()) return;
  TRACE_START_ARGS("%s", text.c_str());
  if (text == m_manager->GetLogin()) {
    wxMessageBox(_("There are a lot of people on Internet. Maybe you can invite someone else than yourself ?"),
                 _("Invalid login"), wxOK | wxICON_INFORMATION, this);
    TRACE_END_RESULT("own login");
    return;
  }
  if (m_manager->HasContact(text)) {
    const std::string nickname = m_manager->GetContactInfo(text)->GetNickname();
    wxMessageBox(_("Do you know that ") + std2wx(nickname) + " (" + std2wx(text) + ") " +
                     _("is already in your private contacts?"),
                 _("Invalid login"), wxOK | wxICON_INFORMATION, this);
    TRACE_END_RESULT("a contact already");
    return;
  }
  ContactEvent* check = m_manager->CheckContact(text);
  if (!check) {
    // Nothing went out: the text is no login or address the server could look up.
    wxMessageBox(_("A login or an email address holds only letters, digits and the characters - . _ @"),
                 _("Invalid login"), wxOK | wxICON_INFORMATION, this);
    TRACE_END_RESULT("not sent");
    return;
  }
  UpdateContactEvent(*check);
  m_loginField->Clear();
  if (m_clearButton) m_clearButton->Enable();
  TRACE_END();
}

// ---- Groups

void ContactsShortFrame::OnChangeGroup(wxCommandEvent&) {
  const int index = m_groupsCombo->GetSelection();
  const int count = int(m_groupsCombo->GetCount());
  TRACE_START_ARGS("%d of %d", index, count);
  if (index <= 0) {
    SelectNoGroup();
  } else if (index >= count - 1) {
    SelectNoGroup();
    const std::optional<std::string> name =
        AskGroupName(_("Enter a name for the new group:"), _("New group"), wxEmptyString);
    if (name && IsGroupName(*name) && Config::GetInstance()->AddGroup(*name)) GroupsChanged();
  } else {
    m_chosenGroup = wx2std(m_groupsCombo->GetString(index));
    const bool modifiable = CanModifyChosenGroup();
    m_removeGroupButton->Enable(modifiable);
    m_renameGroupButton->Enable(modifiable);
  }
  TRACE_END();
}

void ContactsShortFrame::OnAddGroup(wxCommandEvent&) {
  TRACE_START();
  const std::optional<std::string> name =
      AskGroupName(_("Enter a name for the new group:"), _("New group"), wxEmptyString);
  if (!name || !IsGroupName(*name) || !Config::GetInstance()->AddGroup(*name)) {
    SelectNoGroup();
    TRACE_END_RESULT("not added");
    return;
  }
  m_chosenGroup = *name;
  m_removeGroupButton->Disable();
  m_renameGroupButton->Disable();
  GroupsChanged();
  TRACE_END();
}

void ContactsShortFrame::OnRemoveGroup(wxCommandEvent&) {
  const std::string name = m_chosenGroup;
  TRACE_START_ARGS("Current select : %d, %s", m_groupsCombo->GetSelection(), name.c_str());
  if (CanModifyChosenGroup()) m_manager->RemoveGroup(name);
  SelectNoGroup();
  GroupsChanged();
  TRACE_END();
}

void ContactsShortFrame::OnRenameGroup(wxCommandEvent&) {
  const std::string oldName = m_chosenGroup;
  TRACE_START_ARGS("Current select : %d, %s", m_groupsCombo->GetSelection(), oldName.c_str());
  if (!CanModifyChosenGroup()) {
    SelectNoGroup();
    TRACE_END_RESULT("cannot be renamed");
    return;
  }
  const std::optional<std::string> newName =
      AskGroupName(_("Enter a new name for this group:"), _("Rename a group"), std2wx(oldName));
  if (!newName) {
    TRACE_END_RESULT("too long");
    return;
  }
  // The question ran the event loop: the connection or the group may have gone meanwhile.
  if (m_chosenGroup != oldName || !CanModifyChosenGroup() || !IsGroupName(*newName) ||
      !Config::GetInstance()->RenameGroup(oldName, *newName)) {
    SelectNoGroup();
    TRACE_END_RESULT("not renamed");
    return;
  }
  m_manager->RenameGroup(oldName, *newName);
  if (m_host) m_host->GroupRenamed(oldName, *newName);
  m_chosenGroup = *newName;
  m_removeGroupButton->Disable();
  m_renameGroupButton->Disable();
  GroupsChanged();
  TRACE_END();
}
