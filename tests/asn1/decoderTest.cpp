// The restartable decoder on a byte stream: values split anywhere, several values in one
// read, alternatives from a newer peer, malformed and hostile input.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "asn1/berDecoder.h"
#include "asn1/derEncoder.h"
#include "asn1/octetString.h"
#include "asn1/request.h"
#include "model/log.h"
#include "tests/asn1/testBytes.h"
#include "tests/support/testSupport.h"

namespace {

using asn1test::Bytes;
using asn1test::Cat;
using asn1test::FromHex;

// message [6]: authkey "K1", time 1234, site "s", login "bob", message "hé".
const Bytes kMessage = FromHex("A6 15 80 02 4B 31 81 02 04 D2 82 01 73 83 03 62 6F 62 84 03 68 C3 A9");
// redirect [29]: ip "1.2.3.4", port 443.
const Bytes kRedirect = FromHex("BD 0D 80 07 31 2E 32 2E 33 2E 34 81 02 01 BB");
// checkcontactack [8] with an EXPLICIT e-mail.
const Bytes kCheckAck = FromHex("A8 0F 80 01 4B A1 07 81 05 61 40 62 2E 63 84 01 FF");

Bytes S2CFilePart() {
  Bytes data(8192);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
  return Cat(FromHex("B6 82 20 0D 80 01 4B 81 01 75 82 01 37 83 82 20 00"), data);
}

// Feeds the pieces as a reader of a stream would: unconsumed bytes stay in its buffer and
// the next piece is appended to them. Returns the final status and the bytes left over.
asn1::DecodeStatus FeedPieces(asn1::BerDecoder& decoder, const std::vector<Bytes>& pieces, Bytes* rest) {
  Bytes pending;
  asn1::DecodeStatus status = asn1::DecodeStatus::kNeedMore;
  for (const Bytes& piece : pieces) {
    pending.insert(pending.end(), piece.begin(), piece.end());
    asn1::DecodeResult r = decoder.Decode(pending.data(), pending.size());
    pending.erase(pending.begin(), pending.begin() + static_cast<long>(r.consumed));
    status = r.status;
    if (status != asn1::DecodeStatus::kNeedMore) break;
  }
  if (rest) *rest = pending;
  return status;
}

Bytes Reencode(void* value) {
  Bytes out;
  EXPECT_TRUE(asn1::EncodeDer(&asn_DEF_S2C_Request, value, out));
  asn1::FreeValue(&asn_DEF_S2C_Request, value);
  return out;
}

TEST(Decoder, AValueSplitAtEveryByteBoundaryDecodes) {
  for (const Bytes& message : {kMessage, kRedirect, kCheckAck, S2CFilePart()}) {
    asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
    for (size_t split = 1; split < message.size(); ++split) {
      Bytes first(message.begin(), message.begin() + static_cast<long>(split));
      Bytes second(message.begin() + static_cast<long>(split), message.end());
      Bytes rest;
      ASSERT_EQ(asn1::DecodeStatus::kComplete, FeedPieces(decoder, {first, second}, &rest))
          << "split at " << split << " of " << message.size() << ": " << decoder.Error();
      EXPECT_TRUE(rest.empty());
      void* value = decoder.Take();
      ASSERT_NE(nullptr, value);
      if (split % 997 == 1 || message.size() < 100) { ASSERT_EQ(message, Reencode(value)); }
      else asn1::FreeValue(&asn_DEF_S2C_Request, value);
    }
  }
}

TEST(Decoder, AValueFedOneByteAtATimeDecodes) {
  Bytes part = S2CFilePart();
  for (const Bytes& message : {kMessage, kCheckAck, part}) {
    std::vector<Bytes> bytes;
    for (uint8_t b : message) bytes.push_back({b});
    asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
    ASSERT_EQ(asn1::DecodeStatus::kComplete, FeedPieces(decoder, bytes, nullptr)) << decoder.Error();
    EXPECT_EQ(message, Reencode(decoder.Take()));
  }
  // The peer link: a C2C file part of 8192 octets, in pieces of 1000.
  Bytes data(8192, 0x5A);
  Bytes file = Cat(FromHex("A2 82 20 04 80 82 20 00"), data);
  std::vector<Bytes> pieces;
  for (size_t at = 0; at < file.size(); at += 1000)
    pieces.emplace_back(file.begin() + static_cast<long>(at), file.begin() + static_cast<long>(std::min(file.size(), at + 1000)));
  asn1::BerDecoder peer(&asn_DEF_C2C_Request);
  ASSERT_EQ(asn1::DecodeStatus::kComplete, FeedPieces(peer, pieces, nullptr));
  auto decoded = asn1::Adopt(static_cast<C2C_Request_t*>(peer.Take()));
  EXPECT_EQ(std::string(data.begin(), data.end()), asn1::ToString(decoded->choice.file.fileData));
}

TEST(Decoder, WaitingForWholeValuesConsumesNothingUntilTheLastByte) {
  Bytes file = Cat(FromHex("A2 82 20 04 80 82 20 00"), Bytes(8192, 0x33));
  asn1::BerDecoder decoder(&asn_DEF_C2C_Request);
  decoder.WaitForWholeValues();
  for (size_t have : {size_t(1), size_t(2), size_t(4), size_t(8), size_t(4000), file.size() - 1}) {
    asn1::DecodeResult r = decoder.Decode(file.data(), have);
    ASSERT_EQ(asn1::DecodeStatus::kNeedMore, r.status) << have;
    EXPECT_EQ(0u, r.consumed) << have;
  }
  asn1::DecodeResult r = decoder.Decode(file.data(), file.size());
  ASSERT_EQ(asn1::DecodeStatus::kComplete, r.status) << decoder.Error();
  EXPECT_EQ(file.size(), r.consumed);
  asn1::FreeValue(&asn_DEF_C2C_Request, decoder.Take());
  // The length cap still refuses before waiting for anything.
  asn1::BerDecoder capped(&asn_DEF_C2C_Request, 1024);
  capped.WaitForWholeValues();
  EXPECT_EQ(asn1::DecodeStatus::kFailed, capped.Decode(file.data(), 8).status);
}

TEST(Decoder, TwoValuesInOneBufferAreDecodedOneAfterTheOther) {
  Bytes both = Cat(kMessage, kRedirect);
  asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
  asn1::DecodeResult first = decoder.Decode(both.data(), both.size());
  ASSERT_EQ(asn1::DecodeStatus::kComplete, first.status);
  EXPECT_EQ(kMessage.size(), first.consumed);
  auto message = asn1::Adopt(static_cast<S2C_Request_t*>(decoder.Take()));
  EXPECT_EQ(S2C_Request_PR_message, message->present);
  asn1::DecodeResult second = decoder.Decode(both.data() + first.consumed, both.size() - first.consumed);
  ASSERT_EQ(asn1::DecodeStatus::kComplete, second.status);
  EXPECT_EQ(kRedirect.size(), second.consumed);
  auto redirect = asn1::Adopt(static_cast<S2C_Request_t*>(decoder.Take()));
  EXPECT_EQ(S2C_Request_PR_redirect, redirect->present);
  // A value cut short only asks for more.
  EXPECT_EQ(asn1::DecodeStatus::kNeedMore, decoder.Decode(kRedirect.data(), 5).status);
}

TEST(Decoder, AnAlternativeFromANewerPeerIsConsumedAndReportedAsAFailedRead) {
  // [40] (BF 28) and [34] (BF 22) are beyond the known alternatives of S2C-Request; [4] (A4)
  // is beyond those of C2C-Request. Their octets are consumed, so the next value decodes.
  for (const Bytes& unknown : {FromHex("BF 28 03 80 01 4B"), FromHex("BF 22 05 80 01 4B 81 00")}) {
    Bytes stream = Cat(unknown, kRedirect);
    asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
    asn1::DecodeResult r = decoder.Decode(stream.data(), stream.size());
    EXPECT_EQ(asn1::DecodeStatus::kFailed, r.status);
    EXPECT_EQ(unknown.size(), r.consumed);
    EXPECT_NE(std::string::npos, decoder.Error().find("S2C-Request: no CHOICE element given")) << decoder.Error();
    EXPECT_EQ(nullptr, decoder.Take());
    r = decoder.Decode(stream.data() + unknown.size(), stream.size() - unknown.size());
    EXPECT_EQ(asn1::DecodeStatus::kComplete, r.status);
    asn1::FreeValue(&asn_DEF_S2C_Request, decoder.Take());
  }
  Bytes newer = FromHex("A4 03 80 01 00");
  asn1::BerDecoder peer(&asn_DEF_C2C_Request);
  asn1::DecodeResult r = peer.Decode(newer.data(), newer.size());
  EXPECT_EQ(asn1::DecodeStatus::kFailed, r.status);
  EXPECT_EQ(newer.size(), r.consumed);
}

TEST(Decoder, ExtensionsAndBerFormsFromTheServerAreAccepted) {
  // An unknown addition [6] after history's place in message is skipped.
  Bytes newer = FromHex("A6 18 80 02 4B 31 81 02 04 D2 82 01 73 83 03 62 6F 62 84 03 68 C3 A9 86 01 00");
  asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
  ASSERT_EQ(asn1::DecodeStatus::kComplete, decoder.Decode(newer.data(), newer.size()).status);
  auto message = asn1::Adopt(static_cast<S2C_Request_t*>(decoder.Take()));
  EXPECT_EQ(nullptr, message->choice.message.history);
  EXPECT_EQ(kMessage, Reencode(message.release()));

  // Indefinite lengths, and the message text as a constructed string of two pieces.
  Bytes ber = FromHex("A6 80 80 02 4B 31 81 02 04 D2 82 01 73 83 03 62 6F 62 A4 80 0C 01 68 0C 02 C3 A9 00 00 00 00");
  ASSERT_EQ(asn1::DecodeStatus::kComplete, decoder.Decode(ber.data(), ber.size()).status) << decoder.Error();
  EXPECT_EQ(kMessage, Reencode(decoder.Take()));

  // A negative time of two octets (FF FE = -2).
  Bytes negative = FromHex("A6 15 80 02 4B 31 81 02 FF FE 82 01 73 83 03 62 6F 62 84 03 68 C3 A9");
  ASSERT_EQ(asn1::DecodeStatus::kComplete, decoder.Decode(negative.data(), negative.size()).status);
  auto early = asn1::Adopt(static_cast<S2C_Request_t*>(decoder.Take()));
  EXPECT_EQ(-2, early->choice.message.time);
}

TEST(Decoder, MalformedInputFailsWithoutCrashing) {
  const Bytes cases[] = {
      FromHex("30 03 02 01 01"),                 // a universal SEQUENCE, not an alternative
      FromHex("86 00"),                          // message [6] in primitive form
      FromHex("A6 05 80 01 4B 81 05 00 00"),     // inner length beyond the outer one
      FromHex("A6 03 80 01 4B"),                 // mandatory fields missing
      FromHex("A6 05 80 01 4B 81 FF"),           // reserved length octet
      FromHex("A6 84 FF FF FF FF"),              // a length of 4 GiB
      FromHex("A6 89 01 00 00 00 00 00 00 00 00"),  // a length of nine octets
      FromHex("A6 88 FF FF FF FF FF FF FF FF"),  // a length of eight octets beyond any size
      FromHex("9F 80 80 80 80 80 80 80 80 80 80 01 00"),  // an endless tag number
      FromHex("A8 0F 80 01 4B A1 80 A1 80 00 00 00 20 00 00 82 01"),  // EXPLICIT end not 00 00
      // updcontact [5] whose birthDate (a Date, not extensible) has a fourth component.
      FromHex("A5 14 80 01 4B 81 01 75 A8 0C 80 01 01 81 01 00 82 02 07 D0 83 01 01"),
  };
  for (const Bytes& bad : cases) {
    asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
    EXPECT_EQ(asn1::DecodeStatus::kFailed, decoder.Decode(bad.data(), bad.size()).status)
        << "input of " << bad.size() << " octets starting " << std::hex << int(bad[0]);
    EXPECT_EQ(nullptr, decoder.Take());
    // The decoder is usable again afterwards.
    EXPECT_EQ(asn1::DecodeStatus::kComplete, decoder.Decode(kRedirect.data(), kRedirect.size()).status);
    asn1::FreeValue(&asn_DEF_S2C_Request, decoder.Take());
  }
}

TEST(Decoder, HostileSizesAndNestingAreRefused) {
  // A peer announcing a huge file part is refused before anything is allocated or read.
  asn1::BerDecoder peer(&asn_DEF_C2C_Request, 64 * 1024);
  Bytes huge = FromHex("A2 84 40 00 00 00 80 84 3F FF FF F0");
  asn1::DecodeResult r = peer.Decode(huge.data(), huge.size());
  EXPECT_EQ(asn1::DecodeStatus::kFailed, r.status);
  EXPECT_EQ(0u, r.consumed);
  // An indefinite-length value is bounded by the bytes it takes.
  Bytes endless = FromHex("A2 80 A0 80");
  for (int i = 0; i < 20; ++i) endless = Cat(endless, Cat(FromHex("04 82 10 00"), Bytes(4096, 1)));
  asn1::BerDecoder bounded(&asn_DEF_C2C_Request, 64 * 1024);
  EXPECT_EQ(asn1::DecodeStatus::kFailed, FeedPieces(bounded, {endless}, nullptr));

  // An unknown extension nested 5000 levels deep is refused by the stack guard.
  Bytes deep = FromHex("A6 80 80 02 4B 31 81 02 04 D2 82 01 73 83 03 62 6F 62 84 00");
  for (int i = 0; i < 5000; ++i) deep = Cat(deep, FromHex("A7 80"));
  asn1::BerDecoder decoder(&asn_DEF_S2C_Request, 1 << 20);
  EXPECT_EQ(asn1::DecodeStatus::kFailed, FeedPieces(decoder, {deep, Bytes(10002, 0)}, nullptr));
}

TEST(Decoder, TheEncoderNeverWritesPastTheBuffer) {
  auto request = asn1::NewRequest<C2C_Request_t>();
  request->present = C2C_Request_PR_file;
  std::string data(8192, 'd');
  asn1::AssignOctetString(request->choice.file.fileData, data);
  Bytes buffer(8200 + 16, 0xEE);
  std::string error;
  EXPECT_EQ(-1, asn1::EncodeDer(&asn_DEF_C2C_Request, request.get(), buffer.data(), 8199, &error));
  EXPECT_FALSE(error.empty());
  for (size_t i = 8199; i < buffer.size(); ++i) ASSERT_EQ(0xEE, buffer[i]) << i;
  EXPECT_EQ(8200, asn1::EncodeDer(&asn_DEF_C2C_Request, request.get(), buffer.data(), 8200, &error));
  EXPECT_EQ(0xEE, buffer[8200]);
}

// Every message received is decoded and freed: on success neither writes a trace line.
TEST(Decoder, DecodingAndFreeingAMessageWriteNoTraceLine) {
  asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
  testsupport::TempDir dir;
  std::string path = testsupport::RestartLogAt(dir);
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(asn1::DecodeStatus::kComplete, decoder.Decode(kMessage.data(), kMessage.size()).status);
    asn1::Adopt(static_cast<S2C_Request_t*>(decoder.Take()));
  }
  asn1::FreeValue(&asn_DEF_S2C_Request, nullptr);
  std::string text = testsupport::DecodeLogFile(path, LOG_KEY_START, log_step());
  EXPECT_EQ(1, std::count(text.begin(), text.end(), '\n')) << text;  // "Log start" alone
}

}  // namespace
