// The reader of "parlavox.xml": the library's XML input archive, made to trust nothing in the
// file. Before the library acts on an element it checks the element's name and its class
// attributes (class id, tracking, version, object id) against what the type read at that point
// may carry, in the exact form the writer gives them; anything else ends the reading with an
// exception. Records are read as objects the archive makes itself (never through the library's
// pointer machinery), so a class id in the file never chooses what the library builds. The
// archive also checks the closing tag itself, so destroying it never reads the stream.
#ifndef PARLAVOX_MODEL_CONFIGARCHIVE_H
#define PARLAVOX_MODEL_CONFIGARCHIVE_H

#include <boost/archive/xml_iarchive.hpp>
#include <boost/serialization/level.hpp>
#include <boost/serialization/nvp.hpp>
#include <functional>
#include <istream>
#include <map>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

class ConfigArchive : public boost::archive::xml_iarchive_impl<ConfigArchive> {
  typedef boost::archive::xml_iarchive_impl<ConfigArchive> Base;
  friend class boost::archive::detail::interface_iarchive<ConfigArchive>;
  friend class boost::archive::basic_xml_iarchive<ConfigArchive>;
  friend class boost::archive::load_access;

 public:
  // `in` reads `bytes` from their start; both outlive the archive. Reads the archive's header.
  ConfigArchive(std::istream& in, const std::string& bytes);
  ~ConfigArchive() override;

  // Reads a record element into a record made here, or gives the record an earlier element of
  // the file already holds when this one refers to it. The archive keeps every record it made
  // until FreeRecords or ReleaseRecords.
  template <class T>
  T* LoadRecord(const char* name) {
    std::unique_ptr<T> record(new T());
    m_pendingRecord = true;
    m_reference = nullptr;
    *this >> boost::serialization::make_nvp(name, *record);
    if (m_reference) return static_cast<T*>(m_reference);
    T* made = record.get();
    m_made.push_back([made] { delete made; });
    return record.release();
  }

  // After the top element: the archive's closing tag, then nothing but blanks.
  void Finish();
  // Frees every record this archive made (a failed reading).
  void FreeRecords();
  // The records belong to the caller from now on (a successful reading).
  void ReleaseRecords() { m_made.clear(); }

 protected:
  template <class T>
  void load_override(T& t) {
    Base::load_override(t);
  }
  template <class T>
  void load_override(const boost::serialization::nvp<T>& t) {
    const bool classInfo = boost::serialization::implementation_level<T>::value >=
                           boost::serialization::object_class_info;
    const bool record = m_pendingRecord;
    m_pendingRecord = false;
    StartElement(t.name(), classInfo ? &typeid(T) : nullptr, record, &t.value());
    boost::archive::detail::common_iarchive<ConfigArchive>::load_override(t.value());
    EndElement(t.name());
  }
  // The library's own start and end checks are replaced by those above.
  void load_start(const char* name);
  void load_end(const char* name);

 private:
  struct TrackedObject {
    void* address;
    int classId;
  };

  // Reads the start tag of element `name` and checks it. `type` is the class read there (null
  // for a value without class information); `record` tells that it is read as a shared record
  // held at `address`.
  void StartElement(const char* name, const std::type_info* type, bool record, void* address);
  void EndElement(const char* name);
  // The text the library's last parse consumed, from `from`.
  std::string ConsumedSince(std::streamoff from);
  // Class attributes (name to value) of an element reading `type`.
  void CheckClassAttributes(std::map<std::string, std::string>& attributes, const std::type_info& type,
                            bool record, void* address);

  const std::string& m_bytes;
  std::map<std::type_index, int> m_classIds;
  int m_lastClassId = -1;
  std::vector<TrackedObject> m_objects;
  std::vector<std::function<void()>> m_made;
  bool m_pendingRecord = false;
  void* m_reference = nullptr;
};

#endif
