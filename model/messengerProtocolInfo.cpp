#include "model/messengerProtocolInfo.h"

#include "model/log.h"

MessengerProtocolInfo::MessengerProtocolInfo() { TRACE_STARTEND(); }

MessengerProtocolInfo::MessengerProtocolInfo(const std::string& protocol_, const std::string& description_,
                                             const std::map<std::string, std::string>& parameters_)
    : protocol(protocol_), description(description_), parameters(parameters_) {
  TRACE_START_ARGS("%s", protocol_.c_str());
  TRACE_END();
}

std::string MessengerProtocolInfo::GetProtocol() const { return protocol; }
std::string MessengerProtocolInfo::GetDescription() const { return description; }
std::map<std::string, std::string> MessengerProtocolInfo::GetParameters() const { return parameters; }
