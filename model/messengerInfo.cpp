#include "model/messengerInfo.h"

#include "model/cryptPassword.h"
#include "model/log.h"

MessengerInfo::MessengerInfo() : autoconnect(true), status(MESSENGER_DISCONNECTED) { TRACE_STARTEND(); }

MessengerInfo::MessengerInfo(const std::string& protocol_, const std::string& description_,
                             const std::string& login_, const std::string& password_, bool autoconnect_,
                             const std::map<std::string, std::string>& parameters_)
    : protocol(protocol_),
      description(description_),
      login(login_),
      password(password_),
      parameters(parameters_),
      autoconnect(autoconnect_),
      status(MESSENGER_DISCONNECTED) {
  TRACE_START_ARGS("%s, %s", protocol_.c_str(), login_.c_str());
  TRACE_END();
}

MessengerInfo::~MessengerInfo() = default;

std::string MessengerInfo::GetProtocol() const { return protocol; }
std::string MessengerInfo::GetDescription() const { return description; }
std::string MessengerInfo::GetLogin() const { return login; }
void MessengerInfo::SetProtocol(const std::string& v) { TRACE_STARTEND(); protocol = v; }
void MessengerInfo::SetDescription(const std::string& v) { TRACE_STARTEND(); description = v; }
void MessengerInfo::SetLogin(const std::string& v) { TRACE_STARTEND(); login = v; }
void MessengerInfo::SetPassword(const std::string& clear) { TRACE_STARTEND(); password = CryptPassword(clear); }
std::string MessengerInfo::GetPassword() const { return CryptPassword(password); }
std::map<std::string, std::string> MessengerInfo::GetParameters() const { return parameters; }
void MessengerInfo::SetParameters(const std::map<std::string, std::string>& v) { parameters = v; }
bool MessengerInfo::GetAutoConnect() const { return autoconnect; }
void MessengerInfo::SetAutoConnect(bool v) { TRACE_STARTEND(); autoconnect = v; }
int MessengerInfo::GetStatus() const { return status; }
void MessengerInfo::SetStatus(int v) { TRACE_STARTEND(); status = v; }
