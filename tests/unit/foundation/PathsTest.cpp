#include "kx/foundation/Paths.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "kx/foundation/AppInfo.h"
#include "kx/foundation/FileUtils.h"
#include "kx/platform/SysUtils.h"
#include "support/Raised.h"

namespace kx {

namespace {

namespace fs = std::filesystem;

struct Case {
  std::string input;
  std::string expected;
};

struct JoinCase {
  std::string a;
  std::string b;
  std::string expected;
};

using test::MessageOf;

}  // namespace

// ---------------------------------------------------------------------------
// TFilePath

TEST(TFilePath, ConcatPutsExactlyOneSeparatorAtTheJoint) {
  const JoinCase cases[] = {
      {"/a/", "/b", "/a/b"}, {"/a", "b", "/a/b"},         {"/a/", "b", "/a/b"},
      {"/a", "/b", "/a/b"},  {"", "b", "b"},              {"/a", "", "/a"},
      {"/a", "b\\c", "/a/b/c"}, {"/a/", "\\b\\c", "/a/b/c"}, {"/", "x", "/x"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.a + " + " + c.b);
    EXPECT_EQ(TFilePath::Concat(c.a, c.b), c.expected);
    EXPECT_EQ(TFilePath::MakeValidFileName(c.a, c.b), c.expected);
  }
}

TEST(TFilePath, NameAndExtension) {
  const struct {
    std::string path, extension, name;
  } cases[] = {
      {"/a/b.txt", ".txt", "b"},   {"a.tar.gz", ".gz", "a.tar"},   {"/a.d/b", "", "b"},
      {".profile", "", ".profile"}, {"/x/.a.b", ".b", ".a"},         {"/a/", "", ""},
      {"name.", ".", "name"},       {"", "", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(TFilePath::GetExtension(c.path), c.extension);
    EXPECT_EQ(TFilePath::GetFileNameWithoutExtension(c.path), c.name);
    std::string name, extension;
    TFilePath::Split(c.path, name, extension);
    EXPECT_EQ(name, c.name);
    EXPECT_EQ(extension, c.extension);
  }
  EXPECT_TRUE(TFilePath::IsAbsolute("/srv"));
  EXPECT_FALSE(TFilePath::IsAbsolute("srv/x"));
  EXPECT_FALSE(TFilePath::IsAbsolute(""));
}

TEST(TFilePath, FindRelativePathTakesTheShortestExistingTailAndNeverClimbs) {
  std::string dir = gsTempPath() + "kx-paths-XXXXXX";
  ASSERT_NE(::mkdtemp(dir.data()), nullptr);
  std::string base = dir + "/site";
  MakeDirectory(base + "/img/icons", true);
  FileMake(base + "/img/icons/a.png", "", false);
  FileMake(base + "/b.png", "", false);
  FileMake(dir + "/secret", "", false);  // beside the base folder, reachable only by ".."

  EXPECT_EQ(TFilePath::FindRelativePath(base, "/elsewhere/img/icons/a.png"), "img/icons/a.png");
  EXPECT_EQ(TFilePath::FindRelativePath(base + "/", "/other/root/b.png"), "b.png");
  EXPECT_EQ(TFilePath::FindRelativePath(base, "/other/missing.png"), "");
  EXPECT_EQ(TFilePath::FindRelativePath(base, "../secret"), "");
  EXPECT_EQ(TFilePath::FindRelativePath(base, "/x/../secret"), "");
  EXPECT_EQ(TFilePath::FindRelativePath(base, "/img"), "");  // a folder is not a file
  fs::remove_all(dir);
}

// ---------------------------------------------------------------------------
// TURL

TEST(TURL, ConcatAndSplit) {
  const JoinCase joins[] = {{"/a", "b", "/a/b"}, {"/a/", "/b", "/a/b"}, {"/a/", "b", "/a/b"},
                            {"", "b", "b"},      {"/a", "", "/a"},       {"http://h", "x", "http://h/x"}};
  for (const auto& c : joins) {
    SCOPED_TRACE(c.a + " + " + c.b);
    EXPECT_EQ(TURL::Concat(c.a, c.b), c.expected);
  }
  EXPECT_EQ(TURL::ExtractFileName("/a/b/c.png"), "c.png");
  EXPECT_EQ(TURL::ExtractFileName("/a/b/"), "");
  EXPECT_EQ(TURL::ExtractFileName("c.png"), "c.png");
  EXPECT_EQ(TURL::ExtractPath("/a/b/c.png"), "/a/b/");
  EXPECT_EQ(TURL::ExtractPath("c.png"), "");
  EXPECT_EQ(TURL::MakeValidFileUrl("/app/", "files\\img\\a.png"), "/app/files/img/a.png");
  EXPECT_EQ(TURL::IncludeTrailingDelimiter("/a"), "/a/");
  EXPECT_EQ(TURL::IncludeTrailingDelimiter("/a/"), "/a/");
  EXPECT_TRUE(TURL::IsAbsolute("https://host/x"));
  EXPECT_FALSE(TURL::IsAbsolute("/host/x"));
  EXPECT_EQ(TURL::RemoveProtocol("https://host/x"), "host/x");
  EXPECT_EQ(TURL::RemoveProtocol("/host/x"), "/host/x");
  std::string path = "a\\b\\c";
  TURL::ReplacePathDelimiter(path);
  EXPECT_EQ(path, "a/b/c");
}

TEST(TURL, SessionIdIsTheSegmentBeforeTheFirstExec) {
  const Case cases[] = {{"/app/ABC123/$/callback", "ABC123"},
                        {"/app/ABC123", ""},
                        {"ABC/$", "ABC"},
                        {"/$/call", ""},
                        {"/a/b/$/c/$", "b"},
                        {"", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(TURL::ExtractSessionId(c.input), c.expected);
  }
}

// The stop page names the host its button leads to: the host a browser goes to, not the one the text seems to say.
TEST(TURL, BrowserHostIsWhereTheBrowserGoes) {
  const Case cases[] = {{"HTTPS://A.test:8443?q", "a.test"}, {" http://\t/\\\\a.test\\x", "a.test"},
                        {"http://a@b@[::1]:80/", "[::1]"},  {"/bye.html", ""}, {"ftp://a.test/", ""},
                        // The scheme's slashes and backslashes, any number of them, none included.
                        {"http:\\\\evil.test\\x", "evil.test"}, {"hTTp:/evil.test", "evil.test"},
                        {"http:evil.test", "evil.test"}, {"javascript:alert(1)", ""}, {"data:,x", ""},
                        // Escapes resolved once, then the A-label (UTS #46, non-transitional).
                        {"http://b%D0%B0nk.test/", "xn--bnk-6cd.test"}, {"http://%2565%2576il.test/", ""},
                        {"http://\xef\xbd\x85\xef\xbd\x96\xef\xbd\x89\xef\xbd\x8c\xe3\x80\x82test/", "evil.test"},
                        {"http://fa\xc3\x9f.de/", "xn--fa-hia.de"}, {"http://x'\xc3\xa9.test/", "xn--x'-cja.test"},
                        {"http://EX%41MPLE.test/", "example.test"}, {"http://xn--zz.test/", ""},
                        {"http://a%00b.test/", ""}, {"http://a%20b.test/", ""}, {"http://%ef%bf%bd.test/", ""},
                        {"http://u@/", ""}, {"http://a.test:x/", ""}, {"http://a.test:65536/", ""},
                        // A number is an IPv4 address in any of its forms; IPv6 in its short form.
                        {"http://0x7f.1/", "127.0.0.1"}, {"http://2130706433/", "127.0.0.1"},
                        {"http://127.0.0.1./", "127.0.0.1"}, {"http://1.2.3.08/", ""}, {"http://a.09/", ""},
                        {"http://[0:0::1]/", "[::1]"}, {"http://[::g]/", ""}};
  for (const auto& c : cases) EXPECT_EQ(TURL::BrowserHost(c.input), c.expected) << c.input;
}

// What a page names and where a redirect goes are the address written anew from the browser's reading.
TEST(TURL, ReadBrowserAddressWritesTheAddressAnew) {
  const std::string longHost(300, 'a');
  const struct {
    std::string Input, Href, Named;
  } cases[] = {
      {"http:\\\\evil.test\\x\\y?a\\b#c\\d", "http://evil.test/x/y?a\\b#c\\d", "evil.test"},
      {"HTTPS://u:p@www.example.test@evil.test:0443", "https://evil.test/", "evil.test"},
      {"http://evil.test?q", "http://evil.test/?q", "evil.test"},
      {"http://127.0.0.1:01/", "http://127.0.0.1:1/", "127.0.0.1:1"},
      {"https://a.test:80/", "https://a.test:80/", "a.test:80"},
      {"http://a.test:0/", "http://a.test:0/", "a.test:0"},
      {"http://" + longHost + ":8080/", "http://" + longHost + ":8080/", std::string(252, 'a') + "\u2026:8080"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Input);
    const std::optional<TBrowserAddress> read = TURL::ReadBrowserAddress(c.Input);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->Href(), c.Href);
    EXPECT_EQ(read->Named(), c.Named);
  }
}

TEST(TURL, AddAndRemoveExec) {
  const Case adds[] = {{"/app", "/app/$"}, {"/app/", "/app/$"}, {"/app/$", "/app/$"}, {"", "/$"}};
  for (const auto& c : adds) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(TURL::AddExec(c.input), c.expected);
  }
  EXPECT_EQ(TURL::RemoveExec("/app/$/", false), "/app/");
  EXPECT_EQ(TURL::RemoveExec("/app/$", false), "/app");
  EXPECT_EQ(TURL::RemoveExec("/app/$", true), "/app/");
  EXPECT_EQ(TURL::RemoveExec("/a/$/b/$", true), "/a/b/");
  EXPECT_EQ(TURL::RemoveExec("/a$b", false), "/a$b");
}

TEST(TURL, UrlPathToFilePathStaysUnderTheRoot) {
  const Case good[] = {
      {"/img/a.png", "/srv/site/img/a.png"},
      {"img/a.png", "/srv/site/img/a.png"},
      {"/img/", "/srv/site/img/"},
      {"/", "/srv/site/"},
      {"", "/srv/site/"},
      {"/a b/\xC3\xA9.txt", "/srv/site/a b/\xC3\xA9.txt"},
      {"/%2e%2e/x", "/srv/site/%2e%2e/x"},  // never decoded again: a literal name
      {"/a..b/c", "/srv/site/a..b/c"},
  };
  for (const std::string root : {"/srv/site", "/srv/site/", "/srv/./site/../site", "//srv//site"}) {
    for (const auto& c : good) {
      SCOPED_TRACE(root + " " + c.input);
      EXPECT_EQ(TURL::UrlPathToFilePath(root, c.input), c.expected);
    }
  }
  EXPECT_EQ(TURL::UrlPathToFilePath("/", "/etc/x"), "/etc/x");
  EXPECT_EQ(TURL::UrlPathToFilePath("site", "/x"), TKXAppInfo::GetCurrentPath() + "site/x");
}

TEST(TURL, UrlPathToFilePathRejectsEveryWayOut) {
  const std::string rejected[] = {
      "/../secret.txt", "/a/.hidden",  "/a/..",          "/..",          "/.",          "/a/./b",
      "/a.",            "/a/b.",       "/a//b",          "//etc/passwd", "/C:/x",       "/a:b",
      "/a\\..\\b",      "\\etc",       "/../site2/x",    "/.well-known",
      std::string("/a\0/../../b", 11), std::string("/a\0b", 4), "/a\x01", "/a\x7f", "/a\r\nb",
  };
  for (const auto& path : rejected) {
    SCOPED_TRACE(path);
    EXPECT_EQ(MessageOf([&] { TURL::UrlPathToFilePath("/srv/site", path); }), "URL contains illegal characters.");
  }
}

TEST(TURL, EncodeWritesUtf8BytesAsUpperCaseHex) {
  const Case paths[] = {
      {" ", "%20"},
      {"\xC3\xA9", "%C3%A9"},
      {"\xF0\x9F\x98\x80", "%F0%9F%98%80"},
      {"\"#%*+,;<>[]\\^`{}|", "%22%23%25%2A%2B%2C%3B%3C%3E%5B%5D%5C%5E%60%7B%7D%7C"},
      {"a/b", "a/b"},
      {"aZ09-._~!$&'()=?@:", "aZ09-._~!$&'()=?@:"},
      {"\x7f\x01\t", "%7F%01%09"},
      {"", ""},
  };
  for (const auto& c : paths) {
    SCOPED_TRACE(c.input);
    EXPECT_EQ(TURL::PathEncode(c.input), c.expected);
  }
  EXPECT_EQ(TURL::ParamsEncode("a/b c"), "a%2Fb%20c");
  EXPECT_EQ(TURL::ParamsEncode("x=1&y"), "x=1&y");
  EXPECT_EQ(TURL::Encode("abc", "b"), "a%62c");
  EXPECT_EQ(TURL::Encode(std::string("a\0b", 3), ""), "a%00b");
}

}  // namespace kx
