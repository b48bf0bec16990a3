// A hostile flood into an open chat room, with the real main window and chat-rooms window on
// screen and the event loop running: the server sends 10,000 messages at once into the room,
// each of the longest length allowed with no space to break on, or full of control characters,
// reordering characters and smileys. Measured: the worst pause of the GUI thread (the longest
// gap between two ticks of a 1 ms timer) against the 100 ms limit and against an idle spell of
// the same run (the anchor); how long the window took to show the last line; and the paragraphs
// the display keeps against its bound. Needs an X display.
//
//   roomDisplayBench [--messages N]   (10,000 by default)
#include <chrono>
#include <cstdio>
#include <string>

#include "bench/loggedInBench.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"

using namespace testserver;
using Clock = std::chrono::steady_clock;

namespace {

const double kLimitMs = 100;
const char kRoom[] = "http://www.busy.example.com/";

std::string Hostile(int i) {
  switch (i % 4) {
    case 0: return std::string(512, 'w');
    case 1: return std::string("\xE2\x80\xAE" "evil\x1b[2J\x07 :) :-( (h) ") + std::to_string(i);
    case 2: return std::string(200, ':') + " :) http://www.a.example/" + std::string(300, 'x');
    default: return std::string(512, '\x01');
  }
}

std::string Flood(int count) {
  std::string bytes;
  for (int i = 0; i < count; ++i) {
    auto m = NewS2C(S2C_Request_PR_message);
    Fill(&m->choice.message.authkey, "K1");
    Fill(&m->choice.message.site, kRoom);
    Fill(&m->choice.message.login, "mallory" + std::to_string(i % 7));
    Fill(&m->choice.message.message, i + 1 == count ? "the last line" : Hostile(i));
    m->choice.message.time = 1700000000 + i;
    bytes += EncodeS2C(*m);
  }
  return bytes;
}

// Whether the display's last line holds `text`; read no more than ten times a second, so that
// looking costs the measure nothing.
bool LastLineHas(ChatRoomPanel* page, const wxString& text) {
  static Clock::time_point looked;
  if (Clock::now() - looked < std::chrono::milliseconds(100)) return false;
  looked = Clock::now();
  wxRichTextObjectList& paragraphs = page->GetDisplay()->GetBuffer().GetChildren();
  for (wxRichTextObjectList::compatibility_iterator node = paragraphs.GetLast(); node; node = node->GetPrevious()) {
    wxRichTextObject* paragraph = node->GetData();
    const wxString line = paragraph->GetTextForRange(paragraph->GetRange());
    if (!line.empty()) return line.Contains(text);
  }
  return false;
}

ChatRoomsNotebook* RoomsOf(wxWindow* frame) {
  for (wxWindow* child : frame->GetChildren())
    if (auto* rooms = dynamic_cast<ChatRoomsNotebook*>(child)) return rooms;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = int(BenchOption(argc, argv, "--messages", 10000));
  LoggedInBench bench;
  if (!bench.Start(argc, argv, "rooms")) return 1;
  ChatRoomsNotebook* rooms = RoomsOf(bench.frame);
  if (!rooms) return 1;
  ChatRoomPanel* page = rooms->CreateChatRoom(kRoom, "www.busy.example.com/", "Chatroom opened");
  rooms->Show();
  RunLoop(10, [&] { return rooms->IsShownOnScreen(); });
  RunLoop(1, nullptr);
  const double idleMs = RunLoop(2, nullptr);

  bench.link->SendBytes(Flood(count));
  const Clock::time_point start = Clock::now();
  const double worst = RunLoop(600, [&] { return LastLineHas(page, "the last line"); });
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const size_t paragraphs = page->GetDisplay()->GetBuffer().GetChildCount();

  printf("%d hostile messages into one open room: last line shown after %.2f s\n", count, seconds);
  printf("worst GUI-thread pause %.1f ms; idle %.1f ms, ratio %.1f; limit %.0f ms, ratio %.2f\n", worst, idleMs,
         worst / std::max(idleMs, 0.1), kLimitMs, worst / kLimitMs);
  printf("paragraphs kept %zu; bound %zu\n", paragraphs, ChatRoomPanel::kMaxParagraphs);
  bench.frame->Close(true);
  RunLoop(5, [&] { return MainFrame::GetInstance() == nullptr; });
  return system(("rm -rf '" + bench.dir + "'").c_str()) == 0 ? 0 : 1;
}
