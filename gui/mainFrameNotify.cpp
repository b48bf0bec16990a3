// What a click on a notification does, carried out by the main window: open a private room with
// a contact, bring a room forward, subscribe to a site's room, bring up the contacts manager,
// open a web page, or show the user's own profile.
#include <wx/utils.h>

#include "core/application.h"
#include "gui/aboutFrame.h"
#include "gui/rooms/chatRoomsNotebook.h"
#include "gui/profiles/contactInfoFrame.h"
#include "gui/contacts/contactsShortFrame.h"
#include "gui/mainFrame.h"
#include "gui/notifyAction.h"
#include "gui/preferencesFrame.h"
#include "gui/webBrowser.h"
#include "gui/sites/webSitesShortFrame.h"
#include "model/log.h"
#include "model/stringConversion.h"

void MainFrame::ExecuteNotifyAction(const NotifyAction& action) {
  const std::string param = action.GetParam();
  TRACE_START_ARGS("%d, %s", action.GetType(), param.c_str());
  switch (action.GetType()) {
    case NOTIFY_ACTION_PRIVATE_CHATROOM:
      CreateVirtualChatRoom(param);
      break;
    case NOTIFY_ACTION_FOCUS_CHATROOM:
      if (m_chatRooms) m_chatRooms->FocusOnChatRoom(param);
      break;
    case NOTIFY_ACTION_SUBSCRIBE:
      SubscribeChatRoom(param);
      break;
    case NOTIFY_ACTION_CONTACTS_MANAGER:
      OnSwitchContactsManager();
      break;
    case NOTIFY_ACTION_BROWSER:
      if (browser::IsWebAddress(param)) browser::Open(param);
      else TRACE_ERROR("not a web address");
      break;
    case NOTIFY_ACTION_OWN_PROFILE:
      ContactInfoFrame::OpenContactInfoFor(m_manager->GetLogin());
      break;
    default:
      break;
  }
  TRACE_END();
}

