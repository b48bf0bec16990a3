// The site windows and the sites manager on their own: a fresh settings object over a fresh home,
// a controller of their own (not connected), a plain frame standing for the site's block or the
// main window, the browser recorded, and every dialog answered by the test.
#ifndef PARLAVOX_TESTS_GUI_SITES_SITESMANAGERFIXTURE_H
#define PARLAVOX_TESTS_GUI_SITES_SITESMANAGERFIXTURE_H

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/textdlg.h>
#include <wx/uiaction.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/application.h"
#include "gui/webBrowser.h"
#include "model/config.h"
#include "model/configFile.h"
#include "model/urlInfo.h"
#include "tests/gui/guiTestSupport.h"
#include "tests/support/testSupport.h"

namespace sitestest {

// The picture shown is the one of the data file `name`, pixel for pixel.
inline bool ShowsPicture(const wxBitmap& shown, const std::string& name) {
  wxImage file(wxString::FromUTF8((testsupport::SourceDir() + "/data/img/" + name).c_str()), wxBITMAP_TYPE_PNG);
  wxImage image = shown.ConvertToImage();
  if (!file.IsOk() || !image.IsOk() || file.GetSize() != image.GetSize()) return false;
  const size_t n = size_t(file.GetWidth()) * file.GetHeight();
  if (memcmp(file.GetData(), image.GetData(), n * 3) != 0) return false;
  return !file.HasAlpha() || (image.HasAlpha() && memcmp(file.GetAlpha(), image.GetAlpha(), n) == 0);
}

// Answers the dialogs the windows open: message boxes with `answer` (keeping "caption: text"),
// and hands every other dialog to `drive`, which may send real input once it is on screen.
class Dialogs : public wxModalDialogHook {
 public:
  Dialogs() { Register(); }
  ~Dialogs() override { Unregister(); }
  std::vector<wxString> boxes;
  int answer = wxID_YES;
  std::function<void(wxDialog*)> onBox;
  std::function<void(wxDialog*)> drive;
  std::unique_ptr<guitest::ModalDriver> driver;
  int others = 0;

 protected:
  int Enter(wxDialog* dialog) override {
    if (auto* box = dynamic_cast<wxMessageDialog*>(dialog)) {
      boxes.push_back(box->GetCaption() + ": " + box->GetMessage());
      if (onBox) onBox(dialog);
      return (box->GetMessageDialogStyle() & wxYES_NO) ? answer : wxID_OK;
    }
    ++others;
    if (!drive) return wxID_CANCEL;
    std::function<void(wxDialog*)> input = drive;
    driver.reset(new guitest::ModalDriver(dialog, [input, dialog] { input(dialog); }));
    return wxID_NONE;
  }
  void Exit(wxDialog*) override {
    if (driver) driver->Stop();
  }
};

class SiteWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Config::SetPath(testsupport::SourceDir() + "/data/");
    Config::SetUserPath(m_home.path());
    // No site, default and recommendation left by an earlier test.
    Config* config = Config::GetInstance();
    for (URLInfo* site : config->GetAllURLInfo()) config->RemoveURLInfo(site->GetURL());
    while (config->GetNbrRecommendedSites() > 0) config->DelRecommendedSite(config->GetRecommendedSite(0)->GetURL());
    config->SetDefaultSiteStatus(SITE_OPEN);
    m_ownNotifications = config->GetContactInfo()->GetNotifications();
    m_defaultNotifications = config->GetDefaultContactInfo()->GetNotifications();
    Config::GetInstance()->SetLogin("alice");
    m_manager.reset(new Manager());
    browser::SetRecorder([this](const std::string& url) { opened.push_back(url); });
    SetConfigSaveFailureHook([this](const std::string& step) { return failSaves && step == "write"; });
    m_parent = new wxFrame(nullptr, wxID_ANY, "site block", wxPoint(40, 40), wxSize(300, 200));
    m_parent->Show();
  }
  void TearDown() override {
    if (m_parent) m_parent->Destroy();
    guitest::Pump(20);
    SetConfigSaveFailureHook(nullptr);
    browser::SetRecorder(nullptr);
    m_manager.reset();
    Config::GetInstance()->GetContactInfo()->SetNotifications(m_ownNotifications);
    Config::GetInstance()->GetDefaultContactInfo()->SetNotifications(m_defaultNotifications);
  }
  Manager* manager() { return m_manager.get(); }
  URLInfo* Site(const std::string& url) { return m_manager->GetURLInfo(url); }

  // Loads the settings file as the next start-up would; the settings read are those in use after.
  template <class F>
  void WithSavedSettings(F check) {
    ASSERT_TRUE(Config::Load());
    check(*Config::GetInstance());
  }

  testsupport::TempDir m_home;
  std::map<std::string, bool> m_ownNotifications, m_defaultNotifications;
  std::unique_ptr<Manager> m_manager;
  wxFrame* m_parent = nullptr;
  std::vector<std::string> opened;
  bool failSaves = false;
  Dialogs dialogs;
};

// A real click in the middle of `w`, then events until `done` holds.
inline bool Click(wxWindow* w, const std::function<bool()>& done, bool twice = false) {
  return guitest::ClickOn(w, done, wxMOUSE_BTN_LEFT, twice);
}

}  // namespace sitestest

#endif
