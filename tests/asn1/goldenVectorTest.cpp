// Encodings worked out by hand from the tagging rules: automatic context tags [n] numbered
// from 0 in each SEQUENCE and CHOICE (extension additions included), IMPLICIT except for the
// untagged CHOICE LoginOrEmail (EXPLICIT), DER lengths in short form below 128 and in long
// form (0x82 + two octets) above 255. A context tag has class bits 10: 0x80 | n when primitive,
// 0xA0 | n when constructed, and for n >= 31 the octet 0x9F or 0xBF followed by n in base 128.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "asn1/berDecoder.h"
#include "asn1/derEncoder.h"
#include "asn1/octetString.h"
#include "asn1/request.h"
#include "tests/asn1/testBytes.h"

namespace {

using asn1test::Bytes;
using asn1test::Cat;
using asn1test::FromHex;

// 8192 bytes of file data: 0, 1, ... 250, 0, 1 ...
Bytes FilePart() {
  Bytes data(8192);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i % 251);
  return data;
}

template <typename T>
Bytes Encode(const asn1::Request<T>& request) {
  Bytes out;
  std::string error;
  EXPECT_TRUE(asn1::EncodeDer(asn1::PduTraits<T>::Descriptor(), request.get(), out, &error)) << error;
  return out;
}

template <typename T>
asn1::Request<T> Decode(const Bytes& bytes) {
  asn1::BerDecoder decoder(asn1::PduTraits<T>::Descriptor());
  asn1::DecodeResult r = decoder.Decode(bytes.data(), bytes.size());
  EXPECT_EQ(asn1::DecodeStatus::kComplete, r.status) << decoder.Error();
  EXPECT_EQ(bytes.size(), r.consumed);
  return asn1::Adopt(static_cast<T*>(decoder.Take()));
}

std::string Str(const OCTET_STRING_t& s) { return asn1::ToString(s); }

TEST(GoldenVectors, ClientToServer) {
  // checkcontact [15] with a login: EXPLICIT [1] wraps the CHOICE's own [0] login.
  //   80 01 4B               authkey [0] "K"
  //   A1 05                  loginOrEmail [1] EXPLICIT, constructed, 5 octets
  //      80 03 62 6F 62      login [0] IMPLICIT IA5String "bob"
  //   AF 0A                  alternative 16 = [15] constructed (0xA0 | 15), 3 + 7 octets
  auto check = asn1::NewRequest<C2S_Request_t>();
  check->present = C2S_Request_PR_checkcontact;
  asn1::AssignOctetString(check->choice.checkcontact.authkey, "K");
  check->choice.checkcontact.loginOrEmail.present = LoginOrEmail_PR_login;
  asn1::AssignOctetString(check->choice.checkcontact.loginOrEmail.choice.login, "bob");
  EXPECT_EQ(FromHex("AF 0A 80 01 4B A1 05 80 03 62 6F 62"), Encode(check));

  // keytyped [2] without its extension addition `enabled`: authkey and site only.
  //   A2 06  80 01 4B  81 01 73
  auto typed = asn1::NewRequest<C2S_Request_t>();
  typed->present = C2S_Request_PR_keytyped;
  asn1::AssignOctetString(typed->choice.keytyped.authkey, "K");
  asn1::AssignOctetString(typed->choice.keytyped.site, "s");
  EXPECT_EQ(FromHex("A2 06 80 01 4B 81 01 73"), Encode(typed));
  // With `enabled` FALSE: the addition takes the next tag, [2] BOOLEAN, DER FALSE is 00.
  typed->choice.keytyped.enabled = asn1::NewValue<BOOLEAN_t>(0);
  EXPECT_EQ(FromHex("A2 09 80 01 4B 81 01 73 82 01 00"), Encode(typed));

  // contactgroup [30] is the last one-octet tag: 0xA0 | 30 = BE.
  //   80 01 4B  81 01 75 ("u")  82 01 47 ("G")
  auto group = asn1::NewRequest<C2S_Request_t>();
  group->present = C2S_Request_PR_contactgroup;
  asn1::AssignOctetString(group->choice.contactgroup.authkey, "K");
  asn1::AssignOctetString(group->choice.contactgroup.login, "u");
  asn1::AssignOctetString(group->choice.contactgroup.group, "G");
  EXPECT_EQ(FromHex("BE 09 80 01 4B 81 01 75 82 01 47"), Encode(group));

  // clientinfo [31] takes the long form BF 1F; its five texts are empty here.
  //   80 01 4B  81 00  82 00  83 00  84 00  85 00   -> 3 + 5 * 2 = 13 octets
  auto info = asn1::NewRequest<C2S_Request_t>();
  info->present = C2S_Request_PR_clientinfo;
  C2S_ClientInfo_t& ci = info->choice.clientinfo;
  asn1::AssignOctetString(ci.authkey, "K");
  for (UTF8String_t* text : {&ci.environment, &ci.os_info, &ci.hardware_info, &ci.screen_info, &ci.extensions_info})
    asn1::AssignOctetString(*text, "");
  EXPECT_EQ(FromHex("BF 1F 0D 80 01 4B 81 00 82 00 83 00 84 00 85 00"), Encode(info));

  // error-messages [39], an extension alternative: an ordinary tag, BF 27, no extra octets.
  //   80 01 4B  81 01 78 ("x")
  auto errors = asn1::NewRequest<C2S_Request_t>();
  errors->present = C2S_Request_PR_error_messages;
  asn1::AssignOctetString(errors->choice.error_messages.authkey, "K");
  asn1::AssignOctetString(errors->choice.error_messages.message, "x");
  EXPECT_EQ(FromHex("BF 27 06 80 01 4B 81 01 78"), Encode(errors));

  // filepart [24] with 8192 octets of data: 0xA0 | 24 = B8.
  //   80 01 4B  81 01 75  82 01 37 ("7")  83 82 20 00 <8192 octets>
  //   content 3 + 3 + 3 + 4 + 8192 = 8205 = 0x200D -> length 82 20 0D
  auto part = asn1::NewRequest<C2S_Request_t>();
  part->present = C2S_Request_PR_filepart;
  asn1::AssignOctetString(part->choice.filepart.authkey, "K");
  asn1::AssignOctetString(part->choice.filepart.login, "u");
  asn1::AssignOctetString(part->choice.filepart.filekey, "7");
  Bytes data = FilePart();
  part->choice.filepart.filedata = asn1::Allocate<FileData_t>();
  asn1::AssignOctetString(*part->choice.filepart.filedata, data.data(), data.size());
  EXPECT_EQ(Cat(FromHex("B8 82 20 0D 80 01 4B 81 01 75 82 01 37 83 82 20 00"), data), Encode(part));

  // connect [0]: the only alternative without authkey; status away(3), a 20-octet hash.
  //   80 03 62 6F 62  81 02 70 77  82 06 30 2E 39 2E 38 62  83 01 03  84 14 <20 zero octets>
  //   content 5 + 4 + 8 + 3 + 22 = 42 = 0x2A
  auto connect = asn1::NewRequest<C2S_Request_t>();
  connect->present = C2S_Request_PR_connect;
  asn1::AssignOctetString(connect->choice.connect.login, "bob");
  asn1::AssignOctetString(connect->choice.connect.password, "pw");
  asn1::AssignOctetString(connect->choice.connect.version, "0.9.8b");
  connect->choice.connect.status = UserStatus_away;
  asn1::AssignOctetString(connect->choice.connect.default_avatar_hash, std::string(20, '\0'));
  EXPECT_EQ(Cat(FromHex("A0 2A 80 03 62 6F 62 81 02 70 77 82 06 30 2E 39 2E 38 62 83 01 03 84 14"), Bytes(20, 0)),
            Encode(connect));
}

TEST(GoldenVectors, ServerToClient) {
  // message [6] without `history`:
  //   80 02 4B 31 ("K1")  81 02 04 D2 (time 1234)  82 01 73 ("s")  83 03 62 6F 62 ("bob")
  //   84 03 68 C3 A9 ("hé" in UTF-8)                -> 4 + 4 + 3 + 5 + 5 = 21 = 0x15
  Bytes plain = FromHex("A6 15 80 02 4B 31 81 02 04 D2 82 01 73 83 03 62 6F 62 84 03 68 C3 A9");
  auto message = Decode<S2C_Request_t>(plain);
  ASSERT_TRUE(message);
  ASSERT_EQ(S2C_Request_PR_message, message->present);
  EXPECT_EQ("K1", Str(message->choice.message.authkey));
  EXPECT_EQ(1234, message->choice.message.time);
  EXPECT_EQ("bob", Str(message->choice.message.login));
  EXPECT_EQ("h\xc3\xa9", Str(message->choice.message.message));
  EXPECT_EQ(nullptr, message->choice.message.history);
  EXPECT_EQ(plain, Encode(message));
  // The same with the extension addition `history` TRUE: [5] BOOLEAN FF, 3 more octets.
  Bytes withHistory = FromHex("A6 18 80 02 4B 31 81 02 04 D2 82 01 73 83 03 62 6F 62 84 03 68 C3 A9 85 01 FF");
  auto history = Decode<S2C_Request_t>(withHistory);
  ASSERT_TRUE(history && history->choice.message.history);
  EXPECT_NE(0, *history->choice.message.history);

  // redirect [29]: BD; ip "1.2.3.4" (80 07 ...), port 443 = 0x01BB (81 02 01 BB).
  Bytes redirectBytes = FromHex("BD 0D 80 07 31 2E 32 2E 33 2E 34 81 02 01 BB");
  auto redirect = Decode<S2C_Request_t>(redirectBytes);
  ASSERT_TRUE(redirect);
  ASSERT_EQ(S2C_Request_PR_redirect, redirect->present);
  EXPECT_EQ("1.2.3.4", Str(redirect->choice.redirect.ip));
  EXPECT_EQ(443, redirect->choice.redirect.port);

  // checkcontactack [8] with an e-mail: EXPLICIT [1] (A1) wraps email [1] (81).
  //   80 01 4B  A1 07 81 05 61 40 62 2E 63 ("a@b.c")  84 01 FF (status [4] TRUE)
  //   login [2] and nickname [3] absent                  -> 3 + 9 + 3 = 15
  Bytes ackBytes = FromHex("A8 0F 80 01 4B A1 07 81 05 61 40 62 2E 63 84 01 FF");
  auto ack = Decode<S2C_Request_t>(ackBytes);
  ASSERT_TRUE(ack);
  ASSERT_EQ(S2C_Request_PR_checkcontactack, ack->present);
  ASSERT_EQ(LoginOrEmail_PR_email, ack->choice.checkcontactack.loginOrEmail.present);
  EXPECT_EQ("a@b.c", Str(ack->choice.checkcontactack.loginOrEmail.choice.email));
  EXPECT_EQ(nullptr, ack->choice.checkcontactack.login);
  EXPECT_NE(0, ack->choice.checkcontactack.status);  // BER TRUE is any non-zero octet, kept as is
  EXPECT_EQ(ackBytes, Encode(ack));

  // messengerconnectionstatus [31]: BF 1F.
  //   80 01 4B  81 01 01 (connected)  82 03 69 63 71 ("icq")  83 02 75 31 ("u1") -> 15
  Bytes statusBytes = FromHex("BF 1F 0F 80 01 4B 81 01 01 82 03 69 63 71 83 02 75 31");
  auto status = Decode<S2C_Request_t>(statusBytes);
  ASSERT_TRUE(status);
  ASSERT_EQ(S2C_Request_PR_messengerconnectionstatus, status->present);
  EXPECT_EQ(MessengerConnectionStatus_connected, status->choice.messengerconnectionstatus.status);
  EXPECT_EQ("icq", Str(status->choice.messengerconnectionstatus.protocol));
  // delsmiley [33]: BF 21; 80 01 4B  81 01 75  82 02 3A 29 (":)")
  auto smiley = Decode<S2C_Request_t>(FromHex("BF 21 0A 80 01 4B 81 01 75 82 02 3A 29"));
  ASSERT_TRUE(smiley);
  EXPECT_EQ(S2C_Request_PR_delsmiley, smiley->present);

  // connect-ack [0] with and without its extension addition web-token [3].
  //   80 01 4B  81 03 30 2E 39 ("0.9")  [default-avatar [2] absent]  83 03 41 62 31 ("Ab1")
  auto withToken = Decode<S2C_Request_t>(FromHex("A0 0D 80 01 4B 81 03 30 2E 39 83 03 41 62 31"));
  ASSERT_TRUE(withToken && withToken->choice.connect_ack.web_token);
  EXPECT_EQ("Ab1", Str(*withToken->choice.connect_ack.web_token));
  EXPECT_EQ(nullptr, withToken->choice.connect_ack.default_avatar);
  auto withoutToken = Decode<S2C_Request_t>(FromHex("A0 08 80 01 4B 81 03 30 2E 39"));
  ASSERT_TRUE(withoutToken);
  EXPECT_EQ(nullptr, withoutToken->choice.connect_ack.web_token);

  // comments [18] (B2) with the mean grade 7.5 as a binary REAL: 7.5 = 15 * 2^-1, so
  // 80 (binary, base 2, one exponent octet) FF (exponent -1) 0F (mantissa 15).
  //   80 01 4B  81 01 73  82 01 02 (2 comments)  83 03 80 FF 0F
  Bytes commentsBytes = FromHex("B2 0E 80 01 4B 81 01 73 82 01 02 83 03 80 FF 0F");
  auto comments = Decode<S2C_Request_t>(commentsBytes);
  ASSERT_TRUE(comments);
  EXPECT_EQ(2, comments->choice.comments.nbrComments);
  EXPECT_DOUBLE_EQ(7.5, comments->choice.comments.meanGrade);
  EXPECT_EQ(commentsBytes, Encode(comments));

  // filepart [22] (B6) carrying 8192 octets:
  //   80 01 4B  81 01 75  82 01 37  83 82 20 00 <8192>   -> 8205 = 0x200D
  Bytes data = FilePart();
  Bytes partBytes = Cat(FromHex("B6 82 20 0D 80 01 4B 81 01 75 82 01 37 83 82 20 00"), data);
  auto part = Decode<S2C_Request_t>(partBytes);
  ASSERT_TRUE(part && part->choice.filepart.filedata);
  EXPECT_EQ(std::string(data.begin(), data.end()), Str(*part->choice.filepart.filedata));
  EXPECT_EQ(partBytes, Encode(part));
}

TEST(GoldenVectors, ClientToClient) {
  // askforfile [0]: 80 03 62 6F 62 ("bob")  81 03 31 32 33 (fileKey "123")
  auto ask = asn1::NewRequest<C2C_Request_t>();
  ask->present = C2C_Request_PR_askforfile;
  asn1::AssignOctetString(ask->choice.askforfile.login, "bob");
  asn1::AssignOctetString(ask->choice.askforfile.fileKey, "123");
  EXPECT_EQ(FromHex("A0 0A 80 03 62 6F 62 81 03 31 32 33"), Encode(ask));

  // askforfile-ack [1] refused, without size: 80 01 00.
  auto refused = asn1::NewRequest<C2C_Request_t>();
  refused->present = C2C_Request_PR_askforfile_ack;
  refused->choice.askforfile_ack.status = 0;
  EXPECT_EQ(FromHex("A1 03 80 01 00"), Encode(refused));
  // Accepted with size 8192 = 0x2000: 80 01 FF  81 02 20 00.
  auto accepted = asn1::NewRequest<C2C_Request_t>();
  accepted->present = C2C_Request_PR_askforfile_ack;
  accepted->choice.askforfile_ack.status = 1;
  accepted->choice.askforfile_ack.size = asn1::NewValue<long>(8192);
  EXPECT_EQ(FromHex("A1 07 80 01 FF 81 02 20 00"), Encode(accepted));

  // interrupt [3] is an IMPLICIT NULL: primitive 0x80 | 3, length 0.
  auto interrupt = asn1::NewRequest<C2C_Request_t>();
  interrupt->present = C2C_Request_PR_interrupt;
  EXPECT_EQ(FromHex("83 00"), Encode(interrupt));
  EXPECT_EQ(C2C_Request_PR_interrupt, Decode<C2C_Request_t>(FromHex("83 00"))->present);

  // file [2] with an empty part (80 00), then with 8192 octets (80 82 20 00 <8192>, 8196 =
  // 0x2004 in all).
  auto empty = Decode<C2C_Request_t>(FromHex("A2 02 80 00"));
  ASSERT_TRUE(empty);
  EXPECT_EQ(0, empty->choice.file.fileData.size);
  Bytes data = FilePart();
  auto file = asn1::NewRequest<C2C_Request_t>();
  file->present = C2C_Request_PR_file;
  asn1::AssignOctetString(file->choice.file.fileData, data.data(), data.size());
  Bytes fileBytes = Cat(FromHex("A2 82 20 04 80 82 20 00"), data);
  EXPECT_EQ(fileBytes, Encode(file));
  auto decoded = Decode<C2C_Request_t>(fileBytes);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(std::string(data.begin(), data.end()), Str(decoded->choice.file.fileData));
}

TEST(GoldenVectors, InsideTheProcess) {
  // Never sent, but the same rules give: enter-site [0] { site [0] "a.b" }.
  auto enter = asn1::NewRequest<E2C_Request_t>();
  enter->present = E2C_Request_PR_enter_site;
  asn1::AssignOctetString(enter->choice.enter_site.site, "a.b");
  EXPECT_EQ(FromHex("A0 05 80 03 61 2E 62"), Encode(enter));
  // extension-status [2] { name [0] "x", status [1] enable(2) }.
  auto status = asn1::NewRequest<E2C_Request_t>();
  status->present = E2C_Request_PR_extension_status;
  asn1::AssignOctetString(status->choice.extension_status.name, "x");
  status->choice.extension_status.status = ExtensionStatus_enable;
  EXPECT_EQ(FromHex("A2 06 80 01 78 81 01 02"), Encode(status));

  // connection-ack [2] { conn-id [0] 5, status [1] TRUE }.
  auto internal = asn1::NewRequest<I_Request_t>();
  internal->present = I_Request_PR_connection_ack;
  internal->choice.connection_ack.conn_id = 5;
  internal->choice.connection_ack.status = 1;
  EXPECT_EQ(FromHex("A2 06 80 01 05 81 01 FF"), Encode(internal));
}

}  // namespace
