#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "model/config.h"
#include "tests/support/testSupport.h"
#include "tests/widgets/widgetTestSupport.h"
#include "widgets/myMiniFrame.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

// What the X server shows of a top-level window, read on a connection of its own (a screen
// device context of the tool kit can hand back a stale picture).
wxImage Capture(wxWindow* window) {
  wxRect rect = window->GetScreenRect();
  wxImage img(rect.width, rect.height);
  Display* display = XOpenDisplay(nullptr);
  if (!display) return img;
  XImage* x = XGetImage(display, DefaultRootWindow(display), rect.x, rect.y, rect.width,
                        rect.height, AllPlanes, ZPixmap);
  if (x) {
    for (int row = 0; row < rect.height; ++row)
      for (int col = 0; col < rect.width; ++col) {
        unsigned long p = XGetPixel(x, col, row);
        img.SetRGB(col, row, (p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
      }
    XDestroyImage(x);
  }
  XCloseDisplay(display);
  return img;
}

wxColour PixelAt(const wxImage& img, const wxPoint& p) {
  return wxColour(img.GetRed(p.x, p.y), img.GetGreen(p.x, p.y), img.GetBlue(p.x, p.y));
}

// Waits until the window is painted (the pixel at p has the colour) and saves it under the
// build tree's "screenshots/".
wxImage SaveScreenshot(wxWindow* window, const std::string& name, const wxPoint& p,
                       const wxColour& painted) {
  // Reading the screen often keeps the tool kit from painting: look every 100 ms.
  wxImage img;
  bool done = false;
  for (int i = 0; i < 50 && !done; ++i) {
    Pump(100);
    img = Capture(window);
    done = PixelAt(img, p) == painted;
  }
  EXPECT_TRUE(done) << name << " was not painted";
  std::string dir = testsupport::BuildDir() + "/screenshots";
  wxFileName::Mkdir(wxString::FromUTF8(dir), 0755, wxPATH_MKDIR_FULL);
  EXPECT_TRUE(img.SaveFile(wxString::FromUTF8(dir + "/" + name), wxBITMAP_TYPE_PNG));
  EXPECT_TRUE(testsupport::FileExists(dir + "/" + name));
  return img;
}

wxBitmap Dot(const wxColour& colour) {
  wxBitmap bmp(16, 16);
  wxMemoryDC dc(bmp);
  dc.SetBackground(*wxWHITE_BRUSH);
  dc.Clear();
  dc.SetPen(*wxBLACK_PEN);
  dc.SetBrush(wxBrush(colour));
  dc.DrawCircle(8, 8, 6);
  dc.SelectObject(wxNullBitmap);
  bmp.SetMask(new wxMask(bmp, *wxWHITE));
  return bmp;
}

}  // namespace

// Writes a picture of a five-page notebook, as the chat-rooms window sets it up, for review.
TEST(NotebookScreenshot, FivePages) {
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, wxT("Chat rooms"), wxPoint(40, 40), wxSize(800, 360));
  TabbedNotebook* book = new TabbedNotebook(frame, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                            0x26218, wxT("Tabbed Notebook"));
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(book, 1, wxEXPAND);
  frame->SetSizer(sizer);
  TabImageList images;
  images.Add(Dot(wxColour(40, 140, 220)));
  images.Add(Dot(wxColour(60, 170, 60)));
  book->SetImageList(&images);
  book->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  book->SetTabAreaColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));

  const wxString captions[] = {wxT("parlavox.example"), wxT("news.example.org"), wxT("Alice"),
                               wxT("Bob & Carol"), wxT("forum.example.net")};
  for (int i = 0; i < 5; ++i) {
    wxPanel* page = new wxPanel(book, wxID_ANY);
    wxBoxSizer* ps = new wxBoxSizer(wxVERTICAL);
    wxTextCtrl* text = new wxTextCtrl(page, wxID_ANY,
                                      wxT("Messages of ") + captions[i] + wxT("\n"),
                                      wxDefaultPosition, wxDefaultSize, wxTE_MULTILINE);
    ps->Add(text, 1, wxEXPAND | wxALL, 4);
    page->SetSizer(ps);
    book->AddPage(page, captions[i], false, i == 2 || i == 3 ? 1 : 0);
  }
  book->SetSelection(1);
  frame->Show();
  TabStrip* strip = book->GetTabStrip();
  ASSERT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen() && strip->GetClientSize().x > 700; }));
  // Every tab fits at this width (the paint records where each tab went).
  EXPECT_TRUE(PumpUntil([&] { return strip->CountVisibleTabs() == 5; }, 3000));
  EXPECT_EQ(1, book->GetSelection());

  // The selected tab is filled with the active tab colour, left of its caption.
  wxRect rect = frame->GetScreenRect();
  const TabPageInfo& sel = strip->GetPageInfo(1);
  wxPoint inTab = strip->GetScreenPosition() - rect.GetPosition() + sel.GetPosition() +
                  wxPoint(3, sel.GetSize().y / 2);
  SaveScreenshot(frame, "notebook.png", inTab, book->GetActiveTabColour());
  book->SetImageList(nullptr);
  frame->Destroy();
  Pump(20);
}

TEST(NotebookScreenshot, MiniFrame) {
  Config::SetPath(testsupport::SourceDir() + "/data/");
  MyMiniFrame* frame = new MyMiniFrame(nullptr, wxT("Contacts manager"));
  wxTextCtrl* body = new wxTextCtrl(frame, wxID_ANY, wxT("alice, bob"), wxDefaultPosition,
                                    wxSize(-1, 120), wxTE_MULTILINE);
  frame->GetSizer()->Add(body, 1, wxEXPAND | wxALL, 6);
  frame->SetSize(wxRect(100, 100, 260, 180));
  frame->Layout();
  frame->Show(true);
  ASSERT_TRUE(PumpUntil([&] { return frame->IsShownOnScreen(); }));
  // The caption band is orange from edge to edge.
  SaveScreenshot(frame, "miniframe.png", wxPoint(2, 4), wxColour(241, 147, 0));
  frame->Destroy();
  Pump(20);
}
