// The user's own presence and profile, and reports of abuse: each is sent to the server when
// connected and kept in the settings' own record.
#include "core/application.h"
#include "core/clientSideRequest.h"
#include "model/config.h"
#include "model/log.h"

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

void Manager::UpdateProfile(const std::string& nickname, const std::string& mood, int day, int month, int year) {
  MANAGER_GUI_THREAD_ONLY();
  ClientSideRequest* client = Client();
  if (!m_connected || !client) return;
  client->UpdateProfile(m_authKey, nickname, mood, day, month, year);
  Config* config = Config::GetInstance();
  config->SetNickname(nickname);
  config->SetMood(mood);
  config->SetBirth(day, month, year);
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
