// The chat-rooms window of a real main window, and what its pages show.
#ifndef PARLAVOX_TESTS_GUI_ROOMS_ROOMSTESTSUPPORT_H
#define PARLAVOX_TESTS_GUI_ROOMS_ROOMSTESTSUPPORT_H

#include <wx/richtext/richtextctrl.h>

#include <string>

#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/rooms/myTextCtrl.h"
#include "gui/rooms/smileyGrid.h"
#include "gui/rooms/writeMessagePanel.h"
#include "tests/gui/mainWindowFixture.h"

namespace roomstest {

// The conversation as text, every waiting line written first; paragraphs end in "\n".
inline wxString Shown(ChatRoomPanel* page) {
  page->FlushLines();
  return page->GetDisplay()->GetValue();
}

// The pictures in the conversation.
inline int Pictures(ChatRoomPanel* page) {
  page->FlushLines();
  int count = 0;
  for (wxRichTextObject* paragraph : page->GetDisplay()->GetBuffer().GetChildren())
    for (wxRichTextObject* child : dynamic_cast<wxRichTextCompositeObject*>(paragraph)->GetChildren())
      if (dynamic_cast<wxRichTextImage*>(child)) ++count;
  return count;
}

inline size_t Paragraphs(ChatRoomPanel* page) {
  page->FlushLines();
  return page->GetDisplay()->GetBuffer().GetChildCount();
}

// The style of the first character of the first `text` shown.
inline wxRichTextAttr StyleOf(ChatRoomPanel* page, const wxString& text) {
  wxRichTextAttr style;
  const int at = Shown(page).Find(text);
  EXPECT_NE(wxNOT_FOUND, at) << text;
  if (at != wxNOT_FOUND) page->GetDisplay()->GetStyle(at, style);
  return style;
}

class RoomsWindow : public guitest::MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    BeforeOpen();
    frame = Open();
    rooms = guitest::FindChild<ChatRoomsNotebook>(frame, [](ChatRoomsNotebook*) { return true; });
    ASSERT_TRUE(rooms);
  }

  // What is set up before the main window opens.
  virtual void BeforeOpen() {}

  guitest::SpyMainFrame* frame = nullptr;
  ChatRoomsNotebook* rooms = nullptr;
};

}  // namespace roomstest

#endif
