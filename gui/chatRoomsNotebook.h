// The frame of chat-room tabs, one page per open room.
#ifndef PARLAVOX_GUI_CHATROOMSNOTEBOOK_H
#define PARLAVOX_GUI_CHATROOMSNOTEBOOK_H

#include <wx/frame.h>

class Manager;

class ChatRoomsNotebook : public wxFrame {
 public:
  ChatRoomsNotebook(Manager* manager, wxWindow* parent);

 private:
  Manager* m_manager;
};

#endif
