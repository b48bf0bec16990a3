// One account on another messaging network in the own profile's list: the network's icon, the
// login, "Edit", "Remove" and a button that connects or disconnects; the background and the
// button's caption tell the connection state.
//
// The row points to its account and never frees it. It is never destroyed while one of its own
// handlers runs (a click, the edit dialog): taken away then, it goes once the handler is over.
#ifndef PARLAVOX_GUI_PROFILES_MESSENGERINFOPANEL_H
#define PARLAVOX_GUI_PROFILES_MESSENGERINFOPANEL_H

#include <wx/bitmap.h>
#include <wx/panel.h>

#include <string>

class Manager;
class MessengerInfo;
class MessengersList;
class wxBoxSizer;
class wxButton;
class wxStaticBitmap;
class wxStaticText;

class MessengerInfoPanel : public wxPanel {
 public:
  MessengerInfoPanel(wxWindow* parent, MessengersList* list, Manager* manager, MessengerInfo* info);

  // Fills the row from its account: icon, description, login, state colour, caption, buttons.
  void Init();
  // White background until the next Init.
  void Reset();
  MessengerInfo* GetMessengerInfo() const { return m_info; }
  wxButton* GetConnectButton() const { return m_connect; }
  wxButton* GetEditButton() const { return m_edit; }
  wxButton* GetRemoveButton() const { return m_remove; }
  const wxStaticText* GetLoginText() const { return m_loginText; }

  // Taken out of its list: goes now, or after the handler of its own that runs.
  void Discard();
  bool IsDiscarded() const { return m_discarded; }

  // The stored icon of a protocol, no larger than 24 by 24; an empty bitmap when there is none.
  static wxBitmap LoadProtocolIcon(const std::string& protocol);

  void OnEdit(wxCommandEvent& event);
  void OnRemove(wxCommandEvent& event);
  void OnConnect(wxCommandEvent& event);

 private:
  // Held while a handler of the row runs.
  class Busy {
   public:
    explicit Busy(MessengerInfoPanel* row) : m_row(row) { ++m_row->m_busy; }
    ~Busy();

   private:
    MessengerInfoPanel* m_row;
  };

  Manager* m_manager;
  MessengersList* m_list;
  MessengerInfo* m_info;
  wxStaticBitmap* m_icon = nullptr;
  wxStaticText* m_loginText = nullptr;
  wxButton* m_connect = nullptr;
  wxButton* m_edit = nullptr;
  wxButton* m_remove = nullptr;
  int m_busy = 0;
  bool m_discarded = false;
};

#endif
