#include "gui/profiles/messengerInfoPanel.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/intl.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/weakref.h>

#include <algorithm>

#include "core/application.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/messengerDialog.h"
#include "gui/profiles/messengersList.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/messengerInfo.h"
#include "model/stringConversion.h"
#include "widgets/shownText.h"

namespace {

const size_t kShownLogin = 40;
const size_t kShownDescription = 60;

struct StateLook {
  unsigned char red, green, blue;
  const char* caption;
  bool enabled;
};

// By connection state; other values change nothing.
const StateLook* LookOf(int state) {
  static const StateLook kLooks[] = {
      {255, 128, 128, wxTRANSLATE("Connect"), true},         // disconnected
      {255, 128, 128, wxTRANSLATE("Connect"), true},         // connection failed
      {255, 128, 128, wxTRANSLATE("Disconnecting"), false},  // disconnecting
      {178, 198, 255, wxTRANSLATE("Connecting"), false},     // connecting
      {144, 255, 128, wxTRANSLATE("Disconnect"), true},      // connected
  };
  if (state < MESSENGER_DISCONNECTED || state > MESSENGER_CONNECTED) return nullptr;
  return &kLooks[state];
}

bool IsListed(Manager* manager, MessengerInfo* info) {
  std::vector<MessengerInfo*> accounts = manager->GetMessengers();
  return std::find(accounts.begin(), accounts.end(), info) != accounts.end();
}

// Destroyed from the event loop, once no handler of its own runs; nothing when it went with its
// parent meanwhile.
void DestroyLater(wxWindow* window) {
  wxWeakRef<wxWindow> ref(window);
  wxTheApp->CallAfter([ref] {
    if (ref) ref->Destroy();
  });
}

}  // namespace

MessengerInfoPanel::Busy::~Busy() {
  if (--m_row->m_busy == 0 && m_row->m_discarded) DestroyLater(m_row);
}

MessengerInfoPanel::MessengerInfoPanel(wxWindow* parent, MessengersList* list, Manager* manager, MessengerInfo* info)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_list(list),
      m_info(info) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  SetSizer(row);
  SetBackgroundColour(*wxWHITE);
  m_icon = new wxStaticBitmap(this, wxID_ANY, wxNullBitmap);
  row->Add(m_icon, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  row->Add(12, 12);
  m_loginText = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxSize(120, -1), 0);
  row->Add(m_loginText, 1, wxALIGN_CENTER_VERTICAL | wxLEFT, 2);
  auto* buttons = new wxBoxSizer(wxVERTICAL);
  row->Add(buttons, 0, wxRIGHT, 3);
  m_edit = new wxButton(this, wxID_ANY, _("Edit"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_remove = new wxButton(this, wxID_ANY, _("Remove"), wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  m_connect = new wxButton(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
  auto* pair = new wxBoxSizer(wxHORIZONTAL);
  pair->Add(m_edit);
  pair->Add(1, 1);
  pair->Add(m_remove);
  buttons->Add(1, 1);
  buttons->Add(pair);
  buttons->Add(1, 1);
  buttons->Add(m_connect, 0, wxEXPAND);
  m_edit->Bind(wxEVT_BUTTON, &MessengerInfoPanel::OnEdit, this);
  m_remove->Bind(wxEVT_BUTTON, &MessengerInfoPanel::OnRemove, this);
  m_connect->Bind(wxEVT_BUTTON, &MessengerInfoPanel::OnConnect, this);
  Init();
  row->Layout();
  Layout();
  Refresh();
}

wxBitmap MessengerInfoPanel::LoadProtocolIcon(const std::string& protocol) {
  if (protocol.empty()) return wxNullBitmap;
  const std::string name = IMImage::MessengerIconName(protocol);
  if (!IMImage::HasImage(name, false)) return wxNullBitmap;
  wxLogNull quiet;
  wxBitmap icon = IMImage::GetImage(name, false);
  if (!icon.IsOk()) return wxNullBitmap;
  return IMImage::ResizeBitmap(icon, wxSize(24, 24), false, false);
}

void MessengerInfoPanel::Init() {
  const std::string description = m_info->GetDescription();
  m_icon->SetBitmap(LoadProtocolIcon(m_info->GetProtocol()));
  m_icon->SetToolTip(shown::OneLine(description.empty() ? m_info->GetProtocol() : description, kShownDescription));
  const wxString login = shown::OneLine(m_info->GetLogin(), kShownLogin);
  m_loginText->SetLabelText(login);
  if (const StateLook* look = LookOf(m_info->GetStatus())) {
    SetBackgroundColour(wxColour(look->red, look->green, look->blue));
    m_connect->SetLabel(wxGetTranslation(look->caption));
    for (wxButton* button : {m_connect, m_edit, m_remove}) button->Enable(look->enabled);
  }
  // A screen reader hears the state with the login, not only the colour.
  SetName(login + wxT(", ") + m_connect->GetLabel());
  Layout();
  Refresh();
}

void MessengerInfoPanel::Reset() {
  SetBackgroundColour(*wxWHITE);
  Refresh();
}

void MessengerInfoPanel::Discard() {
  Hide();
  m_discarded = true;
  if (m_busy == 0) DestroyLater(this);
}

void MessengerInfoPanel::OnEdit(wxCommandEvent&) {
  TRACE_START_ARGS("%s", m_info->GetLogin().c_str());
  Busy busy(this);
  ContactInfoFrame::ModalGuard guard(this);
  MessengerDialog dialog(wxGetTopLevelParent(this), m_manager, m_info);
  const int answer = dialog.ShowModal();
  // The row, its window or the account may have gone while the dialog ran.
  if (answer != wxID_OK || !guard.WindowLives() || m_discarded || !IsListed(m_manager, m_info)) {
    TRACE_END_RESULT("nothing to do");
    return;
  }
  const bool changed = dialog.HasChanged();
  // The server still knows the account by what it was.
  if (changed) m_manager->DisconnectMessenger(m_info);
  dialog.GetMessengerInfo();
  Init();
  if (changed) {
    Reset();
    m_manager->ConnectMessenger(m_info);
  }
  TRACE_END_RESULT("%d", changed ? 1 : 0);
}

void MessengerInfoPanel::OnRemove(wxCommandEvent&) {
  Busy busy(this);
  m_list->RemoveMessenger(m_info);
}

void MessengerInfoPanel::OnConnect(wxCommandEvent&) {
  Busy busy(this);
  switch (m_info->GetStatus()) {
    case MESSENGER_DISCONNECTED:
    case MESSENGER_FAILED:
      m_manager->ConnectMessenger(m_info);
      break;
    case MESSENGER_CONNECTED:
      m_manager->DisconnectMessenger(m_info);
      break;
    default:
      break;
  }
}
