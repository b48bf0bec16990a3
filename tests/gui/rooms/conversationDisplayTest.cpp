// A room's conversation display under load: it lays its lines out and paints them exactly as the
// toolkit's own drawing would, and once full it takes whole lines off its top, keeps the latest ones as they
// were written (and as the save describes them), and follows the conversation only while the
// user has not scrolled away from its end.
#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/display.h>
#include <wx/richtext/richtextbuffer.h>
#include <wx/settings.h>

#include <ctime>
#include <string>
#include <vector>

#include "model/message.h"
#include "tests/gui/rooms/roomsTestSupport.h"
#include "tests/support/pixels.h"
#include "tests/support/screenCapture.h"

namespace {

using roomstest::Paragraphs;
using roomstest::RoomsWindow;
using roomstest::Shown;

// Where each paragraph and each of its lines were placed, and how large they are.
std::vector<std::string> Placing(wxRichTextCtrl* display) {
  std::vector<std::string> placing;
  for (wxRichTextObject* child : display->GetBuffer().GetChildren()) {
    auto* paragraph = dynamic_cast<wxRichTextParagraph*>(child);
    if (!paragraph) continue;
    std::string text = std::to_string(paragraph->GetPosition().y) + "/" + std::to_string(paragraph->GetCachedSize().y) + ":";
    for (wxRichTextLine* line : paragraph->GetLines())
      text += " " + std::to_string(line->GetRange().GetStart()) + "+" + std::to_string(line->GetRange().GetLength()) + "@" +
              std::to_string(line->GetSize().x) + "x" + std::to_string(line->GetSize().y);
    placing.push_back(text);
  }
  return placing;
}

// The numbers of the lines "line N" shown, in order.
std::vector<int> Numbers(const wxString& shown) {
  std::vector<int> numbers;
  for (size_t at = shown.find("line "); at != wxString::npos; at = shown.find("line ", at + 1)) {
    long number = 0;
    if (shown.Mid(at + 5).BeforeFirst(' ').BeforeFirst('\n').ToLong(&number)) numbers.push_back(int(number));
  }
  return numbers;
}

// Hostile lines of every kind into the room's display.
void Fill(ChatRoomsNotebook* rooms, ChatRoomPanel* page, const std::string& room) {
  const std::string lines[] = {
      std::string(512, 'w'),
      "\xE2\x80\xAE" "reversed\x1b[2J\x07 :) :-( (h) and a link http://www.a.example/" + std::string(200, 'x'),
      std::string(187, ':') + " :) www.b.example/" + std::string(300, 'y'),
      "words that wrap: " + std::string(60, ' ') + "the quick brown fox jumps over the lazy dog, twelve times over",
  };
  for (int i = 0; i < 24; ++i) {
    Message line(room, "mallory", "Mallory", lines[i % 4], time(nullptr), i % 3 == 0);
    rooms->AddMessage(&line);
    if (i % 5 == 0) page->AddAdminMessage("a notice between the lines", time(nullptr), wxBLUE);
  }
  page->FlushLines();
  guitest::Pump(100);
}

// The display laid out afresh by itself, then at once (at the same size) by its buffer on the
// toolkit's own drawing of the window: the same places, line for line.
void ExpectTheToolkitsLayout(wxRichTextCtrl* display) {
  display->GetBuffer().Invalidate(wxRICHTEXT_ALL);
  display->LayoutContent();
  const std::vector<std::string> ours = Placing(display);
  ASSERT_GT(ours.size(), 40u);
  display->GetBuffer().Invalidate(wxRICHTEXT_ALL);
  wxClientDC dc(display);
  display->PrepareDC(dc);
  dc.SetFont(display->GetFont());
  wxRichTextDrawingContext context(&display->GetBuffer());
  const wxRect space(display->GetClientSize());
  display->GetBuffer().Layout(dc, context, space, space, wxRICHTEXT_FIXED_WIDTH | wxRICHTEXT_VARIABLE_HEIGHT);
  const std::vector<std::string> toolkits = Placing(display);
  ASSERT_EQ(toolkits.size(), ours.size());
  for (size_t i = 0; i < ours.size(); ++i) EXPECT_EQ(toolkits[i], ours[i]) << "paragraph " << i;
  EXPECT_EQ(wxDisplay(display).GetPPI(), display->GetDPI());
}

TEST_F(RoomsWindow, TheDisplayLaysOutAsTheToolkitWould) {
  ChatRoomPanel* page = rooms->CreateChatRoom("http://layout.example/", "layout", "Chatroom opened");
  rooms->Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return rooms->IsShownOnScreen(); }));
  Fill(rooms, page, "http://layout.example/");
  ExpectTheToolkitsLayout(page->GetDisplay());
  // Behind another room's tab, out of sight.
  rooms->CreateChatRoom("http://front.example/", "front", "Chatroom opened");
  ASSERT_TRUE(guitest::PumpUntil([&] { return !page->IsShownOnScreen(); }));
  Fill(rooms, page, "http://layout.example/");
  ExpectTheToolkitsLayout(page->GetDisplay());
}

// What the display shows on screen once painted afresh.
wxImage Painted(wxRichTextCtrl* display) {
  display->Refresh();
  display->Update();
  guitest::Pump(100);
  return screencapture::Capture(display->GetScreenRect());
}

// Scrolled into its middle, with a selection across smileys and links: the display paints itself
// as the toolkit paints it when it has a caret to draw, pixel for pixel but for the caret.
TEST_F(RoomsWindow, TheDisplayPaintsAsTheToolkitWould) {
  ChatRoomPanel* page = rooms->CreateChatRoom("http://paint.example/", "paint", "Chatroom opened");
  rooms->Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return rooms->IsShownOnScreen(); }));
  Fill(rooms, page, "http://paint.example/");
  wxRichTextCtrl* display = page->GetDisplay();
  int unitX = 0, unitY = 0, rangeX = 0, rangeY = 0;
  display->GetScrollPixelsPerUnit(&unitX, &unitY);
  display->GetVirtualSize(&rangeX, &rangeY);
  ASSERT_GT(unitY, 0);
  display->Scroll(0, rangeY / unitY / 2);
  const long middle = display->GetLastPosition() / 2;
  display->SetSelection(middle - 300, middle + 300);
  ASSERT_FALSE(display->GetCaret()->IsVisible());
  const wxImage ours = Painted(display);
  display->GetCaret()->Show();
  const wxImage toolkits = Painted(display);
  const wxPoint caretAt = display->ClientToScreen(display->GetCaret()->GetPosition()) - display->GetScreenPosition();
  const wxRect caret = wxRect(caretAt, display->GetCaret()->GetSize()).Inflate(2);
  display->GetCaret()->Hide();
  ASSERT_EQ(ours.GetSize(), toolkits.GetSize());
  // The scroll bar over the display's right edge is the toolkit's, and fades in and out.
  const int textWidth = ours.GetWidth() - wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, display);
  int differing = 0;
  wxPoint first;
  for (int y = 0; y < ours.GetHeight(); ++y)
    for (int x = 0; x < textWidth; ++x)
      if (!caret.Contains(x, y) &&
          testsupport::PixelAt(ours, x, y) != testsupport::PixelAt(toolkits, x, y) && differing++ == 0)
        first = wxPoint(x, y);
  EXPECT_EQ(0, differing) << "first at " << first.x << "," << first.y;
}

TEST_F(RoomsWindow, AFullDisplayTakesWholeLinesOffItsTopAndFollowsOnlyAtItsEnd) {
  const std::string room = "http://full.example/";
  ChatRoomPanel* page = rooms->CreateChatRoom(room, "full", "Chatroom opened");
  rooms->Show();
  ASSERT_TRUE(guitest::PumpUntil([&] { return rooms->IsShownOnScreen(); }));
  wxRichTextCtrl* display = page->GetDisplay();
  int written = 0;
  auto add = [&](int count) {
    for (int i = 0; i < count; ++i, ++written) {
      if (written % 3 == 2) {
        page->AddAdminMessage("line " + std::to_string(written) + " a notice", time(nullptr), wxBLUE);
        continue;
      }
      Message line(room, "bob", "Bob", "line " + std::to_string(written) + " says bob", time(nullptr), false);
      rooms->AddMessage(&line);
    }
    page->FlushLines();
  };

  // Past the bound several times over: whole lines go from the top, the latest stay in order.
  add(700);
  std::vector<int> numbers = Numbers(Shown(page));
  ASSERT_FALSE(numbers.empty());
  EXPECT_EQ(written - 1, numbers.back());
  for (size_t i = 1; i < numbers.size(); ++i) ASSERT_EQ(numbers[i - 1] + 1, numbers[i]) << i;
  EXPECT_LE(Paragraphs(page), ChatRoomPanel::kMaxParagraphs + 1);
  EXPECT_GE(Paragraphs(page), ChatRoomPanel::kMaxParagraphs / 2);
  EXPECT_TRUE(Shown(page).StartsWith("(")) << Shown(page).Left(80);
  // What the save describes is what the display shows, paragraph by paragraph.
  const Conversation saved = page->Describe();
  ASSERT_EQ(Paragraphs(page) - 1, saved.paragraphs.size());
  wxRichTextObjectList::compatibility_iterator node = display->GetBuffer().GetChildren().GetFirst();
  for (const ConversationParagraph& paragraph : saved.paragraphs) {
    std::string text;
    for (const ConversationRun& run : paragraph.runs) text += run.text;
    wxRichTextObject* shown = node->GetData();
    EXPECT_EQ(text, shown->GetTextForRange(shown->GetRange()).ToStdString());
    node = node->GetNext();
  }

  // At its end, the display follows new lines.
  EXPECT_TRUE(display->IsPositionVisible(display->GetLastPosition()));
  // Scrolled back to its top by the user, it stays there while lines come and the full display
  // takes its oldest off.
  display->Scroll(0, 0);
  guitest::Pump(50);
  add(300);
  int x = 0, y = -1;
  display->GetViewStart(&x, &y);
  EXPECT_EQ(0, y);
  EXPECT_FALSE(display->IsPositionVisible(display->GetLastPosition()));
  // Back at its end, it follows again.
  display->ShowPosition(display->GetLastPosition());
  guitest::Pump(50);
  add(30);
  EXPECT_TRUE(display->IsPositionVisible(display->GetLastPosition()));
  EXPECT_EQ(written - 1, Numbers(Shown(page)).back());
}

}  // namespace
