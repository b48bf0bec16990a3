// Everything the client knows about one web site: the user's status for it, what the server last
// said about it, and the user's notification settings for it.
#ifndef PARLAVOX_MODEL_URLINFO_H
#define PARLAVOX_MODEL_URLINFO_H

#include <wx/object.h>

#include <map>
#include <string>
#include <vector>

#include "model/contactInfo.h"
#include "model/recommendedSite.h"

// A site's own status: follow the default site status, blocked, or open.
enum t_site_status : int { SITE_DEFAULT = 0, SITE_BLOCKED = 1, SITE_OPEN = 2 };

// "No grade" for the site's mean grade and the user's own grade.
const float kNoGrade = 99.0f;
const int kNoUserGrade = 99;

// The URL with the ASCII letters lower-cased; other bytes are unchanged.
std::string NormalizeURL(std::string url);

class URLInfo : public wxObject {
 public:
  URLInfo();
  URLInfo(const std::string& url, t_site_status status, int nbrUsers, int nbrChatRoomUsers, int nbrComments,
          float grade, const std::string& idComments, int userGrade, const std::string& userComment,
          const std::vector<RecommendedSite>* recommendedSites);
  URLInfo(const URLInfo& other);
  URLInfo& operator=(const URLInfo& other);
  ~URLInfo() override;

  std::string GetURL() const;
  t_site_status GetStatus() const;
  int GetNbrUsers() const;
  int GetNbrChatRoomUsers() const;
  int GetNbrComments() const;
  float GetGrade() const;
  std::string GetIdComments() const;
  int GetUserGrade() const;
  std::string GetUserComment() const;
  std::vector<RecommendedSite> GetRecommendedSites() const;
  std::map<std::string, bool> GetNotifications() const;
  bool IsModified() const;

  void SetURL(const std::string& url);
  void SetNbrUsers(int n);
  void SetNbrChatRoomUsers(int n);
  void SetNbrComments(int n);
  void SetGrade(float grade);
  void SetIdComments(const std::string& id);
  void SetUserGrade(int grade);
  void SetUserComment(const std::string& comment);
  void SetRecommendedSites(const std::vector<RecommendedSite>& sites);
  // These mark the record modified, even when the value does not change.
  void SetStatus(t_site_status status);
  void SetNotifications(std::map<std::string, bool> notifications);
  void SetNotification(const std::string& key, t_notification_status value);

  t_notification_status GetNotification(const std::string& key) const;

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
  t_notification_status GetOpenVisualContact() const;
  t_notification_status GetOpenBellContact() const;
  t_notification_status GetCloseVisualContact() const;
  t_notification_status GetCloseBellContact() const;
  t_notification_status GetSubscribeVisualContact() const;
  t_notification_status GetSubscribeBellContact() const;
  t_notification_status GetUnsubscribeVisualContact() const;
  t_notification_status GetUnsubscribeBellContact() const;
  t_notification_status GetMessageVisualContact() const;
  t_notification_status GetMessageBellContact() const;

  void SetOpenVisual(t_notification_status value);
  void SetOpenBell(t_notification_status value);
  void SetCloseVisual(t_notification_status value);
  void SetCloseBell(t_notification_status value);
  void SetSubscribeVisual(t_notification_status value);
  void SetSubscribeBell(t_notification_status value);
  void SetUnsubscribeVisual(t_notification_status value);
  void SetUnsubscribeBell(t_notification_status value);
  void SetOpenVisualContact(t_notification_status value);
  void SetOpenBellContact(t_notification_status value);
  void SetCloseVisualContact(t_notification_status value);
  void SetCloseBellContact(t_notification_status value);
  void SetSubscribeVisualContact(t_notification_status value);
  void SetSubscribeBellContact(t_notification_status value);
  void SetUnsubscribeVisualContact(t_notification_status value);
  void SetUnsubscribeBellContact(t_notification_status value);

  // Settings file reading and writing (defined with the settings file code).
  template <class Archive>
  void serialize(Archive& ar, unsigned int version);

 private:
  friend class Config;

  std::string url;
  t_site_status status;
  int nbrUsers;
  int nbrChatRoomUsers;
  int nbrComments;
  float grade;
  std::string idComments;
  int userGrade;
  std::string userComment;
  std::vector<RecommendedSite> recommendedSites;
  std::map<std::string, bool> notifications;
  bool modified;
};

#endif
