#include "widgets/tabNavigatorWindow.h"

#include <wx/dcbuffer.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/module.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include "widgets/tabRenderer.h"
#include "widgets/tabTextMetrics.h"
#include "widgets/tabbedNotebook.h"

namespace {

// A 16 x 16 sign post; the alpha channel below cuts it out.
const char* const kSignPostXpm[] = {
    "16 16 8 2",
    "   c #008080",
    "aa c #3c2814",
    "ab c #dc3c28",
    "ac c #fafafa",
    "ad c #785028",
    "ae c #a06e3c",
    "af c #286ec8",
    "ag c #5a8c3c",
    "                                ",
    "                                ",
    "    aaaaaaaaaaaaaaaaaaaaaa      ",
    "    aaababababababababababab    ",
    "    aaabacacacacacacacabababab  ",
    "    aaababababababababababab    ",
    "    aaaaaaaaaaaaaaaaaaaaaa      ",
    "              adae              ",
    "        aaaaaaaaaaaaaaaaaaaa    ",
    "      afafafafafafafafafafaa    ",
    "    afafafacacacacacacacafaa    ",
    "      afafafafafafafafafafaa    ",
    "        aaaaaaaaaaaaaaaaaaaa    ",
    "              adae              ",
    "              adae              ",
    "          agagagagagag          "};

unsigned char kSignPostAlpha[256] = {
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0,
    0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0,
    0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0,
    0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0,
    0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0,
    0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0,
    0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0,
    0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0,
    0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 0, 0, 0,
    0, 0, 0, 0, 0, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0, 0};

// The shared pictures go before wx shuts the toolkit down.
class TabNavigatorModule : public wxModule {
 public:
  bool OnInit() override { return true; }
  void OnExit() override { TabNavigatorWindow::ReleaseSharedData(); }

 private:
  wxDECLARE_DYNAMIC_CLASS(TabNavigatorModule);
};

wxIMPLEMENT_DYNAMIC_CLASS(TabNavigatorModule, wxModule);

}  // namespace

wxBitmap TabNavigatorWindow::headerIcon;
int TabNavigatorWindow::headerHeight = 0;
wxBitmap TabNavigatorWindow::headerImage;
bool TabNavigatorWindow::headerImagePending = true;

void TabNavigatorWindow::ReleaseSharedData() {
  headerIcon = wxNullBitmap;
  headerImage = wxNullBitmap;
  headerImagePending = true;
}

TabNavigatorWindow::TabNavigatorWindow()
    : pageList(nullptr), selectedItem(-1), headerPanel(nullptr), controlWatch(this) {}

TabNavigatorWindow::TabNavigatorWindow(wxWindow* parent)
    : pageList(nullptr), selectedItem(-1), headerPanel(nullptr), controlWatch(this) {
  Create(parent);
  if (!pageList) return;
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
  // The list is the dialog's first child, so keys go to it.
  pageList = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxSize(200, 150), 0, nullptr,
                           wxLB_SINGLE | wxBORDER_NONE);

  if (headerHeight == 0) {
    const int h = MeasureBoldTabText().GetHeight();
    headerHeight = h + 4 < 24 ? 24 : h + 4;
  }
  headerPanel = new wxPanel(this, wxID_ANY, wxDefaultPosition, wxSize(200, headerHeight),
                            wxTAB_TRAVERSAL | wxBORDER_NONE);
  // The paint covers the whole header; nothing is erased first.
  headerPanel->SetBackgroundStyle(wxBG_STYLE_PAINT);

  sizer->Add(headerPanel, 0, 0, 0);
  sizer->Add(pageList, 1, wxEXPAND, 0);

  pageList->Bind(wxEVT_KEY_UP, &TabNavigatorWindow::OnListKeyUp, this);
  pageList->Bind(wxEVT_NAVIGATION_KEY, &TabNavigatorWindow::OnListNavigationKey, this);
  pageList->Bind(wxEVT_LISTBOX_DCLICK, &TabNavigatorWindow::OnListDoubleClick, this);
  headerPanel->Bind(wxEVT_PAINT, &TabNavigatorWindow::OnHeaderPaint, this);
  headerPanel->Bind(wxEVT_ERASE_BACKGROUND, &TabNavigatorWindow::OnHeaderEraseBackground, this);
  Bind(wxEVT_CHAR_HOOK, &TabNavigatorWindow::OnCharHook, this);
  Bind(wxEVT_TIMER, &TabNavigatorWindow::OnControlWatch, this, controlWatch.GetId());

  SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_3DFACE));
  pageList->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_3DFACE));

  FillPageList(static_cast<TabbedNotebook*>(parent));

  if (!headerIcon.IsOk()) {
    wxImage image(kSignPostXpm);
    image.SetAlpha(kSignPostAlpha, true);
    headerIcon = wxBitmap(image, -1);
  }
  // GTK gives the focus to no child of a dialog by itself; the list must have it for the keys.
  pageList->SetFocus();
}

void TabNavigatorWindow::FillPageList(TabbedNotebook* notebook) {
  pageList->Clear();
  itemToPage.clear();
  const int count = notebook->GetPageCount();
  const int sel = notebook->GetSelection();
  const int prev = notebook->GetPreviousSelection();
  auto append = [this, notebook](int page) {
    int item = pageList->Append(notebook->GetPageText(static_cast<size_t>(page)));
    itemToPage[item] = page;
  };
  if (sel >= 0 && sel < count) append(sel);
  // The previous page only when it names another existing page, so no page is listed twice.
  const bool listPrev = prev >= 0 && prev < count && prev != sel;
  if (listPrev) append(prev);
  for (int page = 0; page < count; ++page)
    if (page != sel && !(listPrev && page == prev)) append(page);
  if (pageList->GetCount() == 0) return;
  pageList->SetSelection(0);
  wxNavigationKeyEvent forward;
  forward.SetDirection(true);
  OnListNavigationKey(forward);
}

void TabNavigatorWindow::OnListNavigationKey(wxNavigationKeyEvent& event) {
  // The list holds every page of the notebook, so its count is the page count.
  const int count = static_cast<int>(pageList->GetCount());
  if (count == 0) return;
  const int cur = pageList->GetSelection();
  int next;
  if (event.GetDirection())
    next = cur >= count - 1 ? 0 : cur + 1;
  else
    next = cur <= 0 ? count - 1 : cur - 1;
  pageList->SetSelection(next);
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

int TabNavigatorWindow::ShowModal() {
  controlWatch.Start(100);
  const int result = wxDialog::ShowModal();
  controlWatch.Stop();
  return result;
}

void TabNavigatorWindow::OnControlWatch(wxTimerEvent&) {
  if (IsModal() && !wxGetKeyState(WXK_CONTROL)) SelectAndClose();
}

void TabNavigatorWindow::SelectAndClose() {
  selectedItem = pageList->GetSelection();
  std::map<int, int>::const_iterator it = itemToPage.find(selectedItem);
  if (it != itemToPage.end())
    static_cast<TabbedNotebook*>(GetParent())->SetSelection(static_cast<size_t>(it->second));
  // A second release of Ctrl after the loop ended must not end another one.
  if (IsModal()) EndModal(wxID_OK);
}

void TabNavigatorWindow::OnHeaderPaint(wxPaintEvent&) {
  wxPaintDC dc(headerPanel);
  const wxRect rect = headerPanel->GetClientRect();
  if (!headerImage.IsOk()) headerImage = wxBitmap(rect.width, rect.height, -1);
  if (headerImagePending) {
    headerImagePending = false;
    wxMemoryDC mem(headerImage);
    const wxColour shadow = wxSystemSettings::GetColour(wxSYS_COLOUR_3DSHADOW);
    const wxColour top = LightenColour(shadow, 50);
    FillGradientBox(mem, rect, top, shadow, true);
    if (headerIcon.IsOk())
      mem.DrawBitmap(headerIcon, 3, (rect.height - headerIcon.GetHeight()) / 2, true);
    mem.SetFont(BoldTabFont());
    wxCoord tw = 0, th = 0;
    mem.GetTextExtent(wxT("Tp"), &tw, &th);
    // The theme decides how light the gradient is; the text takes whichever of black and white
    // stands out from it.
    mem.SetTextForeground(ReadableTextColour(top, shadow));
    const int iconWidth = headerIcon.IsOk() ? headerIcon.GetWidth() : 16;
    mem.DrawText(wxT("Opened tabs:"), 3 + iconWidth + 4, (rect.height - th) / 2);
    mem.SelectObject(wxNullBitmap);
  }
  dc.DrawBitmap(headerImage, 0, 0, false);
}

void TabNavigatorWindow::OnHeaderEraseBackground(wxEraseEvent&) {}
