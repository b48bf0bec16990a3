// The chat-room page's links: a web address opens in the browser, a sender's name asks for the
// colour of that member's lines, "Download" under another user's offer saves the file where the
// user says, "Cancel" under the user's own offer withdraws it. A used link becomes a plain word.
#include <wx/colordlg.h>
#include <wx/filedlg.h>
#include <wx/intl.h>
#include <wx/weakref.h>

#include "core/application.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/fileOffer.h"
#include "gui/webBrowser.h"
#include "model/fileMessage.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace {

// The range of the display's text run that links to `target`: the one holding `clicked` when
// there is one, else the first; false when the display has none.
bool FindLink(wxRichTextCtrl* display, const wxString& target, long clicked, wxRichTextRange* found) {
  bool any = false;
  for (wxRichTextObject* paragraph : display->GetBuffer().GetChildren()) {
    auto* box = dynamic_cast<wxRichTextCompositeObject*>(paragraph);
    if (!box) continue;
    for (wxRichTextObject* child : box->GetChildren()) {
      if (child->GetAttributes().GetURL() != target) continue;
      const wxRichTextRange range = child->GetRange();
      if (!any || range.Contains(clicked)) *found = range;
      any = true;
      if (range.Contains(clicked)) return true;
    }
  }
  return any;
}

}  // namespace

void ChatRoomPanel::OnURL(wxTextUrlEvent& event) {
  const std::string target = wx2std(event.GetString());
  TRACE_START_ARGS("%s", target.c_str());
  const fileoffer::Link link = fileoffer::Classify(target);
  switch (link.kind) {
    case fileoffer::Link::kWeb:
      browser::Open(target);
      break;
    case fileoffer::Link::kContact:
      ChooseColour(link.login);
      break;
    case fileoffer::Link::kDownload:
      Download(target, link.key, link.fileName, event.GetURLStart());
      break;
    case fileoffer::Link::kCancel:
      m_manager->CancelUploadFile(link.key);
      ReplaceLink(target, event.GetURLStart(), _("Canceled"));
      break;
    case fileoffer::Link::kNone:
      TRACE_INFO("nothing to do");
      break;
  }
  TRACE_END();
}

void ChatRoomPanel::ChooseColour(const std::string& login) {
  // The dialogs belong to the window, not to the page: a page may close while one is open.
  wxWeakRef<ChatRoomPanel> page(this);
  // The dialog opens on the colour the member's lines have now.
  wxColourData current;
  current.SetColour(SenderColour(login, false));
  wxColourDialog dialog(wxGetTopLevelParent(this), &current);
  const bool chosen = dialog.ShowModal() == wxID_OK;
  if (!page || !chosen) return;
  // Lines written from now on take the colour; those shown keep theirs.
  m_contactColours[login] = dialog.GetColourData().GetColour();
  TRACE_INFO("%s: %s", login.c_str(), wx2std(m_contactColours[login].GetAsString(wxC2S_HTML_SYNTAX)).c_str());
}

void ChatRoomPanel::Download(const std::string& target, const std::string& key, const std::string& fileName,
                             long clicked) {
  wxWeakRef<ChatRoomPanel> page(this);
  // The peer's name is only proposed, made safe: the file goes where the user says.
  wxFileDialog dialog(wxGetTopLevelParent(this), _("Receive file..."), wxEmptyString,
                      fileoffer::ProposedName(std2wx(fileName)), "*", wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  const bool chosen = dialog.ShowModal() == wxID_OK;
  if (!page || !chosen) return;
  if (!m_manager->IsConnected() || !m_manager->HasFileOffer(key)) {
    // Not an offer this program holds, or no connection to fetch it with: nothing starts, and
    // the link stays.
    WriteFileNotice(fileoffer::NoticeText(FM_NOT_AVAILABLE, true, std2wx(fileName), wxString(), 0),
                    wxColour(0, 136, 0));
    return;
  }
  const std::string path = wx2std(dialog.GetPath());
  TRACE_INFO("%s into %s", key.c_str(), path.c_str());
  m_manager->DownloadFile(key, path);
  ReplaceLink(target, clicked, _("(selected)"));
}

void ChatRoomPanel::ReplaceLink(const std::string& target, long clicked, const wxString& word) {
  wxRichTextRange range;
  if (FindLink(m_chatText, std2wx(target), clicked, &range)) {
    const long start = range.GetStart();
    m_chatText->Remove(start, range.GetEnd() + 1);
    m_chatText->SetInsertionPoint(start);
    // Plain text like the notice around it, bold black, no link.
    wxRichTextAttr plain = m_noticeStyle;
    plain.SetTextColour(*wxBLACK);
    m_chatText->BeginStyle(plain);
    m_chatText->WriteText(word);
    m_chatText->EndStyle();
    m_chatText->SetInsertionPointEnd();
    m_chatText->SetAndShowDefaultStyle(wxRichTextAttr());
  }
  // The line keeps its word in what the save describes.
  for (Line& line : m_written)
    if (line.linkTarget == target) {
      line.linkTarget.clear();
      line.linkText = word;
      break;
    }
}
