// A contact's summary under the mouse: the contact's row in a box captioned "Profile", in a small
// frame without border or task-bar entry. The window that shows it (a room member's row, a
// site's block) decides when; a click on the tip hides it. The tip is a child of the window it
// was made for and goes with it: a user that shares one tip among many windows holds it by
// wxWeakRef.
#ifndef PARLAVOX_GUI_PROFILES_CONTACTINFOTOOLTIP_H
#define PARLAVOX_GUI_PROFILES_CONTACTINFOTOOLTIP_H

#include <wx/frame.h>

#include <string>
#include <vector>

#include "gui/contacts/contactEntry.h"

class AvatarBitmapPanel;
class ContactInfo;
class Manager;

class ContactInfoToolTip : public wxFrame, public ContactToolTipFace {
 public:
  // Made hidden.
  ContactInfoToolTip(wxWindow* parent, Manager* manager, const ContactInfo& contact);
  // Member rows of the chat rooms share one tip of this kind, made when first needed.
  static void InstallForRows();

  // Showing redraws the avatar first; the tip never takes the keyboard from where the user types.
  bool Show(bool show = true) override;
  // Another contact, or the same one's new data; shown or hidden as it was.
  void UpdateContactInfo(const ContactInfo& contact) override;
  void UpdateAvatar() override;
  std::string GetLogin() const override { return m_login; }
  // Moves the tip to `position` on the screen, kept inside it: 32 pixels clear above the bottom
  // edge, none at the right; never at a negative coordinate, even when larger than the screen.
  void MoveInsideScreen(const wxPoint& position) override;
  wxWindow* GetTipWindow() override { return this; }
  void OnLeftDown(wxMouseEvent& event);

 private:
  void Refit();
  static std::vector<AvatarBitmapPanel*> FindAvatars(wxWindow* parent);

  ContactEntry* m_row;
  std::string m_login;
  bool m_showing = false;
};

#endif
