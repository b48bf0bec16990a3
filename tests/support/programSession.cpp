#include "tests/support/programSession.h"

#include <wx/log.h>

#include <cstdlib>

#include "core/application.h"
#include "gui/appStartup.h"
#include "gui/mainFrame.h"
#include "gui/notifyFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/soundPlayer.h"
#include "model/config.h"
#include "model/contactEvent.h"
#include "model/smiley.h"
#include "model/stringConversion.h"
#include "network/localServer.h"
#include "tests/gui/guiTestSupport.h"

namespace programtest {

namespace {

using standintest::TestUser;

const char* const kAccounts = "alice alice Alice\nbob bob Bob\ncarol carol Carol\ndave dave Dave\n"
                              "erin erin Erin\nfrank frank Frank\ngrace grace Grace\nheidi heidi Heidi\n";
// grace and heidi are left as a new run knows them: the controller has no record of theirs until
// the server speaks of them.
const char* const kOthers[] = {"bob", "carol", "dave", "erin", "frank"};
// Contact events are numbered from 0 for the life of the controller; no test makes this many.
const long kMostEvents = 5000;

class QuietPrompter : public startup::StartupPrompter {
 public:
  void ShowError(const std::string&) override {}
  bool AskSetAside(const std::string&) override { return true; }
  bool AskRetryBackup(const std::string&) override { return false; }
};

std::string Describe(const NotifyItem& item) {
  return wx2std(item.title) + " | " + wx2std(item.text) + " | " + wx2std(item.text2) + " | " +
         std::to_string(item.action.GetType()) + " " + item.action.GetParam();
}

}  // namespace

void ProgramSession::SetUp() {
  StartServer();
  ASSERT_FALSE(HasFatalFailure());
  StartProgram();
  ASSERT_FALSE(HasFatalFailure());
  ForgetOthers();
  ForgetSites();
  Manager* manager = GetManager();
  manager->Connect("alice", "alice", false, "127.0.0.1", m_server->Port(), true, false);
  ASSERT_TRUE(Until([&] { return manager->IsConnected(); })) << "alice did not log in";
  // What the log-in itself announced is not looked at.
  Settle();
  NewPopups();
  NewSounds();
}

void ProgramSession::StartServer() {
  ASSERT_TRUE(testsupport::LinkProgramData(m_data.path()));
  ASSERT_TRUE(testsupport::WriteFile(m_data.file("accounts"), kAccounts));
  std::vector<std::string> arguments = {"--accounts", m_data.file("accounts"), "--journal", m_data.file("journal")};
  arguments.insert(arguments.end(), m_standinArguments.begin(), m_standinArguments.end());
  m_server.reset(new standintest::StandinProcess(PARLAVOX_STANDIN_PROGRAM, m_data.path(), arguments));
  ASSERT_NE(0, m_server->Port());
}

void ProgramSession::StartProgram() {
  m_savedHome = getenv("HOME") ? getenv("HOME") : "";
  setenv("HOME", m_home.path().c_str(), 1);
  setenv("PARLAVOX_DATA", m_data.path().c_str(), 1);
  unsetenv("PARLAVOX_SERVER");
  Manager::SetListenerPort(0);
  ClientSideRequest::SetListenerPort(0);
  m_savedLog = wxLog::GetActiveTarget();
  QuietPrompter prompter;
  m_frame = startup::StartApplication(m_locale, prompter);
  ASSERT_TRUE(m_frame);
  m_rooms = guitest::FindChild<ChatRoomsNotebook>(m_frame, [](ChatRoomsNotebook*) { return true; });
  ASSERT_TRUE(m_rooms && NotifyFrame::GetInstance());
  sound::SetRecorder([this](const std::string& file) { m_sounds.push_back(file); });
  // The controller outlives a test: its own smileys are read from this test's data folder, as a
  // new run reads them from its own (an earlier test's folder is gone).
  for (Smiley* smiley : GetManager()->GetSmileys(std::string()))
    if (smiley->IsDefault()) smiley->SetFilename(Config::GetImagePath(smiley->GetName() + ".png"));
}

void ProgramSession::ForgetOthers() {
  // The contacts an earlier test saved are taken out of the settings (the controller keeps
  // their records); they are known offline, as a new run knows them. What earlier tests left
  // in the controller's table of events is not looked at.
  Manager* manager = GetManager();
  for (const char* login : kOthers) {
    Config::GetInstance()->RemoveContact(login);
    manager->GetContactInfo(login)->SetStatus(STATUS_OFFLINE);
  }
  m_earlierEvents.clear();
  for (long id = 0; id < kMostEvents; ++id)
    if (manager->GetContactEvent(id)) m_earlierEvents.insert(id);
}

void ProgramSession::ForgetSites() {
  // The extension listener lives as long as the process, and so do the settings when the new
  // home has no file: the pages an earlier test left open would be entered again at this log-in,
  // and the sites and recommendations it saved would stand. A new run knows none of them.
  if (std::shared_ptr<LocalServer> listener = LocalServer::Instance()) listener->Reset();
  Config* config = Config::GetInstance();
  for (URLInfo* site : config->GetAllURLInfo()) config->RemoveURLInfo(site->GetURL());
  while (config->GetNbrRecommendedSites() > 0) config->DelRecommendedSite(config->GetRecommendedSite(0)->GetURL());
}

void ProgramSession::TearDown() {
  m_users.clear();
  sound::SetRecorder(nullptr);
  // Alice logs out before she quits: her contacts go offline in the controller, which the next
  // test's session finds again.
  if (GetManager()->IsConnected()) {
    GetManager()->Disconnect(false, true);
    EXPECT_TRUE(Until([] { return GetManager()->IsDisconnected(); }));
    Settle();
  }
  Exit();
  if (!m_savedHome.empty()) setenv("HOME", m_savedHome.c_str(), 1);
  if (m_savedLog) {
    wxLog* installed = wxLog::SetActiveTarget(m_savedLog);
    if (installed != m_savedLog) delete installed;
  }
  if (m_server) {
    EXPECT_EQ(0, m_server->Stop()) << "the stand-in server did not end cleanly";
  }
  m_server.reset();
}

void ProgramSession::Exit() {
  if (!m_frame) return;
  // The program may have ended by itself (the session's end during a test).
  if (MainFrame::GetInstance()) m_frame->Close(true);
  EXPECT_TRUE(Until([] { return MainFrame::GetInstance() == nullptr; }));
  startup::EndApplication();
  m_frame = nullptr;
  m_rooms = nullptr;
}

bool ProgramSession::Until(const std::function<bool()>& cond, int ms) {
  return guitest::PumpUntil(cond, ms);
}

void ProgramSession::Settle() {
  guitest::Pump(300);
}

TestUser& ProgramSession::LogIn(const std::string& login, t_status status) {
  m_users[login].reset(new TestUser(m_server->Port(), login, "", status));
  EXPECT_TRUE(m_users[login]->LoggedIn()) << login;
  return *m_users[login];
}

void ProgramSession::LogOut(const std::string& login) {
  TestUser& user = *m_users.at(login);
  user.Link().SendDisconnect(user.Key());
  EXPECT_TRUE(user.WaitEnd()) << login;
  m_users.erase(login);
}

void ProgramSession::Befriend(TestUser& other) {
  other.Link().AddContact(other.Key(), "alice", "Hello");
  ContactEvent* request = AwaitStored(CE_ADD_RECEIVED, other.Login());
  ASSERT_TRUE(request);
  ASSERT_TRUE(GetManager()->SendAddContactAnswer(request->GetId(), true, "Welcome"));
  ASSERT_TRUE(other.Wait(S2C_Request_PR_addcontactanswer));
  ASSERT_TRUE(Until([&] {
    return GetManager()->HasContact(other.Login()) &&
           GetManager()->GetContactInfo(other.Login())->GetStatus() == STATUS_ONLINE;
  })) << other.Login();
  Settle();
}

bool ProgramSession::Enter(TestUser& other, const std::string& room) {
  other.Link().SendSubscribeChatRoom(other.Key(), room);
  return other.Wait(S2C_Request_PR_suburlack, [&](const S2C_Request_t& r) {
           return standintest::Str(r.choice.suburlack.site) == room;
         }) != nullptr;
}

Lines ProgramSession::Journal() const {
  return testsupport::ReadLines(m_data.file("journal"));
}

bool ProgramSession::AwaitJournal(const std::string& line, size_t from) {
  const bool found = AwaitJournal([&](const std::string& l) { return l == line; }, from);
  if (!found) {
    std::string seen;
    Lines lines = Journal();
    for (size_t i = from; i < lines.size(); ++i) seen += "  " + lines[i] + "\n";
    ADD_FAILURE() << "the server did not receive\n  " << line << "\nit received:\n" << seen;
  }
  return found;
}

bool ProgramSession::AwaitJournal(const std::function<bool(const std::string&)>& match, size_t from) {
  return Until([&] {
    Lines lines = Journal();
    for (size_t i = from; i < lines.size(); ++i)
      if (match(lines[i])) return true;
    return false;
  });
}

ContactEvent* ProgramSession::Stored(int type, const std::string& login) {
  for (long id = 0; id < kMostEvents; ++id) {
    ContactEvent* event = m_earlierEvents.count(id) ? nullptr : GetManager()->GetContactEvent(id);
    if (event && event->GetType() == type && event->GetLogin() == login) return event;
  }
  return nullptr;
}

ContactEvent* ProgramSession::AwaitStored(int type, const std::string& login) {
  ContactEvent* found = nullptr;
  EXPECT_TRUE(Until([&] { return (found = Stored(type, login)) != nullptr; })) << type << " " << login;
  return found;
}

Lines ProgramSession::NewPopups() {
  Lines lines;
  NotifyFrame* popup = NotifyFrame::GetInstance();
  if (!popup) return lines;
  for (; m_popupsSeen < popup->GetCount(); ++m_popupsSeen) lines.push_back(Describe(*popup->GetItem(m_popupsSeen)));
  return lines;
}

bool ProgramSession::AwaitPopups(size_t count) {
  return Until([&] {
    NotifyFrame* popup = NotifyFrame::GetInstance();
    return count == 0 || (popup && popup->GetCount() >= m_popupsSeen + count);
  });
}

bool ProgramSession::AwaitSounds(size_t count) {
  return Until([&] { return m_sounds.size() >= count; });
}

Lines ProgramSession::NewSounds() {
  Lines sounds;
  sounds.swap(m_sounds);
  return sounds;
}

}  // namespace programtest
