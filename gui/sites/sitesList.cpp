// The list of sites: its lines.
#include "gui/sites/sitesList.h"

#include <wx/clntdata.h>
#include <wx/generic/statbmpg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "core/application.h"
#include "gui/pictures.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "gui/sites/siteText.h"
#include "widgets/cachedLook.h"

namespace {

// A picture that acts as a button: generic, since GTK's own gives a picture no mouse events.
wxGenericStaticBitmap* IconButton(wxWindow* parent, const char* image, const wxString& tip) {
  auto* icon = new PictureWindow(parent, wxID_ANY, pictures::Load(image, 16));
  icon->SetToolTip(tip);
  icon->SetCursor(wxCursor(wxCURSOR_HAND));
  return icon;
}

}  // namespace

SitesList::SitesList(wxWindow* parent, Manager* manager, const wxString& title, t_site_status status, bool recommended)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(-1, 80), wxTAB_TRAVERSAL | wxNO_BORDER),
      m_manager(manager),
      m_status(status),
      m_recommended(recommended) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  SetBackgroundColour(*wxWHITE);
  auto* top = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(top, 0, wxEXPAND, 0);
  top->AddSpacer(4);
  top->Add(new wxStaticText(this, wxID_ANY, title), 0, 0, 0);
  top->AddStretchSpacer(1);
  if (!m_recommended) {
    wxGenericStaticBitmap* add = IconButton(this, "add.png", _("Click to add a new site"));
    add->Bind(wxEVT_LEFT_DOWN, &SitesList::OnAddWebSite, this);
    top->Add(add, 0, 0, 0);
  }
  wxGenericStaticBitmap* remove = IconButton(this, "redclose.png", _("Click to remove selected sites"));
  remove->Bind(wxEVT_LEFT_DOWN, &SitesList::OnRemoveWebSites, this);
  top->Add(remove, 0, 0, 0);
  top->AddSpacer(4);
  m_listBox = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxSize(-1, 200), 0, nullptr,
                            wxLB_SORT | wxLB_MULTIPLE | wxLB_ALWAYS_SB);
  m_listBox->Bind(wxEVT_KEY_UP, &SitesList::OnKeyEvent, this);
  m_listBox->Bind(wxEVT_LISTBOX_DCLICK, &SitesList::OnSiteSelected, this);
  sizer->Add(m_listBox, 1, wxEXPAND | wxRIGHT, 2);
  top->Layout();
}

SitesList::~SitesList() = default;

void SitesList::Clear() { m_listBox->Clear(); }

void SitesList::AddWebSite(const std::string& url) {
  const wxString text = siteText::Shown(m_manager->GetChatRoomName(url));
  if (m_listBox->FindString(text, false) != wxNOT_FOUND) return;
  if (m_recommended && m_listBox->GetCount() >= kMaxRecommended) {
    TRACE_INFO("recommended list full: %s left out", url.c_str());
    return;
  }
  m_listBox->Append(text, new wxStringClientData(std2wx(url)));
}

void SitesList::RemoveWebSite(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  // The same rule as adding: a line added in other letters goes too.
  const int found = m_listBox->FindString(siteText::Shown(m_manager->GetChatRoomName(url)), false);
  if (found == wxNOT_FOUND) {
    TRACE_END_RESULT("not found");
    return;
  }
  m_listBox->Delete(found);
  TRACE_END_RESULT("found");
}

std::string SitesList::GetAddress(unsigned index) const {
  if (index >= m_listBox->GetCount()) return std::string();
  if (auto* data = dynamic_cast<wxStringClientData*>(m_listBox->GetClientObject(index)))
    return wx2std(data->GetData());
  return "http://" + wx2std(m_listBox->GetString(index));
}
