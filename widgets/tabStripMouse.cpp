// Mouse handling of the tab strip: hit testing, tab selection, closing and the tab list.
#include <wx/tooltip.h>

#include "widgets/tabRendererMgr.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

int TabStrip::HitTest(const wxPoint& pt, TabPageInfo& record, int& tabIndex) {
  tabIndex = -1;
  if (m_pageRecords.empty()) return TNB_HIT_NOWHERE;
  for (int i = m_nFrom; i >= 0 && i < static_cast<int>(m_pageRecords.size()); ++i) {
    const TabPageInfo& info = m_pageRecords[i];
    if (info.IsHidden()) continue;
    if (HasNotebookStyle(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB) && i == m_nSelection &&
        info.GetXRect().Contains(pt)) {
      record = info;
      tabIndex = i;
      return TNB_HIT_TAB_CLOSE_BUTTON;
    }
    if (wxRect(info.GetPosition(), info.GetSize()).Contains(pt)) {
      record = info;
      tabIndex = i;
      return TNB_HIT_TAB;
    }
  }
  return TNB_HIT_NOWHERE;
}

void TabStrip::OnLeftDown(wxMouseEvent& event) {
  m_nXButtonStatus = m_nLeftArrowStatus = m_nRightArrowStatus = m_nTabXButtonStatus =
      m_nTabListButtonStatus = TNB_BUTTON_NONE;
  TabPageInfo record;
  int tab = -1;
  int code = HitTest(event.GetPosition(), record, tab);
  m_nLeftClickZone = code;
  if (code == TNB_HIT_TAB && tab != m_nSelection && GetPageEnabled(tab)) SetSelection(tab);
  if (code == TNB_HIT_TAB_CLOSE_BUTTON) {
    m_nTabXButtonStatus = TNB_BUTTON_PRESSED;
    Refresh(true, nullptr);
  }
}

void TabStrip::OnLeftUp(wxMouseEvent& event) {
  m_nLeftClickZone = TNB_HIT_NOWHERE;
  TabPageInfo record;
  int tab = -1;
  int code = HitTest(event.GetPosition(), record, tab);
  if (code == TNB_HIT_TAB_CLOSE_BUTTON && m_nTabXButtonStatus == TNB_BUTTON_PRESSED) {
    m_nTabXButtonStatus = TNB_BUTTON_HOVER;
    ClosePage(static_cast<size_t>(m_nSelection));
  }
  event.Skip();
}

void TabStrip::OnRightDown(wxMouseEvent&) {}
void TabStrip::OnMiddleDown(wxMouseEvent&) {}
void TabStrip::OnMouseMove(wxMouseEvent& event) { event.Skip(); }
void TabStrip::OnMouseLeave(wxMouseEvent& event) { event.Skip(); }
void TabStrip::OnMouseEnter(wxMouseEvent& event) {
  m_nLeftClickZone = TNB_HIT_NOWHERE;
  event.Skip();
}
void TabStrip::OnLeftDClick(wxMouseEvent& event) { event.Skip(); }

void TabStrip::OnTabListMenuSelection(wxCommandEvent& event) {
  if (event.GetId() >= 0) m_notebook->SetSelection(static_cast<size_t>(event.GetId()));
}

void TabStrip::OnCustomize(wxCommandEvent&) {}

void TabStrip::ShowTabToolTip(int tabIndex) {
  wxWindow* page = tabIndex < 0 ? nullptr : m_notebook->GetPage(static_cast<size_t>(tabIndex));
  if (page && page->GetToolTip() && page->GetToolTip()->GetWindow() == page)
    SetToolTip(page->GetToolTip()->GetTip());
}

void TabStrip::ClosePage(size_t page) {
  m_notebook->DeletePage(page, true);
  m_notebook->Refresh(true, nullptr);
}

int TabStrip::GetScrollLeftStep() { return m_nFrom >= 1 ? 1 : 0; }

void TabStrip::ScrollTabsLeft() {
  if (m_nFrom == 0 || m_nLeftArrowStatus != TNB_BUTTON_PRESSED) return;
  m_nLeftArrowStatus = TNB_BUTTON_HOVER;
  m_nFrom = std::max(0, m_nFrom - GetScrollLeftStep());
  Refresh(true, nullptr);
}

void TabStrip::ScrollTabsRight() {
  if (m_nFrom >= static_cast<int>(m_pageRecords.size()) - 1 ||
      m_nRightArrowStatus != TNB_BUTTON_PRESSED)
    return;
  m_nRightArrowStatus = TNB_BUTTON_HOVER;
  if (m_pageRecords.back().IsHidden()) {
    ++m_nFrom;
    Refresh(true, nullptr);
  }
}

void TabStrip::PopupTabListMenu() {
  wxMenu menu;
  for (size_t i = 0; i < m_pageRecords.size(); ++i) {
    const wxString& caption = m_pageRecords[i].GetCaption();
    menu.Append(static_cast<int>(i), EscapeMenuText(caption), caption);
  }
  menu.Bind(wxEVT_MENU, &TabStrip::OnTabListMenuSelection, this);
  PopupMenu(&menu);
}
