// The tab strip of the tabbed notebook: page records, selection, first visible tab, colours.
// Drawing is left to the renderer of the notebook's current style.
#ifndef PARLAVOX_WIDGETS_TABSTRIP_H
#define PARLAVOX_WIDGETS_TABSTRIP_H

#include <wx/dnd.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/weakref.h>

#include <functional>
#include <vector>

#include "widgets/tabPageInfo.h"
#include "widgets/tabbedNotebookStyle.h"

class TabbedNotebook;
class TabImageList;
template <class T>
class TabDropTarget;

class TabStrip : public wxPanel {
 public:
  TabStrip(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size, long style);
  ~TabStrip() override;

  virtual void SetImageList(TabImageList* list);
  virtual TabImageList* GetImageList();
  virtual bool AddPage(const wxString& caption, bool select = false, int imageIndex = -1);
  virtual bool InsertPage(size_t index, wxWindow* page, const wxString& caption, bool select = false,
                          int imageIndex = -1);
  virtual void SetSelection(size_t page);
  virtual int GetSelection();
  virtual void AdvanceSelection(bool forward = true);
  virtual size_t GetPageCount();
  virtual wxString GetPageText(size_t page);
  virtual bool SetPageText(size_t page, const wxString& text);
  virtual void SetPageImage(size_t page, int imageIndex);
  virtual int GetPageImage(size_t page);
  virtual void EnablePage(size_t page, bool enabled);
  virtual bool GetPageEnabled(size_t page);
  virtual void OnPaint(wxPaintEvent& event);
  virtual void OnSize(wxSizeEvent& event);
  virtual void OnMouseMove(wxMouseEvent& event);
  virtual void OnLeftDown(wxMouseEvent& event);
  virtual void OnLeftUp(wxMouseEvent& event);
  virtual void OnRightDown(wxMouseEvent& event);
  virtual void OnMiddleDown(wxMouseEvent& event);
  virtual void OnEraseBackground(wxEraseEvent& event);
  virtual void OnMouseLeave(wxMouseEvent& event);
  virtual void OnMouseEnter(wxMouseEvent& event);
  virtual void OnLeftDClick(wxMouseEvent& event);
  virtual void OnTabListMenuSelection(wxCommandEvent& event);
  virtual void OnCustomize(wxCommandEvent& event);
  virtual bool HasDefaultTabShape();
  virtual wxColour GetBorderLineColour();
  virtual bool IsTabInVisibleRange(int page);
  virtual int HitTest(const wxPoint& pt, TabPageInfo& record, int& tabIndex);
  virtual void ShowTabToolTip(int tabIndex);
  virtual void ClosePage(size_t page);
  virtual void DeleteAllPages();
  virtual void RemovePageRecord(size_t page);
  virtual void EnsureTabVisible(size_t page);
  virtual int GetLastVisibleTab();
  virtual int GetScrollLeftStep();
  virtual int CountVisibleTabs();
  virtual wxDragResult OnDropTarget(int x, int y, int tabIndex, wxWindow* sourceStrip);
  virtual void MoveTabPage(int from, int to);
  virtual bool CanTabFit(int page);

  // Whether the notebook's style word has any of the bits of flag.
  bool HasNotebookStyle(long flag) const;
  // An image list is set and the page has an image index other than -1.
  bool TabHasImage(int page) const;
  void SetCustomizeOptions(long options) { m_customizeOptions = options; }
  long GetCustomizeOptions() const { return m_customizeOptions; }
  void ScrollTabsLeft();
  void ScrollTabsRight();
  void PopupTabListMenu();
  void ShowDropHint();

  // State read and written by the notebook, the renderers and the mouse handlers.
  TabbedNotebook* GetNotebook() const { return m_notebook; }
  TabPageInfo& GetPageInfo(size_t page) { return m_pageRecords[page]; }
  std::vector<TabPageInfo>& GetPageInfoArray() { return m_pageRecords; }
  int GetPreviousSelection() const { return m_nPrevSelection; }
  void SetPreviousSelection(int page) { m_nPrevSelection = page; }
  int GetFirstVisibleTab() const { return m_nFrom; }
  void SetFirstVisibleTab(int first) { m_nFrom = first; }
  // Stores the selection without swapping pages (the notebook does that).
  void SetSelectionIndex(int page) { m_nSelection = page; }

  int GetXButtonStatus() const { return m_nXButtonStatus; }
  void SetXButtonStatus(int status) { m_nXButtonStatus = status; }
  int GetLeftArrowStatus() const { return m_nLeftArrowStatus; }
  void SetLeftArrowStatus(int status) { m_nLeftArrowStatus = status; }
  int GetRightArrowStatus() const { return m_nRightArrowStatus; }
  void SetRightArrowStatus(int status) { m_nRightArrowStatus = status; }
  int GetTabXButtonStatus() const { return m_nTabXButtonStatus; }
  void SetTabXButtonStatus(int status) { m_nTabXButtonStatus = status; }
  int GetTabListButtonStatus() const { return m_nTabListButtonStatus; }
  void SetTabListButtonStatus(int status) { m_nTabListButtonStatus = status; }
  int GetLeftClickZone() const { return m_nLeftClickZone; }
  void SetLeftClickZone(int zone) { m_nLeftClickZone = zone; }

  // The menu shown on a right click on a tab; the strip owns it (a new one replaces the old).
  void SetTabMenu(wxMenu* menu);
  wxMenu* GetTabMenu() const { return m_tabMenu; }
  wxMenu* GetPropertiesMenu() const { return m_propertiesMenu; }

  wxColour& GetGradientColourFrom() { return m_gradientFrom; }
  void SetGradientColourFrom(const wxColour& c) { m_gradientFrom = c; }
  wxColour& GetGradientColourTo() { return m_gradientTo; }
  void SetGradientColourTo(const wxColour& c) { m_gradientTo = c; }
  wxColour& GetBorderColour() { return m_borderColour; }
  void SetBorderColour(const wxColour& c) { m_borderColour = c; }
  wxColour& GetActiveTabTextColour() { return m_activeTextColour; }
  void SetActiveTabTextColour(const wxColour& c) { m_activeTextColour = c; }
  wxColour& GetNonActiveTabTextColour() { return m_nonActiveTextColour; }
  void SetNonActiveTabTextColour(const wxColour& c) { m_nonActiveTextColour = c; }
  wxColour& GetTabAreaColour() { return m_tabAreaColour; }
  void SetTabAreaColour(const wxColour& c) { m_tabAreaColour = c; }
  wxColour& GetActiveTabColour() { return m_activeTabColour; }
  void SetActiveTabColour(const wxColour& c) { m_activeTabColour = c; }

  // Where a button is hit-tested (TNB_HIT_CLOSE_BUTTON, _LEFT_ARROW, _RIGHT_ARROW,
  // _TAB_LIST_BUTTON); empty for other codes.
  wxRect GetButtonHitRect(int code);
  // Pops the strip's menus up at the mouse position. Set, the hook is called instead of the
  // toolkit's menu loop (for tests, which cannot answer a real pop-up from inside its loop).
  typedef std::function<void(TabStrip* strip, wxMenu* menu)> MenuPopupHook;
  static void SetMenuPopupHook(const MenuPopupHook& hook);
  void PopupStripMenu(wxMenu* menu);
  // Repaints the X drawn on the selected tab.
  void RefreshTabCloseButton();

  // Menu text that shows a caption literally: "&" doubled, tabs and line breaks made spaces.
  static wxString EscapeMenuText(const wxString& text);

 protected:
  TabImageList* m_imageList;
  std::vector<TabPageInfo> m_pageRecords;
  int m_nSelection;
  int m_nFrom;
  TabDropTarget<TabStrip>* m_dropTarget;
  TabbedNotebook* m_notebook;
  wxMenu* m_tabMenu;
  wxColour m_gradientFrom;
  wxColour m_gradientTo;
  wxColour m_borderColour;
  wxColour m_activeTextColour;
  wxColour m_nonActiveTextColour;
  wxColour m_tabAreaColour;
  wxColour m_activeTabColour;
  int m_nXButtonStatus;
  int m_nLeftArrowStatus;
  int m_nRightArrowStatus;
  int m_nTabXButtonStatus;
  int m_nLeftClickZone;
  int m_nPrevSelection;
  int m_nTabListButtonStatus;
  wxMenu* m_propertiesMenu;
  long m_customizeOptions;
  // The page whose tab the left button went down on, and where: a drag carries that page once
  // the pointer has moved past the system's drag distance.
  wxWeakRef<wxWindow> m_pressedPage;
  wxPoint m_pressPoint;
  // The strip's tool tip shows a shortened caption whole (and goes with it).
  bool m_captionToolTip;

 private:
  // Whether the pointer, with the left button held, has gone far enough from the press to drag.
  bool PastDragDistance(const wxPoint& pt);

  wxDECLARE_EVENT_TABLE();
};

#endif
