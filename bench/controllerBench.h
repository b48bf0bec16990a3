// What the controller's benchmarks share: the trace log off, the controller's directories in a
// fresh temporary folder, and the protocol test server with a certificate the controller trusts.
#ifndef PARLAVOX_BENCH_CONTROLLERBENCH_H
#define PARLAVOX_BENCH_CONTROLLERBENCH_H

#include <stdlib.h>

#include <chrono>
#include <memory>
#include <string>

#include "core/application.h"
#include "model/config.h"
#include "model/log.h"
#include "tests/testServer/testServer.h"

struct ControllerBench {
  explicit ControllerBench(const char* name) : dir(MakeDir(name)), ca("Bench CA"), server(Options(ca, dir)) {}
  // Logs the controller in as alice, `run` turning the event loop until its condition holds: the
  // link the server took, or null when the log-in failed.
  template <class RunUntil>
  std::shared_ptr<testserver::TestConnection> LogIn(Manager& manager, RunUntil run) {
    manager.Connect("alice", "secret", false, "127.0.0.1", server.Port(), true, false);
    auto link = server.Accept();
    if (!link || !link->Expect(C2S_Request_PR_connect)) return nullptr;
    auto ack = testserver::NewS2C(S2C_Request_PR_connect_ack);
    testserver::Fill(&ack->choice.connect_ack.authkey, "K1");
    testserver::Fill(&ack->choice.connect_ack.version, "2.0");
    link->Send(*ack);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    run([&] { return manager.IsConnected() || std::chrono::steady_clock::now() > deadline; });
    return manager.IsConnected() ? link : nullptr;
  }
  // Zero when the folder could be removed.
  int RemoveDir() const { return system(("rm -rf '" + dir + "'").c_str()) == 0 ? 0 : 1; }

  std::string dir;
  testserver::TestCa ca;
  testserver::TestServer server;

 private:
  static std::string MakeDir(const char* name) {
    start_log("/dev/null");
    std::string pattern = std::string("/tmp/parlavox-") + name + "-XXXXXX";
    std::string dir = std::string(mkdtemp(&pattern[0])) + "/";
    Config::SetPath(dir);
    Config::SetUserPath(dir);
    Config::GetInstance()->SetFilePort(0);
    Manager::SetListenerPort(0);
    return dir;
  }
  static testserver::TestServer::Options Options(testserver::TestCa& ca, const std::string& dir) {
    ca.WriteTrustStore(dir + "parlavox.pem");
    testserver::TestServer::Options options;
    options.identity = ca.Issue(PARLAVOX_SERVER_HOST);
    return options;
  }
};

#endif
