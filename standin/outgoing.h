// Server requests as the stand-in sends them: built once, encoded once, and written to each
// recipient with that recipient's own log-in key in place.
#ifndef PARLAVOX_STANDIN_OUTGOING_H
#define PARLAVOX_STANDIN_OUTGOING_H

#include <cstddef>
#include <string>

#include "asn1/octetString.h"
#include "standin/link/messageStream.h"

namespace standin {

// Every log-in key has this many characters.
const size_t kAuthKeySize = 16;

// A fresh random log-in key of letters and digits.
std::string NewAuthKey();

// The log-in key of a client request; null for connect, which has none.
const OCTET_STRING_t* AuthKeyOf(const C2S_Request_t& request);
// The log-in key slot of a server request; null for goaway and redirect.
OCTET_STRING_t* AuthKeyOf(S2C_Request_t& request);

class Outgoing {
 public:
  // A request of the kind whose key slot holds a placeholder.
  explicit Outgoing(S2C_Request_PR kind);
  Outgoing(Outgoing&&) = default;
  Outgoing& operator=(Outgoing&&) = default;

  S2C_Request_t* operator->() { return m_request.get(); }
  S2C_Request_t& operator*() { return *m_request; }
  const S2C_Request_t& Request() const { return *m_request; }

  // The DER encoding (made on first use, after which the request must not change); empty
  // when the request breaks a constraint, which *error then explains.
  const std::string& Bytes(std::string* error = nullptr) const;
  // Where the key goes in the encoding (std::string::npos when the kind carries none).
  size_t KeyAt() const;

 private:
  S2CPtr m_request;
  mutable bool m_encoded = false;
  mutable std::string m_bytes;
  mutable std::string m_error;
  mutable size_t m_keyAt = std::string::npos;
};

// Filling requests being built.
inline void Put(OCTET_STRING_t& member, const std::string& bytes) {
  asn1::AssignOctetString(member, bytes);
}
inline void PutOptional(OCTET_STRING_t*& member, const std::string& bytes) {
  member = asn1::NewOctetString(bytes);
}
inline std::string Text(const OCTET_STRING_t& member) {
  return asn1::ToString(member);
}

}  // namespace standin

#endif
