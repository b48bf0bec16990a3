// Pictures of the profile windows for review, saved as PNG files: the user's own profile (as
// when connected), a contact's profile with some switches set, and the contact tool tip.
// `make screenshots` runs it under Xvfb. It checks nothing about the pictures; it fails only
// when one cannot be taken or saved.
// Usage: profiles_screenshots [output directory]
#include <wx/app.h>
#include <wx/filename.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/contactInfoPanel.h"
#include "gui/profiles/contactInfoToolTip.h"
#include "gui/profiles/messengerDialog.h"
#include "gui/profiles/messengersList.h"
#include "model/config.h"
#include "model/messengerInfo.h"
#include "model/messengerProtocolInfo.h"
#include "tests/support/screenCapture.h"
#include "tests/support/screenshotProgram.h"
#include "tests/widgets/widgetTestSupport.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

std::string g_dir = "screenshots";

void Shoot(wxWindow* window, const std::string& name) {
  PumpUntil([&] { return window->IsShownOnScreen(); }, 3000);
  window->Raise();
  window->Refresh();
  Pump(400);
  const wxImage image = screencapture::Capture(window->GetScreenRect());
  if (!image.IsOk() || !image.SaveFile(wxString::FromUTF8(g_dir + "/" + name), wxBITMAP_TYPE_PNG))
    screenshots::Fail("cannot save " + name);
  else
    std::printf("%s/%s\n", g_dir.c_str(), name.c_str());
}

void Profiles() {
  auto* frame = new MainFrame(GetManager(), "Parlavox", wxPoint(900, 60), wxSize(370, 600));
  frame->Show();
  Manager* manager = GetManager();
  ContactInfo* bob = manager->GetContactInfo("bob");
  bob->SetNickname("Bob the Builder");
  bob->SetMood("Fixing things all day");
  bob->SetCity("Lyon");
  bob->SetCountry("France");
  bob->SetGender(1);
  bob->SetBirth(12, 5, 1984);
  bob->SetGroup("Friends");
  bob->SetStatus(STATUS_ONLINE);
  bob->SetNotification("message-bell", NOTIFICATION_ON);
  bob->SetNotification("open-visual", NOTIFICATION_OFF);
  Config::GetInstance()->AddGroup("Friends");
  Config::GetInstance()->AddGroup("Work");
  Config::GetInstance()->UpdateContact(bob);

  // Accounts on other networks in each state, for the own profile's list.
  Config::GetInstance()->AddMessengerProtocol(
      new MessengerProtocolInfo("icq", "ICQ", {{"port", "5190"}, {"server", "login.icq.com"}}));
  Config::GetInstance()->AddMessengerProtocol(new MessengerProtocolInfo("jabber", "Jabber", {{"resource", "home"}}));
  const struct {
    const char* protocol;
    const char* login;
    int status;
  } accounts[] = {{"icq", "123456789", MESSENGER_CONNECTED},
                  {"jabber", "alice@jabber.example", MESSENGER_CONNECTING},
                  {"jabber", "alice.work@jabber.example", MESSENGER_DISCONNECTED}};
  for (const auto& a : accounts) {
    MessengerInfo* account = manager->CreateMessengerInfo(a.protocol);
    account->SetLogin(a.login);
    account->SetPassword("secret");
    account->SetStatus(a.status);
    manager->AddMessenger(account);
  }

  ContactInfoFrame::OpenContactInfoFor("alice");
  ContactInfoFrame* own = ContactInfoFrame::GetContactInfoFor("alice");
  own->GetPanel()->EnableUpdate(true);
  for (MessengerInfo* account : manager->GetMessengers()) own->GetMessengersList()->AddMessenger(account);
  own->Move(40, 40);
  Shoot(own, "profile-own.png");
  own->Hide();

  auto* dialog = new MessengerDialog(frame, manager, manager->GetMessengers()[0]);
  dialog->Move(40, 40);
  dialog->Show();
  Shoot(dialog, "profile-account-dialog.png");
  dialog->Destroy();

  ContactInfoFrame::OpenContactInfoFor("bob");
  ContactInfoFrame* contact = ContactInfoFrame::GetContactInfoFor("bob");
  contact->Move(40, 40);
  Shoot(contact, "profile-contact.png");
  contact->Hide();

  auto* tip = new ContactInfoToolTip(frame, manager, *bob);
  tip->MoveInsideScreen(wxPoint(60, 60));
  tip->Show(true);
  Shoot(tip, "profile-tooltip.png");
  frame->Close(true);
  Pump(200);
}

}  // namespace

int main(int argc, char** argv) {
  if (!screenshots::Start(argc, argv, g_dir)) return 1;
  screenshots::UseFreshHome(PARLAVOX_SOURCE_DIR);
  Config* config = Config::GetInstance();
  config->SetLogin("alice");
  config->SetNickname("Alice");
  config->SetMood("Reading in the garden");
  config->SetBirth(3, 5, 1990);
  config->SetRememberClose(true);
  config->SetClose(true);

  Profiles();

  const int status = screenshots::Stop();
  // The controller and its threads are left to the end of the process, as the program does.
  std::fflush(stdout);
  std::_Exit(status);
}
