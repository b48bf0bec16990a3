// Tab drag and drop on the tab strip.
#include "widgets/tabDropTarget.h"
#include "widgets/tabRendererMgr.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

wxDragResult TabStrip::OnDropTarget(int, int, int, wxWindow*) { return wxDragNone; }

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

void TabStrip::ShowDropHint() {}
