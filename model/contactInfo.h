// One user of the network as the client sees it: a contact, a chat-room member, the user's own
// profile, or the record holding the default notification settings for contacts.
#ifndef PARLAVOX_MODEL_CONTACTINFO_H
#define PARLAVOX_MODEL_CONTACTINFO_H

#include <wx/object.h>

#include <map>
#include <string>
#include <vector>

#include "model/notificationMap.h"

// Presence of a user; STATUS_NONE while none has been received.
enum t_status : int {
  STATUS_NONE = -1,
  STATUS_OFFLINE = 0,
  STATUS_ONLINE = 1,
  STATUS_NO_ACTIVITY = 2,
  STATUS_AWAY = 3,
  STATUS_BUSY = 4
};

// Gender values kept in a record: the protocol's man(0) / woman(1) plus one.
enum { GENDER_NONE = 0, GENDER_MAN = 1, GENDER_WOMAN = 2 };

// Prefix of the name of a private chat room.
extern const char* const kPrivateRoomPrefix;

class Config;

class ContactInfo : public wxObject {
 public:
  ContactInfo();
  ContactInfo(const std::string& login, const std::string& nickname, const std::string& mood,
              const std::string& version, t_status status, const std::string& country,
              const std::string& city, int birthDay, int birthMonth, int birthYear,
              const std::string& group, const std::string& imType, bool blocked);
  ContactInfo(const ContactInfo& other);
  ContactInfo& operator=(const ContactInfo& other);
  ~ContactInfo() override;

  std::string GetLogin() const;
  std::string GetNickname() const;
  std::string GetMood() const;
  t_status GetStatus() const;
  t_status GetPreviousStatus() const;
  std::string GetCountry() const;
  std::string GetCity() const;
  int GetBirthDay() const;
  // Counted from 0 (January).
  int GetBirthMonth() const;
  int GetBirthYear() const;
  std::string GetVersion() const;
  std::string GetGroup() const;
  std::string GetImType() const;
  bool IsBlocked() const;
  int GetGender() const;

  void SetLogin(const std::string& login);
  void SetNickname(const std::string& nickname);
  void SetMood(const std::string& mood);
  void SetCountry(const std::string& country);
  void SetCity(const std::string& city);
  void SetVersion(const std::string& version);
  void SetGroup(const std::string& group);
  void SetImType(const std::string& imType);
  void SetBirth(int day, int month, int year);
  void SetBlocked(bool blocked);
  void SetGender(int gender);
  // The current status becomes the previous one, then the new one is stored.
  void SetStatus(t_status status);

  bool IsConnected() const;
  bool IsPrivate() const;
  // Age in whole years at today's local date.
  int GetAge() const;
  // Age at the given date (month counted from 0).
  int GetAgeAt(int year, int month, int day) const;

  t_notification_status GetNotification(const std::string& key) const;
  void SetNotification(const std::string& key, t_notification_status value);
  std::map<std::string, bool> GetNotifications() const;
  void SetNotifications(const std::map<std::string, bool>& notifications);

  t_notification_status GetLoginVisual() const;
  t_notification_status GetLoginBell() const;
  t_notification_status GetLogoutVisual() const;
  t_notification_status GetLogoutBell() const;
  t_notification_status GetOpenVisual() const;
  t_notification_status GetOpenBell() const;
  t_notification_status GetCloseVisual() const;
  t_notification_status GetCloseBell() const;
  t_notification_status GetSubscribeVisual() const;
  t_notification_status GetSubscribeBell() const;
  t_notification_status GetUnsubscribeVisual() const;
  t_notification_status GetUnsubscribeBell() const;
  t_notification_status GetMessageVisual() const;
  t_notification_status GetMessageBell() const;
  void SetLoginVisual(t_notification_status value);
  void SetLoginBell(t_notification_status value);
  void SetLogoutVisual(t_notification_status value);
  void SetLogoutBell(t_notification_status value);
  void SetOpenVisual(t_notification_status value);
  void SetOpenBell(t_notification_status value);
  void SetCloseVisual(t_notification_status value);
  void SetCloseBell(t_notification_status value);
  void SetSubscribeVisual(t_notification_status value);
  void SetSubscribeBell(t_notification_status value);
  void SetUnsubscribeVisual(t_notification_status value);
  void SetUnsubscribeBell(t_notification_status value);
  void SetMessageVisual(t_notification_status value);
  void SetMessageBell(t_notification_status value);

  bool IsSubscribedTo(const std::string& url) const;
  void SubscribeTo(const std::string& url);
  void UnsubscribeFrom(const std::string& url);
  void ClearSubscriptions();
  std::vector<std::string> GetSubscriptions() const;
  // Subscribed to the one-to-one private room of this record's login and `other`, either order.
  bool HasPrivateChatRoomWith(const std::string& other) const;

  // Settings file reading and writing (defined with the settings file code).
  template <class Archive>
  void serialize(Archive& ar, unsigned int version);

 private:
  friend class Config;

  std::string login;
  std::string nickname;
  std::string mood;
  t_status status;
  t_status previousStatus;
  std::string country;
  std::string city;
  int birthDay;
  int birthMonth;
  int birthYear;
  std::string version;
  std::string group;
  std::string im_type;
  bool blocked;
  int gender;
  std::map<std::string, bool> notifications;
  std::vector<std::string> subscriptions;
};

#endif
