// The chat-room page's conversation: messages and notices written at the end of the display,
// with time stamps, sender links, smileys and web links. A burst of lines is written a slice at
// a time when the program is idle, and the display keeps only its latest lines.
#include <wx/app.h>
#include <wx/intl.h>
#include <wx/time.h>
#include <wx/timer.h>
#include <wx/weakref.h>
#include <wx/wupdlock.h>

#include <time.h>

#include <algorithm>
#include <chrono>

#include "core/application.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/messageText.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/message.h"
#include "model/nextIdleTurn.h"
#include "model/smiley.h"
#include "model/stringConversion.h"

namespace {

// How long the pages may write in one turn of the event loop before the rest waits for idle.
const wxLongLong kSliceMs = 10;
// A page writes its lines in rounds, with a rest between two: each line written costs its
// layout, and a crowd entering a room or a flood of messages brings lines faster than anyone
// reads them. A round writes the lines waiting as it begins, no more of them than the display
// keeps (the newest), and for no longer than a turn's slice of writing; what is left and what comes
// meanwhile waits for the next round. The rest lasts twice what the round's writing took, so that
// the writing takes a third of the time at most however many lines come, and no less than the
// shortest rest nor more than the longest: during a flood the room moves on every few hundredths
// of a second, and never stands still after its first few lines.
const int kRestPerWork = 2;
const wxLongLong kShortestRestMs = 20;
const wxLongLong kLongestRestMs = 250;
// Other users' smileys are shown no larger than this.
const int kLargestSmiley = 256;

// When the current turn's writing began; 0 when nothing was written since the loop was idle.
wxLongLong g_turnStarted = 0;
std::vector<wxWeakRef<ChatRoomPanel>> g_waiting;
bool g_idleBound = false;

// The processor time the GUI thread has used: what writing costs it, however long other programs
// held the processor meanwhile.
std::chrono::nanoseconds ThreadTime() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

// Brings the idle time back once a page's rest is over.
class RestTimer : public wxTimer {
 public:
  void Notify() override { wxWakeUpIdle(); }
};

// The pages share one timer: it goes off at the soonest end of their rests.
void WakeAfter(wxLongLong ms) {
  // Never freed: the pages of every room share it until the program ends.
  static RestTimer* timer = new RestTimer;
  static wxLongLong due = 0;
  const wxLongLong wait = std::max<wxLongLong>(ms, 0);
  const wxLongLong at = wxGetLocalTimeMillis() + wait;
  if (timer->IsRunning() && due <= at) return;
  due = at;
  timer->StartOnce(int(wait.GetValue()) + 1);
}

bool TurnHasTime() {
  const wxLongLong now = wxGetLocalTimeMillis();
  if (g_turnStarted == 0) g_turnStarted = now;
  return now - g_turnStarted < kSliceMs;
}

}  // namespace

void ChatRoomPanel::StartTurnClock() {
  if (g_turnStarted == 0) g_turnStarted = wxGetLocalTimeMillis();
}

namespace {

size_t ParagraphsOf(bool notice) { return notice ? 1 : 2; }

}  // namespace

// Traced by the window's handler of the message: a line more per message costs a burst more
// than its writing.
void ChatRoomPanel::AddMessage(Message* message) {
  // Entering the room again brings its history, which holds lines the page showed already.
  if (message->IsHistory() && ShowsAlready(*message)) return;
  Line line;
  line.login = message->GetLogin();
  line.nickname = message->GetNickname();
  line.text = message->GetText();
  line.time = message->GetTime();
  line.colour = SenderColour(line.login, message->IsHistory());
  const bool history = message->IsHistory();
  const std::string login = line.login;
  Submit(std::move(line));
  if (history) return;
  // The sender's row shows the sender's latest state (one who has left goes). The rows wait for
  // the idle time with the lines, and each is refreshed there once, from the sender's record as
  // it is then, however many lines the sender wrote in a burst.
  m_sendersDue.insert(login);
}

bool ChatRoomPanel::ShowsAlready(const Message& message) {
  // The user's own lines were shown with this computer's time, the others' with the server's.
  const bool own = message.GetLogin() == m_manager->GetLogin();
  for (std::deque<Line>* lines : {&m_written, &m_pending}) {
    for (Line& line : *lines) {
      if (line.notice || line.repeated || line.login != message.GetLogin() || line.text != message.GetText()) continue;
      if (!own && line.time != message.GetTime()) continue;
      line.repeated = true;
      return true;
    }
  }
  return false;
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
  while (m_pending.size() > kMaxParagraphs) {
    m_pending.pop_front();
    if (m_roundLeft > 0) --m_roundLeft;
  }
  // Written at the idle time, in its slice: the handlers that hand lines over stay quick, and
  // the controller can tell how many it may hand over in one turn.
  Wait();
}

void ChatRoomPanel::Wait() {
  if (std::find(g_waiting.begin(), g_waiting.end(), this) == g_waiting.end()) g_waiting.emplace_back(this);
  if (!g_idleBound && wxTheApp) {
    wxTheApp->Bind(wxEVT_IDLE, &ChatRoomPanel::OnAppIdle);
    g_idleBound = true;
  }
  wxWakeUpIdle();
}

void ChatRoomPanel::OnAppIdle(wxIdleEvent& event) {
  event.Skip();
  // Lines written as they came, earlier in this turn, took their part of the slice already: the
  // turn gets one slice, not one for its messages and another for its idle time.
  bool left = false;
  // By index: a refreshed row may write a notice, which looks the page up in the list.
  for (size_t i = 0; i < g_waiting.size(); ++i) {
    ChatRoomPanel* page = g_waiting[i];
    if (!page) continue;
    page->RefreshSenders();
    if (page->WritePending(true)) left = true;
  }
  g_waiting.erase(std::remove_if(g_waiting.begin(), g_waiting.end(),
                                 [](const wxWeakRef<ChatRoomPanel>& page) {
                                   return !page || (page->m_pending.empty() && page->m_sendersDue.empty());
                                 }),
                  g_waiting.end());
  g_turnStarted = 0;
  if (left) AskNextIdleTurn();
}

void ChatRoomPanel::FlushLines() {
  RefreshSenders();
  WritePending(false);
}

void ChatRoomPanel::RefreshSenders() {
  if (m_sendersDue.empty()) return;
  std::set<std::string> due;
  due.swap(m_sendersDue);
  TRACE_INFO("%s: %zu senders' rows refreshed", m_url.c_str(), due.size());
  for (const std::string& login : due) ApplyContact(*m_manager->GetContactInfo(login), false, false, false);
}

bool ChatRoomPanel::WritePending(bool timed) {
  if (m_pending.empty()) return false;
  const bool starting = !timed || m_roundLeft == 0;
  if (timed && starting && !RestOver()) return false;
  // A turn without time left costs the lines that wait nothing more than this look at the clock.
  if (timed && !TurnHasTime()) return true;
  // The view follows the conversation unless the user has scrolled away from its end (a page
  // out of sight always follows, to show its latest lines when it comes forward).
  const bool following =
      !m_chatText->IsShownOnScreen() || m_chatText->IsPositionVisible(m_chatText->GetCaretPosition());
  if (starting) {
    MakeRoom();
    m_roundWork = std::chrono::nanoseconds::zero();
    // A round writes the lines waiting as it begins; those that come meanwhile wait for the next.
    m_roundLeft = timed ? m_pending.size() : 0;
  }
  const std::chrono::nanoseconds writing = ThreadTime();
  bool left = false;
  {
    // Frozen, the display lays out once per line instead of after every piece written into it,
    // and the layout is done here, inside the turn's time, not later in one go.
    wxWindowUpdateLocker frozen(m_chatText);
    while (!m_pending.empty() && (!timed || m_roundLeft > 0)) {
      if (timed && !TurnHasTime()) {
        left = true;
        break;
      }
      if (m_trimming || m_paragraphs + ParagraphsOf(m_pending.front().notice) > kMaxParagraphs) {
        m_trimming = TrimOldest();
        continue;
      }
      Line line = std::move(m_pending.front());
      m_pending.pop_front();
      if (m_roundLeft > 0) --m_roundLeft;
      Write(std::move(line));
    }
  }
  if (following) m_chatText->ShowPosition(m_chatText->GetCaretPosition() + 1);
  m_roundWork += ThreadTime() - writing;
  // A round that has written for half a slice when the turn's time is over ends there; the display
  // shows it while the rest waits for the next. One that had the turn's time taken by other work
  // goes on at the next turn.
  if (left && m_roundWork >= std::chrono::milliseconds(kSliceMs.GetValue() / 2)) {
    m_roundLeft = 0;
    left = false;
  }
  if (m_roundLeft == 0) m_roundEnded = wxGetLocalTimeMillis();
  // Lines that came during the round wait for the next one.
  if (timed && !left && !m_pending.empty()) RestOver();
  return left;
}

// False while the last round's rest lasts; the idle time comes back when it is over.
bool ChatRoomPanel::RestOver() {
  const long long work = std::chrono::duration_cast<std::chrono::milliseconds>(m_roundWork).count();
  const wxLongLong rest = std::min<wxLongLong>(kLongestRestMs, std::max<wxLongLong>(kShortestRestMs, kRestPerWork * work));
  const wxLongLong since = wxGetLocalTimeMillis() - m_roundEnded;
  if (since < 0 || since >= rest) return true;
  WakeAfter(rest - since);
  return false;
}

// The lines waiting are written no more than the display keeps (the newest): older ones would be
// taken off again before the writing ends. When they fill half the display or more and it has no
// room left for them, the lines it shows go at once, as the trimming would take them off step
// after step, laying out the rest of the display again at each step.
void ChatRoomPanel::MakeRoom() {
  size_t paragraphs = 0;
  for (auto line = m_pending.rbegin(); line != m_pending.rend(); ++line) {
    const size_t more = ParagraphsOf(line->notice);
    if (paragraphs + more > kMaxParagraphs) {
      m_pending.erase(m_pending.begin(), line.base());
      break;
    }
    paragraphs += more;
  }
  if (paragraphs < kMaxParagraphs / 2 || m_paragraphs + paragraphs <= kMaxParagraphs) return;
  m_chatText->Clear();
  m_chatText->SetInsertionPointEnd();
  m_written.clear();
  m_paragraphs = 0;
  m_trimming = false;
  TRACE_INFO("display full: its lines make room for %lu paragraphs", static_cast<unsigned long>(paragraphs));
}

bool ChatRoomPanel::TrimOldest() {
  size_t lines = 0;
  size_t paragraphs = 0;
  for (const Line& line : m_written) {
    if (paragraphs >= kTrimStep || m_paragraphs - paragraphs <= kMaxParagraphs / 2) break;
    paragraphs += line.paragraphs;
    ++lines;
  }
  if (lines == 0) return false;
  wxRichTextObjectList& shown = m_chatText->GetBuffer().GetChildren();
  if (paragraphs >= shown.GetCount()) {
    m_chatText->Clear();
  } else {
    m_chatText->Remove(0, shown.Item(paragraphs)->GetData()->GetRange().GetStart());
    m_chatText->LayoutContent();
  }
  m_written.erase(m_written.begin(), m_written.begin() + long(lines));
  m_paragraphs -= paragraphs;
  m_chatText->SetInsertionPointEnd();
  TRACE_INFO("display full: %lu paragraphs taken off, %lu kept", static_cast<unsigned long>(paragraphs),
             static_cast<unsigned long>(m_paragraphs));
  return m_paragraphs > kMaxParagraphs / 2;
}

void ChatRoomPanel::Write(Line line) {
  const size_t before = m_chatText->GetBuffer().GetChildCount();
  m_chatText->SetInsertionPointEnd();
  m_chatText->EndAllStyles();
  m_chatText->BeginStyle(m_chatText->GetBasicStyle());
  if (line.notice) WriteNotice(line);
  else WriteMessage(line);
  m_chatText->EndAllStyles();
  m_chatText->LayoutContent();
  line.paragraphs = m_chatText->GetBuffer().GetChildCount() - before;
  m_paragraphs += line.paragraphs;
  m_written.push_back(std::move(line));
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
