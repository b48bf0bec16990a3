// One protocol (network) that the server offers for accounts on other messaging networks.
#ifndef PARLAVOX_MODEL_MESSENGERPROTOCOLINFO_H
#define PARLAVOX_MODEL_MESSENGERPROTOCOLINFO_H

#include <map>
#include <string>

class Config;

class MessengerProtocolInfo {
 public:
  MessengerProtocolInfo();
  MessengerProtocolInfo(const std::string& protocol, const std::string& description,
                        const std::map<std::string, std::string>& parameters);

  std::string GetProtocol() const;
  std::string GetDescription() const;
  std::map<std::string, std::string> GetParameters() const;

  // Settings file reading and writing (defined with the settings file code).
  template <class Archive>
  void serialize(Archive& ar, unsigned int version);

 private:
  friend class Config;
  std::string protocol;
  std::string description;
  std::map<std::string, std::string> parameters;
};

#endif
