// The contacts list of the main window: a scrolled column of blocks (ChatRoomEntry), each a
// header over the rows of its contacts. Which blocks exist follows the settings: contacts by
// group or not, offline contacts hidden, apart, or inside their group. Every contact update is
// offered to every block, which adds, refreshes, moves or removes its row. The panel is the
// listener of its rows and hands their actions on to the main window.
#ifndef PARLAVOX_GUI_CONTACTS_CONTACTSPANEL_H
#define PARLAVOX_GUI_CONTACTS_CONTACTSPANEL_H

#include <wx/scrolwin.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "gui/contacts/entryListener.h"

class ChatRoomEntry;
class ContactInfo;
class ContactEntry;
class Manager;
class SubscribeChatRoomListener;
class URLContactInfo;
class wxBoxSizer;

class ContactsPanel : public wxScrolledWindow, public EntryListener {
 public:
  ContactsPanel(Manager* manager, wxWindow* parent, wxFrame* mainWindow, SubscribeChatRoomListener* listener);
  ~ContactsPanel() override;

  void InitPrivateContactsGroups();
  void UpdateContact(const URLContactInfo& update);
  // The same for a contact of the list (an update whose URL is "none").
  void ApplyListed(const ContactInfo& contact);
  void AddGroup(const std::string& name, const wxString& label);
  void CreateGroup(const std::string& name, const wxString& label);
  ChatRoomEntry* FindChatRoomEntry(const std::string& name) const;
  void RemoveContact(const std::string& login);
  void RemoveAllPrivateContacts();
  void UpdateAvatar(const std::string& login);
  // Marks the contact whose private room received a message or a file notice.
  void NotifyNewMessage(const std::string& login);
  void SwitchSubscribeChatRoom(const std::string& room, bool subscribed);
  // The session ended; the list stays as it is.
  void Disconnection();

  // The blocks from top to bottom.
  const std::vector<ChatRoomEntry*>& GetBlocks() const { return m_blocks; }
  // The row of `login`, in whichever block it stands; null when it has none.
  ContactEntry* FindContactRow(const std::string& login) const;
  // A block's height changed: the blocks below move and the scroll range follows.
  void BlockResized();
  // The rows in sight stand at their place now (after a scroll).
  void PlaceVisibleRows();
  // The saved contacts of group `name`, counted at most once per turn of the event loop (and
  // again when contacts were saved or forgotten).
  int SavedInGroup(const std::string& name);
  // Filling the blocks from the saved contacts: the counts are written once, at the end.
  bool IsFilling() const { return m_filling; }

  // EntryListener: the rows' actions, handed on to the main window.
  void OnOpenPrivateChatRoom(const std::string& login) override;
  void OnAddContact(const std::string& login, const std::string& message) override;
  void OnRemoveContact(const std::string& login, const std::string& message) override;
  void OnReportAbuse(const std::string& room, const std::string& login, const std::string& text) override;
  void OnBlockContact(const std::string& login, const std::string& message) override;
  void OnUnblockContact(const std::string& login, const std::string& message) override;

 private:
  void Refit();
  void OnScroll(wxScrollWinEvent& event);
  void OnWheel(wxMouseEvent& event);
  size_t PlaceOfBlock(const std::string& name) const;

  Manager* m_manager;
  SubscribeChatRoomListener* m_listener;
  wxFrame* m_mainWindow;
  std::vector<ChatRoomEntry*> m_blocks;
  wxBoxSizer* m_sizer;
  std::unordered_map<std::string, int> m_savedPerGroup;
  size_t m_savedCounted = 0;
  bool m_savedValid = false;
  bool m_recountDue = false;
  bool m_recounting = false;
  bool m_filling = false;
};

#endif
