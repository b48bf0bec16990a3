// Rows and blocks of the contacts list leave the screen at once but are destroyed only once no
// menu or question of the list is open: those run nested event loops in which the server's
// updates are handled, and the window that opened one must still exist when it returns.
#ifndef PARLAVOX_GUI_CONTACTS_LATEDESTRUCTION_H
#define PARLAVOX_GUI_CONTACTS_LATEDESTRUCTION_H

class wxWindow;

namespace lateDestruction {

// Held while a menu, a question or a handler that may run one is open.
class Hold {
 public:
  Hold();
  ~Hold();
  Hold(const Hold&) = delete;
  Hold& operator=(const Hold&) = delete;
};

// Hides `window`, takes it out of its sizer and destroys it from the event loop once no Hold
// is left (at once when none is held).
void Discard(wxWindow* window);
// A menu, a question or a handler that may run one is open.
bool Held();
// Windows discarded and not destroyed yet.
int Waiting();

}  // namespace lateDestruction

#endif
