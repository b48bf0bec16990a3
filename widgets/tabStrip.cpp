#include "widgets/tabStrip.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include "widgets/tabDropTarget.h"
#include "widgets/tabRendererMgr.h"
#include "widgets/tabTextMetrics.h"
#include "widgets/tabbedNotebook.h"

wxBEGIN_EVENT_TABLE(TabStrip, wxPanel)
  EVT_PAINT(TabStrip::OnPaint)
  EVT_SIZE(TabStrip::OnSize)
  EVT_LEFT_DOWN(TabStrip::OnLeftDown)
  EVT_LEFT_UP(TabStrip::OnLeftUp)
  EVT_RIGHT_DOWN(TabStrip::OnRightDown)
  EVT_MIDDLE_DOWN(TabStrip::OnMiddleDown)
  EVT_MOTION(TabStrip::OnMouseMove)
  EVT_ERASE_BACKGROUND(TabStrip::OnEraseBackground)
  EVT_LEAVE_WINDOW(TabStrip::OnMouseLeave)
  EVT_ENTER_WINDOW(TabStrip::OnMouseEnter)
  EVT_LEFT_DCLICK(TabStrip::OnLeftDClick)
wxEND_EVENT_TABLE()


TabStrip::TabStrip(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                   long style)
    : m_imageList(nullptr),
      m_nSelection(-1),
      m_nFrom(0),
      m_dropTarget(nullptr),
      m_notebook(static_cast<TabbedNotebook*>(parent)),
      m_tabMenu(nullptr),
      m_gradientFrom(*wxWHITE),
      m_gradientTo(wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVECAPTION)),
      m_activeTextColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)),
      m_nonActiveTextColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNTEXT)),
      m_tabAreaColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE)),
      m_activeTabColour(*wxWHITE),
      m_nXButtonStatus(TNB_BUTTON_NONE),
      m_nLeftArrowStatus(TNB_BUTTON_NONE),
      m_nRightArrowStatus(TNB_BUTTON_NONE),
      m_nTabXButtonStatus(TNB_BUTTON_NONE),
      m_nLeftClickZone(TNB_HIT_NOWHERE),
      m_nPrevSelection(-1),
      m_nTabListButtonStatus(TNB_BUTTON_NONE),
      m_propertiesMenu(nullptr),
      m_customizeOptions(TNB_OPTION_ALL),
      m_captionToolTip(false) {
  // The buffered paint covers the whole client area; nothing is erased first.
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Create(parent, id, pos, wxSize(size.GetWidth(), MeasureBoldTabText().GetHeight() + 10), style | wxBORDER_NONE,
         wxPanelNameStr);
  m_dropTarget = new TabDropTarget<TabStrip>(this, &TabStrip::OnDropTarget);
  SetDropTarget(m_dropTarget);
  // Drag payloads name the strip by the token it gets here.
  RegisterTabStrip(this);
}

TabStrip::~TabStrip() {
  UnregisterTabStrip(this);
  delete m_tabMenu;
  delete m_propertiesMenu;
}

void TabStrip::SetTabMenu(wxMenu* menu) {
  if (menu != m_tabMenu) delete m_tabMenu;
  m_tabMenu = menu;
}

bool TabStrip::HasNotebookStyle(long flag) const {
  return m_notebook && (m_notebook->GetWindowStyleFlag() & flag) != 0;
}

bool TabStrip::TabHasImage(int page) const {
  return m_imageList && page >= 0 && page < static_cast<int>(m_pageRecords.size()) &&
         m_pageRecords[page].GetImageIndex() != -1;
}

void TabStrip::SetImageList(TabImageList* list) { m_imageList = list; }
TabImageList* TabStrip::GetImageList() { return m_imageList; }
int TabStrip::GetSelection() { return m_nSelection; }
size_t TabStrip::GetPageCount() { return m_pageRecords.size(); }

bool TabStrip::AddPage(const wxString& caption, bool select, int imageIndex) {
  if (select) {
    m_nPrevSelection = m_nSelection;
    m_nSelection = static_cast<int>(m_pageRecords.size());
  }
  m_pageRecords.push_back(TabPageInfo(caption, imageIndex));
  Refresh(true, nullptr);
  return true;
}

bool TabStrip::InsertPage(size_t index, wxWindow* page, const wxString& caption, bool select,
                          int imageIndex) {
  if (index > m_pageRecords.size()) index = m_pageRecords.size();
  // The selection and the previous selection keep naming the same pages.
  if (m_nSelection >= static_cast<int>(index)) ++m_nSelection;
  if (m_nPrevSelection >= static_cast<int>(index)) ++m_nPrevSelection;
  if (select) {
    m_nPrevSelection = m_nSelection;
    m_nSelection = static_cast<int>(index);
  }
  m_pageRecords.insert(m_pageRecords.begin() + index, TabPageInfo(caption, imageIndex));
  Refresh(true, nullptr);
  return true;
}

void TabStrip::SetSelection(size_t page) {
  m_notebook->SetSelection(page);
  EnsureTabVisible(page);
}

void TabStrip::AdvanceSelection(bool forward) {
  int s = GetSelection();
  if (s < 0) return;
  int last = static_cast<int>(GetPageCount()) - 1;
  int next = forward ? (s == last ? 0 : s + 1) : (s == 0 ? last : s - 1);
  SetSelection(static_cast<size_t>(next));
}

wxString TabStrip::GetPageText(size_t page) {
  return page < m_pageRecords.size() ? m_pageRecords[page].GetCaption() : wxString();
}

bool TabStrip::SetPageText(size_t page, const wxString& text) {
  if (page >= m_pageRecords.size()) return false;
  m_pageRecords[page].SetCaption(text);
  return true;
}

void TabStrip::SetPageImage(size_t page, int imageIndex) {
  if (page >= m_pageRecords.size()) return;
  m_pageRecords[page].SetImageIndex(imageIndex);
  Refresh(true, nullptr);
}

int TabStrip::GetPageImage(size_t page) {
  return page < m_pageRecords.size() ? m_pageRecords[page].GetImageIndex() : -1;
}

void TabStrip::EnablePage(size_t page, bool enabled) {
  if (page < m_pageRecords.size()) m_pageRecords[page].SetEnabled(enabled);
}

bool TabStrip::GetPageEnabled(size_t page) {
  return page < m_pageRecords.size() ? m_pageRecords[page].GetEnabled() : true;
}

void TabStrip::OnPaint(wxPaintEvent& event) {
  wxBufferedPaintDC dc(this, wxBUFFER_CLIENT_AREA);
  TabSmartPtr<TabRenderer> renderer =
      GetRendererMgr()->RendererForStyle(m_notebook->GetWindowStyleFlag());
  renderer->DrawTabArea(this, dc, event);
}

void TabStrip::OnSize(wxSizeEvent& event) {
  TabSmartPtr<TabRenderer> renderer =
      GetRendererMgr()->RendererForStyle(m_notebook->GetWindowStyleFlag());
  int s = GetSelection();
  int m = 0;
  std::vector<wxRect> rects;
  for (; m < m_nFrom; ++m) {
    renderer->CountTabsThatFit(this, rects, m);
    if (s - m < static_cast<int>(rects.size())) break;
  }
  m_nFrom = m;
  Refresh(true, nullptr);
}

void TabStrip::OnEraseBackground(wxEraseEvent&) {}

bool TabStrip::HasDefaultTabShape() {
  return !HasNotebookStyle(TNB_BOXED) && !HasNotebookStyle(TNB_SHADED_TABS) &&
         !HasNotebookStyle(TNB_SLANTED);
}

wxColour TabStrip::GetBorderLineColour() {
  return HasNotebookStyle(TNB_SHADED_TABS) ? m_gradientFrom : *wxWHITE;
}

bool TabStrip::IsTabInVisibleRange(int page) {
  if (page > GetLastVisibleTab()) return false;
  return m_nFrom <= page;
}

int TabStrip::GetLastVisibleTab() {
  if (m_nFrom < 0) return -1;
  int i = m_nFrom;
  while (i < static_cast<int>(m_pageRecords.size()) && !m_pageRecords[i].IsHidden()) ++i;
  return i - 1;
}

int TabStrip::CountVisibleTabs() {
  int n = 0;
  for (int i = m_nFrom; i >= 0 && i < static_cast<int>(m_pageRecords.size()); ++i) {
    if (m_pageRecords[i].IsHidden()) break;
    ++n;
  }
  return n;
}

bool TabStrip::CanTabFit(int page) {
  if (page < m_nFrom) return false;
  TabSmartPtr<TabRenderer> renderer =
      GetRendererMgr()->RendererForStyle(m_notebook->GetWindowStyleFlag());
  std::vector<wxRect> rects;
  renderer->CountTabsThatFit(this, rects, -1);
  return page - m_nFrom < static_cast<int>(rects.size());
}

void TabStrip::EnsureTabVisible(size_t page) {
  if (page < GetPageCount()) {
    wxWindow* window = m_notebook->GetPage(page);
    if (window) window->SetFocus();
  }
  int p = static_cast<int>(page);
  if (!IsTabInVisibleRange(p) && !CanTabFit(p)) {
    if (m_nFrom > p) {
      m_nFrom = p;
    } else {
      while (m_nFrom < p) {
        ++m_nFrom;
        if (CanTabFit(p)) break;
      }
    }
  }
  Refresh(true, nullptr);
}

void TabStrip::RemovePageRecord(size_t page) {
  if (page >= m_pageRecords.size()) return;
  m_pageRecords.erase(m_pageRecords.begin() + page);
  const int p = static_cast<int>(page);
  const int count = static_cast<int>(m_pageRecords.size());

  int prev = m_nPrevSelection;
  if (prev > p)
    prev -= 1;
  else if (prev == p)
    prev = -1;

  int sel = m_nSelection;
  if (sel > p) {
    sel -= 1;
  } else if (sel == p) {
    // The selected page went: the previously selected one comes back, or the new last page
    // when the last one was closed. Closing some other page never moves the selection.
    sel = p >= count ? sel - 1 : prev;
  }
  m_nSelection = sel;
  m_nPrevSelection = prev;
  if (m_nSelection == m_nPrevSelection) m_nPrevSelection = -1;

  if (m_nSelection < 0 && count > 0) {
    m_nSelection = 0;
    m_nPrevSelection = -1;
  }
  if (m_nFrom >= count) m_nFrom = count > 0 ? count - 1 : 0;

  if (m_nSelection >= 0) {
    m_notebook->SetForceSelection(true);
    m_notebook->SetSelection(static_cast<size_t>(m_nSelection));
    m_notebook->SetForceSelection(false);
  }
  if (count == 0) {
    Hide();
    m_notebook->Layout();
  }
}

void TabStrip::DeleteAllPages() {
  m_nSelection = -1;
  m_nPrevSelection = -1;
  m_nFrom = 0;
  m_pageRecords.clear();
  Hide();
  m_notebook->Layout();
}

wxString TabStrip::EscapeMenuText(const wxString& text) {
  wxString out;
  out.reserve(text.length());
  for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
    wxUniChar c = *it;
    if (c == wxT('&'))
      out += wxT("&&");
    else if (c == wxT('\t') || c == wxT('\n') || c == wxT('\r'))
      out += wxT(' ');
    else
      out += c;
  }
  return out;
}
