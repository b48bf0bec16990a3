// One call of every sender of the connection client with valid arguments, and what the
// server must then receive: shared by the tests of the fields and of the senders' latency.
#ifndef PARLAVOX_TESTS_CORE_SENDERROWS_H
#define PARLAVOX_TESTS_CORE_SENDERROWS_H

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "C2S-Request.h"
#include "asn1/octetString.h"
#include "core/clientSideRequest.h"

namespace clienttest {

struct SenderRow {
  const char* name;
  std::function<bool()> send;
  C2S_Request_PR kind;
  std::function<void(const C2S_Request_t&)> check;
};

inline std::string T(const OCTET_STRING_t& s) {
  return asn1::ToString(s);
}

// The rows call c; part is the file part FilePart is given (it must outlive the rows).
inline std::vector<SenderRow> SenderRows(ClientSideRequest& c, FileData_t* part) {
  static const unsigned char img[] = {1, 2, 3};
  static const unsigned char small[] = {9};
  const std::string key = "K1";
  const std::string site = "http://a.example/";
  return {
      {"disconnect", [=, &c] { return c.SendDisconnect(key); }, C2S_Request_PR_disconnect,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ(key, T(r.choice.disconnect.authkey));
         EXPECT_EQ(0, r.choice.disconnect.recoflag);
       }},
      {"keytyped on", [=, &c] { return c.KeyTyped(key, site, true); }, C2S_Request_PR_keytyped,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ(site, T(r.choice.keytyped.site));
         ASSERT_TRUE(r.choice.keytyped.enabled);
         EXPECT_NE(0, *r.choice.keytyped.enabled);  // DER's TRUE decodes as 0xFF
       }},
      {"keytyped off", [=, &c] { return c.KeyTyped(key, site, false); }, C2S_Request_PR_keytyped,
       [=](const C2S_Request_t& r) {
         ASSERT_TRUE(r.choice.keytyped.enabled);  // present even when false
         EXPECT_EQ(0, *r.choice.keytyped.enabled);
       }},
      {"openurl", [=, &c] { return c.SendOpenChatRoom(key, site); }, C2S_Request_PR_openurl,
       [=](const C2S_Request_t& r) { EXPECT_EQ(site, T(r.choice.openurl.site)); }},
      {"closeurl", [=, &c] { return c.SendCloseChatRoom(key, site); }, C2S_Request_PR_closeurl,
       [=](const C2S_Request_t& r) { EXPECT_EQ(site, T(r.choice.closeurl.site)); }},
      {"sendmessage", [=, &c] { return c.SendMessage(key, site, "h\xC3\xA9llo"); }, C2S_Request_PR_sendmessage,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ(key, T(r.choice.sendmessage.authkey));
         EXPECT_EQ("h\xC3\xA9llo", T(r.choice.sendmessage.message));
       }},
      {"empty message", [=, &c] { return c.SendMessage(key, site, ""); }, C2S_Request_PR_sendmessage,
       [=](const C2S_Request_t& r) { EXPECT_EQ("", T(r.choice.sendmessage.message)); }},
      {"sendfile", [=, &c] { return c.SendFile(key, site, "f.txt", "123", 3000000000L, 6891); }, C2S_Request_PR_sendfile,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ("f.txt", T(r.choice.sendfile.filename));
         EXPECT_EQ("123", T(r.choice.sendfile.filekey));
         EXPECT_EQ(3000000000L, r.choice.sendfile.filesize);
         EXPECT_EQ(6891, r.choice.sendfile.port);
       }},
      {"suburl", [=, &c] { return c.SendSubscribeChatRoom(key, site); }, C2S_Request_PR_suburl,
       [=](const C2S_Request_t& r) { EXPECT_EQ(site, T(r.choice.suburl.site)); }},
      {"unsuburl", [=, &c] { return c.SendUnsubscribeChatRoom(key, site); }, C2S_Request_PR_unsuburl,
       [=](const C2S_Request_t& r) { EXPECT_EQ(site, T(r.choice.unsuburl.site)); }},
      {"comment", [=, &c] { return c.SendComment(key, site, "nice", 7); }, C2S_Request_PR_comment,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ("nice", T(r.choice.comment.text));
         EXPECT_EQ(7, r.choice.comment.grade);
       }},
      {"changestatus", [=, &c] { return c.ChangeStatus(key, STATUS_AWAY); }, C2S_Request_PR_changestatus,
       [=](const C2S_Request_t& r) { EXPECT_EQ(3, r.choice.changestatus.status); }},
      {"changestatus out of range", [=, &c] { return c.ChangeStatus(key, static_cast<t_status>(9)); }, C2S_Request_PR_changestatus,
       [=](const C2S_Request_t& r) { EXPECT_EQ(0, r.choice.changestatus.status); }},
      {"newavatar", [=, &c] { return c.ChangeAvatar(key, IMAGE_PNG, 3, img, IMAGE_GIF, 1, small); },
       C2S_Request_PR_newavatar,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ(TypeImage_png, r.choice.newavatar.avatar.type);
         EXPECT_EQ(std::string("\1\2\3"), T(r.choice.newavatar.avatar.content));
         EXPECT_EQ(TypeImage_gif, r.choice.newavatar.smallavatar.type);
         EXPECT_EQ(std::string("\x09"), T(r.choice.newavatar.smallavatar.content));
       }},
      {"askavatar", [=, &c] { return c.AskForAvatar(key, "bob"); }, C2S_Request_PR_askavatar,
       [=](const C2S_Request_t& r) { EXPECT_EQ("bob", T(r.choice.askavatar.login)); }},
      {"updateprofile", [=, &c] { return c.UpdateProfile(key, "Al", "", 12, 0, 1990); }, C2S_Request_PR_updateprofile,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ("Al", T(r.choice.updateprofile.nickname));
         EXPECT_EQ("", T(r.choice.updateprofile.mood));
         ASSERT_TRUE(r.choice.updateprofile.birthDate);
         EXPECT_EQ(12, r.choice.updateprofile.birthDate->day);
         EXPECT_EQ(0, r.choice.updateprofile.birthDate->month);
         EXPECT_EQ(1990, r.choice.updateprofile.birthDate->year);
       }},
      {"updateprofile without day", [=, &c] { return c.UpdateProfile(key, "Al", "ok", 0, 5, 1990); },
       C2S_Request_PR_updateprofile,
       [=](const C2S_Request_t& r) { EXPECT_EQ(nullptr, r.choice.updateprofile.birthDate); }},
      {"checkcontact login", [=, &c] { return c.CheckContact(key, "bob"); }, C2S_Request_PR_checkcontact,
       [=](const C2S_Request_t& r) {
         ASSERT_EQ(LoginOrEmail_PR_login, r.choice.checkcontact.loginOrEmail.present);
         EXPECT_EQ("bob", T(r.choice.checkcontact.loginOrEmail.choice.login));
       }},
      {"checkcontact email", [=, &c] { return c.CheckContact(key, "bob@x.org"); }, C2S_Request_PR_checkcontact,
       [=](const C2S_Request_t& r) {
         ASSERT_EQ(LoginOrEmail_PR_email, r.choice.checkcontact.loginOrEmail.present);
         EXPECT_EQ("bob@x.org", T(r.choice.checkcontact.loginOrEmail.choice.email));
       }},
      {"addcontact", [=, &c] { return c.AddContact(key, "bob", "hi"); }, C2S_Request_PR_addcontact,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ("bob", T(r.choice.addcontact.login));
         EXPECT_EQ("hi", T(r.choice.addcontact.message));
       }},
      {"addcontactanswer", [=, &c] { return c.AddContactAnswer(key, "bob", true, "ok"); }, C2S_Request_PR_addcontactanswer,
       [=](const C2S_Request_t& r) {
         EXPECT_NE(0, r.choice.addcontactanswer.answer);
         EXPECT_EQ("ok", T(r.choice.addcontactanswer.message));
       }},
      {"delcontact", [=, &c] { return c.RemoveContact(key, "bob", "bye"); }, C2S_Request_PR_delcontact,
       [=](const C2S_Request_t& r) { EXPECT_EQ("bye", T(r.choice.delcontact.message)); }},
      {"invitechatroom", [=, &c] { return c.InviteContactInChatRoom(key, &site, {"bob", "carl"}); },
       C2S_Request_PR_invitechatroom,
       [=](const C2S_Request_t& r) {
         ASSERT_TRUE(r.choice.invitechatroom.site);
         EXPECT_EQ(site, T(*r.choice.invitechatroom.site));
         ASSERT_EQ(2, r.choice.invitechatroom.logins.list.count);
         EXPECT_EQ("bob", T(*r.choice.invitechatroom.logins.list.array[0]));
         EXPECT_EQ("carl", T(*r.choice.invitechatroom.logins.list.array[1]));
       }},
      {"invitechatroom without site", [=, &c] { return c.InviteContactInChatRoom(key, nullptr, {}); },
       C2S_Request_PR_invitechatroom,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ(nullptr, r.choice.invitechatroom.site);
         EXPECT_EQ(0, r.choice.invitechatroom.logins.list.count);
       }},
      {"invitechatroomanswer", [=, &c] { return c.InviteContactInChatRoomAck(key, site, "bob", "no", false); },
       C2S_Request_PR_invitechatroomanswer,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ("bob", T(r.choice.invitechatroomanswer.login));
         EXPECT_EQ(0, r.choice.invitechatroomanswer.status);
       }},
      {"abuse", [=, &c] { return c.ReportAbuse(key, site, "bob", "spam"); }, C2S_Request_PR_abuse,
       [=](const C2S_Request_t& r) { EXPECT_EQ("spam", T(r.choice.abuse.message)); }},
      {"askforfileack yes", [=, &c] { return c.AskForFileAck(key, "bob", "42", "f", true, 99); }, C2S_Request_PR_askforfileack,
       [=](const C2S_Request_t& r) {
         EXPECT_NE(0, r.choice.askforfileack.status);
         ASSERT_TRUE(r.choice.askforfileack.size);
         EXPECT_EQ(99, *r.choice.askforfileack.size);
       }},
      {"askforfileack no", [=, &c] { return c.AskForFileAck(key, "bob", "42", "f", false, 99); }, C2S_Request_PR_askforfileack,
       [=](const C2S_Request_t& r) { EXPECT_EQ(nullptr, r.choice.askforfileack.size); }},
      {"filepart", [=, &c] { return c.FilePart(key, "bob", "42", part); }, C2S_Request_PR_filepart,
       [=](const C2S_Request_t& r) {
         ASSERT_TRUE(r.choice.filepart.filedata);
         EXPECT_EQ("data", T(*r.choice.filepart.filedata));
       }},
      {"filepart end", [=, &c] { return c.FilePart(key, "bob", "42", nullptr); }, C2S_Request_PR_filepart,
       [=](const C2S_Request_t& r) { EXPECT_EQ(nullptr, r.choice.filepart.filedata); }},
      {"cancelfile", [=, &c] { return c.CancelFile(key, site, "42"); }, C2S_Request_PR_cancelfile,
       [=](const C2S_Request_t& r) { EXPECT_EQ("42", T(r.choice.cancelfile.filekey)); }},
      {"blockcontact", [=, &c] { return c.BlockContact(key, "bob", "m"); }, C2S_Request_PR_blockcontact,
       [=](const C2S_Request_t& r) { EXPECT_EQ("bob", T(r.choice.blockcontact.login)); }},
      {"unblockcontact", [=, &c] { return c.UnblockContact(key, "bob", "m"); }, C2S_Request_PR_unblockcontact,
       [=](const C2S_Request_t& r) { EXPECT_EQ("bob", T(r.choice.unblockcontact.login)); }},
      {"contactgroup", [=, &c] { return c.UpdateGroup(key, "bob", "Friends"); }, C2S_Request_PR_contactgroup,
       [=](const C2S_Request_t& r) { EXPECT_EQ("Friends", T(r.choice.contactgroup.group)); }},
      {"clientinfo", [=, &c] { return c.SendClientInfo(key, "e", "o", "h", "s", "x"); }, C2S_Request_PR_clientinfo,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ("e", T(r.choice.clientinfo.environment));
         EXPECT_EQ("o", T(r.choice.clientinfo.os_info));
         EXPECT_EQ("h", T(r.choice.clientinfo.hardware_info));
         EXPECT_EQ("s", T(r.choice.clientinfo.screen_info));
         EXPECT_EQ("x", T(r.choice.clientinfo.extensions_info));
       }},
      {"heartbeatack", [=, &c] { return c.HeartBeatAck(key); }, C2S_Request_PR_heartbeatack,
       [=](const C2S_Request_t& r) { EXPECT_EQ(key, T(r.choice.heartbeatack.authkey)); }},
      {"askmessengerprotocols", [=, &c] { return c.AskMessengerProtocols(key, "alice"); }, C2S_Request_PR_askmessengerprotocols,
       [=](const C2S_Request_t& r) { EXPECT_EQ("alice", T(r.choice.askmessengerprotocols.login)); }},
      {"connectmessenger",
       [=, &c] { return c.ConnectMessenger(key, "icq", "a1", "pw", {{"server", "s.example"}, {"port", "5190"}}, "Al", STATUS_NONE); },
       C2S_Request_PR_connectmessenger,
       [=](const C2S_Request_t& r) {
         const C2S_ConnectMessenger_t& m = r.choice.connectmessenger;
         EXPECT_EQ("icq", T(m.protocol));
         EXPECT_EQ("pw", T(m.password));
         EXPECT_EQ("Al", T(m.nickname));
         EXPECT_EQ(1, m.status);  // the unset presence goes out as online
         ASSERT_EQ(2, m.parameters.list.count);
         EXPECT_EQ("port", T(m.parameters.list.array[0]->key));
         EXPECT_EQ("5190", T(m.parameters.list.array[0]->value));
         EXPECT_EQ("server", T(m.parameters.list.array[1]->key));
       }},
      {"disconnectmessenger", [=, &c] { return c.DisconnectMessenger(key, "icq", "a1"); }, C2S_Request_PR_disconnectmessenger,
       [=](const C2S_Request_t& r) { EXPECT_EQ("a1", T(r.choice.disconnectmessenger.login)); }},
      {"addsmiley", [=, &c] { return c.AddSmiley(key, site, ":x", IMAGE_JPG, 3, img); }, C2S_Request_PR_addsmiley,
       [=](const C2S_Request_t& r) {
         EXPECT_EQ(":x", T(r.choice.addsmiley.codesmiley));
         EXPECT_EQ(TypeImage_jpg, r.choice.addsmiley.smiley.type);
         EXPECT_EQ(std::string("\1\2\3"), T(r.choice.addsmiley.smiley.content));
       }},
      {"delsmiley", [=, &c] { return c.DelSmiley(key, site, ":x"); }, C2S_Request_PR_delsmiley,
       [=](const C2S_Request_t& r) { EXPECT_EQ(":x", T(r.choice.delsmiley.codesmiley)); }},
      {"error-messages", [=, &c] { return c.SendErrorMessages(key, "oops"); }, C2S_Request_PR_error_messages,
       [=](const C2S_Request_t& r) { EXPECT_EQ("oops", T(r.choice.error_messages.message)); }},
      {"filepartack", [=, &c] { return c.FilePartAck(key, "bob", "42"); }, C2S_Request_PR_filepartack,
       [=](const C2S_Request_t& r) { EXPECT_EQ("42", T(r.choice.filepartack.filekey)); }},
  };
}

}  // namespace clienttest

#endif
