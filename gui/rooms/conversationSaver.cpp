#include "gui/rooms/conversationSaver.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <wx/filedlg.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>

#include <cerrno>
#include <cstring>

#include "model/log.h"
#include "model/stringConversion.h"

namespace conversation {
namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return text;
}

bool WriteAll(int fd, const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0;
}

}  // namespace

Target ChooseTarget(const std::string& chosenPath) {
  const size_t slash = chosenPath.rfind('/');
  const std::string name = slash == std::string::npos ? chosenPath : chosenPath.substr(slash + 1);
  const size_t dot = name.rfind('.');
  // A leading dot starts a hidden file's name, not an extension.
  if (dot == std::string::npos || dot == 0) return {chosenPath + ".html", Format::kHtml};
  const std::string extension = Lower(name.substr(dot + 1));
  return {chosenPath, extension == "txt" ? Format::kText : Format::kHtml};
}

bool WriteReplacing(const std::string& path, const std::string& bytes, std::string* error) {
  std::string temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(&temporary[0]);
  if (fd < 0) {
    *error = strerror(errno);
    return false;
  }
  // Readable as any file the user makes (mkstemp's own mode is owner-only).
  const mode_t mask = ::umask(0);
  ::umask(mask);
  bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, bytes) && ::fsync(fd) == 0;
  int saved = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    saved = errno;
  }
  if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
    ok = false;
    saved = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    *error = strerror(saved);
  }
  return ok;
}

bool SaveTo(wxWindow* parent, const Conversation& conversation, const std::string& chosenPath) {
  const Target target = ChooseTarget(chosenPath);
  TRACE_START_ARGS("%s, %d", target.path.c_str(), target.format == Format::kText ? 1 : 0);
  if (Exists(target.path)) {
    wxMessageDialog ask(parent, wxString::Format(_("%s already exists. Replace it?"), std2wx(target.path)),
                        _("Save conversation as..."), wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION);
    if (ask.ShowModal() != wxID_YES) {
      TRACE_END_RESULT("kept");
      return false;
    }
  }
  const std::string bytes = target.format == Format::kText ? ToText(conversation) : ToHtml(conversation);
  std::string error;
  if (!WriteReplacing(target.path, bytes, &error)) {
    TRACE_ERROR("not saved: %s", error.c_str());
    wxMessageDialog told(parent,
                         wxString::Format(_("The conversation could not be saved in %s: %s"), std2wx(target.path),
                                          std2wx(error)),
                         _("Save conversation as..."), wxOK | wxICON_ERROR);
    told.ShowModal();
    TRACE_END_RESULT("failed");
    return false;
  }
  TRACE_END();
  return true;
}

void SaveChatSession(wxWindow* parent, const Conversation& conversation) {
  TRACE_START();
  wxFileDialog dialog(parent, _("Save conversation as..."), wxEmptyString, wxEmptyString,
                      "HTML (*.htm;*.html)|*.htm;*.html|Text (*.txt)|*.txt", wxFD_SAVE);
  if (dialog.ShowModal() != wxID_OK) {
    TRACE_END_RESULT("cancelled");
    return;
  }
  SaveTo(parent, conversation, wx2std(dialog.GetPath()));
  TRACE_END();
}

}  // namespace conversation
