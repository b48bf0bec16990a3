// Saving a chat-room page's conversation to a file the user chooses: self-contained HTML in
// UTF-8 (smileys embedded, every text escaped) or plain text, chosen by the name's extension.
// The file is written beside its final name and renamed over it, so a failed save leaves any
// earlier file whole; an existing file is replaced only once the user agreed.
#ifndef PARLAVOX_GUI_ROOMS_CONVERSATIONSAVER_H
#define PARLAVOX_GUI_ROOMS_CONVERSATIONSAVER_H

#include <string>

#include "gui/rooms/conversation.h"

class wxWindow;

namespace conversation {

enum class Format { kHtml, kText };

struct Target {
  std::string path;
  Format format;
};

// By the file name's own extension, in any case: "txt" is text; "htm", "html" or any other is
// HTML under the name as chosen; a name without extension gets ".html".
Target ChooseTarget(const std::string& chosenPath);

std::string ToHtml(const Conversation& conversation);
std::string ToText(const Conversation& conversation);

// Writes `bytes` to `path` through a temporary file in the same folder; on failure nothing is
// left behind, `error` says why and the file that was there is untouched.
bool WriteReplacing(const std::string& path, const std::string& bytes, std::string* error);

// Asks for a file name (nothing happens when the user cancels), then saves there.
void SaveChatSession(wxWindow* parent, const Conversation& conversation);
// Saves to the path the user chose: asks before replacing a file, tells the user when the
// save failed. True when the file was written.
bool SaveTo(wxWindow* parent, const Conversation& conversation, const std::string& chosenPath);

}  // namespace conversation

#endif
