// Saving the chat-room page's conversation: what the display shows, line by line, described for
// the saver (time stamps, senders, texts with their links and smileys, notices, in their colours).
#include <wx/intl.h>
#include <wx/richtext/richtextbuffer.h>

#include "gui/rooms/chatRoomPanel.h"
#include "gui/rooms/conversationSaver.h"
#include "gui/rooms/messageText.h"
#include "model/log.h"
#include "model/smiley.h"
#include "model/stringConversion.h"

namespace {

std::string Colour(const wxColour& colour) {
  return colour.IsOk() ? wx2std(colour.GetAsString(wxC2S_HTML_SYNTAX)) : std::string();
}

// A text as the display shows it, its line breaks as line ends.
std::string AsShown(const wxString& text) {
  wxString shown = messagetext::Shown(text);
  shown.Replace(wxString(wxRichTextLineBreakChar), "\n");
  return wx2std(shown);
}

ConversationRun TextRun(const std::string& text, const wxColour& colour, bool bold) {
  ConversationRun run;
  run.text = text;
  run.colour = Colour(colour);
  run.bold = bold;
  return run;
}

}  // namespace

void ChatRoomPanel::SaveChatSession() {
  TRACE_START_ARGS("%s", m_url.c_str());
  conversation::SaveChatSession(this, Describe());
  TRACE_END();
}

Conversation ChatRoomPanel::Describe() {
  FlushLines();
  Conversation conversation;
  conversation.title = m_url;
  for (const Line& line : m_written) DescribeLine(line, &conversation);
  return conversation;
}

void ChatRoomPanel::DescribeLine(const Line& line, Conversation* conversation) const {
  const std::string stamp = "(" + messagetext::FormatMessageTime(line.time, time(nullptr)) + ") ";
  if (line.notice) {
    ConversationParagraph notice;
    notice.runs.push_back(TextRun((line.stamped ? stamp : "") + AsShown(std2wx(line.text)), line.colour, true));
    if (!line.linkText.empty()) {
      ConversationRun link = TextRun(AsShown(line.linkText), line.linkTarget.empty() ? *wxBLACK : *wxBLUE, true);
      link.kind = ConversationRun::kLink;
      link.target = line.linkTarget;  // only a web address becomes a link in the file
      notice.runs.push_back(link);
    }
    conversation->paragraphs.push_back(std::move(notice));
    return;
  }
  ConversationParagraph heading;
  heading.runs.push_back(TextRun(stamp, m_timeStyle.GetTextColour(), false));
  heading.runs.push_back(TextRun(AsShown(std2wx(line.nickname) + " (" + std2wx(line.login) + ")"), line.colour, false));
  heading.runs.push_back(TextRun(wx2std(_(" says:")), m_saysStyle.GetTextColour(), false));
  conversation->paragraphs.push_back(std::move(heading));

  ConversationParagraph text;
  for (const Piece& piece : Pieces(line.text, line.login)) {
    if (piece.smiley) {
      ConversationRun run;
      run.kind = ConversationRun::kSmiley;
      run.text = piece.text;
      run.imagePath = piece.smiley->GetFilename();
      text.runs.push_back(run);
      continue;
    }
    for (const messagetext::Run& part : messagetext::SplitLinks(std2wx(piece.text))) {
      ConversationRun run = TextRun(AsShown(part.text), line.colour, true);
      if (!part.target.empty()) {
        run.kind = ConversationRun::kLink;
        run.target = wx2std(part.target);
      }
      text.runs.push_back(run);
    }
  }
  conversation->paragraphs.push_back(std::move(text));
}
