// The headers of the contacts list's blocks at any width and font size: each as high as its texts,
// none over another header or over a row, the fold icon, the title and the counts side by side
// inside it, each whole or cut with an ellipsis, and the title told whole to a screen reader.
// Run again with every font twice as large.
#include "gui/contacts/myButtonBitmap.h"
#include "tests/gui/contacts/contactsListFixture.h"
#include "tests/gui/textFit.h"
#include "widgets/accessibleName.h"
#include "widgets/countsLabel.h"
#include "widgets/myStaticText.h"

namespace {

using contactstest::ContactsListTest;

class GroupHeadersFit : public ContactsListTest {
 protected:
  void TearDown() override {
    ContactsListTest::TearDown();
    Config::GetInstance()->SetGroupMode(0);
    Config::GetInstance()->SetGroupOffline(2);
  }
  // The fold icon, the title and the counts of a header.
  static std::vector<wxWindow*> Parts(GroupEntry* header) {
    return {header->GetFoldIcon(), header->GetTitleText()->GetInnerText(),
            guitest::FindChild<CountsLabel>(header, [](CountsLabel*) { return true; })};
  }
  // What is wrong with the headers and the rows in sight, top to bottom; empty when nothing is.
  std::string Faults() const {
    std::string faults;
    std::vector<wxWindow*> shown;
    for (ChatRoomEntry* block : m_panel->GetBlocks()) {
      GroupEntry* header = block->GetHeader();
      faults += textfit::Faults(header, Parts(header));
      shown.push_back(header);
      for (const std::string& login : block->GetLogins())
        if (ContactEntry* row = block->FindRowWindow(login))
          if (row->IsShown()) shown.push_back(row);
    }
    // Every header and row in the list's view, none over another.
    return faults + textfit::Faults(m_panel, shown);
  }
};

TEST_F(GroupHeadersFit, HeadersHoldTheirTextsWholeOrCutAndStandApart) {
  Config* config = Config::GetInstance();
  config->SetGroupMode(1);
  config->SetGroupOffline(1);
  const std::string club = "Friends from the tennis club";
  config->AddGroup("Family");
  config->AddGroup(club);
  Save(Contact("ann", "Ann", STATUS_ONLINE, "Family"));
  Save(Contact("bob", "bob", STATUS_AWAY, club));
  Save(Contact("carl", "carl", STATUS_OFFLINE, club));
  Save(Contact("dan", "dan", STATUS_BUSY));
  Open();
  const bool large = textfit::LargeFont(m_panel);
  ASSERT_EQ(4u, m_panel->GetBlocks().size());
  for (int width : {320, 200}) {
    SCOPED_TRACE(width);
    m_frame->SetClientSize(wxSize(width, 560));
    ASSERT_TRUE(guitest::PumpUntil([&] { return m_frame->GetClientSize().x == width; }))
        << "the window is " << m_frame->GetClientSize().x << " wide";
    m_panel->SetSize(m_frame->GetClientSize());
    Settle();
    guitest::PumpUntil([&] { return Faults().empty(); });
    EXPECT_EQ("", Faults());
    for (ChatRoomEntry* block : m_panel->GetBlocks()) {
      GroupEntry* header = block->GetHeader();
      wxWindow* title = header->GetTitleText()->GetInnerText();
      EXPECT_EQ(header->GetTitle(), accessible::GetName(title));
      // Short texts are shown whole where there is room, at the usual font size.
      if (width == 320 && !large && block->GetGroupName() != club) {
        for (wxWindow* text : Parts(header)) EXPECT_FALSE(textfit::Cut(text)) << header->GetTitle();
      }
      if (width == 200 && block->GetGroupName() == club) {
        EXPECT_TRUE(guitest::PumpUntil([&] { return textfit::Cut(title); })) << "the title is shown whole";
      }
    }
  }
}

// Each header stops the tool kit's layout after a new count at itself: a count that gains a digit
// has the header lay its texts out again, and the counts are shown whole at their new width, the
// header where it stood, however the count grows or shrinks and whatever the header's width.
TEST_F(GroupHeadersFit, CountsGainingAndLosingDigitsStayWholeInPlace) {
  Config* config = Config::GetInstance();
  config->SetGroupMode(1);
  config->SetGroupOffline(2);
  config->AddGroup("Family");
  for (int i = 0; i < 9; ++i) Save(Contact("c" + std::to_string(i), "C" + std::to_string(i), STATUS_OFFLINE, "Family"));
  Open();
  const bool large = textfit::LargeFont(m_panel);
  ChatRoomEntry* block = m_panel->FindChatRoomEntry("Family");
  ASSERT_NE(nullptr, block);
  GroupEntry* header = block->GetHeader();
  wxWindow* counts = Parts(header)[2];
  const wxRect place = header->GetScreenRect();
  // Connected one by one: one digit, then two; a tenth saved contact; then leaving again.
  struct Step {
    int connect;
    bool save;
    const char* counts;
  } steps[] = {{1, false, "(1 / 9 contacts)"},  {9, false, "(9 / 9 contacts)"},  {9, true, "(9 / 10 contacts)"},
               {10, false, "(10 / 10 contacts)"}, {2, false, "(2 / 10 contacts)"}};
  int connected = 0;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.counts);
    if (step.save) Update(*Save(Contact("c9", "C9", STATUS_OFFLINE, "Family")));
    for (; connected < step.connect; ++connected)
      Update(Contact("c" + std::to_string(connected), "C" + std::to_string(connected), STATUS_ONLINE, "Family"));
    for (; connected > step.connect; --connected)
      Update(Contact("c" + std::to_string(connected - 1), "C" + std::to_string(connected - 1), STATUS_OFFLINE, "Family"));
    Settle();
    ASSERT_TRUE(guitest::PumpUntil([&] { return header->GetCountsText() == step.counts; })) << header->GetCountsText();
    guitest::PumpUntil([&] { return Faults().empty() && (large || !textfit::Cut(counts)); });
    EXPECT_EQ("", Faults());
    if (!large) {
      EXPECT_FALSE(textfit::Cut(counts));
    }
    EXPECT_EQ(place, header->GetScreenRect());
  }
}

}  // namespace
