// What the benchmarks that show windows share: their option, a fresh home, the resident memory
// and the tool kit started with an application that does nothing of its own at start.
#ifndef PARLAVOX_BENCH_BENCHAPP_H
#define PARLAVOX_BENCH_BENCHAPP_H

#include <wx/app.h>

#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <cstdio>
#include <string>

class BenchApp : public wxApp {
 public:
  bool OnInit() override { return true; }
};

// The number given as `option N` on the command line, else `fallback`.
inline double BenchOption(int argc, char** argv, const char* option, double fallback) {
  double value = fallback;
  for (int i = 1; i + 1 < argc; ++i)
    if (!strcmp(argv[i], option)) value = atof(argv[i + 1]);
  return value;
}

// A fresh folder "/tmp/parlavox-<name>-XXXXXX" made the user's home, with X11 as the display's
// back end; empty when it cannot be made.
inline std::string MakeBenchHome(const char* name) {
  std::string home = std::string("/tmp/parlavox-") + name + "-XXXXXX";
  if (!mkdtemp(&home[0])) return "";
  setenv("HOME", home.c_str(), 1);
  setenv("GDK_BACKEND", "x11", 0);
  return home;
}

// The resident memory of the process.
inline long ResidentKiB() {
  long pages = 0, resident = 0;
  if (FILE* f = fopen("/proc/self/statm", "r")) {
    if (fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    fclose(f);
  }
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// False, with a message, when the tool kit cannot start (no X display).
inline bool StartBenchApp(int argc, char** argv) {
  wxApp::SetInstance(new BenchApp);
  if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit()) {
    fprintf(stderr, "no X display\n");
    return false;
  }
  return true;
}

#endif
