// What the stand-in's protocol side asks of its links.
#ifndef PARLAVOX_STANDIN_TRANSPORT_H
#define PARLAVOX_STANDIN_TRANSPORT_H

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

#include "asn1/request.h"

namespace standin {

using Clock = std::chrono::steady_clock;
// Names one client link for as long as the server runs; never reused.
using ConnId = uint64_t;

class Transport {
 public:
  virtual ~Transport() {}
  // Queues the bytes for the link, with key written over them from keyAt on (keyAt npos:
  // as they are). A link whose queue would pass its bound is dropped instead.
  virtual void Send(ConnId conn, const std::string& bytes, size_t keyAt, const std::string& key) = 0;
  // Ends the link; with flush, once what is queued went out (within a bounded time). The
  // handler hears nothing more of the link.
  virtual void Close(ConnId conn, bool flush) = 0;
};

}  // namespace standin

#endif
