#include "gui/profiles/contactButtonBitmapNotifier.h"

#include <wx/sizer.h>
#include <wx/statbmp.h>

#include "gui/profiles/contactInfoFrame.h"
#include "model/stringConversion.h"

ContactButtonBitmapNotifier::ContactButtonBitmapNotifier(ContactInfoFrame* parent, const wxBitmap& bitmap,
                                                         const std::string& key)
    : ContactButtonBitmapNotifier(static_cast<wxWindow*>(parent), bitmap, key) {
  m_bitmap->Bind(wxEVT_LEFT_DOWN, &ContactInfoFrame::OnSwitchNotifier, parent);
  // A second quick press comes as a double click; it turns the switch once more all the same.
  m_bitmap->Bind(wxEVT_LEFT_DCLICK, &ContactInfoFrame::OnSwitchNotifier, parent);
}

ContactButtonBitmapNotifier::ContactButtonBitmapNotifier(wxWindow* parent, const wxBitmap& bitmap,
                                                         const std::string& key)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), m_key(key) {
  SetBackgroundColour(*wxWHITE);
  SetName(std2wx(key));
  m_bitmap = new wxStaticBitmap(this, wxID_ANY, bitmap, wxDefaultPosition, wxDefaultSize, 0);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(m_bitmap, 0, 0, 0);
  SetSizer(sizer);
}

void ContactButtonBitmapNotifier::SetState(const wxBitmap& bitmap, const wxString& tip) {
  m_bitmap->SetBitmap(bitmap);
  SetToolTip(tip);
  m_bitmap->SetToolTip(tip);
}
