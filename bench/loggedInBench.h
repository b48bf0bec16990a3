// The start of the benchmarks that run the real main window logged in to the protocol test
// server: a fresh home for "alice" with the program's data and the test authority's trust store,
// the server, the tool kit, the main window on screen and the log-in accepted.
#ifndef PARLAVOX_BENCH_LOGGEDINBENCH_H
#define PARLAVOX_BENCH_LOGGEDINBENCH_H

#include <memory>
#include <string>

#include "bench/benchApp.h"
#include "core/application.h"
#include "gui/mainFrame.h"
#include "model/config.h"
#include "model/log.h"
#include "model/version.h"
#include "tests/testServer/testServer.h"

// The first window of type T among `top` and the windows it holds, depth first; null when none.
template <typename T>
T* FindWindowOf(wxWindow* top) {
  if (auto* found = dynamic_cast<T*>(top)) return found;
  for (wxWindow* child : top->GetChildren())
    if (T* found = FindWindowOf<T>(child)) return found;
  return nullptr;
}

struct LoggedInBench {
  std::string dir;  // the home, ending in "/"
  std::unique_ptr<testserver::TestCa> ca;
  std::unique_ptr<testserver::TestServer> server;
  std::shared_ptr<testserver::TestConnection> link;
  MainFrame* frame = nullptr;
  Manager* manager = nullptr;

  // False, with a message, when any step fails.
  bool Start(int argc, char** argv, const char* name) {
    const std::string home = MakeBenchHome(name);
    if (home.empty()) return false;
    dir = home + "/";
    start_log((dir + "parlavox.log").c_str());
    const std::string data = dir + "data/";
    if (system(("cp -as '" PARLAVOX_SOURCE_DATA "/.' '" + data + "'").c_str()) != 0) return false;
    ca.reset(new testserver::TestCa("Bench CA"));
    ca->WriteTrustStore(data + "parlavox.pem");
    testserver::TestServer::Options options;
    options.identity = ca->Issue(PARLAVOX_SERVER_HOST);
    server.reset(new testserver::TestServer(options));
    if (!StartBenchApp(argc, argv)) return false;
    Config::SetPath(data);
    Config::SetUserPath(dir);
    Config* config = Config::GetInstance();
    config->SetLogin("alice");
    config->SetFilePort(0);
    config->SetRememberClose(true);
    config->SetClose(true);
    Manager::SetListenerPort(0);
    manager = GetManager();
    frame = new MainFrame(manager, "Parlavox", wxPoint(700, 100), wxSize(370, 600));
    frame->Show();
    RunLoop(10, [&] { return frame->IsShownOnScreen(); });
    manager->Connect("alice", "secret", false, "127.0.0.1", server->Port(), true, false);
    link = server->Accept();
    if (!link || !link->Expect(C2S_Request_PR_connect)) return Failed("no log-in");
    auto ack = testserver::NewS2C(S2C_Request_PR_connect_ack);
    testserver::Fill(&ack->choice.connect_ack.authkey, "K1");
    testserver::Fill(&ack->choice.connect_ack.version, kProgramVersion);  // no new version to offer
    link->Send(*ack);
    RunLoop(10, [&] { return manager->IsConnected(); });
    return manager->IsConnected() || Failed("not connected");
  }

  // Logs out, closes the window and ends the tool kit.
  void Finish() {
    manager->Disconnect(true, false);
    frame->Destroy();
    RunLoop(0.3, nullptr);
    wxEntryCleanup();
  }

 private:
  static bool Failed(const char* why) {
    fprintf(stderr, "%s\n", why);
    return false;
  }
};

#endif
