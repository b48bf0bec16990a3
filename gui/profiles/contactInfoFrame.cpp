#include "gui/profiles/contactInfoFrame.h"

#include <wx/app.h>
#include <wx/intl.h>

#include "core/application.h"
#include "gui/mainFrame.h"
#include "model/contactInfo.h"
#include "model/messengerInfo.h"
#include "model/stringConversion.h"

namespace {
// Open profile windows by login; each window removes itself when destroyed.
std::map<std::string, ContactInfoFrame*>& Registry() {
  static auto* registry = new std::map<std::string, ContactInfoFrame*>;
  return *registry;
}
}  // namespace

ContactInfoFrame* ContactInfoFrame::CreateContactInfoFor(wxFrame* parent, Manager* manager, const std::string& login,
                                                         bool own) {
  if (ContactInfoFrame* existing = GetContactInfoFrame(login)) return existing;
  ContactInfo* info = own ? manager->GetOwnContactInfo() : manager->GetContactInfo(login);
  if (!info || login.empty()) return nullptr;
  return new ContactInfoFrame(parent, manager, login, *info, own);
}

ContactInfoFrame* ContactInfoFrame::GetContactInfoFrame(const std::string& login) {
  auto found = Registry().find(login);
  return found == Registry().end() ? nullptr : found->second;
}

void ContactInfoFrame::OpenContactInfoFor(const std::string& login) {
  ContactInfoFrame* frame = GetContactInfoFrame(login);
  if (!frame && MainFrame::GetInstance())
    frame = CreateContactInfoFor(MainFrame::GetInstance(), GetManager(), login, login == GetManager()->GetLogin());
  if (!frame) return;
  frame->Show();
  frame->Raise();
}

ContactInfoFrame::ContactInfoFrame(wxFrame* parent, Manager* manager, const std::string& login, ContactInfo&,
                                   bool mine)
    : wxFrame(parent, wxID_ANY, mine ? _("My profile") : std2wx(login)), m_manager(manager), m_login(login),
      m_mine(mine) {
  Registry()[login] = this;
}

ContactInfoFrame::~ContactInfoFrame() {
  auto found = Registry().find(m_login);
  if (found != Registry().end() && found->second == this) Registry().erase(found);
}

void ContactInfoFrame::UpdateContactInfoFor(const ContactInfo& info) {
  if (ContactInfoFrame* frame = GetContactInfoFrame(info.GetLogin())) frame->Record("contact " + info.GetLogin());
}

void ContactInfoFrame::UpdateGroups() {
  for (auto& entry : Registry()) entry.second->Record("groups");
}

void ContactInfoFrame::UpdateMessengerInfo(MessengerInfo* account) {
  Record("messenger " + account->GetLogin() + " " + std::to_string(account->GetStatus()));
}

void ContactInfoFrame::UpdateAvatar() { Record("avatar"); }

void ContactInfoFrame::EnableUpdate(const std::string& login, bool enable) {
  if (ContactInfoFrame* frame = GetContactInfoFrame(login)) frame->Record(enable ? "editable" : "read only");
}

void ContactInfoFrame::SetConnectionStatusForAll(bool connected) {
  for (auto& entry : Registry()) entry.second->Record(connected ? "connected" : "disconnected");
}

void ContactInfoFrame::RemoveAll() {
  std::map<std::string, ContactInfoFrame*> frames;
  frames.swap(Registry());
  for (auto& entry : frames) {
    entry.second->Hide();
    wxTheApp->ScheduleForDestruction(entry.second);
  }
}
