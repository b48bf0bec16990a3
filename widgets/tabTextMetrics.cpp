#include "widgets/tabTextMetrics.h"

#include <wx/dcmemory.h>
#include <wx/settings.h>

wxSize MeasureBoldTabText() {
  wxBitmap bmp(10, 10);
  wxMemoryDC dc(bmp);
  wxFont bold = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  dc.SetFont(bold);
  wxCoord w = 0, h = 0;
  dc.GetTextExtent(wxT("Tp"), &w, &h);
  dc.SelectObject(wxNullBitmap);
  return wxSize(w, h);
}
