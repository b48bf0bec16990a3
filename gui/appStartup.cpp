#include "gui/appStartup.h"

#include <curl/curl.h>
#include <wx/display.h>
#include <wx/image.h>
#include <wx/intl.h>
#include <wx/settings.h>
#include <wx/taskbar.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstdlib>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "gui/myLog.h"
#include "gui/soundPlayer.h"
#include "model/config.h"
#include "model/log.h"
#include "model/processEnd.h"
#include "model/stringConversion.h"
#include "model/systemInfo.h"
#include "network/sslLibrary.h"

namespace startup {

namespace {

// What a start-up that cannot go on ends with: the toolkit's status when the application's
// start fails.
constexpr int kNotStarted = -1;

// Set once the trace log is open: a trace written before would open a log file of its own.
bool g_logOpen = false;

// Directories and the trace log. Nothing may be traced before the log is open, or the trace
// would land in a file of the working directory.
bool SettleDirectories(StartupPrompter& prompter) {
  wxString value;
  const std::string data = DataDirectory(wxGetEnv("PARLAVOX_DATA", &value) ? wx2std(value).c_str() : nullptr,
                                         InstalledDataDirectory(ProgramPath()));
  printf("Use %s as data directory.\n", data.c_str());
  printf("Set the PARLAVOX_DATA environment variable if this value is incorrect.\n");
  fflush(stdout);
  const UserDirectory user = MakeUserDirectory(getenv("HOME"));
  if (!user.error.empty()) {
    prompter.ShowError(user.error);
    return false;
  }
  start_log((user.path + "parlavox.log").c_str());
  g_logOpen = true;
  Config::SetPath(data);
  Config::SetUserPath(user.path);
  TRACE_INFO("Launch %s / %s", Config::GetPath().c_str(), Config::GetUserPath().c_str());
  TRACE_INFO("Archi : %s", GetArchi().c_str());
  TRACE_INFO("OSVersion : %s", GetOSVersion().c_str());
  TRACE_INFO("HardInfo : %s", GetHardInfo().c_str());
  TRACE_INFO("ScreenInfo : %s", GetScreenInfo().c_str());
  return true;
}

void LoadCatalog(wxLocale& locale) {
  wxLocale::AddCatalogLookupPathPrefix(std2wx(Config::GetPath()) + "resources");
  wxLogNull quiet;  // a missing catalog or locale only leaves the texts in English
  locale.Init(wxLANGUAGE_DEFAULT, wxLOCALE_LOAD_DEFAULT);
  locale.AddCatalog("parlavox");
}

wxRect MainWindowRect() {
  Config* config = Config::GetInstance();
  const Placement p = PlaceMainWindow(
      config->GetPositionX(), config->GetPositionY(), config->GetWidth(), config->GetHeight(),
      wxSystemSettings::GetMetric(wxSYS_SCREEN_X), wxSystemSettings::GetMetric(wxSYS_SCREEN_Y),
      [](int x, int y) { return wxDisplay::GetFromPoint(wxPoint(x, y)) != wxNOT_FOUND; });
  return wxRect(p.x, p.y, p.width, p.height);
}

// The tool kit's image handlers, each added only when missing: the program may be started again
// in one process (the tests do), and adding a handler that is already there logs an error.
void AddImageHandlers() {
  wxImageHandler* const handlers[] = {new wxPNGHandler, new wxJPEGHandler, new wxTIFFHandler,
                                      new wxGIFHandler, new wxPNMHandler,  new wxPCXHandler,
                                      new wxIFFHandler, new wxICOHandler,  new wxCURHandler,
                                      new wxANIHandler, new wxTGAHandler,  new wxXPMHandler};
  for (wxImageHandler* handler : handlers) {
    if (wxImage::FindHandler(handler->GetType())) delete handler;
    else wxImage::AddHandler(handler);
  }
}

}  // namespace

MainFrame* StartApplication(wxLocale& locale, StartupPrompter& prompter) {
  if (!SettleDirectories(prompter)) return nullptr;
  auto* log = new MyLog;  // the toolkit owns its log target from here on
  wxLog::SetActiveTarget(log);
  LoadCatalog(locale);
  AddImageHandlers();
  if (!LoadSettings(prompter)) return nullptr;

  init_openssl();
  curl_global_init(CURL_GLOBAL_DEFAULT);
  Manager* manager = GetManager();
  log->SetSink([](const std::string& line) { GetManager()->SendErrorMessages(line); });

  const wxRect rect = MainWindowRect();
  TRACE_INFO("create frame");
  auto* frame = new MainFrame(manager, _("Parlavox"), rect.GetPosition(), rect.GetSize());
  // Without a tray a hidden window could never be brought back: it starts iconised instead.
  if (Config::GetInstance()->IsVisibleOnStart()) {
    frame->Show();
  } else if (!wxTaskBarIcon::IsAvailable()) {
    frame->Iconize(true);
    frame->Show();
  }
  if (Config::GetInstance()->GetAutoConnectStatus()) frame->StartConnectTimer(1000);
  return frame;
}

void EndApplication() {
  TRACE_STARTEND();
  // Every trace line is already written when traced: the log needs no flush of its own. The
  // main window's exit has disconnected and saved; anything else ends the same way here.
  if (!MainFrame::HasExited()) GetManager()->Close();
}

bool StopSoundsAndThreads() {
  sound::Shutdown();
  return EndThreads();
}

void EndBySystem() {
  // Before the trace log is open nothing has played or started a thread, and nothing may be
  // traced.
  if (g_logOpen) {
    TRACE_INFO("Ended by the system during start-up");
    StopSoundsAndThreads();
  }
  EndProcess(kNotStarted);
}

}  // namespace startup
