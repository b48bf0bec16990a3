// parlavox-logcat: prints the clear text of a Parlavox trace log.
//
//   parlavox-logcat [--step N] [--key K] FILE
//
// The log is scrambled with a rolling key that starts at a fixed value and grows by a step of
// 1 to 10 drawn once per run. Without --step, the step that makes the first line read
// "<hex thread id>:1:" is taken. The file the log kept when it last started over, FILE.1, is
// printed first when it is there.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include <unistd.h>

#include "model/log.h"

namespace {

bool LooksLikeLogStart(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && isxdigit(static_cast<unsigned char>(text[i]))) ++i;
  return i > 0 && text.compare(i, 3, ":1:") == 0;
}

int Usage() {
  fprintf(stderr, "usage: parlavox-logcat [--step N] [--key K] FILE\n");
  return 2;
}

// Prints the clear text of one file; false (with the reason on standard error) when it cannot.
bool PrintClear(const char* path, int step, unsigned key) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    fprintf(stderr, "parlavox-logcat: cannot read %s\n", path);
    return false;
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

  if (step == 0) {
    for (int s = 1; s <= 10 && step == 0; ++s) {
      std::string head = bytes.substr(0, 32);
      log_unscramble(reinterpret_cast<unsigned char*>(head.data()), head.size(), key, s);
      if (LooksLikeLogStart(head)) step = s;
    }
    if (step == 0) {
      fprintf(stderr, "parlavox-logcat: cannot find the step of %s; give it with --step\n", path);
      return false;
    }
  }
  log_unscramble(reinterpret_cast<unsigned char*>(bytes.data()), bytes.size(), key, step);
  fwrite(bytes.data(), 1, bytes.size(), stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  int step = 0;
  unsigned key = LOG_KEY_START;
  const char* path = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--step") && i + 1 < argc) {
      step = atoi(argv[++i]);
    } else if (!strcmp(argv[i], "--key") && i + 1 < argc) {
      key = static_cast<unsigned>(strtoul(argv[++i], nullptr, 10));
    } else if (!path && argv[i][0] != '-') {
      path = argv[i];
    } else {
      return Usage();
    }
  }
  if (!path) return Usage();

  // A log that grew past its bound was kept as FILE.1 when it started over: its lines come first.
  const std::string previous = std::string(path) + ".1";
  if (access(previous.c_str(), F_OK) == 0 && !PrintClear(previous.c_str(), step, LOG_KEY_START)) return 1;
  return PrintClear(path, step, key) ? 0 : 1;
}
