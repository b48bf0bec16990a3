#include "gui/windowIcon.h"

#include <wx/filename.h>
#include <wx/icon.h>
#include <wx/log.h>
#include <wx/toplevel.h>

#include "model/config.h"
#include "model/stringConversion.h"

void SetProgramIcon(wxTopLevelWindow* window) {
  const wxString path = std2wx(Config::GetPath() + "Parlavox.ico");
  if (!wxFileName::FileExists(path)) return;
  wxLogNull quiet;
  wxIcon icon(path, wxBITMAP_TYPE_ICO);
  if (icon.IsOk()) window->SetIcon(icon);
}
