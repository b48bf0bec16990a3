#include "standin/scriptedUsers.h"

#include <algorithm>

#include "standin/serverLog.h"

namespace standin {

namespace {

const char* const kUsers[][2] = {{"ada", "Ada"}, {"ben", "Ben"}, {"chloe", "Chlo\xC3\xA9"}};

const char* const kLines[] = {
    "Hello %s! I am a scripted user of the stand-in server: everything you see here runs on your computer.",
    "%s, ask me to be your contact: I always accept. Then open a private room with me.",
    "Invite me to a private room if you like, %s, or offer a file: the others in the room will see it.",
    "Nice to meet you, %s. Try a smiley or two.",
};

const auto kTypingAfter = std::chrono::milliseconds(600);
const auto kAnswerAfter = std::chrono::milliseconds(1800);
const auto kAcceptAfter = std::chrono::milliseconds(1000);

bool IsScripted(const std::string& login) {
  for (const auto& user : kUsers) {
    if (login == user[0]) return true;
  }
  return false;
}

C2SPtr NewC2S(C2S_Request_PR kind) {
  C2SPtr r = asn1::NewRequest<C2S_Request_t>();
  r->present = kind;
  return r;
}

}  // namespace

void ScriptedUsers::AddAccounts(Directory& directory) {
  for (const auto& user : kUsers) {
    Account account;
    account.login = user[0];
    account.nickname = user[1];
    account.mood = "scripted";
    account.scripted = true;
    std::string unused;
    directory.Add(account, &unused);
  }
}

ScriptedUsers::ScriptedUsers(Server& server, Directory& directory, const std::string& site)
    : m_server(server), m_directory(directory), m_site(site) {}

void ScriptedUsers::Start(Clock::time_point now) {
  for (const auto& user : kUsers) {
    m_server.LogInScripted(user[0], UserStatus_online, now);
    C2SPtr open = NewC2S(C2S_Request_PR_openurl);
    Put(open->choice.openurl.site, m_site);
    m_server.Act(user[0], *open, now);
    C2SPtr subscribe = NewC2S(C2S_Request_PR_suburl);
    Put(subscribe->choice.suburl.site, m_site);
    m_server.Act(user[0], *subscribe, now);
  }
}

void ScriptedUsers::Later(Clock::time_point when, const std::string& login, C2SPtr request) {
  m_actions.push_back(Action{when, login, std::move(request)});
}

void ScriptedUsers::Heard(const std::string& login, const S2C_Request_t& request, Clock::time_point now) {
  switch (request.present) {
    case S2C_Request_PR_message:
      HeardMessage(login, request.choice.message, now);
      break;
    case S2C_Request_PR_addcontactask: {
      C2SPtr answer = NewC2S(C2S_Request_PR_addcontactanswer);
      Put(answer->choice.addcontactanswer.login, Text(request.choice.addcontactask.login));
      answer->choice.addcontactanswer.answer = 1;
      Put(answer->choice.addcontactanswer.message, "Glad to!");
      Later(now + kAcceptAfter, login, std::move(answer));
      break;
    }
    case S2C_Request_PR_invitechatroom: {
      C2SPtr answer = NewC2S(C2S_Request_PR_invitechatroomanswer);
      Put(answer->choice.invitechatroomanswer.site, Text(request.choice.invitechatroom.site));
      Put(answer->choice.invitechatroomanswer.login, Text(request.choice.invitechatroom.login));
      Put(answer->choice.invitechatroomanswer.message, "");
      answer->choice.invitechatroomanswer.status = 1;
      Later(now + kAcceptAfter, login, std::move(answer));
      break;
    }
    default:
      break;
  }
}

// Everyone scripted in the room hears a message; one of them answers it, each in turn. A
// room gets one answer at a time, so a flood of messages gets no flood of answers.
void ScriptedUsers::HeardMessage(const std::string& login, const S2C_Message_t& message, Clock::time_point now) {
  std::string from = Text(message.login);
  if ((message.history && *message.history) || IsScripted(from)) return;
  std::string room = Text(message.site);
  for (Reply& reply : m_replies) {
    if (reply.room != room) continue;
    if (reply.to == from && reply.time == message.time &&
        std::find(reply.hearers.begin(), reply.hearers.end(), login) == reply.hearers.end()) {
      reply.hearers.push_back(login);
    }
    return;
  }
  m_replies.push_back(Reply{now + kTypingAfter, room, from, message.time, {login}});
}

void ScriptedUsers::Answer(Reply& reply, Clock::time_point now) {
  const std::string& login = reply.hearers[m_turn % reply.hearers.size()];
  // A room of two is entered on its first line; elsewhere this changes nothing.
  C2SPtr enter = NewC2S(C2S_Request_PR_suburl);
  Put(enter->choice.suburl.site, reply.room);
  m_server.Act(login, *enter, now);
  C2SPtr typing = NewC2S(C2S_Request_PR_keytyped);
  Put(typing->choice.keytyped.site, reply.room);
  typing->choice.keytyped.enabled = asn1::NewValue<BOOLEAN_t>(1);
  m_server.Act(login, *typing, now);

  char text[512];
  const Account* them = m_directory.Find(reply.to);
  std::string nickname = them ? them->nickname : reply.to;
  snprintf(text, sizeof text, kLines[m_turn % (sizeof kLines / sizeof kLines[0])], nickname.c_str());
  C2SPtr say = NewC2S(C2S_Request_PR_sendmessage);
  Put(say->choice.sendmessage.site, reply.room);
  Put(say->choice.sendmessage.message, text);
  Later(now + (kAnswerAfter - kTypingAfter), login, std::move(say));
  C2SPtr done = NewC2S(C2S_Request_PR_keytyped);
  Put(done->choice.keytyped.site, reply.room);
  done->choice.keytyped.enabled = asn1::NewValue<BOOLEAN_t>(0);
  Later(now + (kAnswerAfter - kTypingAfter), login, std::move(done));
  ++m_turn;
}

void ScriptedUsers::Tick(Clock::time_point now) {
  // Acting may make the users hear more, which adds replies and actions: the due ones are
  // taken out first.
  std::vector<Reply> answers;
  for (auto it = m_replies.begin(); it != m_replies.end();) {
    if (now >= it->when) {
      answers.push_back(std::move(*it));
      it = m_replies.erase(it);
    } else {
      ++it;
    }
  }
  for (Reply& reply : answers) Answer(reply, now);
  std::vector<Action> due;
  for (auto it = m_actions.begin(); it != m_actions.end();) {
    if (now >= it->when) {
      due.push_back(std::move(*it));
      it = m_actions.erase(it);
    } else {
      ++it;
    }
  }
  for (Action& action : due) m_server.Act(action.login, *action.request, now);
}

}  // namespace standin
