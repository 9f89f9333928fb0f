// Pointer lists that sort stably: MergeSortList and the TKXList/TKXObjectList
// that sort with it. The compare function may be inconsistent without harm: the
// sort never reads outside the list and always leaves a permutation of it.
#pragma once

#include "kx/platform/Lists.h"

namespace kx {

// Stable merge sort of the list's items; halves of up to 32 items are sorted by
// insertion. What compare raises passes through, with every item still in the list.
void MergeSortList(TList& list, const TListSortCompare& compare);

class TKXList : public TList {
 public:
  void Sort(const TListSortCompare& compare) { MergeSort(compare); }
  void MergeSort(const TListSortCompare& compare) { MergeSortList(*this, compare); }
  // Stable too: the merge sort serves here as well.
  void QuickSort(const TListSortCompare& compare) { MergeSort(compare); }
};

class TKXObjectList : public TObjectList {
 public:
  using TObjectList::TObjectList;

  void Sort(const TListSortCompare& compare) { MergeSort(compare); }
  void MergeSort(const TListSortCompare& compare) { MergeSortList(*this, compare); }
  // Stable too: the merge sort serves here as well.
  void QuickSort(const TListSortCompare& compare) { MergeSort(compare); }
};

}  // namespace kx
