#include "gui/sites/myButtonBitmapNotifier.h"

#include <wx/sizer.h>
#include <wx/tooltip.h>

#include "gui/sites/webSiteInfoFrame.h"
#include "model/log.h"
#include "widgets/cachedLook.h"

MyButtonBitmapNotifier::MyButtonBitmapNotifier(WebSiteInfoFrame* parent, const wxBitmap& bitmap,
                                               const std::string& key)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER), m_key(key) {
  SetBackgroundColour(*wxWHITE);
  // A generic bitmap: GTK's native one has no window of its own and gets no mouse events.
  m_bitmap = new PictureWindow(this, wxID_ANY, bitmap);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(m_bitmap, 0, 0, 0);
  SetSizer(sizer);
  m_bitmap->Bind(wxEVT_LEFT_DOWN, &WebSiteInfoFrame::OnSwitchNotifier, parent);
  // The toolkit turns the second of two quick presses into a double click: it steps the switch
  // once more all the same.
  m_bitmap->Bind(wxEVT_LEFT_DCLICK, &WebSiteInfoFrame::OnSwitchNotifier, parent);
}

MyButtonBitmapNotifier::~MyButtonBitmapNotifier() = default;

void MyButtonBitmapNotifier::SetBitmap(const wxBitmap& bitmap) { m_bitmap->SetBitmap(bitmap); }

void MyButtonBitmapNotifier::DoSetToolTip(wxToolTip* tip) {
  wxPanel::DoSetToolTip(tip);
  if (m_bitmap) m_bitmap->SetToolTip(tip ? tip->GetTip() : wxString());
}
