// The pane that shows a site's comments page. It fetches nothing by itself (no pictures, no
// frames, no redirection: the page comes from the network and is shown as text and layout
// only), and a click on a web link opens the user's browser; other links do nothing.
#ifndef PARLAVOX_GUI_ROOMS_COMMENTSPANE_H
#define PARLAVOX_GUI_ROOMS_COMMENTSPANE_H

#include <wx/html/htmlwin.h>

class CommentsPane : public wxHtmlWindow {
 public:
  CommentsPane(wxWindow* parent, wxWindowID id);

  wxHtmlOpeningStatus OnOpeningURL(wxHtmlURLType type, const wxString& url, wxString* redirect) const override;
  void OnLinkClicked(const wxHtmlLinkInfo& link) override;
  // Shows a page from the network; bytes that are not UTF-8 are read as Latin-1.
  void ShowPage(const std::string& bytes);
};

#endif
