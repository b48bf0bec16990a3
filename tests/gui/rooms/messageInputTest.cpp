// A room's message input, logged in to the test server and driven by real keys and clicks:
// what reaches the server (typing reports and messages, in their order), Shift+Enter, an empty
// Enter, the length limit and a paste past it, a smiley from the grid, and pages closed while
// they still type or send; the conversation saved through the input's tool and the save dialog.
#include <gtest/gtest.h>
#include <wx/mstream.h>
#include <wx/stattext.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <cstring>
#include <string>
#include <vector>

#include "asn1/octetString.h"
#include "core/application.h"
#include "gui/rooms/commentsFrame.h"
#include "model/message.h"
#include "model/urlInfo.h"
#include "tests/gui/fileChoice.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "tests/support/testSupport.h"

namespace {

using roomstest::Shown;
using testserver::Millis;

class MessageInput : public roomstest::RoomsWindow {
 protected:
  void BeforeOpen() override { server = &UseTestServer(); }
  void SetUp() override {
    RoomsWindow::SetUp();
    frame->OnSwitchConnection(false);
    link = AcceptLogIn(*server);
    ASSERT_TRUE(link);
    while (link->Next(Millis(300))) {
    }
    page = rooms->CreateChatRoom(kRoom, "site.example/", "Chatroom opened");
    rooms->Show();
    ASSERT_TRUE(guitest::PumpUntil([&] { return rooms->IsShownOnScreen(); }));
    input = page->GetWriteMessagePanel()->GetTextCtrl();
    ASSERT_TRUE(input->IsEditable());
    rooms->Raise();
    guitest::ClickUntil(input, [&] { return input->HasFocus(); });
  }

  // The requests that reach the server until `last` is among them, as "kind text" lines. (The
  // test server never answers a subscription, so the controller asks again before each.)
  std::vector<std::string> Wire(const std::string& last, int ms = 8000) {
    std::vector<std::string> seen;
    guitest::PumpUntil([&] {
      while (auto got = link->Next(Millis(1))) {
        const C2S_Request_t& r = *got->request;
        if (r.present == C2S_Request_PR_keytyped)
          seen.push_back(std::string("keytyped ") + asn1::ToString(r.choice.keytyped.site) +
                         (r.choice.keytyped.enabled && *r.choice.keytyped.enabled ? " on" : " off"));
        else if (r.present == C2S_Request_PR_sendmessage)
          seen.push_back("sendmessage " + asn1::ToString(r.choice.sendmessage.message));
        else if (r.present == C2S_Request_PR_unsuburl)
          seen.push_back("unsuburl");
        if (!seen.empty() && seen.back() == last) return true;
      }
      return false;
    }, ms);
    return seen;
  }

  // Typed keys, handled by the program (each one's press seen), then one turn of the event loop
  // for what their handlers left queued.
  void Keys(const char* text) {
    guitest::KeyPresses pressed;
    wxUIActionSimulator sim;
    sim.Text(text);
    EXPECT_TRUE(guitest::PumpUntil([&] { return pressed.count >= int(strlen(text)); })) << "keys lost: " << text;
    guitest::Pump(20);
  }
  void Key(int key, int modifiers = wxMOD_NONE) {
    guitest::KeyPresses pressed;
    wxUIActionSimulator sim;
    sim.Char(key, modifiers);
    EXPECT_TRUE(guitest::PumpUntil([&] { return pressed.count >= 1; })) << "key lost: " << key;
    guitest::Pump(20);
  }

  static constexpr const char* kRoom = "http://site.example/";
  testserver::TestServer* server = nullptr;
  std::shared_ptr<testserver::TestConnection> link;
  ChatRoomPanel* page = nullptr;
  MyTextCtrl* input = nullptr;
};

TEST_F(MessageInput, TypingAndMessagesReachTheServerInOrder) {
  Keys("hi");
  Key(WXK_RETURN, wxMOD_SHIFT);
  Keys("there");
  EXPECT_EQ("hi\nthere", input->GetValue());
  Key(WXK_RETURN);
  const std::vector<std::string> expected = {std::string("keytyped ") + kRoom + " on",
                                             std::string("keytyped ") + kRoom + " off", "sendmessage hi\nthere"};
  EXPECT_EQ(expected, Wire("sendmessage hi\nthere"));
  EXPECT_EQ("", input->GetValue());
  EXPECT_TRUE(guitest::PumpUntil([&] { return Shown(page).Find("(alice) says:\nhi") != wxNOT_FOUND; }))
      << Shown(page);

  // Enter on an empty input sends and reports nothing.
  Key(WXK_RETURN);
  EXPECT_TRUE(link->NothingWithin(Millis(500)));
  EXPECT_EQ("", input->GetValue());

  // A burst ends by itself once a whole window passes without a key (one key: one window).
  Keys("a");
  EXPECT_EQ((std::vector<std::string>{std::string("keytyped ") + kRoom + " on", std::string("keytyped ") + kRoom + " off"}),
            Wire(std::string("keytyped ") + kRoom + " off", 3 * MyTextCtrl::kTypingWindowMs));
}

TEST_F(MessageInput, NothingLongerThanTheLimitGoesOrLooksSent) {
  const size_t limit = 512;
  input->SetValue(wxString('x', limit - 1));
  input->SetInsertionPointEnd();
  Keys("yz");  // the second key would pass the limit
  EXPECT_EQ(limit, input->GetValue().length());
  input->SetSelection(0, 5);
  Keys("q");  // replaces five: accepted
  EXPECT_EQ(limit - 4, input->GetValue().length());

  // A paste of 600 characters (it does not go through the keys): Enter sends nothing, keeps
  // the text and shows what is too much.
  const wxString pasted(wxString('p', 600));
  input->SetValue(pasted);
  input->SetInsertionPointEnd();
  const wxString before = Shown(page);
  Key(WXK_RETURN);
  EXPECT_EQ(pasted, input->GetValue());
  long from = 0, to = 0;
  input->GetSelection(&from, &to);
  EXPECT_EQ(long(limit), from);
  EXPECT_EQ(600, to);
  std::vector<std::string> wire = Wire("sendmessage", 1500);
  for (const std::string& request : wire) EXPECT_NE(0u, request.find("sendmessage")) << request;
  EXPECT_EQ(before, Shown(page));
}

TEST_F(MessageInput, ASmileyFromTheGridGoesInAtTheCaret) {
  Keys("ab");
  input->SetInsertionPoint(1);
  wxToolBar* tools = page->GetWriteMessagePanel()->GetToolBar();
  wxUIActionSimulator sim;
  // The smiley tool is the first one.
  sim.MouseMove(tools->GetScreenPosition() + wxPoint(tools->GetToolSize().x / 2 + 4, tools->GetSize().y / 2));
  sim.MouseClick();
  WriteMessagePanel* panel = page->GetWriteMessagePanel();
  ASSERT_TRUE(guitest::PumpUntil([&] { return panel->GetSmileyGrid() && panel->GetSmileyGrid()->IsShownOnScreen(); }));
  SmileyGrid* grid = panel->GetSmileyGrid();
  const std::vector<SmileyButtonBitmapNotifier*> cells = grid->GetCells();
  ASSERT_EQ(8u, cells.size());  // the built-in ones, then "+"
  EXPECT_EQ(cells.back()->GetPosition().y, grid->GetAddButton()->GetPosition().y);
  EXPECT_GT(grid->GetAddButton()->GetPosition().x, cells.back()->GetPosition().x);

  guitest::ClickUntil(cells[4]->GetPicture(), [&] { return panel->GetSmileyGrid() == nullptr; });  // sad
  EXPECT_EQ("a:-(b", input->GetValue());
  EXPECT_TRUE(guitest::PumpUntil([&] { return input->HasFocus(); }));
  guitest::Pump(100);  // the grid goes once its click is over
  Key(WXK_RETURN);
  EXPECT_EQ("sendmessage a:-(b", Wire("sendmessage a:-(b").back());
}

// Where each text is found in `saved`, in the order given; npos for one missing or out of order.
std::vector<size_t> InOrder(const std::string& saved, const std::vector<std::string>& texts) {
  std::vector<size_t> at;
  size_t from = 0;
  for (const std::string& text : texts) {
    const size_t found = saved.find(text, from);
    at.push_back(found);
    if (found != std::string::npos) from = found + text.size();
  }
  return at;
}

TEST_F(MessageInput, TheSaveToolWritesBothSidesInOrderAsTextAndHtml) {
  const std::string kBob = "B\xc3\xb8" "b";
  const time_t now = time(nullptr);
  Message old(kRoom, "bob", kBob, "earlier <b>news</b>", now - 3 * 24 * 3600, true);
  rooms->AddMessage(&old);
  // Bob's own smiley, as the server hands it over.
  wxImage cat(12, 10);
  cat.SetRGB(wxRect(0, 0, 12, 10), 200, 100, 0);
  wxMemoryOutputStream png;
  ASSERT_TRUE(cat.SaveFile(png, wxBITMAP_TYPE_PNG));
  std::string bytes(png.GetLength(), '\0');
  png.CopyTo(&bytes[0], bytes.size());
  auto gift = testserver::NewS2C(S2C_Request_PR_addsmiley);
  testserver::Fill(&gift->choice.addsmiley.authkey, "K1");
  testserver::Fill(&gift->choice.addsmiley.login, "bob");
  testserver::Fill(&gift->choice.addsmiley.codesmiley, ":cat:");
  gift->choice.addsmiley.smiley.type = TypeImage_png;
  testserver::Fill(&gift->choice.addsmiley.smiley.content, bytes);
  link->Send(*gift);
  ASSERT_TRUE(guitest::PumpUntil([] { return GetManager()->GetSmileys("bob").size() > 8; }));
  Message hostile(kRoom, "bob", kBob, "<script>alert(1)</script> :cat: see www.bob.example", now, false);
  rooms->AddMessage(&hostile);
  Keys("hello :-) bob");
  Key(WXK_RETURN);
  ASSERT_TRUE(guitest::PumpUntil([&] { return Shown(page).Find("(alice) says:\nhello") != wxNOT_FOUND; }));
  Message reply(kRoom, "bob", kBob, "bye\x01 alice", now, false);
  rooms->AddMessage(&reply);

  testsupport::TempDir folder;
  wxToolBar* tools = page->GetWriteMessagePanel()->GetToolBar();
  for (const char* name : {"chat.txt", "chat.html"}) {
    guitest::FileChoice choice(folder.file(name));
    wxUIActionSimulator sim;
    sim.MouseMove(roomstest::ToolCentre(tools, WriteMessagePanel::ID_SAVE));
    sim.MouseClick();
    EXPECT_TRUE(guitest::PumpUntil([&] { return testsupport::FileExists(folder.file(name)); })) << name;
    EXPECT_TRUE(choice.asked);
  }
  const std::string text = testsupport::ReadFile(folder.file("chat.txt"));
  const std::string html = testsupport::ReadFile(folder.file("chat.html"));

  // Both sides, the history first, each line once, as the page shows them.
  for (size_t at : InOrder(text, {kBob + " (bob) says:\nearlier <b>news</b>\n",
                                  kBob + " (bob) says:\n<script>alert(1)</script> :cat: see www.bob.example\n",
                                  "(alice) says:\nhello :-) bob\n", kBob + " (bob) says:\nbye\xef\xbf\xbd alice\n"}))
    EXPECT_NE(std::string::npos, at) << text;
  EXPECT_EQ(std::string::npos, text.find('\x01'));
  EXPECT_EQ(std::string::npos, text.find("<img"));

  for (size_t at : InOrder(html, {"earlier &lt;b&gt;news&lt;/b&gt;", "&lt;script&gt;alert(1)&lt;/script&gt; ",
                                  "<img src=\"data:image/png;base64,", "alt=\":cat:\">", " see ",
                                  "<a href=\"http://www.bob.example\">www.bob.example</a>", "hello ", " bob",
                                  "bye\xef\xbf\xbd alice"}))
    EXPECT_NE(std::string::npos, at) << html;
  EXPECT_EQ(std::string::npos, html.find("<script>"));
  EXPECT_EQ(std::string::npos, html.find("<b>news"));
  EXPECT_EQ(2u, testsupport::ListDir(folder.path()).size());  // nothing beside the two files
}

// The comments tool shows the site's window. A site without one (its page closed, its room's
// tab still open) has one made from what the controller knows of it, gone again once closed; a
// private room has none made.
TEST_F(MessageInput, TheCommentsToolShowsTheSitesCommentsWindowMadeWhenItHasNone) {
  wxToolBar* tools = page->GetWriteMessagePanel()->GetToolBar();
  auto click = [&] {
    wxUIActionSimulator sim;
    sim.MouseMove(roomstest::ToolCentre(tools, WriteMessagePanel::ID_COMMENT));
    sim.MouseClick();
  };
  GetManager()->GetURLInfo(kRoom)->SetGrade(6.5f);
  click();
  wxWeakRef<CommentsFrame> made;
  ASSERT_TRUE(guitest::PumpUntil([&] { return (made = CommentsFrame::Find(kRoom)) && made->IsShownOnScreen(); }));
  EXPECT_EQ("6.5", made->GetMeanGrade()->GetLabel());
  ASSERT_TRUE(guitest::SendCloseBox(made->GetTitle()));
  EXPECT_TRUE(guitest::PumpUntil([&] { return !made; })) << "kept after closing, with no room to come back to";

  // The window the room's opening made is the one shown.
  CommentsFrame* comments = CommentsFrame::CreateCommentsFor(frame, frame, GetManager(), kRoom, "", 7.5f, "", 0);
  rooms->Raise();
  click();
  EXPECT_TRUE(guitest::PumpUntil([&] { return comments->IsShown(); }));
  EXPECT_EQ(comments, CommentsFrame::Find(kRoom));
  comments->Destroy();

  frame->OpenComments("prv://alice/alice:bob:carol");
  EXPECT_EQ(nullptr, CommentsFrame::Find("prv://alice/alice:bob:carol"));
}

TEST_F(MessageInput, APageClosingNeitherSendsNorTypesAgain) {
  // The page is closed by a handler of its own input's key, before the input sees the key:
  // the input's Enter then finds its page closing, and its typing timer never reports again.
  // (One key: a timer left running would report the burst's end one window after it.)
  Keys("b");
  input->Bind(wxEVT_CHAR, [&](wxKeyEvent& event) {
    if (event.GetKeyCode() == WXK_RETURN) rooms->CloseChatRoom(kRoom);
    event.Skip();
  });
  // Meanwhile the room's traffic goes on.
  for (int i = 0; i < 20; ++i) {
    Message line(kRoom, "bob", "Bob", "still here " + std::to_string(i), time(nullptr), false);
    rooms->AddMessage(&line);
    rooms->SetKeyTyped(kRoom, "bob", "Bob", i % 2 == 0);
  }
  Key(WXK_RETURN);
  EXPECT_FALSE(rooms->IsChatRoomOpened(kRoom));
  for (int i = 0; i < 20; ++i) {
    Message line(kRoom, "bob", "Bob", "late", time(nullptr), false);
    rooms->AddMessage(&line);
    rooms->SetKeyTyped(kRoom, "bob", "Bob", true);
  }
  EXPECT_EQ("", rooms->GetTypingText()->GetLabelText());
  const std::vector<std::string> wire = Wire("never", MyTextCtrl::kTypingWindowMs + 1500);
  const std::vector<std::string> expected = {std::string("keytyped ") + kRoom + " on", "unsuburl"};
  EXPECT_EQ(expected, wire);
}

}  // namespace
