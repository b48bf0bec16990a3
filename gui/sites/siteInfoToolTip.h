// The small borderless window that sums up one site: its room's name, the Parlavoxers on the site
// and in its room, its grades, and the sites other Parlavoxers recommended with it, which open
// in the browser when chosen. Each site's panel makes one, hidden, and keeps it current.
#ifndef PARLAVOX_GUI_SITES_SITEINFOTOOLTIP_H
#define PARLAVOX_GUI_SITES_SITEINFOTOOLTIP_H

#include <wx/frame.h>
#include <wx/timer.h>

#include <string>
#include <vector>

#include "model/recommendedSite.h"

class Manager;
class URLInfo;
class wxListBox;
class wxStaticBoxSizer;
class wxStaticText;

class SiteInfoToolTip : public wxFrame {
 public:
  SiteInfoToolTip(wxWindow* parent, Manager* manager, const URLInfo& site);
  ~SiteInfoToolTip() override;

  void SetNbrUsers(int nbrUsers, int nbrChatRoomUsers);
  // Grades above 10 stand for "no grade".
  void SetGrade(float userGrade, float grade);
  // Moves the window to `position`, kept on the screen (32 pixels free at the bottom).
  void MoveInsideScreen(const wxPoint& position);
  // Where MoveInsideScreen puts a window of `size` asked for at `position` on a screen of `screen`.
  static wxPoint InsideScreen(const wxPoint& position, const wxSize& size, const wxSize& screen);
  // Shows the window where the pointer is, without taking the keyboard from the user's window.
  void ShowAt(const wxPoint& position);
  // Where the tip of `size` goes to sum up the site whose name is at `name` in `window`: beside the
  // window, level with the name, on its right when that side has room in `area`, else on its left,
  // so that it covers none of the window's rows; inside `area` in any case.
  static wxPoint BesideWindow(const wxRect& name, const wxRect& window, const wxSize& size, const wxRect& area);
  // Shows the tip beside the window by BesideWindow, in the work area of the window's display.
  void ShowBeside(const wxRect& name, const wxWindow* window);
  // Whether `pointer` is on its way from the name at `name` to the shown tip: in the band level
  // with the name that joins them.
  bool OnWayFrom(const wxRect& name, const wxPoint& pointer) const;

  wxString GetUsersText() const;
  wxString GetGradeText() const;
  wxString GetNameText() const;
  // The recommended sites in the order listed (alphabetical); empty without the list.
  const std::vector<std::string>& GetRecommendedSites() const { return m_recommended; }
  wxListBox* GetRecommendedList() const { return m_recommendedList; }

 private:
  // Shown if hidden and brought above the window it floats on; the keyboard stays where it was.
  void ShowAbove();
  void AddRecommendedSites(const std::vector<RecommendedSite>& sites);
  void OnClose(wxMouseEvent& event);
  void OnKillFocus(wxFocusEvent& event);
  void OnSiteSelected(wxCommandEvent& event);
  void OnListClick(wxMouseEvent& event);
  void OnListKey(wxKeyEvent& event);
  // Opens the site on `line` of the list when it is a web address, and hides the tip.
  void OpenRecommended(int line);
  void OnTimer(wxTimerEvent& event);

  wxStaticText* m_nameLabel = nullptr;
  wxStaticText* m_usersLabel = nullptr;
  wxStaticText* m_gradeLabel = nullptr;
  wxStaticBoxSizer* m_recommendedBox = nullptr;
  wxListBox* m_recommendedList = nullptr;
  wxTimer m_hideTimer;
  // Set by a key in the list: the toolkit also selects a line by itself when the list takes the
  // focus, which must open nothing.
  bool m_userChoosing = false;
  // The addresses behind the list's lines, which show them shortened.
  std::vector<std::string> m_recommended;
};

#endif
