#include "widgets/tabNavigatorWindow.h"

#include <wx/sizer.h>

#include "widgets/tabbedNotebook.h"

TabNavigatorWindow::TabNavigatorWindow()
    : m_pageList(nullptr), m_selectedItem(-1), m_headerPanel(nullptr) {}

TabNavigatorWindow::TabNavigatorWindow(wxWindow* parent)
    : m_pageList(nullptr), m_selectedItem(-1), m_headerPanel(nullptr) {
  Create(parent);
  if (!m_pageList) return;
  GetSizer()->Fit(this);
  GetSizer()->SetSizeHints(this);
  GetSizer()->Layout();
  Centre(wxBOTH);
}

TabNavigatorWindow::~TabNavigatorWindow() {}

void TabNavigatorWindow::Create(wxWindow* parent) {
  if (!wxDialog::Create(parent, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0))
    return;
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  SetSizer(sizer);
  m_pageList = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxSize(200, 150), 0, nullptr,
                             wxLB_SINGLE | wxBORDER_NONE);
  m_headerPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxSize(200, 24),
                              wxTAB_TRAVERSAL | wxBORDER_NONE);
  sizer->Add(m_headerPanel, 0, 0, 0);
  sizer->Add(m_pageList, 1, wxEXPAND, 0);

  m_pageList->Bind(wxEVT_KEY_UP, &TabNavigatorWindow::OnListKeyUp, this);
  m_pageList->Bind(wxEVT_NAVIGATION_KEY, &TabNavigatorWindow::OnListNavigationKey, this);
  m_pageList->Bind(wxEVT_LISTBOX_DCLICK, &TabNavigatorWindow::OnListDoubleClick, this);
  Bind(wxEVT_CHAR_HOOK, &TabNavigatorWindow::OnCharHook, this);

  FillPageList(static_cast<TabbedNotebook*>(parent));
  m_pageList->SetFocus();
}

void TabNavigatorWindow::FillPageList(TabbedNotebook* notebook) {
  m_pageList->Clear();
  m_itemToPage.clear();
  const int count = notebook->GetPageCount();
  const int sel = notebook->GetSelection();
  const int prev = notebook->GetPreviousSelection();
  auto append = [this, notebook](int page) {
    int item = m_pageList->Append(notebook->GetPageText(page));
    m_itemToPage[item] = page;
  };
  if (sel >= 0 && sel < count) append(sel);
  // The previous page only when it names another existing page.
  if (prev >= 0 && prev < count && prev != sel) append(prev);
  for (int page = 0; page < count; ++page)
    if (page != sel && !(page == prev && prev != sel)) append(page);
  if (m_pageList->GetCount() > 0) m_pageList->SetSelection(0);
  if (m_pageList->GetCount() > 1) m_pageList->SetSelection(1);
}

void TabNavigatorWindow::OnListNavigationKey(wxNavigationKeyEvent& event) {
  const int count = static_cast<int>(m_pageList->GetCount());
  if (count == 0) return;
  int sel = m_pageList->GetSelection();
  if (event.GetDirection())
    sel = sel + 1 >= count ? 0 : sel + 1;
  else
    sel = sel <= 0 ? count - 1 : sel - 1;
  m_pageList->SetSelection(sel);
}

void TabNavigatorWindow::OnListKeyUp(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_CONTROL) SelectAndClose();
}

void TabNavigatorWindow::OnListDoubleClick(wxCommandEvent&) { SelectAndClose(); }

void TabNavigatorWindow::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_TAB && event.ControlDown()) {
    wxNavigationKeyEvent nav;
    nav.SetWindowChange(true);
    nav.SetDirection(!event.ShiftDown());
    OnListNavigationKey(nav);
    return;
  }
  event.Skip();
}

void TabNavigatorWindow::SelectAndClose() {
  m_selectedItem = m_pageList->GetSelection();
  std::map<int, int>::const_iterator it = m_itemToPage.find(m_selectedItem);
  if (it != m_itemToPage.end())
    static_cast<TabbedNotebook*>(GetParent())->SetSelection(static_cast<size_t>(it->second));
  if (IsModal()) EndModal(wxID_OK);
}
