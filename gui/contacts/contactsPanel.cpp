#include "gui/contacts/contactsPanel.h"

#include <wx/intl.h>

ContactsPanel::ContactsPanel(Manager* manager, wxWindow* parent, wxFrame* mainWindow, SubscribeChatRoomListener* listener)
    : wxScrolledWindow(parent, wxID_ANY), m_manager(manager), m_mainWindow(mainWindow), m_listener(listener) {}

#include "model/urlContactInfo.h"

void ContactsPanel::SwitchSubscribeChatRoom(const std::string& url, bool subscribed) {
  Record("subscribed " + url + (subscribed ? " yes" : " no"));
}
void ContactsPanel::UpdateContact(const URLContactInfo& update) {
  Record("contact " + update.GetURL() + " " + update.GetLogin() + " " + std::to_string(int(update.GetStatus())));
}
void ContactsPanel::RemoveContact(const std::string& login) { Record("remove " + login); }
void ContactsPanel::RemoveAllPrivateContacts() { Record("remove all private"); }
void ContactsPanel::InitPrivateContactsGroups() { Record("groups"); }
void ContactsPanel::UpdateAvatar(const std::string& login) { Record("avatar " + login); }
void ContactsPanel::NotifyNewMessage(const std::string& login) { Record("new message " + login); }

void ContactsPanel::Disconnection() { Record("disconnection"); }
