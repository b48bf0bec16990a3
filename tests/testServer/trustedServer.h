// The usual set-up of a network test: a data directory whose trust store holds a test
// authority, and a TLS test server whose certificate that authority signed for the front-end
// host name.
#ifndef PARLAVOX_TESTS_TESTSERVER_TRUSTEDSERVER_H
#define PARLAVOX_TESTS_TESTSERVER_TRUSTEDSERVER_H

#include <memory>
#include <string>

#include "tests/support/testSupport.h"
#include "tests/testServer/testPki.h"
#include "tests/testServer/testServer.h"

namespace testserver {

struct TrustedServer {
  explicit TrustedServer(const std::string& commonName = PARLAVOX_SERVER_HOST) : ca("Parlavox test CA") {
    ca.WriteTrustStore(dir.file("parlavox.pem"));
    TestServer::Options options;
    options.identity = ca.Issue(commonName);
    server.reset(new TestServer(options));
  }
  testsupport::TempDir dir;
  TestCa ca;
  std::unique_ptr<TestServer> server;
};

}  // namespace testserver

#endif
