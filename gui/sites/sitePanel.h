// One site open in the user's browser, as the sites panel shows it: a header with the state of the
// site's room (blinking on new messages), a fold icon, the site's name, the Parlavoxers on the site
// and in its room, its comments and grade; below it a grid of the avatars of the people on the
// site (3 rows of 12; people past 36 wait hidden for a free cell). Right clicks open the site's
// menu and a person's menu.
//
// Thousands of people can be on one site: only those in the grid have an avatar (a window of its
// own); the others are records that wait, in order of arrival, for a cell to free. A person is
// found by login, and the counts are kept as people come, change and go, so that an update costs
// the same whoever else is on the site.
//
// A panel can be removed while a menu or a question of its own is open (the browser closed the
// site, the connection dropped): it is then hidden and taken out of the list at once, and
// destroyed once its menu or question is over. Avatars removed meanwhile wait the same way, and
// the menus' commands work on the login copied when the menu opened.
#ifndef PARLAVOX_GUI_SITES_SITEPANEL_H
#define PARLAVOX_GUI_SITES_SITEPANEL_H

#include <wx/gbsizer.h>
#include <wx/panel.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include <list>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/contactInfo.h"
#include "model/urlInfo.h"

class ChatButtonBitmap;
class ContactButtonBitmap;
class ContactInfoToolTip;
class Manager;
class MyStaticText;
class SiteButtonBitmap;
class SiteButtonBitmapMessages;
class SiteInfoToolTip;
class SitesPanel;
class URLContactInfo;
class WebSiteInfoFrame;
class wxMenu;

// The control ids of the sites panel and its sites' panels.
enum {
  ID_SUBSCRIBE_CHATROOM = wxID_HIGHEST + 3701,
  ID_CLOSE_URL,
  ID_SWITCH_URL_STATUS,
  ID_REMOVE_CONTACT,
  ID_ADD_CONTACT,
  ID_SEND_MESSAGE,
  ID_REPORT_ABUSE,
  ID_SHOW_PROFILE,
  ID_BLOCK_CONTACT,
  ID_UNBLOCK_CONTACT,
  ID_BLINK_TIMER,
  ID_SITE_PROFILE,
  ID_HOVER_TIMER,
  ID_REFIT_TIMER
};

class SitePanel : public wxPanel {
 public:
  static constexpr int kRows = 3;
  static constexpr int kColumns = 12;
  static constexpr int kBlinkTicks = 12;
  // The longest site name shown whole in the header.
  static constexpr size_t kMaxName = 49;
  // The narrowest the name gets when the window is narrow.
  static constexpr int kMinNameWidth = 40;
  // The grade's label is never narrower, and as wide as its text.
  static constexpr int kMinGradeWidth = 20;

  SitePanel(Manager* manager, wxWindow* parent, const wxString& name, const URLInfo& info, bool links);
  ~SitePanel() override;

  std::string GetURL() const { return m_urlInfo.GetURL(); }
  // The people shown on the site, hidden ones included.
  int GetNbrUsers() const { return int(m_people.size()); }

  // ---- Header (sitePanel.cpp).
  void NotifyNewMessage();
  void SwitchSubscribeChatRoom(bool subscribed);
  void UpdateComments(int nbrComments, float grade);
  void SetNbrUsers(int nbrUsers);
  void UpdateNbrUsers();
  void ShowRoomIcon(bool on);
  // The grade the user has just given the site.
  void UpdateGrade(int grade);

  // ---- The people on the site (sitePanelContacts.cpp).
  void UpdateContact(const URLContactInfo& update);
  // The avatar of a login; null when the person is not on the site or waits hidden for a cell.
  ContactButtonBitmap* FindContact(const std::string& login) const;
  // Whether the person is on the site, in the grid or waiting.
  bool HasContact(const std::string& login) const { return m_byLogin.count(login) > 0; }
  void UpdateAvatar(const std::string& login);
  // The panel needs another height than it has (after people came or went).
  bool NeedsResize();
  // Puts the counts beside the name or below it, as the panel's width allows, before laying out.
  bool Layout() override;
  bool AreCountsBesideName() const { return m_countsBeside; }

 protected:
  wxSize DoGetBestSize() const override;

 public:

  // ---- The pointer (at `pointer` on the screen) resting on the site's name shows the site's
  // tip, resting on an avatar the person's tip (sitePanelHover.cpp). Called by the sites panel
  // shortly after the pointer moved; `inView` false when the panel is scrolled out of the sites
  // panel's view. What the panel needs next, in rising order of need:
  enum class Hover {
    // Nothing: no tip shows. The pointer on the name or an avatar whose tip may not show now (a
    // menu of the panel open, another program in front) is looked at again once it moves, or
    // once the menu closed.
    kIdle,
    // A tip shows: a look after each move of the pointer in the program, which hides it once the
    // pointer left.
    kShown,
    // The site's tip shows and the pointer is on its way to it over none of the program's
    // windows, where its moves reach no window: looks until it is off the way or over one.
    kTracking,
  };
  Hover UpdateToolTip(const wxPoint& pointer, bool inView);

  // ---- Menus (sitePanelMenus.cpp). The menu a right click opens: the site's for a null
  // avatar, else the person's; the caller owns it. DisplayMenu pops it up and cleans up.
  wxMenu* BuildMenu(ContactButtonBitmap* button);
  void DisplayMenu(ContactButtonBitmap* button);

  // ---- Removal: hides the panel; it is destroyed at once, or once its menu or question is
  // over (then `dispose` is called from the event loop).
  void Retire();
  bool IsBusy() const { return m_busy > 0; }
  bool IsRetired() const { return m_retired; }

  // What the tests read.
  bool IsSubscribed() const { return m_subscribed; }
  bool IsOpened() const { return m_opened; }
  bool IsBlinking() const { return m_blinkTimer.IsRunning(); }
  bool IsMenuShown() const { return m_menuShown; }
  // The logins on the site in order of arrival, and the people in the room (walks them all).
  std::vector<std::string> GetLogins() const;
  int GetNbrChatRoomUsers() const { return m_nbrChatRoomUsers; }
  // The cell of a login's avatar; false when it has none (absent, or waiting hidden).
  bool GetCell(const std::string& login, wxGBPosition* cell) const;
  wxWindow* GetShownRoomIcon() const;
  wxWindow* GetShownFoldIcon() const;
  MyStaticText* GetSiteLabel() const { return m_siteLabel; }
  MyStaticText* GetUsersLabel() const { return m_usersLabel; }
  MyStaticText* GetChatRoomUsersLabel() const { return m_chatRoomUsersLabel; }
  MyStaticText* GetGradeLabel() const { return m_gradeLabel; }
  wxWindow* GetCommentsIcon() const;
  wxWindow* GetContactsPanel() const { return m_contactsPanel; }
  // The site's tip, made hidden when first asked for.
  SiteInfoToolTip* GetSiteToolTip();
  // The person's tip, null until first shown; the avatar it is shown for, or null.
  ContactInfoToolTip* GetContactToolTip() const { return m_contactToolTip; }
  ContactButtonBitmap* GetHoveredContact() const { return m_hoveredContact; }
  // The site's profile and settings window, null until first asked for.
  WebSiteInfoFrame* GetSiteInfoFrame() const { return m_siteInfoFrame; }
  const URLInfo& GetURLInfo() const { return m_urlInfo; }

 private:
  // Counts a menu or a question of the panel's own that is open.
  class Busy {
   public:
    explicit Busy(SitePanel* panel);
    ~Busy();

   private:
    wxWeakRef<SitePanel> m_panel;
  };

  SitesPanel* Sites() const;
  // Construction and the header (sitePanel.cpp).
  void CreateHeader(const wxString& name, bool links);
  void CreateCounts();
  void CreateGrid();
  void SetFoldIcon(SiteButtonBitmap* icon);
  void OnOpenCloseClicked(wxMouseEvent& event);
  void OnBlinkTimer(wxTimerEvent& event);
  void OnRoomIconClicked(wxMouseEvent& event);
  void OnSiteLabelClicked(wxMouseEvent& event);
  void OnCommentsClicked(wxMouseEvent& event);
  void RefitParent();
  void OnSize(wxSizeEvent& event);
  void PlaceCounts();

  // The tips (sitePanelHover.cpp).
  // The pointer coming onto, moving over or leaving the window has the sites panel look.
  void WatchPointer(wxWindow* window);
  // The site's tip shown or hidden by where the pointer is; what the panel needs for it.
  Hover UpdateSiteToolTip(const wxPoint& pointer);
  // Whether the pointer is over the sites' list, whose windows its moves reach.
  bool OverTheList(const wxPoint& pointer) const;
  // The avatar under the pointer, and whether a person's tip may show.
  ContactButtonBitmap* AvatarAt(const wxPoint& pointer) const;
  bool MayShowContactToolTip() const;
  void ShowContactToolTip(const wxPoint& pointer);
  void HideContactToolTip();

  // A person on the site: the record as last heard and, while the person has a cell, the avatar.
  struct Person {
    ContactInfo contact;
    bool inRoom = false;
    // Whether the picture is (or will be, once in the grid) crossed out.
    bool blocked = false;
    ContactButtonBitmap* avatar = nullptr;
    // The person's place among those waiting, while `avatar` is null.
    std::list<Person*>::iterator waiting;
  };
  using People = std::list<Person>;

  // The people (sitePanelContacts.cpp).
  Person* FindPerson(const std::string& login) const;
  void AddContact(const URLContactInfo& update);
  void ChangeContact(Person& person, const ContactInfo& contact);
  void RemoveContact(const std::string& login);
  // Gives the person an avatar in `cell`.
  void PlaceContact(Person& person, const wxGBPosition& cell, bool show);
  // Whether the avatar of one who leaves can go to the first person waiting, and the hand-over.
  bool CanHandOver() const;
  void HandOver(ContactButtonBitmap* button, const wxGBPosition& cell);
  // Takes an avatar out of the grid and destroys it, or keeps it hidden until the panel's menu
  // or question is over.
  void DisposeOf(ContactButtonBitmap* button);
  // The rows the grid shows (0 when hidden): the panel's height follows them.
  int ShownRows() const;
  // Lays the panel out once the current burst of updates is handled.
  void LayoutSoon();
  void DisposeLater();
  void PlaceHiddenContact();
  void Announce(const URLContactInfo& update, bool arrival);
  void OnContactClicked(wxMouseEvent& event);
  void EndBusy();

  // Menus and their commands (sitePanelMenus.cpp).
  void AppendContactItems(wxMenu* menu, const ContactInfo& record, bool saved);
  void AppendInviteItem(wxMenu* menu, const ContactInfo& record);
  void UnbindInvites();
  void OnContactRightClick(wxMouseEvent& event);
  void OnSiteRightClick(wxMouseEvent& event);
  void OnSubscribeChatRoom(wxCommandEvent& event);
  void OnCloseURL(wxCommandEvent& event);
  void OnSwitchURLStatus(wxCommandEvent& event);
  void OnSiteProfile(wxCommandEvent& event);
  void OnSendMessage(wxCommandEvent& event);
  void OnShowProfile(wxCommandEvent& event);
  void OnRemoveContact(wxCommandEvent& event);
  void OnAddContact(wxCommandEvent& event);
  void OnBlockContact(wxCommandEvent& event);
  void OnUnblockContact(wxCommandEvent& event);
  void OnReportAbuse(wxCommandEvent& event);
  void OnInviteContact(wxCommandEvent& event);
  // Asks the question; true on yes, with the text typed in *message.
  bool Confirm(const wxString& title, const wxString& message, const wxString& prompt, const wxString& yes,
               std::string* typed);
  void RefreshMenuContact();

  Manager* m_manager;
  MyStaticText* m_siteLabel = nullptr;
  MyStaticText* m_usersLabel = nullptr;
  MyStaticText* m_chatRoomUsersLabel = nullptr;
  MyStaticText* m_gradeLabel = nullptr;
  wxBoxSizer* m_mainSizer = nullptr;
  wxBoxSizer* m_headerSizer = nullptr;
  // The counts, the comments' icon and the grade, in the header or on a line of their own.
  wxBoxSizer* m_countsSizer = nullptr;
  bool m_countsBeside = true;
  SiteButtonBitmap* m_closedIcon = nullptr;
  SiteButtonBitmap* m_openedIcon = nullptr;
  SiteButtonBitmap* m_emptyIcon = nullptr;
  SiteButtonBitmapMessages* m_commentsIcon = nullptr;
  wxGridBagSizer* m_contactsGrid = nullptr;
  wxPanel* m_contactsPanel = nullptr;
  ChatButtonBitmap* m_roomIconOff = nullptr;
  ChatButtonBitmap* m_roomIconOn = nullptr;
  URLInfo m_urlInfo;
  // The site's mean grade as last heard, shown beside the user's own in the site's tip.
  float m_meanGrade;
  int m_nbrChatRoomUsers = 0;
  bool m_opened = false;
  bool m_subscribed = false;
  bool m_menuShown = false;
  std::map<int, std::string> m_inviteRooms;
  // The person whose menu is open, as it was when the menu opened.
  std::string m_menuLogin;
  std::string m_menuNickname;
  // Everyone on the site in order of arrival, found by login; those waiting for a cell in order.
  People m_people;
  std::unordered_map<std::string, People::iterator> m_byLogin;
  std::list<Person*> m_waiting;
  std::list<wxGBPosition> m_freeCells;
  std::map<std::string, wxGBPosition> m_cellByLogin;
  // What the header shows, so that it is written only when it changes.
  SiteButtonBitmap* m_foldIcon = nullptr;
  int m_shownUsers = -1;
  int m_shownChatRoomUsers = -1;
  // The rows shown at the last check of the panel's height, and whether a layout is on its way.
  int m_checkedRows = -1;
  bool m_layoutDue = false;
  // The size the panel was last laid out at on being sized.
  wxSize m_laidOutSize;
  SiteInfoToolTip* m_siteToolTip = nullptr;
  // Children of the panel, made when first needed and gone with it.
  ContactInfoToolTip* m_contactToolTip = nullptr;
  ContactButtonBitmap* m_hoveredContact = nullptr;
  WebSiteInfoFrame* m_siteInfoFrame = nullptr;
  wxTimer m_blinkTimer;
  int m_blinkCount = 0;
  bool m_blinkLit = false;
  // Menus and questions open, avatars waiting for them to end, and whether the panel itself waits.
  int m_busy = 0;
  std::vector<wxWeakRef<ContactButtonBitmap>> m_graveyard;
  bool m_retired = false;

  wxDECLARE_EVENT_TABLE();
};

#endif
