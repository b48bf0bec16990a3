// The real contacts panel in a window of its own, fed the contact updates the controller sends,
// with the main window's side (the row actions) recorded.
#ifndef PARLAVOX_TESTS_GUI_CONTACTS_CONTACTSLISTFIXTURE_H
#define PARLAVOX_TESTS_GUI_CONTACTS_CONTACTSLISTFIXTURE_H

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/frame.h>

#include <memory>
#include <string>
#include <vector>

#include "core/application.h"
#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/groupEntry.h"
#include "model/config.h"
#include "model/urlContactInfo.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/recordingSiteListener.h"
#include "tests/support/testSupport.h"

namespace contactstest {

using RecordingListener = testsupport::RecordingSiteListener;

class ContactsListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Config::SetPath(testsupport::SourceDir() + "/data/");
    Config::SetUserPath(m_home.path());
    Config* config = Config::GetInstance();
    config->SetLogin("alice");
    config->ClearContacts();
    // The controller, made (at the first test) while no contact is saved: it knows of a user
    // only what the tests tell it.
    GetManager();
    for (const std::string& group : config->GetGroups()) config->RemoveGroup(group);
    config->SetGroupMode(0);
    config->SetGroupOffline(2);
    m_frame = new wxFrame(nullptr, wxID_ANY, "Contacts", wxPoint(40, 40), wxSize(320, 560));
    m_frame->Show();
    guitest::PumpUntil([&] { return m_frame->IsShownOnScreen(); });
  }
  void TearDown() override {
    m_frame->Destroy();
    guitest::Pump(30);
    Config::GetInstance()->ClearContacts();
  }

  // The panel, built from the settings as the main window builds it.
  ContactsPanel* Open() {
    m_panel = new ContactsPanel(GetManager(), m_frame, m_frame, &m_listener);
    m_frame->SetSizer(nullptr);
    m_panel->SetSize(m_frame->GetClientSize());
    Settle();
    return m_panel;
  }
  // A record of a user of the network.
  static ContactInfo Contact(const std::string& login, const std::string& nickname, t_status status,
                             const std::string& group = "") {
    return ContactInfo(login, nickname, "", "1.0", status, "", "", 0, 0, 0, group, "parlavox", false);
  }
  // A saved contact: kept in the settings, as the controller keeps it.
  // Like the controller's, saved records stay allocated until the program ends.
  ContactInfo* Save(const ContactInfo& contact) {
    static std::vector<std::unique_ptr<ContactInfo>> kept;
    kept.emplace_back(new ContactInfo(contact));
    m_saved.push_back(kept.back().get());
    Config::GetInstance()->UpdateContact(m_saved.back());
    return m_saved.back();
  }
  // The update the controller posts for a contact of the list, applied as the main window does.
  void Update(const ContactInfo& contact) {
    if (Config::GetInstance()->HasContact(contact.GetLogin())) *FindSaved(contact.GetLogin()) = contact;
    m_panel->UpdateContact(URLContactInfo("none", -1, contact, true, false, false));
  }
  ContactInfo* FindSaved(const std::string& login) {
    for (ContactInfo* saved : m_saved)
      if (saved->GetLogin() == login) return saved;
    return nullptr;
  }
  // Lets the rows be placed, those out of sight included, and drawn, waiting up to `ms`.
  void Settle(int ms = 10000) {
    wxTheApp->ProcessPendingEvents();
    EXPECT_TRUE(guitest::PumpUntil([&] {
      if (!m_panel) return true;
      if (!m_panel->IsFilled()) return false;
      for (ChatRoomEntry* block : m_panel->GetBlocks())
        if (!block->IsPlaced()) return false;
      return true;
    }, ms));
    guitest::Pump(40);
  }
  // "Title: login login | Title: ..." for every block, top to bottom.
  std::string Shown() const {
    std::string text;
    for (ChatRoomEntry* block : m_panel->GetBlocks()) {
      if (!text.empty()) text += " | ";
      text += block->GetHeader()->GetTitle().utf8_str().data();
      text += ":";
      for (const std::string& login : block->GetLogins()) text += " " + login;
    }
    return text;
  }

  testsupport::TempDir m_home;
  wxFrame* m_frame = nullptr;
  ContactsPanel* m_panel = nullptr;
  RecordingListener m_listener;
  std::vector<ContactInfo*> m_saved;
};

}  // namespace contactstest

#endif
