// Notification settings as the records keep them: a map from key ("open-visual", "login-bell"...)
// to on (true) or off (false); a key that is absent is not set and defers to the next level.
#ifndef PARLAVOX_MODEL_NOTIFICATIONMAP_H
#define PARLAVOX_MODEL_NOTIFICATIONMAP_H

#include <map>
#include <string>

// One notification setting: not set (defers to the next level), off or on.
enum t_notification_status : int { NOTIFICATION_NOT_SET = 0, NOTIFICATION_OFF = 1, NOTIFICATION_ON = 2 };

// The state under `key`. A missing key is traced as an error naming `owner` (the record's login
// or URL) and reads as not set; nothing is inserted.
t_notification_status ReadNotification(const std::map<std::string, bool>& map, const std::string& owner,
                                       const std::string& key);
// Stores off or on under `key`, or removes the key for not set; any other value changes nothing.
void WriteNotification(std::map<std::string, bool>& map, const std::string& key, t_notification_status value);

#endif
