// The set of open profile windows, one per login, and what the main window asks of all of them.
// Only the GUI thread touches it. A window leaves the set when it is taken down or destroyed,
// however that happens, so the set never points to a window that has gone.
#include <wx/app.h>

#include "core/application.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/profiles/contactInfoPanel.h"
#include "gui/profiles/messengersList.h"
#include "gui/profiles/profilesHost.h"
#include "model/contactInfo.h"
#include "model/log.h"

namespace {

std::map<std::string, ContactInfoFrame*>& Frames() {
  static auto* frames = new std::map<std::string, ContactInfoFrame*>;  // lives as long as the program
  return *frames;
}

// The windows now in the set, so that a call that changes the set does not upset the walk.
std::vector<ContactInfoFrame*> AllFrames() {
  std::vector<ContactInfoFrame*> all;
  for (const auto& entry : Frames()) all.push_back(entry.second);
  return all;
}

}  // namespace

ContactInfoFrame* ContactInfoFrame::CreateContactInfoFor(wxFrame* parent, ProfilesHost* host, Manager* manager,
                                                         const std::string& login, bool mine) {
  TRACE_START_ARGS("%s, %d", login.c_str(), mine ? 1 : 0);
  if (login.empty()) {
    TRACE_END_RESULT("not found");
    return nullptr;
  }
  ContactInfoFrame* frame = GetContactInfoFor(login);
  if (!frame) {
    frame = new ContactInfoFrame(parent, host, manager, login, *manager->GetContactInfo(login), mine);
    Frames()[login] = frame;
  }
  TRACE_END();
  return frame;
}

void ContactInfoFrame::OpenContactInfoFor(const std::string& login) {
  TRACE_START_ARGS("%s", login.c_str());
  Manager* manager = GetManager();
  ContactInfoFrame* frame = GetContactInfoFor(login);
  if (!frame) {
    ProfilesHost* host = ProfilesHost::Current();
    frame = host ? CreateContactInfoFor(host->GetProfilesOwner(), host, manager, login, login == manager->GetLogin())
                 : nullptr;
  } else {
    frame->UpdateContactInfo(*manager->GetContactInfo(login));
    frame->UpdateAvatar();
  }
  if (frame) {
    if (frame->IsShown()) frame->Raise();
    else frame->Show(true);
  }
  TRACE_END();
}

ContactInfoFrame* ContactInfoFrame::GetContactInfoFor(const std::string& login) {
  auto found = Frames().find(login);
  return found == Frames().end() ? nullptr : found->second;
}

void ContactInfoFrame::UpdateContactInfoFor(const ContactInfo& info) {
  if (ContactInfoFrame* frame = GetContactInfoFor(info.GetLogin())) frame->UpdateContactInfo(info);
}

void ContactInfoFrame::UpdateGroups() {
  TRACE_START();
  for (ContactInfoFrame* frame : AllFrames()) frame->m_panel->UpdateGroups();
  TRACE_END();
}

void ContactInfoFrame::RenameChosenGroup(const std::string& oldName, const std::string& newName) {
  TRACE_START_ARGS("%s, %s", oldName.c_str(), newName.c_str());
  for (ContactInfoFrame* frame : AllFrames())
    if (frame->m_chosenGroup && *frame->m_chosenGroup == oldName) frame->m_chosenGroup = newName;
  TRACE_END();
}

void ContactInfoFrame::SetConnectionStatusForAll(bool connected) {
  TRACE_START_ARGS("%d", connected ? 1 : 0);
  for (ContactInfoFrame* frame : AllFrames()) frame->SetConnectionStatus(connected);
  TRACE_END();
}

void ContactInfoFrame::EnableUpdate(const std::string& login, bool enable) {
  TRACE_START_ARGS("%s, %d", login.c_str(), enable ? 1 : 0);
  ContactInfoFrame* frame = GetContactInfoFor(login);
  if (frame) {
    TRACE_INFO("found");
    if (frame->m_mine) {
      frame->m_panel->EnableUpdate(enable);
      if (frame->m_messengers) frame->m_messengers->Reset();
    }
  }
  TRACE_END();
}

void ContactInfoFrame::HideAll() {
  TRACE_START();
  for (ContactInfoFrame* frame : AllFrames()) frame->Show(false);
  TRACE_END();
}

void ContactInfoFrame::CloseAll() {
  TRACE_START();
  for (ContactInfoFrame* frame : AllFrames()) frame->Close(true);
  Frames().clear();
  TRACE_END();
}

void ContactInfoFrame::RemoveAll() {
  TRACE_START();
  for (ContactInfoFrame* frame : AllFrames()) frame->TakeDown();
  Frames().clear();
  TRACE_END();
}

void ContactInfoFrame::TakeOutOfSet() {
  auto found = Frames().find(m_login);
  if (found != Frames().end() && found->second == this) Frames().erase(found);
}

void ContactInfoFrame::TakeDown() {
  TakeOutOfSet();
  Show(false);
  if (m_modalDepth > 0) m_doomed = true;
  else if (!wxTheApp->IsScheduledForDestruction(this)) Destroy();
}

ContactInfoFrame::ModalGuard::ModalGuard(wxWindow* inside)
    : m_frame(dynamic_cast<ContactInfoFrame*>(wxGetTopLevelParent(inside))) {
  if (m_frame) ++m_frame->m_modalDepth;
}

ContactInfoFrame::ModalGuard::~ModalGuard() {
  if (!m_frame) return;
  // The window was taken down while its dialog ran: it goes now that nothing of it runs.
  if (--m_frame->m_modalDepth == 0 && m_frame->m_doomed) m_frame->Destroy();
}

bool ContactInfoFrame::ModalGuard::WindowLives() const { return !m_frame || !m_frame->m_doomed; }
