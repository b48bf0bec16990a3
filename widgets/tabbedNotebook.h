// The tabbed notebook: a tab strip and the selected page's window stacked in one sizer.
#ifndef PARLAVOX_WIDGETS_TABBEDNOTEBOOK_H
#define PARLAVOX_WIDGETS_TABBEDNOTEBOOK_H

#include <wx/bitmap.h>
#include <wx/dnd.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include <vector>

#include "widgets/tabPageInfo.h"
#include "widgets/tabbedNotebookEvent.h"
#include "widgets/tabbedNotebookStyle.h"

class TabStrip;
class TabNavigatorWindow;
template <class T>
class TabDropTarget;

// The images shown on tabs, by index. The owner keeps the list; the notebook only points at it.
class TabImageList : public std::vector<wxBitmap> {
 public:
  void Add(const wxBitmap& bitmap) { push_back(bitmap); }
  size_t GetCount() const { return size(); }
};

class TabbedNotebook : public wxPanel {
 public:
  TabbedNotebook();
  TabbedNotebook(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                 const wxSize& size = wxDefaultSize, long style = 0,
                 const wxString& name = wxT("TabbedNotebook"));
  ~TabbedNotebook() override;

  virtual void Init();
  bool Create(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0,
              const wxString& name = wxT("TabbedNotebook"));

  // Pages.
  bool AddPage(wxWindow* page, const wxString& caption, bool select = false, int imageIndex = -1);
  bool InsertPage(size_t index, wxWindow* page, const wxString& caption, bool select = false,
                  int imageIndex = -1);
  // Takes the page out; the caller takes over its window (neither hidden nor destroyed).
  bool RemovePage(size_t page, bool notify = true);
  // Takes the page out and destroys its window (when the events being handled are over).
  void DeletePage(size_t page, bool notify = true);
  // Takes every page out and destroys their windows as DeletePage does, sending no events; false
  // when there was none.
  bool DeleteAllPages();

  // Selection.
  void SetSelection(size_t page);
  int GetSelection() const;
  int GetPreviousSelection() const;
  void AdvanceSelection(bool forward = true);

  int GetPageCount() const;
  wxWindow* GetPage(size_t page) const;
  wxWindow* GetCurrentPage() const;
  int GetPageIndex(wxWindow* window) const;

  void SetWindowStyleFlag(long style) override;

  // Tabs.
  void SetImageList(TabImageList* list);
  TabImageList* GetImageList() const;
  void SetPageImage(size_t page, int imageIndex);
  int GetPageImage(size_t page) const;
  bool SetPageText(size_t page, const wxString& text);
  wxString GetPageText(size_t page) const;
  void EnablePage(size_t page, bool enabled);
  bool GetPageEnabled(size_t page) const;
  bool GetPageTabAngle(int page, unsigned int* angle) const;
  void SetPageTabAngle(int page, unsigned int angle);
  void SetAllPagesTabAngle(unsigned int angle);
  wxSize GetTabStripSize() const;
  void SetTabPadding(const wxSize& padding);
  int GetTabPadding() const { return m_tabPadding; }
  // The menu shown on a right click on a tab; the notebook takes it over.
  void SetRightClickMenu(wxMenu* menu);
  void SetCustomizeOptions(long options);
  long GetCustomizeOptions() const;

  // Colours of the tab strip (references to its fields; setting does not repaint).
  void SetGradientColourFrom(const wxColour& colour);
  const wxColour& GetGradientColourFrom() const;
  void SetGradientColourTo(const wxColour& colour);
  const wxColour& GetGradientColourTo() const;
  void SetBorderColour(const wxColour& colour);
  const wxColour& GetBorderColour() const;
  void SetGradientColours(const wxColour& from, const wxColour& to, const wxColour& border);
  void SetActiveTabTextColour(const wxColour& colour);
  const wxColour& GetActiveTabTextColour() const;
  void SetNonActiveTabTextColour(const wxColour& colour);
  const wxColour& GetNonActiveTabTextColour() const;
  void SetTabAreaColour(const wxColour& colour);
  const wxColour& GetTabAreaColour() const;
  void SetActiveTabColour(const wxColour& colour);
  const wxColour& GetActiveTabColour() const;

  // The notebook's drop target hands drops to its tab strip.
  wxDragResult OnDropTarget(wxCoord x, wxCoord y, int tabIndex, wxWindow* sourceStrip);

  // For the tab strip and the tab navigator.
  TabStrip* GetTabStrip() const { return m_strip; }
  std::vector<wxWindow*>& GetPageWindows() { return m_pages; }
  wxBoxSizer* GetMainSizer() const { return m_mainSizer; }
  bool GetForceSelection() const { return m_forceSelection; }
  void SetForceSelection(bool force) { m_forceSelection = force; }
  TabNavigatorWindow* GetNavigatorWindow() const { return m_navigatorWindow; }
  // Puts a page's window into the main sizer, above the strip with bottom tabs, else below it.
  void PlacePageWindow(wxWindow* window);

 protected:
  void OnNavigationKey(wxNavigationKeyEvent& event);
  // Ctrl+Tab reaches the notebook as a key, not as a navigation event, under GTK.
  void OnCharHook(wxKeyEvent& event);

 private:
  // Takes a closed page's window out of sight and destroys it once the handlers running now are
  // over: a page may be closed from one of its own handlers.
  void DiscardPageWindow(wxWindow* window);
  // Sends one of the notebook's events through its own event handler; false when vetoed.
  bool SendPageEvent(wxEventType type, int selection, int oldSelection);

  TabStrip* m_strip;
  bool m_forceSelection;
  wxBoxSizer* m_mainSizer;
  std::vector<wxWindow*> m_pages;
  TabDropTarget<TabbedNotebook>* m_dropTarget;
  int m_initialFirstTab;
  int m_tabPadding;
  TabNavigatorWindow* m_navigatorWindow;
  bool m_sendPageEvents;

  wxDECLARE_DYNAMIC_CLASS(TabbedNotebook);
  wxDECLARE_EVENT_TABLE();
};

#endif
