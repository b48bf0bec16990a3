// Where the small windows and the site's tip go beside the main window, and how a site's name is
// shortened to its label: on each side of the screen, with and without room.
#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/stattext.h>

#include "gui/dockPlacement.h"
#include "gui/sites/siteInfoToolTip.h"
#include "widgets/shownText.h"

namespace {

const wxRect kScreen(0, 0, 1280, 1024);

TEST(Placement, DockedWindowsHangOffTheLeftEdgeElseTheRightElseStayInside) {
  const wxRect centred(455, 212, 370, 600);
  const struct {
    wxRect main;
    wxSize size;
    int top;
    wxPoint expected;
  } rows[] = {
      {centred, {300, 200}, 250, {155, 250}},    // room on the left: the usual place
      {centred, {542, 400}, 250, {738, 250}},    // neither side has room: inside, on the right
      {{500, 100, 370, 600}, {542, 400}, 250, {0, 250}},  // more room on the left
      {centred, {455, 300}, 250, {0, 250}},      // exactly the room on the left
      {{20, 100, 370, 600}, {300, 200}, 120, {390, 120}},  // no room on the left: on the right
      {{900, 100, 370, 600}, {300, 200}, 120, {600, 120}},
      {centred, {300, 200}, 900, {155, 824}},    // the bottom kept in sight
      {centred, {300, 200}, -40, {155, 0}},
      {centred, {1400, 1100}, 250, {0, 0}},      // larger than the screen: its top left shows
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.main.x);
    EXPECT_EQ(r.expected, dock::Beside(r.main, r.size, r.top, kScreen));
  }
  // A work area that leaves out a panel at the top and one at the left.
  EXPECT_EQ(wxPoint(470, 32), dock::Beside(wxRect(100, 40, 370, 600), wxSize(300, 200), 10, wxRect(64, 32, 1216, 992)));
  EXPECT_EQ(wxPoint(64, 32), dock::Beside(wxRect(400, 40, 370, 600), wxSize(336, 200), 10, wxRect(64, 32, 1216, 992)));
}

TEST(Placement, TheSitesTipStandsBesideTheWindowLevelWithTheName) {
  const wxRect window(455, 212, 370, 600);
  const wxRect name(480, 500, 150, 18);
  EXPECT_EQ(wxPoint(825, 500), SiteInfoToolTip::BesideWindow(name, window, wxSize(300, 150), kScreen));
  // No room on the right: on the left.
  EXPECT_EQ(wxPoint(500, 500), SiteInfoToolTip::BesideWindow(wxRect(900, 500, 150, 18), wxRect(800, 212, 370, 600),
                                                             wxSize(300, 150), kScreen));
  EXPECT_EQ(wxPoint(0, 500), SiteInfoToolTip::BesideWindow(name, wxRect(200, 212, 900, 600), wxSize(300, 150), kScreen));
  // Low on the screen: raised into it.
  EXPECT_EQ(wxPoint(825, 1024 - 150), SiteInfoToolTip::BesideWindow(wxRect(480, 1000, 150, 18), window, wxSize(300, 150), kScreen));
}

TEST(Placement, ANameTooWideForItsLabelEndsInAnEllipsisAndAShortOneIsWhole) {
  wxFrame frame(nullptr, wxID_ANY, "fit");
  wxStaticText label(&frame, wxID_ANY, "x");
  const wxFont font = label.GetFont().Bold();
  const wxString name = "www.example.org/?a=1&b=2";
  const int whole = label.GetTextExtent(name).x * 2;
  EXPECT_EQ(name, shown::Fitted(name, &label, font, whole));
  wxClientDC dc(&label);
  dc.SetFont(font);
  const int ellipsis = dc.GetTextExtent("...").x;
  // Down to the ellipsis alone, and narrower.
  for (int width : {120, 60, 25, ellipsis + 1, ellipsis, 8}) {
    SCOPED_TRACE(width);
    const wxString fitted = shown::Fitted(name, &label, font, width);
    wxString kept;
    EXPECT_TRUE(fitted.EndsWith("...", &kept)) << fitted;
    EXPECT_TRUE(name.StartsWith(kept)) << fitted;
    EXPECT_LT(kept.length(), name.length());
    if (width >= ellipsis) {
      EXPECT_LE(dc.GetTextExtent(fitted).x, width) << fitted;
    }
  }
}

}  // namespace
