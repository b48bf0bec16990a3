#include "standin/link/certificateAuthority.h"

#include <openssl/pem.h>
#include <openssl/x509v3.h>

#include <atomic>
#include <stdexcept>

#include "standin/link/replaceFile.h"

namespace standin {

namespace {

EVP_PKEY* NewKey() {
  EVP_PKEY* key = EVP_EC_gen("P-256");
  if (!key) throw std::runtime_error("key generation failed");
  return key;
}

std::string CertToPem(X509* cert) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_X509(bio, cert);
  char* data = nullptr;
  long size = BIO_get_mem_data(bio, &data);
  std::string out(data, size);
  BIO_free(bio);
  return out;
}

std::string KeyToPem(EVP_PKEY* key) {
  BIO* bio = BIO_new(BIO_s_mem());
  PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
  char* data = nullptr;
  long size = BIO_get_mem_data(bio, &data);
  std::string out(data, size);
  BIO_free(bio);
  return out;
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  if (ext) {
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
  }
}

X509* NewCert(EVP_PKEY* key, const std::string& commonName, long serial) {
  X509* cert = X509_new();
  X509_set_version(cert, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(cert), serial);
  X509_gmtime_adj(X509_getm_notBefore(cert), -3600);
  X509_gmtime_adj(X509_getm_notAfter(cert), 3600L * 24 * 30);
  X509_set_pubkey(cert, key);
  X509_NAME* name = X509_get_subject_name(cert);
  X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC, reinterpret_cast<const unsigned char*>("Parlavox stand-in"), -1,
                             -1, 0);
  if (!commonName.empty()) {
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName.c_str()),
                               -1, -1, 0);
  }
  return cert;
}

}  // namespace

CertificateAuthority::CertificateAuthority(const std::string& name) {
  m_key = NewKey();
  m_cert = NewCert(m_key, name, 1);
  X509_set_issuer_name(m_cert, X509_get_subject_name(m_cert));
  AddExtension(m_cert, m_cert, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(m_cert, m_cert, NID_key_usage, "critical,keyCertSign,cRLSign");
  AddExtension(m_cert, m_cert, NID_subject_key_identifier, "hash");
  X509_sign(m_cert, m_key, EVP_sha256());
  m_certPem = CertToPem(m_cert);
}

CertificateAuthority::~CertificateAuthority() {
  X509_free(m_cert);
  EVP_PKEY_free(m_key);
}

Identity CertificateAuthority::Issue(const std::string& commonName) const {
  static std::atomic<long> serial{100};
  EVP_PKEY* key = NewKey();
  X509* cert = NewCert(key, commonName, ++serial);
  X509_set_issuer_name(cert, X509_get_subject_name(m_cert));
  AddExtension(cert, m_cert, NID_basic_constraints, "CA:FALSE");
  AddExtension(cert, m_cert, NID_authority_key_identifier, "keyid");
  X509_sign(cert, m_key, EVP_sha256());
  Identity id{CertToPem(cert), KeyToPem(key)};
  X509_free(cert);
  EVP_PKEY_free(key);
  return id;
}

bool CertificateAuthority::WriteTrustStore(const std::string& path) const {
  return ReplaceFile(path, m_certPem, 0644);
}

}  // namespace standin
