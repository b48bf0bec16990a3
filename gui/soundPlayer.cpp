#include "gui/soundPlayer.h"

#include <unistd.h>

#include <wx/app.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/sound.h>
#include <wx/utils.h>

#include "gui/commandPlayer.h"
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

CommandPlayer& Commands() {
  static CommandPlayer player;
  return player;
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
  Commands().Play(path);
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

void Shutdown() {
  ServerPlayer().Stop();
  Commands().Stop();
}

}  // namespace sound
