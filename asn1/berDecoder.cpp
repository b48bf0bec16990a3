#include "asn1/berDecoder.h"

#include "asn1/constraintCheck.h"
#include "model/log.h"

namespace asn1 {

BerDecoder::BerDecoder(asn_TYPE_descriptor_t* type, size_t maxValueSize)
    : m_type(type), m_maxValueSize(maxValueSize) {}

BerDecoder::~BerDecoder() {
  Reset();
}

void BerDecoder::Reset() {
  if (m_value) m_type->free_struct(m_type, m_value, 0);
  m_value = nullptr;
  m_complete = false;
  m_valueBytes = 0;
}

void* BerDecoder::Take() {
  if (!m_complete) return nullptr;
  void* value = m_value;
  m_value = nullptr;
  m_complete = false;
  m_valueBytes = 0;
  return value;
}

DecodeResult BerDecoder::Fail(size_t consumed, DecodeFailure failure, const std::string& why) {
  TRACE_START_ARGS("%s", why.c_str());
  m_error = why;
  m_failure = failure;
  Reset();
  TRACE_END();
  return DecodeResult{DecodeStatus::kFailed, consumed};
}

// Decoding runs once per message on every link, file parts included: only failures are traced.
DecodeResult BerDecoder::Decode(const void* bytes, size_t size) {
  m_error.clear();
  m_failure = DecodeFailure::kNone;
  m_failedLength = 0;
  if (m_complete) Reset();  // a value that was never taken is dropped

  // At the start of a value, look at its announced length before decoding anything.
  if (m_valueBytes == 0 && size > 0) {
    ber_tlv_tag_t tag;
    ssize_t tagSize = ber_fetch_tag(bytes, size, &tag);
    if (tagSize < 0) return Fail(0, DecodeFailure::kMalformed, "FAIL (bad tag)");
    if (tagSize > 0) {
      if (m_contextTagOnly && BER_TAG_CLASS(tag) != ASN_TAG_CLASS_CONTEXT) {
        return Fail(0, DecodeFailure::kNotContextTag, "FAIL (tag not of context class)");
      }
      ber_tlv_len_t length = 0;
      ssize_t lengthSize = ber_fetch_length(BER_TLV_CONSTRUCTED(bytes), static_cast<const char*>(bytes) + tagSize,
                                            size - static_cast<size_t>(tagSize), &length);
      if (lengthSize < 0) return Fail(0, DecodeFailure::kMalformed, "FAIL (bad length)");
      if (lengthSize > 0 && length > 0 &&
          static_cast<size_t>(length) > m_maxValueSize - static_cast<size_t>(tagSize + lengthSize)) {
        m_failedLength = static_cast<size_t>(length);
        return Fail(0, DecodeFailure::kAnnouncedTooLong,
                    "FAIL (value of " + std::to_string(length) + " bytes is too long)");
      }
      if (m_wholeValuesOnly && lengthSize > 0 && length >= 0 &&
          size < static_cast<size_t>(tagSize + lengthSize) + static_cast<size_t>(length)) {
        return DecodeResult{DecodeStatus::kNeedMore, 0};
      }
    }
  }

  asn_dec_rval_t rv = ber_decode(nullptr, m_type, &m_value, bytes, size);
  m_valueBytes += rv.consumed;
  switch (rv.code) {
    case RC_WMORE:
      if (m_valueBytes > m_maxValueSize) {
        m_failedLength = m_valueBytes;
        return Fail(rv.consumed, DecodeFailure::kTooLong, "FAIL (value too long)");
      }
      return DecodeResult{DecodeStatus::kNeedMore, rv.consumed};
    case RC_FAIL:
      TRACE_ERROR("FAIL (%zu/%zu)", rv.consumed, size);
      return Fail(rv.consumed, DecodeFailure::kMalformed, "FAIL");
    case RC_OK:
      break;
  }
  std::string why;
  if (!CheckConstraints(m_type, m_value, &why)) return Fail(rv.consumed, DecodeFailure::kConstraint, why);
  m_complete = true;
  return DecodeResult{DecodeStatus::kComplete, rv.consumed};
}

}  // namespace asn1
