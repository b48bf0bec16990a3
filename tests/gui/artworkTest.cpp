// Every picture the tool bar, the tray and the nickname panel ask for exists in the program's
// data directory and loads: the main window is opened and taken through the states that change
// pictures, then each name it asked for is checked, with the pictures other windows load by name.
#include <gtest/gtest.h>
#include <wx/icon.h>
#include <wx/image.h>

#include "gui/myTaskBar.h"
#include "gui/pictures.h"
#include "gui/toolBar.h"
#include "tests/gui/mainWindowFixture.h"

namespace {

class Artwork : public guitest::MainWindowTest {};

TEST_F(Artwork, EveryPictureAskedForIsThere) {
  guitest::SpyMainFrame* frame = Open();
  for (int status = -1; status <= 4; ++status) frame->GetTaskBar()->SetStatus(t_status(status));
  auto* bar = guitest::FindChild<ToolBar>(frame, [](ToolBar*) { return true; });
  bar->SetConnectionStatus(1);
  std::set<std::string> names = pictures::Requested();
  // Pictures loaded by name elsewhere: the banner, the mini frames' close box, the pop-up's.
  for (const char* other : {"parlavox.png", "close.png", "voxie.png", "arrow_left.png", "arrow_right.png"})
    names.insert(other);
  EXPECT_GE(names.size(), 11u + 6u + 5u);
  const std::string dir = testsupport::SourceDir() + "/data/img/";
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    const wxString path = wxString::FromUTF8((dir + name).c_str());
    ASSERT_TRUE(wxFileExists(path)) << "missing from data/img (draw it in scripts/make-images.py)";
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".ico") == 0) {
      wxIcon icon;
      EXPECT_TRUE(icon.LoadFile(path, wxBITMAP_TYPE_ICO) && icon.IsOk());
    } else {
      wxImage image;
      EXPECT_TRUE(image.LoadFile(path, wxBITMAP_TYPE_PNG) && image.IsOk() && image.GetWidth() > 0);
    }
  }
  EXPECT_TRUE(wxFileExists(wxString::FromUTF8((testsupport::SourceDir() + "/data/Parlavox.ico").c_str())));
}

}  // namespace
