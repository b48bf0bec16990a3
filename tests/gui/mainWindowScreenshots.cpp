// Pictures of the main window's tool bar and nickname panel for review, saved as PNG files: the
// tool bar disconnected, and connected with the contacts-manager button lit and the chat-rooms
// button shown; the nickname panel disconnected, online with a nickname and a mood, busy, and
// disconnected in a narrow window; the six tray icons side by side. `make screenshots` runs it
// under Xvfb. It checks nothing about the pictures; it fails only when one cannot be taken or
// saved.
// Usage: main_window_screenshots [output directory]
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/timer.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/myTaskBar.h"
#include "gui/nicknamePanel.h"
#include "gui/pictures.h"
#include "gui/toolBar.h"
#include "model/config.h"
#include "model/log.h"
#include "tests/support/sanitizerOptions.h"
#include "tests/support/screenCapture.h"
#include "tests/support/screenshotProgram.h"
#include "tests/widgets/widgetTestSupport.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

std::string g_dir = "screenshots";

void Save(const wxImage& img, const std::string& name) {
  if (!img.IsOk() || !img.SaveFile(wxString::FromUTF8(g_dir + "/" + name), wxBITMAP_TYPE_PNG)) {
    screenshots::Fail("cannot save " + name);
  } else {
    std::printf("%s/%s\n", g_dir.c_str(), name.c_str());
  }
}

void Shoot(wxWindow* window, const std::string& name) {
  PumpUntil([&] { return window->IsShownOnScreen(); }, 3000);
  window->Refresh();
  Pump(400);
  Save(screencapture::Capture(window->GetScreenRect()), name);
}

template <class T>
T* Find(wxWindow* parent) {
  for (wxWindow* child : parent->GetChildren())
    if (auto* t = dynamic_cast<T*>(child)) return t;
  return nullptr;
}

// The six tray icons on white, at their 32-pixel size, in status order -1 to 4.
void TrayIcons() {
  const char* names[] = {"tb_disconnected.ico", "tb_offline.ico", "tb_online.ico",
                         "tb_noactivity.ico",   "tb_away.ico",    "tb_busy.ico"};
  wxBitmap sheet(6 * 40, 40);
  {
    wxMemoryDC dc(sheet);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    for (int i = 0; i < 6; ++i) {
      wxIcon icon = pictures::LoadIcon(names[i]);
      if (icon.IsOk()) dc.DrawIcon(icon, 4 + 40 * i, 4);
    }
  }
  Save(sheet.ConvertToImage(), "tray-icons.png");
}

void MainWindow() {
  auto* frame = new MainFrame(GetManager(), "Parlavox", wxPoint(400, 60), wxSize(370, 600));
  frame->Show();
  auto* bar = Find<ToolBar>(frame);
  auto* panel = Find<NicknamePanel>(frame);
  Shoot(bar, "toolbar-disconnected.png");
  Shoot(panel, "nickname-disconnected.png");

  bar->SetConnectionStatus(1);
  bar->ShowChatRoomsButton(true);
  bar->BlinkContactsManager(60);
  wxTimer timer;
  wxTimerEvent tick(timer);
  bar->OnBlinkTimer(tick);  // the lit frame
  Shoot(bar, "toolbar-connected-blinking.png");

  frame->ChangeStatus(STATUS_ONLINE, true);
  panel->SetNickname("Alice & Co");
  panel->SetMood(wxString::FromUTF8("Out in the sun, caf\xc3\xa9 au lait \xe2\x98\x80"));
  Shoot(panel, "nickname-online.png");
  frame->ChangeStatus(STATUS_BUSY, true);
  panel->SetMood("");
  Shoot(panel, "nickname-busy-no-mood.png");
  // In a window 200 pixels wide, disconnected, with a long nickname and a long mood.
  frame->ChangeStatus(STATUS_NONE, true);
  panel->SetNickname("Alexandra Montgomery");
  panel->SetMood("Out in the sun all afternoon, in the park");
  frame->SetSize(wxSize(200, 600));
  PumpUntil([&] { return frame->GetSize().x == 200 && panel->GetSize().x == frame->GetClientSize().x; }, 3000);
  Shoot(panel, "nickname-narrow.png");
  frame->Close(true);
  Pump(200);
}

}  // namespace

int main(int argc, char** argv) {
  if (!screenshots::Start(argc, argv, g_dir)) return 1;
  screenshots::UseFreshHome(PARLAVOX_SOURCE_DIR);
  Config::GetInstance()->SetLogin("alice");
  Config::GetInstance()->SetNickname("Alice");
  Config::GetInstance()->SetRememberClose(true);
  Config::GetInstance()->SetClose(true);

  TrayIcons();
  MainWindow();

  const int status = screenshots::Stop();
  // The controller and its threads are left to the end of the process, as the program does.
  std::fflush(stdout);
  std::_Exit(status);
}
