// The site comments window in the whole program on the stand-in server: made when the site's
// room opens, opened as the sites panel does, its page loaded from a loopback server, a comment
// typed, graded and sent by real input, the mean grade following the server's counts, and the
// 512-character limit: 512 reach the server, a 513th never does. A window lives while its site
// is open or while the user has it on screen: pages opened and closed by the browser leave none
// behind, and a room's tab that stays after its page closed makes one again when asked, and keeps
// one holding unsent text while the program is reduced.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <string>
#include <wx/weakref.h>

#include "core/application.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/rooms/commentsPane.h"
#include "model/config.h"
#include "model/urlInfo.h"
#include "tests/gui/httpTestServer.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "tests/gui/sites/sitesSessionFixture.h"
#include "widgets/tabPageInfo.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

namespace {

const char kSite[] = "http://www.comments.example/";

class CommentsSession : public sitestest::SitesSession {
 protected:
  void SetUp() override {
    SitesSession::SetUp();
    comments::SetBaseAddress(m_pages.Url("/"));
  }
  void TearDown() override {
    comments::SetBaseAddress("");
    SitesSession::TearDown();
  }
  // Sends what the window holds by a click on "Send"; the journal's comment line that came of
  // it, or "" when none came.
  std::string SendByClick(CommentsFrame* window) {
    const size_t mark = JournalSize();
    window->Raise();
    // Hidden with its page closed, the window goes at the next idle turn.
    wxWeakRef<CommentsFrame> alive(window);
    guitest::ClickUntil(window->GetSendButton(), [&] { return !alive || !alive->IsShown(); });
    std::string sent;
    AwaitJournal([&](const std::string& line) {
      if (line.compare(0, 14, "alice comment ") != 0) return false;
      sent = line;
      return true;
    }, mark);
    return sent;
  }
  guitest::HttpTestServer m_pages;
};

TEST_F(CommentsSession, CommentsReadGradedSentAndHeldToTheLimit) {
  standintest::TestUser& bob = LogIn("bob");
  ASSERT_TRUE(Enter(bob, kSite));
  GetManager()->OpenChatRoom(kSite);
  CommentsFrame* window = nullptr;
  ASSERT_TRUE(Until([&] { return (window = CommentsFrame::Find(kSite)) != nullptr; }));
  EXPECT_FALSE(window->IsShown());
  const std::string id = GetManager()->GetURLInfo(kSite)->GetIdComments();
  ASSERT_FALSE(id.empty());
  m_pages.Serve("/index.php?site=" + id + "&user=alice", {200, "<html><body><p>bob: a fine site</p></body></html>"});
  CommentsFrame::OpenCommentsFor(kSite);
  ASSERT_TRUE(Until([&] { return window->IsShownOnScreen() && window->GetPagesShown() == 1; }));
  EXPECT_TRUE(window->GetPane()->ToText().Contains("bob: a fine site"));
  EXPECT_EQ("(no grade)", window->GetMeanGrade()->GetLabel());

  guitest::Type(window->GetCommentText(), "Useful, fast and clean");
  window->GetGradeChoice()->SetSelection(8);
  wxCommandEvent chosen(wxEVT_COMBOBOX, window->GetGradeChoice()->GetId());
  window->GetGradeChoice()->GetEventHandler()->ProcessEvent(chosen);
  EXPECT_EQ(std::string("alice comment site=\"") + kSite + "\" text=\"Useful, fast and clean\" grade=8",
            SendByClick(window));
  // The server's new figures reach the window.
  EXPECT_TRUE(Until([&] { return window->GetMeanGrade()->GetLabel() == "8.0"; }));
  bob.Link().SendComment(bob.Key(), kSite, "meh", 3);
  EXPECT_TRUE(Until([&] { return window->GetMeanGrade()->GetLabel() == "5.5"; }));

  // 513 characters typed or pasted: 512 stay, and 512 go.
  CommentsFrame::OpenCommentsFor(kSite);
  ASSERT_TRUE(Until([&] { return window->IsShownOnScreen(); }));
  window->GetCommentText()->SetValue(std::string(513, 'w'));
  ASSERT_TRUE(Until([&] { return window->GetCommentText()->GetValue().length() == 512; }));
  EXPECT_TRUE(window->GetSendButton()->IsEnabled());
  EXPECT_EQ(std::string("alice comment site=\"") + kSite + "\" text=\"" + std::string(512, 'w') + "\" grade=8",
            SendByClick(window));

  // Logged out with the window open, nothing goes and the window says so.
  CommentsFrame::OpenCommentsFor(kSite);
  ASSERT_TRUE(Until([&] { return window->IsShownOnScreen(); }));
  GetManager()->Disconnect(false, true);
  ASSERT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
  guitest::Type(window->GetCommentText(), "while away");
  const size_t mark = JournalSize();
  guitest::ClickUntil(window->GetSendButton(), [&] { return window->GetNotice()->IsShown(); });
  EXPECT_TRUE(window->IsShown());
  Settle();
  for (size_t i = mark; i < JournalSize(); ++i) EXPECT_EQ(std::string::npos, Journal()[i].find("alice comment"));
}

// Pages the browser opens and closes: a hidden window goes with its site, whether the page closes
// or the connection ends. One the user has on screen stays with what is typed in it, across the
// page closing and opening again, until the user closes it.
TEST_F(CommentsSession, AWindowLivesWhileItsSiteIsOpenOrOnScreen) {
  ASSERT_TRUE(Until([&] { return LocalServer::Instance() && Sites() && Sites()->IsShownOnScreen(); }));
  const auto open = [&](const std::string& site) {
    Answer(Browse(site));
    CommentsFrame* window = nullptr;
    EXPECT_TRUE(Until([&] { return (window = CommentsFrame::Find(site)) != nullptr; })) << site;
    return window;
  };
  const auto close = [&](const std::string& site) {
    Answer(Browse("CLOSE:" + site));
    EXPECT_TRUE(Until([&] { return Sites()->FindSitePanel(site) == nullptr; })) << site;
  };
  const std::string hidden = "http://hidden.example/", shown = "http://shown.example/";
  wxWeakRef<CommentsFrame> quiet(open(hidden));
  ASSERT_TRUE(quiet && !quiet->IsShown());
  close(hidden);
  EXPECT_TRUE(Until([&] { return !quiet; })) << "a closed page's hidden window stays";
  EXPECT_EQ(nullptr, CommentsFrame::Find(hidden));

  wxWeakRef<CommentsFrame> onScreen(open(shown));
  ASSERT_TRUE(onScreen);
  CommentsFrame::OpenCommentsFor(shown);
  ASSERT_TRUE(Until([&] { return onScreen->IsShownOnScreen(); }));
  guitest::Type(onScreen->GetCommentText(), "half written");
  close(shown);
  Settle();
  ASSERT_TRUE(onScreen && onScreen->IsShown());
  EXPECT_EQ("half written", onScreen->GetCommentText()->GetValue());
  // The page again: the same window, the text as the user left it.
  EXPECT_EQ(onScreen.get(), open(shown));
  EXPECT_EQ("half written", onScreen->GetCommentText()->GetValue());
  close(shown);
  ASSERT_TRUE(guitest::SendCloseBox(onScreen->GetTitle()));
  EXPECT_TRUE(Until([&] { return !onScreen; })) << "closed by the user, its site closed: it stays";
  EXPECT_EQ(nullptr, CommentsFrame::Find(shown));

  // The connection ends: the hidden window goes, the one on screen stays.
  wxWeakRef<CommentsFrame> left(open(hidden));
  wxWeakRef<CommentsFrame> kept(open(shown));
  CommentsFrame::OpenCommentsFor(shown);
  ASSERT_TRUE(Until([&] { return kept && kept->IsShownOnScreen(); }));
  // The user's own log-out, from the tool bar's button.
  Frame()->OnSwitchConnection(false);
  ASSERT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
  EXPECT_TRUE(Until([&] { return !left; }));
  Settle();
  EXPECT_TRUE(kept && kept->IsShown());
}

// A page opened, its room entered, the page closed: the room's tab stays, and its comments
// button makes the site's window again from what the program knows of the site. A comment sent
// from it reaches the server, and the window made next holds it. Text typed in it and not sent
// outlives the program's reduce until the tab closes.
TEST_F(CommentsSession, TheRoomsButtonOpensCommentsOnceItsPageClosed) {
  const std::string site = "http://www.stayed.example/";
  ASSERT_TRUE(Until([&] { return LocalServer::Instance() && Sites() && Sites()->IsShownOnScreen(); }));
  Answer(Browse(site));
  wxWeakRef<CommentsFrame> window;
  ASSERT_TRUE(Until([&] { return (window = CommentsFrame::Find(site)) != nullptr; }));
  Frame()->SubscribeChatRoom(site);
  ASSERT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(site); }));
  ChatRoomPanel* page = Rooms()->GetChatRoom(site);
  Answer(Browse("CLOSE:" + site));
  ASSERT_TRUE(Until([&] { return !window && Sites()->FindSitePanel(site) == nullptr; }));
  ASSERT_TRUE(Rooms()->IsChatRoomOpened(site));
  const std::string id = GetManager()->GetURLInfo(site)->GetIdComments();
  ASSERT_FALSE(id.empty());
  m_pages.Serve("/index.php?site=" + id + "&user=alice", {200, "<html><body><p>carol: worth a look</p></body></html>"});

  const auto clickComments = [&] {
    Rooms()->Raise();
    wxToolBar* tools = page->GetWriteMessagePanel()->GetToolBar();
    EXPECT_TRUE(roomstest::PointAtTool(tools, WriteMessagePanel::ID_COMMENT));
    wxUIActionSimulator().MouseClick();
    CommentsFrame* shown = nullptr;
    EXPECT_TRUE(Until([&] { return (shown = CommentsFrame::Find(site)) && shown->IsShownOnScreen(); }));
    return shown;
  };
  window = clickComments();
  ASSERT_TRUE(window);
  ASSERT_TRUE(Until([&] { return window->GetPagesShown() == 1; }));
  EXPECT_TRUE(window->GetPane()->ToText().Contains("carol: worth a look"));
  guitest::Type(window->GetCommentText(), "Stayed for the talk");
  window->GetGradeChoice()->SetSelection(6);
  wxCommandEvent chosen(wxEVT_COMBOBOX, window->GetGradeChoice()->GetId());
  window->GetGradeChoice()->GetEventHandler()->ProcessEvent(chosen);
  EXPECT_EQ("alice comment site=\"" + site + "\" text=\"Stayed for the talk\" grade=6", SendByClick(window));
  EXPECT_TRUE(Until([&] { return !window; })) << "hidden with its page closed, it stays";

  window = clickComments();
  ASSERT_TRUE(window);
  EXPECT_EQ("Stayed for the talk", window->GetCommentText()->GetValue());
  EXPECT_EQ(6, window->GetGradeChoice()->GetSelection());
  ASSERT_TRUE(guitest::SendCloseBox(window->GetTitle()));
  EXPECT_TRUE(Until([&] { return !window; }));

  // The program reduced by the main window's close box: a window holding nothing unsent goes;
  // one holding unsent text is kept, hidden, the room's button shows it again with that text,
  // and it goes with the room's tab.
  struct RememberReduce {
    Config* config = Config::GetInstance();
    const bool remember = config->GetRememberClose(), exits = config->GetClose();
    RememberReduce() { config->SetRememberClose(true), config->SetClose(false); }
    ~RememberReduce() { config->SetRememberClose(remember), config->SetClose(exits); }
  } reduceRemembered;
  const auto reduceAndBack = [&] {
    ASSERT_TRUE(guitest::SendCloseBox(Frame()->GetTitle()));
    ASSERT_TRUE(Until([&] { return !Rooms()->IsShown() && !(window && window->IsShown()); }));
    Settle();
    Frame()->OnSwitchChatRooms();
    ASSERT_TRUE(Until([&] { return Rooms()->IsShownOnScreen(); }));
  };
  window = clickComments();
  reduceAndBack();
  EXPECT_TRUE(Until([&] { return !window; })) << "kept with nothing unsent";
  window = clickComments();
  guitest::Type(window->GetCommentText(), "Not sent yet");
  reduceAndBack();
  ASSERT_TRUE(window) << "lost with its unsent text";
  EXPECT_FALSE(window->IsShown());
  EXPECT_EQ(window.get(), clickComments());
  EXPECT_EQ("Not sent yet", window->GetCommentText()->GetValue());
  reduceAndBack();
  ASSERT_TRUE(window && !window->IsShown()) << "lost with its unsent text, reduced again";
  // The X on the room's tab, the one selected.
  TabStrip* tabs = Rooms()->GetNotebook()->GetTabStrip();
  const wxRect closeTab = tabs->GetPageInfo(size_t(tabs->GetSelection())).GetXRect();
  Rooms()->Raise();
  EXPECT_TRUE(guitest::ClickAt(tabs, closeTab.GetPosition() + closeTab.GetSize() / 2,
                               [&] { return !Rooms()->IsChatRoomOpened(site); }));
  EXPECT_TRUE(Until([&] { return !window; })) << "its room's tab closed, it stays";
}

}  // namespace
