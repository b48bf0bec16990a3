// The avatars of people who are no contact stay within their bound on disk, oldest first out,
// across restarts; the user's own, the contacts', the default avatar and every other file of the
// user directory stay; a reader never gets a broken picture while files go.
#include <gtest/gtest.h>
#include <wx/image.h>
#include <wx/mstream.h>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "model/config.h"
#include "model/imImage.h"
#include "model/strangerAvatars.h"
#include "tests/support/testSupport.h"

using testsupport::FileExists;
using testsupport::TempDir;

namespace {

std::string Png(int side, unsigned char green) {
  wxImage image(side, side);
  image.SetRGB(wxRect(0, 0, side, side), 0, green, 0);
  wxMemoryOutputStream out;
  image.SaveFile(out, wxBITMAP_TYPE_PNG);
  std::string bytes(out.GetLength(), '\0');
  out.CopyTo(&bytes[0], bytes.size());
  return bytes;
}

const unsigned char* Bytes(const std::string& s) { return reinterpret_cast<const unsigned char*>(s.data()); }

class StrangersAvatars : public ::testing::Test {
 protected:
  void SetUp() override {
    m_user = m_root.file("user/");
    ASSERT_EQ(0, mkdir(m_user.c_str(), 0700));
    Config::SetUserPath(m_user);
    Config* config = Config::GetInstance();
    for (ContactInfo* contact : config->GetContacts()) delete contact;
    config->ClearContacts();
    config->SetLogin("alice");
    StrangerAvatars::Instance().SetBound(kBound);
  }
  void TearDown() override {
    StrangerAvatars::Instance().SetBound(StrangerAvatars::kDefaultBound);
    Config* config = Config::GetInstance();
    for (ContactInfo* contact : config->GetContacts()) delete contact;
    config->ClearContacts();
    config->SetLogin("");
  }
  void Both(const std::string& login) {
    ASSERT_FALSE(IMImage::StoreAvatar(login, false, IMAGE_PNG, Bytes(m_large), m_large.size()).empty()) << login;
    ASSERT_FALSE(IMImage::StoreAvatar(login, true, IMAGE_PNG, Bytes(m_small), m_small.size()).empty()) << login;
  }
  static void Befriend(const std::string& login) {
    Config::GetInstance()->UpdateContact(
        new ContactInfo(login, login, "", "", STATUS_ONLINE, "", "", 0, 0, 0, "", "parlavox", false));
  }
  bool HasBoth(const std::string& login) const {
    return FileExists(m_user + login + ".png") && FileExists(m_user + login + "_s.png");
  }
  // The avatar files in the user directory, each login once.
  std::set<std::string> Avatars() const {
    std::set<std::string> logins;
    for (const std::string& name : testsupport::ListDir(m_user)) {
      if (name.size() < 4 || name.compare(name.size() - 4, 4, ".png") != 0) continue;
      std::string base = name.substr(0, name.size() - 4);
      if (base.size() > 2 && base.compare(base.size() - 2, 2, "_s") == 0) base.resize(base.size() - 2);
      logins.insert(base);
    }
    return logins;
  }

  static constexpr size_t kBound = 12;
  TempDir m_root;
  std::string m_user;
  const std::string m_large = Png(64, 200);
  const std::string m_small = Png(24, 100);
};

std::string Stranger(int i) { return "passer" + std::to_string(i); }

}  // namespace

TEST_F(StrangersAvatars, OnlyTheNewestStrangersKeepTheirFilesAndEveryoneElseStays) {
  ASSERT_FALSE(IMImage::StoreImage(IMImage::DEFAULT_AVATAR, IMAGE_PNG, Bytes(m_large), m_large.size()).empty());
  ASSERT_TRUE(testsupport::WriteFile(m_user + "smiley_1.png", m_small));  // the user's own smiley
  Befriend("carol");
  Both("alice");
  Both("carol");
  Both("dave");  // a stranger then, a contact before many others came
  Befriend("dave");
  for (int i = 0; i < 200; ++i) {
    Both(Stranger(i));
    // Met, then met again before the bound's number of others came: one of the newest.
    if (i == 187 || i == 197) Both("erin");
  }
  // The strangers kept are the newest by their last avatar; everyone else's pictures stay.
  std::set<std::string> expected = {"alice", "carol", "dave", "defaultavatar", "smiley_1", "erin"};
  for (int i = 201 - static_cast<int>(kBound); i < 200; ++i) expected.insert(Stranger(i));
  EXPECT_EQ(expected, Avatars());
  for (const char* kept : {"alice", "carol", "dave", "erin"}) EXPECT_TRUE(HasBoth(kept)) << kept;

  // A contact removed is a stranger again, counted from their next avatar.
  delete Config::GetInstance()->RemoveContact("carol");
  Both("carol");
  for (int i = 0; i < static_cast<int>(kBound); ++i) Both(Stranger(1000 + i));
  EXPECT_FALSE(FileExists(m_user + "carol.png"));
  EXPECT_FALSE(FileExists(m_user + "carol_s.png"));
  EXPECT_TRUE(HasBoth("alice"));
  EXPECT_TRUE(FileExists(m_user + "defaultavatar.png"));
  EXPECT_TRUE(FileExists(m_user + "smiley_1.png"));
}

// Which files are strangers' is known again after a restart, also when the list grew long or
// the session ended halfway through a line; files the list never named are not touched.
TEST_F(StrangersAvatars, TheListOutlivesTheProgram) {
  const int met = 10 * static_cast<int>(kBound);
  for (int i = 0; i < met; ++i) Both(Stranger(i));
  const std::string list = m_user + StrangerAvatars::kListName;
  const std::string text = testsupport::ReadFile(list);
  EXPECT_LT(std::count(text.begin(), text.end(), '\n'), met) << "the list is written afresh once it grows long";
  ASSERT_TRUE(testsupport::WriteFile(m_user + "old.png", m_large));  // left by an earlier version

  // Another user directory is taken up, then this one again: the list is read back.
  TempDir other;
  Config::SetUserPath(other.path());
  Both("frank");
  Config::SetUserPath(m_user);
  ASSERT_TRUE(testsupport::WriteFile(list, testsupport::ReadFile(list) + "bad%G1\npasser"));
  Both("grace");
  std::set<std::string> expected = {"grace", "old"};
  for (int i = met - static_cast<int>(kBound) + 1; i < met; ++i) expected.insert(Stranger(i));
  EXPECT_EQ(expected, Avatars());
  const std::vector<std::string> lines = testsupport::ReadLines(list);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ("grace", lines.back());
  EXPECT_EQ(lines.end(), std::find(lines.begin(), lines.end(), "passer"));
}

// While strangers' files go, a reader on another thread gets the digest of the whole file or,
// once it went, zeros; the pictures shown are whole.
TEST_F(StrangersAvatars, ReadersNeverGetABrokenPicture) {
  auto digest = [](const std::string& login) {
    unsigned int length = 0;
    std::unique_ptr<unsigned char, void (*)(void*)> hash(IMImage::GenerateHash(login, true, &length), free);
    return testsupport::Hex(hash.get(), length);
  };
  Both(Stranger(0));
  const std::string whole = digest(Stranger(0)), none(40, '0');
  std::atomic<bool> done{false};
  std::atomic<int> broken{0};
  std::thread reader([&] {
    while (!done)
      for (int i = 0; i < 40; ++i) {
        const std::string got = digest(Stranger(i));
        if (got != whole && got != none) ++broken;
      }
  });
  for (int round = 0; round < 3; ++round)
    for (int i = 0; i < 40; ++i) {
      Both(Stranger(i));
      const wxBitmap picture = IMImage::GetImage(Stranger(i), true);
      if (!picture.IsOk() || picture.GetWidth() != 24) ++broken;
    }
  done = true;
  reader.join();
  EXPECT_EQ(0, broken.load());
  EXPECT_EQ(kBound, Avatars().size());
}
