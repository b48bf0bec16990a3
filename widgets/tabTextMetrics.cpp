#include "widgets/tabTextMetrics.h"

#include <wx/dcmemory.h>
#include <wx/settings.h>

wxFont BoldTabFont() {
  wxFont bold = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  return bold;
}

wxSize MeasureBoldTabText() {
  wxBitmap bmp(10, 10);
  wxMemoryDC dc(bmp);
  dc.SetFont(BoldTabFont());
  wxCoord w = 0, h = 0;
  dc.GetTextExtent(wxT("Tp"), &w, &h);
  dc.SelectObject(wxNullBitmap);
  return wxSize(w, h);
}
