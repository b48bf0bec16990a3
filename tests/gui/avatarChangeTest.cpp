// The user's own avatar changed from the nickname panel by a real click, against a test server:
// a picture of any size reaches the server once as 64 and 24 pixel PNG files; a name with no
// image type, a file that does not decode and a cancelled choice send nothing and say why.
#include <gtest/gtest.h>
#include <wx/bmpbuttn.h>
#include <wx/filedlg.h>
#include <wx/mstream.h>

#include "gui/nicknamePanel.h"
#include "tests/gui/fileChoice.h"
#include "tests/gui/mainWindowFixture.h"

namespace {

using guitest::ClickUntil;
using guitest::PumpUntil;

wxImage FromPng(const OCTET_STRING_t& bytes) {
  wxMemoryInputStream in(bytes.buf, bytes.size);
  return wxImage(in, wxBITMAP_TYPE_PNG);
}

class AvatarChange : public guitest::MainWindowTest {};

TEST_F(AvatarChange, ChosenPictureIsSentOnceInBothSizes) {
  testserver::TestServer& server = UseTestServer();
  guitest::SpyMainFrame* frame = Open();
  auto* panel = guitest::FindChild<NicknamePanel>(frame, [](NicknamePanel*) { return true; });

  // Not connected: nothing opens, even when asked directly.
  {
    int dialogs = 0;
    struct Counter : wxModalDialogHook {
      int* n;
      explicit Counter(int* count) : n(count) { Register(); }
      int Enter(wxDialog*) override { return ++*n, wxID_CANCEL; }
      void Exit(wxDialog*) override {}
    } counter(&dialogs);
    frame->UpdateAvatar();
    EXPECT_EQ(0, dialogs);
  }

  frame->OnSwitchConnection(false);
  auto link = AcceptLogIn(server);
  ASSERT_TRUE(link);
  while (link->Next(std::chrono::milliseconds(200))) {
  }
  frame->ChangeStatus(STATUS_ONLINE, true);
  wxWindow* avatar = panel->GetAvatarButton();
  ASSERT_TRUE(avatar->IsEnabled());

  wxImage wide(200, 100);
  wide.SetRGB(wxRect(0, 0, 200, 100), 30, 120, 200);
  const std::string picture = m_home.file("holiday.JPEG");
  ASSERT_TRUE(wide.SaveFile(wxString::FromUTF8(picture.c_str()), wxBITMAP_TYPE_JPEG));
  const std::string noType = m_home.file("notes.txt");
  const std::string broken = m_home.file("broken.png");
  testsupport::WriteFile(noType, "text");
  testsupport::WriteFile(broken, "\x89PNG not really");

  const struct {
    const char* name;
    std::string chosen;  // empty: the dialog is cancelled
    const char* box;     // the message shown, if any
    bool sent;
  } rows[] = {
      {"cancelled", "", nullptr, false},
      {"no image type", noType, "Invalid image: Image format not recognised.", false},
      {"does not decode", broken, "Invalid image: Error while reading the image file.", false},
      {"a picture, extension in capitals", picture, nullptr, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    boxes.seen.clear();
    guitest::FileChoice choice(row.chosen);
    ClickUntil(avatar, [&] { return choice.asked; });
    PumpUntil([&] { return row.box == nullptr || !boxes.seen.empty(); });
    guitest::Pump(100);
    EXPECT_EQ(row.box ? 1u : 0u, boxes.seen.size());
    if (row.box && !boxes.seen.empty()) { EXPECT_EQ(row.box, boxes.seen[0]); }
    if (!row.sent) {
      EXPECT_TRUE(link->NothingWithin(std::chrono::milliseconds(300)));
      if (row.chosen.empty()) { EXPECT_FALSE(testsupport::FileExists(Config::GetUserPath() + "/temp.png")); }
      continue;
    }
    auto sent = AwaitRequest(*link, C2S_Request_PR_newavatar);
    ASSERT_TRUE(sent);
    EXPECT_TRUE(link->NothingWithin(std::chrono::milliseconds(300)));  // once
    const wxImage large = FromPng(sent->choice.newavatar.avatar.content);
    const wxImage small = FromPng(sent->choice.newavatar.smallavatar.content);
    ASSERT_TRUE(large.IsOk() && small.IsOk());
    EXPECT_EQ(wxSize(64, 64), large.GetSize());
    EXPECT_EQ(wxSize(24, 24), small.GetSize());
    EXPECT_EQ(1, int(sent->choice.newavatar.avatar.type));  // png
    EXPECT_TRUE(testsupport::FileExists(Config::GetUserPath() + "/temp.png"));
    EXPECT_TRUE(testsupport::FileExists(Config::GetUserPath() + "/temp_s.png"));
  }
}

}  // namespace
