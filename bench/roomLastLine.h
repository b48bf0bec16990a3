// What the benches of a burst into a chat room look at to know that the window has shown it: the
// last line that the room's display holds.
#ifndef PARLAVOX_BENCH_ROOMLASTLINE_H
#define PARLAVOX_BENCH_ROOMLASTLINE_H

#include <wx/richtext/richtextctrl.h>

#include <chrono>

#include "gui/rooms/chatRoomPanel.h"

// Whether the display's last line holds `text`; read no more than ten times a second, so that
// looking costs the measure nothing.
inline bool LastLineHas(ChatRoomPanel* page, const wxString& text) {
  using Clock = std::chrono::steady_clock;
  static Clock::time_point looked;
  if (Clock::now() - looked < std::chrono::milliseconds(100)) return false;
  looked = Clock::now();
  wxRichTextObjectList& paragraphs = page->GetDisplay()->GetBuffer().GetChildren();
  for (wxRichTextObjectList::compatibility_iterator node = paragraphs.GetLast(); node; node = node->GetPrevious()) {
    wxRichTextObject* paragraph = node->GetData();
    const wxString line = paragraph->GetTextForRange(paragraph->GetRange());
    if (!line.empty()) return line.Contains(text);
  }
  return false;
}

#endif
