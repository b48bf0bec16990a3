#include "gui/profiles/messengersList.h"

#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/generic/statbmpg.h>

#include <algorithm>
#include <memory>

#include "core/application.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/messengerDialog.h"
#include "gui/profiles/messengerInfoPanel.h"
#include "model/config.h"
#include "model/log.h"
#include "model/messengerInfo.h"
#include "model/stringConversion.h"
#include "widgets/cachedLook.h"

namespace {

const int kScrollUnit = 28;

}  // namespace

MessengersList::MessengersList(wxWindow* parent, Manager* manager, const wxString&, const wxPoint& pos,
                               const wxSize& size)
    : wxPanel(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL | wxNO_BORDER), m_manager(manager) {
  auto* main = new wxBoxSizer(wxVERTICAL);
  SetSizer(main);
  SetBackgroundColour(*wxWHITE);
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  main->Add(top, 0, wxEXPAND, 0);
  top->AddStretchSpacer(1);
  wxBitmap add;
  const wxString addPath = std2wx(Config::GetImagePath("add.png"));
  if (wxFileExists(addPath)) add.LoadFile(addPath, wxBITMAP_TYPE_PNG);
  m_add = new PictureWindow(this, wxID_ANY, add);
  m_add->SetToolTip(_("Click to add a new messenger"));
  m_add->SetName(_("Click to add a new messenger"));
  m_add->SetCursor(wxCursor(wxCURSOR_HAND));
  m_add->Bind(wxEVT_LEFT_DOWN, &MessengersList::OnAddMessenger, this);
  top->Add(m_add, 0, wxRIGHT, 4);
  m_inner = new wxScrolledWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
  m_innerSizer = new wxBoxSizer(wxVERTICAL);
  m_inner->SetSizer(m_innerSizer);
  m_inner->SetBackgroundColour(*wxWHITE);
  m_inner->SetScrollRate(0, kScrollUnit);
  m_inner->SetVirtualSize(m_inner->GetBestVirtualSize());
  main->Add(m_inner, 1, wxEXPAND | wxALL, 4);
}

MessengerInfoPanel* MessengersList::FindRow(const MessengerInfo* info) const {
  for (MessengerInfoPanel* row : m_rows)
    if (row->GetMessengerInfo() == info) return row;
  return nullptr;
}

void MessengersList::FitRows(bool toTop) {
  m_innerSizer->Layout();
  m_inner->SetVirtualSize(m_inner->GetBestVirtualSize());
  m_inner->Layout();
  m_inner->FitInside();
  if (toTop) {
    int x = 0, y = 0;
    m_inner->GetViewStart(&x, &y);
    m_inner->Scroll(x, 0);
  } else {
    // The last row comes into view.
    const int height = m_inner->GetBestVirtualSize().y;
    m_inner->Scroll(0, std::max(0, (height - kScrollUnit) / kScrollUnit));
  }
}

void MessengersList::AddMessenger(MessengerInfo* info) {
  if (!info || FindRow(info)) return;
  auto* row = new MessengerInfoPanel(m_inner, this, m_manager, info);
  m_rows.push_back(row);
  m_innerSizer->Add(row, 0, wxEXPAND | wxBOTTOM, 2);
  FitRows(false);
}

void MessengersList::TakeRowAway(MessengerInfoPanel* row) {
  m_innerSizer->Detach(row);
  m_rows.erase(std::find(m_rows.begin(), m_rows.end(), row));
  row->Discard();
}

void MessengersList::RemoveMessenger(MessengerInfo* info) {
  if (!info) return;
  TRACE_START_ARGS("%s", info->GetLogin().c_str());
  Freeze();
  if (MessengerInfoPanel* row = FindRow(info)) TakeRowAway(row);
  FitRows(true);
  m_manager->RemoveMessenger(info);
  Thaw();
  TRACE_END();
}

void MessengersList::UpdateMessengerInfo(MessengerInfo* info) {
  if (MessengerInfoPanel* row = FindRow(info)) row->Init();
}

void MessengersList::Reset() {
  for (MessengerInfoPanel* row : m_rows) row->Reset();
}

void MessengersList::Clear() {
  while (!m_rows.empty()) TakeRowAway(m_rows.back());
  FitRows(true);
}

MessengerInfo* MessengersList::AskNewAccount() {
  if (!m_manager->GetMessengerProtocols().empty()) {
    ContactInfoFrame::ModalGuard guard(this);
    MessengerDialog dialog(wxGetTopLevelParent(this), m_manager, nullptr);
    if (dialog.IsUsable()) {
      if (dialog.ShowModal() != wxID_OK || !guard.WindowLives()) return nullptr;
      return dialog.GetMessengerInfo();
    }
  }
  ContactInfoFrame::ModalGuard guard(this);
  wxMessageBox(_("No external messengers are currently available. Please try again later."),
               _("No external messengers available"), wxOK | wxICON_INFORMATION, this);
  return nullptr;
}

void MessengersList::OnAddMessenger(wxMouseEvent&) {
  TRACE_START();
  std::unique_ptr<MessengerInfo> account(AskNewAccount());
  if (account) {
    MessengerInfo* added = account.release();
    m_manager->AddMessenger(added);
    AddMessenger(added);
  }
  TRACE_END();
}
