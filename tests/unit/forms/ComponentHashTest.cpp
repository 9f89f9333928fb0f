#include "kx/forms/ComponentHash.h"

#include <gtest/gtest.h>

#include <string>

#include "support/FormTestControls.h"

namespace kx {
namespace {

using test::AddControl;

int CompareExact(std::string_view a, std::string_view b) { return CompareStr(a, b); }
int CompareIgnoringCase(std::string_view a, std::string_view b) { return CompareText(a, b); }
std::uint32_t FirstByte(std::string_view key) { return key.empty() ? 0 : std::uint8_t(key[0]); }

TEST(ELFHash, HashesUtf16CodeUnits) {
  // U+00E9 is one code unit (0xE9), not its two UTF-8 bytes; U+1F600 is the surrogate pair D83D DE00.
  EXPECT_EQ(ELFHash("\xC3\xA9"), 0xE9u);
  EXPECT_EQ(ELFHash("\xF0\x9F\x98\x80"), 0xD83Du * 16 + 0xDE00u);
}

TEST(THashTable, SizeBelowFourMakes200Buckets) {
  struct TCase {
    int Size;
    std::uint32_t Buckets;
  };
  for (const TCase& c : {TCase{-1, 200}, TCase{0, 200}, TCase{3, 200}, TCase{4, 4}, TCase{17, 17}}) {
    SCOPED_TRACE(c.Size);
    EXPECT_EQ(THashTable(c.Size, &CompareExact, &ELFHash).Size(), c.Buckets);
  }
}

TEST(THashTable, DuplicateKeyRaisesWithTheKeyUnlessIgnored) {
  THashTable table(4, &CompareIgnoringCase, &FirstByte);
  TObject first, second;
  table.Add("key", &first);
  try {
    table.Add("kEY", &second);
    FAIL() << "no exception";
  } catch (const EHashTableException& e) {
    EXPECT_STREQ(e.what(), "Item is already in the table. \"kEY\"");
  }
  table.SetIgnoreDuplicates(true);
  table.Add("kEY", &second);
  EXPECT_EQ(table.LookUp("key"), &first);
  EXPECT_EQ(table.GetLoadFactor(), 1.0);
}

// Keys that differ in case meet only when they hash alike: the component hash upper-cases.
TEST(THashTable, CaseInsensitiveKeysMeetOnlyInTheSameBucket) {
  THashTable table(200, &CompareIgnoringCase, &ELFHash);
  TObject value;
  table.Add("EDIT1", &value);
  EXPECT_EQ(table.LookUp("EDIT1"), &value);
  EXPECT_EQ(table.LookUp("edit1"), nullptr);
}

TEST(THashTable, LookUpAndRemoveTakesTheItemButNotTheValue) {
  THashTable table(8, &CompareExact, &ELFHash);
  TObject a, b;
  table.Add("a", &a);
  table.Add("b", &b);
  EXPECT_EQ(table.LookUpAndRemove("missing"), nullptr);
  EXPECT_EQ(table.GetLoadFactor(), 2.0);
  EXPECT_EQ(table.LookUpAndRemove("a"), &a);
  EXPECT_EQ(table.LookUp("a"), nullptr);
  EXPECT_FALSE(table.ContainsValue(&a));
  EXPECT_TRUE(table.ContainsValue(&b));
}

TEST(THashTable, WithoutAHashFunctionNothingIsAddedAndLookUpsRaise) {
  THashTable table(8, &CompareExact, nullptr);
  TObject value;
  table.Add("a", &value);
  EXPECT_EQ(table.GetLoadFactor(), 0.0);
  try {
    table.LookUp("a");
    FAIL();
  } catch (const EHashTableException& e) {
    EXPECT_STREQ(e.what(), "Unable to create hash value for current key @ THashTable.LookUp");
  }
  try {
    table.LookUpAndRemove("a");
    FAIL();
  } catch (const EHashTableException& e) {
    EXPECT_STREQ(e.what(), "Unable to create hash value for current key @ THashTable.LookUpAndRemove");
  }
}

// The items lie in one list ordered by bucket: adds and removals in buckets before, between and after the ones in
// use, and resizes to fewer and more buckets, must each leave every key where a look-up finds it.
TEST(THashTable, AddsAndRemovalsInAnyBucketOrderKeepLookUpsRight) {
  THashTable table(26, &CompareExact, &FirstByte);  // one bucket per first letter ('a' is 97 % 26 = 19)
  TObject values[8];
  const char* keys[] = {"m1", "c1", "z1", "m2", "a1", "c2", "z2", "b1"};
  for (int i = 0; i < 8; ++i) table.Add(keys[i], &values[i]);
  EXPECT_EQ(table.LookUpAndRemove("c1"), &values[1]);
  EXPECT_EQ(table.LookUpAndRemove("z2"), &values[6]);
  TObject later;
  table.Add("c3", &later);
  for (std::uint32_t size : {26u, 3u, 1u, 200u}) {
    SCOPED_TRACE(size);
    table.ResizeTable(size);
    for (int i : {0, 2, 3, 4, 5, 7}) EXPECT_EQ(table.LookUp(keys[i]), &values[i]) << keys[i];
    EXPECT_EQ(table.LookUp("c1"), nullptr);
    EXPECT_EQ(table.LookUp("z2"), nullptr);
    EXPECT_EQ(table.LookUp("c3"), &later);
    EXPECT_EQ(table.GetLoadFactor(), 7.0);
  }
}

TEST(THashTable, ResizeKeepsEveryItemAndClearEmpties) {
  THashTable table(4, &CompareExact, &ELFHash);
  TObject values[20];
  for (int i = 0; i < 20; ++i) table.Add("key" + std::to_string(i), &values[i]);
  table.ResizeTable(7);
  EXPECT_EQ(table.Size(), 7u);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(table.LookUp("key" + std::to_string(i)), &values[i]);
  try {
    table.ResizeTable(0);
    FAIL();
  } catch (const EHashTableException& e) {
    EXPECT_STREQ(e.what(), "Probably want to use a positive meaningful value for new table size.");
  }
  EXPECT_EQ(table.Size(), 7u);
  table.Clear(11);
  EXPECT_EQ(table.Size(), 11u);
  EXPECT_EQ(table.GetLoadFactor(), 0.0);
  EXPECT_EQ(table.LookUp("key1"), nullptr);
}

// An edit posting under two names, as check boxes post NAME_CHECKBOX.
class TTwoNameEdit : public test::TFlowEdit {
  KX_COMPONENT_CLASS(TTwoNameEdit, test::TFlowEdit)

 public:
  void GetInputControlNames(TStrings& list) override {
    list.Clear();
    list.Add(HTMLName());
    list.Add(HTMLName() + "_checkbox");
    list.Add("");
  }
};

class TPlainForm : public TKXForm {
  KX_COMPONENT_CLASS(TPlainForm, TKXForm)
};

TEST(TKXComponentHash, IndexesHtmlAndInputNamesButNotPlainContainers) {
  TOwnedComponent<TPlainForm> form(TComponent::Create<TPlainForm>(nullptr));
  auto* edit = AddControl<TTwoNameEdit>(form.get(), form.get(), "Edit1", 0, 0);
  auto* panel = AddControl<test::TFlowPanel>(form.get(), form.get(), "Panel1", 0, 40);
  auto* inner = AddControl<test::TFlowLabel>(form.get(), panel, "Label1", 0, 0);

  TKXComponentHash hash;
  EXPECT_TRUE(hash.NeedsRefresh());
  hash.Populate(form.get());
  EXPECT_FALSE(hash.NeedsRefresh());
  EXPECT_EQ(hash.LookUp("edit1"), edit);
  EXPECT_EQ(hash.LookUp("EDIT1_CHECKBOX"), edit);
  EXPECT_EQ(hash.LookUp("label1"), inner);
  // The panel neither takes input nor submits: only its controls are found.
  EXPECT_EQ(hash.LookUp("PANEL1"), nullptr);
  EXPECT_EQ(hash.GetLoadFactor(), 3.0);
}

TEST(TKXComponentHash, PopulateForgetsComponentsThatLeft) {
  TOwnedComponent<TPlainForm> form(TComponent::Create<TPlainForm>(nullptr));
  auto* edit = AddControl<test::TFlowEdit>(form.get(), form.get(), "Edit1", 0, 0);
  TKXComponentHash hash;
  hash.Populate(form.get());
  ASSERT_EQ(hash.LookUp("EDIT1"), edit);
  edit->Free();
  hash.Populate(form.get());
  EXPECT_EQ(hash.LookUp("EDIT1"), nullptr);
}

}  // namespace
}  // namespace kx
