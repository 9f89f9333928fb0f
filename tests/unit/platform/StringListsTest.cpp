#include "kx/platform/StringLists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include "support/Raised.h"

namespace kx {

namespace {

std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

// Counts its own destruction.
class TTracked : public TObject {
 public:
  explicit TTracked(int& freed) : mFreed(freed) {}
  ~TTracked() override { ++mFreed; }

 private:
  int& mFreed;
};

using test::MessageOf;

using V = std::vector<std::string>;

}  // namespace

TEST(TStringList, AddInsertDeleteKeepOrder) {
  TStringList list;
  EXPECT_EQ(list.Add("one"), 0);
  EXPECT_EQ(list.Add("two"), 1);
  list.Insert(0, "zero");
  list.Insert(3, "three");
  EXPECT_EQ(Lines(list), (V{"zero", "one", "two", "three"}));
  list.Delete(1);
  list.Exchange(0, 2);
  EXPECT_EQ(Lines(list), (V{"three", "two", "zero"}));
  list.Move(0, 2);
  EXPECT_EQ(Lines(list), (V{"two", "zero", "three"}));
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(TStringList, IndexOutOfBoundsRaisesWithTheIndex) {
  TStringList list;
  list.Add("a");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Strings(1); }), "List index out of bounds (1)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Strings(-1); }), "List index out of bounds (-1)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Delete(3); }), "List index out of bounds (3)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(2, "x"); }), "List index out of bounds (2)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Objects(5); }), "List index out of bounds (5)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Move(0, 1); }), "List index out of bounds (1)");
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetCapacity(0); }), "List capacity out of bounds (0)");
  EXPECT_EQ(list.Count(), 1);
}

TEST(TStringList, SortedListInsertsInOrderAndFindsByBinarySearch) {
  TStringList list;
  list.SetSorted(true);
  for (const char* s : {"pear", "Apple", "fig", "banana"}) list.Add(s);
  EXPECT_EQ(Lines(list), (V{"Apple", "banana", "fig", "pear"}));
  int index = -1;
  EXPECT_TRUE(list.Find("FIG", index));
  EXPECT_EQ(index, 2);
  EXPECT_FALSE(list.Find("cherry", index));
  EXPECT_EQ(index, 2);  // where it would go
  EXPECT_FALSE(list.Find("zz", index));
  EXPECT_EQ(index, 4);
  EXPECT_EQ(list.IndexOf("apple"), 0);
  EXPECT_EQ(list.IndexOf("kiwi"), -1);
}

TEST(TStringList, SortedListRefusesPositionalChanges) {
  TStringList list;
  list.Add("b");
  list.Add("a");
  list.SetSorted(true);
  EXPECT_EQ(Lines(list), (V{"a", "b"}));
  const std::string expected = "Operation not allowed on sorted list";
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Insert(0, "c"); }), expected);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.SetStrings(0, "c"); }), expected);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Exchange(0, 1); }), expected);
  EXPECT_EQ(MessageOf<EStringListError>([&] { list.Move(0, 1); }), expected);
  EXPECT_EQ(Lines(list), (V{"a", "b"}));
}

TEST(TStringList, DuplicatesInSortedList) {
  {
    TStringList list;
    list.SetSorted(true);
    list.Add("b");
    list.Add("a");
    EXPECT_EQ(list.Add("B"), 1);  // dupIgnore (the default): the index of the equal line
    EXPECT_EQ(Lines(list), (V{"a", "b"}));
  }
  {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupError);
    list.Add("a");
    EXPECT_EQ(MessageOf<EStringListError>([&] { list.Add("A"); }), "String list does not allow duplicates");
    EXPECT_EQ(list.Count(), 1);
  }
  {
    TStringList list;
    list.SetSorted(true);
    list.SetDuplicates(dupAccept);
    list.Add("x");
    list.Add("b1");
    EXPECT_EQ(list.Add("B1"), 1);  // after its equal
    EXPECT_EQ(list.Add("b1"), 2);
    EXPECT_EQ(list.Add("a"), 0);
    EXPECT_EQ(Lines(list), (V{"a", "b1", "B1", "b1", "x"}));
    int index = -1;
    EXPECT_TRUE(list.Find("B1", index));
    EXPECT_EQ(index, 1);  // the first of the equals
  }
  {
    TStringList list;  // unsorted lists take everything
    list.SetDuplicates(dupError);
    list.Add("a");
    list.Add("a");
    EXPECT_EQ(list.Count(), 2);
  }
}

TEST(TStringList, CaseSensitivityDecidesEqualityAndOrder) {
  TStringList list;
  list.SetSorted(true);
  list.SetDuplicates(dupAccept);
  for (const char* s : {"b", "B", "a", "A"}) list.Add(s);
  EXPECT_EQ(Lines(list), (V{"a", "A", "b", "B"}));
  list.SetCaseSensitive(true);  // re-sorts by bytes
  EXPECT_EQ(Lines(list), (V{"A", "B", "a", "b"}));
  EXPECT_EQ(list.IndexOf("b"), 3);
  EXPECT_EQ(list.IndexOf("c"), -1);
}

TEST(TStringList, SortIsStable) {
  TStringList list;
  for (const char* s : {"b", "A", "B", "a", "c", "b", "A"}) list.Add(s);
  std::vector<std::unique_ptr<TObject>> owned;
  for (int i = 0; i < list.Count(); ++i) {
    owned.push_back(std::make_unique<TObject>());
    list.SetObjects(i, owned.back().get());
  }
  list.Sort();
  EXPECT_EQ(Lines(list), (V{"A", "a", "A", "b", "B", "b", "c"}));
  // Objects travel with their lines, equal lines keep the order they had.
  EXPECT_EQ(list.Objects(0), owned[1].get());
  EXPECT_EQ(list.Objects(1), owned[3].get());
  EXPECT_EQ(list.Objects(2), owned[6].get());
  EXPECT_EQ(list.Objects(3), owned[0].get());
  EXPECT_EQ(list.Objects(6), owned[4].get());
}

TEST(TStringList, CustomSortSurvivesAnInconsistentCompare) {
  TStringList list;
  for (int i = 0; i < 200; ++i) list.Add(std::to_string(i));
  int calls = 0;
  list.CustomSort([&](TStringList&, int, int) { return (++calls % 3) - 1; });  // not an order at all
  ASSERT_EQ(list.Count(), 200);
  std::vector<std::string> lines = Lines(list);
  std::sort(lines.begin(), lines.end());
  std::vector<std::string> expected;
  for (int i = 0; i < 200; ++i) expected.push_back(std::to_string(i));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(lines, expected);  // still a permutation of the lines
}

TEST(TStringList, OwnsObjectsFreesOnDeleteClearAndDestroy) {
  int freed = 0;
  {
    TStringList list(true);
    list.AddObject("a", new TTracked(freed));
    list.AddObject("b", new TTracked(freed));
    list.AddObject("c", new TTracked(freed));
    list.Add("no object");
    list.Delete(0);
    EXPECT_EQ(freed, 1);
    list.Clear();
    EXPECT_EQ(freed, 3);
    list.AddObject("d", new TTracked(freed));
  }
  EXPECT_EQ(freed, 4);
}

TEST(TStringList, WithoutOwnsObjectsNothingIsFreed) {
  int freed = 0;
  TTracked object(freed);
  {
    TStringList list;
    list.AddObject("a", &object);
    list.Delete(0);
    list.AddObject("b", &object);
    list.Clear();
    list.AddObject("c", &object);
  }
  EXPECT_EQ(freed, 0);
}

TEST(TStringList, OwningSortedListIgnoringADuplicateLeavesItsObjectToTheCaller) {
  int freed = 0;
  TStringList list(true);
  list.SetSorted(true);
  list.AddObject("a", new TTracked(freed));
  TTracked duplicate(freed);
  EXPECT_EQ(list.AddObject("a", &duplicate), 0);
  EXPECT_NE(list.Objects(0), &duplicate);
  list.Clear();
  EXPECT_EQ(freed, 1);
}

TEST(TStrings, NamesAndValues) {
  TStringList list;
  list.SetText("Host=example.org\r\nempty=\r\nplain line\r\nA=1=2\r\n");
  EXPECT_EQ(list.Values("host"), "example.org");  // names compare ignoring case
  EXPECT_EQ(list.Values("a"), "1=2");
  EXPECT_EQ(list.Values("empty"), "");
  EXPECT_EQ(list.Values("plain line"), "");
  EXPECT_EQ(list.IndexOfName("EMPTY"), 1);
  EXPECT_EQ(list.IndexOfName("plain line"), -1);
  EXPECT_EQ(list.Names(2), "");
  EXPECT_EQ(list.ValueFromIndex(2), "");
  EXPECT_EQ(list.Names(3), "A");
  EXPECT_EQ(list.ValueFromIndex(3), "1=2");

  list.SetValues("HOST", "other");  // replaces the line in place
  EXPECT_EQ(list.Strings(0), "HOST=other");
  list.SetValues("new", "v");
  EXPECT_EQ(list.Strings(4), "new=v");
  list.SetValues("a", "");  // an empty value deletes the line
  EXPECT_EQ(list.IndexOfName("a"), -1);
  list.SetValues("absent", "");
  EXPECT_EQ(list.Count(), 4);
}

TEST(TStrings, OtherNameValueSeparator) {
  TStringList headers;
  headers.SetNameValueSeparator(':');
  headers.Add("Content-Type: text/html");
  headers.Add("X=1: y");
  EXPECT_EQ(headers.Values("content-type"), " text/html");
  EXPECT_EQ(headers.Names(1), "X=1");
  headers.SetValues("Server", "kx");
  EXPECT_EQ(headers.Strings(2), "Server:kx");
}

TEST(TStrings, TextJoinsWithCrLfAndSplitsAtAnyBreak) {
  TStringList list;
  list.Add("a");
  list.Add("");
  list.Add("b");
  EXPECT_EQ(list.Text(), "a\r\n\r\nb\r\n");
  struct Case {
    const char* text;
    V lines;
  } cases[] = {
      {"", {}},
      {"\r\n", {""}},
      {"a", {"a"}},
      {"a\r\nb\r\n", {"a", "b"}},
      {"a\nb\rc\r\nd", {"a", "b", "c", "d"}},
      {"a\n\rb", {"a", "", "b"}},  // LF CR is two breaks
      {"a\r\n\r\n", {"a", ""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    list.SetText(c.text);
    EXPECT_EQ(Lines(list), c.lines);
  }
}

TEST(TStrings, CommaTextQuotesWhatWouldSplit) {
  TStringList list;
  for (const char* s : {"plain", "with blank", "say \"hi\"", "a,b", "", "tab\there"}) list.Add(s);
  EXPECT_EQ(list.CommaText(), "plain,\"with blank\",\"say \"\"hi\"\"\",\"a,b\",,\"tab\there\"");
  TStringList copy;
  copy.SetCommaText(list.CommaText());
  EXPECT_EQ(Lines(copy), Lines(list));

  TStringList single;
  single.Add("");
  EXPECT_EQ(single.CommaText(), "\"\"");
  copy.SetCommaText(single.CommaText());
  EXPECT_EQ(Lines(copy), V{""});
  TStringList none;
  EXPECT_EQ(none.CommaText(), "");
}

TEST(TStrings, SetCommaTextParsing) {
  struct Case {
    const char* text;
    V items;
  } cases[] = {
      {"", {}},
      {"   ", {}},
      {"a", {"a"}},
      {"a b", {"a", "b"}},  // blanks separate too
      {" a , \"b c\",,\"d\"\"e\" ,f,", {"a", "b c", "", "d\"e", "f", ""}},
      {",a", {"", "a"}},
      {"\"unclosed, really", {"unclosed, really"}},
      {"\"ab\"cd,e", {"ab", "cd", "e"}},
      {"\"\"", {""}},
  };
  TStringList list;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    list.SetCommaText(c.text);
    EXPECT_EQ(Lines(list), c.items);
  }
}

TEST(TStrings, StrictDelimitedText) {
  TStringList params;
  params.SetDelimiter('&');
  params.SetStrictDelimiter(true);
  params.SetDelimitedText("x=1&y=a b& z &&\"q&r\"&");
  EXPECT_EQ(Lines(params), (V{"x=1", "y=a b", " z ", "", "q&r", ""}));
  params.Clear();
  params.Add("x=1");
  params.Add("y=a b");
  params.Add("q&r");
  EXPECT_EQ(params.DelimitedText(), "x=1&y=a b&\"q&r\"");
  // CommaText uses its own settings and leaves these alone.
  EXPECT_EQ(params.CommaText(), "x=1,\"y=a b\",q&r");
  EXPECT_EQ(params.Delimiter(), '&');
  EXPECT_TRUE(params.StrictDelimiter());
}

TEST(TStrings, AssignCopiesLinesObjectsAndSettings) {
  TObject tag;
  TStringList source;
  source.SetNameValueSeparator(':');
  source.AddObject("a:1", &tag);
  source.Add("b:2");
  TStringList dest;
  dest.Add("old");
  dest.Assign(&source);
  EXPECT_EQ(Lines(dest), (V{"a:1", "b:2"}));
  EXPECT_EQ(dest.Objects(0), &tag);
  EXPECT_EQ(dest.Values("b"), "2");

  dest.Assign(&dest);
  EXPECT_EQ(dest.Count(), 2);
  dest.AddStrings(dest);
  EXPECT_EQ(Lines(dest), (V{"a:1", "b:2", "a:1", "b:2"}));

  TPersistent other;
  EXPECT_EQ(MessageOf<EConvertError>([&] { dest.Assign(&other); }),
            "Cannot assign a TPersistent to a TStringList.");
}

TEST(TStrings, IndexOfIgnoresCaseAndIndexOfObject) {
  TObject tag;
  TStringList list;
  list.Add("Alpha");
  list.AddObject("beta", &tag);
  EXPECT_EQ(list.IndexOf("ALPHA"), 0);
  EXPECT_EQ(list.IndexOf("alph"), -1);
  EXPECT_EQ(list.IndexOfObject(&tag), 1);
  EXPECT_EQ(list.IndexOfObject(nullptr), 0);
}

}  // namespace kx
