// Reading and writing "parlavox.xml": a boost::serialization XML archive whose classes carry
// their own versions; older versions of the file are read with defaults for what they lack.
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/archive/xml_oarchive.hpp>
#include <boost/serialization/map.hpp>
#include <boost/serialization/nvp.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/utility.hpp>
#include <boost/serialization/vector.hpp>
#include <boost/serialization/version.hpp>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <type_traits>

#include "model/config.h"
#include "model/configArchive.h"
#include "model/configFile.h"
#include "model/log.h"
#include "model/regularFile.h"

const char* const kConfigFileName = "parlavox.xml";
const char* const kConfigBackupFileName = "parlavox.backup.xml";

// The class versions exceed what BOOST_CLASS_VERSION accepts (below 256), so the trait is
// written out by hand.
#define PARLAVOX_CLASS_VERSION(T, N)                              \
  namespace boost {                                               \
  namespace serialization {                                       \
  template <>                                                     \
  struct version<T> {                                             \
    typedef mpl::int_<N> type;                                    \
    typedef mpl::integral_c_tag tag;                              \
    BOOST_STATIC_CONSTANT(int, value = version::type::value);     \
  };                                                              \
  }                                                               \
  }

PARLAVOX_CLASS_VERSION(Config, 1808)
PARLAVOX_CLASS_VERSION(ContactInfo, 960)
PARLAVOX_CLASS_VERSION(URLInfo, 960)
PARLAVOX_CLASS_VERSION(MessengerInfo, 1808)
PARLAVOX_CLASS_VERSION(MessengerProtocolInfo, 1808)
PARLAVOX_CLASS_VERSION(Smiley, 1808)

static_assert(boost::serialization::version<Config>::value == kConfigVersion, "Config version");
static_assert(boost::serialization::version<ContactInfo>::value == kContactInfoVersion, "ContactInfo version");
static_assert(boost::serialization::version<URLInfo>::value == kURLInfoVersion, "URLInfo version");
static_assert(boost::serialization::version<MessengerInfo>::value == kMessengerInfoVersion, "MessengerInfo version");
static_assert(boost::serialization::version<MessengerProtocolInfo>::value == kMessengerProtocolInfoVersion,
              "MessengerProtocolInfo version");
static_assert(boost::serialization::version<Smiley>::value == kSmileyVersion, "Smiley version");

namespace {

// False once a file too old to read was met, or reading failed.
bool g_loadFlag = true;

std::mutex g_hookMutex;
std::function<bool(const std::string&)> g_saveFailureHook;

bool StepFails(const char* step) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  return g_saveFailureHook && g_saveFailureHook(step);
}

// Reads a vector written in the library's container encoding (count, item version, items) one
// item at a time: a hostile count cannot make it reserve memory the file does not hold. It takes
// the vector's place in the archive's class table (one loader type for each vector type).
template <class T>
struct VectorLoader {
  std::vector<T>* target;

  template <class Archive>
  void serialize(Archive& ar, unsigned int) {
    using boost::serialization::make_nvp;
    boost::serialization::collection_size_type count;
    boost::serialization::item_version_type itemVersion(0);
    ar >> make_nvp("count", count);
    if (boost::serialization::library_version_type(3) < ar.get_library_version())
      ar >> make_nvp("item_version", itemVersion);
    target->clear();
    for (size_t i = 0; i < count; ++i) {
      if constexpr (std::is_pointer<T>::value) {
        target->push_back(ar.template LoadRecord<std::remove_pointer_t<T>>("item"));
      } else {
        T item{};
        ar >> make_nvp("item", item);
        target->push_back(std::move(item));
      }
    }
  }
};

template <class Archive, class T>
void SerializeVector(Archive& ar, const char* name, std::vector<T>& v) {
  if constexpr (Archive::is_saving::value) {
    ar << boost::serialization::make_nvp(name, v);
  } else {
    VectorLoader<T> loader{&v};
    ar >> boost::serialization::make_nvp(name, loader);
  }
}

// A record held by pointer; reading replaces (and frees) the record the object was made with.
template <class Archive, class T>
void SerializeRecord(Archive& ar, const char* name, T*& record) {
  if constexpr (Archive::is_saving::value) {
    ar << boost::serialization::make_nvp(name, record);
  } else {
    T* loaded = ar.template LoadRecord<T>(name);
    if (loaded != record) delete record;
    record = loaded;
  }
}

// The library reads any class version without complaint; a file from a later program is refused
// rather than half understood.
void RefuseNewerVersion(unsigned int version, unsigned int current) {
  if (version > current) throw std::runtime_error("file written by a newer program");
}

// An enumeration or a bounded number travels as an int; a value outside [low, high] read from a
// file gives `fallback` (it is never stored in the field itself).
template <class Archive, class E>
void SerializeRanged(Archive& ar, const char* name, E& field, int low, int high, E fallback) {
  int value = static_cast<int>(field);
  ar & boost::serialization::make_nvp(name, value);
  if constexpr (Archive::is_loading::value) field = (value >= low && value <= high) ? static_cast<E>(value) : fallback;
}

void DropPrplPrefix(std::string& protocol) {
  if (protocol.compare(0, 5, "prpl-") == 0) protocol.erase(0, 5);
}

}  // namespace

template <class Archive>
void ContactInfo::serialize(Archive& ar, unsigned int version) {
  using boost::serialization::make_nvp;
  RefuseNewerVersion(version, kContactInfoVersion);
  ar & make_nvp("login", login);
  ar & make_nvp("nickname", nickname);
  ar & make_nvp("country", country);
  ar & make_nvp("birthDay", birthDay);
  ar & make_nvp("birthMonth", birthMonth);
  ar & make_nvp("birthYear", birthYear);
  ar & make_nvp("city", city);
  ar & make_nvp("notifications", notifications);
  ar & make_nvp("mood", mood);
  ar & make_nvp("group", group);
  ar & make_nvp("im_type", im_type);
  ar & make_nvp("blocked", blocked);
  ar & make_nvp("gender", gender);
  if constexpr (Archive::is_loading::value) {
    if (gender < GENDER_NONE || gender > GENDER_WOMAN) gender = GENDER_NONE;
    if (birthMonth < 0 || birthMonth > 11) birthMonth = 0;
    if (birthDay < 0 || birthDay > 31) birthDay = 0;
  }
}

template <class Archive>
void URLInfo::serialize(Archive& ar, unsigned int version) {
  using boost::serialization::make_nvp;
  RefuseNewerVersion(version, kURLInfoVersion);
  // The file holds each site's URL lower-cased, one spelling per site.
  std::string stored = NormalizeURL(url);
  ar & make_nvp("url", stored);
  if constexpr (Archive::is_loading::value) url = NormalizeURL(stored);
  SerializeRanged(ar, "status", status, SITE_DEFAULT, SITE_OPEN, SITE_DEFAULT);
  ar & make_nvp("notifications", notifications);
}

template <class Archive>
void MessengerInfo::serialize(Archive& ar, unsigned int version) {
  using boost::serialization::make_nvp;
  RefuseNewerVersion(version, kMessengerInfoVersion);
  ar & make_nvp("protocol", protocol);
  ar & make_nvp("description", description);
  ar & make_nvp("login", login);
  ar & make_nvp("password", password);
  ar & make_nvp("parameters", parameters);
  if (version >= 1808) {
    ar & make_nvp("autoconnect", autoconnect);
  } else if constexpr (Archive::is_loading::value) {
    autoconnect = true;
    DropPrplPrefix(protocol);
  }
}

template <class Archive>
void MessengerProtocolInfo::serialize(Archive& ar, unsigned int version) {
  using boost::serialization::make_nvp;
  RefuseNewerVersion(version, kMessengerProtocolInfoVersion);
  ar & make_nvp("protocol", protocol);
  ar & make_nvp("description", description);
  ar & make_nvp("parameters", parameters);
  if constexpr (Archive::is_loading::value) {
    if (version < 1808) DropPrplPrefix(protocol);
  }
}

template <class Archive>
void Smiley::serialize(Archive& ar, unsigned int version) {
  using boost::serialization::make_nvp;
  RefuseNewerVersion(version, kSmileyVersion);
  ar & make_nvp("name", name);
  SerializeVector(ar, "shortcuts", shortcuts);
  ar & make_nvp("filename", filename);
  ar & make_nvp("def", def);
}

template <class Archive>
void Config::serialize(Archive& ar, unsigned int version) {
  using boost::serialization::make_nvp;
  TRACE_INFO("serialize");
  RefuseNewerVersion(version, kConfigVersion);
  if (version <= 959) {
    g_loadFlag = false;
    TRACE_INFO("parlavox.xml is too old");
    return;
  }
  TRACE_INFO("serialize");
  SerializeRecord(ar, "ownInfo", m_ownInfo);
  ar & make_nvp("savePassword", m_savePassword);
  SerializeRanged(ar, "defaultStatus", m_defaultStatus, STATUS_OFFLINE, STATUS_BUSY, STATUS_ONLINE);
  SerializeRanged(ar, "defaultSiteStatus", m_defaultSiteStatus, SITE_DEFAULT, SITE_OPEN, SITE_OPEN);
  ar & make_nvp("filePort", m_filePort);
  ar & make_nvp("autoconnect", m_autoConnect);
  SerializeRanged(ar, "chatMode", m_chatMode, INT_MIN, INT_MAX, CHAT_MODE_DEFAULT);
  SerializeRecord(ar, "defaultContact", m_defaultContact);
  SerializeVector(ar, "contacts", m_contacts);
  SerializeVector(ar, "webSiteInfos", m_webSiteInfos);
  ar & make_nvp("nextSiteInfoNum", m_nextSiteInfoNum);
  ar & make_nvp("x", m_x);
  ar & make_nvp("y", m_y);
  ar & make_nvp("width", m_width);
  ar & make_nvp("height", m_height);
  if (m_savePassword) ar & make_nvp("password", m_password);
  ar & make_nvp("proxyhost", m_proxyHost);
  ar & make_nvp("noActivityTimer", m_noActivityTimer);
  ar & make_nvp("awayTimer", m_awayTimer);
  ar & make_nvp("alwaysTop", m_alwaysTop);
  ar & make_nvp("proxyStatus", m_proxyStatus);
  SerializeRanged(ar, "proxyport", m_proxyPort, 1, 65535, static_cast<unsigned short>(8080));
  ar & make_nvp("rememberClose", m_rememberClose);
  ar & make_nvp("close", m_close);
  SerializeVector(ar, "groups", m_groups);
  // An empty group, which earlier versions took in from the server, stood as a block without a
  // title at the top of the contacts list.
  if constexpr (Archive::is_loading::value)
    m_groups.erase(std::remove(m_groups.begin(), m_groups.end(), std::string()), m_groups.end());
  if (version < 1808) {
    ar & make_nvp("groupMode", m_legacyGroupMode);
    switch (m_legacyGroupMode) {
      case 0: m_groupOffline = 2; m_groupMode = 0; break;
      case 1: m_groupOffline = 1; m_groupMode = 0; break;
      case 2: m_groupOffline = 2; m_groupMode = 1; break;
      default: break;
    }
  } else {
    ar & make_nvp("group_offline", m_groupOffline);
    ar & make_nvp("group_mode", m_groupMode);
  }
  ar & make_nvp("retryOnFailure", m_retryOnFailure);
  ar & make_nvp("visibleStart", m_visibleStart);
  if (version < 962) return;
  SerializeVector(ar, "external_messengers", m_externalMessengers);
  if (version < 1808) return;
  SerializeVector(ar, "smileys", m_smileys);
  SerializeVector(ar, "external_messenger_protocols", m_externalMessengerProtocols);
}

void Config::Sanitize() {
  TRACE_START();
  std::lock_guard<std::mutex> l(m_mutex);
  if (m_width < 0) m_width = 100;
  if (m_height < 100) m_height = 100;
  if (m_x < 0 && m_x != -1) m_x = 0;
  if (m_y < 0 && m_y != -1) m_y = 0;
  if (m_groupMode < 0 || m_groupMode > 1) m_groupMode = 0;
  if (m_groupOffline < 0 || m_groupOffline > 2) m_groupOffline = 2;
  if (m_filePort < 1 || m_filePort > 65535) m_filePort = 6891;
  if (m_noActivityTimer < 0) m_noActivityTimer = 60;
  if (m_awayTimer < 0) m_awayTimer = 120;
  TRACE_END();
}

void SetConfigSaveFailureHook(std::function<bool(const std::string&)> hook) {
  std::lock_guard<std::mutex> lock(g_hookMutex);
  g_saveFailureHook = std::move(hook);
}

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Reads the whole settings file; false on any error but a missing file, which sets `missing`.
// Anything but a regular file there (a named pipe, a link to one) cannot be read: it is refused
// without being waited for, as a file that cannot be read.
bool ReadWholeFile(const std::string& path, std::string& bytes, bool& missing) {
  missing = false;
  if (regularfile::ReadWhole(path, &bytes)) return true;
  missing = errno == ENOENT;
  return false;
}

}  // namespace

bool Config::Save() {
  TRACE_START();
  const std::string dir = GetUserPath();
  const std::string path = dir + kConfigFileName;
  TRACE_INFO("file = %s", path.c_str());

  // The whole archive is built in memory first: nothing touches the disk if it fails.
  std::string text;
  try {
    Config copy(*this);
    std::ostringstream out;
    {
      boost::archive::xml_oarchive oa(out);
      oa << boost::serialization::make_nvp("config", copy);
    }
    if (!out) throw std::runtime_error("archive stream failed");
    text = out.str();
  } catch (...) {
    TRACE_ERROR("config error");
    return false;
  }

  // Then written to a private temporary file beside the old one and renamed over it. The file
  // stays locked until it is renamed (through a second descriptor, so that closing the first
  // still reports late write errors): start-up tells a save under way from one a crash left.
  std::string tmp = path + ".XXXXXX";
  int fd = mkstemp(&tmp[0]);
  if (fd < 0) {
    TRACE_ERROR("Stream error");
    return false;
  }
  ::flock(fd, LOCK_EX);
  int lockFd = ::dup(fd);
  const char* failed = nullptr;
  if (StepFails("write") || !WriteAll(fd, text)) failed = "write";
  if (!failed && (StepFails("sync") || ::fsync(fd) != 0)) failed = "sync";
  if (::close(fd) != 0 && !failed) failed = "close";
  if (!failed && StepFails("close")) failed = "close";
  if (!failed && (StepFails("rename") || ::rename(tmp.c_str(), path.c_str()) != 0)) failed = "rename";
  if (failed) ::unlink(tmp.c_str());
  if (lockFd >= 0) ::close(lockFd);
  if (failed) {
    TRACE_ERROR("config error");
    TRACE_END_RESULT("%s failed", failed);
    return false;
  }
  // Make the rename itself durable.
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    ::fsync(dfd);
    ::close(dfd);
  }
  TRACE_END();
  return true;
}

namespace {

// A temporary file of a save: the settings file's name, a dot and the six characters mkstemp
// chose.
bool IsSaveTemporaryName(const std::string& name) {
  const std::string prefix = std::string(kConfigFileName) + ".";
  if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) return false;
  for (size_t i = prefix.size(); i < name.size(); ++i)
    if (!isalnum(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

// The unlocked window of a save is the instant between creating its file and locking it.
const time_t kStaleAfterSeconds = 60;

// True when the temporary file at `path` belongs to no save under way: not changed lately and
// not locked. Never follows a link.
bool IsStaleSaveFile(const std::string& path, dev_t* dev, ino_t* ino) {
  int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st {};
  bool stale = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && time(nullptr) - st.st_mtime > kStaleAfterSeconds &&
               ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  *dev = st.st_dev;
  *ino = st.st_ino;
  ::close(fd);
  return stale;
}

}  // namespace

void Config::RemoveStaleSaveFiles() {
  TRACE_START();
  const std::string dir = GetUserPath();
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) {
    TRACE_END_RESULT("no directory");
    return;
  }
  int removed = 0;
  while (dirent* e = ::readdir(d)) {
    if (!IsSaveTemporaryName(e->d_name)) continue;
    const std::string path = dir + e->d_name;
    dev_t dev = 0;
    ino_t ino = 0;
    struct stat now;
    // The name must still be the file that was found stale when it is removed.
    if (IsStaleSaveFile(path, &dev, &ino) && ::lstat(path.c_str(), &now) == 0 && now.st_dev == dev &&
        now.st_ino == ino && ::unlink(path.c_str()) == 0) {
      TRACE_INFO("removed %s", e->d_name);
      ++removed;
    }
  }
  ::closedir(d);
  TRACE_END_RESULT("%d removed", removed);
}

bool Config::Load() {
  TRACE_START();
  g_loadFlag = true;
  const std::string path = GetUserPath() + kConfigFileName;
  TRACE_INFO("file = %s", path.c_str());
  RemoveStaleSaveFiles();

  std::string bytes;
  bool missing = false;
  if (!ReadWholeFile(path, bytes, missing)) {
    if (missing) {
      TRACE_END_RESULT("no config file");
      return true;
    }
    // An unreadable file is not "no file": starting afresh would overwrite it at the next save.
    TRACE_ERROR("config error");
    ReplaceInstance(nullptr);
    TRACE_END_RESULT("false");
    return false;
  }

  TRACE_INFO("config file found");
  Config* loaded = new Config;
  ContactInfo* const madeOwn = loaded->m_ownInfo;
  ContactInfo* const madeDefault = loaded->m_defaultContact;
  std::istringstream in(bytes);
  std::unique_ptr<ConfigArchive> ia;
  try {
    TRACE_INFO("config file iarchive");
    ia.reset(new ConfigArchive(in, bytes));
    if (ia->get_library_version() > boost::archive::BOOST_ARCHIVE_VERSION())
      throw std::runtime_error("archive from a newer library");
    TRACE_INFO("config file serial");
    *ia >> boost::serialization::make_nvp("config", *loaded);
    ia->Finish();
  } catch (const std::exception& e) {
    // Anything at all, a failed allocation included, is a file that cannot be read.
    TRACE_ERROR("config error");
    TRACE_INFO("reason : %s", e.what());
    g_loadFlag = false;
  } catch (...) {
    TRACE_ERROR("config error");
    g_loadFlag = false;
  }
  TRACE_INFO("config serial");
  if (!g_loadFlag) {
    // The records the archive made go, and the two the object was built with unless the reading
    // replaced (and so already freed) them.
    if (ia) ia->FreeRecords();
    if (loaded->m_ownInfo == madeOwn) delete madeOwn;
    if (loaded->m_defaultContact == madeDefault) delete madeDefault;
    delete loaded;
    ReplaceInstance(nullptr);
    TRACE_END_RESULT("false");
    return false;
  }
  ia->ReleaseRecords();

  loaded->Sanitize();
  {
    std::lock_guard<std::mutex> l(loaded->m_mutex);
    loaded->RebuildContactIndex();
    loaded->RebuildSiteIndex();
  }
  ContactInfo* own = loaded->GetContactInfo();
  TRACE_INFO("%s", own->GetLogin().c_str());
  for (ContactInfo* c : loaded->GetContacts()) c->SetStatus(STATUS_OFFLINE);
  own->SetVersion(kProgramVersion);
  ReplaceInstance(loaded);
  TRACE_END_RESULT("true");
  return true;
}

namespace {

// How many numbered backups are tried beside the first before giving up.
constexpr int kMostBackups = 1000;

// Moves `from` to `to` unless `to` exists; 0, or the error number (EEXIST when `to` is taken).
int MoveUnlessTaken(const std::string& from, const std::string& to) {
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return errno;
  // A file system without the no-replace rename: a hard link fails the same way on an existing name.
  if (::link(from.c_str(), to.c_str()) != 0) return errno;
  ::unlink(from.c_str());
  return 0;
}

}  // namespace

bool Config::BackupSettingsFile(int* error) {
  TRACE_START();
  const std::string dir = GetUserPath();
  const std::string from = dir + kConfigFileName;
  // An earlier backup is the user's only copy of an earlier file: the new one takes the first
  // free name, "parlavox.backup.xml" then "parlavox.backup.1.xml", "parlavox.backup.2.xml"...
  const std::string stem = kConfigBackupFileName;
  const std::string base = stem.substr(0, stem.size() - 4);
  int failure = EEXIST;
  std::string to;
  for (int n = 0; n <= kMostBackups && failure == EEXIST; ++n) {
    to = dir + (n == 0 ? stem : base + "." + std::to_string(n) + ".xml");
    failure = MoveUnlessTaken(from, to);
  }
  if (error) *error = failure;
  if (failure != 0) {
    TRACE_ERROR("cannot move %s to %s : %s", from.c_str(), to.c_str(), strerror(failure));
    return false;
  }
  TRACE_END_RESULT("%s", to.c_str());
  return true;
}
