#include "gui/profiles/messengerDialog.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/icon.h>
#include <wx/intl.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "core/application.h"
#include "gui/profiles/messengerInfoPanel.h"
#include "model/config.h"
#include "model/log.h"
#include "model/messengerInfo.h"
#include "model/messengerProtocolInfo.h"
#include "model/stringConversion.h"
#include "widgets/shownText.h"

namespace {

// Descriptions and parameter names come from the server: one line each, and no longer than a
// choice or a label can hold.
const size_t kShownDescription = 60;
const size_t kShownKey = 40;
// The parameter rows scroll past this height, however many the protocol has.
const int kParametersMaxHeight = 200;

wxString ShownDescription(const std::string& id, const std::string& description) {
  return shown::OneLine(description.empty() ? id : description, kShownDescription);
}

}  // namespace

MessengerDialog::MessengerDialog(wxWindow* parent, Manager* manager, MessengerInfo* info)
    : wxDialog(parent, wxID_ANY, _("Connection to an other messenger"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE),
      m_manager(manager) {
  TRACE_START();
  const wxString icon = std2wx(Config::GetPath() + "Parlavox.ico");
  if (wxFileExists(icon)) SetIcon(wxIcon(icon, wxBITMAP_TYPE_ICO));
  for (MessengerProtocolInfo* protocol : manager->GetMessengerProtocols())
    if (protocol) m_offered.push_back({protocol->GetProtocol(), protocol->GetDescription(), protocol->GetParameters()});

  m_topSizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(m_topSizer);
  m_topSizer->Add(new wxStaticText(this, wxID_ANY, _("Select a protocol and enter the required information to log in:")),
                  0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 8);
  m_topSizer->Add(12, 12, 0);
  BuildProtocolRow(m_topSizer);

  if (info) {
    m_record = info;
    m_selectedId = info->GetProtocol();
    m_selectedDescription = info->GetDescription();
    for (size_t i = 0; i < m_offered.size() && m_selected < 0; ++i)
      if (m_offered[i].id == m_selectedId) m_selected = static_cast<int>(i);
    if (m_selected >= 0) m_protocols->SetSelection(m_selected);
    InitFields(std2wx(info->GetLogin()), std2wx(info->GetPassword()), info->GetAutoConnect(), info->GetParameters());
  } else if (!m_offered.empty()) {
    m_selected = 0;
    m_selectedId = m_offered[0].id;
    m_selectedDescription = m_offered[0].description;
    TRACE_INFO("Initialize info : %s", m_selectedId.c_str());
    // The list may have changed since the dialog copied it: no record, no dialog.
    m_owned.reset(manager->CreateMessengerInfo(m_selectedId));
    m_record = m_owned.get();
    m_protocols->SetSelection(0);
    InitFields(wxEmptyString, wxEmptyString, true, m_offered[0].parameters);
  } else {
    InitFields(wxEmptyString, wxEmptyString, true, {});
  }
  BuildButtons(m_topSizer);
  SetAutoLayout(true);
  m_topSizer->SetSizeHints(this);
  m_topSizer->Fit(this);
  Bind(wxEVT_CLOSE_WINDOW, &MessengerDialog::OnClose, this);
  TRACE_END();
}

MessengerDialog::~MessengerDialog() {}

void MessengerDialog::BuildProtocolRow(wxBoxSizer* top) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  top->Add(row, 1, wxEXPAND | wxLEFT | wxRIGHT, 20);
  m_icon = new wxStaticBitmap(this, wxID_ANY, wxNullBitmap);
  row->Add(m_icon, 0, wxTOP, 24);
  auto* column = new wxBoxSizer(wxVERTICAL);
  row->Add(column, 1, wxEXPAND | wxLEFT | wxRIGHT, 20);
  m_grid = new wxFlexGridSizer(0, 2, 4, 0);
  m_grid->AddGrowableCol(1, 1);
  column->Add(m_grid, 0, wxEXPAND);
  m_grid->Add(new wxStaticText(this, wxID_ANY, _("Protocol:")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 10);
  wxArrayString items;
  for (const Offered& offered : m_offered) items.Add(ShownDescription(offered.id, offered.description));
  m_protocols = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxSize(200, -1), items);
  m_protocols->SetName(_("Protocol:"));
  m_protocols->Bind(wxEVT_CHOICE, &MessengerDialog::OnChangeProtocol, this);
  m_grid->Add(m_protocols, 1, wxEXPAND | wxLEFT, 10);

  m_login = new wxTextCtrl(this, wxID_ANY);
  m_password = new wxTextCtrl(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxTE_PASSWORD);
  m_autoConnect = new wxCheckBox(this, wxID_ANY, _("(auto-connect as soon as Parlavox is connected)"));
  const wxString labels[] = {_("Login:"), _("Password:"), _("Enable:")};
  wxWindow* fields[] = {m_login, m_password, m_autoConnect};
  for (int i = 0; i < 3; ++i) {
    m_grid->Add(new wxStaticText(this, wxID_ANY, labels[i]), 0, wxALIGN_CENTER_VERTICAL, 0);
    m_grid->Add(fields[i], 1, wxEXPAND | wxLEFT, 10);
    fields[i]->SetName(labels[i]);
  }
  m_parametersPane = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
  m_parametersPane->SetScrollRate(0, 12);
  auto* parameters = new wxFlexGridSizer(0, 2, 4, 0);
  parameters->AddGrowableCol(1, 1);
  m_parametersPane->SetSizer(parameters);
  column->Add(m_parametersPane, 1, wxEXPAND | wxTOP, 4);
}

void MessengerDialog::BuildButtons(wxBoxSizer* top) {
  auto* ok = new wxButton(this, wxID_OK, _("OK"));
  auto* cancel = new wxButton(this, wxID_CANCEL, _("Cancel"));
  ok->SetDefault();
  ok->Bind(wxEVT_BUTTON, &MessengerDialog::OnOK, this);
  cancel->Bind(wxEVT_BUTTON, &MessengerDialog::OnCancel, this);
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(ok, 1, wxLEFT, 10);
  buttons->Add(cancel, 1, wxLEFT, 10);
  top->Add(new wxStaticLine(this, wxID_ANY), 0, wxEXPAND | wxALL, 10);
  top->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
}

void MessengerDialog::InitFields(const wxString& login, const wxString& password, bool autoConnect,
                                 const std::map<std::string, std::string>& parameters) {
  ShowIcon();
  m_login->ChangeValue(login);
  m_password->ChangeValue(password);
  m_autoConnect->SetValue(autoConnect);
  m_parametersPane->Freeze();
  m_parametersPane->DestroyChildren();
  m_parameterFields.clear();
  wxSizer* grid = m_parametersPane->GetSizer();
  // The map keeps its keys in byte order, which is the order the rows take.
  for (const auto& entry : parameters) {
    const wxString label = shown::OneLine(entry.first, kShownKey) + _(":");
    grid->Add(new wxStaticText(m_parametersPane, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL, 0);
    auto* field = new wxTextCtrl(m_parametersPane, wxID_ANY, std2wx(entry.second));
    field->SetName(label);
    grid->Add(field, 1, wxEXPAND | wxLEFT, 10);
    m_parameterFields.emplace_back(entry.first, field);
  }
  m_parametersPane->Thaw();
  const wxSize best = grid->GetMinSize();
  m_parametersPane->SetMinSize(wxSize(best.x + 20, std::min(best.y, kParametersMaxHeight)));
  m_parametersPane->SetVirtualSize(best);
  m_parametersPane->FitInside();
  Layout();
  if (m_topSizer->GetItemCount() > 0) {
    m_topSizer->SetSizeHints(this);
    m_topSizer->Fit(this);
  }
}

void MessengerDialog::ShowIcon() {
  m_icon->SetBitmap(MessengerInfoPanel::LoadProtocolIcon(m_selectedId));
}

std::map<std::string, std::string> MessengerDialog::TypedParameters() const {
  std::map<std::string, std::string> typed;
  for (const auto& field : m_parameterFields) typed[field.first] = wx2std(field.second->GetValue());
  return typed;
}

bool MessengerDialog::HasChanged() const {
  if (!m_record) return false;
  return wx2std(m_login->GetValue()) != m_record->GetLogin() ||
         wx2std(m_password->GetValue()) != m_record->GetPassword() || m_selectedId != m_record->GetProtocol() ||
         TypedParameters() != m_record->GetParameters();
}

MessengerInfo* MessengerDialog::GetMessengerInfo() {
  if (!m_record) return nullptr;
  m_record->SetLogin(wx2std(m_login->GetValue()));
  m_record->SetPassword(wx2std(m_password->GetValue()));
  m_record->SetAutoConnect(m_autoConnect->GetValue());
  m_record->SetProtocol(m_selectedId);
  m_record->SetDescription(m_selectedDescription);
  m_record->SetParameters(TypedParameters());
  MessengerInfo* record = m_record;
  if (m_owned) {
    m_owned.release();
    m_record = nullptr;
  }
  return record;
}

void MessengerDialog::OnOK(wxCommandEvent&) { EndModal(wxID_OK); }

void MessengerDialog::OnCancel(wxCommandEvent&) { EndModal(wxID_CANCEL); }

void MessengerDialog::OnClose(wxCloseEvent&) {
  if (IsModal()) EndModal(wxID_CANCEL);
  else Hide();
}

// The choice's position names the protocol, so two protocols of one description can both be
// chosen. What the user typed stays; the parameters become the chosen protocol's (the account's
// own when it is the account's protocol).
void MessengerDialog::OnChangeProtocol(wxCommandEvent&) {
  const int index = m_protocols->GetSelection();
  if (index < 0 || static_cast<size_t>(index) >= m_offered.size()) return;
  const Offered& chosen = m_offered[index];
  TRACE_START_ARGS("%s", chosen.id.c_str());
  m_selected = index;
  m_selectedId = chosen.id;
  m_selectedDescription = chosen.description;
  const bool own = m_record && m_record->GetProtocol() == chosen.id && !m_owned;
  InitFields(m_login->GetValue(), m_password->GetValue(), m_autoConnect->GetValue(),
             own ? m_record->GetParameters() : chosen.parameters);
  TRACE_END();
}
