// The accounts on other networks in the own profile, and the account dialog: the whole program on
// the stand-in server, which offers two networks and connects an account unless its password is
// "wrong", driven by real clicks and typing; and the dialog alone on hostile protocol lists.
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/generic/statbmpg.h>
#include <wx/choice.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <memory>

#include "core/application.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/messengerDialog.h"
#include "gui/profiles/messengerInfoPanel.h"
#include "gui/profiles/messengersList.h"
#include "model/config.h"
#include "model/configFile.h"
#include "model/log.h"
#include "model/messengerInfo.h"
#include "model/messengerProtocolInfo.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/support/programSession.h"
#include "tests/support/testSupport.h"

namespace {

using guitest::ClickUntil;
using guitest::FindChild;

wxTextCtrl* Field(wxWindow* dialog, const wxString& name) {
  return FindChild<wxTextCtrl>(dialog, [&](wxTextCtrl* t) { return t->GetName() == name; });
}

wxButton* ButtonOf(wxWindow* dialog, int id) {
  return FindChild<wxButton>(dialog, [&](wxButton* b) { return b->GetId() == id; });
}

// The settings' protocols taken out and freed (the controller keeps those it replaces itself).
void DropProtocols() {
  std::vector<MessengerProtocolInfo*> offered = Config::GetInstance()->GetMessengerProtocols();
  Config::GetInstance()->ClearMessengerProtocols();
  for (MessengerProtocolInfo* protocol : offered) delete protocol;
}

// Runs `input` with real keys and clicks in each account dialog once it is on screen; the
// information box is answered at once and counted.
class DialogInput : public wxModalDialogHook {
 public:
  explicit DialogInput(std::function<void(MessengerDialog*)> input) : m_input(std::move(input)) { Register(); }
  int dialogs = 0;
  int boxes = 0;

 protected:
  int Enter(wxDialog* dialog) override {
    if (auto* accounts = dynamic_cast<MessengerDialog*>(dialog)) {
      ++dialogs;
      m_driver.reset(new guitest::ModalDriver(dialog, [this, accounts] { m_input(accounts); }));
      return wxID_NONE;
    }
    ++boxes;
    return wxID_OK;
  }
  void Exit(wxDialog*) override {
    if (m_driver) m_driver->Stop();
  }

 private:
  std::function<void(MessengerDialog*)> m_input;
  std::unique_ptr<guitest::ModalDriver> m_driver;
};

// Fills the dialog as a user does and presses OK.
void TypeAndConfirm(MessengerDialog* dialog, const std::string& login, const std::string& password) {
  if (!login.empty()) guitest::Type(Field(dialog, _("Login:")), login);
  if (!password.empty()) guitest::Type(Field(dialog, _("Password:")), password);
  ClickUntil(ButtonOf(dialog, wxID_OK), [dialog] { return !dialog->IsModal(); });
}

class MessengersSession : public programtest::ProgramSession {
 protected:
  MessengersSession() {
    testsupport::WriteFile(m_offers.file("messengers"),
                           "# offered by the stand-in\n"
                           "icq\tICQ\tport=5190;server=login.icq.com\n"
                           "jabber\tJabber\tresource=Parlavox\n");
    m_standinArguments = {"--messengers", m_offers.file("messengers")};
  }
  void TearDown() override {
    for (MessengerInfo* account : GetManager()->GetMessengers()) GetManager()->RemoveMessenger(account);
    ProgramSession::TearDown();
  }

  MessengersList* OwnList() {
    ContactInfoFrame::OpenContactInfoFor("alice");
    ContactInfoFrame* frame = ContactInfoFrame::GetContactInfoFor("alice");
    if (!frame || !frame->GetMessengersList()) return nullptr;
    Until([frame] { return frame->IsShownOnScreen(); });
    frame->Raise();
    return frame->GetMessengersList();
  }
  bool Offered() {
    return Until([] { return GetManager()->GetMessengerProtocols().size() == 2; });
  }
  bool ClickRowButton(wxButton* button, const std::function<bool()>& done) {
    ClickUntil(button, done);
    return done();
  }

  testsupport::TempDir m_offers;
};

TEST_F(MessengersSession, AnAccountTypedInConnectsIsEditedAndRemovedAsTheServerSees) {
  testsupport::TempDir logs;
  const std::string log = testsupport::RestartLogAt(logs);
  ASSERT_TRUE(Offered()) << "the stand-in's protocols did not arrive";
  MessengersList* list = OwnList();
  ASSERT_TRUE(list);
  Manager* manager = GetManager();

  // Added by typing: last row, red with "Connect"; nothing asked of the server yet.
  size_t mark = JournalSize();
  {
    DialogInput input([](MessengerDialog* d) { TypeAndConfirm(d, "alice.icq", "s3cret!"); });
    ClickUntil(list->GetAddBitmap(), [list] { return list->GetRows().size() == 1; });
    EXPECT_EQ(1, input.dialogs);
  }
  ASSERT_EQ(1u, list->GetRows().size());
  MessengerInfoPanel* row = list->GetRows()[0];
  MessengerInfo* account = row->GetMessengerInfo();
  ASSERT_EQ(1u, manager->GetMessengers().size());
  EXPECT_EQ(account, manager->GetMessengers()[0]);
  EXPECT_EQ("icq", account->GetProtocol());
  EXPECT_EQ("alice.icq", account->GetLogin());
  EXPECT_EQ("s3cret!", account->GetPassword());
  EXPECT_EQ("5190", account->GetParameters()["port"]);
  EXPECT_EQ("Connect", row->GetConnectButton()->GetLabel());
  EXPECT_EQ(wxColour(255, 128, 128), row->GetBackgroundColour());

  // Connected: the request with the account's parameters, the state as the server reports it.
  ASSERT_TRUE(ClickRowButton(row->GetConnectButton(), [account] { return account->GetStatus() == MESSENGER_CONNECTED; }));
  EXPECT_TRUE(AwaitJournal(
      [](const std::string& l) {
        return l.find("alice connectmessenger") == 0 && l.find("protocol=\"icq\"") != std::string::npos &&
               l.find("login=\"alice.icq\"") != std::string::npos && l.find("password=***") != std::string::npos &&
               l.find("5190") != std::string::npos;
      },
      mark));
  ASSERT_TRUE(Until([row] { return row->GetConnectButton()->GetLabel() == "Disconnect"; }));
  EXPECT_EQ(wxColour(144, 255, 128), row->GetBackgroundColour());

  // Only the auto-connect flag: no request. A new password: the account is disconnected under
  // its old name and connected again, and the server refuses this one.
  mark = JournalSize();
  {
    DialogInput input([](MessengerDialog* d) {
      wxCheckBox* box = FindChild<wxCheckBox>(d, [](wxCheckBox*) { return true; });
      ClickUntil(box, [box] { return !box->GetValue(); });
      ClickUntil(ButtonOf(d, wxID_OK), [d] { return !d->IsModal(); });
    });
    ASSERT_TRUE(ClickRowButton(row->GetEditButton(), [&input] { return input.dialogs == 1; }));
  }
  ASSERT_TRUE(Until([account] { return !account->GetAutoConnect(); }));
  Settle();
  EXPECT_EQ(mark, JournalSize());
  {
    DialogInput input([](MessengerDialog* d) { TypeAndConfirm(d, "", "wrong"); });
    ASSERT_TRUE(ClickRowButton(row->GetEditButton(), [account] { return account->GetPassword() == "wrong"; }));
  }
  EXPECT_TRUE(AwaitJournal("alice disconnectmessenger protocol=\"icq\" login=\"alice.icq\"", mark));
  EXPECT_TRUE(AwaitJournal([](const std::string& l) { return l.find("alice connectmessenger") == 0; }, mark));
  // Refused: the answers to both requests say "disconnected", and the row offers to connect.
  ASSERT_TRUE(Until([account] { return account->GetStatus() == MESSENGER_DISCONNECTED; }));
  // The row hears of it through the window's events, a turn or so later.
  EXPECT_TRUE(Until([row] { return row->GetConnectButton()->GetLabel() == "Connect"; }));
  EXPECT_EQ(wxColour(255, 128, 128), row->GetBackgroundColour());

  // Stored by the settings' cipher only; never in clear in the trace log.
  ASSERT_TRUE(Config::GetInstance()->Save());
  const std::string settings = testsupport::ReadFile(Config::GetUserPath() + kConfigFileName);
  ASSERT_NE(std::string::npos, settings.find("alice.icq"));
  const std::string trace = testsupport::DecodeLogFile(log, LOG_KEY_START, log_step());
  for (const char* secret : {"s3cret!", "wrong"}) {
    EXPECT_EQ(std::string::npos, trace.find(secret)) << secret;
    EXPECT_EQ(std::string::npos, settings.find(std::string("\"") + secret)) << secret;
    EXPECT_EQ(std::string::npos, settings.find(std::string(">") + secret + "<")) << secret;
  }

  // Removed by its own button: the row goes after its click, the account leaves the settings.
  mark = JournalSize();
  wxWeakRef<wxWindow> gone(row);
  ASSERT_TRUE(ClickRowButton(row->GetRemoveButton(), [list] { return list->GetRows().empty(); }));
  EXPECT_TRUE(Until([&gone] { return !gone; }));
  EXPECT_TRUE(manager->GetMessengers().empty());
  EXPECT_TRUE(AwaitJournal("alice disconnectmessenger protocol=\"icq\" login=\"alice.icq\"", mark));
}

TEST_F(MessengersSession, AccountsRemovedUnderTheirDialogOrTheirStateLeaveNothingBehind) {
  ASSERT_TRUE(Offered());
  MessengersList* list = OwnList();
  ASSERT_TRUE(list);
  Manager* manager = GetManager();
  for (const char* login : {"one", "two"}) {
    MessengerInfo* account = manager->CreateMessengerInfo("jabber");
    account->SetLogin(login);
    account->SetPassword("pw");
    manager->AddMessenger(account);
    list->AddMessenger(account);
  }
  ASSERT_EQ(2u, list->GetRows().size());
  MessengerInfoPanel* first = list->GetRows()[0];
  MessengerInfo* one = first->GetMessengerInfo();

  // Removed while its own edit dialog is open: OK then changes and sends nothing.
  size_t mark = JournalSize();
  {
    DialogInput input([&](MessengerDialog* d) {
      guitest::Type(Field(d, _("Password:")), "changed");
      list->RemoveMessenger(one);
      ClickUntil(ButtonOf(d, wxID_OK), [d] { return !d->IsModal(); });
    });
    ClickUntil(first->GetEditButton(), [&input] { return input.dialogs == 1; });
    ASSERT_TRUE(Until([list] { return list->GetRows().size() == 1; }));
  }
  EXPECT_EQ("pw", one->GetPassword());
  Settle();
  for (const std::string& line : Journal())
    EXPECT_FALSE(line.find(" connectmessenger") != std::string::npos && line.find("\"one\"") != std::string::npos)
        << line;

  // Removed while the server's answer to its connection is on its way.
  MessengerInfoPanel* second = list->GetRows()[0];
  MessengerInfo* two = second->GetMessengerInfo();
  mark = JournalSize();
  wxCommandEvent click(wxEVT_BUTTON, second->GetConnectButton()->GetId());
  click.SetEventObject(second->GetConnectButton());
  second->GetConnectButton()->GetEventHandler()->ProcessEvent(click);
  EXPECT_EQ(MESSENGER_CONNECTING, two->GetStatus());
  list->RemoveMessenger(two);
  ASSERT_TRUE(AwaitJournal("alice disconnectmessenger protocol=\"jabber\" login=\"two\"", mark));
  Settle();
  EXPECT_TRUE(list->GetRows().empty());
  EXPECT_TRUE(manager->GetMessengers().empty());
}

TEST_F(MessengersSession, WithoutProtocolsTheAddPictureOnlyTellsSo) {
  ASSERT_TRUE(Offered());
  DropProtocols();
  MessengersList* list = OwnList();
  ASSERT_TRUE(list);
  DialogInput input([](MessengerDialog*) {});
  ClickUntil(list->GetAddBitmap(), [&input] { return input.boxes == 1; });
  EXPECT_EQ(0, input.dialogs);
  EXPECT_TRUE(list->GetRows().empty());
  EXPECT_TRUE(GetManager()->GetMessengers().empty());
}

// ---- The dialog alone, on the protocol list the settings hold.

class MessengerDialogs : public ::testing::Test {
 protected:
  void TearDown() override { DropProtocols(); }
  static void Offer(const std::string& id, const std::string& description,
                    const std::map<std::string, std::string>& parameters = {}) {
    Config::GetInstance()->AddMessengerProtocol(new MessengerProtocolInfo(id, description, parameters));
  }
};

TEST_F(MessengerDialogs, HostileProtocolListsAreShownSafely) {
  DropProtocols();
  std::map<std::string, std::string> many;
  for (int i = 0; i < 500; ++i) many["key" + std::to_string(i) + std::string(300, 'k')] = std::string(2000, 'v');
  Offer("empty", "");
  Offer("twin1", "Twin");
  Offer("twin2", "Twin", {{"second", "yes"}});
  Offer("long", std::string(10000, 'L'));
  Offer("controls", "line\none\ttab\x1b[31m\xe2\x80\xaeright-to-left<b>&amp;", {{"a\nb\x01", "v\n"}});
  Offer("many", "Many", many);
  for (int i = 0; i < 997; ++i) Offer("unknown" + std::to_string(i), "Network " + std::to_string(i));

  MessengerDialog dialog(nullptr, GetManager(), nullptr);
  ASSERT_TRUE(dialog.IsUsable());
  auto* choice = FindChild<wxChoice>(&dialog, [](wxChoice*) { return true; });
  ASSERT_EQ(1003u, choice->GetCount());
  EXPECT_EQ("empty", choice->GetString(0));  // an empty description shows the id
  for (unsigned i = 0; i < choice->GetCount(); ++i) {
    const wxString item = choice->GetString(i);
    EXPECT_LE(item.length(), 60u) << i;
    EXPECT_EQ(wxNOT_FOUND, item.find_first_of("\n\r\t\x1b")) << i;
  }
  // Two protocols of one description: the second can be chosen.
  choice->SetSelection(2);
  wxCommandEvent chose(wxEVT_CHOICE, choice->GetId());
  chose.SetInt(2);
  choice->GetEventHandler()->ProcessEvent(chose);
  EXPECT_EQ("twin2", dialog.GetSelectedProtocolId());
  EXPECT_TRUE(Field(&dialog, "second:"));
  // Five hundred long parameters: one row each, names cut, the dialog no taller than a screen.
  choice->SetSelection(5);
  chose.SetInt(5);
  choice->GetEventHandler()->ProcessEvent(chose);
  EXPECT_EQ("many", dialog.GetSelectedProtocolId());
  size_t rows = 0;
  for (wxStaticText* label : guitest::FindChildren<wxStaticText>(&dialog))
    if (label->GetLabel().StartsWith("key")) {
      ++rows;
      EXPECT_LE(label->GetLabel().length(), 41u);
    }
  EXPECT_EQ(500u, rows);
  EXPECT_LT(dialog.GetSize().y, 1000);
  std::unique_ptr<MessengerInfo> made(dialog.GetMessengerInfo());
  ASSERT_TRUE(made);
  EXPECT_EQ("many", made->GetProtocol());
  EXPECT_EQ(many, made->GetParameters());
}

// What an edit changes in the account, and whether it asks to connect again.
TEST_F(MessengerDialogs, TheAccountChangesOnlyThroughOKAndChangesAreSeen) {
  DropProtocols();
  Offer("icq", "ICQ", {{"port", "5190"}});
  Offer("jabber", "Jabber", {{"resource", "home"}});
  MessengerInfo account("icq", "ICQ", "", "", true, {{"port", "6000"}});
  account.SetLogin("me");
  account.SetPassword("pw");
  auto choose = [](MessengerDialog& d, int index) {
    auto* choice = FindChild<wxChoice>(&d, [](wxChoice*) { return true; });
    choice->SetSelection(index);
    wxCommandEvent chose(wxEVT_CHOICE, choice->GetId());
    chose.SetInt(index);
    choice->GetEventHandler()->ProcessEvent(chose);
  };
  const struct {
    const char* name;
    std::function<void(MessengerDialog&)> edit;
    bool changed;
    const char* protocol;
    const char* port;
  } rows[] = {
      {"untouched", [](MessengerDialog&) {}, false, "icq", "6000"},
      {"flag only", [](MessengerDialog& d) { FindChild<wxCheckBox>(&d, [](wxCheckBox*) { return true; })->SetValue(false); },
       false, "icq", "6000"},
      {"password", [](MessengerDialog& d) { Field(&d, _("Password:"))->SetValue("new"); }, true, "icq", "6000"},
      {"parameter", [](MessengerDialog& d) { Field(&d, "port:")->SetValue("7000"); }, true, "icq", "7000"},
      {"another protocol and back", [&](MessengerDialog& d) { choose(d, 1); choose(d, 0); }, false, "icq", "6000"},
      {"another protocol", [&](MessengerDialog& d) { choose(d, 1); }, true, "jabber", nullptr},
  };
  for (const auto& row : rows) {
    MessengerInfo copy = account;
    MessengerDialog dialog(nullptr, GetManager(), &copy);
    EXPECT_EQ("me", Field(&dialog, _("Login:"))->GetValue()) << row.name;
    EXPECT_EQ("pw", Field(&dialog, _("Password:"))->GetValue()) << row.name;
    row.edit(dialog);
    // Until OK, the account is as it was (a Cancel keeps it so).
    EXPECT_EQ("icq", copy.GetProtocol()) << row.name;
    EXPECT_EQ("pw", copy.GetPassword()) << row.name;
    EXPECT_EQ(row.changed, dialog.HasChanged()) << row.name;
    EXPECT_EQ(&copy, dialog.GetMessengerInfo()) << row.name;
    EXPECT_EQ(row.protocol, copy.GetProtocol()) << row.name;
    if (row.port) { EXPECT_EQ(row.port, copy.GetParameters()["port"]) << row.name; }
    else EXPECT_EQ("home", copy.GetParameters()["resource"]) << row.name;
    EXPECT_EQ(std::string(row.name) != "flag only", copy.GetAutoConnect()) << row.name;
  }
  // Add mode: the first protocol, empty fields, the box ticked; a cancelled record goes with
  // the dialog (LeakSanitizer would say otherwise).
  MessengerDialog adding(nullptr, GetManager(), nullptr);
  EXPECT_EQ("icq", adding.GetSelectedProtocolId());
  EXPECT_EQ("", Field(&adding, _("Login:"))->GetValue());
  EXPECT_TRUE(FindChild<wxCheckBox>(&adding, [](wxCheckBox*) { return true; })->GetValue());
  EXPECT_EQ("5190", Field(&adding, "port:")->GetValue());
}

}  // namespace
