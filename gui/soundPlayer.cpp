#include "gui/soundPlayer.h"

#include <unistd.h>

#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/process.h>
#include <wx/sound.h>
#include <wx/utils.h>

#include "gui/soundServerPlayer.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace sound {
namespace {

std::function<void(const std::string&)>& Recorder() {
  static std::function<void(const std::string&)> recorder;
  return recorder;
}

// The command-line player found on the PATH, or "". Looked up each time: a player installed
// while the program runs is found.
wxString CommandPlayer() {
  wxPathList list;
  list.AddEnvList("PATH");
  return list.FindAbsoluteValidPath("aplay");
}

void StartCommandPlayer(const wxString& path);

// The command player plays one sound at a time, as the sound server does: a sound asked for
// meanwhile waits, and a newer one takes its place. A crowd's arrivals make one sound or two,
// not a process each.
bool g_commandPlaying = false;
wxString g_commandWaiting;

class CommandPlay : public wxProcess {
 public:
  void OnTerminate(int, int) override {
    g_commandPlaying = false;
    if (!g_commandWaiting.empty()) {
      const wxString next = g_commandWaiting;
      g_commandWaiting.clear();
      StartCommandPlayer(next);
    }
    delete this;
  }
};

void StartCommandPlayer(const wxString& path) {
  if (g_commandPlaying) {
    g_commandWaiting = path;
    return;
  }
  const wxString player = CommandPlayer();
  if (player.empty()) return;
  const wchar_t* argv[] = {player.wc_str(), L"-q", path.wc_str(), nullptr};
  auto* play = new CommandPlay;
  if (wxExecute(const_cast<wchar_t**>(argv), wxEXEC_ASYNC | wxEXEC_HIDE_CONSOLE, play) <= 0) {
    delete play;
    TRACE_ERROR("no sound player could start");
    return;
  }
  g_commandPlaying = true;
}

// GUI thread. wxSound as built here writes to the OSS device and says it played even when there
// is none: it is used only where the device is there.
void PlayWithoutServer(const wxString& path) {
#if wxUSE_SOUND
  if (access("/dev/dsp", W_OK) == 0) {
    wxSound sound(path, false);
    if (sound.IsOk() && sound.Play(wxSOUND_ASYNC)) return;
  }
#endif
  StartCommandPlayer(path);
}

SoundServerPlayer& ServerPlayer() {
  static SoundServerPlayer player([](const std::string& path) {
    // Back from the player's thread to the GUI thread; with no application left, nothing plays.
    if (wxAppConsole* app = wxAppConsole::GetInstance()) app->CallAfter([path] { PlayWithoutServer(std2wx(path)); });
  });
  return player;
}

}  // namespace

void SetRecorder(std::function<void(const std::string&)> recorder) { Recorder() = std::move(recorder); }

void Play(const std::string& relative) {
  if (Recorder()) {
    Recorder()(relative);
    return;
  }
  const std::string path = Config::GetPath() + relative;
  if (!wxFileName::FileExists(std2wx(path))) return;
  ServerPlayer().Play(path);
}

void Shutdown() { ServerPlayer().Stop(); }

}  // namespace sound
