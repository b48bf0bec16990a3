// What the tests of rooms, sites and file transfers share: a logged-in Manager beside the
// protocol test server, the extension's HTTP requests through libcurl, and a recorder that
// writes each posted event as one line of text while its payload is still alive.
#ifndef PARLAVOX_TESTS_CORE_ROOMSTESTSUPPORT_H
#define PARLAVOX_TESTS_CORE_ROOMSTESTSUPPORT_H

#include <curl/curl.h>

#include <future>
#include <sstream>

#include "asn1/octetString.h"
#include "model/fileMessage.h"
#include "network/localServer.h"
#include "tests/core/managerTestSupport.h"

namespace roomstest {

using namespace managertest;
using testserver::C2SPtr;
using testserver::S2CPtr;
using testserver::Text;

class Lines : public wxEvtHandler {
 public:
  Lines() {
    for (auto type : {&wxEVT_RECEIVE_OPEN_CHATROOM_ACK, &wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT,
                      &wxEVT_RECEIVE_NEW_MESSAGE, &wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK,
                      &wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, &wxEVT_RECEIVE_KEY_TYPED,
                      &wxEVT_RECEIVE_MESSAGE_FILE, &wxEVT_RECEIVE_CLOSE_CHATROOM,
                      &wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, &wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER})
      Bind(*type, &Lines::OnEvent, this, Manager::GetEventId());
  }
  void OnEvent(wxCommandEvent& event) {
    std::ostringstream line;
    wxObject* object = event.GetEventObject();
    line << event.GetInt();
    if (auto* message = dynamic_cast<FileMessage*>(object))
      line << " file " << message->GetStatus() << (message->IsDownload() ? " d " : " u ") << message->GetTransferKey()
           << " " << message->GetTransferredSize();
    else if (auto* message = dynamic_cast<Message*>(object))
      line << " message " << message->GetLogin() << " " << message->GetText() << (message->IsHistory() ? " (old)" : "");
    else if (auto* update = dynamic_cast<URLContactInfo*>(object))
      line << " member " << update->GetURL() << " " << update->GetLogin() << " " << update->GetNbrUsers() << " n"
           << update->GetNotify() << "l" << update->IsLogout() << "f" << update->GetFocus();
    else if (auto* request = dynamic_cast<ContactEvent*>(object))
      line << " event " << request->GetType() << " " << request->GetURL() << " " << request->GetLogin();
    else if (auto* site = dynamic_cast<URLInfo*>(object))
      line << " site " << site->GetURL();
    for (const wxString& text : ManagerEvent::StringsOf(event)) line << " [" << text << "]";
    if (!event.GetString().empty()) line << " " << event.GetString();
    if (event.GetEventType() == wxEVT_RECEIVE_MESSAGE_FILE) files.push_back(line.str());
    else lines.push_back(line.str());
    if (auto* request = dynamic_cast<ContactEvent*>(object)) requests.push_back(request);
  }
  // Everything so far, forgotten.
  std::vector<std::string> Take() { return std::move(lines); }
  std::vector<std::string> lines, files;
  std::vector<ContactEvent*> requests;
};

// One request of the browser extension through libcurl, answered on a thread of its own.
inline std::future<std::string> Browse(const std::string& path) {
  std::string url = "http://127.0.0.1:" + std::to_string(LocalServer::Instance()->GetPort()) + "/" + path;
  return std::async(std::launch::async, [url] {
    std::string out;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t count, void* to) {
      static_cast<std::string*>(to)->append(data, size * count);
      return size * count;
    });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &out);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, 10000L);
    curl_easy_setopt(curl, CURLOPT_HTTP09_ALLOWED, 1L);
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    return out;
  });
}

// Alice logged in; the server's link is `link`, what she sends at log-in is read already.
struct Session : ManagerSetUp {
  Session() {
    link = LogIn(*server);
    if (link) Await(*link, C2S_Request_PR_clientinfo, true);
    manager->SetNextHandler(&events);
  }
  // The Manager goes before the handler it posts to.
  ~Session() { manager.reset(); }
  // The extension's answer, while the Manager runs.
  std::string Answer(std::future<std::string> reply) {
    WaitFor([&] { return reply.wait_for(milliseconds(0)) == std::future_status::ready; }, milliseconds(10000));
    return reply.get();
  }
  // The next request the server gets when it is of the kind, else null.
  C2SPtr Got(C2S_Request_PR kind) { return Await(*link, kind); }
  // True when the server gets nothing before the answer to a heart-beat.
  bool Quiet() {
    Beat(*link, "K1");
    return static_cast<bool>(Got(C2S_Request_PR_heartbeatack));
  }
  void Send(const S2CPtr& request) { link->Send(*request); }
  // The events posted once what the server sent so far is handled.
  std::vector<std::string> Lines() {
    Beat(*link, "K1");
    Await(*link, C2S_Request_PR_heartbeatack, true);
    Pump();
    return events.Take();
  }
  std::shared_ptr<TestConnection> link;
  roomstest::Lines events;
};

}  // namespace roomstest

#endif
