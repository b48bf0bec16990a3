#include "model/urlInfo.h"

#include "model/log.h"
#include "model/stringConversion.h"

std::string NormalizeURL(std::string url) {
  return AsciiLower(url);
}

URLInfo::URLInfo()
    : status(SITE_DEFAULT),
      nbrUsers(0),
      nbrChatRoomUsers(0),
      nbrComments(0),
      grade(kNoGrade),
      userGrade(kNoUserGrade),
      modified(false) {
  TRACE_STARTEND();
}

URLInfo::URLInfo(const std::string& url_, t_site_status status_, int nbrUsers_, int nbrChatRoomUsers_,
                 int nbrComments_, float grade_, const std::string& idComments_, int userGrade_,
                 const std::string& userComment_, const std::vector<RecommendedSite>* recommendedSites_)
    : url(url_),
      status(status_),
      nbrUsers(nbrUsers_),
      nbrChatRoomUsers(nbrChatRoomUsers_),
      nbrComments(nbrComments_),
      grade(grade_),
      idComments(idComments_),
      userGrade(userGrade_),
      userComment(userComment_),
      modified(false) {
  TRACE_START_ARGS("%s", url_.c_str());
  if (recommendedSites_) recommendedSites = *recommendedSites_;
  TRACE_END();
}

URLInfo::URLInfo(const URLInfo& other) = default;
URLInfo& URLInfo::operator=(const URLInfo& other) = default;
URLInfo::~URLInfo() = default;

std::string URLInfo::GetURL() const { return url; }
t_site_status URLInfo::GetStatus() const { return status; }
int URLInfo::GetNbrUsers() const { return nbrUsers; }
int URLInfo::GetNbrChatRoomUsers() const { return nbrChatRoomUsers; }
int URLInfo::GetNbrComments() const { return nbrComments; }
float URLInfo::GetGrade() const { return grade; }
std::string URLInfo::GetIdComments() const { return idComments; }
int URLInfo::GetUserGrade() const { return userGrade; }
std::string URLInfo::GetUserComment() const { return userComment; }
std::vector<RecommendedSite> URLInfo::GetRecommendedSites() const { return recommendedSites; }
std::map<std::string, bool> URLInfo::GetNotifications() const { return notifications; }
bool URLInfo::IsModified() const { return modified; }

void URLInfo::SetURL(const std::string& v) { TRACE_STARTEND(); url = v; }
void URLInfo::SetNbrUsers(int v) { TRACE_STARTEND(); nbrUsers = v; }
void URLInfo::SetNbrChatRoomUsers(int v) { TRACE_STARTEND(); nbrChatRoomUsers = v; }
void URLInfo::SetNbrComments(int v) { TRACE_STARTEND(); nbrComments = v; }
void URLInfo::SetGrade(float v) { TRACE_STARTEND(); grade = v; }
void URLInfo::SetIdComments(const std::string& v) { TRACE_STARTEND(); idComments = v; }
void URLInfo::SetUserGrade(int v) { TRACE_STARTEND(); userGrade = v; }
void URLInfo::SetUserComment(const std::string& v) { TRACE_STARTEND(); userComment = v; }
void URLInfo::SetRecommendedSites(const std::vector<RecommendedSite>& v) { TRACE_STARTEND(); recommendedSites = v; }

void URLInfo::SetStatus(t_site_status v) {
  TRACE_START_ARGS("%d", static_cast<int>(v));
  status = v;
  modified = true;
  TRACE_END();
}

void URLInfo::SetNotifications(std::map<std::string, bool> v) {
  TRACE_STARTEND();
  notifications = std::move(v);
  modified = true;
}

void URLInfo::SetNotification(const std::string& key, t_notification_status value) {
  TRACE_STARTEND();
  WriteNotification(notifications, key, value);
  modified = true;
}

t_notification_status URLInfo::GetNotification(const std::string& key) const {
  return ReadNotification(notifications, url, key);
}

#define SITE_NOTIFICATION_GET(Name, key) \
  t_notification_status URLInfo::Get##Name() const { return GetNotification(key); }
#define SITE_NOTIFICATION(Name, key) \
  SITE_NOTIFICATION_GET(Name, key)   \
  void URLInfo::Set##Name(t_notification_status v) { TRACE_STARTEND(); SetNotification(key, v); }

SITE_NOTIFICATION(OpenVisual, "open-visual")
SITE_NOTIFICATION(OpenBell, "open-bell")
SITE_NOTIFICATION(CloseVisual, "close-visual")
SITE_NOTIFICATION(CloseBell, "close-bell")
SITE_NOTIFICATION(SubscribeVisual, "subscribe-visual")
SITE_NOTIFICATION(SubscribeBell, "subscribe-bell")
SITE_NOTIFICATION(UnsubscribeVisual, "unsubscribe-visual")
SITE_NOTIFICATION(UnsubscribeBell, "unsubscribe-bell")
SITE_NOTIFICATION_GET(MessageVisual, "message-visual")
SITE_NOTIFICATION_GET(MessageBell, "message-bell")
SITE_NOTIFICATION(OpenVisualContact, "open-visual-contact")
SITE_NOTIFICATION(OpenBellContact, "open-bell-contact")
SITE_NOTIFICATION(CloseVisualContact, "close-visual-contact")
SITE_NOTIFICATION(CloseBellContact, "close-bell-contact")
SITE_NOTIFICATION(SubscribeVisualContact, "subscribe-visual-contact")
SITE_NOTIFICATION(SubscribeBellContact, "subscribe-bell-contact")
SITE_NOTIFICATION(UnsubscribeVisualContact, "unsubscribe-visual-contact")
SITE_NOTIFICATION(UnsubscribeBellContact, "unsubscribe-bell-contact")
SITE_NOTIFICATION_GET(MessageVisualContact, "message-visual-contact")
SITE_NOTIFICATION_GET(MessageBellContact, "message-bell-contact")
