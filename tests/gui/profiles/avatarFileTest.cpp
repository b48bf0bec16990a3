// Picture files offered as an avatar: each is measured from its own bytes before any decoder sees
// it. Huge files, huge pictures, files of another kind and GIFs cut short at every length are
// refused with their reason; an animated GIF gives its first picture.
#include <gtest/gtest.h>
#include <wx/mstream.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "gui/profiles/avatarFile.h"
#include "tests/support/testSupport.h"

namespace {

using avatarfile::Result;

// A 1 by 1 GIF picture with its control extension, as a frame of a GIF.
std::string GifFrame(int width = 1, int height = 1) {
  std::string frame("\x21\xF9\x04\x01\x0A\x00\x00\x00", 8);
  frame += std::string("\x2C\x00\x00\x00\x00", 5);
  frame += char(width & 0xFF);
  frame += char(width >> 8);
  frame += char(height & 0xFF);
  frame += char(height >> 8);
  frame += std::string("\x00\x02\x02\x44\x01\x00", 6);
  return frame;
}

std::string Gif(int frames, int width = 1, int height = 1) {
  std::string gif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xFF\xFF\xFF", 19);
  if (frames > 1) gif += std::string("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
  for (int i = 0; i < frames; ++i) gif += GifFrame(i == 0 ? width : 1, i == 0 ? height : 1);
  return gif + "\x3B";
}

std::string Encoded(const wxImage& image, wxBitmapType type) {
  wxMemoryOutputStream out;
  image.SaveFile(out, type);
  std::string bytes(out.GetLength(), '\0');
  out.CopyTo(&bytes[0], bytes.size());
  return bytes;
}

// A PNG that claims the given size in its header and holds nothing else of worth.
std::string PngHeader(uint32_t width, uint32_t height) {
  std::string bytes("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16);
  for (uint32_t v : {width, height})
    for (int shift = 24; shift >= 0; shift -= 8) bytes += char((v >> shift) & 0xFF);
  return bytes + std::string("\x08\x06\x00\x00\x00", 5) + std::string(64, '\0');
}

TEST(AvatarFile, RefusedForTheirReasonAndNeverDecodedWhenBad) {
  testsupport::TempDir dir;
  wxImage photo(100, 50);
  photo.SetRGB(wxRect(0, 0, 100, 50), 200, 40, 40);
  const std::string jpeg = Encoded(photo, wxBITMAP_TYPE_JPEG);
  std::string hugeJpeg = jpeg;
  // The start-of-frame's height and width made 10,000 each.
  for (size_t i = 2; i + 9 < hugeJpeg.size(); ++i)
    if (uint8_t(hugeJpeg[i]) == 0xFF && uint8_t(hugeJpeg[i + 1]) == 0xC0) {
      hugeJpeg.replace(i + 5, 4, std::string("\x27\x10\x27\x10", 4));
      break;
    }
  const struct {
    const char* name;
    std::string bytes;
    Result expected;
    wxSize size;
  } rows[] = {
      {"photo.jpg", jpeg, Result::kOk, {100, 50}},
      {"photo.png", jpeg, Result::kOk, {100, 50}},  // named otherwise, read as what it is
      {"still.gif", Gif(1), Result::kOk, {1, 1}},
      {"animated.GIF", Gif(3), Result::kOk, {1, 1}},
      {"notes.txt", "plain words", Result::kUnknownType, {}},
      {"notes.png", "plain words", Result::kUnreadable, {}},
      {"empty.png", "", Result::kUnreadable, {}},
      {"wide.png", PngHeader(10000, 10000), Result::kTooLarge, {}},
      {"tall.png", PngHeader(8192, 4000), Result::kTooLarge, {}},  // 32.8 million pixels
      {"negative.png", PngHeader(0x80000000u, 1), Result::kTooLarge, {}},
      {"zero.png", PngHeader(0, 10), Result::kUnreadable, {}},
      {"huge.jpg", hugeJpeg, Result::kTooLarge, {}},
      {"frame.gif", Gif(1, 9000, 1), Result::kTooLarge, {}},
      {"noframe.jpg", std::string("\xFF\xD8\xFF\xD9", 4), Result::kUnreadable, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(testsupport::WriteFile(dir.file(row.name), row.bytes));
    wxImage image;
    EXPECT_EQ(int(row.expected), int(avatarfile::LoadFile(dir.file(row.name), &image)));
    if (row.expected == Result::kOk) { EXPECT_EQ(row.size, image.GetSize()); }
  }

  // A file of 50 MB is refused from its size alone.
  const std::string big = dir.file("big.png");
  ASSERT_TRUE(testsupport::WriteFile(big, PngHeader(10, 10)));
  ASSERT_EQ(0, truncate(big.c_str(), 50 * 1024 * 1024));
  wxImage image;
  EXPECT_EQ(int(Result::kTooLarge), int(avatarfile::LoadFile(big, &image)));
  EXPECT_EQ(int(Result::kUnreadable), int(avatarfile::LoadFile(dir.file("missing.png"), &image)));
  ASSERT_EQ(0, mkdir(dir.file("folder.png").c_str(), 0700));
  EXPECT_EQ(int(Result::kUnreadable), int(avatarfile::LoadFile(dir.file("folder.png"), &image)));

  // A GIF cut short anywhere never reaches the decoder.
  const std::string gif = Gif(3);
  for (size_t length = 0; length < gif.size(); ++length) {
    avatarfile::Measure measure;
    const Result got =
        avatarfile::MeasureBytes(reinterpret_cast<const unsigned char*>(gif.data()), length, &measure);
    EXPECT_TRUE(got == Result::kUnreadable || (length < 6 && got == Result::kUnknownType)) << length;
  }
}

// A named pipe that nobody writes to, chosen as a picture, is refused as unreadable without being
// waited for. The picture's sizes for the server are written over whatever stands at their names:
// a pipe that nobody reads, or a link to one outside the folder, is replaced by the file, never
// opened nor written through.
TEST(AvatarFile, PipesAreNeitherWaitedForNorWrittenThrough) {
  testsupport::TempDir dir, outside;
  const std::string chosen = dir.file("chosen.png"), away = outside.file("pipe");
  ASSERT_EQ(0, mkfifo(chosen.c_str(), 0600));
  ASSERT_EQ(0, mkfifo(away.c_str(), 0600));
  wxImage image;
  Result loaded = Result::kOk;
  EXPECT_TRUE(testsupport::EndsWithoutWaitingOn(chosen, [&] { loaded = avatarfile::LoadFile(chosen, &image); }));
  EXPECT_EQ(int(Result::kUnreadable), int(loaded));

  wxImage picture(64, 64);
  picture.SetRGB(wxRect(0, 0, 64, 64), 30, 120, 200);
  const std::string large = dir.file("temp.png"), small = dir.file("temp_s.png");
  ASSERT_EQ(0, mkfifo(large.c_str(), 0600));
  ASSERT_EQ(0, symlink(away.c_str(), small.c_str()));
  const std::string awayBefore = testsupport::DescribeFile(away);
  for (const std::string& path : {large, small}) {
    SCOPED_TRACE(path);
    bool saved = false;
    EXPECT_TRUE(testsupport::EndsWithoutWaitingOn(path, [&] { saved = avatarfile::SavePng(picture, path); }));
    EXPECT_TRUE(saved);
    struct stat st;
    ASSERT_EQ(0, lstat(path.c_str(), &st));
    ASSERT_TRUE(S_ISREG(st.st_mode)) << "still a pipe or a link";
    wxImage back;
    EXPECT_EQ(int(Result::kOk), int(avatarfile::LoadFile(path, &back)));
    EXPECT_EQ(wxSize(64, 64), back.GetSize());
  }
  EXPECT_EQ(awayBefore, testsupport::DescribeFile(away));
  // Nothing of the writing is left beside them.
  EXPECT_EQ((std::vector<std::string>{"chosen.png", "temp.png", "temp_s.png"}), testsupport::ListDir(dir.path()));
}

}  // namespace
