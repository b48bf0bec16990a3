// One connection of the program, plain TCP or TLS (directly or through an HTTP proxy),
// and the stream of ASN.1 messages carried on it.
#ifndef PARLAVOX_NETWORK_SSLMANAGER_H
#define PARLAVOX_NETWORK_SSLMANAGER_H

#include <openssl/bio.h>
#include <openssl/ssl.h>

#include <ctime>
#include <mutex>
#include <string>

#include "OCTET_STRING.h"
#include "asn_application.h"

struct Date;
typedef struct Date Date_t;

class SSLManager {
 public:
  // Size of the encode buffer and of the receive buffer.
  static const int kBufferSize = 65536;
  // A message that announces or takes more bytes than this is refused as a failed read.
  static const long kMaxMessageSize = 16L * 1024 * 1024;

  SSLManager();
  // Wraps a connection that is already made (an accepted socket); plain, no TLS.
  explicit SSLManager(BIO* bio);
  virtual ~SSLManager();
  SSLManager(const SSLManager&) = delete;
  SSLManager& operator=(const SSLManager&) = delete;

  // A newly allocated request of the given type with no alternative selected, or null.
  virtual void* EmptyRequest(asn_TYPE_descriptor_t* type) = 0;

  // Opens the connection; true when connected. certName is the common name the server's
  // certificate must carry; trustDir holds "parlavox.pem" ("./" when empty); proxyHost null
  // means a direct connection.
  bool ConnectTo(const char* host, unsigned short port, const char* certName, bool tls,
                 const std::string& trustDir, const char* proxyHost, unsigned short proxyPort);
  // Opens a TCP tunnel to host:port through an HTTP proxy; the socket's BIO, or null.
  BIO* ConnectToProxy(const char* proxyHost, unsigned short proxyPort, const char* host,
                      unsigned short port);
  // Closes and releases the connection; a later send fails cleanly, a waiting read ends.
  void CloseConnection();
  // Writes all the bytes (under the connection's lock).
  bool Write(const unsigned char* bytes, int length);
  // Checks the message against its constraints, DER-encodes it and writes it.
  bool GenericEncoder(asn_TYPE_descriptor_t* type, void* message);
  // The next message of the type read from the connection; an empty request on any failure.
  void* GenericDecoder(asn_TYPE_descriptor_t* type);

  const std::string& GetPeerAddress() const { return m_peerAddress; }

  // Longest wait for a TCP connection, a proxy answer or a TLS handshake, in milliseconds.
  static void SetConnectTimeout(int milliseconds);
  static int GetConnectTimeout();

 protected:
  // Under m_mutex: writes without taking the lock.
  bool WriteLocked(const unsigned char* bytes, int length);
  void CloseLocked();
  // Reads some bytes into buffer; the result of the read (0 or less is a failure).
  int ReadSome(unsigned char* buffer, int size);

 private:
  int OpenSocket(const char* host, unsigned short port, std::string* error);
  bool Handshake(std::string* error);
  bool CheckPeer(const char* certName);

  unsigned char m_encodeBuffer[kBufferSize];
  int m_encoded = 0;
  BIO* m_bio = nullptr;
  SSL_CTX* m_ctx = nullptr;
  SSL* m_ssl = nullptr;
  unsigned char m_receiveBuffer[kBufferSize];
  int m_held = 0;
  int m_needRead = 1;
  // The connection's socket; closed by the destructor only, so that a reader waiting on it
  // never waits on a descriptor that was reused.
  int m_socket = -1;
  bool m_closed = false;
  // Set after a fatal TLS error: the close then sends no close notification.
  bool m_fatal = false;
  std::string m_peerAddress;
  std::mutex m_mutex;
};

// Process-wide OpenSSL start-up and clean-up.
void init_openssl();
void clean_openssl();
// Ignores SIGPIPE for the whole process.
void sigpipe_conf();
// Traces an error with its place and prints OpenSSL's error queue to standard error.
void handle_error(const char* file, int line, const char* message);

// Sets an OCTET STRING (or IA5String, UTF8String) to a fresh malloc'ed copy of the bytes.
void SetOctetString(OCTET_STRING_t* string, const void* bytes, int size);
void SetOctetString(OCTET_STRING_t* string, const std::string& text);
// Frees only the copy, leaving the value empty.
void FreeOctetString(OCTET_STRING_t* string);
std::string OctetStringToString(const OCTET_STRING_t& string);
// Local time of the date at midnight; each non-null out-parameter gets its field.
time_t DateToTime(const Date_t& date, int* day, int* month, int* year);

#endif
