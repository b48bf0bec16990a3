// The modal page switcher that Ctrl+Tab opens on a notebook with smart tabbing: a header that
// reads "Opened tabs:" above the captions of all pages, current page first, previous page second.
#ifndef PARLAVOX_WIDGETS_TABNAVIGATORWINDOW_H
#define PARLAVOX_WIDGETS_TABNAVIGATORWINDOW_H

#include <wx/bitmap.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/timer.h>

#include <map>

class TabbedNotebook;

class TabNavigatorWindow : public wxDialog {
 public:
  TabNavigatorWindow();
  // parent: the notebook whose pages are listed.
  explicit TabNavigatorWindow(wxWindow* parent);
  ~TabNavigatorWindow() override;

  void Create(wxWindow* parent);
  // Moves the highlight one item in the event's direction, wrapping at both ends.
  void OnListNavigationKey(wxNavigationKeyEvent& event);
  // Releasing Ctrl selects the highlighted page.
  void OnListKeyUp(wxKeyEvent& event);
  void OnListDoubleClick(wxCommandEvent& event);
  // Selects the highlighted page in the notebook and ends the modal loop.
  void SelectAndClose();
  void FillPageList(TabbedNotebook* notebook);
  void OnHeaderPaint(wxPaintEvent& event);
  void OnHeaderEraseBackground(wxEraseEvent& event);
  // While the loop runs, a release of Ctrl that went to another window (typed before the
  // navigator had the keyboard) is noticed as well.
  int ShowModal() override;

  wxListBox* GetPageList() const { return pageList; }
  wxPanel* GetHeaderPanel() const { return headerPanel; }
  int GetSelectedItem() const { return selectedItem; }
  const std::map<int, int>& GetItemToPage() const { return itemToPage; }

  // Shared by every navigator of the process, made once and kept until wx shuts down.
  static int GetHeaderHeight() { return headerHeight; }
  static const wxBitmap& GetHeaderIcon() { return headerIcon; }
  static const wxBitmap& GetHeaderImage() { return headerImage; }
  // Frees the shared pictures; the next navigator makes them again.
  static void ReleaseSharedData();

 protected:
  // Ctrl+Tab and Ctrl+Shift+Tab reach the dialog as keys, not as navigation events, under GTK.
  void OnCharHook(wxKeyEvent& event);
  void OnControlWatch(wxTimerEvent& event);

  wxListBox* pageList;
  int selectedItem;
  std::map<int, int> itemToPage;
  wxPanel* headerPanel;
  wxTimer controlWatch;

  static wxBitmap headerIcon;
  static int headerHeight;
  static wxBitmap headerImage;
  static bool headerImagePending;
};

#endif
