// The browser-extension listener: a small HTTP endpoint on the loopback interface that the
// companion extension calls with one GET per event (page opened, closed, asked about, extension
// registration). Answers are bare ASCII numbers; requests the listener cannot answer itself are
// handed to the controller as E2C-Request values. A request that a web page made the browser
// send (see ExtensionRequest) is refused with a short HTTP 403 and acted upon in no way.
#ifndef PARLAVOX_NETWORK_LOCALSERVER_H
#define PARLAVOX_NETWORK_LOCALSERVER_H

#include <boost/thread/recursive_mutex.hpp>

#include <atomic>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <poll.h>

#include "E2C-Request.h"
#include "network/controllerBinding.h"
#include "network/httpRequestHead.h"
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
  // A client that has not sent its request's head within this time is dropped.
  static constexpr int kReadTimeoutMs = 5000;
  // Connections kept open for the controller's answer about a new URL. Past this many, the one
  // that has waited longest is answered with the value known so far, so that clients that never
  // get an answer (or have gone) cannot use up the process's descriptors.
  static constexpr size_t kMaxWaiting = 128;
  // Connections whose request is still being read. Past this many, the one that has been
  // connected longest is dropped, so idle or slow clients cannot keep the others out.
  static constexpr size_t kMaxReaders = 256;
  // URLs remembered. Past this many, the record used least recently is forgotten, one that no
  // page has open first; a record with a waiting connection is never forgotten.
  static constexpr size_t kMaxPages = 1024;
  // Extensions with an order waiting for them (an extension with none takes no room).
  static constexpr size_t kMaxExtensions = 256;

  // machine: the controller this listener reports to; null for the process's bound controller.
  explicit LocalServer(StateMachine* machine, unsigned short port = kDefaultPort);
  ~LocalServer();
  LocalServer(const LocalServer&) = delete;
  LocalServer& operator=(const LocalServer&) = delete;

  // The process's one listener, which reports to the bound controller. Start binds machine
  // (when not null) and, unless the listener runs already, creates it and runs it on a thread
  // of the program's (stopped and joined at the end); true when it started one. A listener that
  // could not listen (port taken) ends, and the next Start tries again. Instance returns it
  // while it runs, and null before Start and once it has ended.
  static bool Start(StateMachine* machine, unsigned short port = kDefaultPort);
  static std::shared_ptr<LocalServer> Instance();

  // The controller the process's listener reports to. The last binding holds. Unbinding a
  // controller that is not bound changes nothing; either way it returns once no call into that
  // controller is in progress on another thread, so a controller unbinds itself when it is
  // destroyed, before its members go.
  static void BindController(StateMachine* machine);
  static void UnbindController(StateMachine* machine);

  // Binds 127.0.0.1 and listens; Run calls it when it has not been called. False on failure.
  bool Listen();
  // The bound port (useful when 0 was asked for), 0 before Listen.
  unsigned short GetPort() const { return m_boundPort; }
  // The listener thread's body: accepts and serves connections until Close.
  void Run();
  // Stops Run (or keeps it from starting) and drops every waiting connection and record.
  void Close();
  void Reset();

  // The controller's answer about a URL: written to the waiting connection, if any, and kept.
  void UpdateExternalInfo(const std::string& url, int code);
  bool IsURLOpened(const std::string& url);
  std::vector<std::string> GetAllOpenedSites();
  void SetExtensionStatus(const std::string& name, ExtensionStatus_t status);
  void SetConnected(bool connected);
  bool IsRunning() const { return m_running; }

  static E2C_Request_t* CreateEnterRequest(const std::string& url);
  static E2C_Request_t* CreateLeaveRequest(const std::string& url);
  static E2C_Request_t* CreateExtensionStatusRequest(const std::string& name, ExtensionStatus_t status);
  static void FreeEnterRequest(E2C_Request_t** request);
  static void FreeLeaveRequest(E2C_Request_t** request);
  static void FreeExtensionStatusRequest(E2C_Request_t** request);

 private:
  struct Reader;
  struct Page {
    ExternalInfo info;
    unsigned long long lastUse = 0;
  };

  // Handles one request whose head has been read from connection fd: refuses it, or has it
  // analysed. Closes fd or keeps it.
  void Serve(int fd, const HttpRequestHead& head);
  // Handles one complete request line read from connection fd (which it closes or keeps).
  void Analyse(int fd, const std::string& line);
  // The commands of a request line, each with its connection fd (which it closes or keeps):
  // an extension gone, one switched on or off; a page's last tab closed; a page asked about;
  // a page opened.
  void Unregister(int fd, const std::string& name);
  void SwitchExtension(int fd, const std::string& name, bool enable);
  void ClosePage(int fd, const std::string& url);
  void AskPage(int fd, const std::string& url);
  void OpenPage(int fd, const std::string& url);
  // Records a new URL whose connection fd waits for the controller's answer (table lock held).
  void HoldConnection(const std::string& url, int fd, int value);
  // The record of a URL, null when unknown; marks it used (table lock held).
  Page* FindPage(const std::string& url);
  // A new record for a URL, making room first (table lock held).
  Page& AddPage(const std::string& url);
  void ForgetOnePage();
  // Reads what came on the connections being read; serves or drops them.
  void ServeReaders(std::list<Reader>& readers, const std::vector<pollfd>& fds);
  void AcceptReaders(std::list<Reader>& readers, bool* acceptFailed);
  void HandOver(E2C_Request_t* request, void (*release)(E2C_Request_t**));
  static void Answer(int fd, const std::string& text);
  // Answers a refused request with 403 and why, in a text a person can read, and closes fd.
  static void Refuse(int fd, const std::string& why);
  static bool IsLocal(const std::string& url, bool openRequest);

  // A listener made for one controller has a binding of its own; the process's listener uses
  // the process-wide one.
  std::unique_ptr<ControllerBinding<StateMachine>> m_ownBinding;
  ControllerBinding<StateMachine>* m_binding;
  unsigned short m_port;
  std::atomic<unsigned short> m_boundPort{0};
  int m_listenFd = -1;
  int m_wakePipe[2] = {-1, -1};
  std::atomic<bool> m_running{false};
  bool m_closed = false;  // once closed, a Run that had not started yet does not start (under m_mutex)
  std::atomic<bool> m_connected{false};

  // Held while one extension request is handled (the controller is called under it). Recursive:
  // the controller may reach the listener again from within a hand-over.
  boost::recursive_mutex m_mutex;
  // Leaf lock over the two tables; never held while calling out or waiting on a socket.
  std::mutex m_tableMutex;
  struct Order {
    ExtensionStatus_t status;
    unsigned long long stamp;
  };
  std::map<std::string, Order> m_extensions;
  std::map<std::string, Page> m_pages;
  unsigned long long m_uses = 0;  // stamps lastUse
  // URLs whose record holds a waiting connection, the longest waiting first.
  std::deque<std::string> m_waiting;
};

#endif
