#include "kx/foundation/Colors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <map>
#include <string>
#include <vector>

#include "kx/platform/SysUtils.h"

namespace kx {
namespace {

TEST(KXColors, OnlyTheCssSynonymsShareAValue) {
  std::map<TKXColor, std::vector<std::string>> byValue;
  for (const TKXColorEntry& entry : KXColors) byValue[entry.Value].emplace_back(entry.Name);
  std::vector<std::vector<std::string>> shared;
  for (const auto& [value, names] : byValue) {
    if (names.size() > 1) shared.push_back(names);
  }
  std::sort(shared.begin(), shared.end());
  EXPECT_EQ(shared, (std::vector<std::vector<std::string>>{{"clWebAQUA", "clWebCYAN"},
                                                           {"clWebFUCHSIA", "clWebMAGENTA"}}));
}

TEST(KXColors, EveryNameRoundTrips) {
  for (const TKXColorEntry& entry : KXColors) {
    SCOPED_TRACE(std::string(entry.Name));
    TKXColor color = 0;
    ASSERT_TRUE(IdentToKXColor(entry.Name, color));
    EXPECT_EQ(color, entry.Value);
    EXPECT_EQ(StringToKXColor(KXColorToString(color)), entry.Value);
    std::string ident;
    ASSERT_TRUE(KXColorToIdent(entry.Value, ident));
    // Synonyms give the first name of the table.
    EXPECT_EQ(ident, entry.Name == "clWebCYAN" ? "clWebAQUA" : entry.Name == "clWebMAGENTA" ? "clWebFUCHSIA" : entry.Name);
  }
}

TEST(KXColors, GetKXColorValuesListsTheTableInOrder) {
  std::vector<std::string> names;
  GetKXColorValues([&](const std::string& name) { names.push_back(name); });
  ASSERT_EQ(names.size(), 143u);  // transparent, then the web colours
  EXPECT_EQ(names[0], "clWebTransparent");
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(names[i], KXColors[i].Name);
}

TEST(KXColors, IdentifiersFallBackToThePlatformNames) {
  struct Row {
    TKXColor color;
    const char* text;
  };
  const Row rows[] = {
      {clWebORANGE, "clWebORANGE"},
      {clBlack, "clWebBLACK"},  // the web table comes first
      {clBtnFace, "clBtnFace"},
      {clWindowText, "clWindowText"},
      {clNone, "clNone"},
      {clDefault, "clDefault"},
      {clMoneyGreen, "clMoneyGreen"},
      {0x00123456, "$00123456"},
      {0x00ABCDEF, "$00ABCDEF"},
      {static_cast<TColor>(0xFF0000C8u), "$FF0000C8"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(KXColorToString(row.color), row.text);
    EXPECT_EQ(StringToKXColor(row.text), row.color);
  }
}

TEST(KXColors, StringToKXColorAcceptsAnyCaseAndNumbers) {
  EXPECT_EQ(StringToKXColor("clwebOrange"), clWebORANGE);
  EXPECT_EQ(StringToKXColor("CLBTNFACE"), clBtnFace);
  EXPECT_EQ(StringToKXColor("255"), 255);
  EXPECT_EQ(StringToKXColor("$FFFFFFFF"), -1);
  EXPECT_EQ(StringToKXColor("-1"), clWebTransparent);
  EXPECT_THROW(StringToKXColor("clWebNOSUCHCOLOUR"), EConvertError);
  EXPECT_THROW(StringToKXColor(""), EConvertError);
  TKXColor color = 7;
  EXPECT_FALSE(IdentToKXColor("", color));
  EXPECT_EQ(color, 7);
}

TEST(ColorToRGBString, WritesHashAndRedGreenBlue) {
  struct Row {
    TKXColor color;
    const char* text;
  };
  const Row rows[] = {
      {clWebORANGE, "#FFA500"},
      {clNone, "transparent"},
      {clWebTransparent, "transparent"},
      {clBlack, "#000000"},
      {clWhite, "#FFFFFF"},
      {0x00563412, "#123456"},
      {clBtnFace, "#F0F0F0"},
      {clWindowText, "#000000"},
      {clWindow, "#FFFFFF"},
      {static_cast<TColor>(0xFF0000C8u), "#000000"},  // a system index past the table
      // The CSS values where the older X11 names differ.
      {clWebGRAY, "#808080"},
      {clWebGREEN, "#008000"},
      {clWebMAROON, "#800000"},
      {clWebPURPLE, "#800080"},
      {clInfoBk, "#FFFFE1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ColorToRGBString(row.color), row.text);
  }
}

TEST(ColorToRGBAString, AlphaUsesPointWhateverTheLocale) {
  EXPECT_EQ(ColorToRGBAString(clWebORANGE, 0.5), "rgba(255,165,0,0.5)");
  EXPECT_EQ(ColorToRGBAString(clWebBLACK, 1), "rgba(0,0,0,1)");
  std::string saved = std::setlocale(LC_NUMERIC, nullptr);
  if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") || std::setlocale(LC_NUMERIC, "fr_FR.UTF-8")) {
    EXPECT_EQ(ColorToRGBAString(clWebRED, 0.25), "rgba(255,0,0,0.25)");
  }
  std::setlocale(LC_NUMERIC, saved.c_str());
}

TEST(HTMLColor, WritesAnAttributeOrNothing) {
  EXPECT_EQ(HTMLColor(clNone, "bgcolor"), "");
  EXPECT_EQ(HTMLColor(clWebRED, "bgcolor"), " bgcolor=#FF0000");
  EXPECT_EQ(HTMLColor(clWebTransparent, "color"), " color=transparent");
}

}  // namespace
}  // namespace kx
