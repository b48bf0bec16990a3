// The whole program on the stand-in for the sites' windows, the browser extension played by curl
// on the listener's port: its requests, the sites panel and the sites manager as the user reaches
// them, and other users logged in beside it, who leave the extension listener to the program.
#ifndef PARLAVOX_TESTS_GUI_SITES_SITESSESSIONFIXTURE_H
#define PARLAVOX_TESTS_GUI_SITES_SITESSESSIONFIXTURE_H

#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <chrono>
#include <future>
#include <string>

#include "gui/mainFrame.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/sitesPanel.h"
#include "gui/sites/webSitesShortFrame.h"
#include "model/systemInfoPlatform.h"
#include "network/localServer.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/gui/sites/sitesManagerFixture.h"
#include "tests/support/programSession.h"
#include "widgets/myStaticText.h"

namespace sitestest {

class SitesSession : public programtest::ProgramSession {
 protected:
  // One request of the browser extension through curl, answered on a thread of its own: what
  // the listener answered, followed by curl's `write-out` (say "%{exitcode}").
  static std::future<std::string> Browse(const std::string& path, const std::string& writeOut = "") {
    std::string url = "http://127.0.0.1:" + std::to_string(LocalServer::Instance()->GetPort()) + "/" + path;
    return std::async(std::launch::async, [url, writeOut] {
      std::string out;
      RunCommand({"curl", "-s", "--http0.9", "--path-as-is", "--max-time", "15", "-w", writeOut, url},
                 std::chrono::seconds(20), &out);
      return out;
    });
  }
  std::string Answer(std::future<std::string> reply) {
    EXPECT_TRUE(Until([&] { return reply.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; }));
    return reply.get();
  }
  SitesPanel* Sites() { return guitest::FindChild<SitesPanel>(Frame(), [](SitesPanel*) { return true; }); }
  // The main window's tool-bar button with this tip.
  wxWindow* ToolBarButton(const wxString& tip) {
    return guitest::FindChild<wxWindow>(Frame(), [&](wxWindow* w) { return w->GetToolTipText() == tip; });
  }
  // The program's one top-level window of the kind, made or not yet.
  template <class T>
  static T* Satellite() {
    for (wxWindow* window : wxTopLevelWindows)
      if (auto* t = dynamic_cast<T*>(window)) return t;
    return nullptr;
  }
  // The sites manager, shown from the tool bar's button.
  WebSitesShortFrame* OpenManager() {
    auto* manager = guitest::FindChild<WebSitesShortFrame>(Frame(), [](WebSitesShortFrame*) { return true; });
    wxWindow* button = ToolBarButton("Sites manager");
    EXPECT_TRUE(manager && button);
    if (manager && button && !manager->IsShown()) { EXPECT_TRUE(Click(button, [&] { return manager->IsShownOnScreen(); })); }
    return manager;
  }
  // Right-clicks the site's name for real and picks the menu's item `downs` Downs away. The
  // item may close the site: its panel then goes.
  void PickSiteMenu(SitePanel* panel, int downs) { PickMenu(panel, panel->GetSiteLabel()->GetInnerText(), downs); }
  // The same on a person's avatar in the site's panel: the person's menu.
  void PickMenu(SitePanel* panel, wxWindow* clicked, int downs) {
    wxWeakRef<SitePanel> shown(panel);
    guitest::MenuPicker picker([&] { return shown && shown->IsMenuShown(); }, downs);
    Frame()->Raise();
    guitest::MovePointer(clicked, guitest::Middle(clicked));
    wxUIActionSimulator().MouseClick(wxMOUSE_BTN_RIGHT);
    EXPECT_TRUE(Until([&] { return picker.picked() && !(shown && shown->IsMenuShown()); }));
  }
};

}  // namespace sitestest

#endif
