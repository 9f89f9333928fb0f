#include "kx/platform/Collections.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Raised.h"

namespace kx {
namespace {

class TNamedItem : public TCollectionItem {
 public:
  std::string Text;

  void SetText(const std::string& value) {
    Text = value;
    Changed(false);
  }
  void Assign(const TPersistent* source) override {
    if (auto* item = dynamic_cast<const TNamedItem*>(source)) {
      Text = item->Text;
    } else {
      TCollectionItem::Assign(source);
    }
  }
};

// Counts Update calls: "*" for the whole collection, the item's text otherwise.
class TNamedItems : public TOwnedCollection {
 public:
  explicit TNamedItems(TPersistent* owner = nullptr) : TOwnedCollection(owner, CollectionItemClass<TNamedItem>()) {}
  TNamedItem* Add(const std::string& text) {
    auto* item = static_cast<TNamedItem*>(TCollection::Add());
    item->Text = text;
    return item;
  }
  TNamedItem* Item(int index) const { return static_cast<TNamedItem*>(Items(index)); }
  std::string Texts() const {
    std::string texts;
    for (int i = 0; i < Count(); ++i) texts += Item(i)->Text;
    return texts;
  }
  std::vector<std::string> Updates;

 protected:
  void Update(TCollectionItem* item) override {
    Updates.push_back(item ? static_cast<TNamedItem*>(item)->Text : "*");
  }
};

TEST(TCollection, AddInsertDeleteAndMoveKeepTheOrder) {
  TNamedItems items;
  items.Add("a");
  items.Add("b");
  static_cast<TNamedItem*>(items.Insert(0))->Text = "c";
  EXPECT_EQ(items.Texts(), "cab");
  EXPECT_EQ(items.Item(2)->Index(), 2);
  EXPECT_EQ(items.Item(2)->Collection(), &items);

  items.Item(0)->SetIndex(2);
  EXPECT_EQ(items.Texts(), "abc");
  items.Delete(1);
  EXPECT_EQ(items.Texts(), "ac");
  static_cast<TNamedItem*>(items.Insert(2))->Text = "d";  // Insert at Count appends
  EXPECT_EQ(items.Texts(), "acd");
  items.Clear();
  EXPECT_EQ(items.Count(), 0);
}

TEST(TCollection, IndexesOutOfRangeRaise) {
  TNamedItems items;
  items.Add("a");
  struct Case {
    const char* what;
    std::function<void()> call;
    const char* message;
  };
  const Case cases[] = {
      {"Items(1)", [&] { items.Items(1); }, "List index out of bounds (1)"},
      {"Items(-1)", [&] { items.Items(-1); }, "List index out of bounds (-1)"},
      {"Delete(1)", [&] { items.Delete(1); }, "List index out of bounds (1)"},
      {"Insert(2)", [&] { items.Insert(2); }, "List index out of bounds (2)"},
      {"SetIndex(1)", [&] { items.Item(0)->SetIndex(1); }, "List index out of bounds (1)"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(test::MessageOf<EListError>(c.call), c.message);
  }
  EXPECT_EQ(items.Texts(), "a");
}

TEST(TCollection, FreedItemLeavesItsCollection) {
  TNamedItems items;
  items.Add("a");
  TNamedItem* b = items.Add("b");
  items.Add("c");
  b->Free();
  EXPECT_EQ(items.Texts(), "ac");
  delete items.Item(0);
  EXPECT_EQ(items.Texts(), "c");
}

TEST(TCollection, UpdateIsCalledAfterChangesUnlessHeld) {
  TNamedItems items;
  TNamedItem* a = items.Add("a");
  EXPECT_EQ(items.Updates, (std::vector<std::string>{"*"}));
  items.Updates.clear();
  a->SetText("x");
  EXPECT_EQ(items.Updates, (std::vector<std::string>{"x"}));
  items.Updates.clear();

  items.BeginUpdate();
  items.BeginUpdate();
  items.Add("b");
  a->SetText("y");
  items.Delete(1);
  items.EndUpdate();
  EXPECT_TRUE(items.Updates.empty());
  items.EndUpdate();
  EXPECT_EQ(items.Updates, (std::vector<std::string>{"*"}));
  items.EndUpdate();  // unbalanced: ignored
  EXPECT_EQ(items.UpdateCount(), 0);
}

TEST(TCollection, AssignCopiesEveryItem) {
  TNamedItems source, target;
  source.Add("a");
  source.Add("b");
  target.Add("z");
  target.Assign(&source);
  EXPECT_EQ(target.Texts(), "ab");
  EXPECT_NE(target.Items(0), source.Items(0));
  EXPECT_EQ(target.Updates.back(), "*");

  TPersistent unrelated;
  EXPECT_THROW(target.Assign(&unrelated), EConvertError);
}

}  // namespace
}  // namespace kx
