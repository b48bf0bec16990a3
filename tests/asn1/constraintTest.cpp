// Every limit of the schema fails one step past its edge and holds at the edge, in a fresh
// process and again once every type has been encoded, decoded and freed (the generated code
// used to swap a type's own check for its base type's the first time it was used).
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "Site.h"
#include "UTF8String.h"
#include "asn1/berDecoder.h"
#include "asn1/constraintCheck.h"
#include "asn1/derEncoder.h"
#include "asn1/octetString.h"
#include "asn1/request.h"
#include "tests/asn1/valueFiller.h"

namespace {

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

const std::string kE = "\xc3\xa9";              // é, two octets
const std::string kSmile = "\xf0\x9f\x98\x80";  // four octets

bool CheckString(asn_TYPE_descriptor_t* type, const std::string& text) {
  OCTET_STRING_t value{};
  asn1::AssignOctetString(value, text);
  bool ok = asn1::CheckConstraints(type, &value);
  asn1::ClearOctetString(value);
  return ok;
}

bool CheckLong(asn_TYPE_descriptor_t* type, long number) { return asn1::CheckConstraints(type, &number); }

// Builds a one-alternative C2S request with `edit`, then checks the whole PDU.
bool CheckC2S(const std::function<void(C2S_Request_t&)>& edit) {
  auto request = asn1::NewRequest<C2S_Request_t>();
  edit(*request);
  return asn1::CheckConstraints(&asn_DEF_C2S_Request, request.get());
}

bool CheckS2C(const std::function<void(S2C_Request_t&)>& edit) {
  auto request = asn1::NewRequest<S2C_Request_t>();
  edit(*request);
  return asn1::CheckConstraints(&asn_DEF_S2C_Request, request.get());
}

struct Alphabet {
  asn_TYPE_descriptor_t* type;
  std::string permitted;
};

std::string Range(char from, char to) {
  std::string out;
  for (char c = from; c <= to; ++c) out += c;
  return out;
}

void CheckEveryLimit() {
  // Sizes count UTF-8 characters, not octets: one kind of check per row, at and past each edge.
  const struct {
    asn_TYPE_descriptor_t* type;
    int min, max;
  } sizes[] = {{&asn_DEF_Nickname, 1, 40}, {&asn_DEF_City, 1, 40}, {&asn_DEF_Country, 1, 40},
               {&asn_DEF_Mood, 0, 40},     {&asn_DEF_CodeSmiley, 1, 20}, {&asn_DEF_Message, 0, 512}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(size.type->name);
    EXPECT_TRUE(CheckString(size.type, Repeat(kE, size.min)));
    if (size.min > 0) { EXPECT_FALSE(CheckString(size.type, "")); }
    EXPECT_TRUE(CheckString(size.type, Repeat(kSmile, size.max)));
    EXPECT_FALSE(CheckString(size.type, Repeat(kE, size.max + 1)));
    EXPECT_FALSE(CheckString(size.type, Repeat("a", size.max + 1)));
  }
  EXPECT_FALSE(CheckString(&asn_DEF_Hash, std::string(19, 'h')));
  EXPECT_TRUE(CheckString(&asn_DEF_Hash, std::string(20, '\0')));
  EXPECT_FALSE(CheckString(&asn_DEF_Hash, std::string(21, 'h')));

  // Broken UTF-8 fails in sized and unsized strings alike.
  for (asn_TYPE_descriptor_t* type : {&asn_DEF_Message, &asn_DEF_Nickname, &asn_DEF_Site, &asn_DEF_Password}) {
    SCOPED_TRACE(type->name);
    EXPECT_FALSE(CheckString(type, "caf\xc3"));
    EXPECT_FALSE(CheckString(type, "\xc0\xaf"));  // overlong "/"
    EXPECT_FALSE(CheckString(type, "\xa9"));
    EXPECT_TRUE(CheckString(type, "caf" + kE));
  }

  // Alphabets, octet by octet: every byte value is permitted exactly when it is listed.
  const std::string digits = Range('0', '9');
  const std::string letters = Range('A', 'Z') + Range('a', 'z');
  const Alphabet alphabets[] = {
      {&asn_DEF_AuthKey, "._" + digits + letters},     {&asn_DEF_Login, "-.@_" + digits + letters},
      {&asn_DEF_Email, "-.@_" + digits + letters},     {&asn_DEF_Protocol, "-.@_" + digits + letters},
      {&asn_DEF_IMType, "-." + digits + letters},      {&asn_DEF_Version, "-." + digits + letters},
      {&asn_DEF_IP, "." + digits},                     {&asn_DEF_FileKey, digits},
      {&asn_DEF_IdComments, digits},
  };
  for (const Alphabet& a : alphabets) {
    SCOPED_TRACE(a.type->name);
    EXPECT_TRUE(CheckString(a.type, ""));
    EXPECT_TRUE(CheckString(a.type, a.permitted));
    for (int c = 0; c < 256; ++c) {
      bool listed = a.permitted.find(static_cast<char>(c)) != std::string::npos;
      EXPECT_EQ(listed, CheckString(a.type, std::string("1") + static_cast<char>(c))) << "octet " << c;
    }
  }

  // Ranges; enumerations and plain integers are not range-checked.
  EXPECT_FALSE(CheckLong(&asn_DEF_Grade, -1));
  EXPECT_TRUE(CheckLong(&asn_DEF_Grade, 0) && CheckLong(&asn_DEF_Grade, 10));
  EXPECT_FALSE(CheckLong(&asn_DEF_Grade, 11));
  EXPECT_FALSE(CheckLong(&asn_DEF_Port, -1));
  EXPECT_TRUE(CheckLong(&asn_DEF_Port, 0) && CheckLong(&asn_DEF_Port, 65535));
  EXPECT_FALSE(CheckLong(&asn_DEF_Port, 65536));
  EXPECT_TRUE(CheckLong(&asn_DEF_UserStatus, 5) && CheckLong(&asn_DEF_Timestamp, -1));

  // Inside a PDU, members defer to their types (a login's alphabet, a message's size).
  auto addContact = [](const std::string& login, const std::string& message) {
    return CheckC2S([&](C2S_Request_t& r) {
      r.present = C2S_Request_PR_addcontact;
      asn1::AssignOctetString(r.choice.addcontact.authkey, "K");
      asn1::AssignOctetString(r.choice.addcontact.login, login);
      asn1::AssignOctetString(r.choice.addcontact.message, message);
    });
  };
  EXPECT_TRUE(addContact("a-b.c_d@e", Repeat(kE, 512)));
  EXPECT_FALSE(addContact("a b", ""));
  EXPECT_FALSE(addContact("bob", Repeat(kE, 513)));
  EXPECT_FALSE(CheckC2S([](C2S_Request_t&) {}));  // no alternative

  // Constraints written inside a type: nbrUsers of openurlok, web-token of connect-ack, the
  // hostname size and the port of the internal connect.
  auto openUrlOk = [](long users) {
    return CheckS2C([&](S2C_Request_t& r) {
      r.present = S2C_Request_PR_openurlok;
      S2C_OpenURLOk_t& o = r.choice.openurlok;
      asn1::AssignOctetString(o.authkey, "K");
      asn1::AssignOctetString(o.site, "s");
      asn1::AssignOctetString(o.idcomments, "1");
      o.nbrUsers = users;
    });
  };
  EXPECT_FALSE(openUrlOk(-1));
  EXPECT_TRUE(openUrlOk(0) && openUrlOk(1000000));
  EXPECT_FALSE(openUrlOk(1000001));
  auto connectAck = [](const std::string& token) {
    return CheckS2C([&](S2C_Request_t& r) {
      r.present = S2C_Request_PR_connect_ack;
      asn1::AssignOctetString(r.choice.connect_ack.authkey, "K");
      asn1::AssignOctetString(r.choice.connect_ack.version, "1");
      r.choice.connect_ack.web_token = asn1::NewOctetString(token);
    });
  };
  EXPECT_TRUE(connectAck("09AZaz"));
  for (const char* bad : {"a_b", "a-b", "a.b", "/", ":", "@", "[", "`", "{"}) EXPECT_FALSE(connectAck(bad)) << bad;
  auto iConnect = [](const std::string& host, long port) {
    auto r = asn1::NewRequest<I_Request_t>();
    r->present = I_Request_PR_connect;
    asn1::AssignOctetString(r->choice.connect.hostname, host);
    r->choice.connect.port = port;
    return asn1::CheckConstraints(&asn_DEF_I_Request, r.get());
  };
  const std::string h50(50, 'h');
  EXPECT_TRUE(iConnect(h50, 1) && iConnect(h50, 65535));
  EXPECT_FALSE(iConnect(h50, 0) || iConnect(h50, 65536));
  EXPECT_FALSE(iConnect(std::string(49, 'h'), 80) || iConnect(std::string(51, 'h'), 80));
  EXPECT_FALSE(iConnect(std::string(49, 'h') + "\x80", 80));
}

// Encodes, decodes and frees a value of every alternative of every PDU, so that every type
// of the module has been through its free, encoder and decoder.
void UseEveryType() {
  for (asn_TYPE_descriptor_t* pdu : {&asn_DEF_C2S_Request, &asn_DEF_S2C_Request, &asn_DEF_C2C_Request,
                                     &asn_DEF_E2C_Request, &asn_DEF_I_Request}) {
    for (int i = 0; i < pdu->elements_count; ++i) {
      void* value = asn1test::NewValue(pdu);
      asn1test::FillChoice(pdu, value, i);
      std::vector<uint8_t> der;
      ASSERT_TRUE(asn1::EncodeDer(pdu, value, der));
      asn1::BerDecoder decoder(pdu);
      ASSERT_EQ(asn1::DecodeStatus::kComplete, decoder.Decode(der.data(), der.size()).status);
      asn1::FreeValue(pdu, decoder.Take());
      asn1::FreeValue(pdu, value);
    }
  }
}

TEST(Constraints, EveryLimitHoldsInAFreshProcess) { CheckEveryLimit(); }

TEST(Constraints, EveryLimitStillHoldsOnceEveryTypeHasBeenUsed) {
  UseEveryType();
  CheckEveryLimit();
  UseEveryType();
  CheckEveryLimit();
}

TEST(Constraints, AValueDecodedFromTheWireIsCheckedAfterDecoding) {
  // comment [17] (B1) with grade 11:  80 01 4B  81 01 73  82 00  83 01 0B
  const uint8_t grade11[] = {0xB1, 0x0B, 0x80, 0x01, 0x4B, 0x81, 0x01, 0x73, 0x82, 0x00, 0x83, 0x01, 0x0B};
  const uint8_t grade10[] = {0xB1, 0x0B, 0x80, 0x01, 0x4B, 0x81, 0x01, 0x73, 0x82, 0x00, 0x83, 0x01, 0x0A};
  for (int round = 0; round < 2; ++round) {
    asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
    asn1::DecodeResult bad = decoder.Decode(grade11, sizeof grade11);
    EXPECT_EQ(asn1::DecodeStatus::kFailed, bad.status);
    EXPECT_EQ(sizeof grade11, bad.consumed);
    EXPECT_NE(std::string::npos, decoder.Error().find("Grade: constraint failed")) << decoder.Error();
    EXPECT_EQ(nullptr, decoder.Take());
    EXPECT_EQ(asn1::DecodeStatus::kComplete, decoder.Decode(grade10, sizeof grade10).status);
    asn1::FreeValue(&asn_DEF_S2C_Request, decoder.Take());
  }
  // openurlok [3] (A3) with nbrUsers 1000001 = 0x0F4241:
  //   80 01 4B  81 01 73  82 03 0F 42 41  83 01 00  85 01 31 (idcomments [5] "1")
  const uint8_t users[] = {0xA3, 0x11, 0x80, 0x01, 0x4B, 0x81, 0x01, 0x73, 0x82, 0x03,
                           0x0F, 0x42, 0x41, 0x83, 0x01, 0x00, 0x85, 0x01, 0x31};
  asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
  EXPECT_EQ(asn1::DecodeStatus::kFailed, decoder.Decode(users, sizeof users).status);
  // updcontact [5] (A5) with status [3] 5, beyond the enumeration: decoded and passed as is.
  //   80 01 4B  81 01 75  83 01 05
  const uint8_t status5[] = {0xA5, 0x09, 0x80, 0x01, 0x4B, 0x81, 0x01, 0x75, 0x83, 0x01, 0x05};
  ASSERT_EQ(asn1::DecodeStatus::kComplete, decoder.Decode(status5, sizeof status5).status);
  auto update = asn1::Adopt(static_cast<S2C_Request_t*>(decoder.Take()));
  ASSERT_TRUE(update && update->choice.updcontact.status);
  EXPECT_EQ(5, *update->choice.updcontact.status);
}

TEST(Constraints, TheEncoderRefusesAValueThatFailsItsCheck) {
  auto request = asn1::NewRequest<C2S_Request_t>();
  request->present = C2S_Request_PR_askforfile;
  asn1::AssignOctetString(request->choice.askforfile.authkey, "K");
  asn1::AssignOctetString(request->choice.askforfile.login, "bob");
  asn1::AssignOctetString(request->choice.askforfile.filekey, "12a");
  uint8_t buffer[64];
  memset(buffer, 0xEE, sizeof buffer);
  std::string error;
  EXPECT_EQ(-1, asn1::EncodeDer(&asn_DEF_C2S_Request, request.get(), buffer, sizeof buffer, &error));
  EXPECT_EQ(0u, error.find("FileKey: constraint failed (FileKey.c:")) << error;
  EXPECT_EQ(0xEE, buffer[0]);  // nothing written
  asn1::AssignOctetString(request->choice.askforfile.filekey, "12");
  EXPECT_GT(asn1::EncodeDer(&asn_DEF_C2S_Request, request.get(), buffer, sizeof buffer, &error), 0);

  auto empty = asn1::NewRequest<C2S_Request_t>();
  EXPECT_EQ(-1, asn1::EncodeDer(&asn_DEF_C2S_Request, empty.get(), buffer, sizeof buffer, &error));
  EXPECT_NE(std::string::npos, error.find("C2S-Request: no CHOICE element given")) << error;
}

}  // namespace

// Derived types are completed before main, so threads that use a type for the first time at
// the same moment never write its shared descriptor.
TEST(Descriptors, CompleteBeforeAnyUseAndLeftAloneAfter) {
  EXPECT_EQ(asn_DEF_UTF8String.free_struct, asn_DEF_Site.free_struct);
  EXPECT_EQ(asn_DEF_UTF8String.ber_decoder, asn_DEF_Site.ber_decoder);
  EXPECT_EQ(asn_DEF_UTF8String.der_encoder, asn_DEF_Site.der_encoder);
  // A check of a type without constraints of its own leaves the check in its descriptor.
  auto before = asn_DEF_Site.check_constraints;
  OCTET_STRING_t site{};
  asn1::AssignOctetString(site, "example.org");
  EXPECT_TRUE(asn1::CheckConstraints(&asn_DEF_Site, &site, nullptr));
  EXPECT_EQ(before, asn_DEF_Site.check_constraints);
  asn1::ClearOctetString(site);
}
