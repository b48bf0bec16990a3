#include "standin/journal.h"

#include <BOOLEAN.h>
#include <INTEGER.h>
#include <NativeEnumerated.h>
#include <NativeInteger.h>
#include <NativeReal.h>
#include <OCTET_STRING.h>
#include <asn_SEQUENCE_OF.h>
#include <constr_CHOICE.h>
#include <constr_SEQUENCE.h>
#include <constr_SEQUENCE_OF.h>

#include <cstring>

#include "standin/serverLog.h"

namespace standin {

namespace {

// The universal tag number a value of the type carries before any context tag.
ber_tlv_tag_t UniversalTag(const asn_TYPE_descriptor_t* type) {
  if (type->tags_count == 0) return 0;
  ber_tlv_tag_t tag = type->tags[0];
  return BER_TAG_CLASS(tag) == ASN_TAG_CLASS_UNIVERSAL ? BER_TAG_VALUE(tag) : 0;
}

void Describe(const asn_TYPE_descriptor_t* type, const void* value, std::string& out);

// "name=value" for each member present, the log-in key left out and a password hidden.
void DescribeMembers(const asn_TYPE_descriptor_t* type, const void* value, std::string& out) {
  bool first = true;
  for (int i = 0; i < type->elements_count; ++i) {
    const asn_TYPE_member_t& member = type->elements[i];
    const void* field = static_cast<const char*>(value) + member.memb_offset;
    if (member.flags & ATF_POINTER) field = *static_cast<const void* const*>(field);
    if (!field || strcmp(member.name, "authkey") == 0) continue;
    if (!first) out += ' ';
    first = false;
    out += member.name;
    out += '=';
    if (strcmp(member.name, "password") == 0 || strcmp(member.type->name, "Password") == 0) {
      out += "***";
    } else {
      Describe(member.type, field, out);
    }
  }
}

void DescribeChoice(const asn_TYPE_descriptor_t* type, const void* value, std::string& out) {
  const auto* specs = static_cast<const asn_CHOICE_specifics_t*>(type->specifics);
  int present = 0;
  memcpy(&present, static_cast<const char*>(value) + specs->pres_offset, specs->pres_size);
  if (present < 1 || present > type->elements_count) {
    out += "?";
    return;
  }
  const asn_TYPE_member_t& member = type->elements[present - 1];
  const void* field = static_cast<const char*>(value) + member.memb_offset;
  if (member.flags & ATF_POINTER) field = *static_cast<const void* const*>(field);
  out += member.name;
  out += '=';
  if (field) Describe(member.type, field, out);
}

void DescribeList(const asn_TYPE_descriptor_t* type, const void* value, std::string& out) {
  const auto* list = static_cast<const asn_anonymous_sequence_*>(value);
  out += '[';
  for (int i = 0; i < list->count; ++i) {
    if (i) out += ' ';
    if (list->array[i]) Describe(type->elements[0].type, list->array[i], out);
  }
  out += ']';
}

void DescribeText(const OCTET_STRING_t& text, std::string& out) {
  out += '"';
  out += Escaped(std::string(reinterpret_cast<const char*>(text.buf), text.size), true);
  out += '"';
}

void Describe(const asn_TYPE_descriptor_t* type, const void* value, std::string& out) {
  if (type->free_struct == CHOICE_free) {
    out += '{';
    DescribeChoice(type, value, out);
    out += '}';
  } else if (type->free_struct == SEQUENCE_free) {
    out += '{';
    DescribeMembers(type, value, out);
    out += '}';
  } else if (type->free_struct == SEQUENCE_OF_free) {
    DescribeList(type, value, out);
  } else {
    switch (UniversalTag(type)) {
      case 1:  // BOOLEAN
        out += *static_cast<const BOOLEAN_t*>(value) ? "true" : "false";
        break;
      case 2:  // INTEGER
        out += std::to_string(*static_cast<const long*>(value));
        break;
      case 9: {  // REAL
        char number[32];
        snprintf(number, sizeof number, "%g", *static_cast<const double*>(value));
        out += number;
        break;
      }
      case 10: {  // ENUMERATED
        long number = *static_cast<const long*>(value);
        const asn_INTEGER_enum_map_t* name =
            type->specifics ? INTEGER_map_value2enum(static_cast<asn_INTEGER_specifics_t*>(
                                                         const_cast<void*>(type->specifics)), number)
                            : nullptr;
        out += name ? std::string(name->enum_name, name->enum_len) : std::to_string(number);
        break;
      }
      case 5:  // NULL
        out += "null";
        break;
      case 12:  // UTF8String
      case 22:  // IA5String
        DescribeText(*static_cast<const OCTET_STRING_t*>(value), out);
        break;
      default:  // OCTET STRING: bytes, not text
        out += '<' + std::to_string(static_cast<const OCTET_STRING_t*>(value)->size) + " bytes>";
        break;
    }
  }
}

}  // namespace

std::string DescribeRequest(const C2S_Request_t& request) {
  std::string out;
  // The kind, then the members of its sequence without braces.
  const asn_TYPE_descriptor_t* type = &asn_DEF_C2S_Request;
  if (request.present < 1 || request.present > type->elements_count) return "?";
  const asn_TYPE_member_t& member = type->elements[request.present - 1];
  out += member.name;
  const void* body = reinterpret_cast<const char*>(&request) + member.memb_offset;
  if (member.type->free_struct == SEQUENCE_free) {
    std::string fields;
    DescribeMembers(member.type, body, fields);
    if (!fields.empty()) out += ' ' + fields;
  } else {
    out += ' ';
    Describe(member.type, body, out);
  }
  return out;
}

Journal::~Journal() {
  if (m_file) fclose(m_file);
}

bool Journal::Open(const std::string& path) {
  if (m_file) fclose(m_file);
  m_file = fopen(path.c_str(), "w");
  return m_file != nullptr;
}

void Journal::Write(const std::string& sender, const C2S_Request_t& request) {
  if (!m_file) return;
  std::string line = Escaped(sender, false) + ' ' + DescribeRequest(request) + '\n';
  fwrite(line.data(), 1, line.size(), m_file);
  fflush(m_file);
}

}  // namespace standin
