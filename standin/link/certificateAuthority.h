// Certificates made at run time: a certificate authority and the server certificates it
// signs, all held as PEM text. The stand-in server and the protocol tests both use it.
#ifndef PARLAVOX_STANDIN_LINK_CERTIFICATEAUTHORITY_H
#define PARLAVOX_STANDIN_LINK_CERTIFICATEAUTHORITY_H

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <string>

namespace standin {

struct Identity {
  std::string certPem;
  std::string keyPem;
};

class CertificateAuthority {
 public:
  explicit CertificateAuthority(const std::string& name);
  ~CertificateAuthority();
  CertificateAuthority(const CertificateAuthority&) = delete;
  CertificateAuthority& operator=(const CertificateAuthority&) = delete;

  // The authority's own certificate (what a client trusts).
  const std::string& CertPem() const { return m_certPem; }
  // A server certificate for the common name, signed by this authority. An empty name gives
  // a certificate whose subject has no common name.
  Identity Issue(const std::string& commonName) const;
  // Writes the authority's certificate to path, replacing any file there at once (a client
  // reading it meanwhile sees the old file or the new one, never half of one); true on success.
  bool WriteTrustStore(const std::string& path) const;

 private:
  EVP_PKEY* m_key = nullptr;
  X509* m_cert = nullptr;
  std::string m_certPem;
};

}  // namespace standin

#endif
