// The program's start-up, main window and end, run in this process as the program runs them:
// a fresh user directory, every controller event reaching the window, closing with a dialog
// open, and the refusals of an unusable HOME.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/app.h>
#include <wx/intl.h>
#include <wx/splitter.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/application.h"
#include "core/guiEvents.h"
#include "gui/appStartup.h"
#include "gui/loginDialog.h"
#include "gui/mainFrame.h"
#include "gui/messageYesNoCancelFrame.h"
#include "gui/sites/sitesPanel.h"
#include "model/config.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/testSupport.h"

namespace {

using testsupport::FileExists;
using testsupport::TempDir;

class RecordingPrompter : public startup::StartupPrompter {
 public:
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool AskSetAside(const std::string&) override { return setAside; }
  bool AskRetryBackup(const std::string&) override { return false; }
  std::vector<std::string> errors;
  bool setAside = true;
};

// A payload that counts how often it is freed.
struct Counted : wxObject {
  explicit Counted(int* frees) : m_frees(frees) {}
  ~Counted() override { ++*m_frees; }
  int* m_frees;
};

class ProgramRun : public ::testing::Test {
 protected:
  void SetUp() override {
    m_savedHome = getenv("HOME") ? getenv("HOME") : "";
    setenv("HOME", m_home.path().c_str(), 1);
    setenv("PARLAVOX_DATA", (testsupport::SourceDir() + "/data").c_str(), 1);
    m_savedLog = wxLog::GetActiveTarget();
  }
  void TearDown() override {
    setenv("HOME", m_savedHome.c_str(), 1);
    // Start-up made the program's log target the active one: put the test's back.
    wxLog* installed = wxLog::SetActiveTarget(m_savedLog);
    if (installed != m_savedLog) delete installed;
  }

  TempDir m_home;
  std::string m_savedHome;
  wxLog* m_savedLog = nullptr;
  wxLocale m_locale;
};

TEST_F(ProgramRun, StartsInAFreshHomeAndLeavesItsFilesAtTheEnd) {
  RecordingPrompter prompter;
  MainFrame* frame = startup::StartApplication(m_locale, prompter);
  ASSERT_NE(nullptr, frame);
  EXPECT_TRUE(prompter.errors.empty());
  EXPECT_EQ(frame, MainFrame::GetInstance());
  const std::string dir = m_home.file(".parlavox");
  struct stat info;
  ASSERT_EQ(0, stat(dir.c_str(), &info));
  EXPECT_EQ(0700, int(info.st_mode & 0777));
  EXPECT_TRUE(guitest::PumpUntil([&] { return frame->IsShownOnScreen(); }));
  // Not connected: the log-in panel fills the bottom pane, the sites panel is hidden.
  auto* splitter = guitest::FindChild<wxSplitterWindow>(frame, [](wxSplitterWindow*) { return true; });
  ASSERT_TRUE(splitter);
  EXPECT_TRUE(dynamic_cast<LoginDialog*>(splitter->GetWindow2()));
  EXPECT_FALSE(guitest::FindChild<SitesPanel>(frame, [](SitesPanel*) { return true; })->IsShown());

  // Every event the controller posts reaches the window; an owned payload is freed once.
  const wxEventType types[] = {
      wxEVT_CONNECTION_ACK, wxEVT_RECEIVE_OPEN_CHATROOM_ACK, wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT,
      wxEVT_RECEIVE_NEW_MESSAGE, wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK, wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK,
      wxEVT_RECEIVE_CONTACT_EVENT, wxEVT_RECEIVE_ADD_WEBSITE, wxEVT_RECEIVE_KEY_TYPED, wxEVT_RECEIVE_MESSAGE_FILE,
      wxEVT_RECEIVE_CLOSE_CHATROOM, wxEVT_RECEIVE_DEL_CONTACT, wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM,
      wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER, wxEVT_RECEIVE_UPDATE_AVATAR, wxEVT_RECEIVE_UPDATE_COMMENTS,
      wxEVT_RECEIVE_UPDATE_AD, wxEVT_RECEIVE_RECOMMEND_SITE, wxEVT_RECEIVE_BAN_SITE,
      wxEVT_RECEIVE_REGISTER_EXTENSION, wxEVT_RECEIVE_MESSENGER_INFO, wxEVT_REMOVE_ALL_PRIVATE_CONTACTS,
      wxEVT_RECEIVE_UPLOAD_INSTALLER};
  int frees = 0;
  std::vector<wxEventType> reached;
  for (wxEventType type : types) {
    // Seen after the window's own handler has run (bound first, it runs last).
    frame->Bind(wxEventTypeTag<wxCommandEvent>(type), [&reached, type](wxCommandEvent& e) { reached.push_back(type); e.Skip(); },
                Manager::GetEventId());
    ManagerEvent event(type, Manager::GetEventId());
    event.SetOwnedObject(new Counted(&frees));
    GetManager()->AddPendingEvent(event);
  }
  GetManager()->AddPendingEvent(ManagerEvent(wxEVT_RECEIVE_NEW_MESSAGE, Manager::GetEventId() + 1));
  guitest::PumpUntil([&] { return reached.size() >= std::size(types) && frees >= int(std::size(types)); });
  // Anything more (the event for another window) would come within the same turns.
  guitest::Pump(50);
  EXPECT_EQ(std::vector<wxEventType>(std::begin(types), std::end(types)), reached);
  EXPECT_EQ(int(std::size(types)), frees);

  // Quitting with a question open: the question is cancelled, then the window goes.
  int answer = 0;
  frame->CallAfter([&] {
    // As a window asks a question: on its own stack, the main window as parent.
    MessageYesNoCancelFrame question(frame, "Sure?", "", "Question", "&Yes", "&No", "", "", 0);
    frame->CallAfter([&] { frame->Close(true); });
    answer = question.ShowModal();
  });
  EXPECT_TRUE(guitest::PumpUntil([] { return MainFrame::GetInstance() == nullptr; }));
  EXPECT_EQ(wxID_CANCEL, answer);
  startup::EndApplication();
  EXPECT_TRUE(FileExists(dir + "/parlavox.xml"));
}

TEST_F(ProgramRun, UnusableHomeEndsWithAReasonAndWritesNothing) {
  ASSERT_TRUE(testsupport::WriteFile(m_home.file("file"), "x"));
  char cwd[4096];
  ASSERT_TRUE(getcwd(cwd, sizeof cwd));
  TempDir work;
  ASSERT_EQ(0, chdir(work.path().c_str()));
  const char* homes[] = {nullptr, "", "/proc/self", nullptr};
  std::string file = m_home.file("file");
  homes[3] = file.c_str();
  for (const char* home : homes) {
    if (home) setenv("HOME", home, 1);
    else unsetenv("HOME");
    RecordingPrompter prompter;
    EXPECT_EQ(nullptr, startup::StartApplication(m_locale, prompter));
    ASSERT_EQ(1u, prompter.errors.size());
  }
  // Nothing was written in the working directory (no stray trace log) nor in the file.
  EXPECT_EQ(0, system(("test -z \"$(ls -A '" + work.path() + "')\"").c_str()));
  EXPECT_EQ("x", testsupport::ReadFile(file));
  ASSERT_EQ(0, chdir(cwd));
}

}  // namespace
