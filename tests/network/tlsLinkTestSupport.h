// A client's TLS link to the test server, and the few messages the network tests exchange on it.
#ifndef PARLAVOX_TESTS_NETWORK_TLSLINKTESTSUPPORT_H
#define PARLAVOX_TESTS_NETWORK_TLSLINKTESTSUPPORT_H

#include <string>

#include "C2S-Request.h"
#include "S2C-Request.h"
#include "network/imSslManager.h"
#include "tests/testServer/testServer.h"

namespace tlslinktest {

const std::string kHost = "127.0.0.1";

using Incoming = testserver::S2CPtr;

inline bool Connect(IMSSLManager& client, unsigned short port, const std::string& trustDir,
                    const char* certName = PARLAVOX_SERVER_HOST) {
  return client.ConnectTo(kHost.c_str(), port, certName, true, trustDir, nullptr, 0);
}

inline testserver::C2SPtr NewC2S(C2S_Request_PR kind) {
  testserver::C2SPtr r = asn1::NewRequest<C2S_Request_t>();
  r->present = kind;
  return r;
}

inline bool SendHeartBeatAck(IMSSLManager& client, const std::string& authkey) {
  auto r = NewC2S(C2S_Request_PR_heartbeatack);
  SetOctetString(&r->choice.heartbeatack.authkey, authkey);
  return client.SendC2SRequest(r.get());
}

// server heartbeat, authkey "ab": [26] constructed, authkey [0] IMPLICIT IA5String
const std::string kHeartBeat("\xBA\x04\x80\x02" "ab", 6);

}  // namespace tlslinktest

#endif
