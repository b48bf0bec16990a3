// The members of one chat room as the controller keeps them: in order of arrival, each found by
// its login at once, so that a member coming or going costs the same in a room of thousands.
#ifndef PARLAVOX_CORE_ROOMMEMBERS_H
#define PARLAVOX_CORE_ROOMMEMBERS_H

#include <list>
#include <string>
#include <unordered_map>
#include <vector>

class ContactInfo;

class RoomMembers {
 public:
  // False when a member of that login is there already.
  bool Add(ContactInfo* contact);
  void Remove(const std::string& login);
  bool Has(const ContactInfo* contact) const;
  bool Empty() const { return m_order.empty(); }
  // The members, first come first.
  std::vector<ContactInfo*> List() const { return std::vector<ContactInfo*>(m_order.begin(), m_order.end()); }

 private:
  std::list<ContactInfo*> m_order;
  std::unordered_map<std::string, std::list<ContactInfo*>::iterator> m_byLogin;
};

#endif
