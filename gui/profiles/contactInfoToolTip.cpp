#include "gui/profiles/contactInfoToolTip.h"

#include <wx/generic/statbmpg.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include <algorithm>
#include <vector>

#include "gui/contacts/avatarBitmapPanel.h"
#include "model/contactInfo.h"
#include "model/log.h"
#include "widgets/keptOnTop.h"

ContactInfoToolTip::ContactInfoToolTip(wxWindow* parent, Manager* manager, const ContactInfo& contact)
    : wxFrame(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize,
              wxNO_BORDER | wxFRAME_SHAPED | wxFRAME_TOOL_WINDOW | wxFRAME_NO_TASKBAR),
      m_login(contact.GetLogin()) {
  TRACE_START_ARGS("%s", m_login.c_str());
  SetBackgroundColour(*wxWHITE);
  keptOnTop::Follow(this);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  auto* box = new wxStaticBoxSizer(wxVERTICAL, this, _("Profile"));
  sizer->Add(box, 0, wxEXPAND, 0);
  m_row = new ContactEntry(manager, this, nullptr, contact, CEP_TOOLTIP, false, "none");
  box->Add(m_row, 0, wxEXPAND, 0);
  Bind(wxEVT_LEFT_DOWN, &ContactInfoToolTip::OnLeftDown, this);
  m_row->Bind(wxEVT_LEFT_DOWN, &ContactInfoToolTip::OnLeftDown, this);
  sizer->SetSizeHints(this);
  Refit();
  TRACE_END();
}

void ContactInfoToolTip::InstallForRows() {
  ContactEntry::SetToolTipMaker([](wxWindow* parent, Manager* manager, const ContactInfo& contact) {
    return static_cast<ContactToolTipFace*>(new ContactInfoToolTip(parent, manager, contact));
  });
}

void ContactInfoToolTip::Refit() {
  // The row keeps room for a list's small avatar; the tip draws the large one, whole.
  for (AvatarBitmapPanel* avatar : FindAvatars(m_row)) {
    const wxSize picture = avatar->GetPicture()->GetMinSize();
    const wxSize least = avatar->GetMinSize();
    avatar->SetMinSize(wxSize(std::max(least.x, picture.x), std::max(least.y, picture.y)));
    avatar->Layout();
  }
  m_row->InvalidateBestSize();
  m_row->Layout();
  // Just the size of what it shows: the frame of the "Profile" box ends with the text.
  SetMinSize(wxDefaultSize);
  SetSize(GetSizer()->GetMinSize() + (GetSize() - GetClientSize()));
  Layout();
}

std::vector<AvatarBitmapPanel*> ContactInfoToolTip::FindAvatars(wxWindow* parent) {
  std::vector<AvatarBitmapPanel*> found;
  for (wxWindow* child : parent->GetChildren()) {
    if (auto* avatar = dynamic_cast<AvatarBitmapPanel*>(child)) found.push_back(avatar);
    for (AvatarBitmapPanel* inner : FindAvatars(child)) found.push_back(inner);
  }
  return found;
}

bool ContactInfoToolTip::Show(bool show) {
  // The toolkit's showing without activation comes back here.
  if (!show || m_showing) return wxFrame::Show(show);
  UpdateAvatar();
  if (IsShown()) return false;
  m_showing = true;
  ShowWithoutActivating();
  m_showing = false;
  return IsShown();
}

void ContactInfoToolTip::UpdateContactInfo(const ContactInfo& contact) {
  TRACE_START_ARGS("%s", contact.GetLogin().c_str());
  m_row->UpdateContactInfo(contact);
  m_login = contact.GetLogin();
  Refit();
  TRACE_END();
}

void ContactInfoToolTip::UpdateAvatar() {
  m_row->UpdateAvatar(false);
  Refit();
}

void ContactInfoToolTip::MoveInsideScreen(const wxPoint& position) {
  const int screenWidth = wxSystemSettings::GetMetric(wxSYS_SCREEN_X);
  const int screenHeight = wxSystemSettings::GetMetric(wxSYS_SCREEN_Y);
  const wxSize size = GetSize();
  int y = position.y;
  if (y < 0) y = 0;
  else if (y + size.y + 32 > screenHeight) y = screenHeight - size.y - 32;
  int x = position.x;
  if (x < 0) x = 0;
  else if (x + size.x > screenWidth) x = screenWidth - size.x;
  Move(std::max(0, x), std::max(0, y));
}

void ContactInfoToolTip::OnLeftDown(wxMouseEvent&) { Show(false); }
