// Tab drag and drop on the tab strip: the dropping side moves the page.
#include <wx/utils.h>

#include "widgets/tabDropTarget.h"
#include "widgets/tabRendererMgr.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

wxDragResult TabStrip::OnDropTarget(int x, int y, int pageIndex, wxWindow* sourceWindow) {
  TabStrip* source = dynamic_cast<TabStrip*>(sourceWindow);
  // The drop target has checked the payload; the strip checks again what it relies on.
  if (!source || FindTabStrip(TabStripToken(source)) != source || pageIndex < 0 ||
      pageIndex >= static_cast<int>(source->GetPageCount()))
    return wxDragNone;
  if (!source->GetPageEnabled(static_cast<size_t>(pageIndex))) return wxDragCancel;

  TabPageInfo record;
  int target = -1;
  const int code = HitTest(wxPoint(x, y), record, target);
  TabbedNotebook* sourceBook = source->GetNotebook();
  TabbedNotebook* targetBook = m_notebook;

  if (sourceBook == targetBook) {
    if (code == TNB_HIT_TAB) MoveTabPage(pageIndex, target);
    return wxDragMove;
  }

  if (!targetBook->HasFlag(TNB_DRAG_BETWEEN_NOTEBOOKS)) return wxDragMove;
  wxWindow* window = sourceBook->GetPage(static_cast<size_t>(pageIndex));
  if (!window) return wxDragMove;
  const wxString caption = source->GetPageText(static_cast<size_t>(pageIndex));

  // The image goes along only when both strips have image lists and the page has one.
  wxBitmap image;
  const int sourceImage = source->GetPageImage(static_cast<size_t>(pageIndex));
  if (m_imageList && source->GetImageList() && sourceImage >= 0 &&
      sourceImage < static_cast<int>(source->GetImageList()->GetCount()))
    image = (*source->GetImageList())[sourceImage];

  // A source that vetoes the removal keeps its page; it must not end up in two notebooks.
  if (!sourceBook->RemovePage(static_cast<size_t>(pageIndex), true)) return wxDragNone;

  int newImage = -1;
  if (image.IsOk()) {
    m_imageList->Add(image);
    newImage = static_cast<int>(m_imageList->GetCount()) - 1;
  }
  window->Reparent(targetBook);
  const size_t at = target < 0 ? targetBook->GetPageWindows().size() : static_cast<size_t>(target);
  targetBook->InsertPage(at, window, caption, true, newImage);
  return wxDragMove;
}

void TabStrip::MoveTabPage(int from, int to) {
  std::vector<wxWindow*>& pages = m_notebook->GetPageWindows();
  const int count = static_cast<int>(pages.size());
  // Indexes come from a drag that may have outlived the pages it named.
  if (from == to || from < 0 || from >= count || to < 0 ||
      count != static_cast<int>(m_pageRecords.size()))
    return;
  const int pos = to < count ? to : count - 1;

  m_notebook->Freeze();
  if (m_nSelection >= 0 && m_nSelection < count) {
    m_notebook->GetMainSizer()->Detach(pages[m_nSelection]);
    pages[m_nSelection]->Hide();
  }
  wxWindow* moved = pages[from];
  pages.erase(pages.begin() + from);
  pages.insert(pages.begin() + pos, moved);
  TabPageInfo record = m_pageRecords[from];
  m_pageRecords.erase(m_pageRecords.begin() + from);
  m_pageRecords.insert(m_pageRecords.begin() + pos, record);

  m_notebook->PlacePageWindow(moved);
  moved->Show();
  m_notebook->GetMainSizer()->Layout();

  m_nSelection = pos;
  m_nPrevSelection = -1;
  EnsureTabVisible(static_cast<size_t>(pos));
  m_notebook->Thaw();
}

void TabStrip::ShowDropHint() {
  const wxPoint pt = ScreenToClient(wxGetMousePosition());
  TabPageInfo record;
  int tab = -1;
  HitTest(pt, record, tab);
  GetRendererMgr()->RendererForStyle(m_notebook->GetWindowStyleFlag())->DrawDropHint(this, tab);
}
