#include "tests/journeys/journey.h"

#include <signal.h>
#include <sys/stat.h>

#include <openssl/evp.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <thread>

#include "tests/journeys/ownNetwork.h"

namespace journeys {

namespace {

using std::chrono::milliseconds;

// Where the default layout puts what the journeys click, in the coordinates of its window: the
// main window's preferences button, the file port's field in the preferences window, and the
// send-file tool of a room's input (its second tool).
constexpr int kPreferencesX = 47, kPreferencesY = 106;
constexpr int kFilePortX = 330, kFilePortY = 173;
constexpr int kSendFileX = 74, kSendFileY = 326;

// Once for the whole program, before any test starts a thread or a child.
class OwnNetwork : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string why;
    if (!EnterOwnNetwork(&why)) printf("journeys: on the machine's own loopback (%s)\n", why.c_str());
  }
};

const bool g_ownNetwork = (::testing::AddGlobalTestEnvironment(new OwnNetwork), true);

}  // namespace

Person::Person(const std::string& login, const std::string& dataDir, unsigned short serverPort)
    : m_login(login), m_dataDir(dataDir), m_serverPort(serverPort), m_network(new PersonNetwork) {
  // Without a network of their own, the person shares the journeys' (one extension listener).
  const unsigned short relayed = m_network->Ready() ? m_network->Relay(0, serverPort) : 0;
  if (relayed) m_serverPort = relayed;
  else m_network.reset();
}

Person::~Person() {
  // The program goes before its network.
  m_program.reset();
}

void Person::Start() {
  const std::string work = m_work.file("run" + std::to_string(++m_runs));
  mkdir(work.c_str(), 0700);
  const std::string source = testsupport::SourceDir();
  std::unique_ptr<PersonNetwork::Inside> inside(m_network ? new PersonNetwork::Inside(*m_network) : nullptr);
  m_program.reset(new programtest::ChildProgram(
      {PARLAVOX_PROGRAM},
      {{"HOME", m_home.path()},
       {"PARLAVOX_DATA", m_dataDir},
       {"PARLAVOX_SERVER", "localhost:" + std::to_string(m_serverPort)},
       {"PARLAVOX_TEST_LOG", ""},
       {"GDK_BACKEND", "x11"},
       {"NO_AT_BRIDGE", "1"},
       {"LSAN_OPTIONS", "suppressions=" + source + "/tests/support/lsan.supp:print_suppressions=0"}},
      work));
}

std::string Person::TraceLog(bool errorsOnly) const {
  std::string text;
  programtest::RunToEnd({PARLAVOX_LOGCAT, m_home.file(".parlavox/parlavox.log")}, m_work.path(), &text);
  if (!errorsOnly) return text;
  std::string errors;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(at, end - at);
    // "<thread>:<level>:...": level 3 is an error.
    const size_t colon = line.find(':');
    if (colon != std::string::npos && line.compare(colon, 3, ":3:") == 0) errors += line + "\n";
    at = end + 1;
  }
  return errors;
}

int Person::WaitExit() {
  if (!m_program) return -1;
  const int status = m_program->WaitExit(kWait);
  if (status != -1) m_program.reset();
  return status;
}

void Journey::SetUp() {
  m_start = std::chrono::steady_clock::now();
  ASSERT_TRUE(testsupport::LinkProgramData(m_data.path()));
  // The server's own accounts: alice, bob, carol and dave, each with the login as password.
  // Verbose: the log also says how each link ended.
  std::vector<std::string> arguments = {"--verbose", "--journal", m_data.file("journal")};
  if (m_serverDemo) arguments.push_back("--demo");
  if (!m_serverState.empty()) {
    ASSERT_TRUE(testsupport::WriteFile(m_data.file("state"), m_serverState));
    arguments.insert(arguments.end(), {"--state", m_data.file("state")});
  }
  m_server.reset(new standintest::StandinProcess(PARLAVOX_STANDIN_PROGRAM, m_data.path(), arguments));
  ASSERT_NE(0, m_server->Port());
  m_screen.reset(new programtest::Screen);
}

void Journey::TearDown() {
  for (auto& person : m_people) {
    if (person.second->Running()) {
      kill(person.second->Pid(), SIGTERM);
      person.second->WaitExit();
    }
  }
  m_people.clear();
  if (m_server) {
    EXPECT_EQ(0, m_server->Stop()) << "the stand-in server did not end cleanly";
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - m_start).count();
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  printf("journey %s: %.1f s\n", test->name(), seconds);
}

Person& Journey::Add(const std::string& login) {
  auto& person = m_people[login];
  person.reset(new Person(login, m_data.path(), m_server->Port()));
  return *person;
}

Lines Journey::Journal() const {
  return testsupport::ReadLines(m_data.file("journal"));
}

long Journey::AwaitJournal(const std::function<bool(const std::string&)>& match, size_t from) {
  long found = -1;
  testsupport::WaitFor([&] {
    const Lines lines = Journal();
    for (size_t i = from; i < lines.size(); ++i) {
      if (match(lines[i])) {
        found = static_cast<long>(i);
        return true;
      }
    }
    return false;
  }, kWait);
  return found;
}

long Journey::AwaitJournal(const std::string& line, size_t from) {
  const long found = AwaitJournal([&](const std::string& l) { return l == line; }, from);
  if (found < 0) {
    std::string seen;
    const Lines lines = Journal();
    for (size_t i = from; i < lines.size(); ++i) seen += "  " + lines[i] + "\n";
    ADD_FAILURE() << "the server did not receive\n  " << line << "\nit received:\n" << seen << "its log:\n" << ServerLog();
  }
  return found;
}

size_t Journey::CountJournal(const std::string& start) const {
  size_t count = 0;
  for (const std::string& line : Journal()) count += line.compare(0, start.size(), start) == 0 ? 1 : 0;
  return count;
}

bool Journey::AwaitLog(const std::string& text) {
  return Until([&] { return ServerLog().find(text) != std::string::npos; }, "the server's log to say " + text);
}

Lines Journey::TemporaryFiles(const Person& person) {
  Lines left;
  for (const std::string& name : testsupport::ListDir(person.SettingsDir())) {
    // The settings file's name with six more characters, and the pictures' temporary files.
    if (name.compare(0, 13, "parlavox.xml.") == 0 || name.compare(0, 9, ".imimage-") == 0) left.push_back(name);
  }
  return left;
}

unsigned Journey::Mode(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777u : 0u;
}

void Journey::ExpectSettingsWhole(const Person& person) {
  SCOPED_TRACE(person.Login() + "'s settings");
  EXPECT_EQ(0700u, Mode(person.SettingsDir()));
  EXPECT_EQ(0600u, Mode(person.SettingsFile()));
  std::string settings = testsupport::ReadFile(person.SettingsFile());
  EXPECT_NE(std::string::npos, settings.find(">" + person.Login() + "<")) << settings;
  while (!settings.empty() && (settings.back() == '\n' || settings.back() == ' ')) settings.pop_back();
  const size_t last = settings.rfind('\n');
  EXPECT_EQ(0u, settings.compare(last == std::string::npos ? 0 : last + 1, 2, "</")) << settings;
  EXPECT_EQ(Lines{}, TemporaryFiles(person));
}

size_t Journey::CountTraced(const Person& person, const std::string& text) {
  const std::string trace = person.TraceLog();
  size_t count = 0;
  for (size_t at = trace.find(text); at != std::string::npos; at = trace.find(text, at)) {
    ++count;
    at = trace.find('\n', at);
  }
  return count;
}

size_t Journey::Traced(const Person& person, const std::string& function, const std::string& arguments) {
  size_t count = 0;
  const std::string trace = person.TraceLog();
  for (size_t at = 0; at < trace.size();) {
    size_t end = trace.find('\n', at);
    if (end == std::string::npos) end = trace.size();
    const std::string line = trace.substr(at, end - at);
    count += line.find(function) != std::string::npos && line.find(arguments) != std::string::npos ? 1 : 0;
    at = end + 1;
  }
  return count;
}

std::string Journey::TracedPresence(const std::string& login, int status) {
  return "(login, url, status, subs, notify = (" + login + ",none," + std::to_string(status) + ",";
}

bool Journey::Until(const std::function<bool()>& cond, const std::string& what) {
  if (testsupport::WaitFor(cond, kWait)) return true;
  std::string programs;
  for (const auto& person : m_people) {
    programs += person.first + "'s program said:\n" + person.second->Errors() + person.first + "'s traced errors:\n" +
                person.second->TraceLog(true);
  }
  ADD_FAILURE() << "never came: " << what << "\nthe server's log:\n" << ServerLog() << programs;
  return false;
}

programtest::Screen::WindowId Journey::AwaitWindow(const Person& person, const std::string& title) {
  programtest::Screen::WindowId window = 0;
  Until([&] { return (window = m_screen->WindowShown(person.Pid(), title)) != 0; },
        person.Login() + "'s window \"" + title + "\"");
  return window;
}

bool Journey::TypeInto(programtest::Screen::WindowId window, const std::string& keys) {
  if (!Until([&] { return m_screen->Focus(window); }, "the keyboard for the window")) return false;
  size_t at = 0;
  while (at < keys.size()) {
    const size_t open = keys.find('{', at);
    if (open != at) {
      const std::string text = keys.substr(at, open == std::string::npos ? std::string::npos : open - at);
      if (!m_screen->Type(text)) return false;
      at += text.size();
      continue;
    }
    const size_t close = keys.find('}', open);
    if (close == std::string::npos || !m_screen->Press(keys.substr(open + 1, close - open - 1))) return false;
    at = close + 1;
  }
  return true;
}

bool Journey::Answer(const Person& person, const std::string& title, const std::string& key) {
  return Until([&] {
    const programtest::Screen::WindowId question = m_screen->WindowShown(person.Pid(), title);
    if (question == 0) return true;
    if (m_screen->Focus(question)) m_screen->Press(key, "Alt_L");
    // The answer is seen by the question going; if it stays, the key went elsewhere.
    return testsupport::WaitFor([&] { return m_screen->WindowShown(person.Pid(), title) == 0; }, milliseconds(2000));
  }, person.Login() + "'s question \"" + title + "\" answered");
}

long Journey::StartAndLogInByTyping(Person& person) {
  const size_t before = Journal().size();
  person.Start();
  // Nothing saved: the window offers the log-in panel, its login field holding the keyboard.
  const programtest::Screen::WindowId window = AwaitWindow(person, "Parlavox");
  if (!window || !TypeInto(window, person.Login() + "{Tab}" + person.Login() + "{Return}")) return -1;
  const std::string connect = "- connect login=\"" + person.Login() + "\" password=*** ";
  const long found = AwaitJournal([&](const std::string& line) { return line.compare(0, connect.size(), connect) == 0; },
                                  before);
  // The program has taken the server's welcome once it asks for what it asks after it (the
  // protocols of external messengers): from then on its requests go out under its login.
  const std::string welcomed = person.Login() + " askmessengerprotocols ";
  if (found < 0 || !AwaitLog(person.Login() + " logged in (") ||
      AwaitJournal([&](const std::string& line) { return line.compare(0, welcomed.size(), welcomed) == 0; }, found) < 0) {
    ADD_FAILURE() << person.Login() << " did not log in\n" << ServerLog() << person.Errors() << person.TraceLog(true);
    return -1;
  }
  return found;
}

bool Journey::QuitCleanly(Person& person) {
  if (!Quit(person)) return false;
  const int status = person.WaitExit();
  EXPECT_EQ(0, status) << person.Login() << "'s program said:\n" << person.Errors();
  return status == 0;
}

bool Journey::Quit(Person& person) {
  const programtest::Screen::WindowId window = AwaitWindow(person, "Parlavox");
  // The close box asks; the question is answered once it shows.
  if (!Until([&] {
        m_screen->Close(window);
        return testsupport::WaitFor([&] { return m_screen->ShowsWindow(person.Pid(), "Reduce or exit?"); },
                                    milliseconds(3000));
      }, person.Login() + "'s question \"Reduce or exit?\"")) {
    return false;
  }
  return Answer(person, "Reduce or exit?", "e");
}

std::string Journey::Browse(const Person& person, const std::string& request, const Lines& fields) {
  // The listener answers the extension with a bare number, as HTTP/0.9 did.
  std::vector<std::string> curl = {"curl", "--silent", "--http0.9", "--path-as-is", "--max-time", "60"};
  for (const std::string& field : fields) {
    curl.push_back("--header");
    curl.push_back(field);
  }
  curl.push_back("http://127.0.0.1:6788/" + request);
  std::string answer;
  std::unique_ptr<PersonNetwork::Inside> inside(person.Network() ? new PersonNetwork::Inside(*person.Network()) : nullptr);
  const int status = programtest::RunToEnd(curl, m_data.path(), &answer);
  // 52: the listener closed without a word, as it does for a page's closing.
  EXPECT_TRUE(status == 0 || status == 52) << "curl " << request << " ended with " << status << ": " << answer;
  return answer;
}

std::string Journey::Visit(const Person& person, const std::string& url) {
  std::string printed;
  std::unique_ptr<PersonNetwork::Inside> inside(person.Network() ? new PersonNetwork::Inside(*person.Network()) : nullptr);
  const int status = programtest::RunToEnd({PARLAVOX_VISIT_SCRIPT, url}, m_data.path(), &printed);
  EXPECT_EQ(0, status) << "visit " << url << ": " << printed;
  return printed;
}

bool Journey::EnterFromThePanel(const Person& person, const std::string& site) {
  const programtest::Screen::WindowId window = AwaitWindow(person, "Parlavox");
  const std::string entered = person.Login() + " suburl site=\"" + site + "\"";
  const size_t before = CountJournal(entered);
  // The site's row is there before it is clicked, as a user sees it before clicking.
  if (!Until([&] { return Traced(person, "SitesPanel::AddSitePanel", site) > 0; },
             person.Login() + "'s sites panel showing " + site)) {
    return false;
  }
  // A click that lands while the panel is still being laid out does nothing; like a user, the
  // test clicks again once a second has brought nothing. The program asks for a room once until
  // it answers, so a second click on a slow first one asks nothing more.
  return Until([&] {
    m_screen->Click(window, 138, 390);
    return testsupport::WaitFor([&] { return CountJournal(entered) > before; }, milliseconds(1000));
  }, person.Login() + " entering the room from the sites panel");
}

std::pair<programtest::Screen::WindowId, programtest::Screen::WindowId> Journey::MeetInTheRoom(
    const Person& one, const Person& other, const std::string& page) {
  std::pair<programtest::Screen::WindowId, programtest::Screen::WindowId> rooms{0, 0};
  for (const Person* person : {&one, &other}) {
    const size_t before = Journal().size();
    Browse(*person, page);
    if (AwaitJournal(person->Login() + " openurl site=\"" + page + "\"", before) < 0 ||
        !EnterFromThePanel(*person, page)) {
      return rooms;
    }
  }
  rooms.first = AwaitWindow(one, "Chatrooms");
  rooms.second = AwaitWindow(other, "Chatrooms");
  return rooms;
}

bool Journey::ChooseFile(const Person& person, const std::string& title, const std::string& path) {
  return Until([&] {
    const programtest::Screen::WindowId chooser = m_screen->WindowShown(person.Pid(), title);
    if (chooser == 0) return true;
    if (m_screen->Focus(chooser)) {
      // The location field takes the whole path, whatever the chooser shows at first.
      m_screen->Press("l", "Control_L");
      m_screen->Press("a", "Control_L");
      m_screen->Type(path);
      m_screen->Press("Return");
    }
    return testsupport::WaitFor([&] { return !m_screen->ShowsWindow(person.Pid(), title); }, milliseconds(3000));
  }, person.Login() + "'s \"" + title + "\" answered with " + path);
}

bool Journey::ClickFor(const Person& person, programtest::Screen::WindowId window, int x, int y,
                       const std::string& title) {
  // A click on a page whose tool bar is still being placed does nothing: clicked again once a
  // second has brought nothing. The window it opens is modal, so a click beside a slow one is lost.
  return Until([&] {
    if (!m_screen->ShowsWindow(person.Pid(), title)) m_screen->Click(window, x, y);
    return testsupport::WaitFor([&] { return m_screen->ShowsWindow(person.Pid(), title); }, milliseconds(1000));
  }, person.Login() + "'s window \"" + title + "\" by a click at " + std::to_string(x) + "," + std::to_string(y));
}

void Journey::ReachFilesOf(const Person& sender, const Person& receiver, unsigned short port, size_t bytesPerSecond) {
  ASSERT_TRUE(sender.Network() && receiver.Network());
  ASSERT_EQ(port, receiver.Network()->Relay(port, port, sender.Network(), bytesPerSecond));
}

bool Journey::SetFilePort(const Person& person, unsigned short port) {
  const programtest::Screen::WindowId window = AwaitWindow(person, "Parlavox");
  // The preferences window draws its own title: it is the program's one large untitled window.
  programtest::Screen::WindowId preferences = 0;
  auto shown = [&] { return (preferences = m_screen->UntitledWindowShown(person.Pid(), 400, 300)) != 0; };
  // The tool bar's preferences button shows it (and only raises it once shown).
  if (!window || !Until([&] {
        if (!shown()) m_screen->Click(window, kPreferencesX, kPreferencesY);
        return testsupport::WaitFor(shown, milliseconds(3000));
      }, person.Login() + "'s preferences window shown")) {
    return false;
  }
  const size_t restarted = CountTraced(person, "Manager::RestartFileServer");
  // The new port typed over the old one in its field, then "Save" by its mnemonic, which takes
  // the window away.
  return Until([&] {
    m_screen->Click(preferences, kFilePortX, kFilePortY);
    if (m_screen->Focus(preferences)) {
      m_screen->Press("a", "Control_L");
      m_screen->Type(std::to_string(port));
      m_screen->Press("s", "Alt_L");
    }
    return testsupport::WaitFor([&] { return CountTraced(person, "Manager::RestartFileServer") > restarted; },
                                milliseconds(3000));
  }, person.Login() + "'s file port set to " + std::to_string(port)) &&
         Until([&] { return !shown(); }, person.Login() + "'s preferences window gone");
}

bool Journey::OfferFile(const Person& person, programtest::Screen::WindowId room, const std::string& path) {
  const std::string name = path.substr(path.rfind('/') + 1);
  const std::string offered = person.Login() + " sendfile ";
  const size_t before = Journal().size();
  // The input's second tool.
  return ClickFor(person, room, kSendFileX, kSendFileY, "Send file...") && ChooseFile(person, "Send file...", path) &&
         AwaitJournal([&](const std::string& line) {
           return line.compare(0, offered.size(), offered) == 0 &&
                  line.find("filename=\"" + name + "\"") != std::string::npos;
         }, before) >= 0;
}

bool Journey::DownloadOffer(const Person& person, programtest::Screen::WindowId room, const std::string& path) {
  const std::string title = "Receive file...";
  // The link is blue and underlined: the underline, smoothed, is the lowest long bluish run of
  // the room.
  if (!Until([&] {
        int x = 0, y = 0;
        if (m_screen->ShowsWindow(person.Pid(), title)) return true;
        // Until the offer's link is drawn there is nothing to click and no window to wait for.
        if (!m_screen->FindRun(room, 0x0000ffUL, 30, &x, &y, 0x80)) return false;
        m_screen->Click(room, x, y - 4);
        return testsupport::WaitFor([&] { return m_screen->ShowsWindow(person.Pid(), title); }, milliseconds(3000));
      }, person.Login() + " clicking \"Download\"")) {
    return false;
  }
  return ChooseFile(person, title, path);
}

bool Journey::WriteRandomFile(const std::string& path, size_t size) {
  std::ofstream out(path, std::ios::binary);
  std::mt19937_64 random(std::random_device{}());
  std::vector<uint64_t> block(8192);
  for (size_t written = 0; out && written < size;) {
    for (uint64_t& word : block) word = random();
    const size_t bytes = std::min(size - written, block.size() * sizeof(uint64_t));
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(bytes));
    written += bytes;
  }
  return static_cast<bool>(out.flush());
}

std::string Journey::Digest(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "";
  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr);
  std::vector<char> buffer(1 << 16);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
    EVP_DigestUpdate(context.get(), buffer.data(), static_cast<size_t>(in.gcount()));
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(context.get(), digest, &length);
  std::string hex;
  char two[3];
  for (unsigned int i = 0; i < length; ++i) {
    snprintf(two, sizeof two, "%02x", digest[i]);
    hex += two;
  }
  return hex;
}

long long Journey::SizeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

}  // namespace journeys
