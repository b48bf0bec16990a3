// Pictures of the chat-rooms window for review, saved as PNG files: a site's room with members
// in their colours, replayed history in grey, links, smileys, notices, an unread tab and the
// typing line; then the same with the smiley grid open under the input's tool bar. `make
// screenshots` runs it under Xvfb. It checks nothing about the pictures; it fails only when one
// cannot be taken or saved.
// Usage: rooms_screenshots [output directory]
#include <wx/app.h>
#include <wx/filename.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/myTextCtrl.h"
#include "gui/rooms/smileyGrid.h"
#include "gui/rooms/writeMessagePanel.h"
#include "model/config.h"
#include "model/contactInfo.h"
#include "model/fileMessage.h"
#include "model/message.h"
#include "tests/support/screenCapture.h"
#include "tests/support/screenshotProgram.h"
#include "tests/widgets/widgetTestSupport.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

std::string g_dir = "screenshots";
const char kRoom[] = "http://www.example.org/";

void Save(const wxImage& img, const std::string& name) {
  if (!img.IsOk() || !img.SaveFile(wxString::FromUTF8(g_dir + "/" + name), wxBITMAP_TYPE_PNG)) {
    screenshots::Fail("cannot save " + name);
  } else {
    std::printf("%s/%s\n", g_dir.c_str(), name.c_str());
  }
}

void Shoot(const wxRect& rect, const std::string& name) {
  Pump(400);
  Save(screencapture::Capture(rect), name);
}

void Say(ChatRoomsNotebook* rooms, const char* login, const char* nickname, const char* text, time_t when,
         bool history = false) {
  Message line(kRoom, login, nickname, text, when, history);
  rooms->AddMessage(&line);
}

void Conversation(ChatRoomsNotebook* rooms, ChatRoomPanel* page) {
  // The member column: the user first, as the subscription lists the room, then the others.
  ContactInfo* own = GetManager()->GetOwnContactInfo();
  own->SubscribeTo(kRoom);
  own->SetStatus(STATUS_ONLINE);
  page->AddContact(*own);
  const char* members[][2] = {{"bob", "Bob"}, {"carol", "Carol"}, {"dave", "Dave"}};
  for (const auto& member : members) {
    ContactInfo* contact = GetManager()->GetContactInfo(member[0]);
    contact->SetNickname(member[1]);
    contact->SubscribeTo(kRoom);
    contact->SetStatus(member[0][0] == 'd' ? STATUS_AWAY : STATUS_ONLINE);
    page->AddContact(*contact);
  }
  const time_t now = time(nullptr);
  Say(rooms, "carol", "Carol", "Anyone tried the new layout of the front page?", now - 86400 * 40, true);
  Say(rooms, "bob", "Bob", "Yes, yesterday :)", now - 86400 * 40 + 60, true);
  page->AddAdminMessage("Welcome ! There are already 3 Parlavoxer(s) here.", now - 120, wxBLUE);
  Say(rooms, "bob", "Bob", "Hi all :-) the article is at http://www.example.org/news/today", now - 100);
  Say(rooms, "alice", "Alice", "Thanks! Also www.example.net has photos (h)", now - 80);
  Say(rooms, "carol", "Carol", "Second line\nof a message sent with Shift+Enter ;-)", now - 60);
  Say(rooms, "dave", "Dave", "I did not like it :( too many ads", now - 40);
  Say(rooms, "dave", "\xE2\x80\xAE" "evil", "Bidi and \x1b[31m control characters stay harmless", now - 20);
  page->AddAdminMessage("eve leaves this chatroom", now - 10, wxBLUE);
}

// A room's file notices: offers (one of more than 4 GiB, one with a hostile name), one saved,
// the states of transfers both ways, and the user's own offer, one of them cancelled.
void FileNotices(ChatRoomsNotebook* rooms) {
  const char room[] = "http://files.example.org/";
  ChatRoomPanel* page = rooms->CreateChatRoom(room, "files.example.org/", "Chatroom opened...");
  auto notice = [&](t_fm_status status, bool download, const char* name, long size, const char* key) {
    FileMessage record(room, "bob", "Bob", name, key, "bob@@@" + std::string(key), "127.0.0.1", 4000, time(nullptr),
                       download, status, 0, size, 0);
    rooms->AddFileMessage(&record);
  };
  notice(FM_OFFERED, true, "holiday.jpg", 5242880, "1765000000100001");
  notice(FM_STARTED, true, "holiday.jpg", 5242880, "1765000000100001");
  notice(FM_IN_PROGRESS, true, "holiday.jpg", 5242880, "1765000000100001");
  notice(FM_COMPLETE, true, "holiday.jpg", 5242880, "1765000000100001");
  notice(FM_OFFERED, true, "disk-image.iso", 4831838208L, "1765000000100002");
  notice(FM_OFFERED, true, "../../.bashrc\x01\xE2\x80\xAEtxt.exe", 1023, "1765000000100003");
  notice(FM_CANCELLED, true, "../../.bashrc", 1023, "1765000000100003");
  notice(FM_HOST_UNREACHABLE, true, "far.zip", 1024, "1765000000100004");
  notice(FM_NOT_AVAILABLE, true, "gone.zip", 2047, "1765000000100005");
  notice(FM_STARTED, false, "notes.txt", 13, "1765000000100006");
  notice(FM_INTERRUPTED, false, "notes.txt", 13, "1765000000100006");
  notice(FM_FAILED, true, "big.bin", 0, "1765000000100007");
  notice(FM_COMPLETE, false, "slides.pdf", 1200000, "1765000000100008");
  page->UploadFile("1765000000100009", "slides.pdf");
  page->UploadFile("1765000000100010", "old-slides.pdf");
  page->FlushLines();
  // "Cancel" of the user's first offer, as once clicked.
  wxRichTextCtrl* display = page->GetDisplay();
  for (long at = 0; at < display->GetLastPosition(); ++at) {
    wxRichTextAttr style;
    if (!display->GetStyle(at, style) || style.GetURL() != "1765000000100009") continue;
    wxTextUrlEvent click(display->GetId(), wxMouseEvent(wxEVT_LEFT_UP), at, at + 1);
    click.SetString("1765000000100009");
    click.SetEventObject(display);
    display->GetEventHandler()->ProcessEvent(click);
    break;
  }
  Shoot(rooms->GetScreenRect(), "rooms-file-notices.png");
}

void RoomsWindow() {
  auto* frame = new MainFrame(GetManager(), "Parlavox", wxPoint(900, 60), wxSize(370, 600));
  frame->Show();
  ChatRoomsNotebook* rooms = nullptr;
  for (wxWindow* child : frame->GetChildren())
    if (auto* found = dynamic_cast<ChatRoomsNotebook*>(child)) rooms = found;
  if (!rooms) return screenshots::Fail("no chat-rooms window");
  rooms->SetSize(wxRect(40, 40, 760, 560));
  rooms->Show();
  ChatRoomPanel* other = rooms->CreateChatRoom("http://news.example.com/", "news.example.com/", "Chatroom opened...");
  rooms->CreateChatRoom("prv://alice/alice:bob", "Bob", "Chatroom opened ...");
  ChatRoomPanel* page = rooms->CreateChatRoom(kRoom, "www.example.org/", "Chatroom opened...");
  PumpUntil([&] { return rooms->IsShownOnScreen(); }, 3000);
  Conversation(rooms, page);
  Message unseen("http://news.example.com/", "carol", "Carol", "Look at this", time(nullptr), false);
  rooms->AddMessage(&unseen);
  (void)other;
  wxTimer blinkTimer;
  wxTimerEvent tick(blinkTimer);
  rooms->OnBlinkTimer(tick);  // the unread picture
  rooms->SetKeyTyped(kRoom, "bob", "Bob", true);
  rooms->SetKeyTyped(kRoom, "carol", "Carol", true);
  rooms->SetKeyTyped("prv://alice/alice:bob", "bob", "Bob", true);
  page->GetWriteMessagePanel()->GetTextCtrl()->SetValue("Writing an answer...");
  Shoot(rooms->GetScreenRect(), "rooms-conversation.png");

  wxCommandEvent smileys(wxEVT_TOOL, WriteMessagePanel::ID_SMILEYS);
  page->GetWriteMessagePanel()->GetEventHandler()->ProcessEvent(smileys);
  SmileyGrid* grid = page->GetWriteMessagePanel()->GetSmileyGrid();
  if (!grid) return screenshots::Fail("no smiley grid");
  PumpUntil([&] { return grid->IsShownOnScreen(); }, 3000);
  Shoot(rooms->GetScreenRect().Union(grid->GetScreenRect()), "rooms-smiley-grid.png");
  grid->Show(false);
  FileNotices(rooms);
  frame->Close(true);
  Pump(200);
}

}  // namespace

int main(int argc, char** argv) {
  if (!screenshots::Start(argc, argv, g_dir)) return 1;
  screenshots::UseFreshHome(PARLAVOX_SOURCE_DIR);
  Config::GetInstance()->SetLogin("alice");
  Config::GetInstance()->SetNickname("Alice");
  Config::GetInstance()->SetRememberClose(true);
  Config::GetInstance()->SetClose(true);

  RoomsWindow();

  const int status = screenshots::Stop();
  // The controller and its threads are left to the end of the process, as the program does.
  std::fflush(stdout);
  std::_Exit(status);
}
