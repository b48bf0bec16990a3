// A sound file of a test's own: a loud tone of the length asked for, heard as loud on a test sound
// server's monitor (monitorListener.h), at the monitor's rate.
#ifndef PARLAVOX_TESTS_GUI_TONEFILE_H
#define PARLAVOX_TESTS_GUI_TONEFILE_H

#include <cstdint>
#include <string>

// Louder than kToneLevel can be heard after the server's resampling.
constexpr int16_t kToneLevel = 3000;
constexpr int16_t kLouderLevel = 20000;

// The bytes of a RIFF/WAVE file: `samples` samples of a square wave, one channel, 16 bits, at
// ±kToneLevel; its last `louderEnd` samples at ±kLouderLevel, so that its end can be told.
inline std::string ToneWav(uint32_t rate, uint32_t samples, uint32_t louderEnd = 0) {
  auto le = [](std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char((value >> (8 * i)) & 0xff);
  };
  std::string wav = "RIFF";
  le(wav, 36 + samples * 2, 4);
  wav += "WAVEfmt ";
  le(wav, 16, 4);
  le(wav, 1, 2);  // PCM
  le(wav, 1, 2);  // one channel
  le(wav, rate, 4);
  le(wav, rate * 2, 4);
  le(wav, 2, 2);
  le(wav, 16, 2);
  wav += "data";
  le(wav, samples * 2, 4);
  // 441 Hz at 22050: fifty samples a period, half of them up, half down.
  for (uint32_t i = 0; i < samples; ++i) {
    const int level = i + louderEnd >= samples ? kLouderLevel : kToneLevel;
    le(wav, uint16_t(int16_t((i / 25) % 2 ? -level : level)), 2);
  }
  return wav;
}

#endif
