// Every alternative of every PDU: built, checked, DER-encoded under its context tag, decoded
// back from BER and encoded again to the same bytes.
// The controller interface declares the PDU structures before the generated headers do.
#include "network/stateMachine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdio>
#include <thread>
#include <vector>

#include "asn1/berDecoder.h"
#include "asn1/constraintCheck.h"
#include "asn1/derEncoder.h"
#include "asn1/extensionStatus.h"
#include "asn1/imageType.h"
#include "asn1/request.h"
#include "tests/asn1/valueFiller.h"
#include "tests/support/testSupport.h"

namespace {

struct Pdu {
  asn_TYPE_descriptor_t* type;
  int alternatives;
};

const Pdu kPdus[] = {
    {&asn_DEF_C2S_Request, 40}, {&asn_DEF_S2C_Request, 34}, {&asn_DEF_C2C_Request, 4},
    {&asn_DEF_E2C_Request, 3},  {&asn_DEF_I_Request, 3},
};

// The identifier octets of context tag [n]: one octet below 31, else 0x1F and n in base 128.
std::vector<uint8_t> ContextTag(int n, bool constructed) {
  uint8_t first = 0x80 | (constructed ? 0x20 : 0x00);
  if (n < 31) return {static_cast<uint8_t>(first | n)};
  return {static_cast<uint8_t>(first | 0x1F), static_cast<uint8_t>(n)};
}

std::string Hex(const std::vector<uint8_t>& bytes) { return testsupport::Hex(bytes.data(), bytes.size()); }

TEST(SchemaRoundTrip, EveryAlternativeOfEveryPduEncodesAndDecodes) {
  for (const Pdu& pdu : kPdus) {
    ASSERT_EQ(pdu.alternatives, pdu.type->elements_count) << pdu.type->name;
    for (int i = 0; i < pdu.alternatives; ++i) {
      std::string what = std::string(pdu.type->name) + "." + asn1test::AlternativeName(pdu.type, i);
      void* value = asn1test::NewValue(pdu.type);
      asn1test::FillChoice(pdu.type, value, i);
      std::string error;
      EXPECT_TRUE(asn1::CheckConstraints(pdu.type, value, &error)) << what << ": " << error;

      std::vector<uint8_t> der;
      ASSERT_TRUE(asn1::EncodeDer(pdu.type, value, der, &error)) << what << ": " << error;
      std::vector<uint8_t> tag = ContextTag(i, !asn1test::AlternativeIsNull(pdu.type, i));
      ASSERT_GE(der.size(), tag.size() + 1) << what;
      EXPECT_EQ(Hex(tag), Hex(std::vector<uint8_t>(der.begin(), der.begin() + tag.size()))) << what;

      asn1::BerDecoder decoder(pdu.type);
      asn1::DecodeResult r = decoder.Decode(der.data(), der.size());
      ASSERT_EQ(asn1::DecodeStatus::kComplete, r.status) << what << ": " << decoder.Error();
      EXPECT_EQ(der.size(), r.consumed) << what;
      void* decoded = decoder.Take();
      ASSERT_NE(nullptr, decoded);
      EXPECT_EQ(i + 1, asn1test::Present(pdu.type, decoded)) << what;
      std::vector<uint8_t> again;
      ASSERT_TRUE(asn1::EncodeDer(pdu.type, decoded, again, &error)) << what << ": " << error;
      EXPECT_EQ(Hex(der), Hex(again)) << what;

      asn1::FreeValue(pdu.type, decoded);
      asn1::FreeValue(pdu.type, value);
    }
  }
}

// The controller interface forward-declares these structures; stored images are named by the
// schema's image type numbers.
static_assert(std::is_same<S2C_Request_t, struct S2C_Request>::value, "S2C_Request");
static_assert(std::is_same<E2C_Request_t, struct E2C_Request>::value, "E2C_Request");
static_assert(TypeImage_gif == 0 && TypeImage_png == 1 && TypeImage_jpg == 2, "image types");

}  // namespace

namespace {

// The connection thread decodes while other threads check and encode: the generated
// descriptors they share must not be written under them.
TEST(SchemaRoundTrip, EncodingAndDecodingRunSideBySide) {
  // message [6]: authkey "K1", time 1234, site "s", login "bob", message "hé". Nothing has
  // been encoded or decoded in this process before the two threads start.
  const std::vector<uint8_t> incoming = {0xA6, 0x15, 0x80, 0x02, 0x4B, 0x31, 0x81, 0x02, 0x04, 0xD2, 0x82, 0x01,
                                         0x73, 0x83, 0x03, 0x62, 0x6F, 0x62, 0x84, 0x03, 0x68, 0xC3, 0xA9};
  std::atomic<int> failures{0};
  std::thread reader([&] {
    asn1::BerDecoder decoder(&asn_DEF_S2C_Request);
    for (int i = 0; i < 300; ++i) {
      if (decoder.Decode(incoming.data(), incoming.size()).status != asn1::DecodeStatus::kComplete) ++failures;
      asn1::FreeValue(&asn_DEF_S2C_Request, decoder.Take());
    }
  });
  std::thread writer([&] {
    for (int i = 0; i < 300; ++i) {
      void* value = asn1test::NewValue(&asn_DEF_C2S_Request);
      asn1test::FillChoice(&asn_DEF_C2S_Request, value, i % 40);
      std::vector<uint8_t> out;
      if (!asn1::EncodeDer(&asn_DEF_C2S_Request, value, out)) ++failures;
      asn1::FreeValue(&asn_DEF_C2S_Request, value);
    }
  });
  reader.join();
  writer.join();
  EXPECT_EQ(0, failures.load());
}

// Image types cross between the wire and the image store through one conversion each way,
// range-checked both ways (the constraint check does not look at enumerated values).
TEST(SchemaRoundTrip, ImageTypesConvertAtTheSchemaEdge) {
  const struct {
    t_image_type model;
    TypeImage_t wire;
  } kSame[] = {{IMAGE_GIF, TypeImage_gif}, {IMAGE_PNG, TypeImage_png}, {IMAGE_JPG, TypeImage_jpg}};
  for (const auto& c : kSame) {
    TypeImage_t wire = -7;
    EXPECT_TRUE(asn1::ImageTypeToWire(c.model, &wire));
    EXPECT_EQ(c.wire, wire);
    t_image_type back = static_cast<t_image_type>(-7);
    EXPECT_TRUE(asn1::ImageTypeFromWire(c.wire, &back));
    EXPECT_EQ(c.model, back);
  }
  for (TypeImage_t wire : {-1L, 3L, 255L, LONG_MIN, LONG_MAX}) {
    t_image_type untouched = IMAGE_PNG;
    EXPECT_FALSE(asn1::ImageTypeFromWire(wire, &untouched)) << wire;
    EXPECT_EQ(IMAGE_PNG, untouched);
  }
  for (int bad : {-1, 3, 1000}) {
    TypeImage_t untouched = TypeImage_gif;
    EXPECT_FALSE(asn1::ImageTypeToWire(static_cast<t_image_type>(bad), &untouched)) << bad;
    EXPECT_EQ(TypeImage_gif, untouched);
  }
}

// So do extension statuses: a value outside none, disable and enable is refused both ways.
TEST(SchemaRoundTrip, ExtensionStatusesConvertAtTheSchemaEdge) {
  const struct {
    t_extension_status model;
    ExtensionStatus_t wire;
  } kSame[] = {{EXTENSION_NONE, ExtensionStatus_none},
               {EXTENSION_DISABLE, ExtensionStatus_disable},
               {EXTENSION_ENABLE, ExtensionStatus_enable}};
  for (const auto& c : kSame) {
    ExtensionStatus_t wire = -7;
    EXPECT_TRUE(asn1::ExtensionStatusToWire(c.model, &wire));
    EXPECT_EQ(c.wire, wire);
    t_extension_status back = static_cast<t_extension_status>(-7);
    EXPECT_TRUE(asn1::ExtensionStatusFromWire(c.wire, &back));
    EXPECT_EQ(c.model, back);
  }
  for (ExtensionStatus_t wire : {-1L, 3L, 255L, LONG_MIN, LONG_MAX}) {
    t_extension_status untouched = EXTENSION_DISABLE;
    EXPECT_FALSE(asn1::ExtensionStatusFromWire(wire, &untouched)) << wire;
    EXPECT_EQ(EXTENSION_DISABLE, untouched);
  }
  for (int bad : {-1, 3, 1000}) {
    ExtensionStatus_t untouched = ExtensionStatus_enable;
    EXPECT_FALSE(asn1::ExtensionStatusToWire(static_cast<t_extension_status>(bad), &untouched)) << bad;
    EXPECT_EQ(ExtensionStatus_enable, untouched);
  }
}

}  // namespace
