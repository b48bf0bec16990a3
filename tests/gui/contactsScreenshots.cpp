// Pictures of the contacts list for review, saved as PNG files: the list in each grouping and
// offline mode, a row expanded under the pointer, and a row's menu. `make screenshots` runs it
// under Xvfb. It checks nothing about the pictures; it fails only when one cannot be taken or
// saved. Usage: contacts_screenshots [output directory]
#include <wx/app.h>
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
#include "gui/subscribeChatRoomListener.h"
#include "model/config.h"
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
  frame->Destroy();
  Pump(100);
  return screenshots::Stop();
}
