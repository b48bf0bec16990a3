// The contacts list of the main window: a scrolled column of blocks (ChatRoomEntry), each a
// header over the rows of its contacts. Which blocks exist follows the settings: contacts by
// group or not, offline contacts hidden, apart, or inside their group. A contact update is
// offered to the block that holds the contact's row and to the block that is to keep it (a
// contact has one row at most), which add, refresh, move or remove the row. The panel is the
// listener of its rows and hands their actions on to the main window.
//
// The saved contacts are taken into the blocks in slices, a few milliseconds per turn of the
// event loop, in the list's own order (connected first, then by nickname), so that each slice
// only adds rows below those already shown: the top of the list stands still while the rest
// comes in. The headers count what the list holds so far.
#ifndef PARLAVOX_GUI_CONTACTS_CONTACTSPANEL_H
#define PARLAVOX_GUI_CONTACTS_CONTACTSPANEL_H

#include <wx/scrolwin.h>
#include <wx/timer.h>

#include <chrono>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "gui/contacts/entryListener.h"
#include "gui/contacts/turnBudget.h"
#include "widgets/idlePass.h"

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
  // Where the top of `block` stands in the list's window, from the heights of the blocks above.
  int TopOf(const ChatRoomEntry* block) const;
  // Lays the blocks out, each block's window kept near the view (ChatRoomEntry::KeepInReach).
  bool Layout() override;
  // Rows of a block may stand at a wrong place: the blocks are placed once the updates queued
  // now are in, all in one pass (one layout of the list however many blocks changed height).
  void PlacementDue();
  // The layouts of the list after blocks changed height (for the tests of the placement).
  long GetLayouts() const { return m_layouts; }
  // The rows in sight stand at their place now (after a scroll).
  void PlaceVisibleRows();
  // A block took in, or let go of, the row of `login`.
  void RowAdded(const std::string& login, ChatRoomEntry* block);
  void RowRemoved(const std::string& login, ChatRoomEntry* block);
  // The saved contacts of group `name`. They are counted once (again after a rebuild of the list,
  // or when contacts were saved or forgotten unheard of), then kept by the updates the list is
  // given: a presence change costs no count over every saved contact.
  int SavedInGroup(const std::string& name);
  // Inside a slice of the filling: the counts are written once, at its end.
  bool IsFilling() const { return m_filling; }
  // Every saved contact is in the blocks (none is left for a later slice).
  bool IsFilled() const { return m_blocksToMake.empty() && m_fillNext >= m_fillOrder.size(); }
  // Work is left for the list's next turns (rows to take in, place or show).
  bool HasWorkDue() const { return m_turnDue || m_laterDue || m_placementDue || !IsFilled(); }
  // Asks for a turn of the list's own work (the filling, the rows still without a window) once
  // the event loop has drawn what is shown and handled the user's input.
  void WorkNextTurn();
  // Asks for a turn a little later: for work that waits until the updates pause. The event
  // loop rests meanwhile; asking for its idle time again and again would have it run its pass
  // over every window, turn after turn, with nothing to do.
  void WorkLater();
  // This turn's time, shared by the filling and by the row windows of every block.
  TurnBudget& GetBudget() { return m_budget; }
  // The usual cost of giving a row its window, and of bringing a window up to date.
  CostEstimate& GetWindowCost() { return m_windowCost; }
  CostEstimate& GetCatchUpCost() { return m_catchUpCost; }

  // EntryListener: the rows' actions, handed on to the main window.
  void OnOpenPrivateChatRoom(const std::string& login) override;
  void OnAddContact(const std::string& login, const std::string& message) override;
  void OnRemoveContact(const std::string& login, const std::string& message) override;
  void OnReportAbuse(const std::string& room, const std::string& login, const std::string& text) override;
  void OnBlockContact(const std::string& login, const std::string& message) override;
  void OnUnblockContact(const std::string& login, const std::string& message) override;

 private:
  void Refit();
  void LayOutBlocks();
  void OnScroll(wxScrollWinEvent& event);
  void OnWheel(wxMouseEvent& event);
  size_t PlaceOfBlock(const std::string& name) const;
  // Makes the blocks still to be made until `end` (a few at least), then begins the filling.
  void MakeBlocks(std::chrono::steady_clock::time_point end);
  // Every block still to be made, at once.
  void MakePendingBlocks();
  // The saved contacts in the order of the rows, to be taken in slice by slice.
  void StartFill();
  // Takes contacts in until `end`; a few at least, so that the filling always goes on.
  void FillSlice(std::chrono::steady_clock::time_point end);
  void StopFill();
  void OnIdle(wxIdleEvent& event);
  void OnTurnTimer(wxTimerEvent& event);
  void Turn();
  void TakeTurn();
  void PlaceBlocks();
  // What the list has done: updates and scrolls handed to it, contacts taken in, blocks made, and
  // what its blocks did to their row windows. A turn after which it reads the same did nothing.
  long WorkDone() const;
  // Something came from outside the list (an update, a scroll, a rebuild): the list's own turns
  // go on again if they had stopped.
  void HandedOver(long pieces);
  // After so many turns in a row that did nothing, the list asks for no more until it does
  // something again: a pass that keeps asking for a turn it cannot use would otherwise have the
  // event loop run, with its pass over every window, again and again for nothing.
  bool Stalled();
  // Counts the saved contacts of every group anew.
  void CountSaved();
  // The contact's group as the update tells it, or its leaving the saved contacts, in the counts.
  void NoteSaved(const std::string& login, const std::string* group);

  Manager* m_manager;
  SubscribeChatRoomListener* m_listener;
  wxFrame* m_mainWindow;
  std::vector<ChatRoomEntry*> m_blocks;
  // The block that holds the row of each contact: an update concerns that block and the one that
  // is to keep the contact, not every block.
  std::unordered_map<std::string, ChatRoomEntry*> m_holders;
  wxBoxSizer* m_sizer;
  // The group of each saved contact as the list last heard of it, and the saved contacts per group.
  std::unordered_map<std::string, std::string> m_savedGroupOf;
  std::unordered_map<std::string, int> m_savedPerGroup;
  // The saved records the counts hold: the settings holding another number, some were saved or
  // forgotten unheard of.
  size_t m_savedCounted = 0;
  bool m_savedValid = false;
  // Every block writes its counts at the next turn (the saved contacts were counted anew).
  bool m_recountDue = false;
  bool m_filling = false;
  bool m_rebuilding = false;
  // The blocks of a rebuild not made yet (name and title), top to bottom.
  std::vector<std::pair<std::string, wxString>> m_blocksToMake;
  // The logins of the saved contacts still to be taken in, in the order of the rows: each is
  // taken in as the settings hold it when its turn comes.
  std::vector<std::string> m_fillOrder;
  size_t m_fillNext = 0;
  wxTimer m_turnTimer;
  bool m_turnDue = false;
  bool m_laterDue = false;
  bool m_placementDue = false;
  // Rows were placed after updates since the list's last turn.
  bool m_placedSinceTurn = false;
  // The list's turns in a row that did nothing, and what it had done at the end of the last one.
  int m_emptyTurns = 0;
  long m_workAtTurn = 0;
  long m_handedOver = 0;
  long m_layouts = 0;
  TurnBudget m_budget;
  CostEstimate m_windowCost;
  CostEstimate m_catchUpCost;
  // The usual cost of writing the counts of every block, at the end of a slice of the filling.
  CostEstimate m_countsCost;
  std::chrono::steady_clock::time_point m_lastIdle;
  // The list's windows are left out of the event loop's idle pass: hundreds of headers, rows,
  // labels and pictures have nothing to do at idle time but after windows were made or shown,
  // which the blocks tell the pass (idlePass::Due).
  idlePass::LeftOut m_idleLeftOut{this};
};

#endif
