// The row windows (ContactEntry) that a long list of contacts keeps aside for reuse: a list gives
// a window only to the rows in sight and near it, and a window whose row goes out of sight comes
// here, hidden, to show the next row that comes into sight instead of a new window being made.
// The windows stay children of the list, which destroys them with itself; a list keeps at most
// kMaxSpare of them, the others are discarded.
#ifndef PARLAVOX_GUI_CONTACTS_ROWWINDOWPOOL_H
#define PARLAVOX_GUI_CONTACTS_ROWWINDOWPOOL_H

#include <cstddef>
#include <functional>
#include <vector>

class ContactEntry;
class ContactInfo;

class RowWindowPool {
 public:
  // Makes a new row window, on the list, for a contact that no window kept aside can show.
  using Maker = std::function<ContactEntry*(const ContactInfo& contact, bool subscribed)>;

  static constexpr size_t kMaxSpare = 48;

  explicit RowWindowPool(Maker maker);
  // A window showing `contact` (`subscribed`: the first state of its room icon): the window kept
  // aside last that can show it, else a new one. Hidden, until its row places it.
  ContactEntry* Take(const ContactInfo& contact, bool subscribed);
  // A window whose row went out of sight: kept aside, hidden, or discarded when enough are kept.
  void Give(ContactEntry* window);
  size_t Size() const { return m_spare.size(); }
  // The windows kept aside call their listener no more.
  void ForgetListener();

 private:
  Maker m_maker;
  std::vector<ContactEntry*> m_spare;
};

#endif
