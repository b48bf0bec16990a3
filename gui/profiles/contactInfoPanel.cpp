// The profile form: building it and showing a record in it.
#include "gui/profiles/contactInfoPanel.h"

#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/application.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/contacts/contactEntry.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/shownText.h"

namespace {

const char* const kOwnNetwork = "parlavox";
// The longest location shown, in characters.
const size_t kMaxShown = 60;

// Selects entry `index` of a list, or none when the stored value has no entry.
void SelectIndex(wxComboBox* list, int index) {
  if (!list) return;
  if (index >= 0 && index < int(list->GetCount())) list->SetSelection(index);
  else list->SetSelection(wxNOT_FOUND);
}

}  // namespace

ContactInfoPanel::ContactInfoPanel(wxWindow* parent, Manager* manager, const ContactInfo& info, bool mine,
                                   bool showGroup)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_contactInfo(info),
      m_mine(mine),
      m_showGroup(showGroup) {
  TRACE_START_ARGS("%s, %d", info.GetLogin().c_str(), mine ? 1 : 0);
  SetBackgroundColour(*wxWHITE);
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  SetSizer(top);
  if (!mine) {
    m_contactEntry = new ContactEntry(manager, this, nullptr, info, CEP_PROFILE, false, "none");
    top->Add(m_contactEntry, 1, wxEXPAND, 0);
  }
  auto* body = new wxBoxSizer(wxHORIZONTAL);
  top->Add(body, 0, 0, 0);
  if (mine) {
    BuildOwn(top, body, info);
  } else {
    auto* fields = new wxBoxSizer(wxVERTICAL);
    body->Add(fields, 0, wxLEFT | wxTOP, 8);
    if (showGroup) BuildGroupRow(fields, info);
  }
  SetAutoLayout(true);
  top->SetSizeHints(this);
  top->Fit(this);
  Layout();
  TRACE_END();
}

void ContactInfoPanel::BuildOwn(wxSizer* top, wxSizer* body, const ContactInfo& info) {
  const bool connected = m_manager->IsConnected();
  m_saveButton = new wxButton(this, wxID_ANY, _("Save"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_saveButton->Bind(wxEVT_BUTTON, &ContactInfoPanel::OnUpdateProfile, this);
  m_avatarButton =
      new wxBitmapButton(this, wxID_ANY, m_manager->GetAvatar(info.GetLogin(), false, false, BORDER_SIMPLE,
                                                              info.IsBlocked()),
                         wxDefaultPosition, wxSize(64, 64));
  m_avatarButton->SetToolTip(_("Click to choose a new avatar"));
  m_avatarButton->Bind(wxEVT_BUTTON, &ContactInfoPanel::OnUpdateAvatar, this);
  body->Add(m_avatarButton, 1, wxALIGN_CENTER | wxRIGHT, 8);
  auto* grid = new wxFlexGridSizer(2, 4, 0);
  body->Add(grid, 0, wxLEFT | wxTOP, 8);

  m_loginText = new wxStaticText(this, wxID_ANY, wxEmptyString);
  m_loginText->SetLabelText(std2wx(info.GetLogin()));
  AddRow(grid, _("Login:"), m_loginText, wxEXPAND);
  m_nicknameCtrl = new wxTextCtrl(this, wxID_ANY, std2wx(info.GetNickname()));
  m_nicknameCtrl->SetMaxLength(kMaxNickname);
  AddRow(grid, _("Nickname:"), m_nicknameCtrl, wxEXPAND);
  // The server takes no longer mood than this; a longer one would be refused and lost.
  m_moodCtrl = new wxTextCtrl(this, wxID_ANY, std2wx(info.GetMood()));
  m_moodCtrl->SetMaxLength(kMaxMood);
  AddRow(grid, _("Mood:"), m_moodCtrl, wxEXPAND);
  for (wxTextCtrl* field : {m_nicknameCtrl, m_moodCtrl}) {
    field->Enable(connected);
    field->Bind(wxEVT_TEXT, &ContactInfoPanel::CanUpdate, this);
  }

  auto* date = new wxBoxSizer(wxHORIZONTAL);
  m_dayCombo = MakeDateList(31, 1, 1);
  m_monthCombo = MakeDateList(12, 1, 1);
  m_yearCombo = MakeDateList(kYears, kNewestYear, -1);
  for (wxComboBox* list : {m_dayCombo, m_monthCombo, m_yearCombo}) {
    date->Add(list, 0, 0, 0);
    list->Enable(connected);
    list->Bind(wxEVT_COMBOBOX, &ContactInfoPanel::CanUpdate, this);
  }
  m_dayCombo->SetName(_("Birth day"));
  m_monthCombo->SetName(_("Birth month"));
  m_yearCombo->SetName(_("Birth year"));
  grid->Add(new wxStaticText(this, wxID_ANY, _("Birth date:")), 0, wxALIGN_CENTER_VERTICAL, 0);
  grid->Add(date, 0, wxLEFT | wxRIGHT, 15);
  const Config* config = Config::GetInstance();
  SelectBirth(config->GetBirthDay(), config->GetBirthMonth(), config->GetBirthYear());

  m_locationText = new wxStaticText(this, wxID_ANY, wxEmptyString);
  m_locationText->SetLabelText(LocationText(m_manager, info));
  AddRow(grid, _("Location:"), m_locationText, 0);

  top->Add(m_saveButton, 0, wxALIGN_BOTTOM | wxTOP | wxBOTTOM, 4);
  m_saveButton->Disable();
}

void ContactInfoPanel::AddRow(wxSizer* grid, const wxString& label, wxWindow* value, int flags) {
  auto* text = new wxStaticText(this, wxID_ANY, label);
  grid->Add(text, 0, wxALIGN_CENTER_VERTICAL, 0);
  grid->Add(value, 1, flags | wxLEFT | wxRIGHT, 15);
  // A screen reader names each field by its label.
  value->SetName(wxStripMenuCodes(label).BeforeLast(':'));
}

// As wide as its longest entry needs beside the list's button (the toolkit's button takes more
// room than a fixed width leaves).
wxComboBox* ContactInfoPanel::MakeDateList(int count, int first, int step) {
  wxArrayString entries;
  for (int i = 0; i < count; ++i) entries.Add(wxString::Format("%d", first + i * step));
  return new wxComboBox(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, entries,
                        wxCB_READONLY | wxCB_DROPDOWN);
}

void ContactInfoPanel::BuildGroupRow(wxSizer* fields, const ContactInfo& info) {
  fields->Add(new wxStaticText(this, wxID_ANY, _("Group:")), 0, 0, 0);
  m_groupCombo = new wxComboBox(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0, nullptr,
                                wxCB_READONLY | wxCB_DROPDOWN);
  m_groupCombo->SetName(_("Group"));
  m_groupCombo->Bind(wxEVT_COMBOBOX, &ContactInfoPanel::OnChangeGroup, this);
  fields->Add(m_groupCombo, 1, wxEXPAND | wxLEFT, 8);
  UpdateGroups();
  SelectGroup(info.GetGroup());
  m_groupCombo->Enable(GroupChoosable());
}

// Own network, saved contact, connected: a group change for anybody else could not reach the
// server (another network, not connected) or would file someone who is not in the list.
bool ContactInfoPanel::GroupChoosable() const {
  return m_contactInfo.GetImType() == kOwnNetwork && m_manager->IsConnected() &&
         m_manager->HasContact(m_contactInfo.GetLogin());
}

wxString ContactInfoPanel::LocationText(Manager* manager, const ContactInfo& info) {
  // Texts from the network: one line, of a length that keeps the window on the screen.
  if (!info.GetCity().empty() || !info.GetCountry().empty())
    return shown::OneLine(info.GetCity() + " (" + info.GetCountry() + ")", kMaxShown);
  if (info.GetImType() != kOwnNetwork)
    if (MessengerProtocolInfo* protocol = manager->GetMessengerProtocol(info.GetImType()))
      return shown::OneLine(protocol->GetDescription(), kMaxShown);
  return _("(unknown)");
}

void ContactInfoPanel::SelectBirth(int day, int month, int year) {
  SelectIndex(m_dayCombo, day - 1);
  SelectIndex(m_monthCombo, month);
  SelectIndex(m_yearCombo, kNewestYear - year);
}

// The entry of the group, else "No group": a group the settings do not list, or none.
void ContactInfoPanel::SelectGroup(const std::string& group) {
  if (!m_groupCombo) return;
  const int count = int(m_groupCombo->GetCount());
  int index = 0;
  for (int i = 1; i + 1 < count; ++i)
    if (wx2std(m_groupCombo->GetString(i)) == group) index = i;
  m_groupCombo->SetSelection(index);
}

void ContactInfoPanel::UpdateContactInfo(const ContactInfo& info) {
  TRACE_START_ARGS("%s", info.GetLogin().c_str());
  m_contactInfo = info;
  if (m_mine) {
    m_loginText->SetLabelText(std2wx(info.GetLogin()));
    m_nicknameCtrl->SetValue(std2wx(info.GetNickname()));
    m_moodCtrl->SetValue(std2wx(info.GetMood()));
    SelectBirth(info.GetBirthDay(), info.GetBirthMonth(), info.GetBirthYear());
    m_locationText->SetLabelText(LocationText(m_manager, info));
    m_saveButton->Disable();
  } else {
    m_contactEntry->UpdateContactInfo(info);
    // A group chosen and not saved yet stays chosen.
    const ContactInfoFrame* frame = Frame();
    SelectGroup(frame && frame->GetChosenGroup() ? *frame->GetChosenGroup() : info.GetGroup());
    // Someone who has just become a contact (or stopped being one) may now be filed, or not.
    if (m_groupCombo) m_groupCombo->Enable(GroupChoosable());
  }
  Layout();
  TRACE_END();
}

void ContactInfoPanel::Reset() {
  TRACE_START();
  if (m_mine) {
    const Config* config = Config::GetInstance();
    m_nicknameCtrl->SetValue(std2wx(config->GetNickname()));
    m_moodCtrl->SetValue(std2wx(config->GetMood()));
    SelectBirth(config->GetBirthDay(), config->GetBirthMonth(), config->GetBirthYear());
    m_saveButton->Disable();
  } else {
    SelectGroup(m_contactInfo.GetGroup());
  }
  TRACE_END();
}

void ContactInfoPanel::EnableUpdate(bool enable) {
  TRACE_START_ARGS("%d", enable ? 1 : 0);
  if (m_mine) {
    for (wxWindow* control : std::initializer_list<wxWindow*>{m_nicknameCtrl, m_moodCtrl, m_dayCombo, m_monthCombo,
                                                              m_yearCombo, m_avatarButton})
      control->Enable(enable);
    if (!enable) m_saveButton->Disable();
  } else if (m_groupCombo) {
    m_groupCombo->Enable(enable && GroupChoosable());
  }
  TRACE_END();
}

void ContactInfoPanel::CanUpdate(wxCommandEvent&) {
  if (m_saveButton) m_saveButton->Enable();
}

ContactInfoFrame* ContactInfoPanel::Frame() const { return dynamic_cast<ContactInfoFrame*>(GetParent()); }
