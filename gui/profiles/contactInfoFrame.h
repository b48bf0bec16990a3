// The profile window of a contact or of the user; one per login at most.
#ifndef PARLAVOX_GUI_CONTACTINFOFRAME_H
#define PARLAVOX_GUI_CONTACTINFOFRAME_H

#include <wx/frame.h>

#include "gui/callRecord.h"

#include <map>
#include <string>

class ContactInfo;
class MessengerInfo;
class Manager;

class ContactInfoFrame : public wxFrame, public CallRecord {
 public:
  // The profile window of `login`, made unless it exists; null when the controller has no
  // record of that login. `own` marks the user's own profile.
  static ContactInfoFrame* CreateContactInfoFor(wxFrame* parent, Manager* manager, const std::string& login,
                                                bool own);
  static ContactInfoFrame* GetContactInfoFrame(const std::string& login);
  // Shows the profile window of `login`, made first (beside the main window) when there is none.
  static void OpenContactInfoFor(const std::string& login);

  static ContactInfoFrame* GetContactInfoFor(const std::string& login) { return GetContactInfoFrame(login); }
  // Update the open profile window of that login, or every open one.
  static void UpdateContactInfoFor(const ContactInfo& info);
  static void UpdateGroups();
  // Whether the profile of `login` can be edited (the user's own, while connected).
  static void EnableUpdate(const std::string& login, bool enable);
  static void SetConnectionStatusForAll(bool connected);
  // Hides every profile window and destroys it once the handlers running are over.
  static void RemoveAll();
  void UpdateMessengerInfo(MessengerInfo* account);
  void UpdateAvatar();

  ContactInfoFrame(wxFrame* parent, Manager* manager, const std::string& login, ContactInfo& info, bool mine);
  ~ContactInfoFrame() override;

 private:
  Manager* m_manager;
  std::string m_login;
  bool m_mine;
};

#endif
