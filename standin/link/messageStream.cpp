#include "standin/link/messageStream.h"

#include "asn1/constraintCheck.h"
#include "der_encoder.h"

namespace standin {

namespace {

int AppendToString(const void* chunk, size_t size, void* key) {
  static_cast<std::string*>(key)->append(static_cast<const char*>(chunk), size);
  return 0;
}

// Received bytes are dropped from the front of the buffer once this many have been decoded.
const size_t kCompactAt = 64 * 1024;

}  // namespace

RequestReader::RequestReader(size_t maxSize, bool strict) : m_decoder(&asn_DEF_C2S_Request, maxSize) {
  m_decoder.RequireContextTag(strict);
}

void RequestReader::Feed(const char* bytes, size_t size) {
  if (m_failed) return;
  if (m_at >= kCompactAt || m_at == m_in.size()) {
    m_in.erase(0, m_at);
    m_at = 0;
  }
  m_in.append(bytes, size);
}

bool RequestReader::Next(ReceivedRequest& out) {
  while (!m_failed && m_at < m_in.size()) {
    asn1::DecodeResult r = m_decoder.Decode(m_in.data() + m_at, m_in.size() - m_at);
    m_current.append(m_in, m_at, r.consumed);
    m_at += r.consumed;
    if (r.status == asn1::DecodeStatus::kNeedMore) return false;
    if (r.status == asn1::DecodeStatus::kFailed) {
      m_failed = true;
      m_error = m_decoder.Error();
      m_undecoded = m_current + m_in.substr(m_at);
      m_current.clear();
      m_in.clear();
      m_at = 0;
      return false;
    }
    out.bytes.swap(m_current);
    m_current.clear();
    out.request.reset(static_cast<C2S_Request_t*>(m_decoder.Take()));
    return true;
  }
  return false;
}

bool EncodeS2C(const S2C_Request_t& request, std::string* out, std::string* error) {
  out->clear();
  if (!asn1::CheckConstraints(&asn_DEF_S2C_Request, &request, error)) return false;
  asn_enc_rval_t r = der_encode(&asn_DEF_S2C_Request, const_cast<S2C_Request_t*>(&request), AppendToString, out);
  if (r.encoded < 0) {
    if (error) *error = std::string("cannot encode ") + (r.failed_type ? r.failed_type->name : "S2C-Request");
    out->clear();
    return false;
  }
  return true;
}

std::string EncodeS2CUnchecked(const S2C_Request_t& request) {
  std::string out;
  asn_enc_rval_t r = der_encode(&asn_DEF_S2C_Request, const_cast<S2C_Request_t*>(&request), AppendToString, &out);
  if (r.encoded < 0) out.clear();
  return out;
}

}  // namespace standin
