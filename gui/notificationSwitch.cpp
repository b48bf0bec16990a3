#include "gui/notificationSwitch.h"

#include <wx/sizer.h>
#include <wx/statbmp.h>

#include "model/stringConversion.h"

NotificationSwitch::NotificationSwitch(wxWindow* parent, const wxBitmap& bitmap, const std::string& key)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), m_key(key) {
  SetBackgroundColour(*wxWHITE);
  SetName(std2wx(key));
  m_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap, wxDefaultPosition, wxDefaultSize, 0);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(m_bitmap, 0, 0, 0);
  SetSizer(sizer);
}

void NotificationSwitch::SetState(const wxBitmap& bitmap, const wxString& tip) {
  m_bitmap->SetBitmap(bitmap);
  SetToolTip(tip);
  m_bitmap->SetToolTip(tip);
}
