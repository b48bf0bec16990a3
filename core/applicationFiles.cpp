// File transfers: offers from other users, the steps the transfer threads report, and the
// transfers relayed through the server.
#include "core/application.h"
#include "model/log.h"

void Manager::HandleTransfer(const TransferReport& report) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%d, %s, %s", static_cast<int>(report.status), report.login.c_str(), report.fileKey.c_str());
  if (!m_connected) {
    TRACE_END_RESULT("not connected");
    return;
  }
  PostOwned(wxEVT_RECEIVE_MESSAGE_FILE, 0,
            new FileMessage(report.site, report.login, GetNickname(report.login), report.fileName, report.fileKey,
                            report.transferKey, report.host, report.port, report.time, report.isDownload,
                            report.status, static_cast<long>(report.transferred), static_cast<long>(report.size),
                            report.speed));
  TRACE_END();
}

void Manager::AskForFile(const std::string& login, const std::string& fileKey) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  TRACE_END();
}

void Manager::AskForFileAck(const std::string& login, const std::string& fileKey, bool status, const long* size) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s, %d", login.c_str(), fileKey.c_str(), status ? 1 : 0);
  TRACE_END();
}

void Manager::FilePart(const std::string& login, const std::string& fileKey, const FileData_t* data) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  TRACE_END();
}

void Manager::FilePartAck(const std::string& login, const std::string& fileKey) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", login.c_str(), fileKey.c_str());
  TRACE_END();
}

void Manager::ReceiveCancelFile(const std::string& site, const std::string& fileKey) {
  MANAGER_GUI_THREAD_ONLY();
  TRACE_START_ARGS("%s, %s", site.c_str(), fileKey.c_str());
  TRACE_END();
}
