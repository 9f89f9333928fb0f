#include "kx/platform/Lists.h"

#include <gtest/gtest.h>

#include "support/Raised.h"

namespace kx {

namespace {

// Counts its destructions; may take a sibling out of the list when freed.
class TTracked : public TObject {
 public:
  explicit TTracked(int& freed, TList* list = nullptr, TObject* sibling = nullptr)
      : mFreed(freed), mList(list), mSibling(sibling) {}
  ~TTracked() override {
    ++mFreed;
    if (mList && mSibling) mList->Remove(mSibling);
  }

 private:
  int& mFreed;
  TList* mList;
  TObject* mSibling;
};

}  // namespace

TEST(TList, BadIndexRaisesWithTheIndex) {
  TList list;
  list.Add(&list);
  EXPECT_THROW(list.Items(1), EListError);
  EXPECT_THROW(list.Items(-1), EListError);
  EXPECT_THROW(list.Insert(2, nullptr), EListError);
  EXPECT_NO_THROW(list.Insert(1, nullptr));
  EXPECT_EQ(test::MessageOf<EListError>([&] { list.Delete(5); }), "List index out of bounds (5)");
}

TEST(TObjectList, FreesWhatItOwnsButNotWhatIsExtracted) {
  int freed = 0;
  auto* extracted = new TTracked(freed);
  {
    TObjectList list;
    auto* first = new TTracked(freed);
    list.Add(first);
    list.Add(extracted);
    list.Add(new TTracked(freed));
    list.Add(new TTracked(freed));
    EXPECT_EQ(list.Extract(extracted), extracted);
    EXPECT_EQ(list.Remove(first), 0);
    EXPECT_EQ(freed, 1);
    list.SetItems(0, new TTracked(freed));  // the replaced object is freed
    EXPECT_EQ(freed, 2);
    EXPECT_EQ(list.Count(), 2);
  }
  EXPECT_EQ(freed, 4);
  delete extracted;
}

TEST(TObjectList, FreesNothingWithoutOwnership) {
  int freed = 0;
  TTracked a(freed), b(freed);
  {
    TObjectList list(false);
    list.Add(&a);
    list.Add(&b);
    list.Delete(0);
  }
  EXPECT_EQ(freed, 0);
}

// An object whose destruction frees a sibling must not leave Clear with a dangling slot.
TEST(TObjectList, ClearSurvivesAnObjectThatRemovesASibling) {
  int freed = 0;
  TObjectList list;
  auto* sibling = new TTracked(freed);
  list.Add(sibling);
  list.Add(new TTracked(freed));
  list.Add(new TTracked(freed, &list, sibling));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(freed, 3);
}

}  // namespace kx
