#include "model/contactInfo.h"

#include <algorithm>
#include <ctime>


const char* const kPrivateRoomPrefix = "prv://";

ContactInfo::ContactInfo()
    : status(STATUS_OFFLINE),
      previousStatus(STATUS_NONE),
      birthDay(0),
      birthMonth(0),
      birthYear(0),
      blocked(false),
      gender(GENDER_NONE) {}

ContactInfo::ContactInfo(const std::string& login_, const std::string& nickname_, const std::string& mood_,
                         const std::string& version_, t_status status_, const std::string& country_,
                         const std::string& city_, int birthDay_, int birthMonth_, int birthYear_,
                         const std::string& group_, const std::string& imType_, bool blocked_)
    : login(login_),
      nickname(nickname_),
      mood(mood_),
      status(status_),
      previousStatus(STATUS_NONE),
      country(country_),
      city(city_),
      birthDay(birthDay_),
      birthMonth(birthMonth_),
      birthYear(birthYear_),
      version(version_),
      group(group_),
      im_type(imType_),
      blocked(blocked_),
      gender(GENDER_NONE) {}

ContactInfo::ContactInfo(const ContactInfo& other) = default;
ContactInfo& ContactInfo::operator=(const ContactInfo& other) = default;
ContactInfo::~ContactInfo() = default;

std::string ContactInfo::GetLogin() const { return login; }
std::string ContactInfo::GetNickname() const { return nickname; }
std::string ContactInfo::GetMood() const { return mood; }
t_status ContactInfo::GetStatus() const { return status; }
t_status ContactInfo::GetPreviousStatus() const { return previousStatus; }
std::string ContactInfo::GetCountry() const { return country; }
std::string ContactInfo::GetCity() const { return city; }
int ContactInfo::GetBirthDay() const { return birthDay; }
int ContactInfo::GetBirthMonth() const { return birthMonth; }
int ContactInfo::GetBirthYear() const { return birthYear; }
std::string ContactInfo::GetVersion() const { return version; }
std::string ContactInfo::GetGroup() const { return group; }
std::string ContactInfo::GetImType() const { return im_type; }
bool ContactInfo::IsBlocked() const { return blocked; }
int ContactInfo::GetGender() const { return gender; }

void ContactInfo::SetLogin(const std::string& v) { login = v; }
void ContactInfo::SetNickname(const std::string& v) { nickname = v; }
void ContactInfo::SetMood(const std::string& v) { mood = v; }
void ContactInfo::SetCountry(const std::string& v) { country = v; }
void ContactInfo::SetCity(const std::string& v) { city = v; }
void ContactInfo::SetVersion(const std::string& v) { version = v; }
void ContactInfo::SetGroup(const std::string& v) { group = v; }
void ContactInfo::SetImType(const std::string& v) { im_type = v; }
void ContactInfo::SetBlocked(bool v) { blocked = v; }
void ContactInfo::SetGender(int v) { gender = v; }

void ContactInfo::SetBirth(int day, int month, int year) {
  birthDay = day;
  birthMonth = month;
  birthYear = year;
}

void ContactInfo::SetStatus(t_status s) {
  previousStatus = status;
  status = s;
}

// The look-ups below, as the record's making and setters above, are called for every contact of
// a list, a room or an update: they write no trace line, the operation that calls them does.
bool ContactInfo::IsConnected() const {
  return status != STATUS_NONE && status != STATUS_OFFLINE;
}

bool ContactInfo::IsPrivate() const {
  return login.compare(0, 6, kPrivateRoomPrefix) == 0;
}

int ContactInfo::GetAge() const {
  time_t now = time(nullptr);
  struct tm local {};
  localtime_r(&now, &local);
  return GetAgeAt(local.tm_year + 1900, local.tm_mon, local.tm_mday);
}

int ContactInfo::GetAgeAt(int year, int month, int day) const {
  int age = year - birthYear;
  if (month < birthMonth || (month == birthMonth && day < birthDay)) --age;
  return age;
}

t_notification_status ContactInfo::GetNotification(const std::string& key) const {
  return ReadNotification(notifications, login, key);
}

void ContactInfo::SetNotification(const std::string& key, t_notification_status value) {
  WriteNotification(notifications, key, value);
}

std::map<std::string, bool> ContactInfo::GetNotifications() const { return notifications; }

void ContactInfo::SetNotifications(const std::map<std::string, bool>& n) {
  notifications = n;
}

#define CONTACT_NOTIFICATION(Name, key)                                                               \
  t_notification_status ContactInfo::Get##Name() const { return GetNotification(key); } \
  void ContactInfo::Set##Name(t_notification_status v) { SetNotification(key, v); }

CONTACT_NOTIFICATION(LoginVisual, "login-visual")
CONTACT_NOTIFICATION(LoginBell, "login-bell")
CONTACT_NOTIFICATION(LogoutVisual, "logout-visual")
CONTACT_NOTIFICATION(LogoutBell, "logout-bell")
CONTACT_NOTIFICATION(OpenVisual, "open-visual")
CONTACT_NOTIFICATION(OpenBell, "open-bell")
CONTACT_NOTIFICATION(CloseVisual, "close-visual")
CONTACT_NOTIFICATION(CloseBell, "close-bell")
CONTACT_NOTIFICATION(SubscribeVisual, "subscribe-visual")
CONTACT_NOTIFICATION(SubscribeBell, "subscribe-bell")
CONTACT_NOTIFICATION(UnsubscribeVisual, "unsubscribe-visual")
CONTACT_NOTIFICATION(UnsubscribeBell, "unsubscribe-bell")
CONTACT_NOTIFICATION(MessageVisual, "message-visual")
CONTACT_NOTIFICATION(MessageBell, "message-bell")

bool ContactInfo::IsSubscribedTo(const std::string& url) const {
  return std::find(subscriptions.begin(), subscriptions.end(), url) != subscriptions.end();
}

void ContactInfo::SubscribeTo(const std::string& url) {
  if (std::find(subscriptions.begin(), subscriptions.end(), url) == subscriptions.end())
    subscriptions.push_back(url);
}

void ContactInfo::UnsubscribeFrom(const std::string& url) {
  auto it = std::find(subscriptions.begin(), subscriptions.end(), url);
  if (it != subscriptions.end()) subscriptions.erase(it);
}

void ContactInfo::ClearSubscriptions() { subscriptions.clear(); }

std::vector<std::string> ContactInfo::GetSubscriptions() const { return subscriptions; }

bool ContactInfo::HasPrivateChatRoomWith(const std::string& other) const {
  const std::string base = kPrivateRoomPrefix + im_type + "/";
  return IsSubscribedTo(base + other + ":" + login) || IsSubscribedTo(base + login + ":" + other);
}
