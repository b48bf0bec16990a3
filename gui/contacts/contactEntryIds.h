// The command and timer ids of the contact row, drawn once at start-up.
#ifndef PARLAVOX_GUI_CONTACTS_CONTACTENTRYIDS_H
#define PARLAVOX_GUI_CONTACTS_CONTACTENTRYIDS_H

namespace contactEntryIds {
extern const int ID_ADD_CONTACT;
extern const int ID_REMOVE_CONTACT;
extern const int ID_OPEN_PRIVATE_CHATROOM;
extern const int ID_DISPLAY_PROFILE;
extern const int ID_HOVER_TIMER;
extern const int ID_REPORT_ABUSE;
extern const int ID_BLOCK_CONTACT;
extern const int ID_UNBLOCK_CONTACT;
extern const int ID_BLINK_TIMER;
extern const int ID_INVITE_TO_PARLAVOX;
}  // namespace contactEntryIds

#endif
