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

std::mutex g_pathMutex;
std::string g_dataPath;
std::string g_userPath;

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
    : ownInfo(nullptr),
      autoconnect(true),
      alwaysTop(false),
      visibleStart(true),
      chatMode(CHAT_MODE_DEFAULT),
      savePassword(true),
      nextSiteInfoNum(0),
      defaultContact(nullptr),
      groupMode(1),
      group_mode(0),
      group_offline(2),
      defaultStatus(STATUS_ONLINE),
      defaultSiteStatus(SITE_OPEN),
      hostname(PARLAVOX_SERVER_HOST),
      port(443),
      sslEnabled(true),
      filePort(6891),
      lastVersion("unknown"),
      noActivityTimer(60),
      awayTimer(120),
      proxyStatus(false),
      proxyport(8080),
      rememberClose(false),
      close(false),
      retryOnFailure(true),
      x(-1),
      y(-1),
      width(370),
      height(600) {
  TRACE_START();
  password = CryptPassword("");
  ApplyServerOverride(hostname, port);
  ownInfo = new ContactInfo("", wx2std(wxGetTranslation("(noname)")), "", kProgramVersion, STATUS_OFFLINE, "", "",
                            1, 1, 1978, "", "parlavox", false);
  static const int ownValues[12] = {2, 2, 2, 2, 2, 1, 1, 1, 2, 1, 1, 1};
  SetDefaultNotifications(ownInfo, ownValues);
  defaultContact = new ContactInfo();
  static const int defaultValues[12] = {2, 1, 2, 1, 2, 1, 1, 1, 1, 1, 1, 1};
  SetDefaultNotifications(defaultContact, defaultValues);
  TRACE_END();
}

Config::Config(const Config& o) {
  TRACE_START();
  std::lock_guard<std::mutex> lock(o.mutex_);
  ownInfo = o.ownInfo;
  autoconnect = o.autoconnect;
  alwaysTop = o.alwaysTop;
  visibleStart = o.visibleStart;
  chatMode = o.chatMode;
  password = o.password;
  savePassword = o.savePassword;
  nextSiteInfoNum = o.nextSiteInfoNum;
  webSiteInfos = o.webSiteInfos;
  contacts = o.contacts;
  defaultContact = o.defaultContact;
  groups = o.groups;
  groupMode = o.groupMode;
  group_mode = o.group_mode;
  group_offline = o.group_offline;
  recommendedSites = o.recommendedSites;
  external_messengers = o.external_messengers;
  external_messenger_protocols = o.external_messenger_protocols;
  smileys = o.smileys;
  defaultStatus = o.defaultStatus;
  defaultSiteStatus = o.defaultSiteStatus;
  hostname = o.hostname;
  port = o.port;
  sslEnabled = o.sslEnabled;
  filePort = o.filePort;
  lastVersion = o.lastVersion;
  noActivityTimer = o.noActivityTimer;
  awayTimer = o.awayTimer;
  proxyStatus = o.proxyStatus;
  proxyhost = o.proxyhost;
  proxyport = o.proxyport;
  rememberClose = o.rememberClose;
  close = o.close;
  retryOnFailure = o.retryOnFailure;
  x = o.x;
  y = o.y;
  width = o.width;
  height = o.height;
  contactIndex_ = o.contactIndex_;
  siteIndex_ = o.siteIndex_;
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
  std::lock_guard<std::mutex> l(mutex_);
  std::map<const void*, std::function<void()>> records;
  CollectRecords(std::vector<ContactInfo*>{ownInfo, defaultContact}, records);
  CollectRecords(contacts, records);
  CollectRecords(webSiteInfos, records);
  CollectRecords(recommendedSites, records);
  CollectRecords(external_messengers, records);
  CollectRecords(external_messenger_protocols, records);
  CollectRecords(smileys, records);
  return records;
}

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
    g_dataPath = path;
  }
  TRACE_END();
}

std::string Config::GetPath() {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> lock(g_pathMutex);
  return g_dataPath;
}

void Config::SetUserPath(const std::string& path) {
  TRACE_START_ARGS("%s", path.c_str());
  {
    std::lock_guard<std::mutex> lock(g_pathMutex);
    g_userPath = path;
  }
  TRACE_END();
}

std::string Config::GetUserPath() {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> lock(g_pathMutex);
  return g_userPath;
}

std::string Config::GetImagePath(const std::string& name) {
  TRACE_INFO("START/END (%s)", name.c_str());
  return GetPath() + "img/" + name;
}

// Plain stored preferences: each traces, then reads or writes its field under the lock.
#define CONFIG_SETTER(Setter, Type, field)  \
  void Config::Setter(Type v) {             \
    TRACE_STARTEND();                       \
    std::lock_guard<std::mutex> l(mutex_); \
    field = v;                              \
  }
#define CONFIG_GETTER(Getter, Type, field)  \
  Type Config::Getter() const {             \
    std::lock_guard<std::mutex> l(mutex_); \
    return field;                           \
  }
#define CONFIG_FIELD(Setter, Getter, Type, field) \
  CONFIG_SETTER(Setter, Type, field)             \
  CONFIG_GETTER(Getter, Type, field)

CONFIG_FIELD(SetAutoConnectStatus, GetAutoConnectStatus, bool, autoconnect)
CONFIG_FIELD(SetAlwaysTopStatus, GetAlwaysTopStatus, bool, alwaysTop)
CONFIG_FIELD(SetVisibleOnStart, IsVisibleOnStart, bool, visibleStart)
CONFIG_FIELD(SetChatMode, GetChatMode, t_chat_mode, chatMode)
CONFIG_FIELD(SetPasswordSaved, IsPasswordSaved, bool, savePassword)
CONFIG_FIELD(SetDefaultStatus, GetDefaultStatus, t_status, defaultStatus)
CONFIG_FIELD(SetDefaultSiteStatus, GetDefaultSiteStatus, t_site_status, defaultSiteStatus)
CONFIG_FIELD(SetHostname, GetHostname, std::string, hostname)
CONFIG_FIELD(SetPort, GetPort, int, port)
CONFIG_FIELD(SetSSLEnabled, IsSSLEnabled, bool, sslEnabled)
CONFIG_FIELD(SetFilePort, GetFilePort, int, filePort)
CONFIG_SETTER(SetLastVersion, const std::string&, lastVersion)
CONFIG_GETTER(GetLastVersion, std::string, lastVersion)
CONFIG_FIELD(SetNoActivityTimer, GetNoActivityTimer, int, noActivityTimer)
CONFIG_FIELD(SetAwayTimer, GetAwayTimer, int, awayTimer)
CONFIG_FIELD(SetProxyStatus, GetProxyStatus, bool, proxyStatus)
CONFIG_SETTER(SetProxyHost, const std::string&, proxyhost)
CONFIG_GETTER(GetProxyHost, std::string, proxyhost)
CONFIG_FIELD(SetProxyPort, GetProxyPort, unsigned short, proxyport)
CONFIG_FIELD(SetRememberClose, GetRememberClose, bool, rememberClose)
CONFIG_FIELD(SetClose, GetClose, bool, close)
CONFIG_FIELD(SetRetryOnFailure, GetRetryOnFailure, bool, retryOnFailure)
CONFIG_FIELD(SetGroupMode, GetGroupMode, int, group_mode)
CONFIG_FIELD(SetGroupOffline, GetGroupOffline, int, group_offline)
CONFIG_GETTER(GetPositionX, int, x)
CONFIG_GETTER(GetPositionY, int, y)
CONFIG_GETTER(GetWidth, int, width)
CONFIG_GETTER(GetHeight, int, height)
CONFIG_GETTER(GetContactInfo, ContactInfo*, ownInfo)
CONFIG_GETTER(GetDefaultContactInfo, ContactInfo*, defaultContact)
CONFIG_GETTER(GetContacts, std::vector<ContactInfo*>, contacts)
CONFIG_GETTER(GetGroups, std::vector<std::string>, groups)
CONFIG_GETTER(GetAllURLInfo, std::vector<URLInfo*>, webSiteInfos)
CONFIG_GETTER(GetMessengers, std::vector<MessengerInfo*>, external_messengers)
CONFIG_GETTER(GetMessengerProtocols, std::vector<MessengerProtocolInfo*>, external_messenger_protocols)
CONFIG_GETTER(GetSmileys, std::vector<Smiley*>, smileys)

void Config::SetCoordinates(int x_, int y_, int width_, int height_) {
  TRACE_START_ARGS("%d,%d,%d,%d", x_, y_, width_, height_);
  if (width_ < 0) width_ = 100;
  if (height_ < 100) height_ = 100;
  if (x_ < 0) x_ = 0;
  if (y_ < 0) y_ = 0;
  {
    std::lock_guard<std::mutex> l(mutex_);
    x = x_;
    y = y_;
    width = width_;
    height = height_;
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
    std::lock_guard<std::mutex> l(mutex_);
    password = stored;
  }
  TRACE_END();
}

std::string Config::GetPassword() const {
  TRACE_START();
  std::string stored;
  {
    std::lock_guard<std::mutex> l(mutex_);
    stored = password;
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
  std::lock_guard<std::mutex> l(mutex_);
  contacts.clear();
  contactIndex_.clear();
}

void Config::RebuildContactIndex() {
  contactIndex_.clear();
  for (size_t i = 0; i < contacts.size(); ++i) contactIndex_.emplace(contacts[i]->login, i);
}

void Config::UpdateContact(ContactInfo* c) {
  if (RefuseNull(c)) return;
  TRACE_START_ARGS("%s, %s", c->GetLogin().c_str(), c->GetNickname().c_str());
  bool found = false;
  {
    std::lock_guard<std::mutex> l(mutex_);
    auto it = contactIndex_.find(c->login);
    if (it != contactIndex_.end()) {
      contacts[it->second] = c;
      found = true;
    } else {
      contactIndex_.emplace(c->login, contacts.size());
      contacts.push_back(c);
    }
  }
  if (found)
    TRACE_END_RESULT("found");
  else
    TRACE_INFO("add");
}

bool Config::HasContact(const std::string& login) const {
  TRACE_START_ARGS("%s", login.c_str());
  bool found = false;
  {
    std::lock_guard<std::mutex> l(mutex_);
    found = contactIndex_.count(login) != 0;
  }
  TRACE_END_RESULT("%s", found ? "found" : "not found");
  return found;
}

ContactInfo* Config::RemoveContact(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  ContactInfo* removed = nullptr;
  {
    std::lock_guard<std::mutex> l(mutex_);
    auto it = contactIndex_.find(login);
    if (it != contactIndex_.end()) {
      removed = contacts[it->second];
      contacts.erase(contacts.begin() + static_cast<long>(it->second));
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
    std::lock_guard<std::mutex> l(mutex_);
    for (ContactInfo* c : contacts)
      if (c->group == group) result.push_back(c);
  }
  TRACE_END();
  return result;
}

bool Config::AddGroup(const std::string& name) {
  TRACE_START_ARGS("%s", name.c_str());
  bool added = false;
  {
    std::lock_guard<std::mutex> l(mutex_);
    if (std::find(groups.begin(), groups.end(), name) == groups.end()) {
      groups.push_back(name);
      std::sort(groups.begin(), groups.end());
      added = true;
    }
  }
  TRACE_END_RESULT("%s", added ? "true" : "false");
  return added;
}

void Config::RemoveGroup(const std::string& name) {
  TRACE_START_ARGS("%s", name.c_str());
  {
    std::lock_guard<std::mutex> l(mutex_);
    EraseFirst(groups, name);
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
  siteIndex_.clear();
  for (size_t i = 0; i < webSiteInfos.size(); ++i) siteIndex_.emplace(AsciiLower(webSiteInfos[i]->url), i);
}

long Config::FindSite(const std::string& url) const {
  auto it = siteIndex_.find(AsciiLower(url));
  return it == siteIndex_.end() ? -1 : static_cast<long>(it->second);
}

URLInfo* Config::GetURLInfo(const std::string& url) const {
  TRACE_START_ARGS("%s", url.c_str());
  URLInfo* found = nullptr;
  {
    std::lock_guard<std::mutex> l(mutex_);
    long at = FindSite(url);
    if (at >= 0) found = webSiteInfos[at];
  }
  TRACE_END_RESULT("%s", found ? "found" : "not found");
  return found;
}

bool Config::IsDefined(const std::string& url) const {
  TRACE_START_ARGS("%s", url.c_str());
  bool defined = false;
  {
    std::lock_guard<std::mutex> l(mutex_);
    defined = FindSite(url) >= 0;
  }
  TRACE_END_RESULT("%s", defined ? "true" : "false");
  return defined;
}

void Config::AddURLInfo(URLInfo* info) {
  if (RefuseNull(info)) return;
  const std::string url = info->GetURL();
  TRACE_START_ARGS("%s", url.c_str());
  bool added = false;
  {
    std::lock_guard<std::mutex> l(mutex_);
    added = siteIndex_.emplace(AsciiLower(url), webSiteInfos.size()).second;
    if (added) webSiteInfos.push_back(info);
  }
  TRACE_END_RESULT("%s", added ? "added" : "already defined");
}

void Config::RemoveURLInfo(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  bool erased = false;
  {
    std::lock_guard<std::mutex> l(mutex_);
    long at = FindSite(url);
    if (at >= 0) {
      webSiteInfos.erase(webSiteInfos.begin() + at);
      RebuildSiteIndex();
      erased = true;
    }
  }
  if (erased)
    TRACE_INFO("END :found");
  else
    TRACE_END();
}

bool Config::AddRecommendedSite(const std::string& url, int weight) {
  TRACE_START_ARGS("%s, %d", url.c_str(), weight);
  bool isNew = true;
  {
    // The look-up and the append under one hold of the lock: two threads cannot both append.
    std::lock_guard<std::mutex> l(mutex_);
    for (RecommendedSite* r : recommendedSites)
      if (r->url == url) {
        r->weight = weight;
        isNew = false;
        break;
      }
    if (isNew) recommendedSites.push_back(new RecommendedSite(url, weight));
  }
  TRACE_END_RESULT("%s", isNew ? "true" : "false");
  return isNew;
}

void Config::DelRecommendedSite(const std::string& url) {
  TRACE_START_ARGS("%s", url.c_str());
  {
    std::lock_guard<std::mutex> l(mutex_);
    for (auto it = recommendedSites.begin(); it != recommendedSites.end(); ++it)
      if ((*it)->url == url) {
        recommendedSites.erase(it);
        break;
      }
  }
  TRACE_END();
}

int Config::GetNbrRecommendedSites() const {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(mutex_);
  return static_cast<int>(recommendedSites.size());
}

RecommendedSite* Config::GetRecommendedSite(int index) const {
  TRACE_START_ARGS("%d", index);
  RecommendedSite* r = nullptr;
  {
    std::lock_guard<std::mutex> l(mutex_);
    if (index >= 0 && static_cast<size_t>(index) < recommendedSites.size()) r = recommendedSites[index];
  }
  TRACE_END();
  return r;
}

void Config::AddMessenger(MessengerInfo* m) {
  if (RefuseNull(m)) return;
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(mutex_);
  external_messengers.push_back(m);
}

void Config::RemoveMessenger(MessengerInfo* m) {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(mutex_);
  EraseFirst(external_messengers, m);
}

MessengerInfo* Config::GetMessenger(const std::string& protocol, const std::string& login) const {
  TRACE_START_ARGS("%s, %s", protocol.c_str(), login.c_str());
  MessengerInfo* found = nullptr;
  {
    std::lock_guard<std::mutex> l(mutex_);
    for (MessengerInfo* m : external_messengers) {
      if (m->protocol != protocol) continue;
      const std::string& own = m->login;
      bool withHost = login.size() > own.size() && login.compare(0, own.size(), own) == 0 && login[own.size()] == '@';
      if (login == own || withHost) {
        found = m;
        break;
      }
    }
  }
  TRACE_END_RESULT("%s", found ? "found" : "not found");
  return found;
}

void Config::AddMessengerProtocol(MessengerProtocolInfo* p) {
  if (RefuseNull(p)) return;
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(mutex_);
  external_messenger_protocols.push_back(p);
}

void Config::ClearMessengerProtocols() {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(mutex_);
  external_messenger_protocols.clear();
}

MessengerProtocolInfo* Config::GetMessengerProtocol(const std::string& protocol) const {
  TRACE_START_ARGS("%s", protocol.c_str());
  MessengerProtocolInfo* found = nullptr;
  {
    std::lock_guard<std::mutex> l(mutex_);
    for (MessengerProtocolInfo* p : external_messenger_protocols)
      if (p->protocol == protocol) {
        found = p;
        break;
      }
  }
  TRACE_END_RESULT("%s", found ? "found" : "not found");
  return found;
}

void Config::AddSmiley(Smiley* s) {
  if (RefuseNull(s)) return;
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(mutex_);
  smileys.push_back(s);
}

void Config::RemoveSmiley(Smiley* s) {
  TRACE_STARTEND();
  std::lock_guard<std::mutex> l(mutex_);
  EraseFirst(smileys, s);
}
