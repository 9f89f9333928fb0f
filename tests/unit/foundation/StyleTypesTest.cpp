#include "kx/foundation/StyleTypes.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "kx/platform/SysUtils.h"

namespace kx {
namespace {

TEST(TKXFont, RendersEverySettingInOrder) {
  struct Row {
    const char* label;
    TKXColor color;
    const char* name;
    int size;
    TFontStyles style;
    const char* family;
    const char* variant;
    const char* css;
  };
  const Row rows[] = {
      {"bold underlined Tahoma 12pt", clNone, "Tahoma", 12, {fsBold, fsUnderline}, "", "",
       "font-family: Tahoma; font-weight: bold; font-style: normal; text-decoration: underline;font-size: 16px; "},
      {"coloured italic with blank in name", clWebRED, "Times New Roman", 10, {fsItalic}, "", "",
       "color: #FF0000; font-family: 'Times New Roman'; font-weight: normal; font-style: italic; "
       "text-decoration: none;font-size: 13px; "},
      {"underline and strike-out", clNone, "", 8, {fsUnderline, fsStrikeOut}, "", "",
       "font-weight: normal; font-style: normal; text-decoration: underline line-through;font-size: 11px; "},
      {"strike-out only", clNone, "", 10, {fsStrikeOut}, "", "",
       "font-weight: normal; font-style: normal; text-decoration: line-through;font-size: 13px; "},
      {"family and variant last", clWebNAVY, "", 9, {}, "Arial, Sans-Serif, Verdana", "small-caps",
       "color: #000080; font-weight: normal; font-style: normal; text-decoration: none;font-size: 12px; "
       "font-family: Arial, Sans-Serif, Verdana; font-variant: small-caps; "},
      {"window-text colour writes no colour", clWindowText, "", 10, {}, "", "",
       "font-weight: normal; font-style: normal; text-decoration: none;font-size: 13px; "},
      {"system colour resolved", clBtnFace, "", 10, {}, "", "",
       "color: #F0F0F0; font-weight: normal; font-style: normal; text-decoration: none;font-size: 13px; "},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.label);
    TKXFont font;
    font.SetColor(row.color);
    font.SetFontName(row.name);
    font.SetSize(row.size);
    font.SetStyle(row.style);
    font.SetFontFamily(row.family);
    font.SetFontVariant(row.variant);
    EXPECT_EQ(font.FontToStringStyle(), row.css);
  }
}

TEST(TKXFont, PixelSizeIsRoundedPoints) {
  const std::pair<int, int> rows[] = {{8, 11}, {9, 12}, {10, 13}, {11, 15}, {12, 16}, {14, 19}, {1, 1},
                                      {0, 0},  {-10, -13}};
  for (auto [points, pixels] : rows) {
    SCOPED_TRACE(points);
    TKXFont font;
    font.SetSize(points);
    EXPECT_EQ(font.PxSize(), pixels);
  }
  TKXFont huge;
  huge.SetSize(INT_MAX);
  EXPECT_EQ(huge.PxSize(), INT_MAX);
}

TEST(TKXFont, SettersFireOnChangeOnlyForANewValue) {
  TKXFont font;
  int changes = 0;
  TObject* sender = nullptr;
  font.OnChange = [&](TObject* s) {
    ++changes;
    sender = s;
  };
  font.SetSize(10);
  font.SetColor(clNone);
  font.SetFontName("");
  font.SetStyle({});
  font.SetEnabled(true);
  EXPECT_EQ(changes, 0);

  font.SetSize(12);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(sender, &font);
  font.SetColor(clWebRED);
  font.SetFontName("Tahoma");
  font.SetStyle({fsBold});
  font.SetFontFamily("serif");
  font.SetFontVariant("small-caps");
  font.SetEnabled(false);
  EXPECT_EQ(changes, 7);
}

// Every property the text depends on drops the cached text, not only
// colour, name, size and style.
TEST(TKXFont, CachedStyleFollowsEveryChange) {
  TKXFont font;
  std::string before = font.FontToStringStyle();
  font.SetFontFamily("serif");
  EXPECT_EQ(font.FontToStringStyle(), before + "font-family: serif; ");
  font.SetFontVariant("small-caps");
  EXPECT_EQ(font.FontToStringStyle(), before + "font-family: serif; font-variant: small-caps; ");
  font.SetEnabled(false);
  EXPECT_EQ(font.FontToStringStyle(), "");
  font.SetEnabled(true);
  font.SetColor(clWebRED);
  EXPECT_EQ(font.FontToStringStyle().rfind("color: #FF0000; ", 0), 0u);
}

TEST(TKXFont, ChildRendersOnlyWhatDiffersFromParent) {
  TKXFont parent;
  parent.SetFontName("Tahoma");
  parent.SetSize(12);
  parent.SetColor(clWebBLUE);

  TKXFont child;
  child.Assign(&parent);
  EXPECT_EQ(child.FontToStringStyle(nullptr, &parent), "");

  child.SetFontName("TAHOMA");  // names compare without case
  EXPECT_EQ(child.FontToStringStyle(nullptr, &parent), "");

  child.SetColor(clWebRED);
  EXPECT_EQ(child.FontToStringStyle(nullptr, &parent), "color: #FF0000; ");

  child.SetSize(14);
  EXPECT_EQ(child.FontToStringStyle(nullptr, &parent), child.FontStyle() + "color: #FF0000; ");

  child.SetColor(clWebBLUE);
  EXPECT_EQ(child.FontToStringStyle(nullptr, &parent), child.FontStyle());

  EXPECT_EQ(child.FontToStringStyle(nullptr, nullptr), child.FontToStringStyle());
}

TEST(TKXFont, FontToStringTagWrapsTextInReverseOrder) {
  TKXFont font;
  EXPECT_EQ(font.FontToStringTag("x"), "<FONT STYLE=\"font-size:13px;\">x</FONT>");

  font.SetFontName("Tahoma");
  font.SetColor(clWebRED);
  font.SetSize(12);
  font.SetStyle({fsBold, fsItalic, fsUnderline, fsStrikeOut});
  EXPECT_EQ(font.FontToStringTag("x"),
            "<FONT FACE=\"Tahoma\" color=\"#FF0000\" STYLE=\"font-size:16px;\">"
            "<B><I><U><STRIKE>x</STRIKE></U></I></B></FONT>");

  font.SetStyle({fsItalic});
  font.SetColor(clWindowText);
  font.SetFontName("A \"B\" <C> & D");
  EXPECT_EQ(font.FontToStringTag(""),
            "<FONT FACE=\"A &quot;B&quot; &lt;C&gt; &amp; D\" STYLE=\"font-size:16px;\"><I></I></FONT>");
}

TEST(TKXFont, AssignCopiesEveryPropertyThroughTheSetters) {
  TKXFont source;
  source.SetColor(clWebTEAL);
  source.SetEnabled(false);
  source.SetFontName("Tahoma");
  source.SetFontFamily("sans-serif");
  source.SetFontVariant("small-caps");
  source.SetSize(14);
  source.SetStyle({fsBold});

  TKXFont dest;
  int changes = 0;
  dest.OnChange = [&](TObject*) { ++changes; };
  dest.Assign(&source);
  EXPECT_EQ(changes, 7);
  EXPECT_EQ(dest.Color(), clWebTEAL);
  EXPECT_FALSE(dest.Enabled());
  EXPECT_EQ(dest.FontName(), "Tahoma");
  EXPECT_EQ(dest.FontFamily(), "sans-serif");
  EXPECT_EQ(dest.FontVariant(), "small-caps");
  EXPECT_EQ(dest.Size(), 14);
  EXPECT_EQ(dest.PxSize(), 19);
  EXPECT_EQ(dest.Style(), TFontStyles{fsBold});

  dest.Assign(&source);
  EXPECT_EQ(changes, 7);

  TKXStyleRenderOptions options;
  EXPECT_THROW(dest.Assign(&options), EConvertError);
}

TEST(TKXStyleRenderOptions, SetPropValueFiresOnlyOnChange) {
  TKXStyleRenderOptions options;
  int changes = 0;
  options.OnChange = [&](TObject*) { ++changes; };
  options.SetPropValue(TKXStyleRenderOptions::RenderFontIndex, true);
  EXPECT_EQ(changes, 0);
  options.SetPropValue(TKXStyleRenderOptions::RenderFontIndex, false);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(options.RenderFont());
  EXPECT_THROW(options.SetPropValue(10, true), EListError);
  EXPECT_THROW(options.SetPropValue(-1, true), EListError);
  EXPECT_THROW((void)options.GetPropValue(10), EListError);
}

TEST(TKXStyleRenderOptions, AssignCopiesTheSwitchesAndAlwaysFires) {
  TKXStyleRenderOptions source;
  source.SetRenderBorder(false);
  source.SetUseDisplay(true);
  TKXStyleRenderOptions dest;
  int changes = 0;
  dest.OnChange = [&](TObject*) { ++changes; };
  dest.Assign(&source);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(dest.RenderBorder());
  EXPECT_TRUE(dest.UseDisplay());
  dest.Assign(&source);
  EXPECT_EQ(changes, 2);

  TKXFont font;
  EXPECT_THROW(dest.Assign(&font), EConvertError);
}

}  // namespace
}  // namespace kx
