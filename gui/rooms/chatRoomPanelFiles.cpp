// The chat-room page and file transfers: a notice for each change of state of a transfer of the
// room (no time stamp, none for progress), another user's offer with its "Download" link, and
// the user's own offer, chosen with the input's send-file tool, with its "Cancel" link.
#include <wx/filedlg.h>
#include <wx/intl.h>
#include <wx/weakref.h>

#include "core/application.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/fileOffer.h"
#include "model/fileMessage.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace {

const wxColour kNoticeColour(0, 136, 0);
const wxColour kRefusedColour(255, 0, 0);

}  // namespace

void ChatRoomPanel::AddFileMessage(FileMessage* message) {
  TRACE_START_ARGS("%s %d", message->GetFileKey().c_str(), int(message->GetStatus()));
  const t_fm_status status = message->GetStatus();
  const wxString text = fileoffer::NoticeText(status, message->IsDownload(), std2wx(message->GetText()),
                                              std2wx(message->GetNickname()), message->GetFileSize());
  if (text.empty()) {
    TRACE_END_RESULT("nothing to show");
    return;
  }
  if (status != FM_OFFERED) {
    WriteFileNotice(text, kNoticeColour);
    TRACE_END();
    return;
  }
  // An offer that could not be fetched (a key or a port no peer gives) is shown without its link.
  const std::string key = message->GetFileKey();
  const int port = message->GetPort();
  if (!fileoffer::IsFileKey(key) || port < 1 || port > 65535) {
    WriteFileNotice(text, kNoticeColour);
    TRACE_END_RESULT("offer shown without its link: key %s, port %d", key.c_str(), port);
    return;
  }
  WriteFileNotice(text, kNoticeColour, _("Download"),
                  fileoffer::DownloadTarget(key, message->GetLogin(), message->GetHost(), port, message->GetText()));
  TRACE_END();
}

void ChatRoomPanel::WriteFileNotice(const wxString& text, const wxColour& colour, const wxString& linkText,
                                    const std::string& linkTarget) {
  Line line;
  line.notice = true;
  line.stamped = false;
  line.text = wx2std(text);
  line.time = time(nullptr);
  line.colour = colour;
  line.linkText = linkText;
  line.linkTarget = linkTarget;
  Submit(std::move(line));
}

void ChatRoomPanel::WriteLink(const Line& line) {
  wxRichTextAttr style;
  style.SetTextColour(line.linkTarget.empty() ? *wxBLACK : *wxBLUE);
  style.SetFontUnderlined(!line.linkTarget.empty());
  if (line.linkTarget.empty()) {
    // A link already used: its word, plain and bold.
    style.SetFontWeight(wxFONTWEIGHT_BOLD);
    m_chatText->BeginStyle(style);
    m_chatText->WriteText(line.linkText);
    m_chatText->EndStyle();
    return;
  }
  m_chatText->BeginStyle(style);
  m_chatText->BeginURL(std2wx(line.linkTarget));
  m_chatText->WriteText(line.linkText);
  m_chatText->EndURL();
  m_chatText->EndStyle();
}

void ChatRoomPanel::SendFile() {
  TRACE_START_ARGS("%s", m_url.c_str());
  if (!IsOpen()) {
    TRACE_END_RESULT("page closing");
    return;
  }
  if (!m_manager->IsConnected()) {
    WriteFileNotice(_("You are not connected: no file can be offered."), kRefusedColour);
    TRACE_END_RESULT("not connected");
    return;
  }
  // The dialog belongs to the window, not to the page: a page may close while it is open.
  wxWeakRef<ChatRoomPanel> page(this);
  wxFileDialog dialog(wxGetTopLevelParent(this), _("Send file..."), wxEmptyString, wxEmptyString, "*", wxFD_OPEN);
  const bool chosen = dialog.ShowModal() == wxID_OK;
  if (!page || !chosen) {
    TRACE_END_RESULT("%s", page ? "no file chosen" : "page gone");
    return;
  }
  const std::string path = wx2std(dialog.GetPath());
  const std::string name = wx2std(dialog.GetFilename());
  const std::string key = m_manager->SendFile(m_url, path, name);
  if (key.empty()) {
    WriteFileNotice(_("File ") + std2wx(name) + _(" could not be offered"), kRefusedColour);
    TRACE_END_RESULT("not offered");
    return;
  }
  UploadFile(key, name);
  TRACE_END();
}

void ChatRoomPanel::UploadFile(const std::string& key, const std::string& fileName) {
  TRACE_START_ARGS("%s, %s", key.c_str(), fileName.c_str());
  WriteFileNotice(_("Parlavoxers can now download ") + std2wx(fileName) + _(": "), kNoticeColour, _("Cancel"), key);
  // The user's own offer is always brought into view.
  FlushLines();
  m_chatText->ShowPosition(m_chatText->GetLastPosition());
  TRACE_END();
}
