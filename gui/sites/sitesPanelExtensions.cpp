// The sites panel: one button per browser extension in the header, the newest leftmost, showing
// whether the extension is active; a click asks for the opposite, and the button waits, greyed,
// until the extension's next report.
#include <wx/image.h>
#include <wx/intl.h>
#include <wx/sizer.h>

#include "core/application.h"
#include "gui/pictures.h"
#include "gui/sites/extensionButtonBitmap.h"
#include "gui/sites/sitesPanel.h"
#include "gui/sites/siteText.h"
#include "model/config.h"
#include "model/log.h"

namespace {

// Extension names come from any local program; only plain names name a picture file.
bool IsPlainName(const std::string& name) {
  if (name.empty() || name.size() > 64 || name[0] == '.') return false;
  for (unsigned char c : name)
    if (!isalnum(c) && c != '.' && c != '_' && c != '-') return false;
  return true;
}

wxBitmap ExtensionPicture(const std::string& name, const char* suffix) {
  if (IsPlainName(name)) {
    const std::string file = name + suffix;
    if (wxFileExists(wxString::FromUTF8(Config::GetImagePath(file).c_str()))) return pictures::Load(file, 16);
  }
  return pictures::Load(std::string("extension") + suffix, 16);
}

wxBitmap Greyed(const wxBitmap& bitmap) {
  if (!bitmap.IsOk()) return bitmap;
  return wxBitmap(bitmap.ConvertToImage().ConvertToGreyscale(0.299, 0.587, 0.114));
}

}  // namespace

ExtensionButtonBitmap* SitesPanel::GetExtensionButton(const std::string& name) const {
  auto found = m_extensionButtons.find(name);
  return found == m_extensionButtons.end() ? nullptr : found->second;
}

bool SitesPanel::IsExtensionReady(const std::string& name) const {
  auto found = m_extensionReady.find(name);
  return found != m_extensionReady.end() && found->second;
}

ExtensionButtonBitmap* SitesPanel::CreateExtensionButton(const std::string& name) {
  const int id = wxWindow::NewControlId();
  auto* button = new ExtensionButtonBitmap(m_headerPanel, id);
  // The picture has no window of its own on every toolkit: its button takes the click too.
  button->GetStaticBitmap()->Bind(wxEVT_LEFT_DOWN, &SitesPanel::OnSwitchExtensionStatus, this);
  button->Bind(wxEVT_LEFT_DOWN, &SitesPanel::OnSwitchExtensionStatus, this);
  m_extensionNames[id] = name;
  button->SetToolTip(siteText::Shown(name, 64));
  m_headerSizer->Insert(0, button, 0, wxLEFT, 2);
  m_extensionButtons[name] = button;
  m_enabledBitmaps[name] = ExtensionPicture(name, ".png");
  m_disabledBitmaps[name] = ExtensionPicture(name, "_dis.png");
  return button;
}

void SitesPanel::UpdateExtensionStatus(const std::string& name, t_extension_status status) {
  TRACE_START_ARGS("%s, %ld", name.c_str(), long(status));
  ExtensionButtonBitmap* button = GetExtensionButton(name);
  if (!button) {
    if (m_extensionButtons.size() >= kMaxExtensionButtons) {
      TRACE_ERROR("too many extensions, %s not shown", name.c_str());
      return;
    }
    button = CreateExtensionButton(name);
  }
  m_extensionReady[name] = true;
  const wxString shownName = siteText::Shown(name, 64);
  switch (long(status)) {
    case EXTENSION_DISABLE:
      button->SetBitmap(m_disabledBitmaps[name]);
      button->SetToolTip(shownName + " " + _("(inactive)"));
      button->Show(true);
      break;
    case EXTENSION_ENABLE:
      button->SetBitmap(m_enabledBitmaps[name]);
      button->SetToolTip(shownName + " " + _("(active)"));
      button->Show(true);
      break;
    case EXTENSION_NONE:
      button->Show(false);
      break;
    default:
      break;
  }
  m_headerPanel->Layout();
  Layout();
  TRACE_END();
}

void SitesPanel::OnSwitchExtensionStatus(wxMouseEvent& event) {
  auto* clicked = dynamic_cast<wxWindow*>(event.GetEventObject());

  if (auto* button = dynamic_cast<ExtensionButtonBitmap*>(clicked)) clicked = button->GetStaticBitmap();
  auto named = clicked ? m_extensionNames.find(clicked->GetId()) : m_extensionNames.end();
  if (named == m_extensionNames.end()) return;
  const std::string name = named->second;
  if (!IsExtensionReady(name)) return;
  ExtensionButtonBitmap* button = GetExtensionButton(name);
  t_extension_status wanted = EXTENSION_NONE;
  switch (long(m_manager->GetExtensionStatus(name))) {
    case EXTENSION_DISABLE:
      wanted = EXTENSION_ENABLE;
      button->SetBitmap(Greyed(m_enabledBitmaps[name]));
      button->SetToolTip(_("Please wait ..."));
      break;
    case EXTENSION_ENABLE:
      wanted = EXTENSION_DISABLE;
      button->SetBitmap(Greyed(m_disabledBitmaps[name]));
      button->SetToolTip(_("Please wait ..."));
      break;
    default:
      break;
  }
  m_manager->SetExtensionStatus(name, wanted);
  m_extensionReady[name] = false;
}
