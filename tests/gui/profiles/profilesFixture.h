// The real main window logged in to a TLS test server as "alice", with the server's link at hand:
// the test sends what the server sends (contacts, rooms' members) and reads what the program
// sends back. The profile windows are the ones the main window opens.
#ifndef PARLAVOX_TESTS_GUI_PROFILES_PROFILESFIXTURE_H
#define PARLAVOX_TESTS_GUI_PROFILES_PROFILESFIXTURE_H

#include <gtest/gtest.h>
#include <wx/combobox.h>
#include <wx/textdlg.h>

#include <functional>
#include <memory>
#include <string>

#include "asn1/octetString.h"
#include "Gender.h"
#include "asn1/request.h"
#include "gui/profiles/contactButtonBitmapNotifier.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/contactInfoPanel.h"
#include "model/stringConversion.h"
#include "tests/gui/mainWindowFixture.h"

namespace profilestest {

using guitest::PumpUntil;

// A contact (or room member) as the server describes it.
struct Person {
  std::string login;
  std::string nickname;
  const char* site = "none";  // "none": a contact of the list; else a member of that room
  const char* group = nullptr;
  long gender = -1;
  const char* network = nullptr;
  const char* city = nullptr;
  const char* country = nullptr;
};

// Answers the text-entry dialog with `value` (Cancel when `cancel`), after running `during`
// while the dialog is open, events pumped so that anything the toolkit defers happens then.
class TextAnswer : public wxModalDialogHook {
 public:
  TextAnswer(std::string value, std::function<void()> during = nullptr, bool cancel = false)
      : m_value(std::move(value)), m_during(std::move(during)), m_cancel(cancel) {
    Register();
  }
  int asked = 0;

 protected:
  int Enter(wxDialog* dialog) override {
    auto* text = dynamic_cast<wxTextEntryDialog*>(dialog);
    if (!text) return wxID_NONE;
    ++asked;
    text->SetValue(wxString::FromUTF8(m_value.c_str()));
    if (m_during) {
      m_during();
      guitest::Pump(100);
    }
    return m_cancel ? wxID_CANCEL : wxID_OK;
  }
  void Exit(wxDialog*) override {}

 private:
  std::string m_value;
  std::function<void()> m_during;
  bool m_cancel;
};

class ProfilesTest : public guitest::MainWindowTest {
 public:
  void SetUp() override {
    MainWindowTest::SetUp();
    // The settings object lives as long as the process: no contact or group of an earlier test.
    Config* config = Config::GetInstance();
    config->ClearContacts();
    for (const std::string& group : config->GetGroups()) config->RemoveGroup(group);
  }
  void TearDown() override {
    if (GetManager()->IsConnected()) GetManager()->Disconnect(false, false);
    guitest::Pump(50);
    MainWindowTest::TearDown();
  }

  // The main window on screen, logged in; true once the controller says connected.
  bool LogIn() {
    testserver::TestServer& server = UseTestServer();
    frame = Open();
    frame->OnSwitchConnection(false);
    link = AcceptLogIn(server);
    if (!link) return false;
    while (link->Next(std::chrono::milliseconds(200))) {
    }
    return true;
  }

  void Send(const Person& p) {
    auto request = testserver::NewS2C(S2C_Request_PR_updcontact);
    auto& m = request->choice.updcontact;
    testserver::Fill(&m.authkey, "K1");
    testserver::Fill(&m.login, p.login);
    m.site = asn1::NewOctetString(p.site);
    m.status = asn1::NewValue<long>(STATUS_ONLINE);
    m.nickname = asn1::NewOctetString(p.nickname);
    if (p.group) m.group = asn1::NewOctetString(p.group);
    if (p.gender >= 0) m.gender = asn1::NewValue<long>(p.gender);
    if (p.network) m.im_type = asn1::NewOctetString(p.network);
    if (p.city) m.city = asn1::NewOctetString(p.city);
    if (p.country) m.country = asn1::NewOctetString(p.country);
    link->Send(*request);
    EXPECT_TRUE(PumpUntil([&] { return GetManager()->GetContactInfo(p.login)->GetNickname() == p.nickname; }))
        << p.login;
    guitest::Pump(30);
  }

  // The profile window of `login`, opened as a contact row opens it, on screen.
  static ContactInfoFrame* OpenProfile(const std::string& login) {
    ContactInfoFrame::OpenContactInfoFor(login);
    ContactInfoFrame* profile = ContactInfoFrame::GetContactInfoFor(login);
    EXPECT_TRUE(profile && PumpUntil([&] { return profile->IsShownOnScreen(); })) << login;
    return profile;
  }
  static ContactButtonBitmapNotifier* Switch(ContactInfoFrame* profile, const std::string& key) {
    return guitest::FindChild<ContactButtonBitmapNotifier>(
        profile, [&](ContactButtonBitmapNotifier* s) { return s->GetKey() == key; });
  }
  static wxButton* Button(ContactInfoFrame* profile, const wxString& label) {
    return guitest::FindChild<wxButton>(profile, [&](wxButton* b) { return b->GetLabel() == label; });
  }
  // A real click on a switch's picture; true once its state in the window changed.
  static bool Click(ContactInfoFrame* profile, const std::string& key) {
    const int before = profile->GetPendingNotification(key);
    ContactButtonBitmapNotifier* notifier = Switch(profile, key);
    if (!notifier) return false;
    profile->Raise();
    wxUIActionSimulator sim;
    sim.MouseMove(notifier->GetScreenRect().GetPosition() + notifier->GetSize() / 2);
    sim.MouseClick();
    return PumpUntil([&] { return profile->GetPendingNotification(key) != before; });
  }
  // A real click on a button of a window brought to the front.
  static void Press(wxWindow* button, const std::function<bool()>& done) {
    wxGetTopLevelParent(button)->Raise();
    guitest::Pump(50);
    guitest::ClickUntil(button, done);
  }
  // A choice in a list as the toolkit reports it.
  static void Choose(wxComboBox* list, int index) {
    list->SetSelection(index);
    wxCommandEvent event(wxEVT_COMBOBOX, list->GetId());
    event.SetEventObject(list);
    event.SetInt(index);
    list->GetEventHandler()->ProcessEvent(event);
  }
  testserver::C2SPtr Await(C2S_Request_PR kind) { return AwaitRequest(*link, kind); }
  // Nothing of `kind` reaches the server for a while.
  bool NoneOf(C2S_Request_PR kind) {
    bool none = true;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
    while (std::chrono::steady_clock::now() < end) {
      while (auto got = link->Next(std::chrono::milliseconds(1)))
        if (got->request->present == kind) none = false;
      guitest::Pump(20);
    }
    return none;
  }

  guitest::SpyMainFrame* frame = nullptr;
  std::shared_ptr<testserver::TestConnection> link;
};

}  // namespace profilestest

#endif
