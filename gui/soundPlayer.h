// Plays the program's short sounds without waiting for them: through the desktop's sound server
// (see soundServerPlayer.h) when one answers; else, on the GUI thread, through wxSound where the
// system has the sound device it writes to (/dev/dsp), else through an installed command-line
// player (aplay) started in the background, else not at all. A missing sound file is no error.
#ifndef PARLAVOX_GUI_SOUNDPLAYER_H
#define PARLAVOX_GUI_SOUNDPLAYER_H

#include <functional>
#include <string>

namespace sound {

// Plays `relative` (for example "sounds/online.wav") from the program's data directory.
void Play(const std::string& relative);

// While set, each sound asked for is handed to `recorder` instead of being played. An empty
// function plays again.
void SetRecorder(std::function<void(const std::string&)> recorder);

// Cuts the sound playing short and has the player's thread end, before the application goes;
// later sounds are not played. Waits for nothing: the thread is joined with the program's others
// (processEnd.h).
void Shutdown();

}  // namespace sound

#endif
