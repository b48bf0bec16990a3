// The user's own profile and the windows around the main window: the chat rooms, the file
// transfers, and the four small windows docked to its left edge at the heights of their
// tool-bar buttons (sites manager, contacts manager, preferences, about box). They follow the
// main window when it moves, and come to the front with it. Having no title bar, they cannot be
// dragged back: where the left edge leaves them no room on the screen they dock to the right edge,
// and where neither side has room they stay inside the screen over the main window.
#include <wx/filedlg.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

#include <functional>
#include <initializer_list>

#include "core/application.h"
#include "gui/aboutFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/profiles/avatarFile.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/dockPlacement.h"
#include "gui/rooms/filesFrame.h"
#include "gui/mainFrame.h"
#include "gui/nicknamePanel.h"
#include "gui/preferencesFrame.h"
#include "gui/toolBar.h"
#include "gui/sites/webSitesShortFrame.h"
#include "model/config.h"
#include "model/imImage.h"
#include "model/log.h"
#include "model/stringConversion.h"

namespace {

// Shows `window` when hidden, else brings it forward.
void ShowOrRaise(wxWindow* window) {
  if (!window->IsShown()) window->Show(true);
  else window->Raise();
  dock::KeepInside(window);
}

// Docks `window` at `top` beside `main` and shows it; docked again once shown, as the
// toolkit may only then give its final size.
void DockAndShow(wxWindow* window, const wxWindow* main, int top, const std::function<void()>& show) {
  dock::DockTo(window, main, top);
  show();
  dock::DockTo(window, main, top);
}

void HideAll(std::initializer_list<wxWindow*> windows) {
  for (wxWindow* window : windows)
    if (window) window->Show(false);
}

}  // namespace

void MainFrame::OnSwitchChatRooms() {
  TRACE_START();
  ShowOrRaise(m_chatRooms);
  m_toolBar->ShowChatRoomsButton(false);
  TRACE_END();
}

void MainFrame::OnSwitchFiles() {
  TRACE_START();
  ShowOrRaise(m_files);
  TRACE_END();
}

void MainFrame::ShowChatRoomsButton() { m_toolBar->ShowChatRoomsButton(true); }

void MainFrame::OnSwitchContactsManager() {
  TRACE_START();
  if (!m_contactsManager->IsShown()) {
    DockAndShow(m_contactsManager, this, m_toolBar->GetContactsManagerButtonY(), [this] { m_contactsManager->Show(true); });
    HideAll({m_preferences, m_sitesManager, m_about});
  }
  m_contactsManager->Raise();
  TRACE_END();
}

void MainFrame::OnSwitchWebSitesManager() {
  TRACE_START();
  if (m_sitesManager->IsShown()) {
    m_sitesManager->Raise();
  } else {
    DockAndShow(m_sitesManager, this, m_toolBar->GetWebSitesManagerButtonY(), [this] { m_sitesManager->Show(1); });
    HideAll({m_preferences, m_contactsManager, m_about});
  }
  TRACE_END();
}

void MainFrame::OnSwitchPreferences() {
  TRACE_START();
  if (m_preferences->IsShown()) {
    m_preferences->Raise();
  } else {
    DockAndShow(m_preferences, this, m_toolBar->GetPreferencesButtonY(), [this] { m_preferences->Show(true); });
    HideAll({m_sitesManager, m_contactsManager, m_about});
  }
  TRACE_END();
}

void MainFrame::OnManageWebSites(wxCommandEvent&) {
  TRACE_START();
  m_sitesManager->Show(m_sitesManager->IsShown() ? 0 : 1);
  dock::DockTo(m_sitesManager, this, GetScreenPosition().y);
  TRACE_END();
}

void MainFrame::OnMyProfile(wxCommandEvent&) {
  TRACE_START();
  ContactInfoFrame::OpenContactInfoFor(m_manager->GetLogin());
  TRACE_END();
}

void MainFrame::MoveMiniFrames() {
  if (!m_toolBar) return;
  dock::DockTo(m_sitesManager, this, m_toolBar->GetWebSitesManagerButtonY());
  dock::DockTo(m_contactsManager, this, m_toolBar->GetContactsManagerButtonY());
  dock::DockTo(m_preferences, this, m_toolBar->GetPreferencesButtonY());
  dock::DockTo(m_about, this, m_toolBar->GetAboutButtonY());
}

void MainFrame::OnMove(wxMoveEvent& event) {
  MoveMiniFrames();
  event.Skip();
}

void MainFrame::OnActivate(wxActivateEvent& event) {
  for (wxWindow* window : std::initializer_list<wxWindow*>{m_preferences, m_sitesManager, m_contactsManager, m_about})
    if (window && window->IsShown()) window->Raise();
  event.Skip();
}

void MainFrame::OnSize(wxSizeEvent&) {
  Layout();
  if (m_toolBar) m_toolBar->Refresh(true);
}

void MainFrame::SetNickname(const std::string& nickname) { m_nicknamePanel->SetNickname(std2wx(nickname)); }
void MainFrame::SetMood(const std::string& mood) { m_nicknamePanel->SetMood(std2wx(mood)); }

void MainFrame::UpdateAvatar() {
  TRACE_START();
  if (!m_manager->IsConnected()) {
    TRACE_END_RESULT("not connected");
    return;
  }
  wxFileDialog dialog(this, _("New avatar..."), wxEmptyString, wxEmptyString,
                      "All types|*.png;*.PNG;*.gif;*.GIF;*.jpg;*.JPG;*.jpeg;*.JPEG|PNG (*.png)|*.png;*.PNG|"
                      "GIF (*.gif)|*.gif;*.GIF|JPG (*.jpg;*.jpeg)|*.jpg;*.jpeg;*.JPG;*.JPEG",
                      wxFD_OPEN);
  if (dialog.ShowModal() != wxID_OK) {
    TRACE_END_RESULT("cancelled");
    return;
  }
  // The file is measured before anything decodes it: too large, cut short or of another kind,
  // it is refused with the reason.
  wxImage picture;
  const avatarfile::Result loaded = avatarfile::LoadFile(wx2std(dialog.GetPath()), &picture);
  if (loaded != avatarfile::Result::kOk) {
    wxMessageBox(avatarfile::Explain(loaded), _("Invalid image"), wxOK | wxICON_ERROR, this);
    TRACE_END_RESULT("refused %d", int(loaded));
    return;
  }
  const std::string large = Config::GetUserPath() + "/temp.png";
  const std::string small = Config::GetUserPath() + "/temp_s.png";
  auto sized = [&](int side) {
    return IMImage::ResizeBitmap(wxBitmap(picture), wxSize(side, side), true, true).ConvertToImage();
  };
  const bool largeSaved = avatarfile::SavePng(sized(64), large);
  if (!largeSaved) TRACE_ERROR("Conversion error");
  const bool smallSaved = avatarfile::SavePng(sized(24), small);
  if (!smallSaved) TRACE_ERROR("Conversion error");
  const bool sent = largeSaved && smallSaved && m_manager->ChangeAvatar(large, small);
  if (!sent) wxMessageBox(_("Error while reading the image file."), _("Invalid image"), wxOK | wxICON_ERROR, this);
  TRACE_END_RESULT("%d", sent ? 1 : 0);
}
