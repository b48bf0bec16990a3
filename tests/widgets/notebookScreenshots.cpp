// Pictures of the tabbed notebook and the mini frame for review, saved as PNG files: the
// chat-rooms notebook, every tab look with tabs on top and at the bottom, every look with long,
// empty and non-ASCII captions, and the mini frame.
// `make screenshots` runs it under Xvfb. It checks nothing about the pictures; it fails only when
// one cannot be taken or saved. Usage: notebook_screenshots [output directory]
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "model/config.h"
#include "model/log.h"
#include "tests/support/sanitizerOptions.h"
#include "tests/support/screenCapture.h"
#include "tests/support/screenshotProgram.h"
#include "tests/widgets/widgetTestSupport.h"
#include "widgets/myMiniFrame.h"
#include "widgets/tabStrip.h"
#include "widgets/tabbedNotebook.h"

using widgettest::Pump;
using widgettest::PumpUntil;

namespace {

std::string g_dir = "screenshots";
using screenshots::Fail;

using screencapture::Capture;

void Save(const wxImage& img, const std::string& name) {
  if (!img.IsOk() || !img.SaveFile(wxString::FromUTF8(g_dir + "/" + name), wxBITMAP_TYPE_PNG))
    Fail("cannot save " + name);
  else
    std::printf("%s/%s\n", g_dir.c_str(), name.c_str());
}

// Waits until `window` is painted (the pixel at where(), in its coordinates, has the colour; a
// null colour only waits a while) and returns what the screen shows of it.
wxImage Shoot(wxWindow* window, const std::string& name,
              const std::function<wxPoint()>& where = nullptr,
              const wxColour& painted = wxColour()) {
  PumpUntil([&] { return window->IsShownOnScreen(); }, 3000);
  Pump(300);
  window->Update();
  // Reading the screen often keeps the tool kit from painting: look every 100 ms.
  wxImage img;
  for (int i = 0; i < 50; ++i) {
    Pump(100);
    img = Capture(window->GetScreenRect());
    if (!painted.IsOk()) return img;
    const wxPoint p = where();
    if (p.x >= 0 && p.y >= 0 && p.x < img.GetWidth() && p.y < img.GetHeight() &&
        wxColour(img.GetRed(p.x, p.y), img.GetGreen(p.x, p.y), img.GetBlue(p.x, p.y)) == painted)
      return img;
  }
  Fail(name + " was not painted");
  return img;
}

wxBitmap Dot(const wxColour& colour) {
  wxImage round(16, 16);
  round.SetMaskColour(1, 2, 3);
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 16; ++x) {
      const int d = (2 * x - 15) * (2 * x - 15) + (2 * y - 15) * (2 * y - 15);
      if (d > 13 * 13)
        round.SetRGB(x, y, 1, 2, 3);
      else if (d > 10 * 10)
        round.SetRGB(x, y, 0, 0, 0);
      else
        round.SetRGB(x, y, colour.Red(), colour.Green(), colour.Blue());
    }
  return wxBitmap(round);
}

struct Look {
  const char* name;
  long bits;
};
const Look kLooks[] = {{"default", 0},
                       {"boxed", TNB_BOXED},
                       {"shaded", TNB_SHADED_TABS},
                       {"rounded", TNB_ROUNDED | TNB_GRADIENT_TAB_AREA},
                       {"slanted", TNB_SLANTED | TNB_GRADIENT_TAB_AREA}};

// Where the X of the selected tab is drawn (grey) by the last paint, in the coordinates of `top`.
std::function<wxPoint()> SelectedTabX(TabbedNotebook* book, wxWindow* top) {
  return [book, top] {
    TabStrip* strip = book->GetTabStrip();
    const wxRect xr = strip->GetPageInfo(book->GetSelection()).GetXRect();
    return strip->GetScreenPosition() - top->GetScreenPosition() + xr.GetPosition() +
           wxPoint(4, 4);
  };
}
const wxColour kGrey(0x55, 0x55, 0x55);

TabbedNotebook* AddBook(wxWindow* parent, wxSizer* sizer, long style, TabImageList* images,
                        const std::vector<wxString>& captions, int select, int flags) {
  TabbedNotebook* book =
      new TabbedNotebook(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, style);
  if (images) book->SetImageList(images);
  for (size_t i = 0; i < captions.size(); ++i) {
    wxTextCtrl* page = new wxTextCtrl(book, wxID_ANY, wxT("Messages of ") + captions[i],
                                      wxDefaultPosition, wxSize(-1, 30), wxTE_MULTILINE);
    book->AddPage(page, captions[i], false, images ? (i % 3 == 2 ? -1 : int(i % 2)) : -1);
  }
  book->SetSelection(static_cast<size_t>(select));
  sizer->Add(book, 1, wxEXPAND | flags, 6);
  return book;
}

void ReleaseImages(wxWindow* frame) {
  for (wxWindow* child : frame->GetChildren())
    if (TabbedNotebook* book = dynamic_cast<TabbedNotebook*>(child)) book->SetImageList(nullptr);
}

// The notebook as the chat-rooms window sets it up, five rooms.
void ChatRooms(TabImageList& images) {
  wxFrame* frame =
      new wxFrame(nullptr, wxID_ANY, wxT("Chat rooms"), wxPoint(40, 40), wxSize(800, 360));
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  TabbedNotebook* book = AddBook(frame, sizer, 0x26218, &images,
                                 {wxT("parlavox.example"), wxT("news.example.org"), wxT("Alice"),
                                  wxT("Bob & Carol"), wxT("forum.example.net")},
                                 1, 0);
  book->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  book->SetTabAreaColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
  frame->SetSizer(sizer);
  frame->Show();
  Save(Shoot(frame, "notebook.png", SelectedTabX(book, frame), kGrey), "notebook.png");
  ReleaseImages(frame);
  frame->Destroy();
  Pump(20);
}

// Every look in one frame: per look a notebook with tabs on top, the tab list and the X on the
// selected tab, and one with tabs at the bottom, the X and arrows and a thin border.
void Looks(TabImageList& images) {
  const std::vector<wxString> captions = {wxT("parlavox.example"), wxT("Alice"),
                                          wxT("Bob & Carol"),      wxT("news.example.org"),
                                          wxT("forum.example.net"), wxT("dev.example")};
  wxFrame* frame = new wxFrame(nullptr, wxID_ANY, wxT("Looks"), wxPoint(0, 0), wxSize(660, 900));
  frame->SetBackgroundColour(wxColour(90, 90, 90));
  wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
  std::vector<TabbedNotebook*> books;
  for (int n = 0; n < 10; ++n) {
    const long look = kLooks[n / 2].bits;
    const long style = n % 2 == 0 ? look | 0x26218 : look | TNB_BOTTOM_TABS | TNB_THIN_BORDER;
    books.push_back(AddBook(frame, sizer, style, &images, captions, 1,
                            wxLEFT | wxRIGHT | (n % 2 ? wxBOTTOM : wxTOP)));
  }
  frame->SetSizer(sizer);
  frame->Show();
  const wxImage all = Shoot(frame, "tabs-all.png", SelectedTabX(books[8], frame), kGrey);
  Save(all, "tabs-all.png");
  const wxRect rect = frame->GetScreenRect();
  for (int k = 0; k < 5; ++k) {
    wxRect area = books[2 * k]->GetScreenRect().Union(books[2 * k + 1]->GetScreenRect()).Inflate(4);
    area.Offset(-rect.GetPosition());
    area.Intersect(wxRect(0, 0, rect.width, rect.height));
    Save(all.GetSubImage(area), std::string("tabs-") + kLooks[k].name + ".png");
  }
  ReleaseImages(frame);
  frame->Destroy();
  Pump(20);
}

const wxString kLongCaption =
    wxT("a-very-long-room-name.example.org/forum/topic/12345-what-everyone-talks-about-today");

std::vector<wxString> AwkwardCaptions() {
  return {wxString::FromUTF8("Zoë & Åsa"), wxEmptyString, kLongCaption,
          wxString::FromUTF8("Ελληνικά"), wxString::FromUTF8("Русский чат"),
          wxString::FromUTF8("naïve café")};
}

// Per look: the long caption selected on top tabs (arrows and X); the empty caption selected on
// bottom tabs (tab list, X on the tab).
void Captions() {
  for (const Look& look : kLooks) {
    const std::string name = std::string("tabs-") + look.name + "-captions.png";
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, wxT("Captions"), wxPoint(0, 0),
                                 wxSize(640, 260));
    frame->SetBackgroundColour(wxColour(90, 90, 90));
    wxBoxSizer* sizer = new wxBoxSizer(wxVERTICAL);
    TabbedNotebook* top = AddBook(frame, sizer, look.bits | TNB_CLOSE_BUTTON_ON_ACTIVE_TAB,
                                  nullptr, AwkwardCaptions(), 2, wxALL);
    AddBook(frame, sizer, look.bits | 0x26218 | TNB_BOTTOM_TABS, nullptr, AwkwardCaptions(), 1,
            wxLEFT | wxRIGHT | wxBOTTOM);
    frame->SetSizer(sizer);
    frame->Show();
    Save(Shoot(frame, name, SelectedTabX(top, frame), kGrey), name);
    frame->Destroy();
    Pump(20);
  }
}

void MiniFrame() {
  MyMiniFrame* frame = new MyMiniFrame(nullptr, wxT("Contacts manager"));
  wxTextCtrl* body = new wxTextCtrl(frame, wxID_ANY, wxT("alice, bob"), wxDefaultPosition,
                                    wxSize(-1, 120), wxTE_MULTILINE);
  frame->GetSizer()->Add(body, 1, wxEXPAND | wxALL, 6);
  frame->SetSize(wxRect(100, 100, 260, 180));
  frame->Layout();
  frame->Show(true);
  // The caption band is orange from edge to edge.
  Save(Shoot(frame, "miniframe.png", [] { return wxPoint(2, 4); }, wxColour(241, 147, 0)),
       "miniframe.png");
  frame->Destroy();
  Pump(20);
}

}  // namespace

int main(int argc, char** argv) {
  if (!screenshots::Start(argc, argv, g_dir)) return 1;
  Config::SetPath(std::string(PARLAVOX_SOURCE_DIR) + "/data/");

  TabImageList images;
  images.Add(Dot(wxColour(40, 140, 220)));
  images.Add(Dot(wxColour(60, 170, 60)));
  ChatRooms(images);
  Looks(images);
  Captions();
  MiniFrame();

  return screenshots::Stop();
}
