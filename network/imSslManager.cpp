#include "network/imSslManager.h"

#include <cstdlib>

#include "C2C-Request.h"
#include "C2S-Request.h"
#include "S2C-Request.h"
#include "model/log.h"

IMSSLManager::IMSSLManager() : SSLManager() {
  TRACE_STARTEND();
}

IMSSLManager::IMSSLManager(BIO* bio) : SSLManager(bio) {
  TRACE_STARTEND();
}

void* IMSSLManager::EmptyRequest(asn_TYPE_descriptor_t* type) {
  TRACE_START();
  void* request = nullptr;
  if (type == &asn_DEF_C2S_Request) {
    request = calloc(1, sizeof(C2S_Request_t));
  } else if (type == &asn_DEF_S2C_Request) {
    request = calloc(1, sizeof(S2C_Request_t));
  } else if (type == &asn_DEF_C2C_Request) {
    request = calloc(1, sizeof(C2C_Request_t));
  } else {
    TRACE_ERROR("Unknown empty case");
  }
  TRACE_END();
  return request;
}

bool IMSSLManager::SendC2SRequest(C2S_Request_t* request) {
    return GenericEncoder(&asn_DEF_C2S_Request, request);
}

S2C_Request_t* IMSSLManager::ReceiveS2CRequest() {
    return static_cast<S2C_Request_t*>(GenericDecoder(&asn_DEF_S2C_Request));
}

bool IMSSLManager::SendC2CRequest(C2C_Request_t* request) {
    return GenericEncoder(&asn_DEF_C2C_Request, request);
}

C2C_Request_t* IMSSLManager::ReceiveC2CRequest() {
    return static_cast<C2C_Request_t*>(GenericDecoder(&asn_DEF_C2C_Request));
}
