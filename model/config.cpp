#include "model/config.h"

#include <wx/translation.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <functional>
#include <map>

#include "model/cryptPassword.h"
#include "model/log.h"
#include "model/serverOverride.h"
#include "model/stringConversion.h"

namespace {

// The folders, read by the connection thread too (the trust store, the digest of the stored
// avatar): made once and never destroyed, since that thread may still run while the process
// exits and its statics go.
std::mutex g_pathMutex;
std::string& DataPath() {
  static std::string* path = new std::string;
  return *path;
}
std::string& UserPath() {
  static std::string* path = new std::string;
  return *path;
}

std::mutex g_instanceMutex;
std::atomic<Config*> g_instance{nullptr};
// Instances replaced by a load: never freed, their pointers may still be held.
std::vector<Config*>* g_replaced = nullptr;

const unsigned kMessageMaxLength = 512;

// A null record would be saved as such and make the next load refuse the file.
bool RefuseNull(const void* record) {
  if (record) return false;
  TRACE_ERROR("null record refused");
  return true;
}

// Erases the first entry equal to `item`, if any.
template <class T>
void EraseFirst(std::vector<T>& list, const T& item) {
  auto it = std::find(list.begin(), list.end(), item);
  if (it != list.end()) list.erase(it);
}

void SetDefaultNotifications(ContactInfo* c, const int values[12]) {
  static const char* const keys[12] = {"login-visual",     "login-bell",      "logout-visual",      "logout-bell",
                                       "open-visual",      "open-bell",       "close-visual",       "close-bell",
                                       "subscribe-visual", "subscribe-bell",  "unsubscribe-visual", "unsubscribe-bell"};
  for (int i = 0; i < 12; ++i) c->SetNotification(keys[i], static_cast<t_notification_status>(values[i]));
}

}  // namespace

Config::Config()
    : m_ownInfo(nullptr),
      m_autoConnect(true),
      m_alwaysTop(false),
      m_visibleStart(true),
      m_chatMode(CHAT_MODE_DEFAULT),
      m_savePassword(true),
      m_nextSiteInfoNum(0),
      m_defaultContact(nullptr),
      m_legacyGroupMode(1),
      m_groupMode(0),
      m_groupOffline(2),
      m_defaultStatus(STATUS_ONLINE),
      m_defaultSiteStatus(SITE_OPEN),
      m_hostname(PARLAVOX_SERVER_HOST),
      m_port(443),
      m_sslEnabled(true),
      m_filePort(6891),
      m_lastVersion("unknown"),
      m_noActivityTimer(60),
      m_awayTimer(120),
      m_proxyStatus(false),
      m_proxyPort(8080),
      m_rememberClose(false),
      m_close(false),
      m_retryOnFailure(true),
      m_x(-1),
      m_y(-1),
      m_width(370),
      m_height(600) {
  TRACE_START();
  m_password = CryptPassword("");
  ApplyServerOverride(m_hostname, m_port);
  m_ownInfo = new ContactInfo("", wx2std(wxGetTranslation("(noname)")), "", kProgramVersion, STATUS_OFFLINE, "", "",
                            1, 1, 1978, "", "parlavox", false);
  static const int ownValues[12] = {2, 2, 2, 2, 2, 1, 1, 1, 2, 1, 1, 1};
  SetDefaultNotifications(m_ownInfo, ownValues);
  m_defaultContact = new ContactInfo();
  static const int defaultValues[12] = {2, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1};
  SetDefaultNotifications(m_defaultContact, defaultValues);
  TRACE_END();
}

Config::Config(const Config& o) {
  TRACE_START();
  std::lock_guard<std::mutex> lock(o.m_mutex);
  m_ownInfo = o.m_ownInfo;
  m_autoConnect = o.m_autoConnect;
  m_alwaysTop = o.m_alwaysTop;
  m_visibleStart = o.m_visibleStart;
  m_chatMode = o.m_chatMode;
  m_password = o.m_password;
  m_savePassword = o.m_savePassword;
  m_nextSiteInfoNum = o.m_nextSiteInfoNum;
  m_webSiteInfos = o.m_webSiteInfos;
  m_contacts = o.m_contacts;
  m_defaultContact = o.m_defaultContact;
  m_groups = o.m_groups;
  m_legacyGroupMode = o.m_legacyGroupMode;
  m_groupMode = o.m_groupMode;
  m_groupOffline = o.m_groupOffline;
  m_recommendedSites = o.m_recommendedSites;
  m_removedWebSiteInfos = o.m_removedWebSiteInfos;
  m_removedRecommendedSites = o.m_removedRecommendedSites;
  m_externalMessengers = o.m_externalMessengers;
  m_externalMessengerProtocols = o.m_externalMessengerProtocols;
  m_smileys = o.m_smileys;
  m_defaultStatus = o.m_defaultStatus;
  m_defaultSiteStatus = o.m_defaultSiteStatus;
  m_hostname = o.m_hostname;
  m_port = o.m_port;
  m_sslEnabled = o.m_sslEnabled;
  m_filePort = o.m_filePort;
  m_lastVersion = o.m_lastVersion;
  m_noActivityTimer = o.m_noActivityTimer;
  m_awayTimer = o.m_awayTimer;
  m_proxyStatus = o.m_proxyStatus;
  m_proxyHost = o.m_proxyHost;
  m_proxyPort = o.m_proxyPort;
  m_rememberClose = o.m_rememberClose;
  m_close = o.m_close;
  m_retryOnFailure = o.m_retryOnFailure;
  m_x = o.m_x;
  m_y = o.m_y;
  m_width = o.m_width;
  m_height = o.m_height;
  m_contactIndex = o.m_contactIndex;
  m_siteIndex = o.m_siteIndex;
  TRACE_END();
}

Config::~Config() { TRACE_STARTEND(); }

Config* Config::GetInstance() {
  Config* c = g_instance.load(std::memory_order_acquire);
  if (c) return c;
  std::lock_guard<std::mutex> lock(g_instanceMutex);
  c = g_instance.load(std::memory_order_relaxed);
  if (!c) {
    c = new Config;
    g_instance.store(c, std::memory_order_release);
  }
  return c;
}

void Config::ReplaceInstance(Config* c) {
  TRACE_START();
  std::lock_guard<std::mutex> lock(g_instanceMutex);
  Config* old = g_instance.exchange(c, std::memory_order_acq_rel);
  if (old) {
    if (!g_replaced) g_replaced = new std::vector<Config*>;
    g_replaced->push_back(old);
  }
  TRACE_END();
}

namespace {

// Every record a settings object holds, by address, with the way to free it.
template <class T>
void CollectRecords(const std::vector<T*>& list, std::map<const void*, std::function<void()>>& records) {
  for (T* r : list) records.emplace(r, [r] { delete r; });
}

}  // namespace

std::map<const void*, std::function<void()>> Config::Records() const {
  std::lock_guard<std::mutex> l(m_mutex);
  std::map<const void*, std::function<void()>> records;
  CollectRecords(std::vector<ContactInfo*>{m_ownInfo, m_defaultContact}, records);
  CollectRecords(m_contacts, records);
  CollectRecords(m_webSiteInfos, records);
  CollectRecords(m_recommendedSites, records);
  CollectRecords(m_removedWebSiteInfos, records);
  CollectRecords(m_removedRecommendedSites, records);
  CollectRecords(m_externalMessengers, records);
  CollectRecords(m_externalMessengerProtocols, records);
  CollectRecords(m_smileys, records);
  return records;
}

void StartConfigAfresh() { Config::ReplaceInstance(nullptr); }

void FreeReplacedConfigs() {
  std::lock_guard<std::mutex> lock(g_instanceMutex);
  if (!g_replaced) return;
  // A record the current instance also holds stays.
  std::map<const void*, std::function<void()>> kept;
  if (Config* current = g_instance.load()) kept = current->Records();
  std::map<const void*, std::function<void()>> records;
  for (Config* c : *g_replaced) {
    for (auto& r : c->Records())
      if (!kept.count(r.first)) records.insert(r);
    delete c;
  }
  for (auto& r : records) r.second();
  g_replaced->clear();
}

void Config::SetPath(const std::string& path) {
  TRACE_START_ARGS("%s", path.c_str());
  {
    std::lock_guard<std::mutex> lock(g_pathMutex);
    DataPath() = path;
  }
  TRACE_END();
}

// The paths and the look-ups below are asked for each picture, contact or site that an operation
// walks: they write no trace line, the operation does.
std::string Config::GetPath() {
  std::lock_guard<std::mutex> lock(g_pathMutex);
  return DataPath();
}

void Config::SetUserPath(const std::string& path) {
  TRACE_START_ARGS("%s", path.c_str());
  {
    std::lock_guard<std::mutex> lock(g_pathMutex);
    UserPath() = path;
  }
  TRACE_END();
}

std::string Config::GetUserPath() {
  std::lock_guard<std::mutex> lock(g_pathMutex);
  return UserPath();
}

std::string Config::GetImagePath(const std::string& name) {
  return GetPath() + "img/" + name;
}

// Plain stored preferences: each traces, then reads or writes its field under the lock.
#define CONFIG_SETTER(Setter, Type, field)  \
  void Config::Setter(Type v) {             \
    TRACE_STARTEND();                       \
    std::lock_guard<std::mutex> l(m_mutex); \
    field = v;                              \
  }
#define CONFIG_GETTER(Getter, Type, field)  \
  Type Config::Getter() const {             \
    std::lock_guard<std::mutex> l(m_mutex); \
    return field;                           \
  }
#define CONFIG_FIELD(Setter, Getter, Type, field) \
  CONFIG_SETTER(Setter, Type, field)             \
  CONFIG_GETTER(Getter, Type, field)

CONFIG_FIELD(SetAutoConnectStatus, GetAutoConnectStatus, bool, m_autoConnect)
CONFIG_FIELD(SetAlwaysTopStatus, GetAlwaysTopStatus, bool, m_alwaysTop)
CONFIG_FIELD(SetVisibleOnStart, IsVisibleOnStart, bool, m_visibleStart)
CONFIG_FIELD(SetChatMode, GetChatMode, t_chat_mode, m_chatMode)
CONFIG_FIELD(SetPasswordSaved, IsPasswordSaved, bool, m_savePassword)
CONFIG_FIELD(SetDefaultStatus, GetDefaultStatus, t_status, m_defaultStatus)
CONFIG_FIELD(SetDefaultSiteStatus, GetDefaultSiteStatus, t_site_status, m_defaultSiteStatus)
CONFIG_FIELD(SetHostname, GetHostname, std::string, m_hostname)
CONFIG_FIELD(SetPort, GetPort, int, m_port)
CONFIG_FIELD(SetSSLEnabled, IsSSLEnabled, bool, m_sslEnabled)
CONFIG_FIELD(SetFilePort, GetFilePort, int, m_filePort)
CONFIG_SETTER(SetLastVersion, const std::string&, m_lastVersion)
CONFIG_GETTER(GetLastVersion, std::string, m_lastVersion)
CONFIG_FIELD(SetNoActivityTimer, GetNoActivityTimer, int, m_noActivityTimer)
CONFIG_FIELD(SetAwayTimer, GetAwayTimer, int, m_awayTimer)
CONFIG_FIELD(SetProxyStatus, GetProxyStatus, bool, m_proxyStatus)
CONFIG_SETTER(SetProxyHost, const std::string&, m_proxyHost)
CONFIG_GETTER(GetProxyHost, std::string, m_proxyHost)
CONFIG_FIELD(SetProxyPort, GetProxyPort, unsigned short, m_proxyPort)
CONFIG_FIELD(SetRememberClose, GetRememberClose, bool, m_rememberClose)
CONFIG_FIELD(SetClose, GetClose, bool, m_close)
CONFIG_FIELD(SetRetryOnFailure, GetRetryOnFailure, bool, m_retryOnFailure)
CONFIG_FIELD(SetGroupMode, GetGroupMode, int, m_groupMode)
CONFIG_FIELD(SetGroupOffline, GetGroupOffline, int, m_groupOffline)
CONFIG_GETTER(GetPositionX, int, m_x)
CONFIG_GETTER(GetPositionY, int, m_y)
CONFIG_GETTER(GetWidth, int, m_width)
CONFIG_GETTER(GetHeight, int, m_height)
CONFIG_GETTER(GetContactInfo, ContactInfo*, m_ownInfo)
CONFIG_GETTER(GetDefaultContactInfo, ContactInfo*, m_defaultContact)
CONFIG_GETTER(GetContacts, std::vector<ContactInfo*>, m_contacts)
CONFIG_GETTER(GetGroups, std::vector<std::string>, m_groups)
CONFIG_GETTER(GetAllURLInfo, std::vector<URLInfo*>, m_webSiteInfos)
CONFIG_GETTER(GetMessengers, std::vector<MessengerInfo*>, m_externalMessengers)
CONFIG_GETTER(GetMessengerProtocols, std::vector<MessengerProtocolInfo*>, m_externalMessengerProtocols)
CONFIG_GETTER(GetSmileys, std::vector<Smiley*>, m_smileys)

void Config::SetCoordinates(int x_, int y_, int width_, int height_) {
  TRACE_START_ARGS("%d,%d,%d,%d", x_, y_, width_, height_);
  if (width_ < 0) width_ = 100;
  if (height_ < 100) height_ = 100;
  if (x_ < 0) x_ = 0;
  if (y_ < 0) y_ = 0;
  {
    std::lock_guard<std::mutex> l(m_mutex);
    m_x = x_;
    m_y = y_;
    m_width = width_;
    m_height = height_;
  }
  TRACE_END();
}

unsigned int Config::GetMessageMaxLength() const { return kMessageMaxLength; }

void Config::SetAutoStartStatus(bool on) { TRACE_START_ARGS("%d", on ? 1 : 0); TRACE_END(); }

bool Config::GetAutoStartStatus() const { return false; }

void Config::SetPassword(const std::string& plain) {
  TRACE_START_ARGS("%s", "***");
  std::string stored = CryptPassword(plain);
  {
    std::lock_guard<std::mutex> l(m_mutex);
    m_password = stored;
  }
  TRACE_END();
}

std::string Config::GetPassword() const {
  TRACE_START();
  std::string stored;
  {
    std::lock_guard<std::mutex> l(m_mutex);
    stored = m_password;
  }
  std::string plain = CryptPassword(stored);
  TRACE_END();
  return plain;
}

// The own profile: forwarded to the own record (outside the lock; the record is not guarded by it).
void Config::SetLogin(std::string login) { TRACE_START_ARGS("%s", login.c_str()); GetContactInfo()->SetLogin(login); TRACE_END(); }
void Config::SetNickname(std::string n) { TRACE_START_ARGS("%s", n.c_str()); GetContactInfo()->SetNickname(n); TRACE_END(); }
std::string Config::GetNickname() const { return GetContactInfo()->GetNickname(); }
void Config::SetMood(const std::string& m) { TRACE_START_ARGS("%s", m.c_str()); GetContactInfo()->SetMood(m); TRACE_END(); }
std::string Config::GetMood() const { return GetContactInfo()->GetMood(); }
void Config::SetCity(const std::string& c) { TRACE_START_ARGS("%s", c.c_str()); GetContactInfo()->SetCity(c); TRACE_END(); }
std::string Config::GetCity() const { return GetContactInfo()->GetCity(); }
void Config::SetCountry(const std::string& c) { TRACE_START_ARGS("%s", c.c_str()); GetContactInfo()->SetCountry(c); TRACE_END(); }
std::string Config::GetCountry() const { return GetContactInfo()->GetCountry(); }
void Config::SetBirth(int day, int month, int year) {
  TRACE_START_ARGS("%d,%d,%d", day, month, year);
  GetContactInfo()->SetBirth(day, month, year);
  TRACE_END();
}
int Config::GetBirthDay() const { return GetContactInfo()->GetBirthDay(); }
int Config::GetBirthMonth() const { return GetContactInfo()->GetBirthMonth(); }
int Config::GetBirthYear() const { return GetContactInfo()->GetBirthYear(); }

void Config::ClearContacts() {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(m_mutex);
  m_contacts.clear();
  m_contactIndex.clear();
}

void Config::RebuildContactIndex() {
  m_contactIndex.clear();
  for (size_t i = 0; i < m_contacts.size(); ++i) m_contactIndex.emplace(m_contacts[i]->login, i);
}

// Called for each contact of a log-in or an update: the operation that calls it traces.
void Config::UpdateContact(ContactInfo* c) {
  if (RefuseNull(c)) return;
  std::lock_guard<std::mutex> l(m_mutex);
  auto it = m_contactIndex.find(c->login);
  if (it != m_contactIndex.end()) {
    m_contacts[it->second] = c;
  } else {
    m_contactIndex.emplace(c->login, m_contacts.size());
    m_contacts.push_back(c);
  }
}

size_t Config::CountContacts() const {
  std::lock_guard<std::mutex> l(m_mutex);
  return m_contacts.size();
}

bool Config::HasContact(const std::string& login) const {
  std::lock_guard<std::mutex> l(m_mutex);
  return m_contactIndex.count(login) != 0;
}

ContactInfo* Config::FindContact(const std::string& login) const {
  std::lock_guard<std::mutex> l(m_mutex);
  auto it = m_contactIndex.find(login);
  return it == m_contactIndex.end() ? nullptr : m_contacts[it->second];
}

ContactInfo* Config::RemoveContact(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  ContactInfo* removed = nullptr;
  {
    std::lock_guard<std::mutex> l(m_mutex);
    auto it = m_contactIndex.find(login);
    if (it != m_contactIndex.end()) {
      removed = m_contacts[it->second];
      m_contacts.erase(m_contacts.begin() + static_cast<long>(it->second));
      RebuildContactIndex();
    }
  }
  TRACE_END_RESULT("%s", removed ? "found" : "not found");
  return removed;
}

std::vector<ContactInfo*> Config::GetContactsOfGroup(const std::string& group) const {
  TRACE_START_ARGS("%s", group.c_str());
  std::vector<ContactInfo*> result;
  {
    std::lock_guard<std::mutex> l(m_mutex);
    for (ContactInfo* c : m_contacts)
      if (c->group == group) result.push_back(c);
  }
  TRACE_END();
  return result;
}

// Called for each contact of every presence update: only a group new to the list is traced.
bool Config::AddGroup(const std::string& name) {
  bool added = false;
  // An empty name is no group: a contact in it stands under "No group".
  if (!name.empty()) {
    std::lock_guard<std::mutex> l(m_mutex);
    if (std::find(m_groups.begin(), m_groups.end(), name) == m_groups.end()) {
      m_groups.push_back(name);
      std::sort(m_groups.begin(), m_groups.end());
      added = true;
    }
  }
  if (added) TRACE_INFO("group %s added", name.c_str());
  return added;
}

void Config::RemoveGroup(const std::string& name) {
  TRACE_START_ARGS("%s", name.c_str());
  {
    std::lock_guard<std::mutex> l(m_mutex);
    EraseFirst(m_groups, name);
  }
  TRACE_END();
}

bool Config::RenameGroup(const std::string& oldName, const std::string& newName) {
  TRACE_START_ARGS("%s, %s", oldName.c_str(), newName.c_str());
  if (!AddGroup(newName)) {
    TRACE_END_RESULT("false");
    return false;
  }
  RemoveGroup(oldName);
  TRACE_END_RESULT("true");
  return true;
}

void Config::RebuildSiteIndex() {
  m_siteIndex.clear();
  for (size_t i = 0; i < m_webSiteInfos.size(); ++i) m_siteIndex.emplace(AsciiLower(m_webSiteInfos[i]->url), i);
}

long Config::FindSite(const std::string& url) const {
  auto it = m_siteIndex.find(AsciiLower(url));
  return it == m_siteIndex.end() ? -1 : static_cast<long>(it->second);
}

URLInfo* Config::GetURLInfo(const std::string& url) const {
  std::lock_guard<std::mutex> l(m_mutex);
  long at = FindSite(url);
  return at >= 0 ? m_webSiteInfos[at] : nullptr;
}

bool Config::IsDefined(const std::string& url) const {
  std::lock_guard<std::mutex> l(m_mutex);
  return FindSite(url) >= 0;
}

void Config::AddURLInfo(URLInfo* info) {
  if (RefuseNull(info)) return;
  const std::string url = info->GetURL();
  TRACE_START_ARGS("%s", url.c_str());
  bool added = false;
  {
    std::lock_guard<std::mutex> l(m_mutex);
    added = m_siteIndex.emplace(AsciiLower(url), m_webSiteInfos.size()).second;
    if (added) m_webSiteInfos.push_back(info);
  }
  TRACE_END_RESULT("%s", added ? "added" : "already defined");
}

void Config::RemoveURLInfo(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  bool erased = false;
  {
    std::lock_guard<std::mutex> l(m_mutex);
    long at = FindSite(url);
    if (at >= 0) {
      m_removedWebSiteInfos.push_back(m_webSiteInfos[at]);
      m_webSiteInfos.erase(m_webSiteInfos.begin() + at);
      RebuildSiteIndex();
      erased = true;
    }
  }
  if (erased)
    TRACE_INFO("END :found");
  else
    TRACE_END();
}

bool Config::ReleaseURLInfo(URLInfo* info) {
  TRACE_START();
  bool released = false;
  {
    std::lock_guard<std::mutex> l(m_mutex);
    auto at = std::find(m_webSiteInfos.begin(), m_webSiteInfos.end(), info);
    if (info && at != m_webSiteInfos.end()) {
      m_webSiteInfos.erase(at);
      RebuildSiteIndex();
      released = true;
    }
  }
  TRACE_END_RESULT("%d", released ? 1 : 0);
  return released;
}

bool Config::AddRecommendedSite(const std::string& url, int weight) {
  TRACE_START_ARGS("%s, %d", url.c_str(), weight);
  bool isNew = true;
  {
    // The look-up and the append under one hold of the lock: two threads cannot both append.
    std::lock_guard<std::mutex> l(m_mutex);
    for (RecommendedSite* r : m_recommendedSites)
      if (r->url == url) {
        r->weight = weight;
        isNew = false;
        break;
      }
    if (isNew) m_recommendedSites.push_back(new RecommendedSite(url, weight));
  }
  TRACE_END_RESULT("%s", isNew ? "true" : "false");
  return isNew;
}

void Config::DelRecommendedSite(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  {
    std::lock_guard<std::mutex> l(m_mutex);
    for (auto it = m_recommendedSites.begin(); it != m_recommendedSites.end(); ++it)
      if ((*it)->url == url) {
        m_removedRecommendedSites.push_back(*it);
        m_recommendedSites.erase(it);
        break;
      }
  }
  TRACE_END();
}

int Config::GetNbrRecommendedSites() const {
  std::lock_guard<std::mutex> l(m_mutex);
  return static_cast<int>(m_recommendedSites.size());
}

RecommendedSite* Config::GetRecommendedSite(int index) const {
  std::lock_guard<std::mutex> l(m_mutex);
  return index >= 0 && static_cast<size_t>(index) < m_recommendedSites.size() ? m_recommendedSites[index] : nullptr;
}

void Config::AddMessenger(MessengerInfo* m) {
  if (RefuseNull(m)) return;
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(m_mutex);
  m_externalMessengers.push_back(m);
}

void Config::RemoveMessenger(MessengerInfo* m) {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(m_mutex);
  EraseFirst(m_externalMessengers, m);
}

MessengerInfo* Config::GetMessenger(const std::string& protocol, const std::string& login) const {
  MessengerInfo* found = nullptr;
  {
    std::lock_guard<std::mutex> l(m_mutex);
    for (MessengerInfo* m : m_externalMessengers) {
      if (m->protocol != protocol) continue;
      const std::string& own = m->login;
      bool withHost = login.size() > own.size() && login.compare(0, own.size(), own) == 0 && login[own.size()] == '@';
      if (login == own || withHost) {
        found = m;
        break;
      }
    }
  }
  return found;
}

void Config::AddMessengerProtocol(MessengerProtocolInfo* p) {
  if (RefuseNull(p)) return;
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(m_mutex);
  m_externalMessengerProtocols.push_back(p);
}

void Config::ClearMessengerProtocols() {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(m_mutex);
  m_externalMessengerProtocols.clear();
}

MessengerProtocolInfo* Config::GetMessengerProtocol(const std::string& protocol) const {
  MessengerProtocolInfo* found = nullptr;
  {
    std::lock_guard<std::mutex> l(m_mutex);
    for (MessengerProtocolInfo* p : m_externalMessengerProtocols)
      if (p->protocol == protocol) {
        found = p;
        break;
      }
  }
  return found;
}

void Config::AddSmiley(Smiley* s) {
  if (RefuseNull(s)) return;
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(m_mutex);
  m_smileys.push_back(s);
}

void Config::RemoveSmiley(Smiley* s) {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(m_mutex);
  EraseFirst(m_smileys, s);
}
