#include "network/fileDownload.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ctime>
#include <random>
#include <vector>

#include "model/log.h"
#include "network/fileTransferLink.h"
#include "network/transferSpeed.h"

int FileDownload::connectTimeoutMs = 10000;
int FileDownload::readTimeoutMs = 30000;

namespace {


// Six letters or digits drawn at random, for a file name that is not already taken.
std::string RandomSuffix() {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  thread_local std::mt19937 random{std::random_device{}()};
  std::string suffix;
  for (int i = 0; i < 6; ++i) suffix += letters[random() % (sizeof letters - 1)];
  return suffix;
}

}  // namespace

// The received bytes go to a hidden temporary file beside the chosen path, so that the chosen
// path never holds a partial file; it is renamed there once complete.
class FileDownload::TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& finalPath) : m_finalPath(finalPath) {
    std::string::size_type slash = finalPath.rfind('/');
    std::string directory = slash == std::string::npos ? std::string() : finalPath.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? finalPath : finalPath.substr(slash + 1);
    // Created with the mode of any new file of the user (the umask applies), so that it needs
    // no change of mode at the end: the umask is process-wide, and changing it, even for a
    // moment, would hand its value to files other threads create meanwhile.
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
      std::string candidate = directory + "." + name + ".part-" + RandomSuffix();
      m_fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (m_fd >= 0)
        m_path = candidate;
      else if (errno != EEXIST)
        break;
    }
    m_buffer.reserve(kBuffer);
  }
  ~TemporaryFile() { Discard(); }
  bool IsOpen() const { return m_fd >= 0; }
  bool Write(const uint8_t* data, size_t size) {
    if (m_buffer.size() + size > kBuffer && !Flush()) return false;
    m_buffer.insert(m_buffer.end(), data, data + size);
    return true;
  }
  // Moves the complete file to its final name (replacing what was there).
  bool Commit() {
    if (m_fd < 0 || !Flush()) return false;
    bool ok = close(m_fd) == 0;
    m_fd = -1;
    if (ok && rename(m_path.c_str(), m_finalPath.c_str()) == 0) {
      m_path.clear();
      return true;
    }
    return false;
  }
  void Discard() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
    if (!m_path.empty()) unlink(m_path.c_str());
    m_path.clear();
  }

 private:
  static constexpr size_t kBuffer = 64 * 1024;
  bool Flush() {
    size_t done = 0;
    while (done < m_buffer.size()) {
      ssize_t written = write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return false;
      done += static_cast<size_t>(written);
    }
    m_buffer.clear();
    return true;
  }
  std::string m_finalPath;
  std::string m_path;
  int m_fd = -1;
  std::vector<uint8_t> m_buffer;
};

FileDownload::FileDownload(const std::string& ownLogin, const std::string& peerLogin, const std::string& site,
                           const std::string& fileKey, int64_t size, const std::string& host, int port,
                           const std::string& fileName, const std::string& localPath)
    : m_ownLogin(ownLogin),
      m_peerLogin(peerLogin),
      m_site(site),
      m_fileKey(fileKey),
      m_host(host),
      m_port(port),
      m_fileName(fileName),
      m_localPath(localPath),
      m_size(size),
      m_running(std::make_shared<TransferControl>(true)) {}

void FileDownload::Cancel() {
  TRACE_STARTEND();
  m_running->Stop();
}

void FileDownload::Report(t_fm_status status, int64_t transferred, int64_t size, double speed) const {
  FileServer::Report(status, m_peerLogin, m_site, m_fileName, m_fileKey, m_fileKey, m_host, m_port, true, transferred, size,
                     speed);
}

void FileDownload::operator()() {
  TRACE_START_ARGS("%s, %s", m_fileKey.c_str(), m_localPath.c_str());
  FileServer::RegisterDownload(m_fileKey, m_running, m_owner);
  FileTransferLink link;
  TemporaryFile file(m_localPath);
  if (!file.IsOpen()) {
    TRACE_ERROR("cannot write beside %s: %s", m_localPath.c_str(), std::strerror(errno));
    Report(FM_FAILED, 0, m_size, 0);
  } else if (Connect(link)) {
    Transfer(link, file);
  } else {
    // Nothing of the file is left beside the chosen path once the outcome is told.
    file.Discard();
    Report(m_running->Running() ? FM_HOST_UNREACHABLE : FM_CANCELLED, 0, m_size, 0);
  }
  TRACE_INFO("delete filetransfert");
  FileServer::UnregisterDownload(m_fileKey, m_running);
  TRACE_END();
}

bool FileDownload::Connect(FileTransferLink& link) {
  TRACE_INFO("FileManager::DownloadFile Ouverture de la connexion vers %s", m_host.c_str());
  TransferToken running = m_running;
  if (!link.ConnectTo(m_host, static_cast<unsigned short>(m_port), connectTimeoutMs,
                      [running] { return !running->Running(); })) {
    TRACE_INFO("FileManager::Erreur d'ouverture");
    return false;
  }
  // From here a cancel shuts the connection down, which ends any wait for the sender.
  m_running->Attach(link.Descriptor());
  return true;
}

void FileDownload::Transfer(FileTransferLink& link, TemporaryFile& file) {
  int64_t received = 0;
  int64_t reportedSize = m_size;
  TransferSpeed speed;
  t_fm_status outcome = AskForFile(link, &reportedSize);
  if (!m_running->Running()) {
    outcome = FM_CANCELLED;  // cancelled while the sender was being asked
  } else if (outcome == FM_STARTED) {
    TRACE_INFO("Récupération du fichier");
    Report(FM_STARTED, 0, m_size, 0);
    speed.Restart();
    outcome = Receive(link, file, speed, &received);
  }
  if (outcome != FM_COMPLETE) file.Discard();
  if (outcome == FM_COMPLETE)
    Report(FM_COMPLETE, m_size, m_size, speed.Final(m_size));
  else
    Report(outcome, outcome == FM_NOT_AVAILABLE ? 0 : received, reportedSize, speed.Final(received));
  TRACE_INFO("Fermeture de la connexion");
  m_running->Detach();
  link.Close();
}

t_fm_status FileDownload::AskForFile(FileTransferLink& link, int64_t* reportedSize) {
  C2C_Request_t ask;
  std::memset(&ask, 0, sizeof ask);
  ask.present = C2C_Request_PR_askforfile;
  ask.choice.askforfile.login.buf = reinterpret_cast<uint8_t*>(const_cast<char*>(m_ownLogin.data()));
  ask.choice.askforfile.login.size = static_cast<int>(m_ownLogin.size());
  ask.choice.askforfile.fileKey.buf = reinterpret_cast<uint8_t*>(const_cast<char*>(m_fileKey.data()));
  ask.choice.askforfile.fileKey.size = static_cast<int>(m_fileKey.size());
  if (!link.Send(ask)) {
    TRACE_INFO("FileManager::DownloadFile Erreur de lecture de la clef");
    *reportedSize = 0;
    return FM_NOT_AVAILABLE;
  }
  C2C_Request_t* answer = link.Receive(readTimeoutMs);
  t_fm_status outcome = FM_NOT_AVAILABLE;
  if (!answer || answer->present != C2C_Request_PR_askforfile_ack) {
    TRACE_INFO("Bad request");
  } else if (!answer->choice.askforfile_ack.status) {
    TRACE_INFO("No file");
  } else if (!answer->choice.askforfile_ack.size || *answer->choice.askforfile_ack.size != m_size) {
    TRACE_INFO("incorrect size");
  } else {
    outcome = FM_STARTED;
  }
  FileTransferLink::FreeRequest(answer);
  return outcome;
}

t_fm_status FileDownload::Receive(FileTransferLink& link, TemporaryFile& file, TransferSpeed& speed,
                                  int64_t* received) {
  bool interrupted = false;
  bool broken = false;
  while (*received < m_size && m_running->Running()) {
    C2C_Request_t* message = link.Receive(readTimeoutMs);
    if (!message || message->present != C2C_Request_PR_file) {
      // A sender that stops its upload resets the connection rather than send the rest.
      interrupted = (message && message->present == C2C_Request_PR_interrupt) || (!message && link.PeerReset());
      FileTransferLink::FreeRequest(message);
      break;
    }
    broken = !Store(message->choice.file.fileData, file, received);
    FileTransferLink::FreeRequest(message);
    if (broken) break;
    Report(FM_IN_PROGRESS, *received, m_size, speed.Running(*received));
  }
  if (!m_running->Running()) return FM_CANCELLED;
  if (interrupted) return FM_INTERRUPTED;
  if (*received == m_size && !broken && file.Commit()) {
    TRACE_INFO("Transfert ok");
    return FM_COMPLETE;
  }
  TRACE_INFO("Bad final count");
  return FM_FAILED;
}

bool FileDownload::Store(const FileData_t& data, TemporaryFile& file, int64_t* received) {
  // Never more than the announced size, whatever the peer sends.
  if (data.size < 0 || *received + data.size > m_size) {
    TRACE_ERROR("part beyond the announced size");
    return false;
  }
  bool written = file.Write(data.buf, static_cast<size_t>(data.size));
  *received += data.size;
  if (!written) {
    TRACE_ERROR("cannot write the file: %s", std::strerror(errno));
    return false;
  }
  return true;
}
