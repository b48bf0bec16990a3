#include <gtest/gtest.h>
#include <sys/stat.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/palette.h>
#include <wx/quantize.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "model/config.h"
#include "model/imImage.h"
#include "tests/support/pixels.h"
#include "tests/support/testSupport.h"

using testsupport::FileExists;
using testsupport::ReadFile;
using testsupport::TempDir;
using testsupport::WriteFile;

namespace {

// A 2 by 1 RGB PNG, a red pixel then a blue one, written out by hand.
const unsigned char kTinyPng[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44, 0x52, 0x00, 0x00,
    0x00, 0x02, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00, 0x00, 0x7b, 0x40, 0xe8, 0xdd, 0x00, 0x00, 0x00,
    0x0d, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0xf8, 0xcf, 0x00, 0x04, 0xff, 0x01, 0x07, 0x00, 0x01, 0xff,
    0x3d, 0x7d, 0x8c, 0x49, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
// SHA-1 of those 70 bytes (sha1sum).
const char kTinyPngSha1[] = "46654a7593ba68a774b4a829526326eb6280c60d";

// The digest as text; frees the buffer as callers must.
std::string HashOf(const std::string& name, bool small = false) {
  unsigned int length = 0;
  unsigned char* hash = IMImage::GenerateHash(name, small, &length);
  EXPECT_EQ(20u, length);
  std::string hex = hash ? testsupport::Hex(hash, 20) : "null";
  free(hash);
  return hex;
}

const std::string kZeroHash(40, '0');

// Left half `left`, right half `right`.
wxImage TwoColours(int w, int h, const wxColour& left, const wxColour& right) {
  wxImage image(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const wxColour& c = x < w / 2 ? left : right;
      image.SetRGB(x, y, c.Red(), c.Green(), c.Blue());
    }
  return image;
}

std::string Encode(const wxImage& source, wxBitmapType type) {
  wxImage image = source;
  if (type == wxBITMAP_TYPE_GIF) {
    // The quantiser puts its 20 reserved Windows colours ahead of the ones asked for, in a
    // palette of 256 (asking for 256 with them writes past the palette's end): leave them out.
    // Asking for no more colours than the image has leaves no palette entry unset.
    int colours = static_cast<int>(std::min<unsigned long>(source.CountColours(256), 256));
    wxImage quantised;
    EXPECT_TRUE(wxQuantize::Quantize(source, quantised, colours, nullptr, wxQUANTIZE_FILL_DESTINATION_IMAGE));
    image = quantised;
  }
  wxMemoryOutputStream out;
  EXPECT_TRUE(image.SaveFile(out, type));
  std::string bytes(out.GetSize(), '\0');
  out.CopyTo(&bytes[0], bytes.size());
  return bytes;
}

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

// The files of a directory: the store writes none but the images.
std::set<std::string> ListDir(const std::string& path) {
  std::vector<std::string> names = testsupport::ListDir(path);
  return std::set<std::string>(names.begin(), names.end());
}

// Every regular file below `root`, as paths relative to it.
void ListTree(const std::string& root, const std::string& prefix, std::set<std::string>* out) {
  for (const std::string& name : ListDir(root + prefix)) {
    struct stat st;
    std::string rel = prefix + name;
    if (lstat((root + rel).c_str(), &st) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      ListTree(root, rel + "/", out);
    } else {
      out->insert(rel);
    }
  }
}

int OpenDescriptors() { return static_cast<int>(ListDir("/proc/self/fd").size()); }

bool Near(const wxColour& a, unsigned char r, unsigned char g, unsigned char b, int tolerance = 0) {
  return testsupport::NearColour(a, wxColour(r, g, b), tolerance);
}

class ImageStore : public ::testing::Test {
 protected:
  void SetUp() override {
    m_user = m_root.path() + "home/user/";
    ASSERT_EQ(0, mkdir((m_root.path() + "home").c_str(), 0700));
    ASSERT_EQ(0, mkdir(m_user.c_str(), 0700));
    Config::SetUserPath(m_user);
    Config::SetPath(m_root.path() + "data/");
    m_png = Encode(TwoColours(40, 20, *wxRED, *wxBLUE), wxBITMAP_TYPE_PNG);
    m_gif = Encode(TwoColours(40, 20, *wxGREEN, *wxBLUE), wxBITMAP_TYPE_GIF);
    m_jpg = Encode(TwoColours(40, 20, *wxRED, *wxWHITE), wxBITMAP_TYPE_JPEG);
  }

  std::string Put(const std::string& name, t_image_type type, const std::string& bytes) {
    return IMImage::StoreImage(name, type, Bytes(bytes), bytes.size());
  }

  TempDir m_root;
  std::string m_user;
  std::string m_png, m_gif, m_jpg;
};

}  // namespace

TEST_F(ImageStore, StoringReplacesEveryTypeOfTheBaseName) {
  EXPECT_EQ(m_user + "bob.gif", IMImage::StoreAvatar("bob", false, IMAGE_GIF, Bytes(m_gif), m_gif.size()));
  struct stat st;
  ASSERT_EQ(0, stat((m_user + "bob.gif").c_str(), &st));
  EXPECT_EQ(0600u, st.st_mode & 0777);
  EXPECT_EQ(m_gif, ReadFile(m_user + "bob.gif"));

  EXPECT_EQ(m_user + "bob.png", IMImage::StoreAvatar("bob", false, IMAGE_PNG, Bytes(m_png), m_png.size()));
  EXPECT_EQ(m_user + "bob_s.jpg", IMImage::StoreAvatar("bob", true, IMAGE_JPG, Bytes(m_jpg), m_jpg.size()));
  EXPECT_EQ((std::set<std::string>{"bob.png", "bob_s.jpg"}), ListDir(m_user));
  // The large avatar's store leaves the small one alone, and the reverse.
  EXPECT_EQ(m_user + "bob.jpg", IMImage::StoreAvatar("bob", false, IMAGE_JPG, Bytes(m_jpg), m_jpg.size()));
  EXPECT_EQ(m_user + "bob_s.gif", IMImage::StoreAvatar("bob", true, IMAGE_GIF, Bytes(m_gif), m_gif.size()));
  EXPECT_EQ((std::set<std::string>{"bob.jpg", "bob_s.gif"}), ListDir(m_user));

  EXPECT_EQ(m_user + "defaultavatar.png", Put(IMImage::DEFAULT_AVATAR, IMAGE_PNG, m_png));
  EXPECT_EQ(m_user + "__pub__.jpg", Put(IMImage::AD_IMAGE, IMAGE_JPG, m_jpg));
  EXPECT_EQ(m_user + "extmessenger_msn.png", Put(IMImage::MessengerIconName("msn"), IMAGE_PNG, m_png));
  EXPECT_EQ(m_user + "bob@@wink.png", IMImage::StoreSmiley("bob", "wink", IMAGE_PNG, Bytes(m_png), m_png.size()));
  EXPECT_EQ(m_user + "bob@@wink.gif", IMImage::StoreSmiley("bob", "wink", IMAGE_GIF, Bytes(m_gif), m_gif.size()));
  // No temporary file is left behind.
  EXPECT_EQ((std::set<std::string>{"bob.jpg", "bob_s.gif", "defaultavatar.png", "__pub__.jpg",
                                   "extmessenger_msn.png", "bob@@wink.gif"}),
            ListDir(m_user));

  EXPECT_FALSE(IMImage::HasImage("alice", false));
  IMImage::RemoveAvatar("bob", false, true);
  EXPECT_FALSE(IMImage::HasImage("bob", false));
  EXPECT_TRUE(IMImage::HasImage("bob", true));
  IMImage::RemoveImage("bob@@wink", true);
  IMImage::RemoveImage("nothing-here", false);
  EXPECT_FALSE(IMImage::HasImage("bob@@wink", false));
  EXPECT_TRUE(IMImage::FileExists(m_user + "bob_s.gif"));
  EXPECT_FALSE(IMImage::FileExists(m_user));  // a directory is not a stored file
}

TEST_F(ImageStore, BadImagesAreRefusedAndTheOldFileStays) {
  ASSERT_FALSE(Put("bob", IMAGE_PNG, m_png).empty());
  EXPECT_EQ("", Put("bob", static_cast<t_image_type>(3), m_png));
  EXPECT_EQ("", Put("bob", static_cast<t_image_type>(-1), m_png));
  EXPECT_EQ("", IMImage::StoreImage("bob", IMAGE_PNG, Bytes(m_png), 0));
  EXPECT_EQ("", IMImage::StoreImage("bob", IMAGE_PNG, nullptr, 10));
  EXPECT_EQ("", Put("bob", IMAGE_PNG, "abc"));
  EXPECT_EQ("", Put("bob", IMAGE_GIF, m_png));  // the bytes are not of the type given
  EXPECT_EQ("", Put("bob", IMAGE_JPG, m_gif));
  EXPECT_EQ("", Put("bob", IMAGE_PNG, m_png.substr(0, m_png.size() / 2)));  // cut short
  EXPECT_EQ("", Put("bob", IMAGE_JPG, m_jpg.substr(0, 20)));
  EXPECT_EQ("", Put("", IMAGE_PNG, m_png));
  // Headers that announce huge images are refused before anything is decoded.
  std::string hugePng = m_png;
  hugePng.replace(16, 8, std::string("\x00\x00\xea\x60\x00\x00\xea\x60", 8));  // 60000 x 60000
  EXPECT_EQ("", Put("bob", IMAGE_PNG, hugePng));
  std::string hugeGif = m_gif;
  hugeGif.replace(6, 4, "\xff\xff\xff\xff");  // a 65535 x 65535 screen
  EXPECT_EQ("", Put("bob", IMAGE_GIF, hugeGif));
  std::string hugeJpg = m_jpg;
  size_t frame = hugeJpg.find("\xff\xc0");
  ASSERT_NE(std::string::npos, frame);
  hugeJpg.replace(frame + 5, 4, "\xfd\xe8\xfd\xe8");  // 65000 x 65000
  EXPECT_EQ("", Put("bob", IMAGE_JPG, hugeJpg));
  // The same headers with their own sizes pass.
  EXPECT_EQ(m_user + "ok.jpg", Put("ok", IMAGE_JPG, m_jpg));
  IMImage::RemoveImage("ok", true);
  EXPECT_EQ((std::set<std::string>{"bob.png"}), ListDir(m_user));
  EXPECT_EQ(m_png, ReadFile(m_user + "bob.png"));

  // A file that cannot be put in place leaves the old one of another type where it was.
  ASSERT_FALSE(Put("carol", IMAGE_GIF, m_gif).empty());
  ASSERT_EQ(0, mkdir((m_user + "carol.png").c_str(), 0700));
  EXPECT_EQ("", Put("carol", IMAGE_PNG, m_png));
  EXPECT_EQ(m_gif, ReadFile(m_user + "carol.gif"));
  EXPECT_EQ((std::set<std::string>{"bob.png", "carol.gif", "carol.png"}), ListDir(m_user));
  // A user directory that does not exist.
  Config::SetUserPath(m_user + "gone/");
  EXPECT_EQ("", Put("dave", IMAGE_PNG, m_png));
  Config::SetUserPath(m_user);
}

TEST_F(ImageStore, DigestsAreSha1OfTheStoredBytes) {
  EXPECT_EQ(kZeroHash, HashOf("nobody"));
  ASSERT_EQ(m_user + "tiny.png", IMImage::StoreImage("tiny", IMAGE_PNG, kTinyPng, sizeof kTinyPng));
  EXPECT_EQ(kTinyPngSha1, HashOf("tiny"));
  EXPECT_EQ(kZeroHash, HashOf("tiny", true));
  ASSERT_FALSE(IMImage::StoreAvatar("tiny", true, IMAGE_PNG, kTinyPng, sizeof kTinyPng).empty());
  EXPECT_EQ(kTinyPngSha1, HashOf("tiny", true));

  // Files placed by hand: the digest is over whatever bytes are there, an empty file included.
  WriteFile(m_user + "abc.gif", "abc");
  EXPECT_EQ("a9993e364706816aba3e25717850c26c9cd0d89d", HashOf("abc"));
  WriteFile(m_user + "empty.jpg", "");
  EXPECT_EQ("da39a3ee5e6b4b0d3255bfef95601890afd80709", HashOf("empty"));
  // With both a ".png" and a ".gif" of one base name, the ".png" is taken.
  WriteFile(m_user + "abc.png", std::string(reinterpret_cast<const char*>(kTinyPng), sizeof kTinyPng));
  EXPECT_EQ(kTinyPngSha1, HashOf("abc"));
  EXPECT_EQ(wxSize(2, 1), IMImage::GetImage("abc", false).GetSize());
  // A file that cannot be read gives the zeros of "no file".
  ASSERT_EQ(0, mkdir((m_user + "dir.png").c_str(), 0700));
  EXPECT_EQ(kZeroHash, HashOf("dir"));
}

TEST_F(ImageStore, RawBytesComeBackExactly) {
  int descriptors = OpenDescriptors();
  struct Case {
    t_image_type type;
    std::string bytes;
  } cases[] = {{IMAGE_PNG, m_png}, {IMAGE_GIF, m_gif}, {IMAGE_JPG, m_jpg}};
  for (const Case& c : cases) {
    std::string path = Put("pic", c.type, c.bytes);
    ASSERT_FALSE(path.empty());
    t_image_type type = static_cast<t_image_type>(-1);
    unsigned long length = 0;
    unsigned char* buffer = IMImage::GetImageBuffer(path, &type, &length);
    ASSERT_NE(nullptr, buffer);
    EXPECT_EQ(c.type, type);
    EXPECT_EQ(c.bytes, std::string(reinterpret_cast<char*>(buffer), length));
    free(buffer);
  }

  WriteFile(m_user + "X.JPG", m_jpg);
  WriteFile(m_user + "x.jpeg", m_jpg);
  WriteFile(m_user + "zero.png", "");
  t_image_type type = static_cast<t_image_type>(7);
  unsigned long length = 99;
  EXPECT_EQ(nullptr, IMImage::GetImageBuffer(m_user + "X.JPG", &type, &length));
  EXPECT_EQ(nullptr, IMImage::GetImageBuffer(m_user + "x.jpeg", &type, &length));
  EXPECT_EQ(nullptr, IMImage::GetImageBuffer(m_user + "missing.png", &type, &length));
  EXPECT_EQ(nullptr, IMImage::GetImageBuffer(m_user + "zero.png", &type, &length));
  EXPECT_EQ(nullptr, IMImage::GetImageBuffer(m_user, &type, &length));
  EXPECT_EQ(7, type);
  EXPECT_EQ(0ul, length);
  EXPECT_EQ(descriptors, OpenDescriptors());
}

// A picture file that another program replaced by a named pipe which nobody writes to, or by a
// link to one outside the folder, is never waited for: its bytes are none, as for a file that is
// not there. (A smiley's file is read by the path its record holds.)
TEST_F(ImageStore, APictureFileReplacedByAPipeIsNotWaitedFor) {
  TempDir outside;
  const std::string away = outside.file("pipe");
  ASSERT_EQ(0, mkfifo(away.c_str(), 0600));
  for (const bool link : {false, true}) {
    SCOPED_TRACE(link ? "a link to a pipe" : "a pipe");
    const std::string path = IMImage::StoreAvatar("bob", true, IMAGE_PNG, Bytes(m_png), m_png.size());
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(0, unlink(path.c_str()));
    ASSERT_EQ(0, link ? symlink(away.c_str(), path.c_str()) : mkfifo(path.c_str(), 0600));
    unsigned char* bytes = nullptr;
    unsigned long length = 99;
    EXPECT_TRUE(
        testsupport::EndsWithoutWaitingOn(path, [&] { bytes = IMImage::GetImageBuffer(path, nullptr, &length); }));
    EXPECT_EQ(nullptr, bytes);
    EXPECT_EQ(0ul, length);
    free(bytes);
    EXPECT_FALSE(IMImage::GetImage(IMImage::AvatarName("bob"), true).IsOk());
    ASSERT_EQ(0, unlink(path.c_str()));
  }
}

TEST(ImageNames, ExtensionsBitmapTypesAndSafeFileNames) {
  EXPECT_EQ("a", IMImage::GetExtension("a"));
  EXPECT_EQ("c", IMImage::GetExtension("a.b.c"));
  EXPECT_EQ("", IMImage::GetExtension("a."));
  // Without a dot the whole name counts.
  const std::pair<const char*, wxBitmapType> types[] = {
      {"PHOTO.JPEG", wxBITMAP_TYPE_JPEG}, {"a.jpg", wxBITMAP_TYPE_JPEG}, {"a.Gif", wxBITMAP_TYPE_GIF},
      {"/x/y.png", wxBITMAP_TYPE_PNG},    {"a.bmp", wxBITMAP_TYPE_INVALID}, {"png", wxBITMAP_TYPE_PNG}};
  for (const auto& t : types) EXPECT_EQ(t.second, IMImage::GetBitmapType(t.first)) << t.first;

  // Names made of login characters keep their names, so files stored before stay found.
  for (const char* name : {"bob", "Bob.Smith-1@host_x", "bob@@wink", "bob_s", "__pub__", "extmessenger_msn",
                           "bob@@:-)", "caf\xc3\xa9"})
    EXPECT_EQ(name, IMImage::EncodeFileName(name));
  EXPECT_EQ("%2E.%2F..%2Fx", IMImage::EncodeFileName("../../x"));
  EXPECT_EQ("a%2Fb", IMImage::EncodeFileName("a/b"));
  EXPECT_EQ("a%252Fb", IMImage::EncodeFileName("a%2Fb"));
  EXPECT_EQ("%5C..%5Cx", IMImage::EncodeFileName("\\..\\x"));
  EXPECT_EQ("nu%00l", IMImage::EncodeFileName(std::string("nu\0l", 4)));
  EXPECT_EQ("%2Ehidden.x", IMImage::EncodeFileName(".hidden.x"));
}

TEST_F(ImageStore, HostileNamesStayInsideTheUserDirectory) {
  const std::vector<std::string> codes = {"../../x", "a/b", "..", std::string("nu\0l", 4), std::string("\0", 1),
                                          "a%2Fb", "/etc/passwd", "\\..\\x", ".", "%",
                                          "caf\xc3\xa9", "bad\xff\xfeutf8"};
  std::set<std::string> paths;
  for (const std::string& code : codes) {
    std::string path = IMImage::StoreSmiley("bob", code, IMAGE_PNG, kTinyPng, sizeof kTinyPng);
    ASSERT_FALSE(path.empty()) << code;
    EXPECT_EQ(m_user, path.substr(0, m_user.size())) << code;
    EXPECT_EQ(std::string::npos, path.find('/', m_user.size())) << path;
    paths.insert(path);

    std::string name = IMImage::SmileyName("bob", code);
    EXPECT_TRUE(IMImage::HasImage(name, false)) << code;
    EXPECT_EQ(wxSize(2, 1), IMImage::GetImage(name, false).GetSize()) << code;
    EXPECT_EQ(kTinyPngSha1, HashOf(name)) << code;
    t_image_type type;
    unsigned long length = 0;
    unsigned char* buffer = IMImage::GetImageBuffer(path, &type, &length);
    ASSERT_NE(nullptr, buffer) << path;
    EXPECT_EQ(sizeof kTinyPng, length);
    EXPECT_EQ(0, memcmp(buffer, kTinyPng, sizeof kTinyPng));
    free(buffer);
  }
  EXPECT_EQ(codes.size(), paths.size());  // no two codes share a file
  // A name too long for the file system is refused and leaves nothing behind.
  size_t before = ListDir(m_user).size();
  EXPECT_EQ("", IMImage::StoreSmiley("bob", std::string(300, 'w'), IMAGE_PNG, kTinyPng, sizeof kTinyPng));
  EXPECT_EQ(before, ListDir(m_user).size());

  // Hostile logins and names for the other stores.
  for (const std::string& login : {std::string(".."), std::string("../evil"), std::string("/abs")}) {
    std::string path = IMImage::StoreAvatar(login, true, IMAGE_PNG, kTinyPng, sizeof kTinyPng);
    EXPECT_EQ(m_user, path.substr(0, m_user.size()));
    EXPECT_EQ(std::string::npos, path.find('/', m_user.size())) << path;
    EXPECT_TRUE(IMImage::GetImage(login, true).IsOk());
  }
  EXPECT_EQ(m_user + "%2Ehidden.png", IMImage::StoreImage(".hidden", IMAGE_PNG, kTinyPng, sizeof kTinyPng));
  IMImage::RemoveAvatar("../evil", true, true);
  EXPECT_FALSE(IMImage::HasImage("../evil", true));

  // Nothing was written anywhere but in the user directory itself.
  std::set<std::string> files;
  ListTree(m_root.path(), "", &files);
  for (const std::string& f : files) EXPECT_EQ("home/user/", f.substr(0, 10)) << f;
  for (const std::string& f : files) EXPECT_EQ(std::string::npos, f.find('/', 10)) << f;
}

TEST_F(ImageStore, LoadingPngGifAndJpeg) {
  // Quantising to a palette moves the colours a little, compression more.
  const struct {
    t_image_type type;
    const std::string& bytes;
    wxColour left, right;
    int tolerance;
  } cases[] = {{IMAGE_PNG, m_png, *wxRED, *wxBLUE, 0},
               {IMAGE_GIF, m_gif, *wxGREEN, *wxBLUE, 8},
               {IMAGE_JPG, m_jpg, *wxRED, *wxWHITE, 40}};
  for (const auto& c : cases) {
    ASSERT_FALSE(Put("p", c.type, c.bytes).empty());
    wxImage image = IMImage::GetImage("p", false).ConvertToImage();
    ASSERT_EQ(wxSize(40, 20), image.GetSize()) << c.type;
    EXPECT_TRUE(testsupport::NearColour(testsupport::PixelAt(image, 5, 10), c.left, c.tolerance)) << c.type;
    EXPECT_TRUE(testsupport::NearColour(testsupport::PixelAt(image, 35, 10), c.right, c.tolerance)) << c.type;
  }
  EXPECT_FALSE(IMImage::GetImage("none", false).IsOk());
  // A stored file that does not decode gives no bitmap and no crash.
  WriteFile(m_user + "broken.png", m_png.substr(0, 60));
  WriteFile(m_user + "junk.gif", "GIF89a but nothing else");
  EXPECT_FALSE(IMImage::GetImage("broken", false).IsOk());
  EXPECT_FALSE(IMImage::GetImage("junk", false).IsOk());

  ASSERT_FALSE(IMImage::StoreAvatar("bob", false, IMAGE_PNG, Bytes(m_png), m_png.size()).empty());
  EXPECT_EQ(wxSize(24, 24), IMImage::GetSmallAvatarFromBig("bob").GetSize());
  EXPECT_FALSE(IMImage::GetSmallAvatarFromBig("nobody").IsOk());
}

TEST_F(ImageStore, DefaultAvatarFromTheStoreOrTheProgram) {
  EXPECT_FALSE(IMImage::GetDefaultAvatar(false).IsOk());
  EXPECT_FALSE(IMImage::GetDefaultAvatar(true).IsOk());

  ASSERT_EQ(0, mkdir((m_root.path() + "data").c_str(), 0700));
  ASSERT_EQ(0, mkdir((m_root.path() + "data/img").c_str(), 0700));
  WriteFile(Config::GetImagePath("defaultavatar.png"), Encode(TwoColours(48, 48, *wxRED, *wxRED), wxBITMAP_TYPE_PNG));
  EXPECT_EQ(wxSize(48, 48), IMImage::GetDefaultAvatar(false).GetSize());
  EXPECT_EQ(wxSize(24, 24), IMImage::GetDefaultAvatar(true).GetSize());

  // The one the server sent comes first.
  std::string sent = Encode(TwoColours(32, 30, *wxBLUE, *wxBLUE), wxBITMAP_TYPE_GIF);
  ASSERT_FALSE(Put(IMImage::DEFAULT_AVATAR, IMAGE_GIF, sent).empty());
  EXPECT_EQ(wxSize(32, 30), IMImage::GetDefaultAvatar(false).GetSize());
  EXPECT_EQ(wxSize(24, 24), IMImage::GetDefaultAvatar(true).GetSize());
  // Asked again and again, it is the same picture; a new one from the server replaces it at once.
  EXPECT_TRUE(IMImage::GetDefaultAvatar(false).IsSameAs(IMImage::GetDefaultAvatar(false)));
  sent = Encode(TwoColours(40, 44, *wxGREEN, *wxGREEN), wxBITMAP_TYPE_GIF);
  ASSERT_FALSE(Put(IMImage::DEFAULT_AVATAR, IMAGE_GIF, sent).empty());
  EXPECT_EQ(wxSize(40, 44), IMImage::GetDefaultAvatar(false).GetSize());
  // A damaged stored one gives way to the program's own.
  IMImage::RemoveImage(IMImage::DEFAULT_AVATAR, true);
  WriteFile(m_user + "defaultavatar.png", "\x89PNG");
  EXPECT_EQ(wxSize(48, 48), IMImage::GetDefaultAvatar(false).GetSize());
}

// Pictures asked for again and again come from memory once their files have settled; whatever
// the store writes or removes, and a file changed behind its back, shows at the very next read.
TEST_F(ImageStore, KeptPicturesGiveWayToNewFilesAtOnce) {
  const std::string bob = IMImage::AvatarName("bob");
  auto kept = [&] { return IMImage::GetImage(bob, true).IsSameAs(IMImage::GetImage(bob, true)); };
  const std::string first = Encode(TwoColours(20, 10, *wxRED, *wxRED), wxBITMAP_TYPE_PNG);
  const std::string second = Encode(TwoColours(16, 16, *wxBLUE, *wxBLUE), wxBITMAP_TYPE_GIF);
  const std::string third = Encode(TwoColours(12, 8, *wxGREEN, *wxGREEN), wxBITMAP_TYPE_PNG);
  ASSERT_FALSE(IMImage::StoreAvatar("bob", true, IMAGE_PNG, Bytes(first), first.size()).empty());
  ASSERT_TRUE(testsupport::WaitFor(kept, std::chrono::seconds(5)));
  EXPECT_EQ(wxSize(20, 10), IMImage::GetImage(bob, true).GetSize());
  EXPECT_FALSE(IMImage::HasImage("carol", true));

  // Stored anew, in another type then in the same one: the new picture at once.
  ASSERT_FALSE(IMImage::StoreAvatar("bob", true, IMAGE_GIF, Bytes(second), second.size()).empty());
  EXPECT_EQ(wxSize(16, 16), IMImage::GetImage(bob, true).GetSize());
  ASSERT_TRUE(testsupport::WaitFor(kept, std::chrono::seconds(5)));
  ASSERT_FALSE(IMImage::StoreAvatar("bob", true, IMAGE_PNG, Bytes(third), third.size()).empty());
  wxImage shown = IMImage::GetImage(bob, true).ConvertToImage();
  ASSERT_EQ(wxSize(12, 8), shown.GetSize());
  EXPECT_TRUE(Near(testsupport::PixelAt(shown, 3, 3), 0, 255, 0));
  // Its frame is drawn on the new picture, not taken from the old one's.
  ASSERT_TRUE(testsupport::WaitFor(kept, std::chrono::seconds(5)));
  const wxColour dark(20, 20, 20);
  const wxBitmap framed = IMImage::DrawBorder(IMImage::GetImage(bob, true), dark);
  EXPECT_TRUE(framed.IsSameAs(IMImage::DrawBorder(IMImage::GetImage(bob, true), dark)));
  ASSERT_FALSE(IMImage::StoreAvatar("bob", true, IMAGE_GIF, Bytes(second), second.size()).empty());
  EXPECT_EQ(wxSize(16, 16), IMImage::DrawBorder(IMImage::GetImage(bob, true), dark).GetSize());
  EXPECT_TRUE(Near(testsupport::PixelAt(IMImage::GetImage(bob, true).ConvertToImage(), 8, 8), 0, 0, 255, 8));

  // Removed: gone at once.
  ASSERT_TRUE(testsupport::WaitFor(kept, std::chrono::seconds(5)));
  IMImage::RemoveAvatar("bob", true, true);
  EXPECT_FALSE(IMImage::HasImage(bob, true));
  EXPECT_FALSE(IMImage::GetImage(bob, true).IsOk());

  // Files written by another program: a new one, and a kept one rewritten in place.
  WriteFile(m_user + "carol_s.png", first);
  EXPECT_TRUE(IMImage::HasImage("carol", true));
  auto carolKept = [] { return IMImage::GetImage("carol", true).IsSameAs(IMImage::GetImage("carol", true)); };
  ASSERT_TRUE(testsupport::WaitFor(carolKept, std::chrono::seconds(5)));
  WriteFile(m_user + "carol_s.png", third);
  EXPECT_EQ(wxSize(12, 8), IMImage::GetImage("carol", true).GetSize());
}

namespace {

// The opaque part of `image` is the rectangle `covered`: its corners are opaque, the pixels
// just outside it transparent.
void ExpectCovered(const wxImage& image, const wxRect& covered) {
  const int l = covered.GetLeft(), t = covered.GetTop(), r = covered.GetRight(), b = covered.GetBottom();
  EXPECT_FALSE(image.IsTransparent(l, t));
  EXPECT_FALSE(image.IsTransparent(r, b));
  if (l > 0) { EXPECT_TRUE(image.IsTransparent(l - 1, t)); }
  if (t > 0) { EXPECT_TRUE(image.IsTransparent(l, t - 1)); }
  if (r + 1 < image.GetWidth()) { EXPECT_TRUE(image.IsTransparent(r + 1, b)); }
  if (b + 1 < image.GetHeight()) { EXPECT_TRUE(image.IsTransparent(r, b + 1)); }
}

}  // namespace

TEST(ImageBitmaps, ResizingKeepsTheAspectRatio) {
  const struct {
    wxSize source, box;
    bool pad, padSmall;
    wxSize result;
    wxRect covered;  // empty: not padded
  } rows[] = {
      {{100, 50}, {64, 64}, false, false, {64, 32}, {}},
      {{100, 50}, {64, 64}, true, false, {64, 64}, {0, 16, 64, 32}},
      {{50, 100}, {64, 64}, true, false, {64, 64}, {16, 0, 32, 64}},
      // The small avatar's box: 300 by 200 into 24 by 24 is 24 by 16 at (0, 4).
      {{300, 200}, {24, 24}, true, true, {24, 24}, {0, 4, 24, 16}},
      {{300, 200}, {24, 24}, false, true, {24, 16}, {}},
      // Pictures that fit are never enlarged; with padSmall they are centred.
      {{30, 20}, {64, 64}, true, false, {30, 20}, {}},
      {{30, 20}, {64, 64}, false, true, {64, 64}, {17, 22, 30, 20}},
      {{64, 64}, {64, 64}, true, true, {64, 64}, {}},
      {{200, 200}, {64, 64}, false, false, {64, 64}, {}},
      {{65, 65}, {24, 24}, false, false, {24, 24}, {}},
      // Extreme shapes keep at least one pixel across.
      {{1000, 1}, {64, 64}, false, false, {64, 1}, {}},
      {{1, 1000}, {24, 24}, false, false, {1, 24}, {}},
      {{1000, 1}, {64, 64}, true, false, {64, 64}, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.source.x << "x" << row.source.y << " pad " << row.pad << row.padSmall);
    wxBitmap source(TwoColours(row.source.x, row.source.y, *wxRED, *wxRED));
    wxImage result = IMImage::ResizeBitmap(source, row.box, row.pad, row.padSmall).ConvertToImage();
    EXPECT_EQ(row.result, result.GetSize());
    EXPECT_EQ(row.source, source.GetSize());  // the argument is left as it was
    if (row.covered.IsEmpty()) continue;
    ExpectCovered(result, row.covered);
    EXPECT_TRUE(Near(testsupport::PixelAt(result, row.covered.x, row.covered.y), 255, 0, 0, 2));
  }
  EXPECT_FALSE(IMImage::ResizeBitmap(wxBitmap(), wxSize(64, 64), true, true).IsOk());
}

namespace {

// Pixels of `image` that hold `colour`.
std::set<std::pair<int, int>> PixelsOf(const wxImage& image, const wxColour& colour) {
  std::set<std::pair<int, int>> out;
  for (int y = 0; y < image.GetHeight(); ++y)
    for (int x = 0; x < image.GetWidth(); ++x)
      if (Near(testsupport::PixelAt(image, x, y), colour.Red(), colour.Green(), colour.Blue())) out.insert({x, y});
  return out;
}

}  // namespace

TEST(ImageBitmaps, FramesAndCross) {
  const wxColour dark(20, 20, 20), orange(250, 150, 25), red(255, 0, 0);
  wxBitmap white(TwoColours(8, 8, *wxWHITE, *wxWHITE));

  auto border = PixelsOf(IMImage::DrawBorder(white, dark).ConvertToImage(), dark);
  EXPECT_EQ(28u, border.size());
  for (auto [x, y] : border) EXPECT_TRUE(x == 0 || x == 7 || y == 0 || y == 7) << x << "," << y;

  auto thick = PixelsOf(IMImage::DrawThickBorder(white, orange).ConvertToImage(), orange);
  EXPECT_EQ(48u, thick.size());
  for (auto [x, y] : thick) EXPECT_TRUE(x < 2 || x > 5 || y < 2 || y > 5) << x << "," << y;

  auto cross = PixelsOf(IMImage::DrawCross(white, red).ConvertToImage(), red);
  EXPECT_EQ(16u, cross.size());
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(1u, cross.count({i, i}));
    EXPECT_EQ(1u, cross.count({7 - i, i}));
  }
  EXPECT_EQ(64u, PixelsOf(white.ConvertToImage(), *wxWHITE).size());  // the argument is unchanged

  // On an avatar padded onto a transparent canvas, the drawn pixels are visible.
  wxBitmap padded = IMImage::ResizeBitmap(wxBitmap(TwoColours(30, 20, *wxWHITE, *wxWHITE)), wxSize(64, 64), true, true);
  wxImage framed = IMImage::DrawBorder(padded, dark).ConvertToImage();
  EXPECT_FALSE(framed.IsTransparent(0, 0));
  EXPECT_FALSE(framed.IsTransparent(63, 40));
  EXPECT_TRUE(framed.IsTransparent(5, 5));
  wxImage crossed = IMImage::DrawCross(padded, red).ConvertToImage();
  EXPECT_FALSE(crossed.IsTransparent(5, 5));
  EXPECT_FALSE(crossed.IsTransparent(58, 5));

  // Shapes other than squares: every drawn pixel stays inside, the corners are reached.
  wxImage oblong = IMImage::DrawCross(wxBitmap(TwoColours(10, 4, *wxWHITE, *wxWHITE)), red).ConvertToImage();
  auto diagonal = PixelsOf(oblong, red);
  for (auto corner : {std::make_pair(0, 0), std::make_pair(9, 3), std::make_pair(9, 0), std::make_pair(0, 3)})
    EXPECT_EQ(1u, diagonal.count(corner));
  for (wxSize size : {wxSize(1, 1), wxSize(1, 5), wxSize(5, 1), wxSize(3, 3)}) {
    wxBitmap tiny(TwoColours(size.x, size.y, *wxWHITE, *wxWHITE));
    EXPECT_EQ(size, IMImage::DrawBorder(tiny, dark).GetSize());
    EXPECT_EQ(size, IMImage::DrawThickBorder(tiny, orange).GetSize());
    EXPECT_EQ(size, IMImage::DrawCross(tiny, red).GetSize());
  }
  EXPECT_EQ(9u, PixelsOf(IMImage::DrawThickBorder(wxBitmap(TwoColours(3, 3, *wxWHITE, *wxWHITE)), orange)
                             .ConvertToImage(),
                         orange)
                    .size());
  EXPECT_FALSE(IMImage::DrawBorder(wxBitmap(), dark).IsOk());
  EXPECT_FALSE(IMImage::DrawCross(wxBitmap(), red).IsOk());
}

TEST_F(ImageStore, ReadersSeeTheWholeOldOrTheWholeNewFile) {
  std::string small = m_png;
  wxImage noisy(120, 120);
  for (int i = 0; i < 120 * 120 * 3; ++i) noisy.GetData()[i] = static_cast<unsigned char>((i * 7919) >> 3);
  std::string large = Encode(noisy, wxBITMAP_TYPE_PNG);
  ASSERT_NE(small.size(), large.size());
  std::string path = Put("race", IMAGE_PNG, small);
  ASSERT_FALSE(path.empty());

  std::atomic<bool> done{false};
  std::atomic<int> stored{0};
  std::thread writer([&] {
    for (int i = 0; i < 60; ++i) {
      const std::string& bytes = i % 2 ? small : large;
      if (!IMImage::StoreImage("race", IMAGE_PNG, Bytes(bytes), bytes.size()).empty()) ++stored;
    }
    done = true;
  });
  int reads = 0;
  while (!done || reads == 0) {
    t_image_type type;
    unsigned long length = 0;
    unsigned char* buffer = IMImage::GetImageBuffer(path, &type, &length);
    if (!buffer) {
      ADD_FAILURE() << "no bytes while the file is being replaced";
      break;
    }
    std::string got(reinterpret_cast<char*>(buffer), length);
    free(buffer);
    EXPECT_TRUE(got == small || got == large) << "a read of " << length << " bytes";
    EXPECT_NE(kZeroHash, HashOf("race"));
    ++reads;
  }
  writer.join();
  EXPECT_EQ(60, stored.load());
  EXPECT_EQ((std::set<std::string>{"race.png"}), ListDir(m_user));
}

// Logins, smiley codes and protocol ids from the network chosen to land on one another's files,
// each stored in every role: every image keeps a file of its own.
TEST_F(ImageStore, NoNameFromTheNetworkTakesAnotherImagesFile) {
  const std::vector<std::string> names = {"defaultavatar", "__pub__", "carol", "carol_s", "bob", "bob@@wink",
                                          "bob@", "@wink", "extmessenger_msn", "extmessenger", "msn", "s", "_s",
                                          "%64efaultavatar", "x@@y@@z", "wink", "carol@", "@:)"};
  struct Item {
    std::string what;
    std::function<std::string(const std::string&)> store;
    std::string base;
    bool small;
  };
  auto avatar = [](const std::string& login, bool small) {
    return Item{login + (small ? " small avatar" : " avatar"),
                [=](const std::string& b) { return IMImage::StoreAvatar(login, small, IMAGE_PNG, Bytes(b), b.size()); },
                IMImage::AvatarName(login), small};
  };
  auto smiley = [](const std::string& login, const std::string& code) {
    return Item{login + " smiley " + code,
                [=](const std::string& b) { return IMImage::StoreSmiley(login, code, IMAGE_PNG, Bytes(b), b.size()); },
                IMImage::SmileyName(login, code), false};
  };
  auto named = [](const std::string& base) {
    return Item{base, [=](const std::string& b) { return IMImage::StoreImage(base, IMAGE_PNG, Bytes(b), b.size()); },
                base, false};
  };
  std::vector<Item> items = {named(IMImage::DEFAULT_AVATAR), named(IMImage::AD_IMAGE), smiley("bob", "wink")};
  for (const std::string& n : names) {
    items.push_back(avatar(n, false));
    items.push_back(avatar(n, true));
    items.push_back(smiley(n, ":)"));
    items.push_back(smiley("carol", n));
    items.push_back(named(IMImage::MessengerIconName(n)));
  }
  // Each image is told apart by its width.
  std::set<std::string> paths;
  std::vector<std::string> bytes;
  for (size_t i = 0; i < items.size(); ++i) {
    bytes.push_back(Encode(TwoColours(static_cast<int>(i) + 1, 1, *wxRED, *wxRED), wxBITMAP_TYPE_PNG));
    std::string path = items[i].store(bytes.back());
    ASSERT_FALSE(path.empty()) << items[i].what;
    EXPECT_TRUE(paths.insert(path).second) << items[i].what << " took " << path;
  }
  EXPECT_EQ(items.size(), ListDir(m_user).size());
  for (size_t i = 0; i < items.size(); ++i)
    EXPECT_EQ(wxSize(static_cast<int>(i) + 1, 1), IMImage::GetImage(items[i].base, items[i].small).GetSize())
        << items[i].what;
  // What log-in digests and what windows show is still the server's default avatar.
  EXPECT_EQ(bytes[0], ReadFile(m_user + "defaultavatar.png"));
  EXPECT_EQ(wxSize(1, 1), IMImage::GetDefaultAvatar(false).GetSize());

  // Names that cannot collide keep the file names that files stored earlier have.
  const struct {
    std::string path;
    std::string expected;
  } kPlain[] = {
      {IMImage::StoreAvatar("Bob.Smith-1@host_x", false, IMAGE_PNG, kTinyPng, sizeof kTinyPng),
       "Bob.Smith-1@host_x.png"},
      {IMImage::StoreAvatar("dave_", true, IMAGE_PNG, kTinyPng, sizeof kTinyPng), "dave__s.png"},
      {IMImage::StoreAvatar("@dave", false, IMAGE_PNG, kTinyPng, sizeof kTinyPng), "@dave.png"},
      {IMImage::StoreSmiley("dave", "x_s@@", IMAGE_PNG, kTinyPng, sizeof kTinyPng), "dave@@x_s@@.png"},
      {IMImage::StoreImage(IMImage::MessengerIconName("msn_s"), IMAGE_PNG, kTinyPng, sizeof kTinyPng),
       "extmessenger_msn_s.png"},
  };
  for (const auto& c : kPlain) EXPECT_EQ(m_user + c.expected, c.path);
  EXPECT_EQ("", IMImage::StoreAvatar("", true, IMAGE_PNG, kTinyPng, sizeof kTinyPng));
}
