// The site's window: saving the switches into the site's record and the settings file,
// cancelling, closing, and the help link.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/msgdlg.h>

#include "core/application.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "gui/webBrowser.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace {

// Told once the handler has returned, over the program's main window: the site's window may go
// with its site while the box is open.
void ReportNotSaved() {
  const wxString text =
      _("Impossible to save your current configuration in ") + std2wx(Config::GetUserPath()) + "parlavox.xml.";
  wxTheApp->CallAfter([text] {
    wxMessageBox(text, _("Save error"), wxOK | wxICON_ERROR, wxTheApp->GetTopWindow());
  });
}

}  // namespace

void WebSiteInfoFrame::OnSave(wxCommandEvent&) {
  TRACE_START_ARGS("%s", m_url.c_str());
  // A save that fails leaves the record as it was; the switches keep the user's choice (the
  // buttons stay enabled, so the focus does not reload them) for a later Save or Cancel.
  if (!m_manager->SaveSiteNotifications(m_url, m_notifications)) {
    TRACE_INFO("Error: not saved");
    ReportNotSaved();
    TRACE_END();
    return;
  }
  EnableButtons(false);
  Show(false);
  TRACE_END();
}

void WebSiteInfoFrame::OnCancel(wxCommandEvent&) {
  TRACE_START();
  EnableButtons(false);
  Show(false);
  TRACE_END();
}

void WebSiteInfoFrame::OnClose(wxCloseEvent& event) {
  TRACE_START();
  EnableButtons(false);
  if (event.CanVeto()) {
    Show(false);
    event.Veto();
  } else {
    Destroy();
  }
  TRACE_END();
}

void WebSiteInfoFrame::OnHelp(wxMouseEvent&) {
  TRACE_START();
  browser::OpenUserGuide("site");
  TRACE_END();
}
