// The user's own smileys on the stand-in server, by real input: "+" in the smiley grid, a GIF
// too big for a smiley chosen in the file dialog and reduced, the description and shortcut
// typed, the smiley sent in a message (the server gets the picture before the message), then
// removed with a right click (the server is told in every room); where the pictures are
// stored whatever the shortcuts hold; what the dialog accepts.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/palette.h>
#include <wx/uiaction.h>
#include <wx/utils.h>

#include <string>
#include <vector>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/messageYesNoCancelFrame.h"
#include "gui/rooms/smileySetup.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/smiley.h"
#include "tests/gui/fileChoice.h"
#include "tests/gui/rooms/dialogSteps.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "tests/support/programSession.h"

namespace {

using roomstest::DialogSteps;

const char kSite[] = "http://www.smileys.example/";
const char kOtherSite[] = "http://www.other.example/";

class SmileySession : public programtest::ProgramSession {
 protected:
  ChatRoomPanel* Open(const std::string& site) {
    Frame()->SubscribeChatRoom(site);
    EXPECT_TRUE(Until([&] { return Rooms()->IsChatRoomOpened(site); }));
    return Rooms()->GetChatRoom(site);
  }

  // A picture of the size, of the type its name says, in the temporary folder.
  std::string Picture(const std::string& name, int width, int height) {
    // Four colours in stripes, with the palette a GIF needs.
    const unsigned char red[] = {200, 30, 240, 10}, green[] = {40, 160, 220, 10}, blue[] = {40, 60, 20, 120};
    wxImage image(width, height);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) {
        const int c = (x / 20 + y / 20) % 4;
        image.SetRGB(x, y, red[c], green[c], blue[c]);
      }
    image.SetPalette(wxPalette(4, red, green, blue));
    const std::string path = m_pictures.file(name);
    const wxBitmapType type = IMImage::GetBitmapType(name);
    EXPECT_TRUE(image.SaveFile(path, type)) << path;
    return path;
  }

  // The grid as a user finds it. One left open is gone back to with the pointer; while the
  // pointer was elsewhere the grid's periodic check may have come due (a wait here runs no
  // events) and hides it as the pointer arrives: then, as when none is open, the tool opens it.
  // The pointer rests on the grid afterwards, so that its checks keep it shown.
  SmileyGrid* OpenGrid(ChatRoomPanel* page) {
    WriteMessagePanel* panel = page->GetWriteMessagePanel();
    if (panel->GetSmileyGrid() && panel->GetSmileyGrid()->IsShown()) {
      RestPointerOn(panel->GetSmileyGrid());
      if (panel->GetSmileyGrid() && panel->GetSmileyGrid()->IsShown()) return panel->GetSmileyGrid();
    }
    Rooms()->Raise();
    wxToolBar* tools = panel->GetToolBar();
    // The click once the tool shows under the pointer, where the page's tool bar stands.
    EXPECT_TRUE(roomstest::PointAtTool(tools, WriteMessagePanel::ID_SMILEYS))
        << "the smiley tool never lit up; under the pointer: " << UnderPointer();
    wxUIActionSimulator().MouseClick();
    EXPECT_TRUE(Until([&] { return panel->GetSmileyGrid() && panel->GetSmileyGrid()->IsShownOnScreen(); }));
    if (panel->GetSmileyGrid()) RestPointerOn(panel->GetSmileyGrid());
    return panel->GetSmileyGrid();
  }

  // What the toolkit finds under the pointer, and which window holds the pointer's input.
  static std::string UnderPointer() {
    using Current = void* (*)();
    static const auto grabbed = reinterpret_cast<Current>(dlsym(RTLD_DEFAULT, "gtk_grab_get_current"));
    wxPoint at;
    wxWindow* under = wxFindWindowAtPointer(at);
    std::string said = std::to_string(at.x) + "," + std::to_string(at.y) + " ";
    for (wxWindow* w = under; w; w = w->GetParent())
      said += std::string(wxString(w->GetClassInfo()->GetClassName()).utf8_str()) + (w->IsTopLevel() ? " '" + std::string(w->GetLabel().utf8_str()) + "'" : "") + " < ";
    if (!under) said += "nothing of the program";
    return said + (grabbed && grabbed() ? "; a grab is held" : "; no grab");
  }

  // The pointer on the grid's own corner, away from every cell and its tooltip; returns once
  // the pointer is there and the events due meanwhile have run.
  static void RestPointerOn(SmileyGrid* grid) {
    const wxRect frame = grid->GetScreenRect();
    wxUIActionSimulator().MouseMove(frame.GetPosition() + wxPoint(3, 3));
    EXPECT_TRUE(guitest::PumpUntil([&] { return frame.Contains(wxGetMousePosition()); }));
    Settle();
  }

  // A real click in the field, then the text typed once it has the keyboard; returns once the
  // field holds it.
  static void TypeInto(wxTextCtrl* field, const wxString& text) {
    DialogSteps::Click(field);
    EXPECT_TRUE(guitest::PumpUntil([&] { return field->HasFocus(); }));
    wxUIActionSimulator().Text(text.utf8_str());
    EXPECT_TRUE(guitest::PumpUntil([&] { return field->GetValue() == text; })) << text;
  }

  static bool Inside(const std::string& path, const std::string& folder) {
    return path.compare(0, folder.size(), folder) == 0 && path.find('/', folder.size()) == std::string::npos &&
           path.find("..") == std::string::npos;
  }

  testsupport::TempDir m_pictures;
};

TEST_F(SmileySession, ABigGifMadeASmileyGoesBeforeItsMessageAndItsRemovalReachesEveryRoom) {
  standintest::TestUser& bob = LogIn("bob");
  ASSERT_TRUE(Enter(bob, kSite));
  ChatRoomPanel* page = Open(kSite);
  ASSERT_TRUE(page);
  ASSERT_TRUE(Open(kOtherSite));
  Rooms()->FocusOnChatRoom(kSite);
  const std::string gif = Picture("cat.gif", 300, 280);

  // "+", the picture chosen, "Resize to 256x256", the texts typed, "Add".
  SmileyGrid* grid = OpenGrid(page);
  ASSERT_TRUE(grid);
  const size_t cells = grid->GetCells().size();
  guitest::FileChoice choice(gif);
  wxString sizeTitle;
  DialogSteps steps({
      DialogSteps::On<SmileySetup>([](SmileySetup*) { return true; },
                                   [](SmileySetup* setup) { DialogSteps::Click(setup->GetImageButton()); }),
      DialogSteps::On<MessageYesNoCancelFrame>([](MessageYesNoCancelFrame*) { return true; },
                                               [&](MessageYesNoCancelFrame* ask) {
                                                 sizeTitle = ask->GetTitle();
                                                 DialogSteps::Click(ask->FindWindow(wxID_NO));
                                               }),
      DialogSteps::On<SmileySetup>([](SmileySetup* setup) { return !setup->GetFileField()->IsEmpty(); },
                                   [](SmileySetup* setup) {
                                     TypeInto(setup->GetDescriptionField(), "A cat");
                                     TypeInto(setup->GetShortcutsField(), ":cat:");
                                   }),
      DialogSteps::On<SmileySetup>([](SmileySetup* setup) { return setup->GetOkButton()->IsEnabled(); },
                                   [](SmileySetup* setup) { DialogSteps::Click(setup->GetOkButton()); }),
  });
  wxUIActionSimulator click;
  click.MouseMove(grid->GetAddButton()->GetScreenRect().GetPosition() + grid->GetAddButton()->GetSize() / 2);
  click.MouseClick();
  ASSERT_TRUE(Until([&] { return steps.Done() && grid->GetCells().size() == cells + 1; }));
  EXPECT_TRUE(choice.asked);
  EXPECT_EQ("Smiley size is too big", sizeTitle);

  // Stored in the user directory at 256 on its longer side, kept in the settings.
  std::vector<Smiley*> own = GetManager()->GetSmileys(GetManager()->GetLogin());
  ASSERT_FALSE(own.empty());
  Smiley* cat = own.back();
  EXPECT_EQ("A cat", cat->GetName());
  EXPECT_EQ(":cat:", cat->GetShortcutsText());
  EXPECT_EQ(Config::GetUserPath() + "smiley_1.png", cat->GetFilename());
  wxImage stored(cat->GetFilename(), wxBITMAP_TYPE_PNG);
  EXPECT_EQ(wxSize(256, 238), stored.GetSize());
  const std::vector<Smiley*> settings = Config::GetInstance()->GetSmileys();
  EXPECT_NE(settings.end(), std::find(settings.begin(), settings.end(), cat));

  // Sent in a message: the server has the picture before the message, and so has bob.
  const size_t mark = JournalSize();
  wxTextCtrl* input = page->GetWriteMessagePanel()->GetTextCtrl();
  guitest::ClickUntil(input, [&] { return input->HasFocus(); });
  wxUIActionSimulator().Text("look :cat: here");
  Settle();
  wxUIActionSimulator().Char(WXK_RETURN);
  ASSERT_TRUE(AwaitJournal([](const std::string& line) { return line.find("alice sendmessage") == 0; }, mark));
  const programtest::Lines lines = Journal();
  int smileyAt = -1, messageAt = -1;
  for (size_t i = mark; i < lines.size(); ++i) {
    if (smileyAt < 0 && lines[i].find(std::string("alice addsmiley site=\"") + kSite + "\" codesmiley=\":cat:\"") == 0)
      smileyAt = int(i);
    if (messageAt < 0 && lines[i].find("alice sendmessage") == 0) messageAt = int(i);
  }
  EXPECT_LE(0, smileyAt);
  EXPECT_LT(smileyAt, messageAt);
  EXPECT_EQ(std::string("alice sendmessage site=\"") + kSite + "\" message=\"look :cat: here\"",
            messageAt >= 0 ? lines[size_t(messageAt)] : "");
  EXPECT_TRUE(bob.Wait(S2C_Request_PR_addsmiley));
  EXPECT_TRUE(bob.Wait(S2C_Request_PR_message));

  // A right click on it and "Remove": the server is told in both rooms.
  const size_t before = JournalSize();
  grid = OpenGrid(page);
  ASSERT_TRUE(grid);
  SmileyButtonBitmapNotifier* cell = grid->GetCells().back();
  DialogSteps removal({DialogSteps::On<SmileySetup>(
      [](SmileySetup* setup) { return setup->GetRemoveButton()->IsEnabled(); },
      [](SmileySetup* setup) { DialogSteps::Click(setup->GetRemoveButton()); })});
  wxUIActionSimulator sim;
  sim.MouseMove(cell->GetScreenRect().GetPosition() + cell->GetSize() / 2);
  sim.MouseClick(wxMOUSE_BTN_RIGHT);
  EXPECT_TRUE(Until([&] { return removal.Done() && grid->GetCells().size() == cells; }));
  for (const char* site : {kSite, kOtherSite})
    EXPECT_TRUE(AwaitJournal(std::string("alice delsmiley site=\"") + site + "\" codesmiley=\":cat:\"", before)) << site;
  own = GetManager()->GetSmileys(GetManager()->GetLogin());
  EXPECT_EQ(own.end(), std::find(own.begin(), own.end(), cat));
}

TEST_F(SmileySession, PicturesStayInTheUserDirectoryAndTheDialogRefusesWhatCannotBeSent) {
  const std::string folder = Config::GetUserPath();
  const std::string small = Picture("small.png", 20, 20);
  const std::string jpeg = Picture("photo.JPEG", 20, 16);
  const std::vector<std::string> shortcuts = {"../../x", "/etc/passwd", std::string("a\0b", 3), std::string(300, 'z'),
                                              "%2e%2e/", "."};
  // The user's own: the shortcut is no part of the file's name.
  for (size_t i = 0; i < shortcuts.size(); ++i) {
    const std::string& shortcut = shortcuts[i];
    SmileySetup setup(Frame(), nullptr);
    setup.GetDescriptionField()->SetValue("d");
    setup.GetShortcutsField()->ChangeValue(wxString::FromUTF8(shortcut.data(), shortcut.size()));
    ASSERT_TRUE(setup.TakeImage(i % 2 ? jpeg : small));
    std::unique_ptr<Smiley> made(setup.SaveSmiley());
    ASSERT_TRUE(made);
    EXPECT_TRUE(Inside(made->GetFilename(), folder)) << made->GetFilename();
    EXPECT_TRUE(IMImage::FileExists(made->GetFilename())) << made->GetFilename();
  }
  // Numbered per stored kind, in lower case, whatever the chosen name's case.
  EXPECT_TRUE(IMImage::FileExists(folder + "smiley_3.png"));
  EXPECT_TRUE(IMImage::FileExists(folder + "smiley_3.jpg"));
  // Add is offered only for a description, a free shortcut the server takes, and a picture.
  SmileySetup setup(Frame(), nullptr);
  EXPECT_FALSE(setup.GetOkButton()->IsEnabled());
  EXPECT_FALSE(setup.GetRemoveButton()->IsEnabled());
  setup.GetDescriptionField()->SetValue(" ");
  setup.GetShortcutsField()->SetValue(":new:");
  EXPECT_FALSE(setup.GetOkButton()->IsEnabled());  // no picture yet
  ASSERT_TRUE(setup.TakeImage(small));
  EXPECT_TRUE(setup.GetOkButton()->IsEnabled());
  setup.GetShortcutsField()->SetValue(":-)");  // a built-in one's
  EXPECT_FALSE(setup.GetOkButton()->IsEnabled());
  setup.GetShortcutsField()->SetValue(wxString('s', 21));
  if (setup.GetOkButton()->IsEnabled()) { EXPECT_GE(SmileySetup::kLongestShortcut, setup.GetShortcutsField()->GetValue().length()); }
  EXPECT_FALSE(setup.TakeImage(testsupport::SourceDir() + "/CMakeLists.txt"));
  EXPECT_EQ(small, setup.GetFileField()->GetValue().ToStdString());
}

}  // namespace
