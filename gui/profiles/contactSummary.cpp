#include "gui/profiles/contactSummary.h"

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/profiles/contactInfoPanel.h"
#include "model/stringConversion.h"

ContactSummary::ContactSummary(Manager* manager, wxWindow* parent, const ContactInfo& info)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_info(info) {
  SetBackgroundColour(*wxWHITE);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  m_avatar = new wxStaticBitmap(this, wxID_ANY, wxNullBitmap);
  row->Add(m_avatar, 0, wxALL, 4);
  auto* texts = new wxBoxSizer(wxVERTICAL);
  m_nickname = new wxStaticText(this, wxID_ANY, wxEmptyString);
  m_nickname->SetFont(m_nickname->GetFont().Bold());
  m_mood = new wxStaticText(this, wxID_ANY, wxEmptyString);
  m_details = new wxStaticText(this, wxID_ANY, wxEmptyString);
  for (wxStaticText* text : {m_nickname, m_mood, m_details}) texts->Add(text, 0, wxTOP, 2);
  row->Add(texts, 1, wxEXPAND | wxLEFT | wxRIGHT, 4);
  SetSizer(row);
  UpdateContactInfo(info);
  UpdateAvatar(false);
}

void ContactSummary::UpdateContactInfo(const ContactInfo& info) {
  m_info = info;
  m_nickname->SetLabelText(std2wx(info.GetNickname()));
  m_nickname->SetForegroundColour(MainFrame::GetColourFromStatus(info.GetStatus()));
  m_mood->SetLabelText(std2wx(info.GetMood()));
  wxString details = info.GetGender() == 2 ? _("Woman") : info.GetGender() == 1 ? _("Man") : wxString();
  const int age = info.GetAge();
  if (age > 0) details += (details.empty() ? "" : ", ") + wxString::Format(_("%d years"), age);
  details += (details.empty() ? "" : ", ") + ContactInfoPanel::LocationText(m_manager, info);
  m_details->SetLabelText(details);
  Layout();
}

void ContactSummary::UpdateAvatar(bool ask) {
  m_avatar->SetBitmap(m_manager->GetAvatar(m_info.GetLogin(), false, ask, BORDER_SIMPLE, m_info.IsBlocked()));
  Layout();
}
