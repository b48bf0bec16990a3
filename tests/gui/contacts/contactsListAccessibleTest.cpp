// Where a screen reader is told the rows of a long contacts list stand. The X server keeps window
// places in 16 bits, and a list of thousands of contacts is far taller than that: scrolled
// anywhere in it, each row with a window tells, through its accessible object, the place where
// the screen shows it.
#include <dlfcn.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/gui/contacts/contactsListFixture.h"

namespace {

using contactstest::ContactsListTest;

// The row's place on the screen as the toolkit's accessible object of the window tells it (the
// extents of the component, in screen coordinates); empty where the toolkit offers none.
wxRect AccessibleExtents(wxWindow* window) {
  using GetAccessible = void* (*)(void*);
  using GetExtents = void (*)(void*, int*, int*, int*, int*, int);
  static const auto accessible = reinterpret_cast<GetAccessible>(dlsym(RTLD_DEFAULT, "gtk_widget_get_accessible"));
  static const auto extents = reinterpret_cast<GetExtents>(dlsym(RTLD_DEFAULT, "atk_component_get_extents"));
  void* object = accessible && window->GetHandle() ? accessible(window->GetHandle()) : nullptr;
  if (!extents || !object) return wxRect();
  int x = 0, y = 0, width = 0, height = 0;
  const int kScreen = 0;
  extents(object, &x, &y, &width, &height, kScreen);
  return wxRect(x, y, width, height);
}

std::string Text(const wxRect& r) {
  return std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.width) + "x" + std::to_string(r.height);
}

class ContactsListAccessible : public ContactsListTest {
 protected:
  // The settings outlive the test: the sort goes back to the one every test starts from.
  void TearDown() override {
    ContactsListTest::TearDown();
    Config::GetInstance()->SetGroupOffline(2);
  }
  // The top of the block in the list's window, from the heights of the blocks above it.
  int BlockTop(const ChatRoomEntry* block) const {
    int top = 0;
    for (const ChatRoomEntry* above : m_panel->GetBlocks()) {
      if (above == block) break;
      top += above->GetMinSize().y;
    }
    return m_panel->CalcScrolledPosition(wxPoint(0, top)).y;
  }
  // Where the screen shows the row of `login`: the list's window stands in reach of the X
  // server's places, and the row stands at its place in the block below the block's top.
  wxRect OnScreen(const ChatRoomEntry* block, const std::string& login) const {
    const wxRect inBlock = block->GetRowRect(login);
    return wxRect(m_panel->ClientToScreen(wxPoint(inBlock.x, BlockTop(block) + inBlock.y)), inBlock.GetSize());
  }
  // Whether every row with a window shown tells the place where the screen shows it. The tool
  // kit moves the windows of a scrolled list at its next frame, which a loaded machine gives
  // later than the list's own placing: what the rows tell is looked at once that frame came.
  bool RowsTellTheirPlace() const {
    for (ChatRoomEntry* block : m_panel->GetBlocks())
      for (const std::string& login : block->GetLogins()) {
        ContactEntry* row = block->FindRowWindow(login);
        if (row && row->IsShown() && OnScreen(block, login) != AccessibleExtents(row)) return false;
      }
    return true;
  }
  // Checks every row that has a window shown, and the headers in the view; returns how many
  // rows stand in the list's view.
  int CheckRows() {
    guitest::PumpUntil([&] { return RowsTellTheirPlace(); }, 5000);
    int inView = 0;
    const wxRect view(m_panel->GetScreenPosition(), m_panel->GetClientSize());
    for (ChatRoomEntry* block : m_panel->GetBlocks()) {
      for (const std::string& login : block->GetLogins()) {
        ContactEntry* row = block->FindRowWindow(login);
        if (!row || !row->IsShown()) continue;
        const wxRect expected = OnScreen(block, login);
        EXPECT_EQ(Text(expected), Text(AccessibleExtents(row))) << login << " in " << block->GetGroupName();
        EXPECT_EQ(Text(expected), Text(wxRect(row->GetScreenPosition(), row->GetSize()))) << login;
        if (!view.Contains(expected.GetTopLeft())) continue;
        ++inView;
        // Inside its block's window, or it would not be drawn.
        EXPECT_TRUE(wxRect(block->GetSize()).Contains(row->GetRect())) << login << " at " << Text(row->GetRect());
      }
      // A header in the view tells where it is drawn.
      wxWindow* header = block->GetHeader();
      const wxRect drawn(header->GetScreenPosition(), header->GetSize());
      if (view.Intersects(drawn)) {
        EXPECT_EQ(m_panel->ClientToScreen(wxPoint(0, BlockTop(block))).y + m_headerTop, drawn.y);
        EXPECT_EQ(Text(drawn), Text(AccessibleExtents(header))) << block->GetGroupName();
      }
    }
    return inView;
  }

  // Where a header stands below its block's top.
  int m_headerTop = 0;
};

TEST_F(ContactsListAccessible, EveryRowTellsWhereTheScreenShowsItWhereverTheListIsScrolled) {
  ASSERT_FALSE(AccessibleExtents(m_frame).IsEmpty()) << "the toolkit offers no accessible objects";
  // Online and offline contacts apart: two blocks of 2,000 rows each, both far taller than the
  // X server's reach.
  Config::GetInstance()->SetGroupOffline(1);
  const int count = 4000;
  for (int i = 0; i < count; ++i) {
    char login[16];
    snprintf(login, sizeof login, "u%04d", i);
    Save(Contact(login, login, i % 2 ? STATUS_OFFLINE : STATUS_ONLINE));
  }
  Open();
  ASSERT_EQ(2u, m_panel->GetBlocks().size());
  ChatRoomEntry* online = m_panel->GetBlocks()[0];
  ChatRoomEntry* offline = m_panel->GetBlocks()[1];
  ASSERT_EQ(count / 2, online->GetNbrUsers());
  ASSERT_EQ(count / 2, offline->GetNbrUsers());
  m_headerTop = online->GetHeader()->GetPosition().y;
  int scrollUnit = 0;
  m_panel->GetScrollPixelsPerUnit(nullptr, &scrollUnit);
  ASSERT_GT(scrollUnit, 0);
  // Rows to bring to the top of the view, the first and last ones and those on either side of
  // each multiple of the 16-bit reach.
  const std::vector<std::pair<ChatRoomEntry*, int>> targets = {
      {online, 0},     {online, 1100},   {online, 1169},  {online, 1171},  {online, 1400}, {online, 1999},
      {offline, 0},    {offline, 100},   {offline, 1000}, {offline, 1990}, {online, 2},    {offline, 1999},
      {online, 1170},
  };
  for (const auto& target : targets) {
    const std::string login = target.first->GetLogins()[size_t(target.second)];
    SCOPED_TRACE(login);
    const int virtualTop = BlockTop(target.first) + target.first->GetRowRect(login).y -
                           m_panel->CalcScrolledPosition(wxPoint(0, 0)).y;
    m_panel->Scroll(0, virtualTop / scrollUnit);
    m_panel->PlaceVisibleRows();
    Settle();
    EXPECT_GT(CheckRows(), 5);
  }
}

// A presence change moves a row across a block of thousands, from the top of the view to the
// block's end and back: the rows it left close up, it stands right below the last one, and every
// row with a window shown stands where the block's order puts it and tells the screen reader so.
TEST_F(ContactsListAccessible, ARowMovedAcrossThousandsOfRowsStandsWhereItBelongsAndSaysSo) {
  ASSERT_FALSE(AccessibleExtents(m_frame).IsEmpty()) << "the toolkit offers no accessible objects";
  const int count = 3000;
  for (int i = 0; i < count; ++i) {
    char login[16];
    snprintf(login, sizeof login, "u%04d", i);
    Save(Contact(login, login, STATUS_ONLINE));
  }
  Open();
  Settle();
  ASSERT_EQ(1u, m_panel->GetBlocks().size());
  ChatRoomEntry* block = m_panel->GetBlocks()[0];
  m_headerTop = block->GetHeader()->GetPosition().y;
  int scrollUnit = 0;
  m_panel->GetScrollPixelsPerUnit(nullptr, &scrollUnit);
  ASSERT_GT(scrollUnit, 0);
  // The rows [first, first + 8) have their windows shown one right below the other, in order.
  auto inOrder = [&](size_t first) {
    const std::vector<std::string> logins = block->GetLogins();
    for (size_t i = first; i < first + 8 && i < logins.size(); ++i) {
      ContactEntry* row = block->FindRowWindow(logins[i]);
      if (!row || !row->IsShown() || row->GetLogin() != logins[i]) return "no window shown for " + logins[i];
      if (i == first) continue;
      ContactEntry* above = block->FindRowWindow(logins[i - 1]);
      if (row->GetScreenPosition().y != above->GetScreenPosition().y + above->GetSize().y)
        return logins[i] + " not right below " + logins[i - 1];
    }
    return std::string();
  };
  auto scrollTo = [&](const std::string& login) {
    const int virtualTop =
        BlockTop(block) + block->GetRowRect(login).y - m_panel->CalcScrolledPosition(wxPoint(0, 0)).y;
    m_panel->Scroll(0, virtualTop / scrollUnit);
    m_panel->PlaceVisibleRows();
    Settle();
  };
  const std::string moved = "u0000";
  ASSERT_EQ(moved, block->GetLogins().front());
  Update(Contact(moved, moved, STATUS_OFFLINE));
  Settle();
  std::vector<std::string> logins = block->GetLogins();
  ASSERT_EQ(size_t(count), logins.size());
  EXPECT_EQ("u0001", logins.front());
  EXPECT_EQ(moved, logins.back());
  EXPECT_EQ("", inOrder(0));
  EXPECT_GT(CheckRows(), 5);
  // At the block's end it is the last row, right below the one before it, and ends the block.
  scrollTo(logins[size_t(count) - 10]);
  EXPECT_EQ("", inOrder(size_t(count) - 8));
  EXPECT_GT(CheckRows(), 5);
  EXPECT_EQ(block->GetRowRect(logins[size_t(count) - 2]).GetBottom() + 1, block->GetRowRect(moved).y);
  EXPECT_EQ(block->GetRowRect(moved).GetBottom() + 1, block->GetMinSize().y);
  // Back online, it leaves the end, which closes up, and heads the block again.
  Update(Contact(moved, moved, STATUS_ONLINE));
  Settle();
  logins = block->GetLogins();
  EXPECT_EQ(moved, logins.front());
  EXPECT_EQ("u2999", logins.back());
  EXPECT_EQ("", inOrder(size_t(count) - 8));
  EXPECT_GT(CheckRows(), 5);
  EXPECT_EQ(block->GetRowRect("u2999").GetBottom() + 1, block->GetMinSize().y);
  scrollTo(moved);
  EXPECT_EQ("", inOrder(0));
  EXPECT_GT(CheckRows(), 5);
}

}  // namespace
