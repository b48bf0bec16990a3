// The sites open in the user's browser, shown below the contacts once connected: a grey header
// row ("You are currently connected to:") with one button per browser extension, then one panel
// per site whose room the program entered, in the order the sites were opened. The main window
// routes every change of a site to its panel by URL; the panels' commands go back to the main
// window through its SubscribeChatRoomListener. The tips follow the pointer by its moves: a move
// over a site's name or people (or, while a tip shows, anywhere in the program) has the panel look
// where the pointer is once, 500 ms later. A pointer at rest wakes nothing, tip shown or not.
#ifndef PARLAVOX_GUI_SITES_SITESPANEL_H
#define PARLAVOX_GUI_SITES_SITESPANEL_H

#include <wx/scrolwin.h>
#include <wx/timer.h>

#include <map>
#include <string>
#include <vector>

#include "gui/sites/pointerMoves.h"
#include "model/extensionStatus.h"

class ExtensionButtonBitmap;
class Manager;
class SitePanel;
class SubscribeChatRoomListener;
class URLContactInfo;
class URLInfo;
class wxBoxSizer;
class wxPanel;

class SitesPanel : public wxScrolledWindow {
 public:
  // Extension buttons kept; a name heard of past this many gets none. A person has a few
  // browsers; each button costs some 20 KiB of windows and a layout of the header, and any local
  // program can make up names by the thousand.
  static constexpr size_t kMaxExtensionButtons = 16;
  // How soon the list closes up after a site left.
  static constexpr int kRefitDelayMs = 50;
  // How long after the pointer moved the sites' tips look where it is.
  static constexpr int kToolTipTickMs = 500;

  SitesPanel(Manager* manager, wxWindow* parent, SubscribeChatRoomListener* listener);
  ~SitesPanel() override;

  // ---- What the main window calls (sitesPanel.cpp).
  // The site's panel, made and shown at the bottom unless it exists.
  SitePanel* AddSitePanel(const URLInfo& info, const wxString& name);
  // True when the site had a panel, now gone.
  bool RemoveURL(const std::string& url);
  int GetContactsCount(const std::string& url) const;
  void UpdateContact(const URLContactInfo& info);
  void SwitchSubscribeChatRoom(const std::string& url, bool subscribed);
  void NotifyNewMessage(const std::string& url);
  void UpdateComments(const URLInfo& info);
  void UpdateGrade(const std::string& url, int grade);
  void UpdateAvatar(const std::string& login);
  // The session ended: every site leaves the panel; the extension buttons stay.
  void Disconnection();
  SitePanel* FindSitePanel(const std::string& url) const;
  const std::vector<SitePanel*>& GetSitePanels() const { return m_sitePanels; }

  // ---- The browser extensions (sitesPanelExtensions.cpp).
  void UpdateExtensionStatus(const std::string& name, t_extension_status status);
  ExtensionButtonBitmap* GetExtensionButton(const std::string& name) const;
  bool IsExtensionReady(const std::string& name) const;
  size_t GetExtensionCount() const { return m_extensionButtons.size(); }

  // ---- What the sites' panels ask; each goes to the main window unchanged.
  void OnOpenPrivateChatRoom(const std::string& login);
  void OnAddContact(const std::string& login, const std::string& message);
  void OnRemoveContact(const std::string& login, const std::string& message);
  void OnBlockContact(const std::string& login, const std::string& message);
  void OnUnblockContact(const std::string& login, const std::string& message);
  void OnReportAbuse(const std::string& url, const std::string& login, const std::string& message);
  void OnSwitchURLStatus(const std::string& url);
  void OnCloseChatRoom(const std::string& url);
  void OnSubscribeChatRoom(const std::string& url);
  void OnUnsubscribeChatRoom(const std::string& url);
  // The site's comments window.
  void OnOpenMessages(const std::string& url);
  // A site's panel grew or shrank: the sites below it move.
  void OnSitePanelResized(SitePanel* panel);
  // A panel taken out while its menu or question was open, destroyed from the event loop.
  void DestroyLater(SitePanel* panel);
  // The pointer moved onto or over a site's name or people, or left them (or a site came onto
  // it, or a menu of a site closed): one look where it is, shortly after. Moves until then cost
  // nothing more.
  void FollowPointer();
  // A look is due.
  bool IsFollowingPointer() const { return m_toolTipTimer.IsRunning(); }
  // Every move of the pointer in the program is followed (while a tip shows).
  bool IsWatchingAllMoves() const { return m_pointerMoves.IsWatching(); }

 private:
  void OnTimer(wxTimerEvent& event);
  void OnSize(wxSizeEvent& event);
  // The sites' list is laid out again shortly after a site leaves: many leaving at once (a
  // browser closing its tabs) cost one layout, not one each. The sites above `first` stay where
  // they are.
  void RefitSoon(size_t first);
  void OnSwitchExtensionStatus(wxMouseEvent& event);
  ExtensionButtonBitmap* CreateExtensionButton(const std::string& name);
  // Takes the panel out of the list and the sizer, and destroys it or has it wait.
  void Remove(SitePanel* panel);
  // The whole list laid out by its sizer: the width changed.
  void Refit();
  // The sites from the `first` one on placed below the one before, each at the height it asks
  // for, and the list's scrolled size set to hold them; the others are left as they are. With
  // hundreds of sites open, a site coming, going or growing moves only those below it.
  void PlaceFrom(size_t first);
  size_t IndexOf(const SitePanel* panel) const;

  Manager* m_manager;
  SubscribeChatRoomListener* m_listener;
  wxTimer m_toolTipTimer;
  PointerMoves m_pointerMoves;
  wxTimer m_refitTimer;
  std::vector<SitePanel*> m_sitePanels;
  // The first site whose place the next refit sets, and the width the list was last laid out at.
  size_t m_refitFrom = 0;
  int m_laidOutWidth = -1;
  // The scrolled size: the widest site's and the height of the whole list.
  wxSize m_fitSize;
  wxBoxSizer* m_mainSizer = nullptr;
  wxBoxSizer* m_headerSizer = nullptr;
  wxPanel* m_headerPanel = nullptr;
  std::map<std::string, ExtensionButtonBitmap*> m_extensionButtons;
  std::map<std::string, wxBitmap> m_enabledBitmaps;
  std::map<std::string, wxBitmap> m_disabledBitmaps;
  std::map<int, std::string> m_extensionNames;
  std::map<std::string, bool> m_extensionReady;
};

#endif
