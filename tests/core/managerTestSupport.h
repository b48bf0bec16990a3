// What the controller tests share: a recorder of the events the Manager posts (in place of the
// main window), and a Manager with its data directory and a TLS test server beside it.
#ifndef PARLAVOX_TESTS_CORE_MANAGERTESTSUPPORT_H
#define PARLAVOX_TESTS_CORE_MANAGERTESTSUPPORT_H

#include <gtest/gtest.h>
#include <wx/app.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/application.h"
#include "core/applicationInbox.h"
#include "model/config.h"
#include "model/stringConversion.h"
#include "model/urlContactInfo.h"
#include "tests/support/testSupport.h"
#include "tests/testServer/trustedServer.h"

namespace managertest {

using std::chrono::milliseconds;
using testserver::Fill;
using testserver::NewS2C;
using testserver::TestConnection;
using testserver::TestServer;

// The kinds of payload an event may carry, each read by one accessor of ManagerEvent.
enum class Payload { kNone, kContact, kSite, kRecommendedSite, kRoomContact, kMessage, kFile, kContactEvent, kMessenger };

// The accessor of each kind but kNone, in the order of the enumeration.
inline std::vector<wxObject* (*)(const wxEvent&)> PayloadAccessors() {
  return {[](const wxEvent& e) -> wxObject* { return ManagerEvent::ContactOf(e); },
          [](const wxEvent& e) -> wxObject* { return ManagerEvent::SiteOf(e); },
          [](const wxEvent& e) -> wxObject* { return ManagerEvent::RecommendedSiteOf(e); },
          [](const wxEvent& e) -> wxObject* { return ManagerEvent::RoomContactOf(e); },
          [](const wxEvent& e) -> wxObject* { return ManagerEvent::MessageOf(e); },
          [](const wxEvent& e) -> wxObject* { return ManagerEvent::FileOf(e); },
          [](const wxEvent& e) -> wxObject* { return ManagerEvent::ContactEventOf(e); },
          [](const wxEvent& e) -> wxObject* { return ManagerEvent::MessengerOf(e); }};
}

// The one kind of payload an event of this type carries when it carries one.
inline Payload PayloadOfType(wxEventType type) {
  const std::pair<wxEventType, Payload> kinds[] = {
      {wxEVT_CONNECTION_ACK, Payload::kContact},
      {wxEVT_RECEIVE_OPEN_CHATROOM_ACK, Payload::kSite},
      {wxEVT_RECEIVE_UPDATE_COMMENTS, Payload::kSite},
      {wxEVT_RECEIVE_ADD_WEBSITE, Payload::kSite},
      {wxEVT_RECEIVE_RECOMMEND_SITE, Payload::kRecommendedSite},
      {wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT, Payload::kRoomContact},
      {wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, Payload::kRoomContact},
      {wxEVT_RECEIVE_NEW_MESSAGE, Payload::kMessage},
      {wxEVT_RECEIVE_MESSAGE_FILE, Payload::kFile},
      {wxEVT_RECEIVE_CONTACT_EVENT, Payload::kContactEvent},
      {wxEVT_RECEIVE_DEL_CONTACT, Payload::kContactEvent},
      {wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, Payload::kContactEvent},
      {wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER, Payload::kContactEvent},
      {wxEVT_RECEIVE_MESSENGER_INFO, Payload::kMessenger}};
  for (const auto& kind : kinds)
    if (kind.first == type) return kind.second;
  return Payload::kNone;
}

// Whether the event's payload, if any, reads back through the accessor of its type's kind and
// through no other.
inline ::testing::AssertionResult PayloadReadsAsItsType(const wxEvent& event) {
  const Payload kind = PayloadOfType(event.GetEventType());
  wxObject* object = event.GetEventObject();
  if (object && kind == Payload::kNone) return ::testing::AssertionFailure() << "a payload on a text event";
  const auto accessors = PayloadAccessors();
  for (size_t i = 0; i < accessors.size(); ++i) {
    const bool its = object && static_cast<size_t>(kind) == i + 1;
    if (accessors[i](event) != (its ? object : nullptr))
      return ::testing::AssertionFailure() << "accessor " << i << " on event type " << event.GetEventType();
  }
  return ::testing::AssertionSuccess();
}

struct Recorded {
  wxEventType type;
  int code;
  std::string text;    // the event's string, or the login of a contact's update
  wxObject* object;
};

class EventRecorder : public wxEvtHandler {
 public:
  EventRecorder() {
    const wxEventTypeTag<wxCommandEvent>* types[] = {
        &wxEVT_CONNECTION_ACK, &wxEVT_RECEIVE_OPEN_CHATROOM_ACK, &wxEVT_RECEIVE_UPDATE_CHATROOM_CONTACT,
        &wxEVT_RECEIVE_NEW_MESSAGE, &wxEVT_RECEIVE_SUBSCRIBE_CHATROOM_ACK,
        &wxEVT_RECEIVE_CREATE_VIRTUAL_CHATROOM_ACK, &wxEVT_RECEIVE_CONTACT_EVENT, &wxEVT_RECEIVE_KEY_TYPED,
        &wxEVT_RECEIVE_MESSAGE_FILE, &wxEVT_RECEIVE_CLOSE_CHATROOM, &wxEVT_RECEIVE_DEL_CONTACT,
        &wxEVT_RECEIVE_INVITE_CONTACT_IN_CHATROOM, &wxEVT_RECEIVE_INVITE_CHATROOM_ANSWER,
        &wxEVT_RECEIVE_UPDATE_AVATAR, &wxEVT_RECEIVE_UPDATE_COMMENTS, &wxEVT_RECEIVE_UPDATE_AD,
        &wxEVT_RECEIVE_RECOMMEND_SITE, &wxEVT_RECEIVE_BAN_SITE, &wxEVT_RECEIVE_REGISTER_EXTENSION,
        &wxEVT_RECEIVE_MESSENGER_INFO, &wxEVT_REMOVE_ALL_PRIVATE_CONTACTS};
    for (auto type : types) Bind(*type, &EventRecorder::OnEvent, this, Manager::GetEventId());
  }
  void OnEvent(wxCommandEvent& event) {
    EXPECT_TRUE(PayloadReadsAsItsType(event));
    std::string text = wx2std(event.GetString());
    if (auto* update = ManagerEvent::RoomContactOf(event)) text = update->GetLogin();
    events.push_back({event.GetEventType(), event.GetInt(), text, event.GetEventObject()});
  }
  // The codes of the connection events so far.
  std::vector<int> ConnectionCodes() const {
    std::vector<int> codes;
    for (const Recorded& e : events)
      if (e.type == wxEVT_CONNECTION_ACK) codes.push_back(e.code);
    return codes;
  }
  std::vector<Recorded> events;
};

// Handles what is queued for the Manager, as the GUI thread's event loop would: the pending
// events, then the idle time (where the Manager goes on with a long inbox); gives up after a
// quarter of a second, so that a server flooding faster than the Manager keeps up cannot hold
// the caller for ever.
inline void Pump() {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
  for (;;) {
    wxTheApp->ProcessPendingEvents();
    const bool more = wxTheApp->ProcessIdle();
    if ((!more && !wxTheApp->HasPendingEvents()) || std::chrono::steady_clock::now() >= end) break;
  }
}

struct ManagerSetUp : testserver::TrustedServer {
  ManagerSetUp() {
    Manager::SetListenerPort(0);
    Config::SetPath(dir.path());
    Config::SetUserPath(dir.path());
    Config::GetInstance()->SetFilePort(0);
    Config::GetInstance()->SetLogin("");
    manager.reset(new Manager());
    manager->SetNextHandler(&recorder);
  }
  // Pumps the Manager's queue until cond holds (false after the time-out).
  bool WaitFor(const std::function<bool()>& cond, milliseconds timeout = milliseconds(5000)) {
    return testsupport::WaitFor([&] { Pump(); return cond(); }, timeout);
  }
  bool WaitCode(int code) {
    return WaitFor([&] {
      for (int c : recorder.ConnectionCodes())
        if (c == code) return true;
      return false;
    });
  }
  // Starts a log-in on the server and returns its link once the server got connect.
  std::shared_ptr<TestConnection> Attempt(TestServer& on, const std::string& password = "secret") {
    manager->Connect("alice", password, false, "127.0.0.1", on.Port(), true, false);
    auto link = on.Accept();
    if (!link || !link->Expect(C2S_Request_PR_connect)) return nullptr;
    return link;
  }
  // The server's acknowledgement of the log-in, and its heart-beat.
  static void Acknowledge(TestConnection& link, const std::string& authkey) {
    auto ack = NewS2C(S2C_Request_PR_connect_ack);
    Fill(&ack->choice.connect_ack.authkey, authkey);
    Fill(&ack->choice.connect_ack.version, "2.0");
    link.Send(*ack);
  }
  static void Beat(TestConnection& link, const std::string& authkey) {
    auto beat = NewS2C(S2C_Request_PR_heartbeat);
    Fill(&beat->choice.heartbeat.authkey, authkey);
    link.Send(*beat);
  }
  // A whole log-in: the server acknowledges and the Manager reports the session open.
  std::shared_ptr<TestConnection> LogIn(TestServer& on) {
    auto link = Attempt(on);
    if (!link) return nullptr;
    Acknowledge(*link, "K1");
    return WaitFor([&] { return manager->IsConnected(); }) ? link : nullptr;
  }
  // The next request the server gets, while the Manager's queue is handled.
  std::unique_ptr<testserver::Received> Next(TestConnection& link) {
    auto end = std::chrono::steady_clock::now() + milliseconds(5000);
    while (std::chrono::steady_clock::now() < end) {
      Pump();
      if (auto got = link.Next(milliseconds(5))) return got;
    }
    return nullptr;
  }
  // The next request when it is of the kind, else null; or the first of the kind, skipping others.
  testserver::C2SPtr Await(TestConnection& link, C2S_Request_PR kind, bool skip = false) {
    for (auto got = Next(link); got; got = Next(link)) {
      if (got->request->present == kind) return std::move(got->request);
      if (!skip) break;
    }
    return nullptr;
  }

  EventRecorder recorder;
  std::unique_ptr<Manager> manager;
};

}  // namespace managertest

#endif
