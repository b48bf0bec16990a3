// One account of the user on another messaging network. The password is held enciphered.
#ifndef PARLAVOX_MODEL_MESSENGERINFO_H
#define PARLAVOX_MODEL_MESSENGERINFO_H

#include <wx/object.h>

#include <map>
#include <string>

// Connection state of an account (memory only).
enum {
  MESSENGER_DISCONNECTED = 0,
  MESSENGER_FAILED = 1,
  MESSENGER_DISCONNECTING = 2,
  MESSENGER_CONNECTING = 3,
  MESSENGER_CONNECTED = 4
};

class Config;

class MessengerInfo : public wxObject {
 public:
  MessengerInfo();
  // `password` is stored as given: it must already be in its enciphered form.
  MessengerInfo(const std::string& protocol, const std::string& description, const std::string& login,
                const std::string& password, bool autoconnect, const std::map<std::string, std::string>& parameters);
  ~MessengerInfo() override;

  std::string GetProtocol() const;
  std::string GetDescription() const;
  std::string GetLogin() const;
  void SetProtocol(const std::string& protocol);
  void SetDescription(const std::string& description);
  void SetLogin(const std::string& login);
  // Takes and returns the password in clear.
  void SetPassword(const std::string& clear);
  std::string GetPassword() const;
  std::map<std::string, std::string> GetParameters() const;
  void SetParameters(const std::map<std::string, std::string>& parameters);
  bool GetAutoConnect() const;
  void SetAutoConnect(bool autoconnect);
  int GetStatus() const;
  void SetStatus(int status);

  // Settings file reading and writing (defined with the settings file code).
  template <class Archive>
  void serialize(Archive& ar, unsigned int version);

 private:
  friend class Config;
  std::string protocol;
  std::string description;
  std::string login;
  std::string password;
  std::map<std::string, std::string> parameters;
  bool autoconnect;
  int status;
};

#endif
