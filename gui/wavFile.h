// A sound file of the RIFF/WAVE kind with plain PCM samples (8-bit unsigned, 16-bit signed
// little-endian), read whole: what the sound server needs to play it.
#ifndef PARLAVOX_GUI_WAVFILE_H
#define PARLAVOX_GUI_WAVFILE_H

#include <cstdint>
#include <string>

struct WavFile {
  int bitsPerSample = 0;  // 8 or 16
  int channels = 0;       // 1 to 8
  uint32_t rate = 0;      // samples a second, 1 to 384000
  std::string samples;    // the data chunk, whole frames only

  // Reads `path`; false for a missing, truncated or unsupported file (compressed, float, 24-bit).
  bool Load(const std::string& path);
};

#endif
