// A newer version of the program: its announcement, its download in the background (shown in
// the window's title while it runs) and what the user is told when it ends.
#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "core/application.h"
#include "gui/downloadThread.h"
#include "gui/mainFrame.h"
#include "gui/newVersion.h"
#include "model/config.h"
#include "model/log.h"
#include "model/stringConversion.h"
#include "model/version.h"
#include "widgets/userAttention.h"

namespace {

const long kBoxStyle = wxOK | wxSTAY_ON_TOP;

}  // namespace

void MainFrame::DownloadAndReinstall() {
  const std::string version = Config::GetInstance()->GetLastVersion();
  TRACE_START_ARGS("%s", version.c_str());
  const wxString page = std2wx(newversion::DownloadPageAddress());
  if (!newversion::IsAcceptable(version)) {
    // No archive can be named after that: the user can still fetch the installer by hand.
    attention::Ask(this);
    wxMessageDialog(this, _("Unable to download the last version. Get the installer directly on:") + "\n" + page,
                    _("Download error"), kBoxStyle | wxICON_ERROR)
        .ShowModal();
    TRACE_END_RESULT("no acceptable version");
    return;
  }
  if (DownloadThread::IsRunning()) {
    TRACE_END_RESULT("a download is running");
    return;
  }
  attention::Ask(this);
  wxMessageDialog(this,
                  _("Your current version is ") + kProgramVersion + "\n\n" + _("A new version (") + std2wx(version) +
                      _(") is available and will be downloaded in the background. You will be informed when the new "
                        "version is ready to be installed."),
                  _("Update required"), kBoxStyle | wxICON_INFORMATION)
      .ShowModal();

  const std::string name = newversion::ArchiveName(version);
  download::Request request;
  request.url = newversion::DownloadAddress(name);
  request.target = newversion::TargetDirectory() + name;
  if (wxFileExists(std2wx(request.target))) {
    wxMessageDialog replace(this,
                            wxString::Format(_("The file %s exists already. Replace it with the new download?"),
                                             std2wx(request.target)),
                            _("Update required"), wxYES_NO | wxICON_QUESTION);
    if (replace.ShowModal() != wxID_YES) {
      TRACE_END_RESULT("kept the file there");
      return;
    }
    request.replaceExisting = true;
  }
  TRACE_INFO("Launch thread to download %s", name.c_str());
  DownloadThread::Launch(request, m_manager);
  TRACE_END();
}

void MainFrame::ReceiveUploadInstaller(wxCommandEvent& event) {
  TRACE_START_ARGS("%d", event.GetInt());
  const int result = event.GetInt();
  if (result == download::kProgress) {
    if (m_plainTitle.empty()) m_plainTitle = GetTitle();
    const long percent = event.GetExtraLong();
    SetTitle(m_plainTitle + " - " +
             (percent >= 0 ? wxString::Format(_("downloading the new version: %ld%%"), percent)
                           : wxString(_("downloading the new version..."))));
    TRACE_END();
    return;
  }
  if (!m_plainTitle.empty()) {
    SetTitle(m_plainTitle);
    m_plainTitle.clear();
  }
  const wxString path = event.GetString();
  const wxString page = std2wx(newversion::DownloadPageAddress());
  // Both outcomes with a file name it; without one the event is no download's.
  if ((result == download::kCannotSave || result == download::kStored) && path.empty()) {
    TRACE_END_RESULT("no path");
    return;
  }
  switch (result) {
    case download::kCannotSave:
      attention::Ask(this);
      wxMessageDialog(this,
                      _("Unable to save the last version at") + " " + path + ". " +
                          _("Get the installer directly on") + " " + page,
                      _("Download error"), kBoxStyle | wxICON_ERROR)
          .ShowModal();
      break;
    case download::kTransferFailed:
      attention::Ask(this);
      wxMessageDialog(this, _("Unable to download the last version. Get the installer directly on:") + "\n" + page,
                      _("Download error"), kBoxStyle | wxICON_ERROR)
          .ShowModal();
      break;
    case download::kStored:
      wxMessageDialog(this,
                      _("The last version of Parlavox Instant Messenger has been downloaded and stored there:") +
                          " " + path + ". " + _("Please update as soon as possible."),
                      _("Ready to update"), kBoxStyle | wxICON_INFORMATION)
          .ShowModal();
      break;
    default:
      break;
  }
  TRACE_END();
}
