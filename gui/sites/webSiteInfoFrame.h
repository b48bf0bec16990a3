// One site's window: its name, audience and grades, and the eighteen switches that choose, for
// this site alone, which of the user's own and of other Parlavoxers' actions raise a pop-up or a
// sound. Each site's block makes one, hidden, and shows it from its menu.
#ifndef PARLAVOX_GUI_SITES_WEBSITEINFOFRAME_H
#define PARLAVOX_GUI_SITES_WEBSITEINFOFRAME_H

#include <wx/bitmap.h>
#include <wx/frame.h>

#include <map>
#include <string>

class Manager;
class MyButtonBitmapNotifier;
class URLInfo;
class wxBoxSizer;
class wxButton;
class wxFlexGridSizer;
class wxStaticText;
class wxTextCtrl;

class WebSiteInfoFrame : public wxFrame {
 public:
  // The eighteen keys, the user's own events first, then other Parlavoxers'.
  static constexpr int kSwitchCount = 18;
  static const char* const kKeys[kSwitchCount];

  WebSiteInfoFrame(wxWindow* parent, Manager* manager, const std::string& url, bool editor);
  ~WebSiteInfoFrame() override;

  // The grade line from the user's own grade and the site's mean grade (99 when there is none).
  void SetGrade(float grade, float average);
  // The users line: the other Parlavoxers on the site, and those in its chat room.
  void SetNbrUsers(int nbrUsers, int nbrChatRoomUsers);
  void SetWebSite(const std::string& url);
  std::string GetWebSite() const;

  // Puts every switch and the profile in the state of `site`; switch changes not saved are lost.
  void UpdateURLInfo(const URLInfo& site);

  wxBitmap* SelectBitmap(const std::string& key, bool visual);
  wxString SelectToolTip(const std::string& key, bool visual);
  wxString SelectContactToolTip(const std::string& event, bool visual);

  void OnSwitchNotifier(wxMouseEvent& event);
  void OnSetFocus(wxFocusEvent& event);
  void OnSave(wxCommandEvent& event);
  void OnCancel(wxCommandEvent& event);
  void OnClose(wxCloseEvent& event);
  void OnHelp(wxMouseEvent& event);

  // What the window holds, for the tests.
  const std::map<std::string, bool>& GetWorkingNotifications() const { return m_notifications; }
  MyButtonBitmapNotifier* GetSwitch(const std::string& key) const;

 private:
  void BuildProfile(const URLInfo& site);
  void ShowSiteStatus(int status);
  void BuildSwitchBoxes();
  void AddSwitchRow(wxFlexGridSizer* grid, const wxString& text, const std::string& event, bool contact,
                    int labelProportion, int labelFlags, int visualFlags, int bellFlags);
  MyButtonBitmapNotifier* MakeSwitch(const std::string& key, bool visual);
  wxString ToolTipFor(const std::string& key, bool visual);
  void RefreshSwitch(MyButtonBitmapNotifier* notifier);
  void EnableButtons(bool enable);
  int ChatRoomUsers(const URLInfo& site) const;

  std::string m_url;
  Manager* m_manager;
  wxStaticText* m_siteLabel = nullptr;
  wxStaticText* m_nbrUsersLabel = nullptr;
  wxStaticText* m_gradeLabel = nullptr;
  // Never made: the site is shown by its label in both modes.
  wxTextCtrl* m_siteField = nullptr;
  wxBoxSizer* m_sizer = nullptr;
  bool m_editor;
  std::map<std::string, bool> m_notifications;
  MyButtonBitmapNotifier* m_switches[kSwitchCount] = {};
  wxButton* m_saveButton = nullptr;
  wxButton* m_cancelButton = nullptr;
  // Shared by value (reference counted) with the switches that show them.
  wxBitmap m_popupBitmap, m_bellBitmap, m_emptyPopupBitmap, m_emptyBellBitmap, m_popupDefBitmap, m_bellDefBitmap;

  wxDECLARE_EVENT_TABLE();
};

#endif
