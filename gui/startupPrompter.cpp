#include "gui/startupPrompter.h"

#include <cstdio>

#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "model/stringConversion.h"

namespace {

// Only Yes agrees: the box closed from its title bar (which the toolkit reports as Cancel) has
// answered nothing, and nothing is done that the user did not ask for.
bool AskYesNo(const wxString& caption, const wxString& message) {
  wxMessageDialog dialog(nullptr, message, caption, wxYES_NO | wxYES_DEFAULT | wxICON_ERROR);
  return dialog.ShowModal() == wxID_YES;
}

}  // namespace

void DialogStartupPrompter::ShowError(const std::string& text) {
  fprintf(stderr, "%s\n", text.c_str());
  wxMessageDialog dialog(nullptr, std2wx(text), _("Parlavox cannot start"), wxOK | wxICON_ERROR);
  dialog.ShowModal();
}

bool DialogStartupPrompter::AskSetAside(const std::string& userDir) {
  return AskYesNo(_("Configuration file too old"),
                  _("Your configuration file (") + std2wx(userDir) +
                      _("parlavox.xml) is too old or corrupted.\nDo you want to delete it? A backup will be made "
                        "before."));
}

bool DialogStartupPrompter::AskRetryBackup(const std::string& reason) {
  return AskYesNo(_("Backup error"),
                  _("Impossible to make a backup : ") + std2wx(reason) + ".\n" + _("Try again ?"));
}
