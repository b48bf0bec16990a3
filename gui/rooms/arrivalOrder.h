// Items kept in the order they came, where the place of an item and the item at a place are both
// found in logarithmic time however many items there are: each item takes the next slot, one
// that leaves frees its slot, and a tree of counts over the slots tells how many items stand
// before a slot. Once the free slots are as many as the items, the items are packed into the
// first slots again (each item's `slot` follows), which costs what one item costs, taken over
// the departures that made it due.
#ifndef PARLAVOX_GUI_ROOMS_ARRIVALORDER_H
#define PARLAVOX_GUI_ROOMS_ARRIVALORDER_H

#include <cstddef>
#include <vector>

// T has a member `size_t slot`, which the order keeps.
template <typename T>
class ArrivalOrder {
 public:
  size_t Size() const { return m_count; }

  void Append(T* item) {
    item->slot = m_slots.size();
    m_slots.push_back(item);
    // The count of slot i (counted from 1) covers the slots (i - lowest bit of i, i].
    const size_t i = m_slots.size();
    m_tree.push_back(1 + Before(i - 1) - Before(i - (i & (0 - i))));
    ++m_count;
  }

  void Remove(T* item) {
    const size_t slot = item->slot;
    if (slot >= m_slots.size() || m_slots[slot] != item) return;
    m_slots[slot] = nullptr;
    for (size_t i = slot + 1; i <= m_tree.size(); i += i & (0 - i)) --m_tree[i - 1];
    --m_count;
    if (m_slots.size() > 2 * m_count + kLeastSlots) Pack();
  }

  void Clear() {
    m_slots.clear();
    m_tree.clear();
    m_count = 0;
  }

  // How many items came before `item` and are still there.
  size_t IndexOf(const T* item) const { return Before(item->slot); }

  // The item at `index` (0 for the first), null past the last one.
  T* At(size_t index) const {
    if (index >= m_count) return nullptr;
    // Down the tree: the last slot before which `index` items or fewer stand.
    size_t slot = 0;
    size_t left = index;
    size_t step = 1;
    while (step * 2 <= m_tree.size()) step *= 2;
    for (; step > 0; step /= 2) {
      if (slot + step <= m_tree.size() && size_t(m_tree[slot + step - 1]) <= left) {
        slot += step;
        left -= size_t(m_tree[slot - 1]);
      }
    }
    return m_slots[slot];
  }

  // Calls f(item) for every item, first come first.
  template <typename F>
  void ForEach(F f) const {
    for (T* item : m_slots)
      if (item) f(item);
  }

 private:
  // Below this many slots, free ones are never packed away.
  static const size_t kLeastSlots = 64;

  // The items in slots [0, slot).
  size_t Before(size_t slot) const {
    long count = 0;
    for (size_t i = slot; i > 0; i -= i & (0 - i)) count += m_tree[i - 1];
    return size_t(count);
  }

  void Pack() {
    std::vector<T*> slots;
    slots.reserve(m_count);
    for (T* item : m_slots)
      if (item) slots.push_back(item);
    Clear();
    for (T* item : slots) Append(item);
  }

  std::vector<T*> m_slots;
  std::vector<long> m_tree;
  size_t m_count = 0;
};

#endif
