// parlavox-standin: a stand-in messaging server on 127.0.0.1 (see UsageText for its options).
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "model/log.h"
#include "standin/connectionLoop.h"
#include "standin/directory.h"
#include "standin/options.h"
#include "standin/scriptedUsers.h"
#include "standin/server.h"
#include "standin/serverLog.h"
#include "standin/stateFile.h"

namespace {

std::atomic<bool> g_stop{false};

void OnStopSignal(int) {
  g_stop = true;
}

void InstallSignals() {
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

// As many descriptors as the system lets this process have; the connections served at once
// stay below that, with room for the rest of the program.
size_t RaiseDescriptorLimit(size_t wanted) {
  struct rlimit limit;
  if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return wanted;
  if (limit.rlim_cur < limit.rlim_max) {
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    getrlimit(RLIMIT_NOFILE, &limit);
  }
  size_t usable = limit.rlim_cur > 64 ? static_cast<size_t>(limit.rlim_cur) - 32 : 32;
  return std::min(wanted, usable);
}

std::string TrustStoreDir(const standin::Options& options) {
  std::string dir = options.dataDir;
  if (dir.empty()) {
    const char* data = getenv("PARLAVOX_DATA");
    dir = data && *data ? data : ".";
  }
  if (dir.back() != '/') dir += '/';
  return dir;
}

bool LoadAccounts(const standin::Options& options, standin::Directory& directory) {
  std::string error;
  if (options.accountsFile.empty()) {
    standin::AddDefaultAccounts(directory);
  } else if (!standin::LoadAccountsFile(options.accountsFile, directory, &error)) {
    fprintf(stderr, "parlavox-standin: %s\n", error.c_str());
    return false;
  }
  if (options.demo) standin::ScriptedUsers::AddAccounts(directory);
  if (!options.stateFile.empty() && !standin::LoadStateFile(options.stateFile, directory, &error)) {
    fprintf(stderr, "parlavox-standin: %s (left as it is)\n", error.c_str());
    return false;
  }
  return true;
}

int Serve(const standin::Options& options, standin::Directory& directory) {
  standin::CertificateAuthority authority("Parlavox stand-in authority");
  std::unique_ptr<standin::TlsServerContext> tls(
      new standin::TlsServerContext(authority.Issue(options.host)));
  std::string trustStore = TrustStoreDir(options) + "parlavox.pem";
  if (!authority.WriteTrustStore(trustStore)) {
    fprintf(stderr, "parlavox-standin: cannot write the trust store %s\n", trustStore.c_str());
    return 1;
  }
  unsigned short port = 0;
  int listenFd = standin::ListenOnLoopback(options.port, 128, &port);
  if (listenFd < 0) {
    fprintf(stderr, "parlavox-standin: cannot listen on 127.0.0.1:%u: %m\n", options.port);
    return 1;
  }
  standin::LoopLimits limits;
  limits.maxConnections = RaiseDescriptorLimit(static_cast<size_t>(options.maxConnections));
  limits.handshakeTimeout = std::chrono::seconds(options.loginTimeoutSeconds);
  standin::ConnectionLoop loop(*tls, listenFd, limits);
  standin::ServerSettings settings;
  settings.clientVersion = options.clientVersion;
  settings.heartbeat = std::chrono::seconds(options.heartbeatSeconds);
  settings.loginTimeout = std::chrono::seconds(options.loginTimeoutSeconds);
  settings.statePath = options.stateFile;
  std::string error;
  if (!options.messengersFile.empty() &&
      !standin::LoadMessengersFile(options.messengersFile, &settings.messengers, &error)) {
    fprintf(stderr, "parlavox-standin: %s\n", error.c_str());
    return 1;
  }
  standin::Server server(directory, loop, settings);
  standin::Journal journal;
  if (!options.journalFile.empty()) {
    if (!journal.Open(options.journalFile)) {
      fprintf(stderr, "parlavox-standin: cannot write the journal %s\n", options.journalFile.c_str());
      return 1;
    }
    server.SetJournal(&journal);
  }
  loop.SetHandler(&server);
  standin::ScriptedUsers scripted(server, directory, PARLAVOX_WEBSITE);
  if (options.demo) {
    server.SetScriptListener(&scripted);
    scripted.Start(standin::Clock::now());
  }
  printf("parlavox-standin: listening on 127.0.0.1:%u as %s; trust store %s\n", port, options.host.c_str(),
         trustStore.c_str());
  if (options.demo) printf("parlavox-standin: Ada, Ben and Chloe are in the room of %s\n", PARLAVOX_WEBSITE);
  fflush(stdout);
  loop.Run(g_stop);
  bool saved = server.SaveState();
  loop.SetHandler(nullptr);
  return saved ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  standin::Options options;
  std::string error;
  if (!standin::ParseOptions(argc, argv, &options, &error)) {
    fprintf(stderr, "parlavox-standin: %s\n\n%s", error.c_str(), standin::UsageText());
    return 2;
  }
  if (options.help) {
    fputs(standin::UsageText(), stdout);
    return 0;
  }
  // The shared network code writes a trace log of the client's kind; the server keeps none.
  start_log("/dev/null");
  standin::SetVerbose(options.verbose);
  InstallSignals();
  standin::Directory directory;
  if (!LoadAccounts(options, directory)) return 2;
  return Serve(options, directory);
}
