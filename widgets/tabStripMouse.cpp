// Mouse handling of the tab strip: hit testing, the five buttons, clicks, menus and drag start.
#include <wx/cursor.h>
#include <wx/settings.h>
#include <wx/tooltip.h>

#include <algorithm>
#include <cstdlib>

#include "widgets/tabCustomizeDialog.h"
#include "widgets/tabDropTarget.h"
#include "widgets/tabRendererMgr.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

namespace {

// Buttons are hit-tested as 16 x 16 squares at this height, whatever the tab position.
const int kButtonHitY = 8;
const int kButtonSize = 16;

TabStrip::MenuPopupHook& PopupHook() {
  static TabStrip::MenuPopupHook hook;
  return hook;
}

// Names a page with a blank caption in the tab list.
const wxChar* const kUntitledMenuText = wxT("(untitled)");

// The strip whose disabled tab set the application's no-entry cursor, if any.
const TabStrip* g_noEntryCursorOwner = nullptr;

void ResetAllStatuses(TabStrip* strip) {
  strip->SetXButtonStatus(TNB_BUTTON_NONE);
  strip->SetLeftArrowStatus(TNB_BUTTON_NONE);
  strip->SetRightArrowStatus(TNB_BUTTON_NONE);
  strip->SetTabXButtonStatus(TNB_BUTTON_NONE);
  strip->SetTabListButtonStatus(TNB_BUTTON_NONE);
}

}  // namespace

void TabStrip::RefreshTabCloseButton() {
  if (m_nSelection < 0 || m_nSelection >= static_cast<int>(m_pageRecords.size())) return;
  wxRect rect = m_pageRecords[m_nSelection].GetXRect();
  if (rect.width > 0 && rect.height > 0) RefreshRect(rect.Inflate(2), false);
}

void TabStrip::SetMenuPopupHook(const MenuPopupHook& hook) { PopupHook() = hook; }

void TabStrip::PopupStripMenu(wxMenu* menu) {
  if (PopupHook())
    PopupHook()(this, menu);
  else
    PopupMenu(menu);
}

wxRect TabStrip::GetButtonHitRect(int code) {
  TabSmartPtr<TabRenderer> renderer =
      GetRendererMgr()->RendererForStyle(m_notebook->GetWindowStyleFlag());
  int x = 0;
  switch (code) {
    case TNB_HIT_CLOSE_BUTTON: x = renderer->CloseButtonX(this); break;
    case TNB_HIT_LEFT_ARROW: x = renderer->LeftArrowButtonX(this); break;
    case TNB_HIT_RIGHT_ARROW: x = renderer->RightArrowButtonX(this); break;
    case TNB_HIT_TAB_LIST_BUTTON: x = renderer->TabListButtonX(this); break;
    default: return wxRect();
  }
  return wxRect(x, kButtonHitY, kButtonSize, kButtonSize);
}

int TabStrip::HitTest(const wxPoint& pt, TabPageInfo& record, int& tabIndex) {
  tabIndex = -1;
  if (m_pageRecords.empty()) return TNB_HIT_NOWHERE;

  if (GetButtonHitRect(TNB_HIT_CLOSE_BUTTON).Contains(pt))
    return HasNotebookStyle(TNB_HIDE_CLOSE_BUTTON) ? TNB_HIT_NOWHERE : TNB_HIT_CLOSE_BUTTON;
  // The tab list button sits where the right arrow would be.
  if (HasNotebookStyle(TNB_DROP_DOWN_TAB_LIST) &&
      GetButtonHitRect(TNB_HIT_TAB_LIST_BUTTON).Contains(pt))
    return TNB_HIT_TAB_LIST_BUTTON;
  if (GetButtonHitRect(TNB_HIT_RIGHT_ARROW).Contains(pt))
    return HasNotebookStyle(TNB_NO_ROTATION_ARROWS) ? TNB_HIT_NOWHERE : TNB_HIT_RIGHT_ARROW;
  if (GetButtonHitRect(TNB_HIT_LEFT_ARROW).Contains(pt))
    return HasNotebookStyle(TNB_NO_ROTATION_ARROWS) ? TNB_HIT_NOWHERE : TNB_HIT_LEFT_ARROW;

  const bool slanted = HasNotebookStyle(TNB_SLANTED);
  int remembered = -1;
  for (int i = std::max(m_nFrom, 0); i < static_cast<int>(m_pageRecords.size()); ++i) {
    const TabPageInfo& info = m_pageRecords[i];
    if (info.IsHidden()) continue;
    if (HasNotebookStyle(TNB_CLOSE_BUTTON_ON_ACTIVE_TAB) && i == m_nSelection &&
        info.GetXRect().Contains(pt)) {
      record = info;
      tabIndex = i;
      return TNB_HIT_TAB_CLOSE_BUTTON;
    }
    if (!slanted) {
      if (wxRect(info.GetPosition(), info.GetSize()).Contains(pt)) {
        record = info;
        tabIndex = i;
        return TNB_HIT_TAB;
      }
    } else if (info.GetRegion().Contains(pt) != wxOutRegion) {
      // Slanted tabs overlap. The hit one is the one seen there: the selected tab is drawn last,
      // the others from right to left, so each lies over its right-hand neighbour.
      if (i == m_nSelection) {
        record = info;
        tabIndex = i;
        return TNB_HIT_TAB;
      }
      if (remembered == -1) {
        remembered = i;
        record = info;
        tabIndex = i;
      }
    }
  }
  return remembered != -1 ? TNB_HIT_TAB : TNB_HIT_NOWHERE;
}

void TabStrip::OnLeftDown(wxMouseEvent& event) {
  ResetAllStatuses(this);
  TabPageInfo record;
  int tab = -1;
  const int code = HitTest(event.GetPosition(), record, tab);
  m_nLeftClickZone = code;
  m_pressedPage = code == TNB_HIT_TAB ? m_notebook->GetPage(static_cast<size_t>(tab)) : nullptr;
  m_pressPoint = event.GetPosition();
  switch (code) {
    case TNB_HIT_TAB:
      if (tab != m_nSelection && GetPageEnabled(static_cast<size_t>(tab)))
        SetSelection(static_cast<size_t>(tab));
      break;
    case TNB_HIT_CLOSE_BUTTON: m_nXButtonStatus = TNB_BUTTON_PRESSED; break;
    case TNB_HIT_TAB_CLOSE_BUTTON: m_nTabXButtonStatus = TNB_BUTTON_PRESSED; break;
    case TNB_HIT_LEFT_ARROW: m_nLeftArrowStatus = TNB_BUTTON_PRESSED; break;
    case TNB_HIT_RIGHT_ARROW: m_nRightArrowStatus = TNB_BUTTON_PRESSED; break;
    case TNB_HIT_TAB_LIST_BUTTON: m_nTabListButtonStatus = TNB_BUTTON_PRESSED; break;
    default: break;
  }
  if (code != TNB_HIT_TAB && code != TNB_HIT_NOWHERE) Refresh(true, nullptr);
}

void TabStrip::OnLeftUp(wxMouseEvent& event) {
  m_nLeftClickZone = TNB_HIT_NOWHERE;
  m_pressedPage = nullptr;
  TabPageInfo record;
  int tab = -1;
  const int code = HitTest(event.GetPosition(), record, tab);
  switch (code) {
    case TNB_HIT_CLOSE_BUTTON:
      if (m_nXButtonStatus == TNB_BUTTON_PRESSED) {
        m_nXButtonStatus = TNB_BUTTON_HOVER;
        if (m_nSelection >= 0) ClosePage(static_cast<size_t>(m_nSelection));
      }
      break;
    case TNB_HIT_TAB_CLOSE_BUTTON:
      if (m_nTabXButtonStatus == TNB_BUTTON_PRESSED) {
        m_nTabXButtonStatus = TNB_BUTTON_HOVER;
        if (m_nSelection >= 0) ClosePage(static_cast<size_t>(m_nSelection));
      }
      break;
    case TNB_HIT_LEFT_ARROW: ScrollTabsLeft(); break;
    case TNB_HIT_RIGHT_ARROW: ScrollTabsRight(); break;
    case TNB_HIT_TAB_LIST_BUTTON:
      if (m_nTabListButtonStatus == TNB_BUTTON_PRESSED) {
        m_nTabListButtonStatus = TNB_BUTTON_NONE;
        RefreshRect(GetButtonHitRect(TNB_HIT_TAB_LIST_BUTTON).Inflate(0, 2), false);
        Update();
        PopupTabListMenu();
      }
      break;
    default: break;
  }
  event.Skip();
}

bool TabStrip::PastDragDistance(const wxPoint& pt) {
  // A system that cannot tell its drag distance gets the toolkit's usual one.
  const int kFallback = 8;
  int dx = wxSystemSettings::GetMetric(wxSYS_DRAG_X, this);
  int dy = wxSystemSettings::GetMetric(wxSYS_DRAG_Y, this);
  if (dx <= 0) dx = kFallback;
  if (dy <= 0) dy = kFallback;
  return std::abs(pt.x - m_pressPoint.x) > dx || std::abs(pt.y - m_pressPoint.y) > dy;
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
  // Only while the last tab is not drawn.
  if (m_pageRecords.back().IsHidden()) {
    ++m_nFrom;
    Refresh(true, nullptr);
  }
}

void TabStrip::OnMouseMove(wxMouseEvent& event) {
  if (m_pageRecords.empty() || !IsShown()) {
    event.Skip();
    return;
  }
  // A drag carries the tab that was pressed, whatever lies under the pointer now: pressing a tab
  // selects it, which can move the tabs under a pointer that has not moved.
  if (!event.LeftIsDown()) m_pressedPage = nullptr;
  if (m_pressedPage && !HasNotebookStyle(TNB_NO_DRAG_AND_DROP) &&
      PastDragDistance(event.GetPosition())) {
    const int pressed = m_notebook->GetPageIndex(m_pressedPage);
    m_pressedPage = nullptr;
    if (pressed >= 0) {
      // Returns when the drop is over; the strip may have changed meanwhile.
      StartTabDrag(this, pressed);
      event.Skip();
      return;
    }
  }
  const int oldStatus[5] = {m_nXButtonStatus, m_nLeftArrowStatus, m_nRightArrowStatus,
                            m_nTabXButtonStatus, m_nTabListButtonStatus};
  ResetAllStatuses(this);

  TabPageInfo record;
  int tab = -1;
  const int code = HitTest(event.GetPosition(), record, tab);
  bool overDisabledTab = false;

  if (code == TNB_HIT_TAB) {
    ShowTabToolTip(tab);
    if (!GetPageEnabled(static_cast<size_t>(tab))) {
      overDisabledTab = true;
      wxSetCursor(wxCursor(wxCURSOR_NO_ENTRY));
      g_noEntryCursorOwner = this;
    }
  } else if (code != TNB_HIT_NOWHERE) {
    int status = TNB_BUTTON_HOVER;
    if (event.LeftIsDown())
      status = m_nLeftClickZone == code ? TNB_BUTTON_PRESSED : TNB_BUTTON_NONE;
    switch (code) {
      case TNB_HIT_CLOSE_BUTTON: m_nXButtonStatus = status; break;
      case TNB_HIT_TAB_CLOSE_BUTTON: m_nTabXButtonStatus = status; break;
      case TNB_HIT_LEFT_ARROW: m_nLeftArrowStatus = status; break;
      case TNB_HIT_RIGHT_ARROW: m_nRightArrowStatus = status; break;
      case TNB_HIT_TAB_LIST_BUTTON: m_nTabListButtonStatus = status; break;
      default: break;
    }
  }
  // A whole caption is shown only over its tab.
  if (code != TNB_HIT_TAB && m_captionToolTip) {
    UnsetToolTip();
    m_captionToolTip = false;
  }
  // The no-entry cursor lasts only while the pointer is over a disabled tab.
  if (!overDisabledTab && g_noEntryCursorOwner == this) {
    wxSetCursor(wxNullCursor);
    g_noEntryCursorOwner = nullptr;
  }

  // Only buttons whose look changed are repainted.
  const int newStatus[5] = {m_nXButtonStatus, m_nLeftArrowStatus, m_nRightArrowStatus,
                            m_nTabXButtonStatus, m_nTabListButtonStatus};
  const int codes[5] = {TNB_HIT_CLOSE_BUTTON, TNB_HIT_LEFT_ARROW, TNB_HIT_RIGHT_ARROW,
                        TNB_HIT_TAB_CLOSE_BUTTON, TNB_HIT_TAB_LIST_BUTTON};
  for (int b = 0; b < 5; ++b) {
    if (oldStatus[b] == newStatus[b]) continue;
    if (codes[b] == TNB_HIT_TAB_CLOSE_BUTTON) {
      if (m_nSelection >= 0 && m_nSelection < static_cast<int>(m_pageRecords.size()))
        RefreshTabCloseButton();
    } else {
      RefreshRect(GetButtonHitRect(codes[b]).Inflate(0, 2), false);
    }
  }
  event.Skip();
}

void TabStrip::OnMouseLeave(wxMouseEvent& event) {
  m_nLeftArrowStatus = m_nXButtonStatus = m_nRightArrowStatus = m_nTabXButtonStatus =
      TNB_BUTTON_NONE;
  m_nTabListButtonStatus = TNB_BUTTON_NONE;
  if (g_noEntryCursorOwner == this) {
    wxSetCursor(wxNullCursor);
    g_noEntryCursorOwner = nullptr;
  }
  if (!m_pageRecords.empty()) {
    RefreshRect(GetButtonHitRect(TNB_HIT_CLOSE_BUTTON).Inflate(0, 2), false);
    RefreshRect(GetButtonHitRect(TNB_HIT_LEFT_ARROW).Inflate(0, 2), false);
    RefreshRect(GetButtonHitRect(TNB_HIT_RIGHT_ARROW).Inflate(0, 2), false);
    if (m_nSelection >= 0 && m_nSelection < static_cast<int>(m_pageRecords.size()) &&
        IsTabInVisibleRange(m_nSelection))
      RefreshTabCloseButton();
  }
  event.Skip();
}

void TabStrip::OnMouseEnter(wxMouseEvent& event) {
  m_nLeftArrowStatus = m_nXButtonStatus = m_nRightArrowStatus = TNB_BUTTON_NONE;
  m_nTabListButtonStatus = TNB_BUTTON_NONE;
  // A press made elsewhere never counts as a press on one of the strip's buttons.
  m_nLeftClickZone = TNB_HIT_NOWHERE;
  event.Skip();
}

void TabStrip::OnLeftDClick(wxMouseEvent& event) {
  TabPageInfo record;
  int tab = -1;
  const int code = HitTest(event.GetPosition(), record, tab);
  switch (code) {
    case TNB_HIT_CLOSE_BUTTON:
      // The second press of a double click presses the X again.
      OnLeftDown(event);
      break;
    case TNB_HIT_TAB:
      if (HasNotebookStyle(TNB_DOUBLE_CLICK_CLOSES_TAB)) ClosePage(static_cast<size_t>(tab));
      break;
    case TNB_HIT_LEFT_ARROW: ScrollTabsLeft(); break;
    case TNB_HIT_RIGHT_ARROW: ScrollTabsRight(); break;
    default: event.Skip(); break;
  }
}

void TabStrip::OnMiddleDown(wxMouseEvent& event) {
  if (!HasNotebookStyle(TNB_MIDDLE_BUTTON_CLOSES_TAB)) return;
  TabPageInfo record;
  int tab = -1;
  if (HitTest(event.GetPosition(), record, tab) == TNB_HIT_TAB) ClosePage(static_cast<size_t>(tab));
  event.Skip();
}

void TabStrip::OnRightDown(wxMouseEvent& event) {
  TabPageInfo record;
  int tab = -1;
  const int code = HitTest(event.GetPosition(), record, tab);
  if (code == TNB_HIT_NOWHERE) {
    if (!HasNotebookStyle(TNB_PROPERTIES_MENU)) return;
    if (!m_propertiesMenu) {
      m_propertiesMenu = new wxMenu(0L);
      wxMenuItem* item = m_propertiesMenu->Append(wxID_ANY, wxT("Properties..."), wxEmptyString);
      Bind(wxEVT_MENU, &TabStrip::OnCustomize, this, item->GetId());
    }
    PopupStripMenu(m_propertiesMenu);
    return;
  }
  if ((code == TNB_HIT_TAB || code == TNB_HIT_TAB_CLOSE_BUTTON) &&
      GetPageEnabled(static_cast<size_t>(tab))) {
    SetSelection(static_cast<size_t>(tab));
    if (m_tabMenu) {
      PopupStripMenu(m_tabMenu);
    } else {
      TabbedNotebookEvent menuEvent(wxEVT_TABBEDNOTEBOOK_CONTEXT_MENU, m_notebook->GetId(), tab,
                                    m_nSelection);
      menuEvent.SetEventObject(m_notebook);
      m_notebook->GetEventHandler()->ProcessEvent(menuEvent);
    }
  }
}

void TabStrip::PopupTabListMenu() {
  wxMenu menu;
  for (size_t i = 0; i < m_pageRecords.size(); ++i) {
    const wxString& caption = m_pageRecords[i].GetCaption();
    // Captions are peer-chosen names: shown literally, never as mnemonics or accelerators. A
    // blank one would make an item nobody can see (and a menu item needs a label).
    wxString text = EscapeMenuText(caption);
    if (wxString(text).Trim(true).Trim(false).empty()) text = kUntitledMenuText;
    menu.Append(static_cast<int>(i), text, caption);
  }
  menu.Bind(wxEVT_MENU, &TabStrip::OnTabListMenuSelection, this);
  PopupStripMenu(&menu);
}

void TabStrip::OnTabListMenuSelection(wxCommandEvent& event) {
  if (event.GetId() >= 0) m_notebook->SetSelection(static_cast<size_t>(event.GetId()));
}

void TabStrip::OnCustomize(wxCommandEvent&) {
  TabCustomizeDialog* dialog =
      new TabCustomizeDialog(this, m_customizeOptions, wxID_ANY, wxT("Customize"),
                             wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE);
  dialog->ShowModal();
  dialog->Destroy();
}

void TabStrip::ShowTabToolTip(int tabIndex) {
  wxWindow* page = tabIndex < 0 ? nullptr : m_notebook->GetPage(static_cast<size_t>(tabIndex));
  wxString pageTip;
  if (page && page->GetToolTip() && page->GetToolTip()->GetWindow() == page)
    pageTip = page->GetToolTip()->GetTip();
  // A caption shortened to fit the strip shows whole here, above the page's own tip.
  if (page && GetRendererMgr()
                  ->RendererForStyle(m_notebook->GetWindowStyleFlag())
                  ->IsCaptionShortened(this, tabIndex)) {
    wxString tip = GetPageText(static_cast<size_t>(tabIndex));
    if (!pageTip.empty()) tip += wxT("\n") + pageTip;
    SetToolTip(tip);
    m_captionToolTip = true;
  } else if (!pageTip.empty()) {
    SetToolTip(pageTip);
    m_captionToolTip = false;
  } else if (m_captionToolTip) {
    UnsetToolTip();
    m_captionToolTip = false;
  }
}

void TabStrip::ClosePage(size_t page) {
  m_notebook->DeletePage(page, true);
  m_notebook->Refresh(true, nullptr);
}
