// The stand-in messaging server's protocol side: sessions, contacts, presence, chat rooms,
// invitations, smileys, file offers and heart-beats, for any number of clients. It runs on
// the connection loop's thread only, so it holds no lock; it reaches the links through a
// Transport and hears of them as a LinkHandler.
#ifndef PARLAVOX_STANDIN_SERVER_H
#define PARLAVOX_STANDIN_SERVER_H

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "model/version.h"
#include "standin/connectionLoop.h"
#include "standin/directory.h"
#include "standin/journal.h"
#include "standin/messengers.h"
#include "standin/outgoing.h"
#include "standin/transport.h"

namespace standin {

struct ServerSettings {
  std::string clientVersion = kProgramVersion;  // the only client version let in
  Clock::duration heartbeat = std::chrono::seconds(60);
  Clock::duration loginTimeout = std::chrono::seconds(15);
  std::string statePath;  // empty: nothing is kept across restarts
  std::vector<OfferedProtocol> messengers;  // the other networks offered
};

// One user logged in: a client link, or a scripted user served inside the server (no link).
struct Session {
  ConnId conn = 0;
  std::string login;
  std::string authkey;
  std::string peerAddress;
  long status = 1;
  std::set<std::string> sites;  // sites opened
  std::set<std::string> rooms;  // chat rooms subscribed
  Clock::time_point lastHeard;
};

// Scripted users hear what is sent to them through this.
class ScriptListener {
 public:
  virtual ~ScriptListener() {}
  virtual void Heard(const std::string& login, const S2C_Request_t& request, Clock::time_point now) = 0;
  virtual void Tick(Clock::time_point now) = 0;
};

enum class RoomKind { kSite, kOneToOne, kGroup, kInvalid };
// What a room's name makes it; for a one-to-one room, its two logins.
RoomKind KindOfRoom(const std::string& name, std::string* first = nullptr, std::string* second = nullptr);

class Server : public LinkHandler {
 public:
  Server(Directory& directory, Transport& transport, const ServerSettings& settings);
  ~Server() override;

  void Opened(ConnId conn, const std::string& peerAddress, Clock::time_point now) override;
  void Received(ConnId conn, C2S_Request_t& request, Clock::time_point now) override;
  void Closed(ConnId conn) override;
  void Tick(Clock::time_point now) override;

  // Scripted users: logged in at once (they must be scripted accounts), they act through
  // Act and hear through the listener.
  void SetScriptListener(ScriptListener* listener) { m_script = listener; }
  // Every request received from a link is written to the journal first.
  void SetJournal(Journal* journal) { m_journal = journal; }
  void LogInScripted(const std::string& login, long status, Clock::time_point now);
  void Act(const std::string& login, C2S_Request_t& request, Clock::time_point now);

  // Writes the state file now when one is kept; false when writing it failed.
  bool SaveState();
  size_t OnlineCount() const { return m_sessions.size(); }

 private:
  struct Line {
    long time;
    std::string login;
    std::string text;
  };
  struct Room {
    RoomKind kind = RoomKind::kSite;
    std::map<std::string, Session*> members;  // subscribed
    std::map<std::string, Session*> present;  // site opened
    std::deque<Line> history;
    std::map<std::pair<std::string, std::string>, Picture> smileys;  // (login, code)
    std::map<std::string, std::pair<std::string, long>> comments;    // login to (text, grade)
    std::set<std::string> allowed;  // who may subscribe to a group room
    std::string commentsId;
    std::map<std::string, std::set<std::string>> reports;  // reported login to its reporters
    std::set<std::string> banned;                          // refused from now on
  };
  // How an update about a user is shaped for one recipient.
  struct UpdateShape {
    const std::string* site = nullptr;
    bool status = true;
    bool offline = false;  // status offline whatever the user's is
    bool connecting = false;
    long nbrUsers = -1;
    int hasSubscribed = -1;  // -1 absent
    bool largeAvatar = false;
    const Account* viewer = nullptr;  // adds the group and blocked flag the viewer gave
  };

  void Dispatch(Session& s, const C2S_Request_t& r);
  bool DispatchContacts(Session& s, const C2S_Request_t& r);
  bool DispatchRooms(Session& s, const C2S_Request_t& r);
  void DispatchOthers(Session& s, const C2S_Request_t& r);

  // Delivery.
  Session* Online(const std::string& login);
  void Deliver(Session& to, const Outgoing& out);
  // Delivered now when online; else kept (a bounded number) for the next log-in.
  void Notice(const std::string& login, Outgoing out);

  // Log-in, log-out, heart-beats (serverLogin.cpp).
  void LogIn(ConnId conn, const C2S_Connect_t& connect, Clock::time_point now);
  Session& StartSession(ConnId conn, const std::string& login, long status, Clock::time_point now);
  void Refuse(ConnId conn, long error);
  void LogOut(Session& s, bool tellContacts);
  void Disconnect(Session& s);
  void SendOwnRecords(Session& s);
  void Beat(Clock::time_point now);
  void DropLateLinks(Clock::time_point now);

  // Contacts (serverContacts.cpp).
  void CheckContact(Session& s, const C2S_CheckContact_t& r);
  void AddContact(Session& s, const C2S_AddContact_t& r);
  void AnswerContact(Session& s, const C2S_AddContactAnswer_t& r);
  void RemoveContact(Session& s, const C2S_DelContact_t& r);
  void SetBlocked(Session& s, const std::string& login, bool blocked);
  void SetGroup(Session& s, const C2S_ContactGroup_t& r);

  // Profile and presence (serverProfile.cpp).
  Outgoing Update(const Account& subject, const UpdateShape& shape);
  void PresenceChanged(Session& s, bool offline);
  void ProfileChanged(Session& s);
  void ChangeStatus(Session& s, long status);
  void UpdateProfile(Session& s, const std::string& nickname, const std::string& mood, const Date_t* birth);
  void NewAvatar(Session& s, const C2S_NewAvatar_t& r);
  void AskAvatar(Session& s, const std::string& login);

  // Sites and chat rooms (serverRooms.cpp).
  Room* FindRoom(const std::string& name);
  // The room when s may speak in it (subscribed, or the second user of a one-to-one room that
  // the other opened, who is placed in it then), else null.
  Room* RoomOf(Session& s, const std::string& name);
  Room& MakeRoom(const std::string& name, RoomKind kind);
  void ForgetIfIdle(const std::string& name);
  long UsersOn(const Room& room) const;
  std::vector<Session*> Recipients(const std::string& name, const Room& room, const std::string& from);
  void ToRecipients(const std::string& name, const Room& room, const Session& from, const Outgoing& out);
  void ToEveryoneOn(const Room& room, const Outgoing& out, const Session* except);
  // -1 when s may enter the room, else the subscription answer that refuses it.
  long Admission(const Session& s, const std::string& name);
  void OpenSite(Session& s, const std::string& site);
  std::vector<std::pair<std::string, long>> Recommended(const Session& s, const std::string& site,
                                                        const Room& room) const;
  static void PutRecommended(S2C_OpenURLOk_t& ok, const std::vector<std::pair<std::string, long>>& sites);
  void CloseSite(Session& s, const std::string& site);
  void Subscribe(Session& s, const std::string& name);
  void Join(Session& s, const std::string& name, Room& room);
  void Unsubscribe(Session& s, const std::string& name, bool loggingOut);
  void SendMessage(Session& s, const std::string& name, const std::string& text);
  void KeyTyped(Session& s, const C2S_KeyTyped_t& r);
  void Comment(Session& s, const C2S_Comment_t& r);
  void AddSmiley(Session& s, const C2S_AddSmiley_t& r);
  void DelSmiley(Session& s, const C2S_DelSmiley_t& r);
  // An abuse report by a member of a site's room; enough members reporting the same user ban
  // that user from the room.
  void ReportAbuse(Session& s, const C2S_Abuse_t& r);

  // Private rooms and invitations (serverInvitations.cpp).
  void Invite(Session& s, const C2S_InviteChatroom_t& r);
  void AnswerInvitation(Session& s, const C2S_InviteChatroomAnswer_t& r);

  // Files, external messengers and reports (serverFiles.cpp).
  void OfferFile(Session& s, const C2S_SendFile_t& r);
  void CancelFile(Session& s, const C2S_CancelFile_t& r);
  void RelayTransfer(Session& s, const C2S_Request_t& r);
  void AnswerMessengers(Session& s, const C2S_Request_t& r);

  Directory& m_directory;
  Transport& m_transport;
  ServerSettings m_settings;
  ScriptListener* m_script = nullptr;
  Journal* m_journal = nullptr;

  std::map<ConnId, std::pair<std::string, Clock::time_point>> m_pending;  // linked, not logged in
  std::map<std::string, std::unique_ptr<Session>> m_sessions;              // by login
  std::map<ConnId, Session*> m_byConn;
  std::map<std::string, std::vector<Outgoing>> m_notices;
  std::set<std::pair<std::string, std::string>> m_contactRequests;          // (from, to)
  std::map<std::pair<std::string, std::string>, std::string> m_invitations;  // (room, invitee) to inviter
  std::map<std::string, Room> m_rooms;
  long m_nextRoomId = 1;
  Clock::time_point m_nextBeat;
  uint64_t m_savedChanges = 0;
  Clock::time_point m_lastSave;
};

}  // namespace standin

#endif
