// The browser-extension listener: a small HTTP endpoint on the loopback interface that the
// companion extension calls with one GET per event (page opened, closed, asked about, extension
// registration). Answers are bare ASCII numbers; requests the listener cannot answer itself are
// handed to the controller as E2C-Request values.
#ifndef PARLAVOX_NETWORK_LOCALSERVER_H
#define PARLAVOX_NETWORK_LOCALSERVER_H

#include <boost/regex.hpp>
#include <boost/thread/recursive_mutex.hpp>

#include <atomic>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "E2C-Request.h"
#include "network/stateMachine.h"

// What the listener knows about one URL the extension has reported.
struct ExternalInfo {
  int bio = -1;       // the extension's connection waiting for an answer about this URL, or -1
  int value = 0;      // the answer given for this URL
  int openCount = 0;  // the extension's open pages on this URL
};

class LocalServer {
 public:
  static constexpr unsigned short kDefaultPort = 6788;
  // A client that has not sent its request line within this time is dropped.
  static constexpr int kReadTimeoutMs = 5000;
  // Request lines are cut at this many bytes.
  static constexpr size_t kMaxLine = 1000;
  // Connections kept open for the controller's answer about a new URL. Past this many, the one
  // that has waited longest is answered with the value known so far, so that clients that never
  // get an answer (or have gone) cannot use up the process's descriptors.
  static constexpr size_t kMaxWaiting = 128;

  explicit LocalServer(StateMachine* machine, unsigned short port = kDefaultPort);
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // The process's one listener. Start creates it and runs it on a detached thread the first
  // time it is called (later calls do nothing and return false). Instance returns it while it
  // runs, and null before Start and once it has ended (for instance when the port was taken).
  static bool Start(StateMachine* machine, unsigned short port = kDefaultPort);
  static std::shared_ptr<LocalServer> Instance();

  // Binds 127.0.0.1 and listens; Run calls it when it has not been called. False on failure.
  bool Listen();
  // The bound port (useful when 0 was asked for), 0 before Listen.
  unsigned short GetPort() const { return boundPort_; }
  // The listener thread's body: accepts and serves connections until Close.
  void Run();
  // Stops Run and drops every waiting connection and record.
  void Close();
  void Reset();

  // The controller's answer about a URL: written to the waiting connection, if any, and kept.
  void UpdateExternalInfo(const std::string& url, int code);
  bool IsURLOpened(const std::string& url);
  std::vector<std::string> GetAllOpenedSites();
  void SetExtensionStatus(const std::string& name, ExtensionStatus_t status);
  void SetConnected(bool connected);
  bool IsRunning() const { return running_; }

  static E2C_Request_t* CreateEnterRequest(const std::string& url);
  static E2C_Request_t* CreateLeaveRequest(const std::string& url);
  static E2C_Request_t* CreateExtensionStatusRequest(const std::string& name, ExtensionStatus_t status);
  static void FreeEnterRequest(E2C_Request_t** request);
  static void FreeLeaveRequest(E2C_Request_t** request);
  static void FreeExtensionStatusRequest(E2C_Request_t** request);

 private:
  struct Reader;

  // Handles one complete request line read from connection fd (which it closes or keeps).
  void Analyse(int fd, const std::string& line);
  // Records a new URL whose connection fd waits for the controller's answer (table lock held).
  void HoldConnection(const std::string& url, int fd, int value);
  void HandOver(E2C_Request_t* request, void (*release)(E2C_Request_t**));
  static void Answer(int fd, const std::string& text);
  static bool IsLocal(const std::string& url, bool openRequest);

  boost::regex pattern_;
  StateMachine* machine_;
  unsigned short port_;
  std::atomic<unsigned short> boundPort_{0};
  int listenFd_ = -1;
  int wakePipe_[2] = {-1, -1};
  std::atomic<bool> running_{false};
  std::atomic<bool> connected_{false};

  // Held while one extension request is handled (the controller is called under it). Recursive:
  // the controller may reach the listener again from within a hand-over.
  boost::recursive_mutex mutex_;
  // Leaf lock over the two tables; never held while calling out or waiting on a socket.
  std::mutex tableMutex_;
  std::map<std::string, ExtensionStatus_t> extensions_;
  std::map<std::string, ExternalInfo> pages_;
  // URLs whose record holds a waiting connection, the longest waiting first.
  std::deque<std::string> waiting_;
};

#endif
