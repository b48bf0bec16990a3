#include "gui/settingsPrompter.h"

#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "model/stringConversion.h"

namespace {

bool AskYesNo(const wxString& caption, const wxString& message) {
  wxMessageDialog dialog(nullptr, message, caption, wxYES_NO | wxYES_DEFAULT | wxICON_ERROR);
  return dialog.ShowModal() != wxID_NO;
}

}  // namespace

bool DialogSettingsPrompter::AskSetAside(const std::string& userDir) {
  return AskYesNo(_("Configuration file too old"),
                  _("Your configuration file (") + std2wx(userDir) +
                      _("parlavox.xml) is too old or corrupted.\nDo you want to delete it? A backup will be made "
                        "before."));
}

bool DialogSettingsPrompter::AskRetryBackup(const std::string& reason) {
  return AskYesNo(_("Backup error"),
                  _("Impossible to make a backup : ") + std2wx(reason) + ".\n" + _("Try again ?"));
}
