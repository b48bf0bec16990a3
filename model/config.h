// The process-wide settings object: the user's own profile, the saved contacts, sites, groups,
// accounts on other networks and smileys, and every preference of the program. It is saved to
// and loaded from "parlavox.xml" in the user directory.
//
// Every operation takes the object's own lock, so any thread may call it. The records it hands
// out by pointer are shared, not copied: guarding them is the business of whoever changes them.
#ifndef PARLAVOX_MODEL_CONFIG_H
#define PARLAVOX_MODEL_CONFIG_H

#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/contactInfo.h"
#include "model/messengerInfo.h"
#include "model/messengerProtocolInfo.h"
#include "model/recommendedSite.h"
#include "model/smiley.h"
#include "model/urlInfo.h"
#include "model/version.h"

// Chat mode: kept and saved, read by nothing.
enum t_chat_mode : int { CHAT_MODE_DEFAULT = 0 };

class Config {
 public:
  static Config* GetInstance();
  // Reads "parlavox.xml" into a new settings object that becomes the instance. True when there
  // is no file or it was read; false when it is too old or cannot be read (the instance is then
  // cleared and defaults are made on next use; the file is left as it is).
  static bool Load();
  // Writes the settings to "parlavox.xml" through a temporary file, so that a failure at any
  // step leaves the previous file whole. True on success.
  bool Save();
  // Moves "parlavox.xml" aside to "parlavox.backup.xml", so that the program can start afresh
  // without losing a file it could not read. An earlier backup is kept: the file then takes the
  // first free name of "parlavox.backup.1.xml", "parlavox.backup.2.xml"... True when moved;
  // otherwise `error`, when given, holds the system's error number.
  static bool BackupSettingsFile(int* error = nullptr);
  // Removes the temporary files that saves killed before their end left in the user directory.
  // A save under way (of this process or another) holds a lock on its file and is left alone;
  // so is any file changed in the last minute. Load calls it first.
  static void RemoveStaleSaveFiles();

  Config();
  // Member-wise: the copy shares the records of the original.
  Config(const Config& other);
  Config& operator=(const Config&) = delete;
  ~Config();

  // Data directory (read-only resources) and user directory (settings, log, images); both end in '/'.
  static void SetPath(const std::string& path);
  static std::string GetPath();
  static void SetUserPath(const std::string& path);
  static std::string GetUserPath();
  // The data directory's "img/" + name.
  static std::string GetImagePath(const std::string& name);

  void SetAutoConnectStatus(bool on);
  bool GetAutoConnectStatus() const;
  void SetAlwaysTopStatus(bool on);
  bool GetAlwaysTopStatus() const;
  void SetVisibleOnStart(bool on);
  bool IsVisibleOnStart() const;
  void SetChatMode(t_chat_mode mode);
  t_chat_mode GetChatMode() const;
  void SetPasswordSaved(bool on);
  bool IsPasswordSaved() const;
  void SetDefaultStatus(t_status status);
  t_status GetDefaultStatus() const;
  void SetDefaultSiteStatus(t_site_status status);
  t_site_status GetDefaultSiteStatus() const;
  void SetHostname(std::string host);
  std::string GetHostname() const;
  void SetPort(int port);
  int GetPort() const;
  void SetSSLEnabled(bool on);
  bool IsSSLEnabled() const;
  void SetFilePort(int port);
  int GetFilePort() const;
  void SetLastVersion(const std::string& version);
  std::string GetLastVersion() const;
  void SetNoActivityTimer(int delay);
  int GetNoActivityTimer() const;
  void SetAwayTimer(int delay);
  int GetAwayTimer() const;
  void SetProxyStatus(bool on);
  bool GetProxyStatus() const;
  void SetProxyHost(const std::string& host);
  std::string GetProxyHost() const;
  void SetProxyPort(unsigned short port);
  unsigned short GetProxyPort() const;
  void SetRememberClose(bool on);
  bool GetRememberClose() const;
  void SetClose(bool exit);
  bool GetClose() const;
  void SetRetryOnFailure(bool on);
  bool GetRetryOnFailure() const;
  void SetGroupMode(int mode);
  int GetGroupMode() const;
  void SetGroupOffline(int mode);
  int GetGroupOffline() const;
  // Negative width becomes 100, height below 100 becomes 100, negative x or y becomes 0.
  void SetCoordinates(int x, int y, int width, int height);
  int GetPositionX() const;
  int GetPositionY() const;
  int GetWidth() const;
  int GetHeight() const;
  unsigned int GetMessageMaxLength() const;
  void SetAutoStartStatus(bool on);
  bool GetAutoStartStatus() const;

  // The password is held enciphered; these take and give it in clear.
  void SetPassword(const std::string& plain);
  std::string GetPassword() const;

  ContactInfo* GetContactInfo() const;
  ContactInfo* GetDefaultContactInfo() const;
  void SetLogin(std::string login);
  void SetNickname(std::string nickname);
  std::string GetNickname() const;
  void SetMood(const std::string& mood);
  std::string GetMood() const;
  void SetCity(const std::string& city);
  std::string GetCity() const;
  void SetCountry(const std::string& country);
  std::string GetCountry() const;
  void SetBirth(int day, int month, int year);
  int GetBirthDay() const;
  int GetBirthMonth() const;
  int GetBirthYear() const;

  // The lists take no null record: adding one is refused with a trace.
  // Contacts and sites are found by login and by URL without walking the lists (a record is
  // known by the login or URL it had when it was added).
  std::vector<ContactInfo*> GetContacts() const;
  size_t CountContacts() const;
  void ClearContacts();
  // Puts `c` in the slot of the contact with its login, or appends it.
  void UpdateContact(ContactInfo* c);
  bool HasContact(const std::string& login) const;
  // The record the settings hold for `login` now; null when they hold none.
  ContactInfo* FindContact(const std::string& login) const;
  ContactInfo* RemoveContact(const std::string& login);
  std::vector<ContactInfo*> GetContactsOfGroup(const std::string& group) const;

  std::vector<std::string> GetGroups() const;
  // False when `name` is empty (no group) or already a group.
  bool AddGroup(const std::string& name);
  void RemoveGroup(const std::string& name);
  bool RenameGroup(const std::string& oldName, const std::string& newName);

  // Site URLs are stored lower-cased and compared without regard to the case of ASCII letters.
  std::vector<URLInfo*> GetAllURLInfo() const;
  URLInfo* GetURLInfo(const std::string& url) const;
  bool IsDefined(const std::string& url) const;
  void AddURLInfo(URLInfo* info);
  void RemoveURLInfo(const std::string& url);
  // Gives back a record that AddURLInfo took: the settings no longer hold it, nor free it.
  // False when they do not hold that record.
  bool ReleaseURLInfo(URLInfo* info);

  // Recommended sites live in memory only.
  bool AddRecommendedSite(const std::string& url, int weight);
  void DelRecommendedSite(const std::string& url);
  int GetNbrRecommendedSites() const;
  // NULL for an index outside the list.
  RecommendedSite* GetRecommendedSite(int index) const;

  std::vector<MessengerInfo*> GetMessengers() const;
  void AddMessenger(MessengerInfo* m);
  void RemoveMessenger(MessengerInfo* m);
  // The first account of the protocol whose login is `login`, or begins `login` before an "@".
  MessengerInfo* GetMessenger(const std::string& protocol, const std::string& login) const;
  std::vector<MessengerProtocolInfo*> GetMessengerProtocols() const;
  void AddMessengerProtocol(MessengerProtocolInfo* p);
  void ClearMessengerProtocols();
  MessengerProtocolInfo* GetMessengerProtocol(const std::string& protocol) const;

  std::vector<Smiley*> GetSmileys() const;
  void AddSmiley(Smiley* s);
  void RemoveSmiley(Smiley* s);

  // Settings file reading and writing (defined with the settings file code).
  template <class Archive>
  void serialize(Archive& ar, unsigned int version);

 private:
  // Brings values read from a file into the ranges the setters keep.
  void Sanitize();
  // The position of the first site record whose URL is `url`, whatever the case of its letters;
  // -1 when none (lock held).
  long FindSite(const std::string& url) const;
  // Make an index again from its list, the first record of each key winning (lock held).
  void RebuildContactIndex();
  void RebuildSiteIndex();
  // Makes `c` the instance (NULL: the next use makes a default one). A replaced instance is kept
  // alive, since callers may still hold its pointer.
  static void ReplaceInstance(Config* c);
  friend void StartConfigAfresh();
  friend void FreeReplacedConfigs();
  // Every record this object holds, each once, with the way to free it.
  std::map<const void*, std::function<void()>> Records() const;

  mutable std::mutex m_mutex;

  ContactInfo* m_ownInfo;
  bool m_autoConnect;
  bool m_alwaysTop;
  bool m_visibleStart;
  t_chat_mode m_chatMode;
  std::string m_password;
  bool m_savePassword;
  int m_nextSiteInfoNum;
  std::vector<URLInfo*> m_webSiteInfos;
  std::vector<ContactInfo*> m_contacts;
  ContactInfo* m_defaultContact;
  std::vector<std::string> m_groups;
  int m_legacyGroupMode;
  int m_groupMode;
  int m_groupOffline;
  std::vector<RecommendedSite*> m_recommendedSites;
  std::vector<MessengerInfo*> m_externalMessengers;
  std::vector<MessengerProtocolInfo*> m_externalMessengerProtocols;
  std::vector<Smiley*> m_smileys;
  // Site records and recommendations taken out: a window may still point to one, so they stay
  // allocated, and go with the settings at exit.
  std::vector<URLInfo*> m_removedWebSiteInfos;
  std::vector<RecommendedSite*> m_removedRecommendedSites;
  t_status m_defaultStatus;
  t_site_status m_defaultSiteStatus;
  std::string m_hostname;
  int m_port;
  bool m_sslEnabled;
  int m_filePort;
  std::string m_lastVersion;
  int m_noActivityTimer;
  int m_awayTimer;
  bool m_proxyStatus;
  std::string m_proxyHost;
  unsigned short m_proxyPort;
  bool m_rememberClose;
  bool m_close;
  bool m_retryOnFailure;
  int m_x;
  int m_y;
  int m_width;
  int m_height;

  // Position in `m_contacts` of the first record of each login, and in `m_webSiteInfos` of the first
  // record of each lower-cased URL; kept in step with the lists under the lock.
  std::unordered_map<std::string, size_t> m_contactIndex;
  std::unordered_map<std::string, size_t> m_siteIndex;
};

#endif
