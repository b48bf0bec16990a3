// The member column of a chat room: one row per member, in order of arrival, as many as the room
// holds (a popular site's room holds thousands).
//
// Each member is a small record (its copy of the contact, its place in the order); only the rows
// in sight and a screen's height around them have a window (ContactEntry), so that an arrival, a
// departure or a change of one member costs the same whatever the room's size. The rows all have
// the height of the first window made, so that a row's place follows from its index alone.
// Windows of rows leaving sight go back to a small pool and show the next members that come into
// sight; a row showing its menu keeps its window. The column scrolls by placing the row windows
// again, not by moving its whole content (the tool kit would move every child, the hidden windows
// of the pool among them). The windows are placed once per turn of the event loop however many
// members came or went in it, and no more than 25 times a second while they keep coming, with a
// few milliseconds of new windows at most per pass; the rest follow at the next. The screen reader
// reads the rows in sight (each row window tells its nickname and presence).
#ifndef PARLAVOX_GUI_ROOMS_MEMBERCOLUMN_H
#define PARLAVOX_GUI_ROOMS_MEMBERCOLUMN_H

#include <wx/panel.h>
#include <wx/timer.h>

#include <chrono>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "gui/contacts/rowHost.h"
#include "gui/contacts/turnBudget.h"
#include "gui/rooms/arrivalOrder.h"
#include "gui/contacts/rowWindowPool.h"
#include "model/contactInfo.h"

class ContactEntry;
class EntryListener;
class Manager;

class MemberColumn : public wxPanel, public RowHost {
 public:
  MemberColumn(Manager* manager, wxWindow* parent, EntryListener* listener, const std::string& room);
  ~MemberColumn() override;

  size_t GetCount() const { return m_order.Size(); }
  bool Has(const std::string& login) const { return m_members.count(login) != 0; }
  // The logins of the members, first come first.
  std::vector<std::string> GetLogins() const;
  // A member more, at the end (the login has no row yet).
  void Add(const ContactInfo& contact);
  // A new state of a member: its row shows it at once when in sight, else when it comes into sight.
  void Update(const ContactInfo& contact);
  void Remove(const std::string& login);
  void RemoveAll();
  // The row window of `login`, made and placed now when the row has none; null for no member. A
  // window made for a row out of sight goes again at a later placement.
  ContactEntry* FindRow(const std::string& login);
  // The row window of `login` when it has one.
  ContactEntry* FindRowWindow(const std::string& login) const;
  void UpdateAvatar(const std::string& login);
  // The rows call the listener no more (it goes before them).
  void ForgetListener();

  // Where the row of `login` stands in the column's whole height (empty for no member).
  wxRect GetRowRect(const std::string& login) const;
  // Every row in sight has its window, at its place and up to date, and nothing is left to do.
  bool IsPlaced() const { return !m_placeDue && !m_windowsMissing; }
  // Row windows alive, in use or kept aside for reuse.
  int GetRowWindows() const { return int(m_windowed.size() + m_pool.Size()); }
  // Places the windows now (normally done once per turn of the event loop).
  void Place();

  void RowResized(ContactEntry* row) override;

 private:
  struct Member {
    ContactInfo info;
    std::string login;
    size_t slot = 0;
    ContactEntry* window = nullptr;
    // The window shows an earlier state of the member (it is out of sight).
    bool behind = false;
  };

  Member* Find(const std::string& login) const;
  void PlaceSoon();
  void PlaceRows();
  int RowHeight();
  // The rows [first, last) are in sight.
  void RowsInSight(size_t* first, size_t* last);
  void KeptRows(size_t* first, size_t* last);
  ContactEntry* GiveWindow(Member& member);
  void TakeWindowBack(Member& member);
  void Drop(Member& member);
  // Moves the member's window to the row's place and shows it.
  void PlaceWindow(Member& member, size_t index);
  void BringUpToDate(Member& member);
  // Sets the scroll bar for the whole height, the view kept within it.
  void SetUpScrollBar();
  void OnScroll(wxScrollWinEvent& event);
  void OnSize(wxSizeEvent& event);

  Manager* m_manager;
  EntryListener* m_listener;
  std::string m_room;
  std::unordered_map<std::string, std::unique_ptr<Member>> m_members;
  ArrivalOrder<Member> m_order;
  // The members whose rows have a window.
  std::vector<Member*> m_windowed;
  // Windows taken back from rows out of sight, for the next rows that come into sight.
  RowWindowPool m_pool;
  int m_rowHeight = 0;
  // The scroll bar as last set: the top of the view in the whole height, and the two heights.
  int m_top = 0;
  int m_wholeHeight = -1;
  int m_viewHeight = -1;
  bool m_placeDue = false;
  bool m_placing = false;
  bool m_windowsMissing = false;
  // The next pass, when this one ran out of time or came too soon after the last.
  wxTimer m_nextTurn;
  std::chrono::steady_clock::time_point m_placedAt;
  TurnBudget m_budget;
  CostEstimate m_windowCost;
};

#endif
