#include "model/notificationMap.h"

#include "model/log.h"

t_notification_status ReadNotification(const std::map<std::string, bool>& map, const std::string& owner,
                                       const std::string& key) {
  TRACE_START_ARGS("%s", key.c_str());
  auto it = map.find(key);
  if (it == map.end()) {
    TRACE_ERROR("Key not found for %s : %s", owner.c_str(), key.c_str());
    return NOTIFICATION_NOT_SET;
  }
  TRACE_END();
  return it->second ? NOTIFICATION_ON : NOTIFICATION_OFF;
}

void WriteNotification(std::map<std::string, bool>& map, const std::string& key, t_notification_status value) {
  TRACE_START_ARGS("%s, %d", key.c_str(), static_cast<int>(value));
  switch (value) {
    case NOTIFICATION_OFF: map[key] = false; break;
    case NOTIFICATION_ON: map[key] = true; break;
    case NOTIFICATION_NOT_SET: map.erase(key); break;
    default: break;
  }
  TRACE_END();
}
