// The sites open in the browser, shown below the contacts once connected.
#ifndef PARLAVOX_GUI_SITESPANEL_H
#define PARLAVOX_GUI_SITESPANEL_H

#include "gui/callRecord.h"
#include <wx/string.h>
#include <map>
#include <set>
#include <string>
#include "model/extensionStatus.h"
#include <wx/scrolwin.h>

class Manager;
class URLContactInfo;
class URLInfo;
class SubscribeChatRoomListener;

class SitesPanel : public wxScrolledWindow, public CallRecord {
 public:
  SitesPanel(Manager* manager, wxWindow* parent, SubscribeChatRoomListener* listener);

  // Adds the site's panel; returns it once the panel exists.
  wxWindow* AddSitePanel(const URLInfo& site, const wxString& name);
  void SwitchSubscribeChatRoom(const std::string& url, bool subscribed);
  int GetContactsCount(const std::string& url) const;
  // True when the site was listed and is removed.
  bool RemoveURL(const std::string& url);
  void UpdateContact(const URLContactInfo& update);
  void UpdateComments(const URLInfo& site);
  void UpdateGrade(const std::string& url, int grade);
  void UpdateExtensionStatus(const std::string& name, t_extension_status status);
  void UpdateAvatar(const std::string& login);
  void NotifyNewMessage(const std::string& url);
  // The session ended: every site leaves the panel.
  void Disconnection();

 private:
  Manager* m_manager;
  SubscribeChatRoomListener* m_listener;
  // The sites listed, each with the logins shown on it.
  std::map<std::string, std::set<std::string>> m_sites;
};

#endif
