// The preferences window driven by real clicks and keys: every field goes to the settings and
// the settings file and comes back on the next showing, a wrong value is refused with a message
// and nothing is stored, a cancel drops the edits, and a new file port moves the file listener.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/radiobut.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/testing.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <functional>
#include <memory>
#include <string>

#include "gui/preferencesFrame.h"
#include "model/config.h"
#include "model/configFile.h"
#include "model/stringConversion.h"
#include "tests/core/managerTestSupport.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/testSupport.h"

namespace {

using guitest::FindChild;
using guitest::FindChildren;

// A real click in the middle of `w`; events are then handled until `done` holds.
void Click(wxWindow* w, const std::function<bool()>& done) {
  wxUIActionSimulator sim;
  sim.MouseMove(w->GetScreenRect().GetPosition() + w->GetSize() / 2);
  sim.MouseClick();
  EXPECT_TRUE(guitest::PumpUntil(done)) << "no effect of a click on " << wxString(w->GetClassInfo()->GetClassName()).utf8_str();
}

void Toggle(wxCheckBox* box) {
  const bool before = box->GetValue();
  Click(box, [&] { return box->GetValue() != before; });
}

void Choose(wxRadioButton* radio) {
  Click(radio, [&] { return radio->GetValue(); });
}

// Replaces the text of a field the way a user does: click, select all, type. The window is
// brought forward first, since showing it hands the keyboard back to the main window.
void Type(wxTextCtrl* field, const std::string& text) {
  wxGetTopLevelParent(field)->Raise();
  Click(field, [&] { return field->HasFocus(); });
  wxUIActionSimulator sim;
  sim.Char('a', wxMOD_CONTROL);
  if (text.empty()) sim.Char(WXK_DELETE);
  else sim.Text(text.c_str());
  EXPECT_TRUE(guitest::PumpUntil([&] { return field->GetValue() == wxString::FromUTF8(text); }))
      << "typed " << text << ", field holds " << field->GetValue().utf8_str();
}

// Answers the message box the window shows and keeps its text.
class MessageBox : public wxExpectModalBase<wxMessageDialog> {
 public:
  explicit MessageBox(wxString* text) : m_text(text) {}

 protected:
  int OnInvoked(wxMessageDialog* dialog) const override {
    *m_text = dialog->GetMessage();
    return wxID_OK;
  }

 private:
  wxString* m_text;
};

// A message box nobody expected fails the test instead of waiting for an answer forever.
class UnexpectedMessageBoxes : public wxModalDialogHook {
 protected:
  int Enter(wxDialog* dialog) override {
    auto* box = dynamic_cast<wxMessageDialog*>(dialog);
    if (!box) return wxID_NONE;
    ADD_FAILURE() << "unexpected message: " << box->GetMessage().utf8_str();
    return wxID_OK;
  }
  void Exit(wxDialog*) override {}
};

int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  close(s);
  return ntohs(addr.sin_port);
}

bool Accepts(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(port);
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool ok = connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  close(s);
  return ok;
}

class PreferencesTest : public ::testing::Test {
 public:
  void SetUp() override {
    Config::SetUserPath(m_dir.path());
    Config::SetPath(testsupport::SourceDir() + "/data/");
    Config* c = Config::GetInstance();
    c->SetDefaultStatus(STATUS_ONLINE);
    c->SetNoActivityTimer(60);
    c->SetAutoConnectStatus(true);
    c->SetRetryOnFailure(true);
    c->SetFilePort(6891);
    c->SetProxyStatus(false);
    c->SetProxyHost("proxy.example");
    c->SetProxyPort(8080);
    c->SetVisibleOnStart(true);
    c->SetAlwaysTopStatus(false);
    c->SetRememberClose(false);
    c->SetClose(false);
    SetConfigSaveFailureHook([this](const std::string& step) {
      if (step == "rename") ++m_saves;
      return m_failSaves;
    });
    m_unexpected.Register();
    m_parent = new wxFrame(nullptr, wxID_ANY, "main", wxPoint(600, 100), wxSize(300, 400));
    m_parent->Show();
    m_window = new PreferencesFrame(m_parent, nullptr);
    m_window->Move(100, 100);
    m_window->Show(true);
    guitest::PumpUntil([&] { return m_window->IsShownOnScreen(); });
  }
  void TearDown() override {
    SetConfigSaveFailureHook(nullptr);
    m_parent->Destroy();
    guitest::Pump(50);
  }

  template <class T>
  T* Control(const std::function<bool(T*)>& pred) {
    T* found = FindChild<T>(m_window, pred);
    EXPECT_TRUE(found);
    return found;
  }
  // The controls in the order the window lays them out.
  wxTextCtrl* Field(int n) { return FindChildren<wxTextCtrl>(m_window).at(n); }
  wxTextCtrl* NoActivity() { return Field(0); }
  wxTextCtrl* FilePort() { return Field(1); }
  wxTextCtrl* ProxyHost() { return Field(2); }
  wxTextCtrl* ProxyPort() { return Field(3); }
  wxCheckBox* Box(int n) { return FindChildren<wxCheckBox>(m_window).at(n); }
  wxCheckBox* AutoConnect() { return Box(0); }
  wxCheckBox* Retry() { return Box(1); }
  wxCheckBox* Proxy() { return Box(2); }
  wxCheckBox* Visible() { return Box(3); }
  wxCheckBox* AlwaysTop() { return Box(4); }
  wxRadioButton* Radio(const char* label) {
    return Control<wxRadioButton>([&](wxRadioButton* r) { return r->GetLabel() == label; });
  }
  wxButton* Button(const char* label) {
    return Control<wxButton>([&](wxButton* b) { return b->GetLabel() == label; });
  }
  wxComboBox* Status() { return FindChildren<wxComboBox>(m_window).at(0); }

  testsupport::TempDir m_dir;
  UnexpectedMessageBoxes m_unexpected;
  wxFrame* m_parent = nullptr;
  PreferencesFrame* m_window = nullptr;
  int m_saves = 0;
  bool m_failSaves = false;
};

TEST_F(PreferencesTest, EveryFieldIsSavedAndComesBack) {
  EXPECT_FALSE(Button("&Save")->IsEnabled());
  EXPECT_FALSE(ProxyHost()->IsEnabled());
  Status()->SetSelection(STATUS_BUSY);
  wxCommandEvent chosen(wxEVT_COMBOBOX, Status()->GetId());
  Status()->GetEventHandler()->ProcessEvent(chosen);
  Type(NoActivity(), "300");
  Toggle(AutoConnect());
  Toggle(Retry());
  Type(FilePort(), "7001");
  Toggle(Proxy());
  EXPECT_TRUE(ProxyHost()->IsEnabled());
  Type(ProxyHost(), "cache.example");
  Type(ProxyPort(), "3128");
  Toggle(Visible());
  Toggle(AlwaysTop());
  Choose(Radio("Reduce"));
  EXPECT_TRUE(Button("&Save")->IsEnabled());
  Click(Button("&Save"), [&] { return !m_window->IsShown(); });
  EXPECT_EQ(1, m_saves);

  auto check = [](const Config* c) {
    EXPECT_EQ(STATUS_BUSY, c->GetDefaultStatus());
    EXPECT_EQ(300, c->GetNoActivityTimer());
    EXPECT_FALSE(c->GetAutoConnectStatus());
    EXPECT_FALSE(c->GetRetryOnFailure());
    EXPECT_EQ(7001, c->GetFilePort());
    EXPECT_TRUE(c->GetProxyStatus());
    EXPECT_EQ("cache.example", c->GetProxyHost());
    EXPECT_EQ(3128, c->GetProxyPort());
    EXPECT_FALSE(c->IsVisibleOnStart());
    EXPECT_TRUE(c->GetAlwaysTopStatus());
    EXPECT_TRUE(c->GetRememberClose());
    EXPECT_FALSE(c->GetClose());
  };
  check(Config::GetInstance());
  // From the file, into a fresh settings object, and onto the window again.
  Config::GetInstance()->SetFilePort(1);
  ASSERT_TRUE(Config::Load());
  check(Config::GetInstance());
  m_window->Show(true);
  EXPECT_EQ("300", NoActivity()->GetValue());
  EXPECT_EQ("7001", FilePort()->GetValue());
  EXPECT_EQ("3128", ProxyPort()->GetValue());
  EXPECT_EQ(STATUS_BUSY, Status()->GetSelection());
  EXPECT_TRUE(Radio("Reduce")->GetValue());
  EXPECT_TRUE(ProxyHost()->IsEnabled());
  EXPECT_FALSE(Button("&Save")->IsEnabled());
}

TEST_F(PreferencesTest, WrongValuesAreRefusedAndNothingIsStored) {
  struct Row {
    const char* name;
    std::function<wxTextCtrl*(PreferencesTest*)> field;
    const char* value;
    const char* named;  // what the message names
  } rows[] = {
      {"negative delay", [](PreferencesTest* t) { return t->NoActivity(); }, "-1", "no activity"},
      {"huge delay", [](PreferencesTest* t) { return t->NoActivity(); }, "99999999999", "no activity"},
      {"letters in delay", [](PreferencesTest* t) { return t->NoActivity(); }, "12x", "no activity"},
      {"empty file port", [](PreferencesTest* t) { return t->FilePort(); }, "", "file transfers"},
      {"file port too big", [](PreferencesTest* t) { return t->FilePort(); }, "65536", "file transfers"},
      {"letters proxy port", [](PreferencesTest* t) { return t->ProxyPort(); }, "http", "proxy port"},
      {"proxy port too big", [](PreferencesTest* t) { return t->ProxyPort(); }, "70000", "proxy port"},
      {"empty proxy host", [](PreferencesTest* t) { return t->ProxyHost(); }, "", "proxy host"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    m_window->Show(true);
    Toggle(Proxy());  // the proxy in use (a valid edit that must not be stored either)
    Type(r.field(this), r.value);
    wxString message;
    wxTEST_DIALOG(Click(Button("&Save"), [&] { return !message.empty(); }), MessageBox(&message));
    EXPECT_NE(wxNOT_FOUND, message.Lower().Find(r.named)) << message;
    EXPECT_TRUE(m_window->IsShown());
    EXPECT_TRUE(Button("&Save")->IsEnabled());
    EXPECT_EQ(0, m_saves);
    const Config* c = Config::GetInstance();
    EXPECT_EQ(60, c->GetNoActivityTimer());
    EXPECT_EQ(6891, c->GetFilePort());
    EXPECT_EQ(8080, c->GetProxyPort());
    EXPECT_FALSE(c->GetProxyStatus());
    EXPECT_EQ("proxy.example", c->GetProxyHost());
  }
}

TEST_F(PreferencesTest, CancelAndTheCloseButtonDropTheEdits) {
  const std::function<void(PreferencesTest*)> closers[] = {
      [](PreferencesTest* t) { Click(t->Button("&Cancel"), [t] { return !t->m_window->IsShown(); }); },
      [](PreferencesTest* t) {
        // The close picture at the right end of the caption.
        Click(FindChildren<wxStaticBitmap>(t->m_window).back(), [t] { return !t->m_window->IsShown(); });
      },
  };
  for (const auto& close : closers) {
    m_window->Show(true);
    Type(NoActivity(), "999");
    Choose(Radio("Exit"));
    close(this);
    EXPECT_EQ(60, Config::GetInstance()->GetNoActivityTimer());
    EXPECT_FALSE(Config::GetInstance()->GetRememberClose());
    m_window->Show(true);
    EXPECT_EQ("60", NoActivity()->GetValue());
    EXPECT_TRUE(Radio("Ask")->GetValue());
    EXPECT_FALSE(Button("&Save")->IsEnabled());
  }
  EXPECT_EQ(0, m_saves);
}

TEST_F(PreferencesTest, AskKeepsTheRememberedAnswerAndAFailedSaveIsReported) {
  Config::GetInstance()->SetRememberClose(true);
  Config::GetInstance()->SetClose(true);
  m_window->Show(true);
  EXPECT_TRUE(Radio("Exit")->GetValue());
  Choose(Radio("Ask"));
  m_failSaves = true;
  wxString message;
  wxTEST_DIALOG(Click(Button("&Save"), [&] { return !m_window->IsShown(); }), MessageBox(&message));
  EXPECT_EQ("Impossible to save your current configuration in " + std2wx(m_dir.path()) + "parlavox.xml.", message);
  EXPECT_FALSE(m_window->IsShown());
  EXPECT_FALSE(Config::GetInstance()->GetRememberClose());
  EXPECT_TRUE(Config::GetInstance()->GetClose());
}

TEST_F(PreferencesTest, NewFilePortMovesTheListener) {
  managertest::ManagerSetUp session;
  const int oldPort = FreePort();
  Config::GetInstance()->SetFilePort(oldPort);
  auto link = session.LogIn(*session.server);
  ASSERT_TRUE(link);
  Config::SetPath(testsupport::SourceDir() + "/data/");
  ASSERT_TRUE(testsupport::WaitFor([&] { return Accepts(oldPort); }, std::chrono::seconds(5)));

  PreferencesFrame window(m_parent, session.manager.get());
  window.Show(true);
  const int newPort = FreePort();
  auto* field = FindChildren<wxTextCtrl>(&window).at(1);
  Type(field, std::to_string(newPort));
  Click(FindChild<wxButton>(&window, [](wxButton* b) { return b->GetLabel() == "&Save"; }),
        [&] { return !window.IsShown(); });
  EXPECT_EQ(newPort, Config::GetInstance()->GetFilePort());
  EXPECT_TRUE(testsupport::WaitFor([&] { return Accepts(newPort); }, std::chrono::seconds(5)));
  EXPECT_TRUE(testsupport::WaitFor([&] { return !Accepts(oldPort); }, std::chrono::seconds(5)));

  // Saving again with the same port leaves the listener where it is.
  window.Show(true);
  Toggle(FindChildren<wxCheckBox>(&window).at(1));
  Click(FindChild<wxButton>(&window, [](wxButton* b) { return b->GetLabel() == "&Save"; }),
        [&] { return !window.IsShown(); });
  EXPECT_TRUE(Accepts(newPort));
  session.manager->Disconnect(false, true);
  managertest::Pump();
}

}  // namespace
