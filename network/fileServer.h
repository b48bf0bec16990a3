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
#include <string>

#include "FileData.h"
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

// A running transfer's stop flag, shared between its thread and the registry.
using TransferToken = std::shared_ptr<std::atomic<bool>>;

class FileServer {
 public:
  static constexpr size_t kPartSize = 8192;
  // How long a peer may take to send its request after connecting.
  static constexpr int kRequestTimeoutMs = 5000;
  // Uploads served at the same time; further peers are turned away.
  static constexpr int kMaxUploads = 64;

  explicit FileServer(const std::string& port);

  // The listener body; the controller runs it on a new thread on a copy of this object.
  void operator()();
  // Binds the port on every interface and listens (the listener body does it when needed).
  bool Listen();
  // The port actually bound (when "0" was asked for), 0 before Listen.
  unsigned short GetBoundPort() const;
  bool IsRunning() const;
  // Stops the listener; with clear, also cancels every transfer and forgets every offer.
  // A later listener thread started from this object listens anew.
  void Close(bool clear);
  void SetPort(const std::string& port);
  const std::string& GetPort() const { return port_; }

  // Offers a file and returns its size, or -1 (nothing offered) when it is not a readable
  // regular file.
  int64_t AddFile(const std::string& site, const std::string& ownerLogin, const std::string& path,
                  const std::string& fileName, const std::string& fileKey);
  void CancelFile(const std::string& fileKey);
  // The first offer with the key, or null; the record stays valid while it is held.
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

  // Who hears about every step of every transfer (the controller). Process-wide.
  static void SetListener(FileTransferListener* listener);
  static void Report(t_fm_status status, const std::string& login, const std::string& site,
                     const std::string& fileName, const std::string& fileKey, const std::string& transferKey,
                     const std::string& host, int port, bool isDownload, int64_t transferred, int64_t size,
                     double speed);

  // Registries of running transfers (used by the transfer threads).
  static void RegisterUpload(const std::string& transferKey, const TransferToken& token);
  static void UnregisterUpload(const std::string& transferKey, const TransferToken& token);
  static void RegisterDownload(const std::string& fileKey, const TransferToken& token);
  static void UnregisterDownload(const std::string& fileKey, const TransferToken& token);

 private:
  struct ListenerState;
  struct RelayStreams;

  std::string port_;
  std::shared_ptr<RelayStreams> relay_;
  std::shared_ptr<ListenerState> listener_;
};

#endif
