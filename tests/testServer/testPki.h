// Test certificates made at run time: a certificate authority and the server certificates
// it signs, all held as PEM text.
#ifndef PARLAVOX_TESTS_TESTSERVER_TESTPKI_H
#define PARLAVOX_TESTS_TESTSERVER_TESTPKI_H

#include <openssl/evp.h>
#include <openssl/x509.h>

#include <string>

namespace testserver {

struct Identity {
  std::string certPem;
  std::string keyPem;
};

class TestCa {
 public:
  explicit TestCa(const std::string& name);
  ~TestCa();
  TestCa(const TestCa&) = delete;
  TestCa& operator=(const TestCa&) = delete;

  // The authority's own certificate (what a client trusts).
  const std::string& CertPem() const { return m_certPem; }
  // A server certificate for the common name, signed by this authority. An empty name gives
  // a certificate whose subject has no common name.
  Identity Issue(const std::string& commonName) const;
  // Writes the authority's certificate to path; true on success.
  bool WriteTrustStore(const std::string& path) const;

 private:
  EVP_PKEY* m_key = nullptr;
  X509* m_cert = nullptr;
  std::string m_certPem;
};

}  // namespace testserver

#endif
