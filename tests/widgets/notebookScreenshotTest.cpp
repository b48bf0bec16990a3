#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/filename.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include "tests/support/testSupport.h"
#include "tests/widgets/widgetTestSupport.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

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
  Pump(300);
  frame->Update();
  Pump(100);

  // Every tab fits at this width.
  EXPECT_EQ(5, strip->CountVisibleTabs());
  EXPECT_EQ(1, book->GetSelection());

  wxRect rect = frame->GetScreenRect();
  wxBitmap shot(rect.width, rect.height);
  {
    wxScreenDC screen;
    wxMemoryDC mem(shot);
    mem.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
  }
  std::string dir = testsupport::BuildDir() + "/screenshots";
  wxFileName::Mkdir(wxString::FromUTF8(dir), 0755, wxPATH_MKDIR_FULL);
  wxString file = wxString::FromUTF8(dir + "/notebook.png");
  ASSERT_TRUE(shot.SaveFile(file, wxBITMAP_TYPE_PNG));
  EXPECT_TRUE(testsupport::FileExists(dir + "/notebook.png"));

  // The selected tab is filled with the active tab colour, left of its caption.
  wxImage img = shot.ConvertToImage();
  const TabPageInfo& sel = strip->GetPageInfo(1);
  wxPoint inTab = strip->GetScreenPosition() - rect.GetPosition() + sel.GetPosition() +
                  wxPoint(3, sel.GetSize().y / 2);
  EXPECT_EQ(book->GetActiveTabColour(),
            wxColour(img.GetRed(inTab.x, inTab.y), img.GetGreen(inTab.x, inTab.y),
                     img.GetBlue(inTab.x, inTab.y)));
  book->SetImageList(nullptr);
  frame->Destroy();
  Pump(20);
}
