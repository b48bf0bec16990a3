// A user journey: the built programs run as their users run them, each person with a home of
// their own, against one stand-in server, driven only from outside (keys typed into windows
// found by process and title, the browser extension played by curl, files placed and read), and
// judged only by what can be seen from outside: the server's journal and log, the files the
// programs write, their exit statuses.
#ifndef PARLAVOX_TESTS_JOURNEYS_JOURNEY_H
#define PARLAVOX_TESTS_JOURNEYS_JOURNEY_H

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/journeys/personNetwork.h"
#include "tests/program/childProgram.h"
#include "tests/program/screen.h"
#include "tests/standin/standinProcess.h"
#include "tests/support/testSupport.h"

namespace journeys {

using Lines = std::vector<std::string>;

// Generous: two sanitizer-built programs on a loaded two-core machine. Never a timing check.
constexpr std::chrono::milliseconds kWait{60000};
// The file port a journey gives a program beside another one on the machine (6891 is the
// default of both).
constexpr unsigned short kFilePort = 6892;

// One person: a home of their own, a network of their own where the system allows it (the
// server reached through it), and the program when it runs.
class Person {
 public:
  Person(const std::string& login, const std::string& dataDir, unsigned short serverPort);
  ~Person();

  const std::string& Login() const { return m_login; }
  const std::string& Home() const { return m_home.path(); }
  // The settings folder and file the program writes in the home.
  std::string SettingsDir() const { return m_home.file(".parlavox"); }
  std::string SettingsFile() const { return m_home.file(".parlavox/parlavox.xml"); }

  // Starts the program (again); what an earlier run wrote on its outputs is kept beside.
  void Start();
  bool Running() const { return m_program != nullptr; }
  pid_t Pid() const { return m_program ? m_program->Pid() : 0; }
  // Its exit status, or -1 when it did not end in time.
  int WaitExit();
  // What the program wrote on its standard error, this run.
  std::string Errors() const { return m_program ? m_program->Errors() : std::string(); }
  // What it wrote on its standard output, this run.
  std::string Output() const { return m_program ? m_program->Output() : std::string(); }
  // Its trace log in clear (through the log reader), every run's; only the errors when asked.
  std::string TraceLog(bool errorsOnly = false) const;
  // The person's network; null when they share the journeys' own.
  PersonNetwork* Network() const { return m_network.get(); }

 private:
  std::string m_login;
  std::string m_dataDir;
  unsigned short m_serverPort;
  testsupport::TempDir m_home;
  testsupport::TempDir m_work;
  int m_runs = 0;
  std::unique_ptr<PersonNetwork> m_network;
  std::unique_ptr<programtest::ChildProgram> m_program;
};

class Journey : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A person with an account on the server (password: the login) and an empty home.
  Person& Add(const std::string& login);

  // The server's journal (its lines) and log.
  Lines Journal() const;
  std::string ServerLog() const { return m_server->Log(); }
  // Waits until a journal line from index `from` on matches; its index, or -1.
  long AwaitJournal(const std::function<bool(const std::string&)>& match, size_t from = 0);
  long AwaitJournal(const std::string& line, size_t from = 0);
  // How many of the journal's lines start with the text.
  size_t CountJournal(const std::string& start) const;
  bool AwaitLog(const std::string& text);

  // The person's window with that title, once it shows (0 when it never did).
  programtest::Screen::WindowId AwaitWindow(const Person& person, const std::string& title);
  // Types into the window: the keyboard given to it first; a key named in {braces} is pressed
  // as X names it ("{Tab}", "{Return}").
  bool TypeInto(programtest::Screen::WindowId window, const std::string& keys);
  // Answers the person's question titled so with the key (a mnemonic is pressed with Alt),
  // again, keyboard and key, until the question is gone: on a slow machine another window of
  // the program may take the keyboard in between.
  bool Answer(const Person& person, const std::string& title, const std::string& key);
  // Starts the person's program in a home without settings and logs in by typing the login and
  // the password (the login) into the log-in panel; the journal's index of the log-in, or -1.
  // It returns once the program has taken the server's welcome.
  long StartAndLogInByTyping(Person& person);
  // Closes the person's main window as its close box does, then chooses "Exit" in the question.
  bool Quit(Person& person);
  // Quits the person's program so, and expects it to end with status 0; false when the question
  // never showed or the program did not end so.
  bool QuitCleanly(Person& person);
  // The browser extension's request to the person's program's listener, with the header fields
  // given ("Name: value"); what it answered (nothing, for some requests).
  std::string Browse(const Person& person, const std::string& request, const Lines& fields = {});
  // The project's own stand-in for the extension (scripts/visit), run inside the person's
  // network; what it printed.
  std::string Visit(const Person& person, const std::string& url);

  // The files a save leaves while it writes, left in the person's settings folder.
  static Lines TemporaryFiles(const Person& person);
  // The file's permission bits (0 when it is not there).
  static unsigned Mode(const std::string& path);
  // The settings are whole (to their last closing tag), the user's alone (0600 in a 0700
  // folder), hold the login, and no temporary file of a save is left.
  static void ExpectSettingsWhole(const Person& person);
  // How many lines of the person's trace log hold the text.
  static size_t CountTraced(const Person& person, const std::string& text);
  // How many lines of the person's trace log hold both texts (a function and what it took).
  static size_t Traced(const Person& person, const std::string& function, const std::string& arguments);
  // What the person's program traces as it takes in a contact's presence in the contacts list:
  // online (1) or offline (0).
  static std::string TracedPresence(const std::string& login, int status);

  // Clicks the first site's name in the person's sites panel (where the main window shows it)
  // until the person enters the site's room.
  bool EnterFromThePanel(const Person& person, const std::string& site);
  // Both people browse the page (the extension's requests) and enter its room from their sites
  // panels; their room windows (0 for one that did not show).
  std::pair<programtest::Screen::WindowId, programtest::Screen::WindowId> MeetInTheRoom(const Person& one,
                                                                                      const Person& other,
                                                                                      const std::string& page);
  // Answers the person's file chooser titled so by typing the path into it, again until it is
  // gone (a chooser still setting itself up may miss the keys).
  bool ChooseFile(const Person& person, const std::string& title, const std::string& path);
  // Clicks at (x, y) in the person's window until their window titled so shows.
  bool ClickFor(const Person& person, programtest::Screen::WindowId window, int x, int y, const std::string& title);

  // Files between people: each person's program serves what they offer on their own file port;
  // the person's network, where the others' programs look for it, passes it on (slowed to the
  // rate given, when given).
  void ReachFilesOf(const Person& sender, const Person& receiver, unsigned short port, size_t bytesPerSecond = 0);
  // Sets the person's file port in the preferences window, as a user who runs two programs on
  // one machine must for one of them; true once the window has taken it and gone.
  bool SetFilePort(const Person& person, unsigned short port);
  // Offers the file to the person's room through the input's send-file tool and the chooser;
  // true once the server has the offer.
  bool OfferFile(const Person& person, programtest::Screen::WindowId room, const std::string& path);
  // Clicks the last "Download" link of the person's room (found where it shows) and saves the
  // file at the path through the save dialog.
  bool DownloadOffer(const Person& person, programtest::Screen::WindowId room, const std::string& path);
  // A file of `size` random bytes; the SHA-256 of a file in hexadecimal ("" when unreadable).
  static bool WriteRandomFile(const std::string& path, size_t size);
  static std::string Digest(const std::string& path);
  // The file's size, -1 when it is not there.
  static long long SizeOf(const std::string& path);

  // Fails with what the server and the programs said when cond does not come to hold.
  bool Until(const std::function<bool()>& cond, const std::string& what);

  programtest::Screen& Screen() { return *m_screen; }
  // The text of the server's state file to start from (its contacts), set before SetUp.
  std::string m_serverState;
  // The server starts with its three demonstration users in the room of the maker's site.
  bool m_serverDemo = false;
  const std::string& DataDir() const { return m_data.path(); }
  unsigned short ServerPort() const { return m_server->Port(); }

 private:
  testsupport::TempDir m_data;
  std::unique_ptr<standintest::StandinProcess> m_server;
  std::unique_ptr<programtest::Screen> m_screen;
  std::map<std::string, std::unique_ptr<Person>> m_people;
  std::chrono::steady_clock::time_point m_start;
};

}  // namespace journeys

#endif
