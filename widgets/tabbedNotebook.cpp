#include "widgets/tabbedNotebook.h"

#include <wx/app.h>
#include <wx/settings.h>

#include <algorithm>

#include "widgets/tabDropTarget.h"
#include "widgets/tabNavigatorWindow.h"
#include "widgets/tabStrip.h"
#include "widgets/tabTextMetrics.h"

wxIMPLEMENT_DYNAMIC_CLASS(TabbedNotebook, wxPanel);

wxBEGIN_EVENT_TABLE(TabbedNotebook, wxPanel)
  EVT_CHAR_HOOK(TabbedNotebook::OnCharHook)
wxEND_EVENT_TABLE()

TabbedNotebook::TabbedNotebook() { Init(); }

TabbedNotebook::TabbedNotebook(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                               const wxSize& size, long style, const wxString& name) {
  Init();
  Create(parent, id, pos, size, style, name);
}

TabbedNotebook::~TabbedNotebook() {
  // Without Create the first sizer never went to the window.
  if (m_mainSizer != GetSizer()) delete m_mainSizer;
}

void TabbedNotebook::Init() {
  m_strip = nullptr;
  m_forceSelection = false;
  m_mainSizer = new wxBoxSizer(wxVERTICAL);
  m_pages.clear();
  m_dropTarget = nullptr;
  m_initialFirstTab = 0;
  m_tabPadding = 6;
  m_navigatorWindow = nullptr;
  m_sendPageEvents = true;
}

bool TabbedNotebook::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos,
                            const wxSize& size, long style, const wxString& name) {
  style |= wxTAB_TRAVERSAL;
  if (!wxPanel::Create(parent, id, pos, size, style, name)) return false;
  // wxPanel handles navigation keys itself; a handler bound here runs before it.
  Bind(wxEVT_NAVIGATION_KEY, &TabbedNotebook::OnNavigationKey, this);

  m_strip = new TabStrip(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, style);
  m_strip->SetBorderColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW));

  // The sizer made by Init was never given to the window.
  delete m_mainSizer;
  m_mainSizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(m_mainSizer);

  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));

  const int h = MeasureBoldTabText().GetHeight();
  m_strip->SetMinSize(wxSize(-1, h + 16));
  m_mainSizer->Insert(0, m_strip, 0, wxEXPAND, 0);
  m_mainSizer->Layout();
  m_strip->SetFirstVisibleTab(m_initialFirstTab);

  m_dropTarget = new TabDropTarget<TabbedNotebook>(this, &TabbedNotebook::OnDropTarget);
  SetDropTarget(m_dropTarget);
  return true;
}

bool TabbedNotebook::SendPageEvent(wxEventType type, int selection, int oldSelection) {
  TabbedNotebookEvent event(type, GetId(), selection, oldSelection);
  event.SetEventObject(this);
  GetEventHandler()->ProcessEvent(event);
  return event.IsAllowed();
}

void TabbedNotebook::PlacePageWindow(wxWindow* window) {
  if (HasFlag(TNB_BOTTOM_TABS))
    m_mainSizer->Insert(0, window, 1, wxEXPAND, 0);
  else
    m_mainSizer->Add(window, 1, wxEXPAND, 0);
}

bool TabbedNotebook::AddPage(wxWindow* page, const wxString& caption, bool select, int imageIndex) {
  return InsertPage(m_pages.size(), page, caption, select, imageIndex);
}

bool TabbedNotebook::InsertPage(size_t index, wxWindow* page, const wxString& caption, bool select,
                                int imageIndex) {
  if (!page || !m_strip) return false;
  page->Reparent(this);
  if (!m_strip->IsShown()) m_strip->Show();
  index = std::min(index, m_pages.size());
  bool selectIt = select || m_pages.empty();

  m_pages.insert(m_pages.begin() + index, page);
  // The strip keeps the selection on the page that was selected (now one place further when the
  // new page went in before it); SetSelection below moves it and sends the events.
  m_strip->InsertPage(index, page, caption, false, imageIndex);

  Freeze();
  page->Hide();
  if (selectIt) m_strip->SetSelection(index);
  m_mainSizer->Layout();
  Thaw();
  Refresh();
  return true;
}

bool TabbedNotebook::RemovePage(size_t page, bool notify) {
  if (page >= m_pages.size()) return false;
  if (notify && !SendPageEvent(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSING, static_cast<int>(page), -1))
    return false;
  Freeze();
  if (static_cast<int>(page) == m_strip->GetSelection()) m_mainSizer->Detach(m_pages[page]);
  m_pages.erase(m_pages.begin() + page);
  Thaw();
  m_strip->RemovePageRecord(page);
  if (notify) SendPageEvent(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSED, static_cast<int>(page), -1);
  return true;
}

void TabbedNotebook::DeletePage(size_t page, bool notify) {
  if (page >= m_pages.size()) return;
  if (notify && !SendPageEvent(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSING, static_cast<int>(page), -1))
    return;
  Freeze();
  wxWindow* window = m_pages[page];
  m_pages.erase(m_pages.begin() + page);
  DiscardPageWindow(window);
  Thaw();
  m_strip->RemovePageRecord(page);
  Refresh();
  if (notify) SendPageEvent(wxEVT_TABBEDNOTEBOOK_PAGE_CLOSED, static_cast<int>(page), -1);
}

void TabbedNotebook::DiscardPageWindow(wxWindow* window) {
  m_mainSizer->Detach(window);
  window->Hide();
  // Should the notebook go first, it destroys the window with its other children, and the
  // window's destructor takes it off the list of windows waiting to go.
  if (wxTheApp)
    wxTheApp->ScheduleForDestruction(window);
  else
    delete window;
}

bool TabbedNotebook::DeleteAllPages() {
  if (m_pages.empty()) return false;
  Freeze();
  std::vector<wxWindow*> windows;
  windows.swap(m_pages);
  for (wxWindow* window : windows) DiscardPageWindow(window);
  Thaw();
  m_strip->DeleteAllPages();
  return true;
}

void TabbedNotebook::SetSelection(size_t page) {
  if (page >= m_pages.size() || !m_strip) return;
  if (!m_strip->GetPageEnabled(page) && m_pages.size() > 1 && !m_forceSelection) return;
  // After a removal the strip has already chosen the page to show; nothing else is left to show,
  // so a veto cannot keep the old page there.
  if (m_sendPageEvents &&
      !SendPageEvent(wxEVT_TABBEDNOTEBOOK_PAGE_CHANGING, static_cast<int>(page),
                     GetSelection()) &&
      !m_forceSelection)
    return;

  int current = m_strip->GetSelection();
  Freeze();
  if (current >= 0 && current < static_cast<int>(m_pages.size())) {
    m_mainSizer->Detach(m_pages[current]);
    m_pages[current]->Hide();
  }
  // A window can be in the sizer only once.
  m_mainSizer->Detach(m_pages[page]);
  PlacePageWindow(m_pages[page]);
  m_pages[page]->Show();
  Thaw();
  m_mainSizer->Layout();

  if (m_strip->GetSelection() != static_cast<int>(page))
    m_strip->SetPreviousSelection(m_strip->GetSelection());
  m_strip->SetSelectionIndex(static_cast<int>(page));
  m_strip->EnsureTabVisible(page);

  if (m_sendPageEvents) SendPageEvent(wxEVT_TABBEDNOTEBOOK_PAGE_CHANGED, static_cast<int>(page), -1);
}

int TabbedNotebook::GetSelection() const { return m_strip ? m_strip->GetSelection() : -1; }

int TabbedNotebook::GetPreviousSelection() const {
  return m_strip ? m_strip->GetPreviousSelection() : -1;
}

void TabbedNotebook::AdvanceSelection(bool forward) {
  if (m_strip) m_strip->AdvanceSelection(forward);
}

int TabbedNotebook::GetPageCount() const {
  return m_strip ? static_cast<int>(m_strip->GetPageCount()) : 0;
}

wxWindow* TabbedNotebook::GetPage(size_t page) const {
  return page < m_pages.size() ? m_pages[page] : nullptr;
}

wxWindow* TabbedNotebook::GetCurrentPage() const {
  int sel = GetSelection();
  return sel < 0 ? nullptr : GetPage(static_cast<size_t>(sel));
}

int TabbedNotebook::GetPageIndex(wxWindow* window) const {
  for (size_t i = 0; i < m_pages.size(); ++i)
    if (m_pages[i] == window) return static_cast<int>(i);
  return -1;
}

void TabbedNotebook::SetWindowStyleFlag(long style) {
  wxPanel::SetWindowStyleFlag(style);
  if (!m_strip) return;
  // Re-placing the selected page moves the strip above or below it; no page events.
  m_sendPageEvents = false;
  int sel = m_strip->GetSelection();
  if (sel >= 0) SetSelection(static_cast<size_t>(sel));
  m_sendPageEvents = true;
}

void TabbedNotebook::SetImageList(TabImageList* list) { m_strip->SetImageList(list); }
TabImageList* TabbedNotebook::GetImageList() const { return m_strip->GetImageList(); }
void TabbedNotebook::SetPageImage(size_t page, int imageIndex) {
  m_strip->SetPageImage(page, imageIndex);
}
int TabbedNotebook::GetPageImage(size_t page) const { return m_strip->GetPageImage(page); }

bool TabbedNotebook::SetPageText(size_t page, const wxString& text) {
  bool done = m_strip->SetPageText(page, text);
  m_strip->Refresh();
  return done;
}

wxString TabbedNotebook::GetPageText(size_t page) const { return m_strip->GetPageText(page); }

void TabbedNotebook::EnablePage(size_t page, bool enabled) {
  if (page >= m_pages.size()) return;
  m_pages[page]->Enable(enabled);
  m_strip->EnablePage(page, enabled);
}

bool TabbedNotebook::GetPageEnabled(size_t page) const { return m_strip->GetPageEnabled(page); }

bool TabbedNotebook::GetPageTabAngle(int page, unsigned int* angle) const {
  if (page < 0 || page >= static_cast<int>(m_strip->GetPageCount()) || !angle) return false;
  *angle = m_strip->GetPageInfo(page).GetTabAngle();
  return true;
}

void TabbedNotebook::SetPageTabAngle(int page, unsigned int angle) {
  if (page < 0 || page >= static_cast<int>(m_strip->GetPageCount()) || angle >= 16) return;
  m_strip->GetPageInfo(page).SetTabAngle(angle);
}

void TabbedNotebook::SetAllPagesTabAngle(unsigned int angle) {
  if (angle >= 16) return;
  for (TabPageInfo& info : m_strip->GetPageInfoArray()) info.SetTabAngle(angle);
  Refresh();
}

wxSize TabbedNotebook::GetTabStripSize() const { return m_strip->GetClientSize(); }
void TabbedNotebook::SetTabPadding(const wxSize& padding) { m_tabPadding = padding.GetWidth(); }
void TabbedNotebook::SetRightClickMenu(wxMenu* menu) { m_strip->SetTabMenu(menu); }
void TabbedNotebook::SetCustomizeOptions(long options) { m_strip->SetCustomizeOptions(options); }
long TabbedNotebook::GetCustomizeOptions() const { return m_strip->GetCustomizeOptions(); }

void TabbedNotebook::SetGradientColourFrom(const wxColour& c) { m_strip->SetGradientColourFrom(c); }
const wxColour& TabbedNotebook::GetGradientColourFrom() const {
  return m_strip->GetGradientColourFrom();
}
void TabbedNotebook::SetGradientColourTo(const wxColour& c) { m_strip->SetGradientColourTo(c); }
const wxColour& TabbedNotebook::GetGradientColourTo() const {
  return m_strip->GetGradientColourTo();
}
void TabbedNotebook::SetBorderColour(const wxColour& c) { m_strip->SetBorderColour(c); }
const wxColour& TabbedNotebook::GetBorderColour() const { return m_strip->GetBorderColour(); }
void TabbedNotebook::SetGradientColours(const wxColour& from, const wxColour& to,
                                        const wxColour& border) {
  SetGradientColourFrom(from);
  SetGradientColourTo(to);
  SetBorderColour(border);
}
void TabbedNotebook::SetActiveTabTextColour(const wxColour& c) {
  m_strip->SetActiveTabTextColour(c);
}
const wxColour& TabbedNotebook::GetActiveTabTextColour() const {
  return m_strip->GetActiveTabTextColour();
}
void TabbedNotebook::SetNonActiveTabTextColour(const wxColour& c) {
  m_strip->SetNonActiveTabTextColour(c);
}
const wxColour& TabbedNotebook::GetNonActiveTabTextColour() const {
  return m_strip->GetNonActiveTabTextColour();
}
void TabbedNotebook::SetTabAreaColour(const wxColour& c) { m_strip->SetTabAreaColour(c); }
const wxColour& TabbedNotebook::GetTabAreaColour() const { return m_strip->GetTabAreaColour(); }
void TabbedNotebook::SetActiveTabColour(const wxColour& c) { m_strip->SetActiveTabColour(c); }
const wxColour& TabbedNotebook::GetActiveTabColour() const {
  return m_strip->GetActiveTabColour();
}

wxDragResult TabbedNotebook::OnDropTarget(wxCoord x, wxCoord y, int tabIndex,
                                          wxWindow* sourceStrip) {
  return m_strip->OnDropTarget(x, y, tabIndex, sourceStrip);
}

void TabbedNotebook::OnNavigationKey(wxNavigationKeyEvent& event) {
  if (!event.IsWindowChange()) {
    // A plain focus move belongs to the parent.
    if (GetParent()) {
      event.SetCurrentFocus(this);
      GetParent()->GetEventHandler()->ProcessEvent(event);
    }
    return;
  }
  if (HasFlag(TNB_SMART_TABBING)) {
    if (!m_navigatorWindow && GetPageCount() > 0) {
      m_navigatorWindow = new TabNavigatorWindow(this);
      m_navigatorWindow->ShowModal();
      m_navigatorWindow->Destroy();
      // Re-place the page the navigator chose and tell the listeners.
      int sel = GetSelection();
      if (sel >= 0) SetSelection(static_cast<size_t>(sel));
      m_navigatorWindow = nullptr;
    } else if (m_navigatorWindow) {
      m_navigatorWindow->OnListNavigationKey(event);
    }
    return;
  }
  AdvanceSelection(event.GetDirection());
}

void TabbedNotebook::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_TAB && event.ControlDown() && !event.AltDown()) {
    wxNavigationKeyEvent nav;
    nav.SetWindowChange(true);
    nav.SetDirection(!event.ShiftDown());
    nav.SetEventObject(this);
    OnNavigationKey(nav);
    return;
  }
  event.Skip();
}
