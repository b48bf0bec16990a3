// The site comments window: its grade and comment rules under real typing, the mean grade, one
// window per site kept up to date and gone with its site once hidden, closing that drops unsent
// edits, the 512-character limit, a comment that cannot go never looking sent, and the comments
// page fetched from a loopback server without holding the window: slow, missing, huge, hostile
// pages, and a window gone before its page came.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "core/application.h"
#include "gui/rooms/commentsFrame.h"
#include "gui/rooms/commentsPageLoader.h"
#include "gui/rooms/commentsPane.h"
#include "gui/webBrowser.h"
#include "model/config.h"
#include "model/urlInfo.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/httpTestServer.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/gui/textFit.h"
#include "tests/support/testSupport.h"

namespace {

const char kPath[] = "/index.php?site=42&user=alice";

void ChooseGrade(CommentsFrame* frame, int grade) {
  frame->GetGradeChoice()->SetSelection(grade);
  wxCommandEvent chosen(wxEVT_COMBOBOX, frame->GetGradeChoice()->GetId());
  chosen.SetInt(grade);
  frame->GetGradeChoice()->GetEventHandler()->ProcessEvent(chosen);
}

wxString PaneText(CommentsFrame* frame) { return frame->GetPane()->ToText(); }

class CommentsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    Config::SetPath(testsupport::SourceDir() + "/data/");
    Config::GetInstance()->SetLogin("alice");
    comments::SetBaseAddress(m_server.Url("/"));
    comments::SetLimits(comments::Limits{2, 3, 1 << 20});
  }
  void TearDown() override {
    CommentsFrame::CloseAll();
    guitest::Pump(50);
    comments::SetBaseAddress("");
    comments::SetLimits(comments::Limits{});
  }
  CommentsFrame* Make(const std::string& url, float mean, const std::string& comment, int grade) {
    return CommentsFrame::CreateCommentsFor(nullptr, nullptr, GetManager(), url, "42", mean, comment, grade);
  }
  guitest::HttpTestServer m_server;
};

TEST(CommentsText, MeanGrade) {
  EXPECT_EQ("7.5", CommentsFrame::MeanGradeText(7.46f));
  EXPECT_EQ("10.0", CommentsFrame::MeanGradeText(10.0f));
  EXPECT_EQ("0.0", CommentsFrame::MeanGradeText(0.0f));
  EXPECT_EQ("(no grade)", CommentsFrame::MeanGradeText(10.01f));
  EXPECT_EQ("(no grade)", CommentsFrame::MeanGradeText(99.0f));
  EXPECT_EQ("(no grade)", CommentsFrame::MeanGradeText(std::nanf("")));
  EXPECT_EQ("http://comments.example/index.php?site=4%262&user=a%40b",
            (comments::SetBaseAddress("http://comments.example/"), comments::PageAddress("4&2", "a@b")));
}

TEST_F(CommentsWindow, GradeAndCommentRulesUnderRealTyping) {
  CommentsFrame* ungraded = Make("http://one.example/", 99.0f, "", 99);
  EXPECT_EQ("Comments on http://one.example/", ungraded->GetTitle());
  EXPECT_FALSE(ungraded->IsShown());
  ungraded->Show(true);
  ASSERT_TRUE(guitest::PumpUntil([&] { return ungraded->IsShownOnScreen(); }));
  EXPECT_EQ(wxNOT_FOUND, ungraded->GetGradeChoice()->GetSelection());
  EXPECT_EQ(11u, ungraded->GetGradeChoice()->GetCount());
  EXPECT_EQ("(no grade)", ungraded->GetMeanGrade()->GetLabel());
  EXPECT_FALSE(ungraded->GetSendButton()->IsEnabled());
  // The text alone does not make a comment worth sending: a grade does.
  guitest::Type(ungraded->GetCommentText(), "nice place");
  EXPECT_FALSE(ungraded->GetSendButton()->IsEnabled());
  ChooseGrade(ungraded, 0);
  EXPECT_TRUE(ungraded->GetSendButton()->IsEnabled());

  CommentsFrame* graded = Make("http://two.example/", 7.46f, "old words", 7);
  graded->Show(true);
  ASSERT_TRUE(guitest::PumpUntil([&] { return graded->IsShownOnScreen(); }));
  EXPECT_EQ(7, graded->GetGradeChoice()->GetSelection());
  EXPECT_EQ("7.5", graded->GetMeanGrade()->GetLabel());
  EXPECT_EQ("old words", graded->GetCommentText()->GetValue());
  EXPECT_FALSE(graded->GetSendButton()->IsEnabled());
  guitest::Type(graded->GetCommentText(), "new words");
  EXPECT_TRUE(graded->GetSendButton()->IsEnabled());

  // Sent while not connected: nothing goes, the window stays with its text and says so.
  guitest::ClickUntil(graded->GetSendButton(), [&] { return graded->GetNotice()->IsShown(); });
  EXPECT_TRUE(graded->IsShown());
  EXPECT_EQ("new words", graded->GetCommentText()->GetValue());

  // The title bar drops the unsent edits: shown again, the stored comment and grade are back.
  ChooseGrade(graded, 3);
  EXPECT_FALSE(graded->Close(false));
  EXPECT_FALSE(graded->IsShown());
  graded->Show(true);
  EXPECT_EQ("old words", graded->GetCommentText()->GetValue());
  EXPECT_EQ(7, graded->GetGradeChoice()->GetSelection());
  EXPECT_FALSE(graded->GetNotice()->IsShown());

  std::vector<std::string> pages;
  browser::SetRecorder([&](const std::string& url) { pages.push_back(url); });
  auto* help = guitest::FindChild<wxStaticText>(graded, [](wxStaticText* t) { return t->GetLabel() == "Help?"; });
  guitest::ClickUntil(help, [&] { return !pages.empty(); });
  browser::SetRecorder(nullptr);
  EXPECT_NE(std::string::npos, pages.at(0).find("/userguide.php#comments"));
}

// The window at the usual font size and again with every font twice as large: opened at least
// at its usual 400 x 400, with every control inside it and whole, each label on one line, also
// once the mean grade has changed to the longest it shows; the comment field two lines high.
TEST_F(CommentsWindow, EveryControlInsideAtTheFontInUse) {
  m_server.Serve(kPath, {200, "<html><body><p>Nice site</p></body></html>"});
  CommentsFrame* frame = Make("http://fit.example/", 7.46f, "", 99);
  textfit::LargeFont(frame);
  frame->Show(true);
  // With its comments: no page is left on its way when the case ends the program, run alone.
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->IsShownOnScreen() && frame->GetPagesShown() > 0; }));
  EXPECT_GE(frame->GetSize().x, 400);
  EXPECT_GE(frame->GetSize().y, 400);
  CommentsFrame::UpdateComment("http://fit.example/", 3, 99.0f);
  ASSERT_EQ("(no grade)", frame->GetMeanGrade()->GetLabel());
  auto label = [&](const wxString& text) {
    return guitest::FindChild<wxStaticText>(frame, [&](wxStaticText* t) { return t->GetLabelText() == text; });
  };
  const std::vector<wxWindow*> shown = {frame->GetCommentText(), label("Your grade:"),  frame->GetGradeChoice(),
                                        label("Mean grade:"),    frame->GetMeanGrade(), frame->GetSendButton(),
                                        label("Help?")};
  for (wxWindow* w : shown) ASSERT_NE(nullptr, w);
  guitest::PumpUntil([&] { return textfit::Faults(frame, shown).empty(); });
  EXPECT_EQ("", textfit::Faults(frame, shown));
  for (wxWindow* w : shown) EXPECT_FALSE(textfit::Cut(w));
  EXPECT_GE(frame->GetCommentText()->GetSize().y, 2 * frame->GetCommentText()->GetCharHeight());
}

TEST_F(CommentsWindow, NoMoreThanTheMessageLimitIsKeptOrSent) {
  CommentsFrame* frame = Make("http://limit.example/", 5.0f, "", 4);
  frame->Show(true);
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->IsShownOnScreen(); }));
  const wxString full(wxUniChar(0xE9), 512);  // 512 characters, 1024 bytes
  frame->GetCommentText()->SetValue(full + "x");
  EXPECT_TRUE(guitest::PumpUntil([&] { return frame->GetCommentText()->GetValue() == full; }));
  EXPECT_TRUE(frame->GetSendButton()->IsEnabled());
  // One more, typed at the end or pasted: refused, the 512 kept.
  guitest::ClickUntil(frame->GetCommentText(), [&] { return frame->GetCommentText()->HasFocus(); });
  frame->GetCommentText()->SetInsertionPointEnd();
  // The key has been handled (its press seen) before the field is looked at.
  guitest::KeyPresses pressed;
  wxUIActionSimulator().Text("x");
  EXPECT_TRUE(guitest::PumpUntil([&] { return pressed.count > 0; })) << "the key was not handled";
  guitest::Pump(200);
  EXPECT_EQ(full, frame->GetCommentText()->GetValue());
  frame->GetCommentText()->AppendText("yz");
  EXPECT_FALSE(frame->GetSendButton()->IsEnabled());
  EXPECT_TRUE(guitest::PumpUntil([&] { return frame->GetCommentText()->GetValue() == full; }));
  EXPECT_TRUE(frame->GetSendButton()->IsEnabled());
}

TEST_F(CommentsWindow, OneWindowPerSiteKeptUpToDate) {
  CommentsFrame* first = Make("http://site.example/", 99.0f, "", 99);
  URLInfo record;
  record.SetURL("http://site.example/");
  record.SetIdComments("43");
  record.SetGrade(6.0f);
  record.SetUserComment("later");
  record.SetUserGrade(9);
  // The room opened again: the same window, with the record's figures.
  EXPECT_EQ(first, CommentsFrame::CreateCommentsFor(nullptr, nullptr, GetManager(), record));
  EXPECT_EQ("6.0", first->GetMeanGrade()->GetLabel());
  EXPECT_EQ("later", first->GetCommentText()->GetValue());
  EXPECT_EQ(9, first->GetGradeChoice()->GetSelection());
  CommentsFrame* other = Make("http://Site.example/", 99.0f, "", 99);  // exact URLs: another site
  EXPECT_NE(first, other);
  CommentsFrame::UpdateComment("http://site.example/", 12, 7.0f);
  EXPECT_EQ("7.0", first->GetMeanGrade()->GetLabel());
  EXPECT_EQ("(no grade)", other->GetMeanGrade()->GetLabel());
  CommentsFrame::OpenCommentsFor("http://none.example/");
  EXPECT_FALSE(first->IsShown() || other->IsShown());
  CommentsFrame::OpenCommentsFor("http://Site.example/");
  EXPECT_TRUE(other->IsShown());
  EXPECT_FALSE(first->IsShown());
  other->Show(false);
  // A window gone leaves the registry: later updates do not reach freed memory.
  wxWeakRef<CommentsFrame> gone(first);
  first->Close(true);
  ASSERT_TRUE(guitest::PumpUntil([&] { return !gone; }));
  EXPECT_EQ(nullptr, CommentsFrame::Find("http://site.example/"));
  CommentsFrame::UpdateComment("http://site.example/", 13, 8.0f);
  CommentsFrame::OpenCommentsFor("http://site.example/");
}

// A site closed while its window is on screen: the window goes once hidden, whichever way (its
// close box, hidden from outside as the main window's reduce does), unless the site opened again
// meanwhile. Hidden, it goes at once.
TEST_F(CommentsWindow, AClosedSitesWindowGoesOnceHidden) {
  const auto onScreen = [](CommentsFrame* w) {
    w->Show(true);
    return guitest::PumpUntil([&] { return guitest::ShownWindowTitled(w->GetTitle()) != 0; });
  };
  const auto closeBox = [](CommentsFrame* w) {
    const wxString title = w->GetTitle();
    EXPECT_TRUE(guitest::SendCloseBox(title));
    EXPECT_TRUE(guitest::PumpUntil([&] { return guitest::ShownWindowTitled(title) == 0; }));
  };
  const std::function<void(CommentsFrame*)> hides[] = {closeBox, [](CommentsFrame* w) { w->Show(false); }};
  for (const auto& hide : hides) {
    wxWeakRef<CommentsFrame> window(Make("http://gone.example/", 99.0f, "", 99));
    ASSERT_TRUE(onScreen(window));
    CommentsFrame::SiteClosed("http://gone.example/");
    guitest::Pump(50);
    ASSERT_TRUE(window && window->IsShown());
    EXPECT_EQ(window.get(), CommentsFrame::Find("http://gone.example/"));
    hide(window);
    EXPECT_EQ(nullptr, CommentsFrame::Find("http://gone.example/"));
    EXPECT_TRUE(guitest::PumpUntil([&] { return !window; }));
  }
  wxWeakRef<CommentsFrame> reopened(Make("http://back.example/", 99.0f, "", 99));
  ASSERT_TRUE(onScreen(reopened));
  CommentsFrame::SiteClosed("http://back.example/");
  EXPECT_EQ(reopened.get(), Make("http://back.example/", 99.0f, "", 99));
  closeBox(reopened);
  CommentsFrame::SiteClosed("http://none.example/");
  guitest::Pump(50);
  ASSERT_TRUE(reopened);
  EXPECT_FALSE(reopened->IsShown());
  CommentsFrame::SiteClosed("http://back.example/");
  EXPECT_TRUE(guitest::PumpUntil([&] { return !reopened; }));
}

TEST_F(CommentsWindow, PageLoadsWithoutHoldingTheWindowAndRunsNothing) {
  CommentsFrame* frame = Make("http://page.example/", 99.0f, "", 99);
  struct Case {
    const char* what;
    guitest::HttpTestServer::Reply reply;
    bool shown;
  } cases[] = {
      {"a page", {200, "<html><body><p>Nice site</p></body></html>"}, true},
      {"a 404", {404, "<html><body>missing</body></html>"}, false},
      {"50 MB announced", {200, std::string(1000, 'a'), 50L << 20}, false},
      {"5 MB unannounced", {200, std::string(5 << 20, 'b'), -1, false, false}, false},
  };
  for (const Case& c : cases) {
    m_server.Serve(kPath, c.reply);
    const int before = frame->GetPagesShown();
    frame->Show(true);
    EXPECT_TRUE(PaneText(frame).Contains("Error while downloading")) << c.what;
    if (c.shown) {
      EXPECT_TRUE(guitest::PumpUntil([&] { return frame->GetPagesShown() > before; })) << c.what;
      EXPECT_TRUE(PaneText(frame).Contains("Nice site")) << c.what;
    } else {
      guitest::Pump(600);
      EXPECT_EQ(before, frame->GetPagesShown()) << c.what;
      EXPECT_TRUE(PaneText(frame).Contains("Error while downloading")) << c.what;
    }
  }

  // Markup from the network: shown as layout only; it fetches nothing and only web links leave.
  const int requests = m_server.Requests();
  m_server.Serve(kPath, {200,
                         "<html><head><meta http-equiv=\"refresh\" content=\"0;url=file:///etc/passwd\"></head>"
                         "<body><script>document.write('ran')</script><img src=\"/picture.png\">"
                         "<img src=\"file:///etc/hostname\"><iframe src=\"/frame\"></iframe>"
                         "<a href=\"file:///etc/passwd\">local</a> <a href=\"http://web.example/x\">web</a> "
                         "<p>caf\xc3\xa9 &lt;b&gt;</p></body></html>"});
  const int before = frame->GetPagesShown();
  frame->Show(true);
  ASSERT_TRUE(guitest::PumpUntil([&] { return frame->GetPagesShown() > before; }));
  guitest::Pump(200);
  EXPECT_EQ(requests + 1, m_server.Requests());
  EXPECT_TRUE(PaneText(frame).Contains(wxString::FromUTF8("caf\xc3\xa9 <b>")));
  std::vector<std::string> opened;
  browser::SetRecorder([&](const std::string& url) { opened.push_back(url); });
  frame->GetPane()->OnLinkClicked(wxHtmlLinkInfo("file:///etc/passwd"));
  frame->GetPane()->OnLinkClicked(wxHtmlLinkInfo("javascript:alert(1)"));
  frame->GetPane()->OnLinkClicked(wxHtmlLinkInfo("http://web.example/x\n--flag"));
  frame->GetPane()->OnLinkClicked(wxHtmlLinkInfo("http://web.example/x"));
  browser::SetRecorder(nullptr);
  EXPECT_EQ(std::vector<std::string>{"http://web.example/x"}, opened);
}

TEST_F(CommentsWindow, ASlowServerHoldsNothingAndALatePageIsDropped) {
  m_server.Serve(kPath, {200, "<html><body>slow page</body></html>", -1, true});
  CommentsFrame* frame = Make("http://slow.example/", 99.0f, "", 99);
  frame->Show(true);
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_server.Holding(); }));
  // The window answers while the server holds its page.
  guitest::Type(frame->GetCommentText(), "typed while waiting");
  ChooseGrade(frame, 5);
  EXPECT_TRUE(frame->GetSendButton()->IsEnabled());
  // Given up after the time allowed (the loader lets the connection go): the placeholder stays.
  EXPECT_TRUE(guitest::PumpUntil([&] { return !m_server.Holding(); }));
  guitest::Pump(300);
  EXPECT_EQ(0, frame->GetPagesShown());
  EXPECT_TRUE(PaneText(frame).Contains("Error while downloading"));

  // A window that goes while its page is on the way: the page is dropped when it comes.
  m_server.Serve(kPath, {200, "<html><body>late page</body></html>", -1, true});
  CommentsFrame* doomed = Make("http://doomed.example/", 99.0f, "", 99);
  doomed->Show(true);
  ASSERT_TRUE(guitest::PumpUntil([&] { return m_server.Holding(); }));
  wxWeakRef<CommentsFrame> gone(doomed);
  doomed->Close(true);
  ASSERT_TRUE(guitest::PumpUntil([&] { return !gone; }));
  m_server.Release();
  guitest::Pump(300);
}

}  // namespace
