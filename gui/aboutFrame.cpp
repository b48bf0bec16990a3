#include "gui/aboutFrame.h"

#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "gui/webBrowser.h"
#include "model/config.h"
#include "model/log.h"
#include "model/version.h"

AboutFrame::AboutFrame(wxFrame* parent) : MyMiniFrame(parent, _("About Parlavox")) {
  TRACE_START();
  wxSizer* sizer = GetSizer();
  sizer->Add(new wxStaticText(this, wxID_ANY, _("Parlavox Instant Messenger v. ") + kProgramVersion,
                              wxDefaultPosition, wxDefaultSize, wxALIGN_CENTRE),
             0, wxEXPAND | wxTOP, 8);
  sizer->Add(new wxStaticText(this, wxID_ANY, _("a service provided by Tavelor"), wxDefaultPosition,
                              wxDefaultSize, wxALIGN_CENTRE),
             0, wxEXPAND | wxALL, 8);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(row, 0, wxEXPAND | wxALL, 8);
  row->Add(new wxStaticText(this, wxID_ANY, _("Please visit our web site:")), 0, wxEXPAND, 0);
  auto* link = new wxStaticText(this, wxID_ANY, PARLAVOX_WEBSITE);
  link->SetForegroundColour(*wxBLUE);
  link->Bind(wxEVT_LEFT_UP, &AboutFrame::OnOpenWebSite, this);
  row->Add(link, 0, wxEXPAND | wxLEFT, 4);
  SetAutoLayout(true);
  sizer->SetSizeHints(this);
  sizer->Fit(this);
  Layout();
  TRACE_END();
}

bool AboutFrame::Show(bool show) { return MyMiniFrame::Show(show); }

void AboutFrame::OnOpenWebSite(wxMouseEvent&) {
  TRACE_STARTEND();
  browser::Open(PARLAVOX_WEBSITE);
}
