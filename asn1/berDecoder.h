// Restartable BER decoding of one value after another from a byte stream.
#ifndef PARLAVOX_ASN1_BERDECODER_H
#define PARLAVOX_ASN1_BERDECODER_H

#include <asn_application.h>

#include <cstddef>
#include <string>

namespace asn1 {

enum class DecodeStatus {
  kComplete,  // a whole value was decoded and passed its constraint check: Take() it
  kNeedMore,  // the bytes end inside a value: call again with what follows
  kFailed     // the bytes are not a value of the type, or the value fails its check
};

struct DecodeResult {
  DecodeStatus status;
  // Bytes of the input that belong to the value and must not be given again. After kNeedMore
  // the rest of the input (its unconsumed tail) must be given again, followed by new bytes.
  size_t consumed;
};

// Why a call returned kFailed.
enum class DecodeFailure {
  kNone,
  kMalformed,         // the bytes are not a value of the type
  kNotContextTag,     // the first tag is not of context class (only when such tags are refused)
  kAnnouncedTooLong,  // the length announced is beyond the limit; nothing was read
  kTooLong,           // the value took more bytes than the limit without ending
  kConstraint         // the value was decoded (and its bytes consumed) but fails its check
};

// Decodes values of one type. Feed it the bytes in hand; it consumes at most one value and
// keeps a partly decoded value between calls, so a value may arrive in any number of pieces.
// After kComplete the bytes past `consumed` start the next value.
class BerDecoder {
 public:
  static constexpr size_t kDefaultMaxValueSize = 16 * 1024 * 1024;

  // Values whose encoding is longer than maxValueSize bytes fail without being read (a peer
  // cannot make us allocate what it announces).
  explicit BerDecoder(asn_TYPE_descriptor_t* type, size_t maxValueSize = kDefaultMaxValueSize);
  ~BerDecoder();
  BerDecoder(const BerDecoder&) = delete;
  BerDecoder& operator=(const BerDecoder&) = delete;

  DecodeResult Decode(const void* bytes, size_t size);

  // The value of the last kComplete, now the caller's (free it with the type's free routine
  // or asn1::Request); null when there is none.
  void* Take();

  // Drops a partly decoded value and starts afresh.
  void Reset();

  // Refuses, before decoding anything, a value whose first tag is not of context class: a
  // stream of CHOICE values whose alternatives all carry context tags is then not left waiting
  // for a length that bytes of some other kind seem to announce.
  void RequireContextTag(bool require = true) { m_contextTagOnly = require; }

  // Decodes a value of definite length only once all its bytes are in hand (kNeedMore with
  // nothing consumed until then): one pass over each value instead of one per piece. For
  // callers whose buffer holds a whole value of the largest size they accept.
  void WaitForWholeValues(bool wait = true) { m_wholeValuesOnly = wait; }

  // Why the last call failed.
  const std::string& Error() const { return m_error; }
  DecodeFailure Failure() const { return m_failure; }
  // After kAnnouncedTooLong the length announced; after kTooLong the bytes taken.
  size_t FailedLength() const { return m_failedLength; }

  asn_TYPE_descriptor_t* Type() const { return m_type; }

 private:
  DecodeResult Fail(size_t consumed, DecodeFailure failure, const std::string& why);

  asn_TYPE_descriptor_t* m_type;
  size_t m_maxValueSize;
  void* m_value = nullptr;   // being decoded, or decoded and not yet taken
  bool m_complete = false;   // m_value is whole and checked
  size_t m_valueBytes = 0;   // bytes consumed so far for the value being decoded
  bool m_wholeValuesOnly = false;
  bool m_contextTagOnly = false;
  std::string m_error;
  DecodeFailure m_failure = DecodeFailure::kNone;
  size_t m_failedLength = 0;
};

}  // namespace asn1

#endif
