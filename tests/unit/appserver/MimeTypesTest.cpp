#include "kx/appserver/MimeTypes.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "kx/foundation/AppInfo.h"
#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

// Each test starts from the built-in table and a fallback file of its own.
class TKXMimeTypesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TKXMimeTypes::Init();
    mFallback = MakeTempFile(gsTempPath(), "BRM");
    WriteFallback(
        "# comment line\n"
        "application/x-test-zip\t\tzip Zz\n"
        "text/x-first  dup # trailing comment\n"
        "text/x-second dup\n"
        "application/x-type-only\n"
        "text/x-mixed\tMiXeD\r\n");
    TKXMimeTypes::SetFallbackFile(mFallback);
  }
  void TearDown() override {
    std::remove(mFallback.c_str());
    TKXMimeTypes::SetFallbackFile("/etc/mime.types");
    TKXMimeTypes::Init();
  }
  void WriteFallback(const std::string& text) { std::ofstream(mFallback, std::ios::trunc) << text; }

  std::string mFallback;
};

}  // namespace

TEST_F(TKXMimeTypesTest, BuiltInTable) {
  const struct {
    const char* ext;
    const char* type;
    bool isStatic;
  } rows[] = {
      {".JS", "application/x-javascript; charset=UTF-8", true},
      {".CSS", "text/css; charset=UTF-8", true},
      {".PNG", "image/png", true},
      {".JPE", "image/jpeg", true},
      {".GIF", "image/gif", true},
      {".XML", "text/xml; charset=UTF-8", true},
      {".GZIP", "application/x-gzip", true},
      {".HTML", "text/html; charset=UTF-8", false},
      {".HTM", "text/html; charset=UTF-8", false},
      {".EXE", "application/octet-stream", false},
      {".TMP", "application/octet-stream", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.ext);
    EXPECT_EQ(TKXMimeTypes::GetAsString(row.ext), row.type);
    std::string type = "stale";
    EXPECT_EQ(TKXMimeTypes::IsStaticFile(std::string("/dir/file") + row.ext, type), row.isStatic);
    EXPECT_EQ(type, row.isStatic ? row.type : "");
  }
  EXPECT_EQ(TKXMimeTypes::GetAsString(".Js"), "application/x-javascript; charset=UTF-8");
  EXPECT_EQ(TKXMimeTypes::GetAsString(".xsl"), "application/octet-stream");  // XSL has no row
}

TEST_F(TKXMimeTypesTest, IsStaticFileTakesTheLastExtensionOfTheName) {
  const struct {
    const char* path;
    bool isStatic;
  } cases[] = {
      {"/index.html", false}, {"/logo.PNG", true},      {"/", false},        {"", false},
      {"/readme", false},     {"/dir.v2/readme", false}, {"/x.tar.gz", true}, {"/x.gz.tmp", false},
      {"logo.png", true},     {"/logo.", false},         {"/.js", true},      {"/a.js/b", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(TKXMimeTypes::IsStaticFile(c.path), c.isStatic);
  }
}

TEST_F(TKXMimeTypesTest, IsImageFileUsesAFixedList) {
  for (const char* name : {"a.jpg", "a.PNG", "a.gif", "a.JPEG", "a.jpe", "/x.y/a.Jpg"}) {
    SCOPED_TRACE(name);
    EXPECT_TRUE(TKXMimeTypes::IsImageFile(name));
  }
  for (const char* name : {"a.bmp", "a.ico", "a.jpg.txt", "jpg", "/x.jpg/a", ""}) {
    SCOPED_TRACE(name);
    EXPECT_FALSE(TKXMimeTypes::IsImageFile(name));
  }
  TKXMimeTypes::Finalize();  // independent of the table
  EXPECT_TRUE(TKXMimeTypes::IsImageFile("a.png"));
}

TEST_F(TKXMimeTypesTest, RegisterTypeReplacesOrAdds) {
  TKXMimeTypes::RegisterType(".html", "text/html", true);
  EXPECT_TRUE(TKXMimeTypes::IsStaticFile("/index.HTML"));
  EXPECT_EQ(TKXMimeTypes::GetAsString(".HTM"), "text/html; charset=UTF-8");  // other rows untouched
  EXPECT_EQ(TKXMimeTypes::GetAsString(".Html"), "text/html");

  TKXMimeTypes::RegisterType(".svg", "image/svg+xml", false);
  EXPECT_EQ(TKXMimeTypes::GetAsString(".SVG"), "image/svg+xml");
  EXPECT_FALSE(TKXMimeTypes::IsStaticFile("/a.svg"));

  TKXMimeTypes::Init();
  EXPECT_FALSE(TKXMimeTypes::IsStaticFile("/index.html"));
  EXPECT_EQ(TKXMimeTypes::GetAsString(".svg"), "application/octet-stream");
}

// An empty extension would make every name without a dot match.
TEST_F(TKXMimeTypesTest, RegisterTypeRefusesAnExtensionWithoutDot) {
  EXPECT_THROW(TKXMimeTypes::RegisterType("", "text/plain", true), Exception);
  EXPECT_THROW(TKXMimeTypes::RegisterType("svg", "image/svg+xml", true), Exception);
  EXPECT_FALSE(TKXMimeTypes::IsStaticFile("/readme"));
}

TEST_F(TKXMimeTypesTest, UnregisteredExtensionFallsBackToTheMimeFile) {
  TKXMimeTypes::UnregisterType(".zip");
  TKXMimeTypes::UnregisterType(".absent");  // ignored
  EXPECT_FALSE(TKXMimeTypes::IsStaticFile("/a.zip"));
  EXPECT_EQ(TKXMimeTypes::GetAsString(".ZIP"), "application/x-test-zip");

  TKXMimeTypes::SetFallbackFile("");
  EXPECT_EQ(TKXMimeTypes::GetAsString(".ZIP"), "application/octet-stream");
}

TEST_F(TKXMimeTypesTest, MimeFileParsing) {
  const struct {
    const char* ext;
    const char* type;
  } cases[] = {
      {".zz", "application/x-test-zip"},      // second extension of a line
      {".dup", "text/x-first"},               // the first line wins
      {".mixed", "text/x-mixed"},             // case ignored, CR stripped
      {".comment", "application/octet-stream"},
      {".trailing", "application/octet-stream"},
      {".application/x-type-only", "application/octet-stream"},
      {"zip", "application/octet-stream"},     // not an extension
      {".", "application/octet-stream"},
      {"", "application/octet-stream"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    EXPECT_EQ(TKXMimeTypes::GetAsString(c.ext), c.type);
  }
}

TEST_F(TKXMimeTypesTest, MimeFileIsReadOnceUntilSetAgain) {
  EXPECT_EQ(TKXMimeTypes::GetAsString(".dup"), "text/x-first");
  WriteFallback("text/x-changed dup\n");
  EXPECT_EQ(TKXMimeTypes::GetAsString(".dup"), "text/x-first");
  TKXMimeTypes::SetFallbackFile(mFallback);
  EXPECT_EQ(TKXMimeTypes::FallbackFile(), mFallback);
  EXPECT_EQ(TKXMimeTypes::GetAsString(".dup"), "text/x-changed");

  TKXMimeTypes::SetFallbackFile(mFallback + ".missing");
  EXPECT_EQ(TKXMimeTypes::GetAsString(".dup"), "application/octet-stream");
}

TEST_F(TKXMimeTypesTest, FinalizeEmptiesTheTableAndInitRestoresIt) {
  TKXMimeTypes::SetFallbackFile("");
  TKXMimeTypes::Finalize();
  EXPECT_EQ(TKXMimeTypes::GetAsString(".JS"), "application/octet-stream");
  EXPECT_FALSE(TKXMimeTypes::IsStaticFile("/a.js"));
  TKXMimeTypes::Init();
  EXPECT_TRUE(TKXMimeTypes::IsStaticFile("/a.js"));
}

}  // namespace kx
