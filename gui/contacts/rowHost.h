// A window that places contact rows itself (a block of the contacts list, a room's member
// column): a row whose height changed tells it, instead of laying out its parent and the windows
// above, which would measure every row again.
#ifndef PARLAVOX_GUI_CONTACTS_ROWHOST_H
#define PARLAVOX_GUI_CONTACTS_ROWHOST_H

class ContactEntry;

class RowHost {
 public:
  virtual ~RowHost() {}
  // `row` changed its height, or was shown or hidden.
  virtual void RowResized(ContactEntry* row) = 0;
};

#endif
