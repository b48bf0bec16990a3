// The modal page switcher that Ctrl+Tab opens on a notebook with smart tabbing.
#ifndef PARLAVOX_WIDGETS_TABNAVIGATORWINDOW_H
#define PARLAVOX_WIDGETS_TABNAVIGATORWINDOW_H

#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/panel.h>

#include <map>

class TabbedNotebook;

class TabNavigatorWindow : public wxDialog {
 public:
  TabNavigatorWindow();
  explicit TabNavigatorWindow(wxWindow* parent);
  ~TabNavigatorWindow() override;

  void Create(wxWindow* parent);
  // Moves the highlight one item in the event's direction, wrapping at both ends.
  void OnListNavigationKey(wxNavigationKeyEvent& event);
  void OnListKeyUp(wxKeyEvent& event);
  void OnListDoubleClick(wxCommandEvent& event);
  // Selects the highlighted page in the notebook and ends the modal loop.
  void SelectAndClose();
  void FillPageList(TabbedNotebook* notebook);

  wxListBox* GetPageList() const { return m_pageList; }

 protected:
  void OnCharHook(wxKeyEvent& event);

  wxListBox* m_pageList;
  int m_selectedItem;
  std::map<int, int> m_itemToPage;
  wxPanel* m_headerPanel;
};

#endif
