// A sites panel in a window of its own beside a real main window, fed as the main window feeds
// it; what its sites ask of the main window, the sounds and the pages opened are recorded.
#ifndef PARLAVOX_TESTS_GUI_SITES_SITESPANELFIXTURE_H
#define PARLAVOX_TESTS_GUI_SITES_SITESPANELFIXTURE_H

#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <string>
#include <vector>

#include "gui/notifyFrame.h"
#include "gui/sites/siteInfoToolTip.h"
#include "gui/sites/sitePanel.h"
#include "gui/sites/sitesPanel.h"
#include "gui/soundPlayer.h"
#include "gui/webBrowser.h"
#include "model/urlContactInfo.h"
#include "model/urlInfo.h"
#include "widgets/myStaticText.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/support/recordingSiteListener.h"

namespace sitestest {

using Listener = testsupport::RecordingSiteListener;

inline URLInfo Site(const std::string& url, float grade = 99, int comments = 0,
                    const std::vector<RecommendedSite>* recommended = nullptr) {
  return URLInfo(url, SITE_DEFAULT, 1, 0, comments, grade, "", 99, "", recommended);
}

// An update of `login` on the site at `url`, as the controller sends it.
inline URLContactInfo Person(const std::string& url, const std::string& login, bool logout = false,
                             bool inRoom = false, bool notify = false, int nbrUsers = 1) {
  ContactInfo contact(login, "Nick " + login, "", "", STATUS_ONLINE, "", "", 0, 0, 0, "", "", false);
  contact.SetStatus(logout ? STATUS_OFFLINE : STATUS_ONLINE);
  if (inRoom) contact.SubscribeTo(url);
  return URLContactInfo(url, nbrUsers, contact, notify, logout, false);
}

class SitesPanelTest : public guitest::MainWindowTest {
 public:
  void SetUp() override {
    MainWindowTest::SetUp();
    m_main = Open();
    m_frame = new wxFrame(nullptr, wxID_ANY, "Sites", wxPoint(40, 40), wxSize(420, 500));
    m_sites = new SitesPanel(GetManager(), m_frame, &m_listener);
    m_frame->Show();
    guitest::PumpUntil([&] { return m_frame->IsShownOnScreen(); });
    sound::SetRecorder([this](const std::string& file) { m_sounds.push_back(file); });
    browser::SetRecorder([this](const std::string& url) { m_pages.push_back(url); });
  }
  void TearDown() override {
    sound::SetRecorder(nullptr);
    browser::SetRecorder(nullptr);
    if (m_frame) m_frame->Destroy();
    guitest::Pump(20);
    MainWindowTest::TearDown();
  }
  size_t Popups() { return NotifyFrame::GetInstance() ? NotifyFrame::GetInstance()->GetCount() : 0; }
  const NotifyItem* LastPopup() {
    NotifyFrame* popup = NotifyFrame::GetInstance();
    return popup && popup->GetCount() ? popup->GetItem(popup->GetCount() - 1) : nullptr;
  }
  // The window of the sites becomes the one the user works in: the tips may show. Once is enough,
  // as no tip takes it from him.
  void Activate() {
    if (m_frame->IsActive()) return;
    m_frame->Raise();
    m_sites->SetFocus();
    guitest::PumpUntil([&] { return m_frame->IsActive(); });
  }
  // The sites panel's looks where the pointer is, counted in m_looks from now on.
  void CountLooks() {
    m_sites->Bind(wxEVT_TIMER, [this](wxTimerEvent& event) {
      event.Skip();
      ++m_looks;
    }, ID_HOVER_TIMER);
  }
  // With the pointer at rest (`where`): once the look its last move asked for is done, no other
  // comes, and every move in the program is followed only while a tip may have to hide.
  void ExpectNoLooksAtRest(const char* where, bool tipUp) {
    SCOPED_TRACE(where);
    EXPECT_TRUE(guitest::PumpUntil([&] { return !m_sites->IsFollowingPointer(); })) << "a look still due";
    m_looks = 0;
    guitest::Pump(3 * SitesPanel::kToolTipTickMs);
    EXPECT_EQ(0, m_looks) << "looks with the pointer at rest";
    EXPECT_FALSE(m_sites->IsFollowingPointer());
    EXPECT_EQ(tipUp, m_sites->IsWatchingAllMoves());
  }
  // A real click of `button` (wxMOUSE_BTN_LEFT or _RIGHT) in the middle of `window`.
  static void Click(wxWindow* window, int button = wxMOUSE_BTN_LEFT) {
    window->GetParent()->Layout();
    EXPECT_TRUE(guitest::ClickOn(window, nullptr, button)) << "the click did not reach the window";
    guitest::Pump(60);
  }

  guitest::SpyMainFrame* m_main = nullptr;
  wxFrame* m_frame = nullptr;
  SitesPanel* m_sites = nullptr;
  Listener m_listener;
  std::vector<std::string> m_sounds;
  std::vector<std::string> m_pages;
  int m_looks = 0;
};

}  // namespace sitestest

#endif
