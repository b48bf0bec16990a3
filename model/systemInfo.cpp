#include "model/systemInfo.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "model/log.h"
#include "model/stringConversion.h"
#include "model/systemInfoPlatform.h"

namespace {

std::atomic<SystemValueReader> g_reader{nullptr};

int ReadValue(const char* name, void* buffer, size_t* size) {
  SystemValueReader reader = g_reader.load();
  return (reader ? reader : ReadSystemValue)(name, buffer, size);
}

// A text value that fits a buffer of `capacity` bytes with its NUL; false when it is unreadable
// or longer.
bool ReadText(const char* name, size_t capacity, std::string* text) {
  std::vector<char> buffer(capacity, '\0');
  size_t size = capacity;
  if (ReadValue(name, buffer.data(), &size) != 0 || size == 0 || size > capacity) return false;
  buffer[size - 1] = '\0';
  *text = buffer.data();
  return true;
}

template <typename T>
T ReadNumber(const char* name) {
  T value = 0;
  size_t size = sizeof value;
  if (ReadValue(name, &value, &size) != 0 || size != sizeof value) return 0;
  return value;
}

const std::chrono::milliseconds kScreenTimeout(2000);

}  // namespace

void SetSystemValueReader(SystemValueReader reader) {
  TRACE_STARTEND();
  g_reader.store(reader);
}

std::string GetArchi() {
  TRACE_STARTEND();
  return "linux";
}

std::string GetOSVersion() {
  TRACE_START();
  std::string type;
  std::string release;
  std::string result;
  if (!ReadText("kern.ostype", 100, &type)) {
    result = "";
  } else if (!ReadText("kern.osrelease", 100, &release)) {
    result = type + "|??";
  } else {
    result = type + "|" + release;
  }
  TRACE_END_RESULT("%s", result.c_str());
  return result;
}

std::string GetHardInfo() {
  TRACE_START();
  std::string model;
  if (!ReadText("hw.model", 1000, &model)) model = "??";
  int clockRate = ReadNumber<int>("hw.clockrate");
  uint64_t memory = ReadNumber<uint64_t>("hw.physmem");
  std::string result = model + "|" + IntToString(clockRate) + "|" +
                       ULongToString(static_cast<unsigned long>(memory));
  TRACE_END_RESULT("%s", result.c_str());
  return result;
}

std::string GetScreenInfo() {
  TRACE_START();
  std::string output;
  std::string result = "??|??|??";
  if (RunCommand({"xrandr"}, kScreenTimeout, &output)) {
    int width = 0;
    int height = 0;
    if (sscanf(output.c_str(), "Screen %*d: minimum %*d x %*d, current %d x %d, maximum %*d x %*d", &width,
               &height) == 2) {
      result = IntToString(width) + "|" + IntToString(height) + "|??";
    }
  }
  TRACE_END_RESULT("%s", result.c_str());
  return result;
}
