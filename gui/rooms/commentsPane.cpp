#include "gui/rooms/commentsPane.h"

#include "gui/webBrowser.h"
#include "model/log.h"
#include "model/stringConversion.h"

CommentsPane::CommentsPane(wxWindow* parent, wxWindowID id)
    : wxHtmlWindow(parent, id, wxDefaultPosition, wxDefaultSize, wxHW_SCROLLBAR_AUTO, "htmlWindow") {
  SetBackgroundColour(*wxWHITE);
}

wxHtmlOpeningStatus CommentsPane::OnOpeningURL(wxHtmlURLType, const wxString& url, wxString*) const {
  TRACE_INFO("blocked %s", wx2std(url).c_str());
  return wxHTML_BLOCK;
}

void CommentsPane::OnLinkClicked(const wxHtmlLinkInfo& link) {
  const wxString target = link.GetHref();
  const bool web = target.Lower().StartsWith("http://") || target.Lower().StartsWith("https://");
  bool clean = true;
  for (wxUniChar c : target) clean = clean && c >= 0x20 && c != 0x7f;
  if (web && clean) browser::Open(wx2std(target));
  else TRACE_INFO("link ignored %s", wx2std(target).c_str());
}

void CommentsPane::ShowPage(const std::string& bytes) {
  wxString page = wxString::FromUTF8(bytes.data(), bytes.size());
  if (page.empty() && !bytes.empty()) page = wxString(bytes.data(), wxConvISO8859_1, bytes.size());
  SetPage(page);
}
