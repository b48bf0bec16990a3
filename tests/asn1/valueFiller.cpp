#include "tests/asn1/valueFiller.h"

#include <BOOLEAN.h>
#include <C2S-Disconnect.h>
#include <NULL.h>
#include <OCTET_STRING.h>
#include <asn_SEQUENCE_OF.h>
#include <constr_CHOICE.h>
#include <constr_SEQUENCE.h>
#include <constr_SEQUENCE_OF.h>
#include <constr_SET_OF.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <stdexcept>

namespace asn1test {
namespace {

enum class Kind { kString, kInteger, kEnumerated, kBoolean, kReal, kNull, kSequence, kChoice, kList };

struct Leaf {
  Kind kind;
  const char* text;  // strings
  long number;       // integers and enumerations
};

// Every leaf type of the module by descriptor name, with a value that satisfies it.
const std::map<std::string, Leaf>& Leaves() {
  static const std::map<std::string, Leaf> leaves = {
      {"AuthKey", {Kind::kString, "Key_1.x", 0}},
      {"Login", {Kind::kString, "bob-2.x_y@z", 0}},
      {"Email", {Kind::kString, "bob@example.org", 0}},
      {"Protocol", {Kind::kString, "icq", 0}},
      {"IMType", {Kind::kString, "msn-2.0", 0}},
      {"Version", {Kind::kString, "0.9.8b", 0}},
      {"IP", {Kind::kString, "192.168.1.20", 0}},
      {"FileKey", {Kind::kString, "1234567", 0}},
      {"IdComments", {Kind::kString, "42", 0}},
      {"IA5String", {Kind::kString, "Token9", 0}},
      {"Site", {Kind::kString, "http://www.example.org/caf\xc3\xa9", 0}},
      {"Group", {Kind::kString, "Fr\xc3\xa8res", 0}},
      {"Password", {Kind::kString, "s\xc3\xa9same", 0}},
      {"FileName", {Kind::kString, "photo.png", 0}},
      {"ExtensionName", {Kind::kString, "parlavox-firefox", 0}},
      {"Nickname", {Kind::kString, "Zo\xc3\xa9", 0}},
      {"City", {Kind::kString, "Li\xc3\xa8ge", 0}},
      {"Country", {Kind::kString, "Belgique", 0}},
      {"Mood", {Kind::kString, "", 0}},
      {"CodeSmiley", {Kind::kString, ":-)", 0}},
      {"Message", {Kind::kString, "Bonjour \xe2\x82\xac", 0}},
      {"UTF8String", {Kind::kString, "Linux x86_64", 0}},
      {"Hash", {Kind::kString, "0123456789abcdefghij", 0}},
      {"FileData", {Kind::kString, "\x89PNG\r\n", 0}},
      {"OCTET STRING", {Kind::kString, "GIF89a", 0}},
      {"Grade", {Kind::kInteger, nullptr, 7}},
      {"Port", {Kind::kInteger, nullptr, 6891}},
      {"Timestamp", {Kind::kInteger, nullptr, 1230000000}},
      {"INTEGER", {Kind::kInteger, nullptr, 300}},
      {"RealGrade", {Kind::kReal, nullptr, 0}},
      {"REAL", {Kind::kReal, nullptr, 0}},
      {"BOOLEAN", {Kind::kBoolean, nullptr, 1}},
      {"NULL", {Kind::kNull, nullptr, 0}},
      {"C2C-InterruptTransfer", {Kind::kNull, nullptr, 0}},
      {"UserStatus", {Kind::kEnumerated, nullptr, 3}},
      {"UserType", {Kind::kEnumerated, nullptr, 1}},
      {"Gender", {Kind::kEnumerated, nullptr, 1}},
      {"TypeImage", {Kind::kEnumerated, nullptr, 2}},
      {"ConnectionError", {Kind::kEnumerated, nullptr, 4}},
      {"OpenError", {Kind::kEnumerated, nullptr, 1}},
      {"SubscribeStatus", {Kind::kEnumerated, nullptr, 2}},
      {"ExtensionStatus", {Kind::kEnumerated, nullptr, 2}},
      {"MessengerConnectionStatus", {Kind::kEnumerated, nullptr, 1}},
      {"LooseReason", {Kind::kEnumerated, nullptr, 1}},
  };
  return leaves;
}

// A type defined as another constructed type fills like that type.
asn_TYPE_descriptor_t* Resolve(asn_TYPE_descriptor_t* type) {
  if (strcmp(type->name, "S2C-Disconnect") == 0) return &asn_DEF_C2S_Disconnect;
  return type;
}

Kind KindOf(asn_TYPE_descriptor_t* type) {
  auto leaf = Leaves().find(type->name);
  if (leaf != Leaves().end()) return leaf->second.kind;
  type = Resolve(type);
  if (type->free_struct == SEQUENCE_free) return Kind::kSequence;
  if (type->free_struct == CHOICE_free) return Kind::kChoice;
  if (type->free_struct == SEQUENCE_OF_free) return Kind::kList;
  throw std::logic_error(std::string("no filler for ") + type->name);
}

size_t SizeOf(asn_TYPE_descriptor_t* type) {
  switch (KindOf(type)) {
    case Kind::kString: return sizeof(OCTET_STRING_t);
    case Kind::kInteger:
    case Kind::kEnumerated: return sizeof(long);
    case Kind::kBoolean: return sizeof(BOOLEAN_t);
    case Kind::kReal: return sizeof(double);
    case Kind::kNull: return sizeof(NULL_t);
    case Kind::kSequence:
      return static_cast<const asn_SEQUENCE_specifics_t*>(Resolve(type)->specifics)->struct_size;
    case Kind::kChoice: return static_cast<const asn_CHOICE_specifics_t*>(type->specifics)->struct_size;
    case Kind::kList: return static_cast<const asn_SET_OF_specifics_t*>(type->specifics)->struct_size;
  }
  return 0;
}

void Fill(asn_TYPE_descriptor_t* type, void* value, const char* memberName);

void FillMembers(asn_TYPE_descriptor_t* type, void* value) {
  type = Resolve(type);
  for (int i = 0; i < type->elements_count; ++i) {
    asn_TYPE_member_t& member = type->elements[i];
    char* at = static_cast<char*>(value) + member.memb_offset;
    void* target = at;
    if (member.flags & ATF_POINTER) {
      void* owned = calloc(1, SizeOf(member.type));
      *reinterpret_cast<void**>(at) = owned;
      target = owned;
    }
    Fill(member.type, target, member.name);
  }
}

void Fill(asn_TYPE_descriptor_t* type, void* value, const char* memberName) {
  switch (KindOf(type)) {
    case Kind::kString: {
      std::string text = Leaves().at(type->name).text;
      if (strcmp(memberName, "hostname") == 0) text = std::string(50, 'h');
      OCTET_STRING_fromBuf(static_cast<OCTET_STRING_t*>(value), text.data(), static_cast<int>(text.size()));
      break;
    }
    case Kind::kInteger:
    case Kind::kEnumerated: *static_cast<long*>(value) = Leaves().at(type->name).number; break;
    case Kind::kBoolean: *static_cast<BOOLEAN_t*>(value) = 1; break;
    case Kind::kReal: *static_cast<double*>(value) = 7.5; break;
    case Kind::kNull: break;
    case Kind::kSequence: FillMembers(type, value); break;
    case Kind::kChoice: FillChoice(type, value, 0); break;
    case Kind::kList: {
      asn_TYPE_descriptor_t* elementType = type->elements[0].type;
      void* element = calloc(1, SizeOf(elementType));
      Fill(elementType, element, type->elements[0].name);
      asn_sequence_add(value, element);
      break;
    }
  }
}

}  // namespace

void FillChoice(asn_TYPE_descriptor_t* choice, void* value, int index) {
  const asn_CHOICE_specifics_t* specs = static_cast<const asn_CHOICE_specifics_t*>(choice->specifics);
  asn_TYPE_member_t& member = choice->elements[index];
  int present = index + 1;
  memcpy(static_cast<char*>(value) + specs->pres_offset, &present, specs->pres_size);
  Fill(member.type, static_cast<char*>(value) + member.memb_offset, member.name);
}

int Present(asn_TYPE_descriptor_t* choice, const void* value) {
  const asn_CHOICE_specifics_t* specs = static_cast<const asn_CHOICE_specifics_t*>(choice->specifics);
  int present = 0;
  memcpy(&present, static_cast<const char*>(value) + specs->pres_offset, specs->pres_size);
  return present;
}

void* NewValue(asn_TYPE_descriptor_t* type) { return calloc(1, SizeOf(type)); }

std::string AlternativeName(asn_TYPE_descriptor_t* choice, int index) { return choice->elements[index].name; }

bool AlternativeIsNull(asn_TYPE_descriptor_t* choice, int index) {
  return KindOf(choice->elements[index].type) == Kind::kNull;
}

}  // namespace asn1test
