// One block of the contacts list: a header (GroupEntry) above the rows of the contacts that
// belong to it, connected contacts first, each part in nickname order.
//
// A block of thousands of contacts keeps each contact as a small record (its copy of the
// contact, its place) and gives a row window (ContactEntry) only to the records in sight or
// near it: the rows far out of sight have no window, so that building, sorting and counting the
// block costs what its records cost, and a change of one contact touches one record. Windows
// leaving sight go back to a small pool and show the next contacts that come into sight; a row
// that is expanded, blinking, withdrawn or showing its menu keeps its window. The screen reader
// reads the rows in sight (each row window tells its nickname and presence) and the header's
// title and counts.
//
// Rows are placed once per turn of the event loop however many updates came in it. A row's place
// follows from its index: the rows stand one below the other, all as high as one another but for
// the few whose window is taller (expanded) or takes no room (withdrawn), so that only the rows
// with a window are ever placed, and a change moving a row across thousands costs what the
// windows cost, not what the rows between cost. A row window in sight shows a
// change at once; the windows kept just out of sight show it at the list's next turn, within its
// budget (a new status lays the row out and redraws its avatar, which a burst of presence changes
// would otherwise pay for every window at once).
//
// While updates keep coming, the placement that follows them gives windows to the rows in sight
// and moves only the windows that are or come in sight: the windows kept about the view, and the
// rows about to come into sight, are placed by a pass of their own once the updates pause, or
// every quarter of a second while they keep coming.
// A burst that moves every row (a log-in) then costs per update what the view holds, not what the
// windows kept about it hold.
#ifndef PARLAVOX_GUI_CONTACTS_CHATROOMENTRY_H
#define PARLAVOX_GUI_CONTACTS_CHATROOMENTRY_H

#include <wx/panel.h>
#include <wx/timer.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "gui/contacts/rowHost.h"
#include "gui/contacts/rowWindowPool.h"
#include "model/contactInfo.h"

class ContactEntry;
class ContactsPanel;
class EntryListener;
class GroupEntry;
class Manager;
class TurnBudget;
class URLContactInfo;
class wxBoxSizer;

class ChatRoomEntry : public wxPanel, public RowHost {
 public:
  ChatRoomEntry(Manager* manager, wxWindow* parent, EntryListener* listener, const wxString& label,
                const std::string& name);
  ~ChatRoomEntry() override;

  // The block's name (a group, "" for no group, or one of the two sections).
  std::string GetGroupName() const { return m_name; }
  GroupEntry* GetHeader() const { return m_header; }

  // What the block named `name` does with a contact of the list under the sort settings (`mode`:
  // by group or not; `offline`: offline contacts hidden, apart or with the others): it keeps a
  // row for the contact, drops the contact's row, or leaves its rows as they are. A contact is
  // kept by one block at most.
  enum Listing { LEAVE, KEEP, DROP };
  static Listing ListingOf(const std::string& name, const ContactInfo& contact, int mode, int offline);

  void AddContact(const URLContactInfo& update);
  void UpdateContact(const URLContactInfo& update, bool);
  // A new state of a contact of the list (an update whose URL is "none"): the row is added,
  // refreshed, moved or dropped as the sort settings want, then the counts are written.
  void ApplyListed(const ContactInfo& contact);
  void RemoveContact(const std::string& login);
  void RemoveAll();
  // The row window of `login`, made now when the row has none; null when the block has no such
  // contact. A window made for a row out of sight goes again at a later placement.
  ContactEntry* FindContact(const std::string& login);
  // The row window of `login` when it has one.
  ContactEntry* FindRowWindow(const std::string& login) const;
  bool HasContact(const std::string& login) const { return m_byLogin.count(login) != 0; }
  void UpdateAvatar(const std::string& login);
  void NotifyNewMessage(const std::string& login);
  void SwitchSubscribeChatRoom(const std::string& login, bool subscribed);
  // The counts are written at once, or, while changes keep coming, at most once per tenth of a
  // second: the last change is shown when its tenth ends.
  void UpdateNbrUsers();
  // Writes the counts now (after a rebuild), whatever was written of late.
  void WriteCounts();
  int GetNbrUsers() const { return static_cast<int>(m_rows.size()); }
  int GetNbrConnected() const { return m_connected; }
  // The logins of the rows, top to bottom.
  std::vector<std::string> GetLogins() const;
  // Where the row of `login` stands in the block (empty when it takes no place).
  wxRect GetRowRect(const std::string& login) const;
  // Row windows alive, in sight or kept aside for reuse.
  int GetRowWindows() const;

  void OnBitmapMouseLeftDown(wxMouseEvent& event);
  // A row changed its height, or was shown or hidden.
  void RowResized(ContactEntry* row) override;
  // Places now the rows whose place is stale (normally done once per turn of the event loop).
  void PlaceRows();
  // Some rows may stand at a wrong place.
  bool HasStaleRows() const { return m_staleFrom <= m_staleTo; }
  // Works out where the stale rows stand, without giving them windows; true when the block's
  // height changed (the list then lays its blocks out again).
  bool WorkOutPlaces();
  // Gives the rows in sight (or about to be, after a scroll) a window at their place, takes the
  // windows of the others back. Returns false when its time ran out with rows in sight still
  // without a window (another pass is then due at the next turn).
  bool PlaceVisibleRows();
  // The same after updates: the rows in sight only; the rest at a later turn of the list.
  bool PlaceRowsInSight();
  // The pass asked for at the list's next turn, when one is due; `quiet` when no update came
  // since the list's last turn.
  void RunDuePass(bool quiet);
  // No row's place is left to work out and every row in sight has its window.
  bool IsPlaced() const;
  // Row windows moved since the block was made (for the tests of the placement).
  long GetPlacements() const { return m_placements; }
  // What the block did to its row windows since it was made (windows given, taken back, moved,
  // shown, hidden or brought up to date, its height changed): a pass that changes none did nothing.
  long GetWindowWork() const { return m_windowWork + m_placements; }
  // The passes the block still waits for, in words ("" when none), for the trace.
  std::string DueWork() const;
  // Keeps the block's own window within the window system's reach of the list's top (see
  // m_shift); the list calls it once it laid its blocks out or scrolled.
  void KeepInReach();
  // The header stays at the block's top, wherever the block's window begins, and stays put when
  // nothing changed: a header moved away and back would have the window system lay the list out
  // again, and that layout would move it once more.
  bool Layout() override;
  // Leaves the list (see lateDestruction).
  void Discard();
  bool IsDiscarded() const { return m_discarded; }

 protected:
  // The list lays a block out at its whole place; its window takes only the part kept in reach,
  // directly, never the whole place for a moment (see KeepAt).
  void DoSetSize(int x, int y, int width, int height, int sizeFlags) override;

 private:
  // One contact of the block.
  struct Row {
    // The contact as the last update brought it: the row is sorted and counted by it.
    ContactInfo info;
    bool connected = false;
    // The room icon as last switched: -1 when the next window works it out.
    int subscribed = -1;
    // Where the row's window stands in the block, shown or not: worked out for the rows that
    // have a window (the others' places follow from their index).
    wxRect wanted;
    ContactEntry* window = nullptr;
    // The window still shows an earlier state of the contact (it is out of sight).
    bool windowBehind = false;
    std::string login;
    std::string nickname;
    // Where the row stood when its place was last looked up (the rows before it may have changed
    // since): the rows with a window are looked up at every placement.
    mutable size_t at = 0;
  };
  // Where a row stands in the order: whether it is connected, and the first bytes of its
  // nickname packed so that comparing two keys as numbers orders them as their nicknames do.
  // The searches of the order run through the slots alone; only rows with equal keys compare
  // whole nicknames, in their records.
  struct SortKey {
    bool connected = false;
    uint64_t prefix = 0;
  };
  // A plain value (the record is owned by m_byLogin): moving a row across thousands moves the
  // slots between as one block of memory.
  struct Slot {
    SortKey key;
    Row* row = nullptr;
    Row* operator->() const { return row; }
    Row& operator*() const { return *row; }
    Row* get() const { return row; }
  };
  static SortKey KeyOf(bool connected, const std::string& nickname);
  // Negative when the contact of `key` and `nickname` sorts before the slot's row, 0 with it,
  // positive after it.
  static int Compare(const SortKey& key, const std::string& nickname, const Slot& slot);
  // The place of a contact among the rows: connected ones first, then by nickname.
  size_t FindPlace(const SortKey& key, const std::string& nickname) const;
  size_t IndexOf(const Row* row) const;
  size_t FindPlaceAmongOthers(const SortKey& key, const std::string& nickname, size_t at) const;
  Row* FindRow(const std::string& login) const;
  void AddRow(const ContactInfo& contact);
  void Upsert(const ContactInfo& contact, Row* row);
  void RemoveRow(size_t index);
  // Moves the slot at `from` to `to`, the slots between one place towards `from`.
  void MoveSlot(size_t from, size_t to);
  // Where the row at `index` stands in the block, as last worked out: below those before it.
  wxRect PlaceAt(size_t index) const;
  // The first row whose bottom lies below `y` (whose top does when `byTop`); the number of rows
  // when none does.
  size_t FirstRowBelow(int y, bool byTop) const;
  void MarkStale(size_t from, size_t to);
  // Gives the block's window the part of `place` (the whole block, in the list's window) within
  // the window system's reach, moving what it holds when the part begins elsewhere in the block.
  void KeepAt(const wxRect& place);
  void ScheduleVisiblePass();
  void OnSize(wxSizeEvent& event);
  wxRect NearlyVisible(int screens) const;
  // The row takes room in the block (not folded away, not withdrawn).
  bool TakesPlace(const Row& row) const;
  int RowsTop() const;
  // Where the block's top stands in the list's window.
  int Top() const { return GetPosition().y - m_shift; }
  // The rectangle in the block's own window of a place in the block.
  wxRect InWindow(const wxRect& place) const { return wxRect(place.x, place.y - m_shift, place.width, place.height); }
  // Gives windows to the rows in sight and places them; with `all`, also the rows about the view,
  // and brings the windows out of sight up to date. Without, what it leaves waits for the next
  // pass with `all`, which comes at a later turn of the list (see RunDuePass).
  bool PlaceWindows(bool all);
  bool PlaceWindowsKept(const wxRect& kept, const wxRect& only);
  bool HasRowsAboutTheView() const;
  ContactEntry* GiveWindow(Row& row);
  void TakeWindowBack(Row& row);
  bool IsBusy(const ContactEntry* window) const;
  bool OutOfSight(const Row& row) const;
  // The row's window shows the contact as the row holds it.
  void BringUpToDate(Row& row);
  // Brings the windows out of sight up to date within the turn's budget; false when some are left.
  bool CatchUpWindows(TurnBudget& budget);
  // The rows [first, last) that meet `area`, as last worked out.
  std::pair<size_t, size_t> RowsMeeting(const wxRect& area) const;
  // Takes the row's window out of m_windowed.
  void Unwindowed(Row& row);
  bool Subscribed(const Row& row) const;

  Manager* m_manager;
  EntryListener* m_listener;
  wxBoxSizer* m_sizer;
  GroupEntry* m_header;
  std::string m_name;
  std::vector<Slot> m_rows;
  // The records of the rows, by login.
  std::unordered_map<std::string, std::unique_ptr<Row>> m_byLogin;
  // Windows taken back from rows out of sight, for the next rows that come into sight.
  RowWindowPool m_pool;
  // The rows that have a window: a pass over the windows visits these, not every row.
  std::vector<Row*> m_windowed;
  int m_connected = 0;
  // Rows [m_staleFrom, m_staleTo] may stand at a wrong place; none when m_staleFrom > m_staleTo.
  size_t m_staleFrom = 1;
  size_t m_staleTo = 0;
  bool m_placementDue = false;
  bool m_visiblePassDue = false;
  bool m_windowsMissing = false;
  // Some row windows out of sight show an earlier state of their contact.
  bool m_windowsBehind = false;
  int m_placedWidth = -1;
  // A row of another height than the others (an expanded or withdrawn row's window), as last
  // worked out: its index, its height and what the rows of another height before it add to the
  // rows' height.
  struct OtherHeight {
    size_t index = 0;
    int height = 0;
    int addedBefore = 0;
  };
  // The height of a row without a window (none while the block is folded), the rows of another
  // height by index, and what they all add.
  int m_rowHeight = 0;
  std::vector<OtherHeight> m_otherHeights;
  int m_added = 0;
  long m_placements = 0;
  long m_windowWork = 0;
  // How far below the block's top its own window begins (above it when negative). The window
  // system keeps a window's place in 16 bits: a block of thousands of rows scrolled far stands
  // tens of thousands of pixels above or below the list's top, and whatever asks the window
  // system where its rows are (a screen reader) was told a place wrapped around, although they
  // were drawn right. The block's window is kept near the list's view instead, and its header
  // and rows stand as much higher or lower in it.
  int m_shift = 0;
  bool m_discarded = false;
  // Inside UpdateContact, which writes the counts once at its end.
  bool m_counting = false;
  // When the counts were last written; while changes keep coming, the next write waits for the
  // timer.
  std::chrono::steady_clock::time_point m_countedAt;
  wxTimer m_countsTimer;
  // A placement after updates has left windows out of sight at their former place or rows about
  // the view without a window: the pass that places them all is due, and when it last came.
  bool m_asideDue = false;
  std::chrono::steady_clock::time_point m_placedAllAt;
  // The list the block stands in, told of the rows that come and go; null elsewhere.
  ContactsPanel* m_list = nullptr;
};

#endif
