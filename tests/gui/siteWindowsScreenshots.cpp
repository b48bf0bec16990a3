// Pictures of a site's window and of the sites manager for review, saved as PNG files: the site's
// window with switches in all three states, the manager with sites opened by default, with the
// recommendations of other Parlavoxers, and with sites blocked by default. `make screenshots`
// runs it under Xvfb. It checks nothing about the pictures; it fails only when one cannot be
// taken or saved.
// Usage: site_windows_screenshots [output directory]
#include <wx/app.h>
#include <wx/filename.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/application.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "gui/sites/webSitesShortFrame.h"
#include "model/config.h"
#include "model/urlInfo.h"
#include "tests/support/sanitizerOptions.h"
#include "tests/support/screenCapture.h"
#include "tests/support/screenshotProgram.h"
#include "tests/widgets/widgetTestSupport.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

std::string g_dir = "screenshots";

void Shoot(wxWindow* window, const std::string& name) {
  PumpUntil([&] { return window->IsShownOnScreen(); }, 3000);
  window->Refresh();
  Pump(400);
  wxImage img = screencapture::Capture(window->GetScreenRect());
  if (!img.IsOk() || !img.SaveFile(wxString::FromUTF8(g_dir + "/" + name), wxBITMAP_TYPE_PNG))
    screenshots::Fail("cannot save " + name);
  else
    std::printf("%s/%s\n", g_dir.c_str(), name.c_str());
}

void SiteWindow(wxWindow* parent, Manager* manager) {
  URLInfo* site = manager->GetURLInfo("http://www.example.org/");
  manager->SetSiteStatus(site->GetURL(), SITE_OPEN);
  site->SetNbrUsers(12);
  site->SetNbrChatRoomUsers(4);
  site->SetUserGrade(8);
  site->SetGrade(6.5f);
  site->SetNotifications({{"open-visual", true}, {"close-bell", false}, {"message-visual-contact", true},
                          {"message-bell-contact", true}, {"subscribe-bell-contact", false}});
  auto* frame = new WebSiteInfoFrame(parent, manager, site->GetURL(), true);
  frame->Move(40, 40);
  frame->Show();
  Shoot(frame, "site-window.png");
}

void SitesManagerWindow(wxWindow* parent, Manager* manager) {
  for (const char* url : {"http://news.example.com/", "https://bank.example/", "http://forum.example.net/"})
    manager->SetSiteStatus(url, SITE_BLOCKED);
  manager->SetSiteStatus("http://friends.example/", SITE_OPEN);
  auto* frame = new WebSitesShortFrame(parent, manager);
  frame->Move(500, 40);
  frame->Show(1);
  Shoot(frame, "sites-manager.png");
  frame->AddRecommendedSites({RecommendedSite("http://recipes.example/", 5), RecommendedSite("http://maps.example/", 3),
                              RecommendedSite("http://music.example.org/", 1)});
  Shoot(frame, "sites-manager-recommended.png");
  manager->SetDefaultSiteStatus(SITE_BLOCKED);
  frame->Show(1);
  Shoot(frame, "sites-manager-blocked-by-default.png");
}

}  // namespace

int main(int argc, char** argv) {
  if (!screenshots::Start(argc, argv, g_dir)) return 1;
  screenshots::UseFreshHome(PARLAVOX_SOURCE_DIR);
  Config::GetInstance()->SetLogin("alice");

  // Away from the windows shot: a frame in front of them would cover part of the picture.
  auto* parent = new wxFrame(nullptr, wxID_ANY, "Parlavox", wxPoint(1000, 800), wxSize(200, 100));
  parent->Show();
  SiteWindow(parent, GetManager());
  SitesManagerWindow(parent, GetManager());
  parent->Destroy();
  Pump(100);

  const int status = screenshots::Stop();
  // The controller is left to the end of the process, as the program does.
  std::fflush(stdout);
  std::_Exit(status);
}
