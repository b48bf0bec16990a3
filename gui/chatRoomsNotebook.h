// The frame of chat-room tabs, one page per open room.
#ifndef PARLAVOX_GUI_CHATROOMSNOTEBOOK_H
#define PARLAVOX_GUI_CHATROOMSNOTEBOOK_H

#include <wx/frame.h>

#include <string>

class Manager;

class ChatRoomsNotebook : public wxFrame {
 public:
  ChatRoomsNotebook(Manager* manager, wxWindow* parent);

  // Shows the window with the tab of `url` selected when that room is open; else nothing.
  void FocusOnChatRoom(const std::string& url);

 private:
  Manager* m_manager;
};

#endif
