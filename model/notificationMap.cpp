#include "model/notificationMap.h"

#include "model/log.h"

t_notification_status ReadNotification(const std::map<std::string, bool>& map, const std::string& owner,
                                       const std::string& key) {
  auto it = map.find(key);
  // Not set is the usual answer (the next level of settings decides): untraced.
  (void)owner;
  if (it == map.end()) return NOTIFICATION_NOT_SET;
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
