#include "gui/soundPlayer.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/sound.h>
#include <wx/utils.h>

#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace sound {
namespace {

std::function<void(const std::string&)>& Recorder() {
  static std::function<void(const std::string&)> recorder;
  return recorder;
}

// The first of the command-line players found on the PATH, or "".
const wxString& CommandPlayer() {
  static const wxString player = [] {
    wxPathList list;
    list.AddEnvList("PATH");
    for (const char* name : {"paplay", "aplay"}) {
      wxString found = list.FindAbsoluteValidPath(name);
      if (!found.empty()) return found;
    }
    return wxString();
  }();
  return player;
}

}  // namespace

void SetRecorder(std::function<void(const std::string&)> recorder) { Recorder() = std::move(recorder); }

void Play(const std::string& relative) {
  if (Recorder()) {
    Recorder()(relative);
    return;
  }
  const wxString path = std2wx(Config::GetPath() + relative);
  if (!wxFileName::FileExists(path)) return;
#if wxUSE_SOUND
  {
    wxSound sound(path, false);
    if (sound.IsOk() && sound.Play(wxSOUND_ASYNC)) return;
  }
#endif
  const wxString& player = CommandPlayer();
  if (player.empty()) return;
  const wxString quiet = player.EndsWith("aplay") ? wxString("-q") : wxString();
  const wchar_t* argv[] = {player.wc_str(), quiet.empty() ? path.wc_str() : quiet.wc_str(),
                           quiet.empty() ? nullptr : path.wc_str(), nullptr};
  if (wxExecute(const_cast<wchar_t**>(argv), wxEXEC_ASYNC | wxEXEC_HIDE_CONSOLE) <= 0)
    TRACE_ERROR("no sound player could start");
}

}  // namespace sound
