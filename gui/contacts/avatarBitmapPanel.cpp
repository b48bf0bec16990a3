#include "gui/contacts/avatarBitmapPanel.h"

#include <wx/generic/statbmpg.h>
#include <wx/sizer.h>

#include "gui/contacts/contactEntry.h"
#include "widgets/cachedLook.h"

AvatarBitmapPanel::AvatarBitmapPanel(ContactEntry* row) : wxPanel(row, wxID_ANY) {
  SetBackgroundColour(*wxWHITE);
  m_bitmap = new PictureWindow(this, wxID_ANY, wxNullBitmap);
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(m_bitmap, 0, 0, 0);
  SetSizer(sizer);
  m_bitmap->Bind(wxEVT_ENTER_WINDOW, &ContactEntry::OnMouseEnter, row);
  m_bitmap->Bind(wxEVT_LEAVE_WINDOW, &ContactEntry::OnMouseLeave, row);
  m_bitmap->Bind(wxEVT_LEFT_UP, &ContactEntry::OnMouseLeftDClick, row);
  m_bitmap->Bind(wxEVT_RIGHT_DOWN, &ContactEntry::OnMouseRightDown, row);
}

AvatarBitmapPanel::~AvatarBitmapPanel() {}

void AvatarBitmapPanel::SetBitmap(const wxBitmap& bitmap) {
  m_bitmap->SetBitmap(bitmap);
  m_bitmap->SetMinSize(bitmap.IsOk() ? bitmap.GetSize() : wxSize(0, 0));
  // The panel takes the picture's size, whatever size the row gave it before: the large avatar
  // of a profile or a tip shows whole, not its top-left corner.
  if (bitmap.IsOk()) SetMinSize(bitmap.GetSize());
  InvalidateBestSize();
}
