// Message schema throughput: check + DER encode and BER decode + check of a chat message
// (C2S sendmessage out, S2C message in) and of an 8192-byte file part (C2C file), in
// messages per second. The trace log goes to /dev/null, as every call traces.
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "asn1/berDecoder.h"
#include "asn1/derEncoder.h"
#include "asn1/octetString.h"
#include "asn1/request.h"
#include "model/log.h"

namespace {

double PerSecond(int count, const std::function<void()>& once) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < count; ++i) once();
  std::chrono::duration<double> s = std::chrono::steady_clock::now() - start;
  return count / s.count();
}

void Report(const char* what, int count, size_t bytes, const std::function<void()>& once) {
  double rate = PerSecond(count, once);
  printf("  %-34s %10.0f msg/s  %8.1f MB/s  (%zu bytes each)\n", what, rate, rate * bytes / 1e6, bytes);
}

template <typename T>
void Decode(asn1::BerDecoder& decoder, const std::vector<uint8_t>& bytes) {
  asn1::DecodeResult r = decoder.Decode(bytes.data(), bytes.size());
  if (r.status != asn1::DecodeStatus::kComplete) {
    fprintf(stderr, "decode failed: %s\n", decoder.Error().c_str());
    return;
  }
  asn1::Adopt(static_cast<T*>(decoder.Take()));
}

}  // namespace

int main() {
  start_log("/dev/null");
  const std::string text = "Bonjour \xc3\xa0 tous, rendez-vous sur la page d'accueil ce soir ?";

  auto chat = asn1::NewRequest<C2S_Request_t>();
  chat->present = C2S_Request_PR_sendmessage;
  asn1::AssignOctetString(chat->choice.sendmessage.authkey, "A1b2C3d4E5f6G7h8");
  asn1::AssignOctetString(chat->choice.sendmessage.site, "http://www.example.org/news/");
  asn1::AssignOctetString(chat->choice.sendmessage.message, text);

  auto incoming = asn1::NewRequest<S2C_Request_t>();
  incoming->present = S2C_Request_PR_message;
  asn1::AssignOctetString(incoming->choice.message.authkey, "A1b2C3d4E5f6G7h8");
  incoming->choice.message.time = 1230000000;
  asn1::AssignOctetString(incoming->choice.message.site, "http://www.example.org/news/");
  asn1::AssignOctetString(incoming->choice.message.login, "someone@example.org");
  asn1::AssignOctetString(incoming->choice.message.message, text);
  std::vector<uint8_t> incomingBytes;
  asn1::EncodeDer(&asn_DEF_S2C_Request, incoming.get(), incomingBytes);

  auto part = asn1::NewRequest<C2C_Request_t>();
  part->present = C2C_Request_PR_file;
  asn1::AssignOctetString(part->choice.file.fileData, std::string(8192, '\x5a'));
  std::vector<uint8_t> partBytes;
  asn1::EncodeDer(&asn_DEF_C2C_Request, part.get(), partBytes);

  std::vector<uint8_t> buffer(65536);
  long chatSize = asn1::EncodeDer(&asn_DEF_C2S_Request, chat.get(), buffer.data(), buffer.size());

  printf("message schema (check + encode, decode + check + free)\n");
  Report("encode chat message (C2S)", 200000, static_cast<size_t>(chatSize),
         [&] { asn1::EncodeDer(&asn_DEF_C2S_Request, chat.get(), buffer.data(), buffer.size()); });
  asn1::BerDecoder s2c(&asn_DEF_S2C_Request);
  Report("decode chat message (S2C)", 200000, incomingBytes.size(),
         [&] { Decode<S2C_Request_t>(s2c, incomingBytes); });
  Report("encode 8192-byte file part (C2C)", 50000, partBytes.size(),
         [&] { asn1::EncodeDer(&asn_DEF_C2C_Request, part.get(), buffer.data(), buffer.size()); });
  asn1::BerDecoder c2c(&asn_DEF_C2C_Request);
  Report("decode 8192-byte file part (C2C)", 50000, partBytes.size(), [&] { Decode<C2C_Request_t>(c2c, partBytes); });
  return 0;
}
