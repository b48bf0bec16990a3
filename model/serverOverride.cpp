#include "model/serverOverride.h"

#include <cstdlib>

#include "model/log.h"
#include "model/stringConversion.h"

void ApplyServerOverride(std::string& host, int& port) {
  const char* env = getenv("PARLAVOX_SERVER");
  if (!env || !*env) return;
  std::string value(env);
  size_t colon = value.rfind(':');
  if (colon == std::string::npos) {
    host = value;
    return;
  }
  int p = StringToInt(value.substr(colon + 1));
  if (colon == 0 || p < 1 || p > 65535) {
    TRACE_ERROR("PARLAVOX_SERVER ignored : %s", env);
    return;
  }
  host = value.substr(0, colon);
  port = p;
}
