// The order of a room's members: against a plain list, through arrivals and departures at every
// place (first, last, middle, all), the packing away of the slots left free, and coming back.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "gui/rooms/arrivalOrder.h"

namespace {

struct Item {
  int id = 0;
  size_t slot = 0;
};

void ExpectSame(const std::vector<Item*>& plain, const ArrivalOrder<Item>& order) {
  ASSERT_EQ(plain.size(), order.Size());
  for (size_t i = 0; i < plain.size(); ++i) {
    ASSERT_EQ(plain[i], order.At(i)) << i;
    ASSERT_EQ(i, order.IndexOf(plain[i])) << i;
  }
  EXPECT_EQ(nullptr, order.At(plain.size()));
  std::vector<Item*> walked;
  order.ForEach([&walked](Item* item) { walked.push_back(item); });
  EXPECT_EQ(plain, walked);
}

TEST(ArrivalOrder, PlacesAndItemsFollowArrivalsAndDeparturesAnywhere) {
  std::vector<std::unique_ptr<Item>> items;
  for (int i = 0; i < 2000; ++i) items.emplace_back(new Item{i, 0});
  ArrivalOrder<Item> order;
  std::vector<Item*> plain;
  ExpectSame(plain, order);
  EXPECT_EQ(nullptr, order.At(0));

  // In, then the first, the last and one in the middle out; an item already out changes nothing.
  for (int i = 0; i < 300; ++i) {
    order.Append(items[size_t(i)].get());
    plain.push_back(items[size_t(i)].get());
  }
  ExpectSame(plain, order);
  for (Item* gone : {items[0].get(), items[299].get(), items[150].get(), items[150].get()}) {
    order.Remove(gone);
    plain.erase(std::remove(plain.begin(), plain.end(), gone), plain.end());
  }
  ExpectSame(plain, order);

  // Many rounds of people coming and going at random places: the free slots are packed away
  // again and again, and each item keeps its place.
  std::mt19937 random(7);
  size_t next = 300;
  for (int round = 0; round < 4000; ++round) {
    const bool arrive = next < items.size() && (plain.empty() || random() % 3 != 0);
    if (!arrive && plain.empty()) break;
    if (arrive) {
      order.Append(items[next].get());
      plain.push_back(items[next++].get());
    } else {
      const size_t at = random() % plain.size();
      order.Remove(plain[at]);
      plain.erase(plain.begin() + long(at));
    }
    if (round % 97 == 0) ExpectSame(plain, order);
  }
  ExpectSame(plain, order);

  // Everyone out, front first; then some come back, at the end.
  while (!plain.empty()) {
    order.Remove(plain.front());
    plain.erase(plain.begin());
  }
  ExpectSame(plain, order);
  for (int i : {5, 3, 9}) {
    order.Append(items[size_t(i)].get());
    plain.push_back(items[size_t(i)].get());
  }
  ExpectSame(plain, order);
  order.Clear();
  plain.clear();
  ExpectSame(plain, order);
}

}  // namespace
