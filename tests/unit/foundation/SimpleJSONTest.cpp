#include "kx/foundation/SimpleJSON.h"

#include <gtest/gtest.h>

#include "kx/platform/StringLists.h"
#include "kx/platform/Utf8.h"
#include "support/Escaping.h"

namespace kx {

TEST(TKXSimpleJSON, EmptyObjectIsTheEmptyText) {
  TKXSimpleJSON json;
  EXPECT_TRUE(json.IsEmpty());
  EXPECT_EQ(json.GetData(), "");
  json.Add("skipped", "");
  json.Add("list", TStringList());
  json.Add("inner", TKXSimpleJSON());
  json.Add("width", 5, 5);
  EXPECT_TRUE(json.IsEmpty());
}

TEST(TKXSimpleJSON, WritesMembersInOrder) {
  TKXSimpleJSON inner;
  inner.Add("a", std::int64_t{1});
  TStringList buttons;
  buttons.Add(" Ok ");
  buttons.Add("O'Brien");
  TKXSimpleJSON json;
  json.Add("title", "Hello \"you\"");
  json.Add("renderStyle", true);
  json.Add("autosize", false);
  json.Add("top", -3);
  json.Add("left", 0, 0);
  json.Add("width", 200, 0);
  json.Add("buttons", buttons);
  json.Add("inner", inner);
  EXPECT_EQ(json.GetData(),
            "{\"title\": \"Hello \\\"you\\\"\", \"renderStyle\": true, \"autosize\": false, \"top\": -3, "
            "\"width\": 200, \"buttons\": ['Ok','O\\u0027Brien'], \"inner\": {\"a\": 1}}");
}

TEST(TKXSimpleJSON, NameExistsAndClear) {
  TKXSimpleJSON json;
  json.Add("title", "x");
  EXPECT_TRUE(json.NameExists("title"));
  EXPECT_FALSE(json.NameExists("titl"));
  EXPECT_FALSE(json.NameExists("x"));
  json.Clear();
  EXPECT_TRUE(json.IsEmpty());
  EXPECT_FALSE(json.NameExists("title"));
}

TEST(TKXSimpleJSON, HostileTextsStayInsideTheirStringsAndKeepTheirValue) {
  for (const std::string& s : test::HostileStrings()) {
    SCOPED_TRACE(s);
    TKXSimpleJSON json;
    json.Add("v", s);
    TStringList list;
    list.Add("x" + s + "x");  // framed, so trimming leaves the value whole
    json.Add("l", list);
    const std::string data = json.GetData();
    const std::string prefix = "{\"v\": \"";
    const std::size_t end = data.find("\", \"l\": ['");
    ASSERT_EQ(data.rfind(prefix, 0), 0u);
    ASSERT_NE(end, std::string::npos);
    ASSERT_TRUE(data.ends_with("']}"));
    const std::string text = data.substr(prefix.size(), end - prefix.size());
    const std::string item = data.substr(end + 10, data.size() - end - 13);
    for (const std::string& literal : {text, item}) {
      // No raw character that could end the literal, open markup or break a line.
      for (std::size_t i = 0; i < literal.size(); ++i) {
        const char c = literal[i];
        EXPECT_TRUE(c != '\'' && c != '<' && static_cast<unsigned char>(c) >= 0x20) << int(c);
        if (c == '"') {
          EXPECT_TRUE(i > 0 && literal[i - 1] == '\\');
        }
      }
      EXPECT_EQ(literal.find("\xE2\x80\xA8"), std::string::npos);
      EXPECT_EQ(literal.find("\xE2\x80\xA9"), std::string::npos);
      EXPECT_TRUE(IsValidUtf8(literal));
    }
    EXPECT_EQ(test::UnescapeScriptLiteral(text), SanitizeUtf8(s));
    EXPECT_EQ(test::UnescapeScriptLiteral(item), SanitizeUtf8("x" + s + "x"));
  }
}

}  // namespace kx
