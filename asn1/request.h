// Building and freeing values of the schema's PDUs: each PDU type knows its descriptor, a
// Request<T> owns one value (zeroed on the heap) and frees it with everything it holds.
#ifndef PARLAVOX_ASN1_REQUEST_H
#define PARLAVOX_ASN1_REQUEST_H

#include <C2C-Request.h>
#include <C2S-Request.h>
#include <E2C-Request.h>
#include <I-Request.h>
#include <S2C-Request.h>

#include <cstdlib>
#include <memory>
#include <new>

namespace asn1 {

// The descriptor of each PDU type.
template <typename T>
struct PduTraits;
#define PARLAVOX_ASN1_PDU(Type, descriptor) \
  template <>                                \
  struct PduTraits<Type> {                   \
    static asn_TYPE_descriptor_t* Descriptor() { return &descriptor; } \
  };
PARLAVOX_ASN1_PDU(C2S_Request_t, asn_DEF_C2S_Request)
PARLAVOX_ASN1_PDU(S2C_Request_t, asn_DEF_S2C_Request)
PARLAVOX_ASN1_PDU(C2C_Request_t, asn_DEF_C2C_Request)
PARLAVOX_ASN1_PDU(E2C_Request_t, asn_DEF_E2C_Request)
PARLAVOX_ASN1_PDU(I_Request_t, asn_DEF_I_Request)
#undef PARLAVOX_ASN1_PDU

// Frees a value of the descriptor's type with everything reachable from it.
void FreeValue(asn_TYPE_descriptor_t* type, void* value);

template <typename T>
struct RequestDeleter {
  void operator()(T* value) const { FreeValue(PduTraits<T>::Descriptor(), value); }
};

template <typename T>
using Request = std::unique_ptr<T, RequestDeleter<T>>;

// A zeroed value on the malloc heap (the runtime frees members with free()); used for PDUs,
// OPTIONAL members and list elements. Throws std::bad_alloc when memory runs out.
template <typename T>
T* Allocate() {
  T* value = static_cast<T*>(calloc(1, sizeof(T)));
  if (!value) throw std::bad_alloc();
  return value;
}

// An allocated copy of a scalar, for OPTIONAL INTEGER, BOOLEAN, ENUMERATED and REAL members.
template <typename T>
T* NewValue(T v) {
  T* value = Allocate<T>();
  *value = v;
  return value;
}

// A new empty request (`present` 0) of the PDU type T.
template <typename T>
Request<T> NewRequest() {
  return Request<T>(Allocate<T>());
}

// Takes ownership of a value that the decoder (or anyone using malloc) made.
template <typename T>
Request<T> Adopt(T* value) {
  return Request<T>(value);
}

}  // namespace asn1

#endif
