#include "gui/preferencesFrame.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

#include <algorithm>

#include "core/application.h"
#include "gui/preferencesHost.h"
#include "gui/storedPreferences.h"
#include "gui/webBrowser.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/version.h"

namespace {

const wxWindowID kStatusId = wxWindow::NewControlId();
const wxWindowID kAutoConnectId = wxWindow::NewControlId();
const wxWindowID kAlwaysTopId = wxWindow::NewControlId();
const wxWindowID kProxyId = wxWindow::NewControlId();
const wxWindowID kReduceId = wxWindow::NewControlId();
const wxWindowID kExitId = wxWindow::NewControlId();
const wxWindowID kAskId = wxWindow::NewControlId();
const wxWindowID kSaveId = wxWindow::NewControlId();
const wxWindowID kCancelId = wxWindow::NewControlId();
const wxWindowID kProxyHostId = wxWindow::NewControlId();
const wxWindowID kProxyPortId = wxWindow::NewControlId();
const wxWindowID kFilePortId = wxWindow::NewControlId();
const wxWindowID kNoActivityId = wxWindow::NewControlId();
const wxWindowID kRetryId = wxWindow::NewControlId();
const wxWindowID kVisibleOnStartId = wxWindow::NewControlId();

const int kStatusCount = 5;

// A whole number written in decimal digits only (blanks around it allowed), within [low, high].
bool ParseNumber(const wxString& text, long low, long high, long& value) {
  wxString t = text;
  t.Trim(true).Trim(false);
  if (t.empty() || t.length() > 10) return false;
  for (wxUniChar c : t)
    if (c < '0' || c > '9') return false;
  unsigned long v = 0;
  if (!t.ToULong(&v) || v < static_cast<unsigned long>(low) || v > static_cast<unsigned long>(high)) return false;
  value = static_cast<long>(v);
  return true;
}

wxString Decimal(long n) { return wxString::Format("%ld", n); }

// A label at least `width` pixels wide (-1: its text's width), and never narrower than its text in
// its own font, whatever the font's size.
wxStaticText* Label(wxWindow* parent, const wxString& text, int width) {
  auto* label = new wxStaticText(parent, wxID_ANY, text, wxDefaultPosition, wxSize(width, -1));
  label->SetMinSize(wxSize(std::max(width, label->GetTextExtent(text).x), -1));
  return label;
}

// A one-line field at least `width` pixels wide (-1: no width of its own), as wide as `sample`
// needs and as high as a line of text in its own font, whatever the font's size: the tool kit's
// own height for a field does not grow with the font.
wxTextCtrl* Field(wxWindow* parent, wxWindowID id, int width, long style, const wxString& sample) {
  auto* field = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxSize(width, -1), style);
  const wxSize text = field->GetSizeFromTextSize(field->GetTextExtent(sample));
  field->SetMinSize(wxSize(std::max(width, text.x), text.y));
  return field;
}

// A field for a number of up to five digits: a port, a delay of up to a day in seconds.
wxTextCtrl* NumberField(wxWindow* parent, wxWindowID id, int width, long style) {
  return Field(parent, id, width, style, "00000");
}

// A field for a host name or an address: room for twenty characters shown whole.
wxTextCtrl* HostField(wxWindow* parent, wxWindowID id) { return Field(parent, id, -1, 0, wxString('x', 20)); }

}  // namespace

PreferencesFrame::PreferencesFrame(wxWindow* parent, Manager* manager, PreferencesHost* host)
    : MyMiniFrame(parent, _("Preferences")), m_manager(manager), m_host(host) {
  TRACE_START();
  m_save = new wxButton(this, kSaveId, _("&Save"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_cancel = new wxButton(this, kCancelId, _("&Cancel"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  BuildNetworkBox();
  BuildInterfaceBox();

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(m_save, 0, wxRIGHT | wxBOTTOM, 8);
  buttons->Add(m_cancel, 0, wxRIGHT | wxBOTTOM, 8);
  GetSizer()->Add(buttons, 0, wxALIGN_RIGHT, 0);

  auto* help = new wxStaticText(this, wxID_ANY, _("Help?"));
  help->SetForegroundColour(wxColour(0, 0, 255));
  help->SetCursor(wxCursor(wxCURSOR_HAND));
  help->Bind(wxEVT_LEFT_UP, &PreferencesFrame::OnHelp, this);
  GetSizer()->Add(help, 0, wxALIGN_RIGHT | wxRIGHT | wxBOTTOM, 8);

  Bind(wxEVT_COMBOBOX, &PreferencesFrame::EnableSave, this, kStatusId);
  for (wxWindowID id : {kAutoConnectId, kAlwaysTopId, kRetryId, kVisibleOnStartId})
    Bind(wxEVT_CHECKBOX, &PreferencesFrame::EnableSave, this, id);
  Bind(wxEVT_CHECKBOX, &PreferencesFrame::OnProxyChanged, this, kProxyId);
  for (wxWindowID id : {kReduceId, kExitId, kAskId}) Bind(wxEVT_RADIOBUTTON, &PreferencesFrame::EnableSave, this, id);
  for (wxWindowID id : {kProxyHostId, kProxyPortId, kFilePortId, kNoActivityId})
    Bind(wxEVT_TEXT, &PreferencesFrame::EnableSave, this, id);
  Bind(wxEVT_BUTTON, &PreferencesFrame::OnSave, this, kSaveId);
  Bind(wxEVT_BUTTON, &PreferencesFrame::OnCancel, this, kCancelId);

  Cancel();
  SetAutoLayout(true);
  GetSizer()->SetSizeHints(this);
  GetSizer()->Fit(this);
  Layout();
  TRACE_END();
}

void PreferencesFrame::BuildNetworkBox() {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("Network"));
  GetSizer()->Add(box, 0, wxEXPAND | wxTOP | wxLEFT | wxRIGHT, 8);
  auto* grid = new wxFlexGridSizer(2, 4, 0);
  box->Add(grid, 1, wxEXPAND, 0);
  wxWindow* parent = box->GetStaticBox();
  auto label = [&](const wxString& text, int width, int proportion) {
    grid->Add(Label(parent, text, width), proportion, wxALIGN_CENTER_VERTICAL, 0);
  };

  label(_("Login with status:"), -1, 1);
  const wxString choices[kStatusCount] = {_("Offline"), _("Online"), _("No activity"), _("Away"), _("Busy")};
  m_status = new wxComboBox(parent, kStatusId, wxEmptyString, wxDefaultPosition, wxDefaultSize, kStatusCount, choices,
                            wxCB_DROPDOWN | wxCB_READONLY);
  grid->Add(m_status, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);

  label(_("Switch to \"no activity\" after:"), 250, 1);
  auto* delay = new wxBoxSizer(wxHORIZONTAL);
  m_noActivity = NumberField(parent, kNoActivityId, 60, wxTE_RIGHT);
  delay->Add(m_noActivity, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  delay->Add(new wxStaticText(parent, wxID_ANY, _("seconds")), 1, wxALIGN_CENTER_VERTICAL, 0);
  grid->Add(delay, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);

  label(_("Connect to Parlavox network on startup:"), -1, 1);
  m_autoConnect = new wxCheckBox(parent, kAutoConnectId, wxEmptyString);
  grid->Add(m_autoConnect, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);

  label(_("Retry on network failure:"), 250, 0);
  m_retry = new wxCheckBox(parent, kRetryId, wxEmptyString);
  grid->Add(m_retry, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);

  label(_("Port for file transfers:"), -1, 0);
  m_filePort = NumberField(parent, kFilePortId, -1, 0);
  grid->Add(m_filePort, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);

  label(_("Proxy settings:"), -1, 0);
  auto* proxy = new wxBoxSizer(wxHORIZONTAL);
  m_proxy = new wxCheckBox(parent, kProxyId, wxEmptyString);
  proxy->Add(m_proxy, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  m_proxyHost = HostField(parent, kProxyHostId);
  proxy->Add(m_proxyHost, 1, wxALIGN_CENTER_VERTICAL, 0);
  m_proxyPort = NumberField(parent, kProxyPortId, 60, 0);
  proxy->Add(m_proxyPort, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
  grid->Add(proxy, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);
}

void PreferencesFrame::BuildInterfaceBox() {
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("User interface"));
  GetSizer()->Add(box, 0, wxEXPAND | wxALL, 8);
  auto* grid = new wxFlexGridSizer(2, 3, 0);
  box->Add(grid, 0, wxEXPAND | wxBOTTOM, 4);
  wxWindow* parent = box->GetStaticBox();

  grid->Add(Label(parent, _("Parlavox visible on startup:"), 250), 1, wxALIGN_CENTER_VERTICAL, 0);
  m_visibleOnStart = new wxCheckBox(parent, kVisibleOnStartId, wxEmptyString);
  grid->Add(m_visibleOnStart, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);

  grid->Add(new wxStaticText(parent, wxID_ANY, _("Always on top:")), 1, wxALIGN_CENTER_VERTICAL, 0);
  m_alwaysTop = new wxCheckBox(parent, kAlwaysTopId, wxEmptyString);
  grid->Add(m_alwaysTop, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);

  grid->Add(new wxStaticText(parent, wxID_ANY, _("When you close Parlavox:")), 1, wxALIGN_CENTER_VERTICAL, 0);
  auto* close = new wxBoxSizer(wxHORIZONTAL);
  m_exit = new wxRadioButton(parent, kExitId, _("Exit"), wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  m_reduce = new wxRadioButton(parent, kReduceId, _("Reduce"));
  m_ask = new wxRadioButton(parent, kAskId, _("Ask"));
  for (wxRadioButton* b : {m_exit, m_reduce, m_ask}) close->Add(b, 0, 0, 0);
  grid->Add(close, 1, wxEXPAND | wxLEFT | wxRIGHT, 15);
}

bool PreferencesFrame::Show(bool show) {
  TRACE_START_ARGS("%d", show);
  if (show) Cancel();
  const bool result = MyMiniFrame::Show(show);
  TRACE_END();
  return result;
}

void PreferencesFrame::OnClose(wxMouseEvent&) {
  TRACE_START();
  Cancel();
  Show(false);
  TRACE_END();
}

void PreferencesFrame::SelectCloseChoice() {
  const Config* config = Config::GetInstance();
  if (!config->GetRememberClose()) m_ask->SetValue(true);
  else if (config->GetClose()) m_exit->SetValue(true);
  else m_reduce->SetValue(true);
}

void PreferencesFrame::Cancel() {
  TRACE_START();
  const Config* config = Config::GetInstance();
  m_autoConnect->SetValue(config->GetAutoConnectStatus());
  // A status out of range in the settings file shows as online.
  const int status = config->GetDefaultStatus();
  m_status->SetSelection(status >= 0 && status < kStatusCount ? status : STATUS_ONLINE);
  m_noActivity->SetValue(Decimal(config->GetNoActivityTimer()));
  m_proxyHost->SetValue(std2wx(config->GetProxyHost()));
  m_proxyPort->SetValue(Decimal(config->GetProxyPort()));
  m_alwaysTop->SetValue(config->GetAlwaysTopStatus());
  SelectCloseChoice();
  m_retry->SetValue(config->GetRetryOnFailure());
  m_proxy->SetValue(config->GetProxyStatus());
  m_proxyHost->Enable(m_proxy->GetValue());
  m_proxyPort->Enable(m_proxy->GetValue());
  m_filePort->SetValue(Decimal(config->GetFilePort()));
  m_visibleOnStart->SetValue(config->IsVisibleOnStart());
  // Last: the reloads above raised text events that enabled Save.
  m_save->Enable(false);
  m_cancel->Enable(true);
  TRACE_END();
}

void PreferencesFrame::Refuse(wxTextCtrl* field, const wxString& message) {
  TRACE_INFO("refused: %s", static_cast<const char*>(message.utf8_str()));
  field->SetFocus();
  field->SelectAll();
  wxMessageBox(message, _("Preferences"), wxOK | wxICON_ERROR, this);
}

bool PreferencesFrame::Validate(long& noActivity, long& filePort, long& proxyPort) {
  if (!ParseNumber(m_noActivity->GetValue(), kMinNoActivity, kMaxNoActivity, noActivity)) {
    Refuse(m_noActivity, wxString::Format(_("The delay before \"no activity\" must be a whole number of seconds "
                                            "from %ld to %ld."),
                                          kMinNoActivity, kMaxNoActivity));
    return false;
  }
  if (!ParseNumber(m_filePort->GetValue(), 1, 65535, filePort)) {
    Refuse(m_filePort, _("The port for file transfers must be a whole number from 1 to 65535."));
    return false;
  }
  wxString host = m_proxyHost->GetValue();
  host.Trim(true).Trim(false);
  if (m_proxy->GetValue() && (host.empty() || host.find_first_of(" \t") != wxString::npos)) {
    Refuse(m_proxyHost, _("The proxy host must be a host name or an address, without spaces."));
    return false;
  }
  if (!ParseNumber(m_proxyPort->GetValue(), 1, 65535, proxyPort)) {
    Refuse(m_proxyPort, _("The proxy port must be a whole number from 1 to 65535."));
    return false;
  }
  return true;
}

bool PreferencesFrame::Save() {
  TRACE_START();
  long noActivity = 0, filePort = 0, proxyPort = 0;
  if (!Validate(noActivity, filePort, proxyPort)) {
    TRACE_END_RESULT("not saved");
    return false;
  }
  Config* config = Config::GetInstance();
  const StoredPreferences before = StoredPreferences::From(*config);
  StoredPreferences chosen = before;
  chosen.noActivity = static_cast<int>(noActivity);
  wxString host = m_proxyHost->GetValue();
  chosen.proxyHost = wx2std(host.Trim(true).Trim(false));
  chosen.proxyPort = static_cast<unsigned short>(proxyPort);
  chosen.defaultStatus = static_cast<t_status>(m_status->GetSelection());
  chosen.rememberClose = !m_ask->GetValue();
  if (chosen.rememberClose) chosen.close = !m_reduce->GetValue();
  chosen.visibleOnStart = m_visibleOnStart->GetValue();
  chosen.retryOnFailure = m_retry->GetValue();
  chosen.proxy = m_proxy->GetValue();
  chosen.alwaysTop = m_alwaysTop->GetValue();
  chosen.autoConnect = m_autoConnect->GetValue();
  chosen.filePort = static_cast<int>(filePort);
  chosen.StoreInto(*config);
  if (!config->Save()) {
    // Nothing of a save that failed stays: the settings are as before, the window keeps the
    // user's choice for a later Save or Cancel.
    before.StoreInto(*config);
    TRACE_INFO("Error: not saved");
    wxMessageBox(_("Impossible to save your current configuration in ") + std2wx(Config::GetUserPath()) +
                     "parlavox.xml.",
                 _("Save error"), wxOK | wxICON_ERROR);
    TRACE_END_RESULT("file not written");
    return false;
  }
  // What the settings now hold takes effect.
  if (m_host) m_host->SetAlwaysTopStatus(chosen.alwaysTop);
  if (chosen.filePort != before.filePort && m_manager) m_manager->RestartFileServer();
  m_save->Enable(false);
  m_cancel->Enable(true);
  TRACE_END();
  return true;
}

void PreferencesFrame::EnableSave(wxCommandEvent&) {
  m_save->Enable(true);
  m_cancel->Enable(true);
}

void PreferencesFrame::OnProxyChanged(wxCommandEvent& event) {
  m_proxyHost->Enable(m_proxy->GetValue());
  m_proxyPort->Enable(m_proxy->GetValue());
  EnableSave(event);
}

void PreferencesFrame::OnSave(wxCommandEvent&) {
  TRACE_START();
  // A wrong field keeps the window open for the correction.
  if (Save()) Show(false);
  TRACE_END();
}

void PreferencesFrame::OnCancel(wxCommandEvent&) {
  TRACE_START();
  Cancel();
  Show(false);
  TRACE_END();
}

void PreferencesFrame::OnHelp(wxMouseEvent&) {
  TRACE_START();
  browser::OpenUserGuide("preferences");
  TRACE_END();
}
