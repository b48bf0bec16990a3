// A shown notebook with pages, and helpers that send mouse events to its tab strip.
#ifndef PARLAVOX_TESTS_WIDGETS_TABSTRIPINPUTFIXTURE_H
#define PARLAVOX_TESTS_WIDGETS_TABSTRIPINPUTFIXTURE_H

#include <wx/dcmemory.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <cstdlib>

#include "tests/widgets/widgetTestSupport.h"
#include "widgets/tabRendererMgr.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

namespace widgettest {

// A notebook filling its own shown frame. Page i is a panel named "page<i>" with a text box, and
// its caption is "P<i>" (or what `caption` makes of i).
struct Book {
  Book(long style, int pages, const wxSize& size = wxSize(600, 300),
       const wxPoint& pos = wxPoint(20, 20))
      : frame(new wxFrame(nullptr, wxID_ANY, wxT("book"), pos, size)) {
    notebook = new TabbedNotebook(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize, style);
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(notebook, 1, wxEXPAND);
    frame->SetSizer(sizer);
    for (int i = 0; i < pages; ++i) Add(wxString::Format(wxT("P%d"), i));
    frame->Show();
    frame->Layout();
    strip = notebook->GetTabStrip();
    PumpUntil([&] { return strip->GetClientSize().GetWidth() > size.GetWidth() - 40; }, 2000);
    Pump(30);
    Render();
  }
  ~Book() {
    frame->Destroy();
    Pump(10);
  }

  wxWindow* Add(const wxString& caption) {
    wxPanel* page = new wxPanel(notebook, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                wxTAB_TRAVERSAL, wxT("page") + caption);
    new wxTextCtrl(page, wxID_ANY, wxT(""), wxPoint(5, 5), wxSize(200, 30));
    notebook->AddPage(page, caption, false);
    return page;
  }

  // Paints the strip into memory as a paint would, so that the tab records are up to date, and
  // returns the picture.
  wxImage Render() {
    wxSize size = strip->GetClientSize();
    if (size.GetWidth() < 1 || size.GetHeight() < 1) return wxImage();
    wxBitmap bmp(size.GetWidth(), size.GetHeight());
    {
      wxMemoryDC dc(bmp);
      wxCommandEvent dummy;
      GetRendererMgr()->RendererForStyle(notebook->GetWindowStyleFlag())->DrawTabArea(strip, dc,
                                                                                   dummy);
    }
    return bmp.ConvertToImage();
  }

  // The middle of tab i's rectangle, as last painted.
  wxPoint TabPoint(int i) {
    const TabPageInfo& info = strip->GetPageInfo(i);
    return wxPoint(info.GetPosition().x + info.GetSize().GetWidth() / 2,
                   info.GetPosition().y + info.GetSize().GetHeight() / 2);
  }
  // The middle of a button's hit square.
  wxPoint ButtonPoint(int code) {
    wxRect r = strip->GetButtonHitRect(code);
    return wxPoint(r.x + r.width / 2, r.y + r.height / 2);
  }
  // A point right of the last drawn tab and left of the buttons.
  wxPoint EmptyPoint() {
    int right = 0;
    for (size_t i = 0; i < strip->GetPageCount(); ++i) {
      const TabPageInfo& info = strip->GetPageInfo(i);
      if (!info.IsHidden()) right = info.GetPosition().x + info.GetSize().GetWidth();
    }
    return wxPoint(right + 20, 12);
  }

  // Sends a mouse event of `type` at pt to the strip, through its event table.
  bool Mouse(wxEventType type, const wxPoint& pt, bool leftDown = false) {
    wxMouseEvent e(type);
    e.SetEventObject(strip);
    e.m_x = pt.x;
    e.m_y = pt.y;
    e.m_leftDown = leftDown;
    strip->GetEventHandler()->ProcessEvent(e);
    return e.GetSkipped();
  }
  void Click(const wxPoint& pt) {
    Mouse(wxEVT_LEFT_DOWN, pt, true);
    Mouse(wxEVT_LEFT_UP, pt);
  }
  // What GTK delivers for a double click: down, up, double click, up.
  void DoubleClick(const wxPoint& pt) {
    Click(pt);
    Mouse(wxEVT_LEFT_DCLICK, pt, true);
    Mouse(wxEVT_LEFT_UP, pt);
  }

  wxString Captions() {
    wxString out;
    for (int i = 0; i < notebook->GetPageCount(); ++i) {
      if (i) out += wxT(" ");
      out += notebook->GetPageText(i);
    }
    return out;
  }

  wxFrame* frame;
  TabbedNotebook* notebook;
  TabStrip* strip;
};

}  // namespace widgettest

#endif
