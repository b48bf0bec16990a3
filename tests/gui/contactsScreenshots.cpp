// Pictures of the contacts list for review, saved as PNG files: the list in each grouping and
// offline mode and in a narrow window, a row expanded under the pointer, and a row's menu; then the contacts manager
// with its groups, requests and default switches, and its groups list open. `make screenshots` runs it
// under Xvfb. It checks nothing about the pictures; it fails only when one cannot be taken or
// saved. Usage: contacts_screenshots [output directory]
#include <wx/app.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/application.h"
#include "gui/contacts/avatarBitmapPanel.h"
#include "gui/contacts/chatRoomEntry.h"
#include "gui/contacts/contactEntry.h"
#include "gui/contacts/contactsPanel.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/subscribeChatRoomListener.h"
#include "model/config.h"
#include "model/contactEvent.h"
#include "model/urlContactInfo.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/nullSiteListener.h"
#include "tests/support/sanitizerOptions.h"
#include "tests/support/screenCapture.h"
#include "tests/support/screenshotProgram.h"
#include "tests/support/testSupport.h"

using guitest::Pump;
using guitest::PumpUntil;

namespace {

std::string g_dir = "screenshots";

void Shoot(const wxRect& rect, const std::string& name) {
  Pump(400);
  const wxImage img = screencapture::Capture(rect);
  if (!img.IsOk() || !img.SaveFile(wxString::FromUTF8(g_dir + "/" + name), wxBITMAP_TYPE_PNG)) {
    screenshots::Fail("cannot save " + name);
    return;
  }
  std::printf("%s/%s\n", g_dir.c_str(), name.c_str());
}

std::vector<std::unique_ptr<ContactInfo>> g_kept;

void SaveContact(const std::string& login, const std::string& nickname, t_status status, const std::string& group,
                 const std::string& mood) {
  g_kept.emplace_back(new ContactInfo(login, nickname, mood, "1.0", status, "France", "Lyon", 12, 3, 1990, group,
                                      "parlavox", false));
  g_kept.back()->SetGender(login.size() % 2 ? 1 : 2);
  Config::GetInstance()->UpdateContact(g_kept.back().get());
}

// Picks the menu's first item once it is on screen, after its picture was taken.
class MenuShooter : public wxTimer {
 public:
  explicit MenuShooter(wxRect rect) : m_rect(rect) { Start(100); }
  void Notify() override {
    if (++m_ticks == 8) Shoot(m_rect, "contacts_row_menu.png");
    if (m_ticks == 10) wxUIActionSimulator().Char(WXK_ESCAPE);
  }

 private:
  wxRect m_rect;
  int m_ticks = 0;
};

// The contacts manager with requests, answers and invitations of several kinds, newest on top.
void ShootRequests(wxFrame* parent) {
  ContactsShortFrame* manager = new ContactsShortFrame(parent, GetManager(), nullptr);
  const ContactEvent events[] = {
      {1, CE_CHECKING, "none", "gina@example.org", "", ""},
      {2, CE_ADD_ASKED, "none", "carol", "Carol", "Shall we?"},
      {-1, CE_REMOVED_BY_OTHER, "none", "erin", "erin", ""},
      {3, CE_BLOCKED, "none", "frank", "Frank", ""},
      {4, CE_INVITED, "prv://parlavox/dave:alice", "dave", "Dave & Sons <b>", "Come and see"},
      {5, CE_ANSWER_REFUSED, "none", "hugo", "Hugo", "Sorry, I do not know you"},
      {6, CE_ANSWER_ACCEPTED, "none", "carol", "Carol", "Gladly!"},
      {7, CE_NOT_REGISTERED, "none", "nobody", "", ""},
      {8, CE_ADD_RECEIVED, "none", "bob", "Bob", "Hi, we met on the cooking site \u2014 " + std::string(300, 'x')},
  };
  for (const ContactEvent& event : events) manager->UpdateContactEvent(event);
  manager->Show(true);
  manager->Move(340, 20);
  PumpUntil([&] { return manager->IsShownOnScreen(); });
  Shoot(manager->GetScreenRect(), "contacts_manager_requests.png");
  manager->Destroy();
}

// The contacts manager beside the list, with the groups above and requests of several kinds.
void ShootContactsManager(wxFrame* frame) {
  ContactsShortFrame* manager = new ContactsShortFrame(frame, GetManager(), nullptr);
  const int kinds[] = {CE_ADD_RECEIVED, CE_ANSWER_ACCEPTED, CE_NOT_REGISTERED, CE_CHECKING, CE_INVITED};
  const char* logins[] = {"henri", "bob", "nobody_here", "isa", "carol"};
  for (int i = 0; i < 5; ++i) {
    const std::string url = kinds[i] == CE_INVITED ? "prv://parlavox/carol:7" : "none";
    manager->UpdateContactEvent(ContactEvent(100 + i, kinds[i], url, logins[i], logins[i], i == 0 ? "hi, it is Henri" : ""));
  }
  manager->SetTopRightPosition(wxPoint(frame->GetPosition().x + 900, 20));
  manager->Show(true);
  PumpUntil([&] { return manager->IsShownOnScreen(); });
  Shoot(manager->GetScreenRect(), "contacts_manager.png");
  // The groups list open, by a real click on it.
  wxComboBox* groups = guitest::FindChild<wxComboBox>(manager, [](wxComboBox*) { return true; });
  wxUIActionSimulator sim;
  sim.MouseMove(groups->GetScreenPosition() + wxPoint(groups->GetSize().x - 12, groups->GetSize().y / 2));
  sim.MouseClick();
  Pump(600);
  Shoot(wxRect(manager->GetScreenPosition(), manager->GetSize() + wxSize(0, 120)), "contacts_manager_groups.png");
  sim.Char(WXK_ESCAPE);
  Pump(200);
  manager->Destroy();
}

}  // namespace

int main(int argc, char** argv) {
  if (!screenshots::Start(argc, argv, g_dir)) return 1;
  testsupport::TempDir home;
  Config::SetPath(std::string(PARLAVOX_SOURCE_DIR) + "/data/");
  Config::SetUserPath(home.path());
  Config* config = Config::GetInstance();
  config->SetLogin("alice");
  config->AddGroup("work");
  config->AddGroup("Family");
  SaveContact("bob", "Bob", STATUS_ONLINE, "work", "coffee first");
  SaveContact("carol", "Carol", STATUS_AWAY, "Family", "");
  SaveContact("dave", "Dave & Sons <b>", STATUS_BUSY, "work", "do not disturb");
  SaveContact("erin", "erin", STATUS_OFFLINE, "Family", "");
  SaveContact("frank", "Frank", STATUS_NO_ACTIVITY, "", "");
  SaveContact("gina", "Gina", STATUS_OFFLINE, "", "back on Monday");
  SaveContact("amelie", "Amélie-Charlotte de la Fontaine-Dupont", STATUS_ONLINE, "Family", "");
  SaveContact("eva", "Evangelina Maximiliana Rosenthal", STATUS_AWAY, "work", "Away until tomorrow morning");
  GetManager();
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "Contacts", wxPoint(20, 20), wxSize(300, 420));
  frame->Show();
  PumpUntil([&] { return frame->IsShownOnScreen(); });
  testsupport::NullSiteListener main;
  ContactsPanel* panel = new ContactsPanel(GetManager(), frame, frame, &main);
  panel->SetSize(frame->GetClientSize());
  const int modes[][2] = {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}};
  for (const auto& mode : modes) {
    config->SetGroupMode(mode[0]);
    config->SetGroupOffline(mode[1]);
    panel->InitPrivateContactsGroups();
    Pump(200);
    Shoot(panel->GetScreenRect(), "contacts_mode" + std::to_string(mode[0]) + std::to_string(mode[1]) + ".png");
  }
  // By groups, offline contacts apart, in a window 200 pixels wide.
  frame->SetClientSize(200, 420);
  PumpUntil([&] { return frame->GetClientSize().x == 200; });
  panel->SetSize(frame->GetClientSize());
  Shoot(panel->GetScreenRect(), "contacts_narrow.png");
  frame->SetClientSize(300, 420);
  PumpUntil([&] { return frame->GetClientSize().x == 300; });
  panel->SetSize(frame->GetClientSize());
  // A row expanded under the pointer.
  ContactEntry* bob = panel->FindContactRow("bob");
  AvatarBitmapPanel* avatar = guitest::FindChild<AvatarBitmapPanel>(bob, [](AvatarBitmapPanel*) { return true; });
  wxUIActionSimulator sim;
  sim.MouseMove(avatar->GetScreenPosition() + wxPoint(4, 4));
  if (!PumpUntil([&] { return ContactEntry::GetHighlighted() == bob; })) screenshots::Fail("no row expanded");
  Shoot(panel->GetScreenRect(), "contacts_row_expanded.png");
  sim.MouseMove(frame->GetScreenPosition() + wxPoint(280, 400));
  PumpUntil([&] { return ContactEntry::GetHighlighted() == nullptr; });
  // A row's menu, opened by a real right click on the nickname.
  ContactEntry* dave = panel->FindContactRow("dave");
  MenuShooter shooter(wxRect(frame->GetScreenPosition(), wxSize(560, 420)));
  sim.MouseMove(dave->GetScreenPosition() + wxPoint(60, dave->GetSize().y / 2));
  Pump(100);
  sim.MouseClick(wxMOUSE_BTN_RIGHT);
  Pump(2000);
  ShootRequests(frame);
  ShootContactsManager(frame);
  frame->Destroy();
  Pump(100);
  return screenshots::Stop();
}
