// The connection object fixed to the program's wire messages: C2S and S2C requests on the
// server link, C2C requests between two clients.
#ifndef PARLAVOX_NETWORK_IMSSLMANAGER_H
#define PARLAVOX_NETWORK_IMSSLMANAGER_H

#include "network/sslManager.h"

struct C2S_Request;
struct S2C_Request;
struct C2C_Request;
typedef struct C2S_Request C2S_Request_t;
typedef struct S2C_Request S2C_Request_t;
typedef struct C2C_Request C2C_Request_t;

class IMSSLManager : public SSLManager {
 public:
  IMSSLManager();
  explicit IMSSLManager(BIO* bio);

  void* EmptyRequest(asn_TYPE_descriptor_t* type) override;

  bool SendC2SRequest(C2S_Request_t* request);
  S2C_Request_t* ReceiveS2CRequest();
  bool SendC2CRequest(C2C_Request_t* request);
  C2C_Request_t* ReceiveC2CRequest();
};

#endif
