// Pictures of the sites panel for review, saved as PNG files: several sites with an extension
// button, a site unfolded with people on it, a site's menu and a person's menu open, the site's
// tip, and a person's tip with the pointer resting on the avatar. `make screenshots` runs it under Xvfb. It checks nothing about the pictures; it
// fails only when one cannot be taken or saved.
// Usage: sites_panel_screenshots [output directory]
#include <wx/app.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>

#include "core/application.h"
#include "gui/profiles/contactInfoToolTip.h"
#include "gui/sites/contactButtonBitmap.h"
#include "gui/sites/siteInfoToolTip.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/sitesPanel.h"
#include "gui/subscribeChatRoomListener.h"
#include "model/config.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/nullSiteListener.h"
#include "tests/support/screenCapture.h"
#include "tests/support/screenshotProgram.h"
#include "widgets/myStaticText.h"

namespace {

std::string g_dir = "screenshots";

void Save(const wxRect& rect, const std::string& name) {
  const wxImage img = screencapture::Capture(rect);
  if (!img.IsOk() || !img.SaveFile(wxString::FromUTF8(g_dir + "/" + name), wxBITMAP_TYPE_PNG))
    screenshots::Fail("cannot save " + name);
  else
    std::printf("%s/%s\n", g_dir.c_str(), name.c_str());
}

void Shoot(wxWindow* window, const std::string& name) {
  guitest::PumpUntil([&] { return window->IsShownOnScreen(); }, 3000);
  window->Refresh();
  guitest::Pump(400);
  Save(window->GetScreenRect(), name);
}

// Right-clicks `target`; once the menu is up, takes the frame and the menu beside it, then closes it.
void ShootMenu(SitePanel* panel, wxWindow* target, wxFrame* frame, const std::string& name) {
  wxTimer shooter;
  bool taken = false;
  int ticks = 0;
  shooter.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (taken || !panel->IsMenuShown() || ++ticks < 8) return;
    taken = true;
    wxRect rect = frame->GetScreenRect();
    rect.width += 260;
    Save(rect, name);
    wxUIActionSimulator().Char(WXK_ESCAPE);
  });
  shooter.Start(50);
  wxUIActionSimulator sim;
  sim.MouseMove(target->GetScreenRect().GetPosition() + target->GetSize() / 2);
  guitest::Pump(50);
  sim.MouseClick(wxMOUSE_BTN_RIGHT);
  if (!guitest::PumpUntil([&] { return taken; }, 5000)) screenshots::Fail("no menu for " + name);
  shooter.Stop();
  guitest::Pump(300);
}

URLContactInfo Person(const std::string& url, const std::string& login, bool inRoom) {
  ContactInfo person(login, login.substr(0, 1) == "a" ? "Anna & co" : "Nick " + login, "", "", STATUS_ONLINE, "",
                     "", 0, 0, 0, "", "", false);
  if (inRoom) person.SubscribeTo(url);
  return URLContactInfo(url, 20, person, false, false, false);
}

void SitesPanelPictures() {
  testsupport::NullSiteListener listener;
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Sites", wxPoint(60, 60), wxSize(370, 420));
  auto* sites = new SitesPanel(GetManager(), frame, &listener);
  frame->Show();
  sites->UpdateExtensionStatus("ext1", EXTENSION_ENABLE);
  sites->UpdateExtensionStatus("ext2", EXTENSION_DISABLE);
  const std::vector<RecommendedSite> recommended = {RecommendedSite("http://www.news.example/", 3),
                                                    RecommendedSite("http://blog.example/", 1)};
  sites->AddSitePanel(URLInfo("http://www.example.org/", SITE_DEFAULT, 3, 1, 12, 7.5f, "", 8, "", &recommended),
                      "www.example.org/");
  sites->AddSitePanel(URLInfo("http://a.example/x?y=1&z=2", SITE_DEFAULT, 1, 0, 0, 99, "", 99, "", nullptr),
                      "a.example/x?y=1&z=2");
  sites->AddSitePanel(URLInfo("http://long.example/", SITE_DEFAULT, 1, 0, 3, 10, "", 99, "", nullptr),
                      "long.example/a/very/long/path/that/does/not/fit/in/the/panel/at/all");
  Shoot(frame, "sites-several.png");

  SitePanel* site = sites->GetSitePanels().front();
  site->SwitchSubscribeChatRoom(true);
  for (int i = 0; i < 15; ++i)
    sites->UpdateContact(Person("http://www.example.org/", (i == 0 ? "anna" : "p") + std::to_string(i), i % 3 == 0));
  Shoot(frame, "sites-people.png");
  ShootMenu(site, site->GetSiteLabel()->GetInnerText(), frame, "sites-site-menu.png");
  ShootMenu(site, site->FindContact("anna0"), frame, "sites-person-menu.png");

  // The pointer off the panel: no tip of its own comes up meanwhile.
  wxUIActionSimulator().MouseMove(frame->GetScreenRect().GetBottomRight() + wxPoint(40, 40));
  guitest::PumpUntil([&] { return !site->GetContactToolTip() || !site->GetContactToolTip()->IsShown(); }, 3000);
  SiteInfoToolTip* tip = site->GetSiteToolTip();
  tip->ShowAt(site->GetScreenRect().GetBottomLeft() + wxPoint(20, 4));
  guitest::PumpUntil([&] { return tip->IsShownOnScreen(); }, 3000);
  guitest::Pump(400);
  wxRect rect = frame->GetScreenRect();
  rect.Union(tip->GetScreenRect());
  Save(rect, "sites-site-tip.png");
  tip->Hide();

  // The pointer resting on a person's avatar, the sites' window in front.
  frame->Raise();
  guitest::PumpUntil([&] { return frame->IsActive(); }, 3000);
  wxWindow* avatar = site->FindContact("anna0");
  wxUIActionSimulator().MouseMove(avatar->GetScreenRect().GetPosition() + avatar->GetSize() / 2);
  if (!guitest::PumpUntil([&] { return site->GetContactToolTip() && site->GetContactToolTip()->IsShownOnScreen(); }, 3000))
    screenshots::Fail("no tip for a person");
  guitest::Pump(400);
  rect = frame->GetScreenRect();
  if (site->GetContactToolTip()) rect.Union(site->GetContactToolTip()->GetScreenRect());
  Save(rect, "sites-person-tip.png");
  // In a window 200 pixels wide.
  wxUIActionSimulator().MouseMove(frame->GetScreenRect().GetBottomRight() + wxPoint(40, 40));
  guitest::PumpUntil([&] { return !site->GetContactToolTip()->IsShown(); }, 3000);
  frame->SetClientSize(200, 420);
  guitest::PumpUntil([&] { return frame->GetClientSize().x == 200; }, 3000);
  Shoot(frame, "sites-narrow.png");
  frame->Destroy();
  guitest::Pump(200);
}

}  // namespace

int main(int argc, char** argv) {
  if (!screenshots::Start(argc, argv, g_dir)) return 1;
  screenshots::UseFreshHome(PARLAVOX_SOURCE_DIR);
  Config::GetInstance()->SetLogin("alice");
  SitesPanelPictures();
  const int status = screenshots::Stop();
  std::fflush(stdout);
  std::_Exit(status);
}
