// The content of the own profile's "Your other messengers:" box: an add picture above a scrolled
// column of rows, one per account on another messaging network, in the order the accounts were
// given. Adding, removing, connecting and disconnecting go through the controller; the list only
// shows the accounts and finds rows by the account's pointer.
#ifndef PARLAVOX_GUI_PROFILES_MESSENGERSLIST_H
#define PARLAVOX_GUI_PROFILES_MESSENGERSLIST_H

#include <wx/panel.h>

#include <vector>

class Manager;
class MessengerInfo;
class MessengerInfoPanel;
class wxBoxSizer;
class wxScrolledWindow;
class wxGenericStaticBitmap;

class MessengersList : public wxPanel {
 public:
  // The title is not shown (the box around the list has it).
  MessengersList(wxWindow* parent, Manager* manager, const wxString& title, const wxPoint& pos, const wxSize& size);

  // A row for the account, last, scrolled into view. Tells the controller nothing.
  void AddMessenger(MessengerInfo* info);
  // Takes the account's row away and removes the account through the controller, row or not.
  void RemoveMessenger(MessengerInfo* info);
  // The account's row shows the account again; nothing when it has no row.
  void UpdateMessengerInfo(MessengerInfo* info);
  // Every row white until its next update.
  void Reset();
  // Every row away; the accounts stay.
  void Clear();

  const std::vector<MessengerInfoPanel*>& GetRows() const { return m_rows; }
  MessengerInfoPanel* FindRow(const MessengerInfo* info) const;
  wxGenericStaticBitmap* GetAddBitmap() const { return m_add; }

  void OnAddMessenger(wxMouseEvent& event);

 private:
  // Runs the add dialog; the new account, or null.
  MessengerInfo* AskNewAccount();
  void TakeRowAway(MessengerInfoPanel* row);
  void FitRows(bool toTop);

  Manager* m_manager;
  wxScrolledWindow* m_inner = nullptr;
  wxBoxSizer* m_innerSizer = nullptr;
  wxGenericStaticBitmap* m_add = nullptr;
  std::vector<MessengerInfoPanel*> m_rows;
};

#endif
