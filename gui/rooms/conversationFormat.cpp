// The two forms of a saved conversation: self-contained HTML and plain text.
#include <wx/base64.h>

#include <cctype>
#include <map>

#include "gui/rooms/conversationSaver.h"
#include "model/regularFile.h"

namespace conversation {
namespace {

// Pictures larger than this are not smileys: their shortcut stands in for them.
constexpr size_t kMaxPictureBytes = 1 << 20;

std::string Escape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' ? ' ' : c;
    }
  }
  return out;
}

// Control characters (a peer's, that could rewrite a terminal's screen) become spaces; line
// ends stay.
std::string Plain(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if ((static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') || c == 0x7f) c = ' ';
  return out;
}

bool IsWebAddress(const std::string& target) {
  std::string lower;
  for (char c : target.substr(0, 8)) lower += static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return lower.rfind("http://", 0) == 0 || lower.rfind("https://", 0) == 0;
}

bool IsColour(const std::string& colour) {
  if (colour.size() != 7 || colour[0] != '#') return false;
  for (size_t i = 1; i < 7; ++i)
    if (!isxdigit(static_cast<unsigned char>(colour[i]))) return false;
  return true;
}

// "data:" + type + base64 of the picture, by what its bytes are; empty when it is none of
// the three kinds a smiley can be, or cannot be read.
std::string EmbeddedPicture(const std::string& path) {
  std::string bytes;
  if (!regularfile::ReadWhole(path, &bytes, kMaxPictureBytes) || bytes.empty()) return "";
  const char* type = nullptr;
  if (bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") == 0) type = "image/png";
  else if (bytes.compare(0, 4, "GIF8") == 0) type = "image/gif";
  else if (bytes.compare(0, 3, "\xff\xd8\xff") == 0) type = "image/jpeg";
  if (!type) return "";
  return std::string("data:") + type + ";base64," + wxBase64Encode(bytes.data(), bytes.size()).ToStdString();
}

std::string RunToHtml(const ConversationRun& run, std::map<std::string, std::string>& pictures) {
  if (run.kind == ConversationRun::kSmiley) {
    auto cached = pictures.find(run.imagePath);
    if (cached == pictures.end()) cached = pictures.emplace(run.imagePath, EmbeddedPicture(run.imagePath)).first;
    if (cached->second.empty()) return Escape(run.text);
    return "<img src=\"" + cached->second + "\" alt=\"" + Escape(run.text) + "\">";
  }
  std::string html;
  for (char c : Escape(run.text)) html += c == '\n' ? std::string("<br>") : std::string(1, c);
  if (run.kind == ConversationRun::kLink && IsWebAddress(run.target))
    html = "<a href=\"" + Escape(run.target) + "\">" + html + "</a>";
  if (run.bold) html = "<b>" + html + "</b>";
  if (IsColour(run.colour)) html = "<span style=\"color:" + run.colour + "\">" + html + "</span>";
  return html;
}

}  // namespace

std::string ToHtml(const Conversation& conversation) {
  std::string html =
      "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n"
      // Nothing in the file may fetch or run anything: it holds what other people wrote.
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; img-src data:; "
      "style-src 'unsafe-inline'\">\n<title>" +
      Escape(conversation.title) + "</title>\n</head>\n<body>\n";
  std::map<std::string, std::string> pictures;
  for (const ConversationParagraph& paragraph : conversation.paragraphs) {
    html += "<p>";
    for (const ConversationRun& run : paragraph.runs) html += RunToHtml(run, pictures);
    html += "</p>\n";
  }
  return html + "</body>\n</html>\n";
}

std::string ToText(const Conversation& conversation) {
  std::string text;
  for (const ConversationParagraph& paragraph : conversation.paragraphs) {
    for (const ConversationRun& run : paragraph.runs) text += Plain(run.text);
    text += '\n';
  }
  return text;
}

}  // namespace conversation
