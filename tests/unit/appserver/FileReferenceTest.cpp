#include "kx/appserver/FileReference.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "kx/foundation/AppInfo.h"
#include "kx/platform/StringLists.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

// A content folder with wwwroot-like files: logo.png, img/pic.png, Files/doc.pdf.
struct ContentFolder {
  fs::path Root;
  std::string Path;  // ends with "/"

  ContentFolder() {
    Root = fs::path(gsTempPath()) / ("kxfileref" + ProcessStamp());
    fs::create_directories(Root / "img");
    fs::create_directories(Root / "Files");
    for (const char* name : {"logo.png", "img/pic.png", "Files/doc.pdf"}) std::ofstream(Root / name) << "x";
    Path = Root.string() + "/";
  }
  ~ContentFolder() {
    std::error_code error;
    fs::remove_all(Root, error);
  }
};

TEST(TKXFileReference, FilenameAndURLExcludeEachOther) {
  TKXFileReference reference;
  int changes = 0;
  reference.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &reference);
    ++changes;
  };
  EXPECT_TRUE(reference.Empty());
  reference.SetFilename("  img/pic.png ");
  EXPECT_EQ(reference.Filename(), "img\\pic.png");
  EXPECT_EQ(reference.GetFileName(), "pic.png");
  reference.SetFilename("img\\pic.png");  // the same name: no change
  EXPECT_EQ(changes, 1);

  reference.SetURL("");
  EXPECT_EQ(reference.Filename(), "img\\pic.png");
  reference.SetURL(" http:\\\\host\\a.png");
  EXPECT_EQ(reference.URL(), "http://host/a.png");
  EXPECT_EQ(reference.GetFileName(), "a.png");
  EXPECT_EQ(reference.Filename(), "");
  EXPECT_EQ(changes, 2);

  reference.SetFilename("x.png");
  EXPECT_EQ(reference.URL(), "");
  EXPECT_FALSE(reference.Empty());
}

TEST(TKXFileReference, FileLocationIsRelativeToTheContentPath) {
  ContentFolder content;
  struct Case {
    std::string filename;
    std::string expected;
  };
  const Case cases[] = {
      {"img/pic.png", "/app/img/pic.png"},
      {content.Path + "img/pic.png", "/app/img/pic.png"},           // cut at the content path
      {"/elsewhere/deep/img/pic.png", "/app/img/pic.png"},          // the trailing part that exists
      {"/elsewhere/missing.png", "/app/elsewhere/missing.png"},     // none: the name as it is
      {"missing/x.png", "/app/missing/x.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.filename);
    TKXFileReference reference;
    reference.SetFilename(c.filename);
    EXPECT_EQ(reference.Location(" /app/ ", &content.Path), c.expected);
  }
  TKXFileReference reference;
  reference.SetFilename("img/pic.png");
  EXPECT_EQ(reference.Location("/app/", nullptr), "/app/img/pic.png");  // no controller: the name as it is
  TKXFileReference empty;
  EXPECT_EQ(empty.Location("/app/", &content.Path), "");
}

TEST(TKXFileReference, URLLocationLooksInTheContentPathAndItsFilesFolder) {
  ContentFolder content;
  struct Case {
    std::string url;
    std::string expected;
  };
  const Case cases[] = {
      {"http://cdn.example/a.png", "http://cdn.example/a.png"},
      {"img/pic.png", "/app/img/pic.png"},
      {"somewhere/logo.png", "/app/logo.png"},
      {"old/doc.pdf", "/app/Files/doc.pdf"},
      {"nowhere/x.png", "/app/nowhere/x.png"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url);
    TKXFileReference reference;
    reference.SetURL(c.url);
    EXPECT_EQ(reference.Location("/app/", &content.Path), c.expected);
  }
  TKXFileReference reference;
  reference.SetURL("img/pic.png");
  EXPECT_EQ(reference.Location("/app/", nullptr), "");
  reference.SetURL("https://x/y.png");
  EXPECT_EQ(reference.Location("/app/", nullptr), "https://x/y.png");
}

TEST(TKXFileReference, QualifiedPathLiesInTheFilesFolder) {
  TKXFileReference reference;
  reference.SetFilename("C:\\site\\FILES\\sub\\doc.pdf");
  EXPECT_EQ(reference.QualifiedPath("/srv/www/"), "/srv/www/Files/sub/doc.pdf");
  reference.SetFilename("img\\pic.png");
  EXPECT_EQ(reference.QualifiedPath("/srv/www/"), "/srv/www/Files/pic.png");
}

TEST(TKXFileReference, AssignCopiesBothAndTellsTheDestination) {
  TKXFileReference source;
  source.SetURL("a/b.png");
  TKXFileReference dest;
  dest.SetFilename("old.png");
  int changes = 0;
  dest.OnChange = [&](TObject*) { ++changes; };
  dest.Assign(&source);
  EXPECT_EQ(dest.URL(), "a/b.png");
  EXPECT_EQ(dest.Filename(), "");
  EXPECT_EQ(changes, 1);

  TStringList other;
  EXPECT_THROW(other.Assign(&source), EConvertError);
}

}  // namespace
}  // namespace kx
