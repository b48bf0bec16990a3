// Peer-to-peer file transfer: the list of offered files, the listener on the file port that
// serves them (one FileUpload thread per peer), downloads from other clients (one FileDownload
// thread each), the registries through which a running transfer is cancelled, and the streams
// of files relayed through the server.
#ifndef PARLAVOX_NETWORK_FILESERVER_H
#define PARLAVOX_NETWORK_FILESERVER_H

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "FileData.h"
#include "network/fileServerGate.h"
#include "network/fileTransferListener.h"

// One offered file.
struct FileInfo {
  std::string site;        // the chat room in which it was offered
  std::string path;        // full local path; uploads read it
  std::string fileName;    // the name offered to the server, without directory
  int64_t size = 0;        // taken from the file system when offered
  std::string fileKey;     // decimal digits naming the offer
  std::string ownerLogin;  // the user's own login when offered
};

// A running transfer's stop flag, shared between its thread and the registry. A download
// also lends it its connection, which a stop shuts down: a wait for the peer ends at once.
class TransferControl {
 public:
  explicit TransferControl(bool running) : m_running(running) {}
  bool Running() const { return m_running; }
  void Start() { m_running = true; }
  void Stop();
  // The connection to shut down on a stop (at once when stopped already); Detach before it
  // is closed.
  void Attach(int fd);
  void Detach();

 private:
  std::atomic<bool> m_running;
  std::mutex m_mutex;
  int m_fd = -1;
};
using TransferToken = std::shared_ptr<TransferControl>;

class FileServer {
 public:
  static constexpr size_t kPartSize = 8192;

  // Copies of a FileServer share what it offers and runs: Close(true) on one of them ends and
  // forgets that, and nothing of another FileServer.
  explicit FileServer(const std::string& port);

  // The listener body; Run runs it on a new thread on a copy of this object.
  void operator()();
  // Starts the listener on a thread of the program's (see programThreads.h), which the end of
  // the program stops and joins.
  void Run();
  // Binds the port on every interface and listens (the listener body does it when needed).
  bool Listen();
  // The port actually bound (when "0" was asked for), 0 before Listen.
  unsigned short GetBoundPort() const;
  bool IsRunning() const;
  // Stops the listener; with clear, also cancels the transfers this server runs, forgets its
  // offers and closes its relayed streams. A later listener thread started from this object
  // listens anew.
  void Close(bool clear);
  void SetPort(const std::string& port);
  const std::string& GetPort() const { return m_port; }

  // Offers a file and returns its size, or -1 (nothing offered) when it is not a readable
  // regular file.
  int64_t AddFile(const std::string& site, const std::string& ownerLogin, const std::string& path,
                  const std::string& fileName, const std::string& fileKey);
  // Withdraws this server's first offer with the key, and closes its relayed streams.
  void CancelFile(const std::string& fileKey);
  // The first offer with the key (of any server), or null; the record stays valid while it is
  // held.
  static std::shared_ptr<const FileInfo> GetFileInfo(const std::string& fileKey);
  static bool IsFileAvailable(const std::string& fileKey);
  void CancelUpload(const std::string& transferKey);
  void CancelDownload(const std::string& transferKey);

  // Starts a download of a peer's offer on a thread of its own.
  void DownloadFile(const std::string& ownLogin, const std::string& peerLogin, const std::string& site,
                    const std::string& fileKey, int64_t size, const std::string& host, unsigned short port,
                    const std::string& fileName, const std::string& localPath);

  // Streams of files relayed through the server, keyed by login and file key. Only an own
  // offer can be opened, and only for reading: a receive through the server is refused.
  bool Register(const std::string& login, const std::string& fileKey, bool write);
  int64_t GetPosition(const std::string& login, const std::string& fileKey);
  void WritePart(const std::string& login, const std::string& fileKey, const FileData_t* part);
  // The next part (at most 8192 bytes, the caller owns it), or null at the end, where the
  // stream is closed.
  FileData_t* ReadPart(const std::string& login, const std::string& fileKey);

  // Who hears about every step of every transfer (the controller), process-wide. The last
  // binding holds. Unbinding a listener that is not bound changes nothing; either way it
  // returns once no report to that listener is in progress on another thread, so a controller
  // unbinds itself when it is destroyed, before its members go.
  static void BindListener(FileTransferListener* listener);
  static void UnbindListener(FileTransferListener* listener);
  static void Report(t_fm_status status, const std::string& login, const std::string& site,
                     const std::string& fileName, const std::string& fileKey, const std::string& transferKey,
                     const std::string& host, int port, bool isDownload, int64_t transferred, int64_t size,
                     double speed);

  // Registries of running transfers (used by the transfer threads); owner names the server
  // that runs the transfer.
  static void RegisterUpload(const std::string& transferKey, const TransferToken& token, uint64_t owner);
  static void UnregisterUpload(const std::string& transferKey, const TransferToken& token);
  static void RegisterDownload(const std::string& fileKey, const TransferToken& token, uint64_t owner);
  static void UnregisterDownload(const std::string& fileKey, const TransferToken& token);

 private:
  struct ListenerState;
  struct RelayStreams;

  void Serve(ListenerState& state);
  // Starts an upload thread for each connection whose request has been read.
  void StartUploads(std::vector<FileServerGate::Admitted>& admitted);
  void AcceptConnections(ListenerState& state, FileServerGate& gate, bool* acceptFailed);
  static void StopListener(ListenerState& state);
  void CloseRelayStreams(const std::string& fileKey);

  uint64_t m_id;  // shared by the copies of this server
  std::string m_port;
  std::shared_ptr<RelayStreams> m_relay;
  std::shared_ptr<ListenerState> m_listener;
};

#endif
