// What the controller's benchmarks share: the trace log off, the controller's directories in a
// fresh temporary folder, and the protocol test server with a certificate the controller trusts.
#ifndef PARLAVOX_BENCH_CONTROLLERBENCH_H
#define PARLAVOX_BENCH_CONTROLLERBENCH_H

#include <stdlib.h>

#include <string>

#include "core/application.h"
#include "model/config.h"
#include "model/log.h"
#include "tests/testServer/testServer.h"

struct ControllerBench {
  explicit ControllerBench(const char* name) : dir(MakeDir(name)), ca("Bench CA"), server(Options(ca, dir)) {}
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
