#include "standin/outgoing.h"

#include <openssl/rand.h>

namespace standin {

namespace {

// Dots are allowed in a key but never in one this server makes, so the placeholder cannot be
// mistaken for a real key.
const std::string kPlaceholder(kAuthKeySize, '.');

// The alternatives whose type starts with the log-in key.
#define STANDIN_KEYED_C2S(X)                                                                              \
  X(disconnect) X(keytyped) X(openurl) X(closeurl) X(sendmessage) X(sendfile) X(suburl) X(unsuburl)       \
  X(comment) X(changenickname) X(changestatus) X(newavatar) X(askavatar) X(updateprofile) X(checkcontact) \
  X(addcontact) X(addcontactanswer) X(delcontact) X(invitechatroom) X(invitechatroomanswer) X(abuse)      \
  X(askforfile) X(askforfileack) X(filepart) X(filepartack) X(heartbeatack) X(cancelfile)               \
  X(blockcontact) X(unblockcontact) X(contactgroup) X(clientinfo) X(askmessengerprotocols)               \
  X(connectmessenger) X(disconnectmessenger) X(addmessenger) X(delmessenger) X(addsmiley) X(delsmiley)   \
  X(error_messages)
#define STANDIN_KEYED_S2C(X)                                                                               \
  X(connect_ack) X(disconnect) X(openurlok) X(openurlfail) X(updcontact) X(message) X(suburlack)           \
  X(checkcontactack) X(addcontactask) X(addcontactanswer) X(invitechatroom) X(invitechatroomanswer)       \
  X(keytyped) X(delcontact) X(file) X(ad) X(comment) X(comments) X(bansite) X(askforfile) X(askforfileack) \
  X(filepart) X(filepartack) X(publicip) X(webpos) X(heartbeat) X(cancelfile) X(invitechat)               \
  X(availablemessengerprotocols) X(messengerconnectionstatus) X(addsmiley) X(delsmiley)

}  // namespace

std::string NewAuthKey() {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[kAuthKeySize];
  if (RAND_bytes(random, sizeof random) != 1) abort();
  std::string key;
  for (unsigned char r : random) key += kAlphabet[r % (sizeof kAlphabet - 1)];
  return key;
}

const OCTET_STRING_t* AuthKeyOf(const C2S_Request_t& request) {
  switch (request.present) {
#define STANDIN_CASE(m)       \
  case C2S_Request_PR_##m: \
    return &request.choice.m.authkey;
    STANDIN_KEYED_C2S(STANDIN_CASE)
#undef STANDIN_CASE
    default:
      return nullptr;
  }
}

OCTET_STRING_t* AuthKeyOf(S2C_Request_t& request) {
  switch (request.present) {
#define STANDIN_CASE(m)       \
  case S2C_Request_PR_##m: \
    return &request.choice.m.authkey;
    STANDIN_KEYED_S2C(STANDIN_CASE)
#undef STANDIN_CASE
    default:
      return nullptr;
  }
}

Outgoing::Outgoing(S2C_Request_PR kind) : m_request(asn1::NewRequest<S2C_Request_t>()) {
  m_request->present = kind;
  if (OCTET_STRING_t* key = AuthKeyOf(*m_request)) Put(*key, kPlaceholder);
}

const std::string& Outgoing::Bytes(std::string* error) const {
  if (!m_encoded) {
    m_encoded = true;
    if (EncodeS2C(*m_request, &m_bytes, &m_error) && AuthKeyOf(*m_request)) {
      // The key is the first member: its tag, its length and the placeholder come first.
      std::string slot = std::string("\x80") + static_cast<char>(kAuthKeySize) + kPlaceholder;
      size_t at = m_bytes.find(slot);
      if (at != std::string::npos) m_keyAt = at + 2;
    }
  }
  if (error) *error = m_error;
  return m_bytes;
}

size_t Outgoing::KeyAt() const {
  Bytes();
  return m_keyAt;
}

}  // namespace standin
