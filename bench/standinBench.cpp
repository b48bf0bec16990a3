// Stand-in server under load: many clients in one site's chat room, each sending messages at
// a steady rate. Prints the messages relayed per second against those offered, and the time
// from sending to delivery (median, 99th percentile) against an idle server's, measured in
// the same run. Usage: standinBench [--seconds 30] [--clients 200] [--rate 10] [--threads 4]
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <openssl/ssl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "asn1/berDecoder.h"
#include "asn1/derEncoder.h"
#include "model/log.h"
#include "model/version.h"
#include "standin/outgoing.h"
#include "tests/standin/standinProcess.h"

using Clock = std::chrono::steady_clock;

namespace {

const char* const kRoom = "http://bench.example/";
const char* const kQuietRoom = "http://quiet.example/";

struct Settings {
  int seconds = 30;
  int clients = 200;
  int rate = 10;
  int threads = 4;
};

long long NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// One client link: a TLS socket, its decoder and what waits to be written.
struct Client {
  int fd = -1;
  SSL* ssl = nullptr;
  std::string key;
  asn1::BerDecoder decoder{&asn_DEF_S2C_Request};
  Client() { decoder.WaitForWholeValues(); }
  std::string in;
  size_t inAt = 0;
  std::string out;
  size_t retry = 0;
  long long nextSend = 0;
};

std::string Encode(C2S_Request_PR kind, const std::string& key, const std::string& site, const std::string& text) {
  standin::C2SPtr r = asn1::NewRequest<C2S_Request_t>();
  r->present = kind;
  if (kind == C2S_Request_PR_connect) {
    standin::Put(r->choice.connect.login, key);
    standin::Put(r->choice.connect.password, key);
    standin::Put(r->choice.connect.version, kProgramVersion);
    r->choice.connect.status = UserStatus_online;
    standin::Put(r->choice.connect.default_avatar_hash, std::string(20, '\0'));
  } else if (kind == C2S_Request_PR_sendmessage) {
    standin::Put(r->choice.sendmessage.authkey, key);
    standin::Put(r->choice.sendmessage.site, site);
    standin::Put(r->choice.sendmessage.message, text);
  } else {
    // openurl and suburl have the same members.
    standin::Put(r->choice.openurl.authkey, key);
    standin::Put(r->choice.openurl.site, site);
  }
  std::vector<uint8_t> bytes;
  asn1::EncodeDer(&asn_DEF_C2S_Request, r.get(), bytes);
  return std::string(bytes.begin(), bytes.end());
}

// Under load only the chat lines matter, and the bench must not be slower than the server it
// measures: the server's DER is walked by hand, not decoded. The size of the whole value that
// starts at bytes (tag and length included), 0 while it is not all in hand.
size_t ValueSize(const unsigned char* bytes, size_t size, size_t* header) {
  size_t at = 1;
  if (size < 2) return 0;
  if ((bytes[0] & 0x1F) == 0x1F) {
    while (at < size && (bytes[at] & 0x80)) ++at;
    ++at;
  }
  if (at >= size) return 0;
  size_t length = bytes[at++];
  if (length & 0x80) {
    size_t count = length & 0x7F;
    if (at + count > size) return 0;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | bytes[at++];
  }
  *header = at;
  return at + length <= size ? at + length : 0;
}

// The text of a chat line that is not history ([6] with members [0]..[4], [5] history).
bool ChatLine(const unsigned char* bytes, size_t size, std::string* text) {
  size_t header = 0;
  if (bytes[0] != 0xA6 || !ValueSize(bytes, size, &header)) return false;
  bool found = false;
  for (size_t at = header; at < size;) {
    size_t inner = 0, whole = ValueSize(bytes + at, size - at, &inner);
    if (!whole) return false;
    if (bytes[at] == 0x84) {
      text->assign(reinterpret_cast<const char*>(bytes + at + inner), whole - inner);
      found = true;
    }
    if (bytes[at] == 0x85) return false;
    at += whole;
  }
  return found;
}

// The next whole request already read, or null.
standin::S2CPtr Decoded(Client& c) {
  if (c.inAt == c.in.size()) return nullptr;
  asn1::DecodeResult r = c.decoder.Decode(c.in.data() + c.inAt, c.in.size() - c.inAt);
  c.inAt += r.consumed;
  if (c.inAt > (1 << 16)) {
    c.in.erase(0, c.inAt);
    c.inAt = 0;
  }
  if (r.status == asn1::DecodeStatus::kFailed) {
    fprintf(stderr, "undecodable bytes from the server: %s\n", c.decoder.Error().c_str());
    exit(1);
  }
  return r.status == asn1::DecodeStatus::kComplete ? standin::S2CPtr(static_cast<S2C_Request_t*>(c.decoder.Take()))
                                                    : nullptr;
}

// Reads what is there; false when the link ended.
bool ReadSome(Client& c) {
  char buffer[65536];
  for (;;) {
    int n = SSL_read(c.ssl, buffer, sizeof buffer);
    if (n > 0) {
      c.in.append(buffer, static_cast<size_t>(n));
      continue;
    }
    int error = SSL_get_error(c.ssl, n);
    return error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE;
  }
}

void Flush(Client& c) {
  while (!c.out.empty()) {
    size_t length = c.retry ? c.retry : c.out.size();
    int n = SSL_write(c.ssl, c.out.data(), static_cast<int>(length));
    if (n <= 0) {
      c.retry = length;
      return;
    }
    c.retry = 0;
    c.out.erase(0, static_cast<size_t>(n));
  }
}

// Blocks (the socket is still blocking) until a request of the kind came.
standin::S2CPtr Await(Client& c, S2C_Request_PR kind) {
  for (;;) {
    while (standin::S2CPtr r = Decoded(c)) {
      if (r->present == kind) return r;
    }
    char buffer[65536];
    int n = SSL_read(c.ssl, buffer, sizeof buffer);
    if (n <= 0) {
      fprintf(stderr, "the server ended a link during the set-up\n");
      exit(1);
    }
    c.in.append(buffer, static_cast<size_t>(n));
  }
}

void Connect(Client& c, SSL_CTX* context, unsigned short port, const std::string& login) {
  c.fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int one = 1;
  setsockopt(c.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  c.ssl = SSL_new(context);
  SSL_set_fd(c.ssl, c.fd);
  SSL_set1_host(c.ssl, PARLAVOX_SERVER_HOST);
  if (connect(c.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || SSL_connect(c.ssl) != 1) {
    fprintf(stderr, "cannot reach the server as %s\n", login.c_str());
    exit(1);
  }
  c.out = Encode(C2S_Request_PR_connect, login, "", "");
  Flush(c);
  c.key = standin::Text(Await(c, S2C_Request_PR_connect_ack)->choice.connect_ack.authkey);
}

void Enter(Client& c, const std::string& room) {
  c.out = Encode(C2S_Request_PR_openurl, c.key, room, "") + Encode(C2S_Request_PR_suburl, c.key, room, "");
  Flush(c);
  Await(c, S2C_Request_PR_suburlack);
}

// Delivery times, in microseconds, and messages received, of one worker's clients.
struct Tally {
  std::vector<double> micros;
  long long messages = 0;
};

// Serves clients [first, last): reads everything, and from start to stop sends each client's
// messages at its rate; then reads on until the deadline.
void Work(std::vector<Client>& clients, size_t first, size_t last, const Settings& settings, long long start,
          long long stop, long long deadline, Tally& tally, std::atomic<long long>& sent) {
  const long long period = 1000000000LL / settings.rate;
  for (size_t i = first; i < last; ++i) clients[i].nextSend = start + period * static_cast<long long>(i) / settings.clients;
  std::vector<pollfd> fds;
  for (;;) {
    long long now = NowNs();
    if (now >= deadline) return;
    long long wake = deadline;
    fds.clear();
    for (size_t i = first; i < last; ++i) {
      Client& c = clients[i];
      if (now >= c.nextSend && c.nextSend < stop) {
        c.out += Encode(C2S_Request_PR_sendmessage, c.key, kRoom, std::to_string(NowNs()));
        c.nextSend += period;
        ++sent;
        Flush(c);
      }
      if (c.nextSend < stop) wake = std::min(wake, c.nextSend);
      fds.push_back(pollfd{c.fd, static_cast<short>(POLLIN | (c.out.empty() ? 0 : POLLOUT)), 0});
    }
    int timeout = static_cast<int>(std::max(0LL, (wake - NowNs()) / 1000000));
    if (poll(fds.data(), fds.size(), std::min(timeout, 10)) <= 0) continue;
    for (size_t i = first; i < last; ++i) {
      Client& c = clients[i];
      if (fds[i - first].revents & POLLOUT) Flush(c);
      if (!(fds[i - first].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      if (!ReadSome(c)) {
        fprintf(stderr, "the server ended a link under load\n");
        exit(1);
      }
      long long at = NowNs();
      const unsigned char* bytes = reinterpret_cast<const unsigned char*>(c.in.data());
      size_t header = 0, size;
      std::string text;
      while ((size = ValueSize(bytes + c.inAt, c.in.size() - c.inAt, &header)) > 0) {
        if (ChatLine(bytes + c.inAt, size, &text)) {
          long long sentAt = atoll(text.c_str());
          if (sentAt >= start) {
            ++tally.messages;
            tally.micros.push_back((at - sentAt) / 1000.0);
          }
        }
        c.inAt += size;
      }
      c.in.erase(0, c.inAt);
      c.inAt = 0;
    }
  }
}

// Round trips on an idle server: one client says something now and then, another hears it.
double IdleMedianMicros(Client& speaker, Client& listener) {
  std::vector<double> micros;
  for (int i = 0; i < 200; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    long long sentAt = NowNs();
    speaker.out = Encode(C2S_Request_PR_sendmessage, speaker.key, kQuietRoom, std::to_string(sentAt));
    Flush(speaker);
    Await(listener, S2C_Request_PR_message);
    micros.push_back((NowNs() - sentAt) / 1000.0);
  }
  std::sort(micros.begin(), micros.end());
  return micros[micros.size() / 2];
}

Settings Parse(int argc, char** argv) {
  Settings settings;
  for (int i = 1; i + 1 < argc; i += 2) {
    int value = atoi(argv[i + 1]);
    if (value <= 0) continue;
    if (!strcmp(argv[i], "--seconds")) settings.seconds = value;
    if (!strcmp(argv[i], "--clients")) settings.clients = std::max(2, value);
    if (!strcmp(argv[i], "--rate")) settings.rate = value;
    if (!strcmp(argv[i], "--threads")) settings.threads = value;
  }
  return settings;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings = Parse(argc, argv);
  start_log("/dev/null");
  char dirTemplate[] = "/tmp/parlavox-standinbench-XXXXXX";
  std::string dir = std::string(mkdtemp(dirTemplate)) + "/";
  {
    std::ofstream accounts(dir + "accounts");
    for (int i = 0; i < settings.clients; ++i) accounts << "user" << i << " user" << i << " User " << i << "\n";
  }
  standintest::StandinProcess server(PARLAVOX_STANDIN_PROGRAM, dir,
                                     {"--accounts", dir + "accounts", "--max-connections", "1000"});
  if (!server.Port()) return 1;
  SSL_CTX* context = SSL_CTX_new(TLS_client_method());
  SSL_CTX_load_verify_locations(context, (dir + "parlavox.pem").c_str(), nullptr);
  SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);

  std::vector<Client> clients(static_cast<size_t>(settings.clients));
  for (int i = 0; i < settings.clients; ++i) Connect(clients[i], context, server.Port(), "user" + std::to_string(i));
  Enter(clients[0], kQuietRoom);
  Enter(clients[1], kQuietRoom);
  double idle = IdleMedianMicros(clients[0], clients[1]);
  for (Client& c : clients) Enter(c, kRoom);
  for (Client& c : clients) fcntl(c.fd, F_SETFL, fcntl(c.fd, F_GETFL) | O_NONBLOCK);

  // The room's arrivals are read off first; then the clients speak for the time set.
  long long start = NowNs() + 2000000000LL;
  long long stop = start + settings.seconds * 1000000000LL;
  long long deadline = stop + 3000000000LL;
  std::vector<Tally> tallies(static_cast<size_t>(settings.threads));
  std::atomic<long long> sent{0};
  std::vector<std::thread> workers;
  double cpuBefore = 0;
  for (int t = 0; t < settings.threads; ++t) {
    size_t first = clients.size() * t / settings.threads, last = clients.size() * (t + 1) / settings.threads;
    workers.emplace_back(Work, std::ref(clients), first, last, std::cref(settings), start, stop, deadline,
                         std::ref(tallies[t]), std::ref(sent));
  }
  std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(start)));
  cpuBefore = server.CpuSeconds();
  std::this_thread::sleep_until(Clock::time_point(std::chrono::nanoseconds(stop)));
  double cpu = server.CpuSeconds() - cpuBefore;
  long resident = server.ResidentKb();
  for (std::thread& w : workers) w.join();

  std::vector<double> micros;
  long long relayed = 0;
  for (Tally& t : tallies) {
    micros.insert(micros.end(), t.micros.begin(), t.micros.end());
    relayed += t.messages;
  }
  std::sort(micros.begin(), micros.end());
  double offered = static_cast<double>(sent) * (settings.clients - 1) / settings.seconds;
  double perSecond = static_cast<double>(relayed) / settings.seconds;
  printf("stand-in: %d clients in one room, %d messages/s each, %d s\n", settings.clients, settings.rate,
         settings.seconds);
  printf("relayed: %lld messages, %.0f/s; offered %.0f/s (%lld sent to %d others each): ratio %.3f\n", relayed,
         perSecond, offered, static_cast<long long>(sent), settings.clients - 1, offered > 0 ? perSecond / offered : 0);
  if (!micros.empty()) {
    double median = micros[micros.size() / 2], p99 = micros[micros.size() * 99 / 100];
    printf("delivery: median %.2f ms, 99th percentile %.2f ms, most %.2f ms; idle server %.2f ms: ratio %.1f\n",
           median / 1000, p99 / 1000, micros.back() / 1000, idle / 1000, p99 / idle);
  }
  printf("server: %.0f%% of one core, %ld kB resident\n", 100 * cpu / settings.seconds, resident);
  for (Client& c : clients) {
    SSL_free(c.ssl);
    close(c.fd);
  }
  SSL_CTX_free(context);
  server.Stop();
  std::string cleanup = "rm -rf '" + dir + "'";
  return system(cleanup.c_str()) == 0 ? 0 : 1;
}
