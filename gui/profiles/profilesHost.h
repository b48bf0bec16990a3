// What the profile windows ask of the main window: the window a profile opened from anywhere
// belongs to, a contact filed in another group, every view of the groups rebuilt, and the user's
// own nickname, mood and avatar shown where the main window shows them (the avatar is picked there).
//
// A profile window made by the main window is handed its host. A profile opened from anywhere
// else (a row, a site's menu, the nickname) is made under the window that Current() gives, set
// while the main window stands and null before and after.
#ifndef PARLAVOX_GUI_PROFILES_PROFILESHOST_H
#define PARLAVOX_GUI_PROFILES_PROFILESHOST_H

#include <string>

class wxFrame;

class ProfilesHost {
 public:
  virtual ~ProfilesHost() {}
  virtual wxFrame* GetProfilesOwner() = 0;
  virtual void UpdateGroup(const std::string& login, const std::string& group) = 0;
  virtual void UpdatePrivateContactsGroups() = 0;
  virtual void SetNickname(const std::string& nickname) = 0;
  virtual void SetMood(const std::string& mood) = 0;
  // Lets the user pick a new avatar picture.
  virtual void UpdateAvatar() = 0;

  static ProfilesHost* Current();
  // GUI thread only; the main window sets itself once made and null as it goes.
  static void SetCurrent(ProfilesHost* host);
};

#endif
