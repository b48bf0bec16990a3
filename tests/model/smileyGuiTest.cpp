#include <gtest/gtest.h>
#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/log.h>

#include <string>

#include "model/smiley.h"
#include "tests/support/testSupport.h"

using testsupport::TempDir;

namespace {
// Writes a small picture of the given size in the given format.
void Draw(const std::string& path, int w, int h, wxBitmapType type) {
  wxImage image(w, h);
  image.SetRGB(wxRect(0, 0, w, h), 200, 30, 30);
  ASSERT_TRUE(image.SaveFile(wxString::FromUTF8(path.c_str()), type)) << path;
}
}  // namespace

TEST(SmileyGui, LoadsByTheFirstLetterOfTheExtension) {
  TempDir dir;
  Draw(dir.file("happy.png"), 5, 4, wxBITMAP_TYPE_PNG);
  Draw(dir.file("wink.PNG"), 6, 4, wxBITMAP_TYPE_PNG);
  Draw(dir.file("sad.jpeg"), 7, 4, wxBITMAP_TYPE_JPEG);
  Draw(dir.file("cry.jpg"), 8, 4, wxBITMAP_TYPE_JPEG);
  // The smallest GIF (1 x 1); wx cannot write a GIF without a palette.
  const char gif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00"
                     ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;";
  ASSERT_TRUE(testsupport::WriteFile(dir.file("cool.gif"), std::string(gif, sizeof gif - 1)));
  Draw(dir.file("tongue.xpm"), 10, 4, wxBITMAP_TYPE_XPM);
  Draw(dir.file("png-without-dot"), 11, 4, wxBITMAP_TYPE_PNG);

  struct Case { const char* file; int width; int height; };
  const Case cases[] = {{"happy.png", 5, 4},  {"wink.PNG", 6, 4},   {"sad.jpeg", 7, 4},       {"cry.jpg", 8, 4},
                        {"cool.gif", 1, 1},   {"tongue.xpm", 10, 4}, {"png-without-dot", 11, 4}};
  for (const Case& c : cases) {
    Smiley s("name", ":)", dir.file(c.file), false);
    wxBitmap b = s.GetBitmap();
    ASSERT_TRUE(b.IsOk()) << c.file;
    EXPECT_EQ(c.width, b.GetWidth()) << c.file;
    EXPECT_EQ(c.height, b.GetHeight()) << c.file;
  }
  // Judged by the first letter of the whole name when there is no dot.
  EXPECT_EQ(wxBITMAP_TYPE_PNG, Smiley::GetBitmapTypeOf("pic"));
  EXPECT_EQ(wxBITMAP_TYPE_PNG, Smiley::GetBitmapTypeOf("png-without-dot"));
}

TEST(SmileyGui, UnknownFormatIsTriedAsXpm) {
  TempDir dir;
  Draw(dir.file("face.bmp"), 5, 5, wxBITMAP_TYPE_BMP);
  EXPECT_EQ(wxBITMAP_TYPE_XPM, Smiley::GetBitmapTypeOf(dir.file("face.bmp")));
  wxLogNull quiet;
  // Whether the tool kit's loader still recognises the bytes is its own affair; no crash.
  (void)Smiley("face", ":|", dir.file("face.bmp"), false).GetBitmap();
  EXPECT_FALSE(Smiley("none", ":(", dir.file("missing.png"), false).GetBitmap().IsOk());
}
