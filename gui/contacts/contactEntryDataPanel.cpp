#include "gui/contacts/contactEntryDataPanel.h"

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/contactPictures.h"
#include "gui/statusLook.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "widgets/shownText.h"
#include "widgets/cachedLook.h"

namespace {

// Longest location or name shown; the rest is cut with an ellipsis.
const size_t kMaxShown = 64;

const wxBitmap* GenderBitmap(int gender) {
  switch (gender) {
    case GENDER_NONE: return &contactPictures::NoGender();
    case GENDER_MAN: return &contactPictures::Mars();
    case GENDER_WOMAN: return &contactPictures::Venus();
    default: return nullptr;
  }
}

}  // namespace

ContactEntryDataPanel::ContactEntryDataPanel(ContactEntry* row, Manager* manager, const ContactInfo& info)
    : wxPanel(row, wxID_ANY), m_manager(manager), m_login(info.GetLogin()) {
  m_shownName = ShownName(m_login, info.GetImType());
  Bind(wxEVT_RIGHT_DOWN, &ContactEntry::OnMouseRightDown, row);
  Bind(wxEVT_LEFT_UP, &ContactEntry::OnMouseLeftDClick, row);
  SetBackgroundColour(*wxWHITE);
  Hide();
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  wxBoxSizer* line1 = new wxBoxSizer(wxHORIZONTAL);
  wxBoxSizer* line2 = new wxBoxSizer(wxHORIZONTAL);
  wxBoxSizer* line3 = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(line1, 0, 0, 0);
  sizer->Add(2, 2, 0, 0, 0);
  sizer->Add(line2, 0, 0, 0);
  sizer->Add(2, 2, 0, 0, 0);
  sizer->Add(line3, 0, 0, 0);
  SetSizer(sizer);

  TRACE_INFO("Gender : %d", info.GetGender());
  const int gender = info.GetGender();
  const bool pictured = gender == GENDER_MAN || gender == GENDER_WOMAN;
  m_genderBitmap = new wxStaticBitmap(this, wxID_ANY, pictured ? *GenderBitmap(gender) : wxBitmap(),
                                      wxDefaultPosition, pictured ? wxDefaultSize : wxSize(1, 1), 0);
  line1->Add(m_genderBitmap, 0, wxALIGN_CENTER_VERTICAL, 0);
  if (pictured) line1->Add(4, 4, 0, 0, 0);
  TRACE_INFO("birth date");
  m_age = AgeText(info);
  m_ageText = AddText(row, m_age);
  line1->Add(m_ageText, 0, wxALIGN_CENTER_VERTICAL, 0);
  TRACE_INFO("country/city");
  m_location = LocationText(info);
  m_locationText = AddText(row, m_location);
  line2->Add(m_locationText, 0, wxALIGN_CENTER_VERTICAL, 0);
  line2->Add(4, 4, 0, 0, 0);
  m_statusText = AddText(row, wxString());
  line3->Add(m_statusText, 0, 0, 0);
  SetStatus(info.GetStatus());
}

ContactEntryDataPanel::~ContactEntryDataPanel() {}

wxStaticText* ContactEntryDataPanel::AddText(wxWindow* row, const wxString& label) {
  wxStaticText* text = new LabelText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0);
  text->SetLabelText(label);
  text->Bind(wxEVT_RIGHT_DOWN, &ContactEntry::OnMouseRightDown, static_cast<ContactEntry*>(row));
  text->Bind(wxEVT_LEFT_UP, &ContactEntry::OnMouseLeftDClick, static_cast<ContactEntry*>(row));
  return text;
}

std::string ContactEntryDataPanel::ShownName(const std::string& login, const std::string& imType) {
  if (imType == "parlavox") return login;
  const size_t at = login.rfind('@');
  return at == std::string::npos ? login : login.substr(0, at);
}

wxString ContactEntryDataPanel::AgeText(const ContactInfo& info) const {
  if (info.GetBirthDay() == 0) return _("(age unknown)");
  return wxString::Format(_("%d years"), info.GetAge());
}

wxString ContactEntryDataPanel::LocationText(const ContactInfo& info) const {
  const std::string city = info.GetCity(), country = info.GetCountry();
  if (!city.empty() || !country.empty()) return shown::OneLine(city + " (" + country + ")", kMaxShown);
  if (info.GetImType() != "parlavox") {
    if (MessengerProtocolInfo* protocol = m_manager->GetMessengerProtocol(info.GetImType()))
      return shown::OneLine(protocol->GetDescription(), kMaxShown);
  }
  return _("(location unknown)");
}

void ContactEntryDataPanel::SetStatus(t_status status) {
  m_status = shown::OneLine(m_shownName, kMaxShown) + " " + _("is") + " " + statusLook::Name(status);
  ShowText(m_statusText, m_status);
}

void ContactEntryDataPanel::FitTo(int width) {
  if (width == m_width) return;
  m_width = width;
  ShowText(m_ageText, m_age);
  ShowText(m_locationText, m_location);
  ShowText(m_statusText, m_status);
}

// Each text stands after what its line holds before it (the gender's picture before the age); a
// text that does not fit ends in an ellipsis, on one line.
void ContactEntryDataPanel::ShowText(wxStaticText* text, const wxString& whole) {
  wxString shown = whole;
  if (m_width >= 0) {
    const int before = text->GetContainingSizer()->CalcMin().x - text->GetEffectiveMinSize().x;
    shown = shown::Fitted(whole, text, text->GetFont(), m_width - before - 2);
  }
  if (shown != text->GetLabelText()) text->SetLabelText(shown);
}

void ContactEntryDataPanel::UpdateContactInfo(const ContactInfo& info) {
  m_login = info.GetLogin();
  m_age = AgeText(info);
  m_location = LocationText(info);
  ShowText(m_ageText, m_age);
  ShowText(m_locationText, m_location);
  if (const wxBitmap* gender = GenderBitmap(info.GetGender())) {
    m_genderBitmap->SetBitmap(*gender);
    m_genderBitmap->SetMinSize(gender->GetSize());
  }
  m_shownName = ShownName(m_login, info.GetImType());
  SetStatus(info.GetStatus());
  Layout();
}

