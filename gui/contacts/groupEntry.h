// The header of a block of the contacts list: fold icon, bold title, and the counts of its
// contacts at the right. The title's menu renames or removes the group.
#ifndef PARLAVOX_GUI_CONTACTS_GROUPENTRY_H
#define PARLAVOX_GUI_CONTACTS_GROUPENTRY_H

#include <wx/panel.h>

#include <memory>
#include <string>

class CountsLabel;
class MyButtonBitmap;
class MyStaticText;
class wxMenu;

class GroupEntry : public wxPanel {
 public:
  GroupEntry(wxWindow* parent, const std::string& name, const wxString& label);
  ~GroupEntry() override;

  bool IsOpened() const { return m_opened; }
  void SetNbrUsers(int connected, int total);
  std::string GetGroupName() const { return m_name; }
  wxString GetTitle() const;
  wxString GetCountsText() const;
  MyStaticText* GetTitleText() const { return m_title; }
  MyButtonBitmap* GetFoldIcon() const { return m_foldIcon; }

  // The title's menu as it would open now.
  std::unique_ptr<wxMenu> BuildMenu();
  bool IsMenuShown() const { return m_menuShown; }
  // A new name typed for the group: false, with the user told, when it is too long.
  bool Rename(const wxString& newName);

  void OnBitmapMouseLeftDown(wxMouseEvent& event);
  void OnMouseRightDown(wxMouseEvent& event);
  void OnRenameGroup(wxCommandEvent& event);
  void OnDeleteGroup(wxCommandEvent& event);
  // Shares the header's width between the title and the counts before laying them out.
  bool Layout() override;

  static const int ID_RENAME_GROUP;
  static const int ID_REMOVE_GROUP;
  // Longest group name, in characters.
  static const size_t kMaxGroupName = 30;

 private:
  // Sizes the texts from their own fonts, and the header to hold them.
  void FitHeight();
  // Gives the title and the counts their widths within the header's.
  void FitTexts();

  MyStaticText* m_title;
  CountsLabel* m_counts;
  MyButtonBitmap* m_foldIcon;
  std::string m_name;
  bool m_opened = true;
  bool m_menuShown = false;
  // The widths the title and the counts take whole, and the one last given to the counts.
  int m_titleWidth = 0;
  int m_countsWhole = 0;
  int m_countsGiven = -1;

  wxDECLARE_EVENT_TABLE();
};

#endif
