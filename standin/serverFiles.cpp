// File offers relayed with the offerer's address (the two clients then transfer directly),
// files relayed through the server in parts, and the external-messenger requests, which
// this server answers without connecting anything.
#include "standin/server.h"
#include "standin/serverLog.h"

namespace standin {

void Server::OfferFile(Session& s, const C2S_SendFile_t& r) {
  std::string name = Text(r.site);
  Room* room = RoomOf(s, name);
  if (!room) return;
  Outgoing out(S2C_Request_PR_file);
  S2C_File_t& f = out->choice.file;
  Put(f.login, s.login);
  Put(f.site, name);
  Put(f.filename, Text(r.filename));
  Put(f.filekey, Text(r.filekey));
  f.filesize = r.filesize;
  Put(f.ip, s.peerAddress.empty() ? "127.0.0.1" : s.peerAddress);
  f.port = r.port;
  ToRecipients(name, *room, s, out);
}

void Server::CancelFile(Session& s, const C2S_CancelFile_t& r) {
  std::string name = Text(r.site);
  Room* room = RoomOf(s, name);
  if (!room) return;
  Outgoing out(S2C_Request_PR_cancelfile);
  Put(out->choice.cancelfile.login, s.login);
  Put(out->choice.cancelfile.site, name);
  Put(out->choice.cancelfile.filekey, Text(r.filekey));
  ToRecipients(name, *room, s, out);
}

// Each step of a transfer through the server goes to the user it names, naming the sender.
void Server::RelayTransfer(Session& s, const C2S_Request_t& r) {
  std::string to;
  Outgoing out(S2C_Request_PR_NOTHING);
  switch (r.present) {
    case C2S_Request_PR_askforfile:
      to = Text(r.choice.askforfile.login);
      out = Outgoing(S2C_Request_PR_askforfile);
      Put(out->choice.askforfile.filekey, Text(r.choice.askforfile.filekey));
      Put(out->choice.askforfile.login, s.login);
      break;
    case C2S_Request_PR_askforfileack: {
      const C2S_AskForFileAck_t& ack = r.choice.askforfileack;
      to = Text(ack.login);
      out = Outgoing(S2C_Request_PR_askforfileack);
      Put(out->choice.askforfileack.filekey, Text(ack.filekey));
      out->choice.askforfileack.status = ack.status;
      if (ack.size) out->choice.askforfileack.size = asn1::NewValue<long>(*ack.size);
      Put(out->choice.askforfileack.login, s.login);
      break;
    }
    case C2S_Request_PR_filepart: {
      const C2S_FilePart_t& part = r.choice.filepart;
      to = Text(part.login);
      out = Outgoing(S2C_Request_PR_filepart);
      Put(out->choice.filepart.filekey, Text(part.filekey));
      if (part.filedata) PutOptional(out->choice.filepart.filedata, Text(*part.filedata));
      Put(out->choice.filepart.login, s.login);
      break;
    }
    default:
      to = Text(r.choice.filepartack.login);
      out = Outgoing(S2C_Request_PR_filepartack);
      Put(out->choice.filepartack.filekey, Text(r.choice.filepartack.filekey));
      Put(out->choice.filepartack.login, s.login);
      break;
  }
  Session* them = Online(to);
  if (them && !m_directory.Blocks(to, s.login)) Deliver(*them, out);
}

// No other network is reached from here: the protocols offered are those of the settings, and an
// account asked for is reported connected unless its password is the refused one.
void Server::AnswerMessengers(Session& s, const C2S_Request_t& r) {
  if (r.present == C2S_Request_PR_askmessengerprotocols) {
    Outgoing out(S2C_Request_PR_availablemessengerprotocols);
    MessengerProtocols_t& list = out->choice.availablemessengerprotocols.protocols;
    for (const OfferedProtocol& offered : m_settings.messengers) {
      MessengerProtocol_t* protocol = asn1::Allocate<MessengerProtocol_t>();
      Put(protocol->protocol, offered.id);
      Put(protocol->description, offered.description);
      for (const auto& entry : offered.parameters) {
        MessengerProtocolParameter_t* parameter = asn1::Allocate<MessengerProtocolParameter_t>();
        Put(parameter->key, entry.first);
        Put(parameter->value, entry.second);
        ASN_SEQUENCE_ADD(&protocol->parameters.list, parameter);
      }
      if (!offered.icon.empty()) PutOptional(protocol->icon, offered.icon);
      ASN_SEQUENCE_ADD(&list.list, protocol);
    }
    Deliver(s, out);
    return;
  }
  bool connect = r.present == C2S_Request_PR_connectmessenger;
  Outgoing out(S2C_Request_PR_messengerconnectionstatus);
  S2C_MessengerConnectionStatus_t& status = out->choice.messengerconnectionstatus;
  status.status = connect && Text(r.choice.connectmessenger.password) != RefusedMessengerPassword()
                      ? MessengerConnectionStatus_connected
                      : MessengerConnectionStatus_disconnected;
  Put(status.protocol, Text(connect ? r.choice.connectmessenger.protocol : r.choice.disconnectmessenger.protocol));
  Put(status.login, Text(connect ? r.choice.connectmessenger.login : r.choice.disconnectmessenger.login));
  Deliver(s, out);
}

}  // namespace standin
