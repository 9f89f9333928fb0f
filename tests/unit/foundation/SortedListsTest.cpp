#include "kx/foundation/SortedLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace kx {

namespace {

class TRecord : public TObject {
 public:
  TRecord(int key, int order) : mKey(key), mOrder(order) {}
  int mKey;
  int mOrder;
};

int ByKey(void* a, void* b) {
  return static_cast<TRecord*>(a)->mKey - static_cast<TRecord*>(b)->mKey;
}

// count records whose keys repeat often, in their order of insertion
void Fill(TKXObjectList& list, int count) {
  for (int i = 0; i < count; ++i) list.Add(new TRecord((i * 7919) % 5, i));
}

// Sorted by key, and equal keys keep their order of insertion.
void ExpectStablySorted(TKXObjectList& list, int count) {
  ASSERT_EQ(list.Count(), count);
  for (int i = 1; i < list.Count(); ++i) {
    const auto* prev = static_cast<TRecord*>(list.Items(i - 1));
    const auto* item = static_cast<TRecord*>(list.Items(i));
    ASSERT_LE(prev->mKey, item->mKey) << i;
    if (prev->mKey == item->mKey) {
      ASSERT_LT(prev->mOrder, item->mOrder) << i;
    }
  }
}

std::vector<void*> Items(TList& list) {
  std::vector<void*> items(list.List().begin(), list.List().end());
  std::sort(items.begin(), items.end());
  return items;
}

}  // namespace

TEST(MergeSortList, KeepsTheOrderOfEqualKeys) {
  for (int count : {0, 1, 2, 31, 32, 33, 34, 65, 66, 100, 1000}) {
    SCOPED_TRACE(count);
    TKXObjectList list;
    Fill(list, count);
    list.MergeSort(ByKey);
    ExpectStablySorted(list, count);
  }
}

TEST(MergeSortList, SortAndQuickSortAreStableToo) {
  TKXObjectList sorted, quick;
  Fill(sorted, 100);
  Fill(quick, 100);
  sorted.Sort(ByKey);
  quick.QuickSort(ByKey);
  ExpectStablySorted(sorted, 100);
  ExpectStablySorted(quick, 100);
}

TEST(MergeSortList, SortsAPlainPointerList) {
  int values[] = {5, 3, 9, 1, 3};
  TKXList list;
  for (int& v : values) list.Add(&v);
  list.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  EXPECT_EQ(list.Items(0), &values[3]);
  EXPECT_EQ(list.Items(1), &values[1]);  // the first 3 stays first
  EXPECT_EQ(list.Items(2), &values[4]);
  EXPECT_EQ(list.Items(4), &values[2]);
}

// A comparator without a consistent order must not make the sort read or write
// outside the list, nor lose or duplicate an item.
TEST(MergeSortList, InconsistentCompareKeepsEveryItem) {
  TKXObjectList list;
  Fill(list, 1000);
  const std::vector<void*> before = Items(list);
  unsigned state = 12345;
  list.MergeSort([&state](void*, void*) {
    state = state * 1103515245u + 12345u;
    return int(state >> 16) % 3 - 1;
  });
  EXPECT_EQ(Items(list), before);
  list.MergeSort([](void*, void*) { return 1; });
  EXPECT_EQ(Items(list), before);
}

// What compare raises passes through; the list still holds each item once, so
// the owning list frees every record exactly once. Fails at every 5th call, in
// insertion sorts and merges alike.
TEST(MergeSortList, RaisingCompareLeavesEveryItemInTheList) {
  int total = 0;
  {
    TKXObjectList list;
    Fill(list, 100);
    list.MergeSort([&](void* a, void* b) { return ++total, ByKey(a, b); });
  }
  for (int failAt = 1; failAt <= total; failAt += 5) {
    SCOPED_TRACE(failAt);
    TKXObjectList list;
    Fill(list, 100);
    const std::vector<void*> before = Items(list);
    int calls = 0;
    EXPECT_THROW(list.MergeSort([&](void* a, void* b) {
      if (++calls == failAt) throw std::runtime_error("compare");
      return ByKey(a, b);
    }),
                 std::runtime_error);
    ASSERT_EQ(Items(list), before);
  }
}

}  // namespace kx
