// Plays the program's short sounds without waiting for them: through wxSound when it can play
// the file, else through an installed command-line player (paplay, aplay) started in the
// background, else not at all. A missing sound file is no error.
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

}  // namespace sound

#endif
