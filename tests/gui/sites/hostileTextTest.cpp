// Text that other users and the server chose, made to deceive: bidi embeddings, overrides,
// isolates and direction marks that would show "u2" as "2u" or "gnp.exe" as "exe.png", control
// characters, and 10,000 characters, in a nickname, a site name and a file name. A table of what
// each pop-up, the sites panel (name, tip, sites list, site window title) and the transfers window
// show: the text in its own order, every such character a blank, one line each, cut short.
#include <gtest/gtest.h>
#include <wx/listbox.h>
#include <wx/stattext.h>

#include <string>
#include <vector>

#include "gui/profiles/contactInfoToolTip.h"
#include "gui/rooms/fileInfoPanel.h"
#include "gui/rooms/filesFrame.h"
#include "gui/sites/siteInfoToolTip.h"
#include "gui/sites/sitesList.h"
#include "gui/sites/webSiteInfoFrame.h"
#include "model/fileMessage.h"
#include "model/stringConversion.h"
#include "tests/gui/sites/sitesPanelFixture.h"
#include "widgets/shownText.h"

namespace {

using sitestest::Site;
using sitestest::SitesPanelTest;

struct Hostile {
  const char* what;
  std::string text;      // as it comes from the network (UTF-8)
  const wchar_t* shown;  // what must be read in the shown text, in this order
};

const std::string kLong(10000, 'x');

const Hostile kHostile[] = {
    {"override", "\xE2\x80\xAE" "u2", L" u2"},
    {"file extension", "report\xE2\x80\xAE" "gnp.exe", L"report gnp.exe"},
    {"embeddings and isolates", "a\xE2\x80\xAA" "b\xE2\x80\xAB" "c\xE2\x80\xAC" "d\xE2\x80\xAD" "e\xE2\x81\xA6" "f"
                                "\xE2\x81\xA7" "g\xE2\x81\xA8" "h\xE2\x81\xA9" "i",
     L"a b c d e f g h i"},
    // Left-to-right, right-to-left and Arabic letter marks, which move "2+3" to "3+2" around them.
    {"direction marks", "a\xE2\x80\x8E" "b\xE2\x80\x8F" "c\xD8\x9C" "d\xE2\x80\x8F" "2+3", L"a b c d 2+3"},
    {"controls", "x\x1b[31my\tz\rw\x7f" "v\xC2\x85" "u\xE2\x80\xA8" "t", L"x [31my z w v u t"},
    {"long", kLong, L"xxxxxxxxxx"},
};

// What a text may not bring on screen: a control (other than the line feeds a notice puts between
// its own lines) or a character that reorders text.
bool Harmless(const wxString& shown, bool lines) {
  for (wxUniChar c : shown) {
    const unsigned v = c.GetValue();
    if (v == '\n' && lines) continue;
    if (v < 0x20 || (v >= 0x7f && v < 0xa0) || (v >= 0x202a && v <= 0x202e) || (v >= 0x2066 && v <= 0x2069) ||
        v == 0x200e || v == 0x200f || v == 0x061c)
      return false;
  }
  return true;
}

// One place that shows the hostile text, and how much of it a place shows at most.
struct Seen {
  const char* where;
  wxString shown;
  bool lines;
  size_t longest;
};

void ExpectShownSafely(const Hostile& hostile, const Seen& seen) {
  SCOPED_TRACE(std::string(hostile.what) + " in " + seen.where + ": " + wx2std(seen.shown.Left(120)));
  EXPECT_TRUE(Harmless(seen.shown, seen.lines));
  EXPECT_NE(wxString::npos, seen.shown.find(hostile.shown));
  EXPECT_LE(seen.shown.length(), seen.longest);
}

std::vector<wxString> Labels(wxWindow* window) {
  std::vector<wxString> labels;
  for (wxStaticText* text : guitest::FindChildren<wxStaticText>(window)) labels.push_back(text->GetLabelText());
  return labels;
}

// The label of `window` that holds `part`, or "" when none does.
wxString LabelWith(wxWindow* window, const wchar_t* part) {
  for (const wxString& label : Labels(window))
    if (label.find(part) != wxString::npos) return label;
  return wxString();
}

TEST_F(SitesPanelTest, HostileNamesAreShownInTheirOwnOrderAndCut) {
  ContactInfo* defaults = GetManager()->GetDefaultContactInfo();
  defaults->SetNotification("open-visual", NOTIFICATION_ON);
  auto* files = new FilesFrame(m_frame, GetManager());
  int index = 0;
  for (const Hostile& hostile : kHostile) {
    const std::string url = "http://" + hostile.text + "/";
    const std::string login = "h" + std::to_string(index++);
    SitePanel* panel = m_sites->AddSitePanel(Site(url), std2wx(GetManager()->GetChatRoomName(url)));
    ASSERT_TRUE(panel);

    // A visitor of the site whose nickname is the hostile text: the pop-up of the arrival.
    ContactInfo person(login, hostile.text, "", "", STATUS_ONLINE, "", "", 0, 0, 0, "", "", false);
    const size_t before = Popups();
    m_sites->UpdateContact(URLContactInfo(url, 1, person, true, false, false));
    ASSERT_EQ(before + 1, Popups());
    const NotifyItem* popup = LastPopup();
    NotifyFrame* frame = NotifyFrame::GetInstance();
    ASSERT_TRUE(guitest::PumpUntil([&] { return frame->IsShown(); }));

    // A notice that carries the text as it came (the pop-up itself keeps it harmless).
    NotifyFrame::AddNotification(NotifyAction(NOTIFY_ACTION_NONE), std2wx(hostile.text), std2wx(hostile.text),
                                 *wxBLUE, std2wx(hostile.text), *wxBLUE);
    const NotifyItem* raw = LastPopup();

    // A transfer of a file so named, from a peer so named.
    files->UpdateFileTransfertStatus(FileMessage(url, login, hostile.text, "dir/" + hostile.text, login, login,
                                                 "127.0.0.1", 6891, 0, true, FM_IN_PROGRESS, 10, 100, 1.0));
    FileInfoPanel* row = files->GetDownloadPanels().back();

    // The site's list in the sites manager, and the site's own window.
    auto* list = new SitesList(m_frame, GetManager(), "Sites", SITE_OPEN, false);
    list->AddWebSite(url);

    // The contact's tip, a contact row as the member lists and the contacts panel show it.
    auto* tip = new ContactInfoToolTip(m_frame, GetManager(), person);
    // The site's own window: its title and its name line.
    auto* window = new WebSiteInfoFrame(m_frame, GetManager(), url, true);

    const Seen seen[] = {
        {"site name", panel->GetSiteLabel()->GetInnerText()->GetLabelText(), false, 210},
        {"site tip", panel->GetSiteToolTip()->GetNameText(), false, 210},
        {"arrival pop-up, nickname", popup->text, false, 100},
        {"arrival pop-up, site", popup->text2, true, 250},
        {"pop-up on screen", LabelWith(frame, hostile.shown), true, 400},
        {"notice title", raw->title, true, 400},
        {"notice, first line", raw->text, true, 400},
        {"notice, second line", raw->text2, true, 400},
        {"transfer, file name", LabelWith(row, hostile.shown), false, 110},
        {"transfer, peer", LabelWith(row, (L"from " + wxString(hostile.shown)).wc_str()), false, 120},
        {"sites list", list->GetListBox()->GetString(0), false, 210},
        {"contact tip", LabelWith(tip, hostile.shown), false, 100},
        {"site window title", window->GetTitle(), false, 230},
        {"site window name", LabelWith(window, hostile.shown), false, 210},
    };
    for (const Seen& s : seen) ExpectShownSafely(hostile, s);
    list->Destroy();
    tip->Destroy();
    window->Destroy();
  }
}

}  // namespace

namespace {

// A notice's own lines stay lines; each is made one harmless line, and a notice of too many
// lines ends in an ellipsis.
TEST(NoticeLines, EachLineShownAloneAndTheNoticeCut) {
  const wxString ellipsis(wxUniChar(0x2026));
  const struct {
    const wchar_t* text;
    size_t perLine, lines;
    wxString shown;
  } rows[] = {
      {L"also visits\nsite.example/", 80, 4, "also visits\nsite.example/"},
      {L"\x202Eu2\n\x2067gnp.exe\x2069", 80, 4, " u2\n gnp.exe "},
      {L"\x200F" L"1-2\n\x200E" L"a\x061C" L"b\x200F", 80, 4, " 1-2\n a b "},
      {L"abcdef\nxy", 4, 4, "abc" + ellipsis + "\nxy"},
      {L"1\n2\n3\n4\n5", 10, 3, "1\n2\n3" + ellipsis},
      {L"1\n2\n3", 10, 3, "1\n2\n3"},
      {L"\r\n\t", 10, 4, " \n "},
      {L"", 10, 4, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(row.shown, shown::Lines(row.text, row.perLine, row.lines)) << row.text;
}

}  // namespace
