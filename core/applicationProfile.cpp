// The user's own presence and profile, and reports of abuse: each is sent to the server when
// connected and kept in the settings' own record. Avatars: the one place where a window gets the
// picture of a user, and the user's own new avatar.
#include <sys/stat.h>
#include <wx/image.h>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "core/application.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/regularFile.h"

void Manager::ChangeStatus(t_status status) {
  MANAGER_GUI_THREAD_ONLY();
  ClientSideRequest* client = Client();
  if (!m_connected || !client) return;
  m_status = status;
  client->ChangeStatus(m_authKey, status);
}

void Manager::ChangeNickname(const std::string& nickname, const std::string& mood) {
  MANAGER_GUI_THREAD_ONLY();
  ClientSideRequest* client = Client();
  if (m_connected && client) client->UpdateProfile(m_authKey, nickname, mood, 0, 0, 0);
  Config* config = Config::GetInstance();
  config->SetNickname(nickname);
  config->SetMood(mood);
}

bool Manager::UpdateProfile(const std::string& nickname, const std::string& mood, int day, int month, int year) {
  MANAGER_GUI_THREAD_ONLY();
  ClientSideRequest* client = Client();
  // A profile the server refuses (too long, not its alphabet) is not kept as if it had gone.
  if (!m_connected || !client || !client->UpdateProfile(m_authKey, nickname, mood, day, month, year)) return false;
  Config* config = Config::GetInstance();
  config->SetNickname(nickname);
  config->SetMood(mood);
  config->SetBirth(day, month, year);
  return true;
}

void Manager::ReportAbuse(const std::string& site, const std::string& login, const std::string& message) {
  MANAGER_GUI_THREAD_ONLY();
  ClientSideRequest* client = Client();
  if (m_connected && client) client->ReportAbuse(m_authKey, site, login, message);
}

void Manager::AskForAvatar(const std::string& login) {
  MANAGER_GUI_THREAD_ONLY();
  ClientSideRequest* client = Client();
  if (!m_connected || !client) return;
  client->AskForAvatar(m_authKey, login);
  m_avatarRequests[login] = true;
}

std::string Manager::GetNickname() const {
  return Config::GetInstance()->GetNickname();
}

// ---- Avatars

namespace {

// The sizes of the two avatars, and the largest file taken as an own avatar.
const int kLargeSide = 64;
const int kSmallSide = 24;
const long kMaxAvatarFile = 1024 * 1024;

// A blank picture for when not even the program's default avatar can be read, made once a size
// and kept: the frames drawn on a picture are kept by the picture, and a new blank for each of
// thousands of people would each be drawn, framed and kept again. GUI thread only, as GetAvatar.
wxBitmap Blank(int side) {
  static std::map<int, wxBitmap> blanks;
  wxBitmap& blank = blanks[side];
  if (!blank.IsOk()) {
    wxImage image(side, side);
    image.SetRGB(wxRect(0, 0, side, side), 255, 255, 255);
    blank = wxBitmap(image);
  }
  return blank;
}

// The bytes and type of an image file, the type read from its extension.
struct AvatarFile {
  t_image_type type = IMAGE_PNG;
  std::vector<unsigned char> bytes;
};

bool TypeOfExtension(const std::string& path, t_image_type* type) {
  std::string extension = IMImage::GetExtension(path);
  if (extension == "gif")
    *type = IMAGE_GIF;
  else if (extension == "png")
    *type = IMAGE_PNG;
  else if (extension == "jpg")
    *type = IMAGE_JPG;
  else
    return false;
  return true;
}

bool ReadAvatarFile(const std::string& path, bool large, AvatarFile* file) {
  std::unique_ptr<FILE, int (*)(FILE*)> in(regularfile::OpenStream(path), fclose);
  if (!in) {
    TRACE_ERROR("END : file not found (%s)", path.c_str());
    return false;
  }
  if (!TypeOfExtension(path, &file->type)) {
    TRACE_ERROR(large ? "END (Unknown type)" : "Unknown type");
    return false;
  }
  struct stat info;
  if (fstat(fileno(in.get()), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size <= 0 ||
      info.st_size > kMaxAvatarFile) {
    TRACE_ERROR("END : erreur allocation mémoire");
    return false;
  }
  const size_t size = static_cast<size_t>(info.st_size);
  file->bytes.resize(size);
  size_t done = 0;
  while (done < size) {
    TRACE_INFO("read (%zu/%zu)", done, size);
    size_t got = fread(file->bytes.data() + done, 1, size - done, in.get());
    TRACE_INFO("read %zu", got);
    if (got == 0) break;
    done += got;
  }
  if (done < size) {
    TRACE_ERROR("END : erreur de lecture fichier");
    return false;
  }
  return true;
}

}  // namespace

wxBitmap Manager::GetAvatar(const std::string& login, bool small, bool ask, t_border_type border, bool crossed) {
  MANAGER_GUI_THREAD_ONLY();
  const std::string name = IMImage::AvatarName(login);
  wxBitmap bitmap;
  if (IMImage::HasImage(name, small)) bitmap = IMImage::GetImage(name, small);
  if (!bitmap.IsOk() && small) {
    if (IMImage::HasImage(name, false)) bitmap = IMImage::GetSmallAvatarFromBig(login);
  } else if (!bitmap.IsOk() && IMImage::HasImage(name, true)) {
    bitmap = IMImage::GetImage(name, true);
    auto asked = m_avatarRequests.find(login);
    if (ask && (asked == m_avatarRequests.end() || !asked->second)) {
      TRACE_INFO("Ask for Avatar : %s", login.c_str());
      AskForAvatar(login);
    }
  }
  if (!bitmap.IsOk()) bitmap = IMImage::GetDefaultAvatar(small);
  const int side = small ? kSmallSide : kLargeSide;
  // A picture from the server may be far larger than any place that shows it.
  if (bitmap.IsOk()) bitmap = IMImage::ResizeBitmap(bitmap, wxSize(side, side), false, false);
  if (!bitmap.IsOk()) bitmap = Blank(side);
  if (border == BORDER_SIMPLE) bitmap = IMImage::DrawBorder(bitmap, wxColour(20, 20, 20, 255));
  if (border == BORDER_THICK) bitmap = IMImage::DrawThickBorder(bitmap, wxColour(250, 150, 25, 255));
  if (crossed) bitmap = IMImage::DrawCross(bitmap, wxColour(255, 0, 0, 255));
  return bitmap;
}

bool Manager::ChangeAvatar(const std::string& largeFile, const std::string& smallFile) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", largeFile.c_str(), smallFile.c_str());
  ClientSideRequest* client = Client();
  if (!m_connected || !client) {
    TRACE_END_RESULT("not connected");
    return false;
  }
  AvatarFile large, small;
  TRACE_INFO("Normal avatar");
  if (!ReadAvatarFile(largeFile, true, &large)) return false;
  TRACE_INFO("Small avatar");
  if (!ReadAvatarFile(smallFile, false, &small)) return false;
  if (!client->ChangeAvatar(m_authKey, large.type, static_cast<long>(large.bytes.size()), large.bytes.data(),
                            small.type, static_cast<long>(small.bytes.size()), small.bytes.data())) {
    TRACE_ERROR("END : refused");
    return false;
  }
  const std::string login = GetLogin();
  IMImage::StoreAvatar(login, false, large.type, large.bytes.data(), large.bytes.size());
  IMImage::StoreAvatar(login, true, small.type, small.bytes.data(), small.bytes.size());
  PostText(wxEVT_RECEIVE_UPDATE_AVATAR, 0, login);
  TRACE_END_RESULT("OK");
  return true;
}
