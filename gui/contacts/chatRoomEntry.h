// One block of the contacts list: a header (GroupEntry) above the rows of the contacts that
// belong to it, connected contacts first, each part in nickname order.
//
// The block places its rows itself instead of through a sizer: a change of one contact moves
// only the rows between its old and its new place, and the rows are placed once per turn of
// the event loop however many updates came in it, so that a block of thousands of contacts
// follows a burst of presence changes without laying itself out per change.
#ifndef PARLAVOX_GUI_CONTACTS_CHATROOMENTRY_H
#define PARLAVOX_GUI_CONTACTS_CHATROOMENTRY_H

#include <wx/panel.h>

#include <unordered_map>

#include <string>
#include <vector>

#include "model/contactInfo.h"

class ContactEntry;
class EntryListener;
class GroupEntry;
class Manager;
class URLContactInfo;
class wxBoxSizer;

class ChatRoomEntry : public wxPanel {
 public:
  ChatRoomEntry(Manager* manager, wxWindow* parent, EntryListener* listener, const wxString& label,
                const std::string& name);
  ~ChatRoomEntry() override;

  // The block's name (a group, "" for no group, or one of the two sections).
  std::string GetGroupName() const { return m_name; }
  GroupEntry* GetHeader() const { return m_header; }

  void AddContact(const URLContactInfo& update);
  void MoveToRightPlace(const ContactInfo& info, ContactEntry* row);
  void UpdateContact(const URLContactInfo& update, bool);
  void RemoveContact(const std::string& login);
  void RemoveAll();
  ContactEntry* FindContact(const std::string& login) const;
  void UpdateAvatar(const std::string& login);
  void NotifyNewMessage(const std::string& login);
  void SwitchSubscribeChatRoom(const std::string& login, bool subscribed);
  void UpdateNbrUsers();
  int GetNbrUsers() const { return static_cast<int>(m_rows.size()); }
  std::vector<ContactEntry*> GetUsers() const { return m_rows; }

  void OnBitmapMouseLeftDown(wxMouseEvent& event);
  // A row changed its height, or was shown or hidden.
  void RowResized(ContactEntry* row);
  // Places now the rows whose place is stale (normally done once per turn of the event loop).
  void PlaceRows();
  // Shows the rows in sight (or about to be, after a scroll) at their place, hides the others.
  void PlaceVisibleRows();
  // No row's place is left to work out.
  bool IsPlaced() const;
  // Rows given a new place since the block was made (for the tests of the placement).
  long GetPlacements() const { return m_placements; }
  // Leaves the list (see lateDestruction).
  void Discard();
  bool IsDiscarded() const { return m_discarded; }

 private:
  // The place of a contact among the rows: connected ones first, then by nickname.
  size_t FindPlace(bool connected, const std::string& nickname) const;
  size_t IndexOf(const ContactEntry* row) const;
  void MarkStale(size_t from, size_t to);
  void OnSize(wxSizeEvent& event);
  wxRect NearlyVisible() const;
  // The row takes room in the block (not folded away, not withdrawn).
  bool TakesPlace(const ContactEntry* row) const;
  int RowsTop() const;

  Manager* m_manager;
  EntryListener* m_listener;
  wxBoxSizer* m_sizer;
  GroupEntry* m_header;
  std::string m_name;
  std::vector<ContactEntry*> m_rows;
  // Where each row stands in the block, shown or not.
  std::unordered_map<const ContactEntry*, wxRect> m_wanted;
  // Rows [m_staleFrom, m_staleTo] may stand at a wrong place; none when m_staleFrom > m_staleTo.
  size_t m_staleFrom = 1;
  size_t m_staleTo = 0;
  bool m_placementDue = false;
  int m_placedWidth = -1;
  long m_placements = 0;
  bool m_discarded = false;
  // Inside UpdateContact, which writes the counts once at its end.
  bool m_counting = false;
};

#endif
