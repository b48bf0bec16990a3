#include "gui/sites/extensionButtonBitmap.h"

#include <wx/sizer.h>

ExtensionButtonBitmap::ExtensionButtonBitmap(wxWindow* parent, int bitmapId)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxBORDER_NONE),
      m_bitmapId(bitmapId) {
  SetBackgroundColour(wxColour(200, 200, 200, 255));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  m_bitmap = new wxStaticBitmap(this, bitmapId, wxNullBitmap);
  sizer->Add(m_bitmap, 0, 0, 0);
}

void ExtensionButtonBitmap::SetBitmap(const wxBitmap& bitmap) {
  m_bitmap->SetBitmap(bitmap);
  Layout();
}
