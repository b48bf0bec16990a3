// The message input of a chat-room page: Enter sends, Shift+Enter breaks the line, keys that
// would make the message longer than the settings allow are refused, and each burst of typing
// is reported to the page once when it starts and once when it ends.
#ifndef PARLAVOX_GUI_ROOMS_MYTEXTCTRL_H
#define PARLAVOX_GUI_ROOMS_MYTEXTCTRL_H

#include <wx/textctrl.h>
#include <wx/timer.h>

class ChatRoomPanel;

class MyTextCtrl : public wxTextCtrl {
 public:
  // A burst ends once a whole window of this length passes without a key.
  static const int kTypingWindowMs = 3000;

  MyTextCtrl(wxWindow* parent, wxWindowID id, ChatRoomPanel* page);
  ~MyTextCtrl() override;

  bool IsTypingReported() const { return m_timer.IsRunning(); }

 private:
  void OnChar(wxKeyEvent& event);
  void OnTimer(wxTimerEvent& event);
  void Send();
  // Characters the text would have once the selection is replaced by one more.
  size_t LengthAfterKey() const;
  void Typing();

  ChatRoomPanel* m_page;
  bool m_typed = false;
  wxTimer m_timer;

  wxDECLARE_EVENT_TABLE();
};

#endif
