// The messages on a server link: the client's requests cut out of the received bytes and
// decoded one by one, and the server's requests encoded for sending.
#ifndef PARLAVOX_STANDIN_LINK_MESSAGESTREAM_H
#define PARLAVOX_STANDIN_LINK_MESSAGESTREAM_H

#include <cstddef>
#include <string>

#include "asn1/berDecoder.h"
#include "asn1/request.h"

namespace standin {

using C2SPtr = asn1::Request<C2S_Request_t>;
using S2CPtr = asn1::Request<S2C_Request_t>;

// One client request: its bytes as they came and its decoded value.
struct ReceivedRequest {
  std::string bytes;
  C2SPtr request;
};

// Splits the bytes received from one client into requests. Once the bytes stop making sense
// (not a request, or one that breaks its constraints), the reader gives nothing more.
class RequestReader {
 public:
  // Requests longer than maxSize bytes are refused. With strict, bytes that cannot start a
  // request (a first tag that is not a context tag) are refused at once rather than waited on.
  explicit RequestReader(size_t maxSize = asn1::BerDecoder::kDefaultMaxValueSize, bool strict = false);

  void Feed(const char* bytes, size_t size);
  // The next whole request, or false when none is complete yet (or the stream failed).
  bool Next(ReceivedRequest& out);

  bool Failed() const { return m_failed; }
  // Why the stream failed, and its bytes from the request that failed on.
  const std::string& Error() const { return m_error; }
  const std::string& Undecoded() const { return m_undecoded; }
  // Bytes held that do not make a whole request yet.
  size_t Pending() const { return m_current.size() + m_in.size() - m_at; }

 private:
  asn1::BerDecoder m_decoder;
  std::string m_in;      // received bytes; those before m_at were handed to the decoder
  size_t m_at = 0;
  std::string m_current;  // bytes of the request being decoded
  bool m_failed = false;
  std::string m_error;
  std::string m_undecoded;
};

// The DER encoding of a server request after its constraint check; false (with the reason in
// *error) when the request breaks a constraint or cannot be encoded.
bool EncodeS2C(const S2C_Request_t& request, std::string* out, std::string* error = nullptr);
// The same without the check, so that tests can send what a faulty server would; empty when
// the value cannot be encoded at all.
std::string EncodeS2CUnchecked(const S2C_Request_t& request);

}  // namespace standin

#endif
