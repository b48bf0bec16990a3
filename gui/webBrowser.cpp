#include "gui/webBrowser.h"

#include <wx/utils.h>

#include <cctype>

#include "model/log.h"
#include "model/stringConversion.h"
#include "model/version.h"

namespace browser {
namespace {

std::function<void(const std::string&)>& Recorder() {
  static auto* recorder = new std::function<void(const std::string&)>();
  return *recorder;
}

}  // namespace

void Open(const std::string& url) {
  if (Recorder()) {
    Recorder()(url);
    return;
  }
  if (!wxLaunchDefaultBrowser(std2wx(url))) TRACE_ERROR("no browser opened %s", url.c_str());
}

bool IsWebAddress(const std::string& address) {
  const std::string lower = AsciiLower(address);
  if (lower.compare(0, 7, "http://") != 0 && lower.compare(0, 8, "https://") != 0) return false;
  for (unsigned char c : address)
    if (c <= ' ' || c == 0x7f) return false;
  return true;
}

std::string EscapeQueryValue(const std::string& value) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : value) {
    if (isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~' || c == '@') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

void OpenUserGuide(const std::string& anchor) {
  Open(std::string(PARLAVOX_WEBSITE) + "common/help/" + kProgramVersion + "/userguide.php#" + anchor);
}

void SetRecorder(std::function<void(const std::string&)> recorder) { Recorder() = std::move(recorder); }

}  // namespace browser
