// The content of the notification pop-up, in one of four forms: two coloured lines (1), one
// coloured line (2), a picture with a contact's presence (3), or a picture with two lines (4).
#ifndef PARLAVOX_GUI_NOTIFYPANEL_H
#define PARLAVOX_GUI_NOTIFYPANEL_H

#include <wx/bitmap.h>
#include <wx/panel.h>

#include "model/contactInfo.h"

class wxStaticBitmap;
class wxStaticText;

class NotifyPanel : public wxPanel {
 public:
  NotifyPanel(wxWindow* parent, const wxString& text, const wxColour& colour, const wxString& text2,
              const wxColour& colour2);
  NotifyPanel(wxWindow* parent, const wxString& text, const wxColour& colour);
  NotifyPanel(wxWindow* parent, const wxString& text, const wxBitmap& bitmap, t_status status);
  NotifyPanel(wxWindow* parent, const wxString& text, const wxBitmap& bitmap, const wxString& text2);

  // Refills the panel; what its form does not show is ignored.
  void SetContent(const wxString& text, const wxColour& colour, const wxString& text2, const wxColour& colour2,
                  const wxBitmap& bitmap, t_status status);

  // The second line of form 3: "is online" and so on; empty for an unknown status.
  static wxString StatusText(int status);

 private:
  // What a label was last given and fitted to.
  struct Fitted {
    wxString text;
    int width = -1;
    bool onScreen = false;
  };

  wxStaticText* MakeLabel(const wxString& text, long style, const wxColour& colour);
  void Finish(wxSizer* sizer);
  // Gives `label` its text, its lines broken at `width`. A label on screen that already shows
  // that text at that width keeps it as it is, unmeasured: a stream of presence notices repeats
  // the same second line, and measuring text lays it out in the toolkit each time.
  void SetText(wxStaticText* label, Fitted& fitted, const wxString& text, int width);

  int m_layout;
  wxStaticBitmap* m_bitmap = nullptr;
  // The picture m_bitmap was last given.
  wxBitmap m_shownBitmap;
  wxStaticText* m_text = nullptr;
  wxStaticText* m_text2 = nullptr;
  Fitted m_fitted;
  Fitted m_fitted2;
};

#endif
