// Saving a conversation: the format and name by the chosen name, a hostile 10,000-line
// conversation written as escaped self-contained HTML and as text without markup, a file that
// exists replaced only once the user agreed, and a save that fails telling the user and leaving
// nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "gui/rooms/conversationSaver.h"
#include "tests/gui/mainWindowFixture.h"
#include "tests/support/testSupport.h"

namespace {

using conversation::ChooseTarget;
using conversation::Format;

ConversationRun Text(const std::string& text, const std::string& colour = "", bool bold = false) {
  ConversationRun run;
  run.text = text;
  run.colour = colour;
  run.bold = bold;
  return run;
}

ConversationRun Link(const std::string& text, const std::string& target) {
  ConversationRun run = Text(text);
  run.kind = ConversationRun::kLink;
  run.target = target;
  return run;
}

ConversationRun Smiley(const std::string& code, const std::string& picture) {
  ConversationRun run = Text(code);
  run.kind = ConversationRun::kSmiley;
  run.imagePath = picture;
  return run;
}

// A room where people wrote what a browser or a terminal would act on, then a long history.
Conversation Hostile() {
  Conversation talk;
  talk.title = "http://site.example/?a=<b>";
  const std::string smiley = testsupport::SourceDir() + "/data/img/close.png";
  talk.paragraphs.push_back({{Text("12:00 "), Link("Zoë Ñandú", "contact://zoe"), Text(": "),
                              Text("<script>alert('x')</script> & \"quotes\""), Smiley(":)", smiley)}});
  talk.paragraphs.push_back({{Text("12:01 ", "#ff0000\" onload=\"x", true), Link("click", "javascript:alert(1)"),
                              Text(" "), Link("www.example.com", "http://www.example.com/?q=\"><script>"),
                              Text(" bell\a esc\x1b[2J cr\r"), Smiley(":(", "/no/such/picture.png")}});
  for (int i = 0; i < 10000; ++i)
    talk.paragraphs.push_back({{Text("10:00 ", "#6a5acd", true), Text("line " + std::to_string(i)),
                                Smiley(":)", smiley)}});
  return talk;
}

size_t Count(const std::string& haystack, const std::string& needle) {
  size_t n = 0;
  for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1)) ++n;
  return n;
}

TEST(ConversationSaver, FormatAndNameByTheChosenName) {
  struct Case {
    const char* chosen;
    const char* path;
    Format format;
  } cases[] = {
      {"/home/user/chat", "/home/user/chat.html", Format::kHtml},
      {"/home/user/my.docs/chat", "/home/user/my.docs/chat.html", Format::kHtml},
      {"/home/user/chat.htm", "/home/user/chat.htm", Format::kHtml},
      {"/home/user/chat.html", "/home/user/chat.html", Format::kHtml},
      {"/home/user/chat.HTML", "/home/user/chat.HTML", Format::kHtml},
      {"/home/user/chat.log", "/home/user/chat.log", Format::kHtml},
      {"/home/user/chat.txt", "/home/user/chat.txt", Format::kText},
      {"/home/user/chat.TXT", "/home/user/chat.TXT", Format::kText},
      {"/home/user/my.txt.files/chat", "/home/user/my.txt.files/chat.html", Format::kHtml},
      {"/home/user/chat.txt.html", "/home/user/chat.txt.html", Format::kHtml},
      {"/home/user/.chat", "/home/user/.chat.html", Format::kHtml},
  };
  for (const Case& c : cases) {
    const conversation::Target target = ChooseTarget(c.chosen);
    EXPECT_EQ(c.path, target.path) << c.chosen;
    EXPECT_EQ(c.format, target.format) << c.chosen;
  }
}

TEST(ConversationSaver, HtmlEscapedAndSelfContainedTextWithoutMarkup) {
  const Conversation talk = Hostile();
  const std::string html = conversation::ToHtml(talk);
  EXPECT_EQ(0u, html.find("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">"));
  // What people wrote reads as they wrote it and does nothing.
  EXPECT_EQ(std::string::npos, html.find("<script"));
  EXPECT_EQ(std::string::npos, html.find("javascript:"));
  EXPECT_EQ(std::string::npos, html.find("onload"));
  EXPECT_NE(std::string::npos, html.find("&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt; &amp; &quot;quotes&quot;"));
  EXPECT_NE(std::string::npos, html.find("<title>http://site.example/?a=&lt;b&gt;</title>"));
  EXPECT_NE(std::string::npos, html.find("Zo\xc3\xab \xc3\x91" "and\xc3\xba"));
  EXPECT_NE(std::string::npos, html.find("<a href=\"http://www.example.com/?q=&quot;&gt;&lt;script&gt;\">"));
  EXPECT_NE(std::string::npos, html.find("<span style=\"color:#6a5acd\"><b>10:00 </b></span>line 9999"));
  // Smileys inside the file, each picture once encoded; one that cannot be read is its shortcut.
  EXPECT_EQ(10001u, Count(html, "<img src=\"data:image/png;base64,iVBOR"));
  EXPECT_EQ(0u, Count(html, "src=\"/") + Count(html, "src=\"file:"));
  EXPECT_NE(std::string::npos, html.find(" bell  esc [2J cr :(</p>"));
  EXPECT_EQ(10002u, Count(html, "<p>"));

  const std::string text = conversation::ToText(talk);
  EXPECT_EQ(0u, text.find("12:00 Zo\xc3\xab \xc3\x91" "and\xc3\xba: <script>alert('x')</script> & \"quotes\":)\n"
                          "12:01 click www.example.com bell  esc [2J cr :(\n10:00 line 0:)\n"));
  EXPECT_EQ(10002u, Count(text, "\n"));
  EXPECT_EQ(std::string::npos, text.find("<img"));
  EXPECT_EQ(std::string::npos, text.find("<p>"));
  EXPECT_EQ(std::string::npos, text.find('\x1b'));
}

// A smiley whose picture is a named pipe that nobody writes to (a picture of the settings folder
// that another program replaced by one) is written as its shortcut, without waiting for the pipe.
TEST(ConversationSaver, ASmileyWhosePictureIsAPipeIsItsShortcut) {
  testsupport::TempDir dir;
  const std::string pipe = dir.file("smiley_1.png");
  ASSERT_EQ(0, mkfifo(pipe.c_str(), 0600));
  Conversation talk;
  talk.title = "room";
  talk.paragraphs.push_back({{Text("12:00 "), Smiley(":o", pipe)}});
  std::string html;
  EXPECT_TRUE(testsupport::EndsWithoutWaitingOn(pipe, [&] { html = conversation::ToHtml(talk); }));
  EXPECT_NE(std::string::npos, html.find("12:00 :o</p>")) << html;
  EXPECT_EQ(std::string::npos, html.find("<img"));
}

TEST(ConversationSaver, ReplacesOnlyOnceAgreedAndTellsWhatFailed) {
  testsupport::TempDir dir;
  guitest::Boxes boxes;
  const Conversation talk = Hostile();
  // A name without extension becomes HTML under ".html".
  ASSERT_TRUE(conversation::SaveTo(nullptr, talk, dir.file("chat")));
  EXPECT_EQ(conversation::ToHtml(talk), testsupport::ReadFile(dir.file("chat.html")));
  EXPECT_TRUE(boxes.seen.empty());
  struct stat info;
  ASSERT_EQ(0, stat(dir.file("chat.html").c_str(), &info));
  const mode_t mask = umask(0);
  umask(mask);
  EXPECT_EQ(0666u & ~mask, info.st_mode & 0777);  // as the user makes files, not owner-only

  // An existing file: kept when the user says no, replaced when yes.
  ASSERT_TRUE(testsupport::WriteFile(dir.file("old.txt"), "precious"));
  boxes.answer = wxID_NO;
  EXPECT_FALSE(conversation::SaveTo(nullptr, talk, dir.file("old.txt")));
  EXPECT_EQ("precious", testsupport::ReadFile(dir.file("old.txt")));
  ASSERT_EQ(1u, boxes.seen.size());
  EXPECT_TRUE(boxes.seen[0].Contains("old.txt already exists. Replace it?"));
  boxes.answer = wxID_YES;
  EXPECT_TRUE(conversation::SaveTo(nullptr, talk, dir.file("old.txt")));
  EXPECT_EQ(conversation::ToText(talk), testsupport::ReadFile(dir.file("old.txt")));

  // A folder that cannot be written: the user is told, nothing is left behind, and an earlier
  // file there stays whole.
  boxes.seen.clear();
  const std::string locked = dir.file("locked");
  ASSERT_EQ(0, mkdir(locked.c_str(), 0700));
  ASSERT_TRUE(testsupport::WriteFile(locked + "/chat.html", "earlier"));
  ASSERT_EQ(0, chmod(locked.c_str(), 0500));
  // Root writes anywhere: a folder that is not one stands for the refusal then.
  const std::string folder = geteuid() == 0 ? dir.file("old.txt") : locked;
  boxes.answer = wxID_YES;
  EXPECT_FALSE(conversation::SaveTo(nullptr, talk, folder + "/chat.html"));
  ASSERT_FALSE(boxes.seen.empty());
  EXPECT_TRUE(boxes.seen.back().Contains("The conversation could not be saved in " + folder + "/chat.html: "));
  EXPECT_EQ("earlier", testsupport::ReadFile(locked + "/chat.html"));
  EXPECT_EQ(std::vector<std::string>{"chat.html"}, testsupport::ListDir(locked));
  chmod(locked.c_str(), 0700);
}

}  // namespace
