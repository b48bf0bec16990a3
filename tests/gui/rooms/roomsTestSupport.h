// The chat-rooms window of a real main window, and what its pages show.
#ifndef PARLAVOX_TESTS_GUI_ROOMS_ROOMSTESTSUPPORT_H
#define PARLAVOX_TESTS_GUI_ROOMS_ROOMSTESTSUPPORT_H

#include <dlfcn.h>
#include <wx/richtext/richtextctrl.h>
#include <wx/toolbar.h>

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

// The middle of a tool on the screen, where the toolkit placed it (the tool bar is a toolkit
// tool bar inside the window's own widget; the build has no toolkit headers).
inline wxPoint ToolCentre(wxToolBar* tools, int id) {
  using Child = void* (*)(void*);
  using Item = void* (*)(void*, int);
  using Translate = int (*)(void*, void*, int, int, int*, int*);
  using Extent = int (*)(void*);
  static const auto child = reinterpret_cast<Child>(dlsym(RTLD_DEFAULT, "gtk_bin_get_child"));
  static const auto item = reinterpret_cast<Item>(dlsym(RTLD_DEFAULT, "gtk_toolbar_get_nth_item"));
  static const auto translate = reinterpret_cast<Translate>(dlsym(RTLD_DEFAULT, "gtk_widget_translate_coordinates"));
  static const auto width = reinterpret_cast<Extent>(dlsym(RTLD_DEFAULT, "gtk_widget_get_allocated_width"));
  static const auto height = reinterpret_cast<Extent>(dlsym(RTLD_DEFAULT, "gtk_widget_get_allocated_height"));
  void* outer = tools->GetHandle();
  void* tool = child && item && outer ? item(child(outer), tools->GetToolPos(id)) : nullptr;
  int x = 0, y = 0;
  if (!tool || !translate(tool, outer, 0, 0, &x, &y)) {
    ADD_FAILURE() << "tool " << id << " not found";
    return tools->GetScreenPosition();
  }
  return tools->GetScreenPosition() + wxPoint(x + width(tool) / 2, y + height(tool) / 2);
}

// Moves the pointer onto a tool and waits, as a user does before clicking, until the toolkit
// shows the tool under it (lit): nothing else lies over it and a click there reaches it.
inline bool PointAtTool(wxToolBar* tools, int id) {
  using Child = void* (*)(void*);
  using Item = void* (*)(void*, int);
  using Flags = int (*)(void*);
  static const auto child = reinterpret_cast<Child>(dlsym(RTLD_DEFAULT, "gtk_bin_get_child"));
  static const auto item = reinterpret_cast<Item>(dlsym(RTLD_DEFAULT, "gtk_toolbar_get_nth_item"));
  static const auto flags = reinterpret_cast<Flags>(dlsym(RTLD_DEFAULT, "gtk_widget_get_state_flags"));
  const int kLit = 1 << 1;  // the toolkit's "prelight" state flag
  void* tool = child && item ? item(child(tools->GetHandle()), tools->GetToolPos(id)) : nullptr;
  void* button = tool ? child(tool) : nullptr;
  if (!button || !flags) return false;
  // A page just brought forward has its tool bar placed by the toolkit a moment later: until
  // then the tool has no size, and a point worked out from it lies off the tool.
  using Extent = int (*)(void*);
  static const auto width = reinterpret_cast<Extent>(dlsym(RTLD_DEFAULT, "gtk_widget_get_allocated_width"));
  if (!guitest::PumpUntil([&] { return tools->IsShownOnScreen() && width(tool) > 1 && tools->GetSize().x > 1; }))
    return false;
  // From the tool bar's far end onto the tool, so that the pointer comes in even when it stood
  // there already: the toolkit lights a tool as the pointer enters it.
  const wxPoint centre = ToolCentre(tools, id);
  const wxPoint away(tools->GetScreenRect().GetRight() - 2, centre.y);
  wxUIActionSimulator sim;
  sim.MouseMove(away);
  guitest::PumpUntil([&] { return wxGetMousePosition() == away; });
  sim.MouseMove(centre);
  return guitest::PumpUntil([&] { return (flags(button) & kLit) != 0; });
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
