// The profile form: what the user changes. The own profile is sent by the form's Save; a
// contact's group waits in the profile window until that window's Save; a new avatar is picked by
// the main window.
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/textdlg.h>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/contactInfoPanel.h"
#include "gui/profiles/profilesHost.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"

bool ContactInfoPanel::ChosenBirth(int* day, int* month, int* year) const {
  const int d = m_dayCombo->GetSelection(), m = m_monthCombo->GetSelection(), y = m_yearCombo->GetSelection();
  if (d == wxNOT_FOUND || m == wxNOT_FOUND || y == wxNOT_FOUND) return false;
  *day = d + 1;
  *month = m;
  *year = kNewestYear - y;
  return true;
}

void ContactInfoPanel::OnUpdateProfile(wxCommandEvent&) {
  TRACE_START();
  const std::string nickname = wx2std(m_nicknameCtrl->GetValue());
  const std::string mood = wx2std(m_moodCtrl->GetValue());
  if (nickname.empty()) {
    m_nicknameCtrl->SetValue(std2wx(m_contactInfo.GetNickname()));
    TRACE_END_RESULT("empty nickname");
    return;
  }
  // A date with a list left without a choice is not a date: none is sent rather than a wrong one.
  int day = 0, month = 0, year = 0;
  if (!ChosenBirth(&day, &month, &year)) day = month = year = 0;
  if (!m_manager->UpdateProfile(nickname, mood, day, month, year)) {
    ContactInfoFrame::ModalGuard guard(this);
    wxMessageBox(m_manager->IsConnected() ? _("The server cannot take this profile; it was not changed.")
                                          : _("You are not connected: your profile was not changed."),
                 _("Profile not saved"), wxOK | wxICON_INFORMATION, this);
    TRACE_END_RESULT("not sent");
    return;
  }
  m_saveButton->Disable();
  ContactInfoFrame* frame = Frame();
  if (ProfilesHost* host = frame ? frame->GetHost() : nullptr) {
    host->SetNickname(nickname);
    host->SetMood(mood);
  }
  if (frame) frame->Hide();
  TRACE_END();
}

void ContactInfoPanel::OnChangeGroup(wxCommandEvent&) {
  ContactInfoFrame* frame = Frame();
  // The toolkit reports the list's own refill as a choice: it is none of the user's.
  if (!m_groupCombo || !frame || m_refillingGroups) return;
  const int index = m_groupCombo->GetSelection();
  const int count = int(m_groupCombo->GetCount());
  TRACE_START_ARGS("%d/%d", index, count);
  if (index <= 0) {
    frame->UpdateGroup("", false);
  } else if (index < count - 1) {
    frame->UpdateGroup(wx2std(m_groupCombo->GetString(index)), false);
  } else {
    ContactInfoFrame::ModalGuard guard(this);
    const std::string name = AskNewGroup();
    // The window may have been taken down while the question was open: nothing more to do.
    if (!guard.WindowLives()) {
      TRACE_END_RESULT("window gone");
      return;
    }
    // The contacts list's own sections are not groups; an existing name is not made twice.
    if (name.empty() || Manager::IsSectionName(name) || !Config::GetInstance()->AddGroup(name)) {
      SelectGroup(frame->GetChosenGroup().value_or(m_contactInfo.GetGroup()));
    } else {
      m_groupCombo->Insert(std2wx(name), count - 1);
      m_groupCombo->SetSelection(count - 1);
      frame->UpdateGroup(name, true);
    }
  }
  TRACE_END();
}

std::string ContactInfoPanel::AskNewGroup() {
  wxTextEntryDialog dialog(this,
                           _("Enter a name for the new group (to display your contacts by groups,\nopen the "
                             "contacts' manager window and select 'Your groups'):"),
                           _("New group"), wxEmptyString);
  dialog.CentreOnParent();
  if (dialog.ShowModal() != wxID_OK) return "";
  const wxString typed = dialog.GetValue();
  if (typed.length() > size_t(kMaxGroupName)) {
    wxMessageBox(_("New group name too long, maximum 30 characters."), _("Group name too long"),
                 wxOK | wxICON_INFORMATION, this);
    return "";
  }
  return wx2std(typed);
}

void ContactInfoPanel::OnUpdateAvatar(wxCommandEvent&) {
  TRACE_START();
  ContactInfoFrame* frame = Frame();
  ProfilesHost* host = frame ? frame->GetHost() : nullptr;
  if (host) {
    ContactInfoFrame::ModalGuard guard(this);
    host->UpdateAvatar();
  }
  TRACE_END();
}

void ContactInfoPanel::UpdateAvatar() {
  TRACE_START();
  Freeze();
  if (m_mine) {
    m_avatarButton->SetBitmapLabel(
        m_manager->GetAvatar(m_contactInfo.GetLogin(), false, true, BORDER_SIMPLE, m_contactInfo.IsBlocked()));
    m_avatarButton->SetSize(64, 64);
  } else {
    m_contactEntry->UpdateAvatar(false);
  }
  Layout();
  Thaw();
  TRACE_END();
}

void ContactInfoPanel::SetMood(const std::string& mood) {
  TRACE_START_ARGS("%s", mood.c_str());
  m_contactInfo.SetMood(mood);
  if (m_moodCtrl) m_moodCtrl->SetValue(std2wx(mood));
  TRACE_END();
}

void ContactInfoPanel::UpdateGroups() {
  if (!m_showGroup || !m_groupCombo) return;
  wxArrayString entries;
  entries.Add(_("No group"));
  for (const std::string& group : Config::GetInstance()->GetGroups()) entries.Add(std2wx(group));
  entries.Add(_("New group ..."));
  m_refillingGroups = true;
  m_groupCombo->Set(entries);
  m_refillingGroups = false;
  // The contact's group as the controller has it now: a group given a new name files the
  // contact under the new name.
  if (!m_mine) m_contactInfo.SetGroup(m_manager->GetContactInfo(m_contactInfo.GetLogin())->GetGroup());
  // A group chosen and not saved yet stays chosen.
  const ContactInfoFrame* frame = Frame();
  SelectGroup(frame && frame->GetChosenGroup() ? *frame->GetChosenGroup() : m_contactInfo.GetGroup());
}
