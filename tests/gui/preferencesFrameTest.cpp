// The preferences window of the real main window, driven by real clicks and keys: every field
// goes to the settings file and comes back, a wrong value is refused with a message and nothing
// is stored, a cancel drops the edits, and a new file port moves the file listener.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <unistd.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>

#include "gui/loginDialog.h"
#include "gui/preferencesFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "tests/core/managerTestSupport.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/gui/textFit.h"

namespace {

using guitest::ButtonLabelled;
using guitest::ClickUntil;
using guitest::FindChild;
using guitest::FindChildren;
using guitest::Type;

// Fields: no activity, file port, proxy host, proxy port. Boxes: connect at start, retry,
// proxy, visible at start, always on top.
wxTextCtrl* Field(wxWindow* w, int n) { return FindChildren<wxTextCtrl>(w).at(n); }
wxCheckBox* Box(wxWindow* w, int n) { return FindChildren<wxCheckBox>(w).at(n); }
void Toggle(wxCheckBox* box) {
  const bool before = box->GetValue();
  ClickUntil(box, [&] { return box->GetValue() != before; });
}
void Choose(wxWindow* w, const char* label) {
  auto* radio = FindChild<wxRadioButton>(w, [&](wxRadioButton* r) { return r->GetLabel() == label; });
  ClickUntil(radio, [&] { return radio->GetValue(); });
}
void Save(PreferencesFrame* w, const std::function<bool()>& done) { ClickUntil(ButtonLabelled(w, "&Save"), done); }

class Preferences : public guitest::MainWindowTest {
 public:
  void SetUp() override {
    MainWindowTest::SetUp();
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
    frame = Open();
    window = FindChild<PreferencesFrame>(frame, [](PreferencesFrame*) { return true; });
    window->Move(50, 50);
    window->Show(true);
    guitest::PumpUntil([&] { return window->IsShownOnScreen(); });
  }
  guitest::SpyMainFrame* frame = nullptr;
  PreferencesFrame* window = nullptr;
};

TEST_F(Preferences, EveryFieldIsSavedComesBackAndApplies) {
  EXPECT_FALSE(ButtonLabelled(window, "&Save")->IsEnabled());
  EXPECT_FALSE(Field(window, 2)->IsEnabled());
  auto* status = FindChildren<wxComboBox>(window).at(0);
  status->SetSelection(STATUS_BUSY);
  wxCommandEvent chosen(wxEVT_COMBOBOX, status->GetId());
  status->GetEventHandler()->ProcessEvent(chosen);
  Type(Field(window, 0), "300");
  Type(Field(window, 1), "7001");
  for (int box : {0, 1, 2, 3, 4}) Toggle(Box(window, box));
  Type(Field(window, 2), "cache.example");
  Type(Field(window, 3), "3128");
  Choose(window, "Reduce");
  Save(window, [&] { return !window->IsShown(); });
  EXPECT_EQ(1, saves);
  EXPECT_TRUE(frame->GetWindowStyleFlag() & wxSTAY_ON_TOP);

  for (int pass = 0; pass < 2; ++pass) {
    const Config* c = Config::GetInstance();
    EXPECT_EQ(STATUS_BUSY, c->GetDefaultStatus());
    EXPECT_EQ(300, c->GetNoActivityTimer());
    EXPECT_EQ(7001, c->GetFilePort());
    EXPECT_EQ("cache.example", c->GetProxyHost());
    EXPECT_EQ(3128, c->GetProxyPort());
    const bool flags[] = {c->GetAutoConnectStatus(), c->GetRetryOnFailure(), c->GetProxyStatus(),
                          c->IsVisibleOnStart(), c->GetAlwaysTopStatus(), c->GetRememberClose(), c->GetClose()};
    EXPECT_EQ((std::vector<bool>{false, false, true, false, true, true, false}),
              std::vector<bool>(std::begin(flags), std::end(flags)));
    // Again from the file, into fresh settings.
    ASSERT_TRUE(Config::Load());
  }
  window->Show(true);
  EXPECT_EQ("300", Field(window, 0)->GetValue());
  EXPECT_EQ("7001", Field(window, 1)->GetValue());
  EXPECT_TRUE(FindChild<wxRadioButton>(window, [](wxRadioButton* r) { return r->GetLabel() == "Reduce"; })->GetValue());
  EXPECT_FALSE(ButtonLabelled(window, "&Save")->IsEnabled());
}

TEST_F(Preferences, WrongValuesAreRefusedAndNothingIsStored) {
  const struct {
    int field;
    const char* value;
    const char* named;  // what the message names
  } rows[] = {{0, "-1", "no activity"},       {0, "99999999999", "no activity"}, {1, "65536", "file transfers"},
              {1, "", "file transfers"},      {3, "http", "proxy port"},          {2, "", "proxy host"}};
  for (const auto& r : rows) {
    SCOPED_TRACE(r.value);
    window->Show(true);
    Toggle(Box(window, 2));  // the proxy in use: a valid edit that is not stored either
    Type(Field(window, r.field), r.value);
    boxes.seen.clear();
    Save(window, [&] { return !boxes.seen.empty(); });
    ASSERT_EQ(1u, boxes.seen.size());
    EXPECT_NE(wxNOT_FOUND, boxes.seen[0].Lower().Find(r.named)) << boxes.seen[0];
    EXPECT_TRUE(window->IsShown());
    EXPECT_EQ(0, saves);
    const Config* c = Config::GetInstance();
    EXPECT_EQ(60, c->GetNoActivityTimer());
    EXPECT_EQ(6891, c->GetFilePort());
    EXPECT_EQ("proxy.example", c->GetProxyHost());
    EXPECT_EQ(8080, c->GetProxyPort());
    EXPECT_FALSE(c->GetProxyStatus());
  }
}

TEST_F(Preferences, CancelDropsTheEdits) {
  Type(Field(window, 0), "999");
  Choose(window, "Exit");
  ClickUntil(ButtonLabelled(window, "&Cancel"), [&] { return !window->IsShown(); });
  window->Show(true);
  EXPECT_EQ("60", Field(window, 0)->GetValue());
  EXPECT_TRUE(FindChild<wxRadioButton>(window, [](wxRadioButton* r) { return r->GetLabel() == "Ask"; })->GetValue());
  EXPECT_EQ(0, saves);
}

// A save that fails takes no effect: the settings keep their values (the file written later, as
// at exit, holds none of it) and nothing is applied, while the window stays with the choice for
// a later Save, which stores and applies it.
TEST_F(Preferences, AFailedSaveTakesNoEffectAndALaterSaveWritesTheChoice) {
  const bool onTop = frame->GetWindowStyleFlag() & wxSTAY_ON_TOP;
  const bool top = Config::GetInstance()->GetAlwaysTopStatus();
  const bool remember = Config::GetInstance()->GetRememberClose(), close = Config::GetInstance()->GetClose();
  ASSERT_TRUE(!remember || close) << "the window must start on another choice than Reduce";
  Type(Field(window, 0), "300");
  Toggle(Box(window, 4));
  Choose(window, "Reduce");
  failSaves = true;
  Save(window, [&] { return !boxes.seen.empty(); });
  failSaves = false;
  ASSERT_EQ(1u, boxes.seen.size());
  EXPECT_EQ(0, boxes.seen[0].Find("Save error: Impossible to save your current configuration in ")) << boxes.seen[0];
  EXPECT_TRUE(window->IsShown());
  EXPECT_TRUE(ButtonLabelled(window, "&Save")->IsEnabled());
  EXPECT_EQ("300", Field(window, 0)->GetValue());
  EXPECT_EQ(onTop, bool(frame->GetWindowStyleFlag() & wxSTAY_ON_TOP));
  for (int pass = 0; pass < 2; ++pass) {
    const Config* c = Config::GetInstance();
    EXPECT_EQ(60, c->GetNoActivityTimer());
    EXPECT_EQ(top, c->GetAlwaysTopStatus());
    EXPECT_EQ(remember, c->GetRememberClose());
    EXPECT_EQ(close, c->GetClose());
    // Written as at exit, then read back.
    ASSERT_TRUE(Config::GetInstance()->Save());
    ASSERT_TRUE(Config::Load());
  }
  Save(window, [&] { return !window->IsShown(); });
  EXPECT_EQ(!top, bool(frame->GetWindowStyleFlag() & wxSTAY_ON_TOP));
  ASSERT_TRUE(Config::Load());
  const Config* c = Config::GetInstance();
  EXPECT_EQ(300, c->GetNoActivityTimer());
  EXPECT_EQ(!top, c->GetAlwaysTopStatus());
  EXPECT_TRUE(c->GetRememberClose());
  EXPECT_FALSE(c->GetClose());
}

// The labels and the fields of the window at the usual font size and asked to be 200 pixels
// wide: each text whole, each field as high as its text and showing what it holds or was typed
// in it whole, all inside the window, which keeps the width they need. Run again with every font
// twice as large.
TEST_F(Preferences, LabelsAndFieldsShowWhole) {
  textfit::LargeFont(window);
  auto label = [&](const wxString& text) {
    return FindChild<wxStaticText>(window, [&](wxStaticText* t) { return t->GetLabelText() == text; });
  };
  Toggle(Box(window, 2));
  Type(Field(window, 2), "proxy.example.org");
  const std::vector<wxWindow*> shown = {FindChildren<wxComboBox>(window).at(0),
                                        label("Switch to \"no activity\" after:"),
                                        Field(window, 0),
                                        label("Retry on network failure:"),
                                        Field(window, 1),
                                        Field(window, 2),
                                        Field(window, 3),
                                        label("Parlavox visible on startup:")};
  for (wxWindow* w : shown) ASSERT_NE(nullptr, w);
  EXPECT_EQ("60", Field(window, 0)->GetValue());
  EXPECT_EQ("6891", Field(window, 1)->GetValue());
  EXPECT_EQ("8080", Field(window, 3)->GetValue());
  const int fitted = window->GetSize().x;
  for (int width : {fitted, 200}) {
    SCOPED_TRACE(width);
    window->SetSize(wxSize(width, window->GetSize().y));
    guitest::PumpUntil([&] { return textfit::Faults(window, shown).empty(); });
    EXPECT_EQ("", textfit::Faults(window, shown));
    for (wxWindow* w : shown) EXPECT_FALSE(textfit::Cut(w));
  }
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

int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  socklen_t len = sizeof addr;
  bind(s, reinterpret_cast<sockaddr*>(&addr), len);
  getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
  close(s);
  return ntohs(addr.sin_port);
}

TEST(PreferencesPort, NewFilePortMovesTheListener) {
  managertest::ManagerSetUp session;
  const int oldPort = FreePort(), newPort = FreePort();
  Config::GetInstance()->SetFilePort(oldPort);
  ASSERT_TRUE(session.LogIn(*session.server));
  Config::SetPath(testsupport::SourceDir() + "/data/");
  ASSERT_TRUE(testsupport::WaitFor([&] { return Accepts(oldPort); }, std::chrono::seconds(5)));
  wxFrame parent(nullptr, wxID_ANY, "main");
  PreferencesFrame window(&parent, session.manager.get(), nullptr);
  window.Show(true);
  for (int port : {newPort, newPort}) {  // the second save keeps the listener where it is
    window.Show(true);
    Type(Field(&window, 1), std::to_string(port));
    Toggle(Box(&window, 1));
    Save(&window, [&] { return !window.IsShown(); });
    EXPECT_EQ(port, Config::GetInstance()->GetFilePort());
    EXPECT_TRUE(testsupport::WaitFor([&] { return Accepts(newPort); }, std::chrono::seconds(5)));
    EXPECT_TRUE(testsupport::WaitFor([&] { return !Accepts(oldPort); }, std::chrono::seconds(5)));
  }
  session.manager->Disconnect(false, true);
  managertest::Pump();
}

}  // namespace
