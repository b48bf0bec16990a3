// The sites panel at any width and font size: its title and, in each site's header, the name and
// the counts on one line inside the window, each whole or cut with an ellipsis, beside the icons
// and over none of them. Run again with every font twice as large.
#include <wx/stattext.h>

#include "tests/gui/sites/sitesPanelFixture.h"
#include "tests/gui/textFit.h"

namespace {

using sitestest::SitesPanelTest;

struct SiteCase {
  const char* url;
  const char* name;
  float grade;
  int people;
  int inRoom;
};

const SiteCase kSites[] = {
    {"http://news.example/", "news.example/", 99, 12, 3},
    {"http://long.example/", "a-rather-long-site-name.example/with/a/path", 7.5f, 0, 0},
    {"http://ten.example/", "ten.example/", 10, 1, 1},
};

class SitesPanelFit : public SitesPanelTest {
 protected:
  wxStaticText* Title() const {
    return guitest::FindChild<wxStaticText>(
        m_sites, [](wxStaticText* text) { return text->GetLabelText() == "You are currently connected to:"; });
  }
  // The windows of a site's header, the inner texts of its labels.
  static std::vector<wxWindow*> HeaderParts(SitePanel* site) {
    std::vector<wxWindow*> parts;
    for (wxWindow* child : site->GetChildren()) {
      if (!child->IsShown() || child->IsTopLevel() || child == site->GetContactsPanel()) continue;
      auto* label = dynamic_cast<MyStaticText*>(child);
      parts.push_back(label ? label->GetInnerText() : child);
    }
    return parts;
  }
  // What is wrong with the title, the sites' headers and the sites in the list.
  std::string Faults() const {
    wxStaticText* title = Title();
    if (!title) return "no title\n";
    std::string faults = textfit::Faults(title->GetParent(), {title});
    std::vector<wxWindow*> shown = {title->GetParent()};
    for (SitePanel* site : m_sites->GetSitePanels()) {
      faults += textfit::Faults(site, HeaderParts(site));
      shown.push_back(site);
    }
    return faults + textfit::Faults(m_sites, shown) + textfit::Faults(m_frame, {m_sites});
  }
};

TEST_F(SitesPanelFit, TitleNamesAndCountsStayOnOneLineWholeOrCut) {
  m_sites->UpdateExtensionStatus("firefox", EXTENSION_ENABLE);
  for (const SiteCase& site : kSites) {
    m_sites->AddSitePanel(sitestest::Site(site.url, site.grade, 4), wxString::FromUTF8(site.name));
    for (int i = 0; i < site.people; ++i)
      m_sites->UpdateContact(sitestest::Person(site.url, "p" + std::to_string(i), false, i < site.inRoom));
  }
  const bool large = textfit::LargeFont(m_sites);
  for (int width : {420, 200}) {
    SCOPED_TRACE(width);
    m_frame->SetClientSize(wxSize(width, 500));
    ASSERT_TRUE(guitest::PumpUntil([&] { return m_frame->GetClientSize().x == width; }));
    guitest::PumpUntil([&] { return m_sites->GetClientSize().x == width && Faults().empty(); });
    EXPECT_EQ("", Faults());
    EXPECT_TRUE(textfit::WholeOrCut(Title(), "You are currently connected to:"));
    if (!large && width == 420) {
      EXPECT_FALSE(textfit::Cut(Title()));
    }
    for (const SiteCase& site : kSites) {
      SCOPED_TRACE(site.name);
      SitePanel* panel = m_sites->FindSitePanel(site.url);
      ASSERT_NE(nullptr, panel);
      const wxString name = wxString::FromUTF8(site.name);
      EXPECT_TRUE(textfit::WholeOrCut(panel->GetSiteLabel()->GetInnerText(), name));
      const wxString grade = site.grade > 10 ? "?.?" : site.grade == 10 ? "10." : "7.5";
      const std::pair<MyStaticText*, wxString> counts[] = {{panel->GetUsersLabel(), wxString() << site.people},
                                                           {panel->GetChatRoomUsersLabel(), wxString() << site.inRoom},
                                                           {panel->GetGradeLabel(), grade}};
      for (const auto& count : counts) {
        EXPECT_TRUE(textfit::WholeOrCut(count.first->GetInnerText(), count.second));
        // Short texts are shown whole.
        EXPECT_FALSE(textfit::Cut(count.first->GetInnerText())) << count.second;
      }
      wxStaticText* label = panel->GetSiteLabel()->GetInnerText();
      if (!large && width == 420) {
        EXPECT_TRUE(panel->AreCountsBesideName());
        EXPECT_EQ(name.length() > 40, textfit::Cut(label));
      }
      if (width == 200 && name.length() > 40) {
        EXPECT_TRUE(textfit::Cut(label));
      }
    }
  }
}

}  // namespace
