#include "tests/standin/standinTestSupport.h"

#include "asn1/octetString.h"
#include "model/config.h"
#include "standin/link/messageStream.h"

namespace standintest {

void PrepareClients(const std::string& dataDir, const std::string& userDir) {
  unsetenv("PARLAVOX_SERVER");
  Config::SetPath(dataDir);
  Config::SetUserPath(userDir);
  // The first connection client starts the extension listener with its controller, which
  // must outlive every test: these two are kept to the end.
  struct NoController : StateMachine {
    void ConnectionAck(bool) override {}
    void LocalServerUnavailable() override {}
    void ProcessRequest(E2C_Request_t&) override {}
    void ProcessRequest(S2C_Request_t&) override {}
  };
  static StateMachine* controller = nullptr;
  static ClientSideRequest* first = nullptr;
  if (!first) {
    ClientSideRequest::SetListenerPort(0);
    controller = new NoController();
    first = new ClientSideRequest(controller);
  }
}

namespace {

S2CPtr Copy(const S2C_Request_t& request) {
  std::string bytes = standin::EncodeS2CUnchecked(request);
  void* copy = nullptr;
  ber_decode(nullptr, &asn_DEF_S2C_Request, &copy, bytes.data(), bytes.size());
  return S2CPtr(static_cast<S2C_Request_t*>(copy));
}

}  // namespace

std::string Str(const OCTET_STRING_t& text) {
  return asn1::ToString(text);
}

std::string Str(const OCTET_STRING_t* text) {
  return text ? asn1::ToString(*text) : std::string("(absent)");
}

TestUser::TestUser(unsigned short port, const std::string& login, const std::string& password, t_status status)
    : m_login(login), m_link(std::make_shared<ClientSideRequest>(this)) {
  m_link->SetupConnection("127.0.0.1", port, true, false, "", 0, login, password.empty() ? login : password, status);
  ManageClientSideRequest body(m_link);
  m_thread = std::thread([this, body]() mutable {
    body();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_ended = true;
    m_cond.notify_all();
  });
}

TestUser::~TestUser() {
  m_link->CloseConnection();
  m_thread.join();
}

void TestUser::ConnectionAck(bool) {}

void TestUser::ProcessRequest(S2C_Request_t& request) {
  // Only this thread writes the key: it reads it without the lock.
  if (request.present == S2C_Request_PR_connect_ack) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_key = asn1::ToString(request.choice.connect_ack.authkey);
  }
  // As the controller does, on this thread.
  if (request.present == S2C_Request_PR_heartbeat) m_link->HeartBeatAck(m_key);
  // The copy is made before the lock is taken: a waiting test holds the lock only briefly.
  S2CPtr copy = Copy(request);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (copy) m_byKind[copy->present].push_back(copy.get());
    m_received.push_back(std::move(copy));
  }
  m_cond.notify_all();
}

bool TestUser::LoggedIn(milliseconds timeout) {
  return Wait(S2C_Request_PR_connect_ack, nullptr, timeout) != nullptr;
}

const S2C_Request_t* TestUser::Wait(S2C_Request_PR kind, const Match& match, milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  const std::vector<const S2C_Request_t*>& same = m_byKind[kind];
  const S2C_Request_t* found = nullptr;
  size_t scanned = 0;
  m_cond.wait_for(lock, timeout, [&] {
    for (; !found && scanned < same.size(); ++scanned)
      if (!match || match(*same[scanned])) found = same[scanned];
    return found != nullptr;
  });
  return found;
}

size_t TestUser::Count(S2C_Request_PR kind, const Match& match) {
  std::lock_guard<std::mutex> lock(m_mutex);
  const std::vector<const S2C_Request_t*>& same = m_byKind[kind];
  if (!match) return same.size();
  size_t n = 0;
  for (const S2C_Request_t* r : same) n += match(*r) ? 1 : 0;
  return n;
}

bool TestUser::WaitCount(S2C_Request_PR kind, size_t n, milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  const std::vector<const S2C_Request_t*>& same = m_byKind[kind];
  return m_cond.wait_for(lock, timeout, [&] { return same.size() >= n; });
}

bool TestUser::Sync() {
  std::string probe = "sync." + std::to_string(++m_syncs);
  m_link->CheckContact(m_key, probe);
  return Wait(S2C_Request_PR_checkcontactack, [&](const S2C_Request_t& r) {
           return Str(r.choice.checkcontactack.loginOrEmail.choice.login) == probe;
         }) != nullptr;
}

bool TestUser::WaitEnd(milliseconds timeout) {
  std::unique_lock<std::mutex> lock(m_mutex);
  return m_cond.wait_for(lock, timeout, [this] { return m_ended; });
}

}  // namespace standintest
