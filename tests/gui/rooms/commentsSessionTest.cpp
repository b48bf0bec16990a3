// The site comments window in the whole program on the stand-in server: made when the site's
// room opens, opened as the sites panel does, its page loaded from a loopback server, a comment
// typed, graded and sent by real input, the mean grade following the server's counts, and the
// 512-character limit: 512 reach the server, a 513th never does.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <string>

#include "core/application.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/rooms/commentsPane.h"
#include "model/urlInfo.h"
#include "tests/gui/httpTestServer.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/support/programSession.h"

namespace {

const char kSite[] = "http://www.comments.example/";

class CommentsSession : public programtest::ProgramSession {
 protected:
  void SetUp() override {
    ProgramSession::SetUp();
    comments::SetBaseAddress(m_pages.Url("/"));
  }
  void TearDown() override {
    comments::SetBaseAddress("");
    ProgramSession::TearDown();
  }
  // Sends what the window holds by a click on "Send"; the journal's comment line that came of
  // it, or "" when none came.
  std::string SendByClick(CommentsFrame* window) {
    const size_t mark = JournalSize();
    window->Raise();
    guitest::ClickUntil(window->GetSendButton(), [&] { return !window->IsShown(); });
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

  // Logged out, nothing goes and the window says so.
  GetManager()->Disconnect(false, true);
  ASSERT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
  CommentsFrame::OpenCommentsFor(kSite);
  ASSERT_TRUE(Until([&] { return window->IsShownOnScreen(); }));
  guitest::Type(window->GetCommentText(), "while away");
  const size_t mark = JournalSize();
  guitest::ClickUntil(window->GetSendButton(), [&] { return window->GetNotice()->IsShown(); });
  EXPECT_TRUE(window->IsShown());
  Settle();
  for (size_t i = mark; i < JournalSize(); ++i) EXPECT_EQ(std::string::npos, Journal()[i].find("alice comment"));
}

}  // namespace
