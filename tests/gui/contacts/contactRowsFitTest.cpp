// The rows of the contacts list at any width and font size: the nickname and the mood on one
// line inside the row, each whole or cut with an ellipsis, collapsed and expanded. Run again with
// every font twice as large.
#include <wx/stattext.h>

#include "gui/contacts/avatarBitmapPanel.h"
#include "gui/contacts/contactEntryDataPanel.h"
#include "tests/gui/contacts/contactsListFixture.h"
#include "tests/gui/textFit.h"
#include "widgets/accessibleName.h"
#include "widgets/myStaticText.h"

namespace {

using contactstest::ContactsListTest;

struct Row {
  const char* login;
  const char* nickname;
  const char* mood;
  const char* network;
  // Short enough to be shown whole in a window 320 pixels wide at the usual font size.
  bool short_;
};

const Row kRows[] = {
    {"amelie", "Amélie-Charlotte de la Fontaine-Dupont", "", "parlavox", false},
    {"eva", "Evangelina Maximiliana Rosenthal", "Away from the keyboard until tomorrow morning", "parlavox", false},
    {"kim", "Kim", "On the train to Lyon - back at six, call me then", "msn", false},
    {"ann", "Ann", "home", "parlavox", true},
};

class ContactRowsFit : public ContactsListTest {
 protected:
  ContactEntry* RowOf(const char* login) const {
    for (ChatRoomEntry* block : m_panel->GetBlocks())
      if (ContactEntry* row = block->FindRowWindow(login)) return row;
    return nullptr;
  }
  // What is wrong with the texts of the rows in sight and with the rows in the list.
  std::string Faults() const {
    std::string faults;
    std::vector<wxWindow*> rows;
    for (const Row& row : kRows) {
      ContactEntry* entry = RowOf(row.login);
      if (!entry) return std::string(row.login) + " has no row\n";
      rows.push_back(entry);
      std::vector<wxWindow*> texts = {entry->GetNicknameText()->GetInnerText()};
      if (!entry->GetMoodText()->GetLabelText().empty()) texts.push_back(entry->GetMoodText());
      faults += textfit::Faults(entry, texts);
    }
    return faults + textfit::Faults(m_panel, rows);
  }
  // Each text shows its whole or is cut with an ellipsis, and is read whole by screen readers.
  static void ExpectWholeOrCut(ContactEntry* entry, const Row& row) {
    wxStaticText* nickname = entry->GetNicknameText()->GetInnerText();
    EXPECT_TRUE(textfit::WholeOrCut(nickname, wxString::FromUTF8(row.nickname))) << nickname->GetLabelText();
    const wxString mood = *row.mood ? " - " + wxString::FromUTF8(row.mood) : wxString();
    EXPECT_TRUE(textfit::WholeOrCut(entry->GetMoodText(), mood)) << entry->GetMoodText()->GetLabelText();
    EXPECT_EQ(mood, accessible::GetName(entry->GetMoodText()));
  }
};

TEST_F(ContactRowsFit, NicknameAndMoodStayOnOneLineWholeOrCut) {
  for (const Row& row : kRows) {
    ContactInfo contact(row.login, row.nickname, "", "1.0", STATUS_ONLINE, "", "", 0, 0, 0, "", row.network, false);
    contact.SetMood(row.mood);
    contact.SetCity("Saint-Remy-en-Bouzemont-Saint-Genest-et-Isson");
    contact.SetCountry("France");
    Save(contact);
  }
  Open();
  const bool large = textfit::LargeFont(m_panel);
  for (int width : {320, 200}) {
    SCOPED_TRACE(width);
    m_frame->SetClientSize(wxSize(width, 560));
    ASSERT_TRUE(guitest::PumpUntil([&] { return m_frame->GetClientSize().x == width; }));
    m_panel->SetSize(m_frame->GetClientSize());
    Settle();
    guitest::PumpUntil([&] { return Faults().empty(); });
    EXPECT_EQ("", Faults());
    for (const Row& row : kRows) {
      SCOPED_TRACE(row.login);
      ContactEntry* entry = RowOf(row.login);
      ASSERT_NE(nullptr, entry);
      ExpectWholeOrCut(entry, row);
      wxStaticText* nickname = entry->GetNicknameText()->GetInnerText();
      if (row.short_ && width == 320 && !large) {
        EXPECT_FALSE(textfit::Cut(nickname) || textfit::Cut(entry->GetMoodText()));
      }
      // In a narrow window a long mood is cut, and a long nickname without one.
      if (!row.short_ && width == 200) {
        EXPECT_TRUE(textfit::Cut(*row.mood ? entry->GetMoodText() : nickname));
      }
    }
  }
  // Expanded, the grown avatar leaves the texts less room; collapsed again, more.
  ContactEntry* eva = RowOf("eva");
  ASSERT_NE(nullptr, eva);
  wxWindow* avatar = guitest::FindChild<AvatarBitmapPanel>(eva, [](AvatarBitmapPanel*) { return true; });
  ASSERT_NE(nullptr, avatar);
  ASSERT_TRUE(guitest::MovePointer(avatar, guitest::Middle(avatar)));
  ASSERT_TRUE(guitest::PumpUntil([&] { return ContactEntry::GetHighlighted() == eva; })) << "not expanded";
  // The details below the nickname too.
  auto* details = guitest::FindChild<ContactEntryDataPanel>(eva, [](ContactEntryDataPanel*) { return true; });
  ASSERT_NE(nullptr, details);
  const std::vector<wxStaticText*> lines = guitest::FindChildren<wxStaticText>(details);
  ASSERT_EQ(3u, lines.size());
  const wxString whole[] = {details->GetAgeText(), details->GetLocationText(), details->GetStatusText()};
  auto all = [&] { return Faults() + textfit::Faults(eva, {lines[0], lines[1], lines[2]}); };
  guitest::PumpUntil([&] { return all().empty(); });
  EXPECT_EQ("", all());
  ExpectWholeOrCut(eva, kRows[1]);
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(textfit::WholeOrCut(lines[i], whole[i])) << lines[i]->GetLabelText();
  EXPECT_TRUE(textfit::Cut(lines[1])) << "the location is shown whole";
}

}  // namespace
