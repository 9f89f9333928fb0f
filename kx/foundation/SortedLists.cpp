#include "kx/foundation/SortedLists.h"

#include <algorithm>
#include <vector>

namespace kx {

namespace {

class TMergeSorter {
 public:
  TMergeSorter(std::span<void*> items, const TListSortCompare& compare)
      : mItems(items), mCompare(compare), mBuffer(items.size() / 2 + 1) {}

  void Sort(std::size_t lo, std::size_t hi) {  // inclusive bounds, lo < hi
    const std::size_t mid = lo + (hi - lo) / 2;
    SortHalf(lo, mid);
    SortHalf(mid + 1, hi);
    Merge(lo, mid, hi);
  }

 private:
  void SortHalf(std::size_t lo, std::size_t hi) {
    if (hi - lo + 1 > 32)
      Sort(lo, hi);
    else
      InsertionSort(lo, hi);
  }

  // Each item moves left past every item that compares greater than it.
  void InsertionSort(std::size_t lo, std::size_t hi) {
    for (std::size_t i = lo + 1; i <= hi; ++i) {
      void* item = mItems[i];
      std::size_t j = i;
      try {
        while (j > lo && mCompare(mItems[j - 1], item) > 0) {
          mItems[j] = mItems[j - 1];
          --j;
        }
      } catch (...) {
        mItems[j] = item;  // the list stays a permutation of itself
        throw;
      }
      mItems[j] = item;
    }
  }

  // The left half goes to the buffer; a right item is taken only when the
  // buffered left item compares greater, so equal items keep their order.
  void Merge(std::size_t lo, std::size_t mid, std::size_t hi) {
    const std::size_t leftCount = mid - lo + 1;
    std::copy(mItems.begin() + std::ptrdiff_t(lo), mItems.begin() + std::ptrdiff_t(mid + 1),
              mBuffer.begin());
    std::size_t i = 0, j = mid + 1, k = lo;
    try {
      while (i < leftCount && j <= hi) {
        if (mCompare(mBuffer[i], mItems[j]) > 0)
          mItems[k++] = mItems[j++];
        else
          mItems[k++] = mBuffer[i++];
      }
    } catch (...) {
      // The free slots k..j-1 are exactly as many as the buffered items left.
      while (i < leftCount) mItems[k++] = mBuffer[i++];
      throw;
    }
    while (i < leftCount) mItems[k++] = mBuffer[i++];
  }

  std::span<void*> mItems;
  const TListSortCompare& mCompare;
  std::vector<void*> mBuffer;
};

}  // namespace

void MergeSortList(TList& list, const TListSortCompare& compare) {
  const std::span<void*> items = list.List();
  if (items.size() < 2) return;
  TMergeSorter(items, compare).Sort(0, items.size() - 1);
}

}  // namespace kx
