#include "gui/chatRoomsNotebook.h"

#include <wx/intl.h>

ChatRoomsNotebook::ChatRoomsNotebook(Manager* manager, wxWindow* parent)
    : wxFrame(parent, wxID_ANY, _("Chat rooms")), m_manager(manager) {}

// No room has a page in this window yet, so none can be brought forward.
void ChatRoomsNotebook::FocusOnChatRoom(const std::string&) {}
