// A plain description of what a chat-room page shows, for saving it: paragraphs of runs, each
// run some words, a link or a smiley. The page fills it from its display; the saver writes it.
#ifndef PARLAVOX_GUI_ROOMS_CONVERSATION_H
#define PARLAVOX_GUI_ROOMS_CONVERSATION_H

#include <string>
#include <vector>

struct ConversationRun {
  enum Kind { kText, kLink, kSmiley };
  Kind kind = kText;
  std::string text;       // UTF-8: the words, the link's shown text, or the smiley's shortcut
  std::string target;     // a link's address
  std::string imagePath;  // a smiley's picture file
  std::string colour;     // "#rrggbb", or empty for the page's own colour
  bool bold = false;
};

struct ConversationParagraph {
  std::vector<ConversationRun> runs;
};

struct Conversation {
  std::string title;  // the room's name
  std::vector<ConversationParagraph> paragraphs;
};

#endif
