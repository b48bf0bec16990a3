#include "model/configArchive.h"

#include <boost/archive/impl/archive_serializer_map.ipp>
#include <boost/archive/impl/basic_xml_iarchive.ipp>
#include <boost/archive/impl/xml_iarchive_impl.ipp>
#include <stdexcept>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool IsDigits(const std::string& s, size_t from = 0) {
  if (s.size() <= from || s.size() - from > 9) return false;
  for (size_t i = from; i < s.size(); ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

[[noreturn]] void Refuse(const std::string& why) { throw std::runtime_error("settings file refused: " + why); }

// Splits `<name a="v" ...>` (blanks before it allowed) into its name and attributes. Only the
// plain form the writer produces is accepted.
std::string ParseStartTag(const std::string& tag, std::map<std::string, std::string>& attributes) {
  size_t i = 0;
  while (i < tag.size() && IsBlank(tag[i])) ++i;
  if (i >= tag.size() || tag[i] != '<') Refuse("no start tag");
  size_t nameStart = ++i;
  while (i < tag.size() && !IsBlank(tag[i]) && tag[i] != '>' && tag[i] != '/') ++i;
  std::string name = tag.substr(nameStart, i - nameStart);
  for (;;) {
    while (i < tag.size() && IsBlank(tag[i])) ++i;
    if (i >= tag.size()) Refuse("unterminated tag");
    if (tag[i] == '>') break;
    size_t attrStart = i;
    while (i < tag.size() && ((tag[i] >= 'a' && tag[i] <= 'z') || tag[i] == '_')) ++i;
    std::string attr = tag.substr(attrStart, i - attrStart);
    if (attr.empty() || tag.compare(i, 2, "=\"") != 0) Refuse("malformed attribute in <" + name + ">");
    i += 2;
    size_t valueStart = i;
    while (i < tag.size() && tag[i] != '"') ++i;
    if (i >= tag.size()) Refuse("unterminated attribute");
    if (!attributes.emplace(attr, tag.substr(valueStart, i - valueStart)).second)
      Refuse("attribute given twice in <" + name + ">");
    ++i;
  }
  if (i + 1 != tag.size()) Refuse("text after a tag");
  return name;
}

// The archive's header tag names the version of the library that wrote it. The library takes
// that number for a 16-bit one without a check (in a build with assertions it stops the
// program): every such tag in the file is checked here before the library reads any, and a
// version above the library's own is refused.
void CheckHeaderVersions(const std::string& bytes) {
  static const std::string kHeader = "<boost_serialization";
  const unsigned long newest = boost::archive::BOOST_ARCHIVE_VERSION();
  for (size_t at = bytes.find(kHeader); at != std::string::npos; at = bytes.find(kHeader, at + 1)) {
    const size_t end = bytes.find('>', at);
    if (end == std::string::npos) Refuse("unterminated archive header");
    std::map<std::string, std::string> attributes;
    ParseStartTag(bytes.substr(at, end + 1 - at), attributes);
    const std::string& version = attributes["version"];
    if (attributes["signature"] != "serialization::archive" || !IsDigits(version))
      Refuse("malformed archive header");
    if (std::stoul(version) > newest) Refuse("archive from a newer library");
  }
}

}  // namespace

ConfigArchive::ConfigArchive(std::istream& in, const std::string& bytes)
    : Base(in, boost::archive::no_header), m_bytes(bytes) {
  CheckHeaderVersions(bytes);
  init();
}

ConfigArchive::~ConfigArchive() = default;

std::string ConfigArchive::ConsumedSince(std::streamoff from) {
  std::streamoff to = get_is().tellg();
  if (from < 0 || to < from || static_cast<size_t>(to) > m_bytes.size()) Refuse("stream position lost");
  return m_bytes.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
}

void ConfigArchive::StartElement(const char* name, const std::type_info* type, bool record, void* address) {
  std::streamoff from = get_is().tellg();
  if (!gimpl->parse_start_tag(get_is())) Refuse(std::string("expected <") + name + ">");
  std::map<std::string, std::string> attributes;
  std::string found = ParseStartTag(ConsumedSince(from), attributes);
  if (found != name) Refuse("<" + found + "> where <" + name + "> belongs");
  if (!type) {
    if (!attributes.empty()) Refuse("class attributes on the plain value <" + found + ">");
    return;
  }
  CheckClassAttributes(attributes, *type, record, address);
}

void ConfigArchive::CheckClassAttributes(std::map<std::string, std::string>& a, const std::type_info& type,
                                         bool record, void* address) {
  auto has = [&a](const char* key) { return a.count(key) != 0; };
  const std::string nextObject = "_" + std::to_string(m_objects.size());

  auto known = m_classIds.find(std::type_index(type));
  if (known == m_classIds.end()) {
    // The first element of a class introduces it: a class number above those already given (the
    // first is 0), its tracking (records only) and its version; a record also takes the next
    // object number.
    bool ok = a.size() == (record ? 4u : 3u) && has("class_id") && IsDigits(a["class_id"]) &&
              has("tracking_level") && a["tracking_level"] == (record ? "1" : "0") && has("version") &&
              IsDigits(a["version"]);
    if (record) ok = ok && has("object_id") && a["object_id"] == nextObject;
    const int id = ok ? std::stoi(a["class_id"]) : -1;
    ok = ok && a["class_id"] == std::to_string(id) && id > m_lastClassId && (m_lastClassId >= 0 || id == 0);
    if (!ok) Refuse("class attributes do not introduce the class expected here");
    m_lastClassId = id;
    m_classIds[std::type_index(type)] = id;
    if (record) m_objects.push_back({address, id});
    return;
  }
  const int id = known->second;
  if (!record) {
    if (!a.empty()) Refuse("class attributes repeated on a plain object");
    return;
  }
  // A later record of a known class: a new object, or one read earlier.
  if (a.size() != 2 || !has("class_id_reference") || a["class_id_reference"] != std::to_string(id))
    Refuse("a record refers to another class");
  if (has("object_id")) {
    if (a["object_id"] != nextObject) Refuse("object numbers out of sequence");
    m_objects.push_back({address, id});
    return;
  }
  const std::string& ref = a["object_id_reference"];
  if (ref.empty() || ref[0] != '_' || !IsDigits(ref, 1)) Refuse("malformed object reference");
  size_t index = std::stoul(ref.substr(1));
  if (index >= m_objects.size() || m_objects[index].classId != id) Refuse("reference to an object of another class");
  m_reference = m_objects[index].address;
}

void ConfigArchive::EndElement(const char* name) {
  std::streamoff from = get_is().tellg();
  if (!gimpl->parse_end_tag(get_is())) Refuse(std::string("expected </") + name + ">");
  std::string tag = ConsumedSince(from);
  size_t i = 0;
  while (i < tag.size() && IsBlank(tag[i])) ++i;
  if (tag.compare(i, std::string::npos, std::string("</") + name + ">") != 0)
    Refuse(std::string("expected </") + name + ">");
}

void ConfigArchive::load_start(const char* name) {
  if (name) StartElement(name, nullptr, false, nullptr);
}

void ConfigArchive::load_end(const char* name) {
  if (name) EndElement(name);
}

void ConfigArchive::Finish() {
  EndElement("boost_serialization");
  std::streamoff at = get_is().tellg();
  if (at < 0 || static_cast<size_t>(at) > m_bytes.size()) Refuse("stream position lost");
  for (size_t i = static_cast<size_t>(at); i < m_bytes.size(); ++i)
    if (!IsBlank(m_bytes[i])) Refuse("text after the end of the archive");
}

void ConfigArchive::FreeRecords() {
  for (auto& free : m_made) free();
  m_made.clear();
}

template class boost::archive::detail::archive_serializer_map<ConfigArchive>;
template class boost::archive::basic_xml_iarchive<ConfigArchive>;
template class boost::archive::xml_iarchive_impl<ConfigArchive>;
