// The chat-room page's conversation: messages and notices written at the end of the display,
// with time stamps, sender links, smileys and web links. A burst of lines is written a slice at
// a time when the program is idle, and the display keeps only its latest lines.
#include <wx/app.h>
#include <wx/intl.h>
#include <wx/time.h>
#include <wx/weakref.h>

#include <algorithm>

#include "core/application.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/messageText.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/message.h"
#include "model/smiley.h"
#include "model/stringConversion.h"

namespace {

// How long the pages may write in one turn of the event loop before the rest waits for idle.
const wxLongLong kSliceMs = 10;
// Other users' smileys are shown no larger than this.
const int kLargestSmiley = 256;

// When the current turn's writing began; 0 when nothing was written since the loop was idle.
wxLongLong g_turnStarted = 0;
std::vector<wxWeakRef<ChatRoomPanel>> g_waiting;
bool g_idleBound = false;

bool TurnHasTime() {
  const wxLongLong now = wxGetLocalTimeMillis();
  if (g_turnStarted == 0) g_turnStarted = now;
  return now - g_turnStarted < kSliceMs;
}

size_t ParagraphsOf(bool notice) { return notice ? 1 : 2; }

}  // namespace

void ChatRoomPanel::AddMessage(Message* message) {
  TRACE_START_ARGS("%s", message->GetLogin().c_str());
  Line line;
  line.login = message->GetLogin();
  line.nickname = message->GetNickname();
  line.text = message->GetText();
  line.time = message->GetTime();
  line.colour = SenderColour(line.login, message->IsHistory());
  const bool history = message->IsHistory();
  Submit(std::move(line));
  // The sender's row shows the sender's latest state (one who has left goes).
  if (!history) UpdateContact(*m_manager->GetContactInfo(message->GetLogin()), false, false, false);
  TRACE_END();
}

void ChatRoomPanel::AddAdminMessage(const wxString& text, time_t time, const wxColour* colour) {
  Line line;
  line.notice = true;
  line.text = wx2std(text);
  line.time = time;
  line.colour = colour ? *colour : *wxBLUE;
  Submit(std::move(line));
  m_showClosedNotice = true;
}

void ChatRoomPanel::Submit(Line line) {
  m_pending.push_back(std::move(line));
  // Lines that wait beyond what the display keeps would be taken off again at once.
  while (m_pending.size() > kMaxParagraphs) m_pending.pop_front();
  if (!WritePending(true)) return;
  if (std::find(g_waiting.begin(), g_waiting.end(), this) == g_waiting.end()) g_waiting.emplace_back(this);
  if (!g_idleBound && wxTheApp) {
    wxTheApp->Bind(wxEVT_IDLE, &ChatRoomPanel::OnAppIdle);
    g_idleBound = true;
  }
  wxWakeUpIdle();
}

void ChatRoomPanel::OnAppIdle(wxIdleEvent& event) {
  event.Skip();
  g_turnStarted = 0;
  bool left = false;
  for (wxWeakRef<ChatRoomPanel>& page : g_waiting)
    if (page && page->WritePending(true)) left = true;
  g_waiting.erase(std::remove_if(g_waiting.begin(), g_waiting.end(),
                                 [](const wxWeakRef<ChatRoomPanel>& page) { return !page || page->m_pending.empty(); }),
                  g_waiting.end());
  g_turnStarted = 0;
  if (left) event.RequestMore();
}

void ChatRoomPanel::FlushLines() { WritePending(false); }

bool ChatRoomPanel::WritePending(bool timed) {
  while (!m_pending.empty()) {
    if (timed && !TurnHasTime()) return true;
    if (m_paragraphs + ParagraphsOf(m_pending.front().notice) > kMaxParagraphs) {
      TrimIfFull();
      continue;
    }
    Line line = std::move(m_pending.front());
    m_pending.pop_front();
    Write(line);
  }
  return false;
}

void ChatRoomPanel::TrimIfFull() {
  std::deque<Line> kept;
  size_t paragraphs = 0;
  while (!m_written.empty() && paragraphs + ParagraphsOf(m_written.back().notice) <= kMaxParagraphs / 2) {
    paragraphs += ParagraphsOf(m_written.back().notice);
    kept.push_front(std::move(m_written.back()));
    m_written.pop_back();
  }
  TRACE_INFO("display full: %lu lines kept", static_cast<unsigned long>(kept.size()));
  m_chatText->Clear();
  m_written.clear();
  m_paragraphs = 0;
  m_pending.insert(m_pending.begin(), std::make_move_iterator(kept.begin()), std::make_move_iterator(kept.end()));
}

void ChatRoomPanel::Write(const Line& line) {
  // The view follows the conversation unless the user has scrolled away from its end (a page
  // out of sight always follows, to show its latest lines when it comes forward).
  const bool following =
      !m_chatText->IsShownOnScreen() || m_chatText->IsPositionVisible(m_chatText->GetCaretPosition());
  m_chatText->SetInsertionPointEnd();
  m_chatText->EndAllStyles();
  m_chatText->BeginStyle(m_chatText->GetBasicStyle());
  if (line.notice) WriteNotice(line);
  else WriteMessage(line);
  m_chatText->EndAllStyles();
  if (following) m_chatText->ShowPosition(m_chatText->GetCaretPosition() + 1);
  m_paragraphs += ParagraphsOf(line.notice);
  m_written.push_back(line);
}

void ChatRoomPanel::WriteNotice(const Line& line) {
  wxRichTextAttr style;
  style.SetTextColour(line.colour);
  style.SetFontStyle(wxFONTSTYLE_NORMAL);
  style.SetFontWeight(wxFONTWEIGHT_BOLD);
  style.SetFontUnderlined(false);
  m_chatText->BeginStyle(style);
  wxString text = messagetext::Shown(std2wx(line.text));
  if (line.stamped) text = "(" + std2wx(messagetext::FormatMessageTime(line.time, time(nullptr))) + ") " + text;
  m_chatText->WriteText(text);
  m_chatText->EndStyle();
  if (!line.linkText.empty()) WriteLink(line);
  m_chatText->Newline();
}

void ChatRoomPanel::WriteMessage(const Line& line) {
  m_chatText->BeginStyle(m_timeStyle);
  m_chatText->WriteText("(" + std2wx(messagetext::FormatMessageTime(line.time, time(nullptr))) + ") ");
  m_chatText->EndStyle();

  m_chatText->BeginURL(std2wx("contact://" + line.login));
  m_nicknameStyle.SetTextColour(line.colour);
  m_chatText->BeginStyle(m_nicknameStyle);
  m_chatText->WriteText(messagetext::Shown(std2wx(line.nickname) + " (" + std2wx(line.login) + ")"));
  m_chatText->EndStyle();
  m_chatText->EndURL();

  m_chatText->BeginStyle(m_saysStyle);
  m_chatText->WriteText(_(" says:"));
  m_chatText->EndStyle();
  m_chatText->Newline();

  m_textStyle.SetTextColour(line.colour);
  m_chatText->BeginStyle(m_textStyle);
  DecomposeMessage(line.text, line.login);
  m_chatText->EndStyle();
  m_chatText->Newline();
}

void ChatRoomPanel::DecomposeMessage(std::string text, const std::string& login) {
  for (const Piece& piece : Pieces(std::move(text), login)) {
    if (!piece.smiley) {
      LookForURL(std2wx(piece.text));
      continue;
    }
    wxBitmap picture = piece.smiley->GetBitmap();
    if (!picture.IsOk()) continue;
    if (picture.GetWidth() > kLargestSmiley || picture.GetHeight() > kLargestSmiley)
      picture = IMImage::ResizeBitmap(picture, wxSize(kLargestSmiley, kLargestSmiley), false, false);
    m_chatText->WriteImage(picture, wxBITMAP_TYPE_PNG);
  }
}

std::vector<ChatRoomPanel::Piece> ChatRoomPanel::Pieces(std::string text, const std::string& login) const {
  std::vector<Piece> pieces;
  for (;;) {
    unsigned int position = 0;
    unsigned int index = 0;
    Smiley* smiley = m_manager->FindFirstSmiley(text, login, &position, &index);
    if (!smiley) break;
    const std::string shortcut = smiley->GetShortcut(static_cast<int>(index));
    if (shortcut.empty()) break;  // would match without moving on
    if (position > 0) pieces.push_back({text.substr(0, position), nullptr});
    pieces.push_back({shortcut, smiley});
    text.erase(0, position + shortcut.size());
  }
  if (!text.empty()) pieces.push_back({text, nullptr});
  return pieces;
}

void ChatRoomPanel::LookForURL(const wxString& text) {
  wxRichTextAttr link;
  link.SetTextColour(*wxBLUE);
  link.SetFontStyle(wxFONTSTYLE_NORMAL);
  link.SetFontWeight(wxFONTWEIGHT_NORMAL);
  link.SetFontUnderlined(true);
  for (const messagetext::Run& run : messagetext::SplitLinks(text)) {
    if (run.target.empty()) {
      m_chatText->WriteText(messagetext::Shown(run.text));
      continue;
    }
    m_chatText->BeginStyle(link);
    m_chatText->BeginURL(run.target);
    m_chatText->WriteText(messagetext::Shown(run.text));
    m_chatText->EndURL();
    m_chatText->EndStyle();
  }
}
