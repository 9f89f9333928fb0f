#include "kx/platform/Resources.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "kx/platform/SysUtils.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

const fs::path kResourceDir = fs::path(KX_SOURCE_DIR) / "resources";
// Where the build puts the files it makes ("@build/" and "@min/" paths of the manifests).
const fs::path kBuiltResourceDir = fs::path(KX_BUILT_RESOURCES);

// The file a path of the manifest in folder names.
fs::path ManifestFile(const fs::path& folder, const std::string& path) {
  const std::string built = "@build/", minified = "@min/";
  if (path.starts_with(built)) return kBuiltResourceDir / path.substr(built.size());
  if (path.starts_with(minified)) return kBuiltResourceDir / "min" / folder.filename() / path.substr(minified.size());
  return folder / path;
}

// The framework's manifest and those of the control families.
std::vector<fs::path> Manifests() {
  std::vector<fs::path> manifests{kResourceDir / "manifest.txt"};
  for (const auto& family : fs::directory_iterator(fs::path(KX_SOURCE_DIR) / "kx" / "controls"))
    if (fs::exists(family.path() / "resources.txt")) manifests.push_back(family.path() / "resources.txt");
  return manifests;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in) << path;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, std::string_view text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The manifests' (name, file) pairs, read the way the generator reads them.
std::vector<std::pair<std::string, fs::path>> ManifestEntries() {
  std::vector<std::pair<std::string, fs::path>> entries;
  for (const fs::path& manifest : Manifests()) {
    std::istringstream lines(ReadFile(manifest));
    std::string line;
    while (std::getline(lines, line)) {
      std::istringstream fields(line);
      std::string name, path;
      if (!(fields >> name) || name[0] == '#') continue;
      fields >> path;
      entries.emplace_back(name, ManifestFile(manifest.parent_path(), path));
    }
  }
  return entries;
}

TEST(TEmbeddedResource, EveryManifestEntryIsEmbeddedWithTheFilesBytes) {
  const auto entries = ManifestEntries();
  ASSERT_FALSE(entries.empty());
  EXPECT_EQ(EmbeddedResources().size(), entries.size());
  for (const auto& [name, path] : entries) {
    SCOPED_TRACE(name);
    const TEmbeddedResource* resource = FindResource(name);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(resource->Name, UpperCase(name));
    EXPECT_EQ(resource->Text(), ReadFile(path));
  }
}

TEST(TEmbeddedResource, TableIsSortedUpperCaseAndEveryRowIsFound) {
  const auto table = EmbeddedResources();
  for (std::size_t i = 0; i < table.size(); ++i) {
    SCOPED_TRACE(std::string(table[i].Name));
    EXPECT_EQ(table[i].Name, UpperCase(table[i].Name));
    if (i > 0) {
      EXPECT_LT(table[i - 1].Name, table[i].Name);
    }
    EXPECT_NE(table[i].Data, nullptr);
    EXPECT_EQ(FindResource(table[i].Name), &table[i]);
    EXPECT_EQ(FindResource(LowerCase(table[i].Name)), &table[i]);
  }
}

TEST(TEmbeddedResource, MissingNamesGiveNull) {
  using namespace std::string_literals;
  for (const std::string& name : {""s, "KX"s, "KX_GFX_T"s, "KX_GFX_TpX"s, "KX_GFX_Tp "s, " KX_GFX_Tp"s,
                                  "KX_GFX_Tp\0"s, "KX-GFX-Tp"s, "\xC3\x96"s, "ZZZZ"s, "0"s}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(FindResource(name), nullptr);
  }
}

// The exception page renderer replaces these placeholders and puts the run parameters right after "$/start".
TEST(TEmbeddedResource, PageTemplatesCarryTheRenderersPlaceholders) {
  static const char* const kPlaceholders[] = {
      "{%APPID%}",        "{%RUNPARAMS%}",     "{%CONTENT%}",          "{%APPADDRESS%}",        "{%APPNAME%}",
      "{%EXCEPTIONSPECIFIC%}", "{%FROMCOLOR%}", "{%TOCOLOR%}",          "{%HEADERTEXTCOLOR%}",   "{%BODYBACKCOLOR%}",
      "{%BODYTEXTCOLOR%}", "{%ERRORDETAILS_TITLE%}", "{%ERRORDETAILS_CONTENT%}"};
  for (const char* name : {"KX_GFX_ERROR", "KX_GFX_SESSIONTIMEOUT", "KX_GFX_SESSIONINVALID", "KX_GFX_SECURITYCHECK"}) {
    SCOPED_TRACE(name);
    const TEmbeddedResource* page = FindResource(name);
    ASSERT_NE(page, nullptr);
    const std::string_view text = page->Text();
    EXPECT_TRUE(text.starts_with("<!DOCTYPE html>")) << "no BOM, HTML5";
    EXPECT_NE(text.find("<meta charset=\"utf-8\">"), std::string_view::npos);
    EXPECT_NE(text.find("href=\"{%APPADDRESS%}$/start{%RUNPARAMS%}\""), std::string_view::npos);
    for (const char* placeholder : kPlaceholders) {
      EXPECT_NE(text.find(placeholder), std::string_view::npos) << placeholder;
    }
  }
}

// The generator itself, run the way the build runs it, on a manifest of its own.
class EmbedResourcesScript : public ::testing::Test {
 protected:
  void SetUp() override {
    mDir = fs::temp_directory_path() / ("kx_embed_test_" + std::to_string(::getpid()));
    fs::remove_all(mDir);
    fs::create_directories(mDir / "sub");
  }
  void TearDown() override { fs::remove_all(mDir); }

  // Runs the generator on manifest text, and on a second manifest in the folder "family" when one is given; true
  // when it succeeded. The output is in Output(). A built folder resolves the "@build/" and "@min/" paths.
  bool Generate(std::string_view manifest, const fs::path& builtDir = {}, std::string_view familyManifest = {}) {
    WriteFile(mDir / "manifest.txt", manifest);
    std::string manifests = (mDir / "manifest.txt").string();
    if (!familyManifest.empty()) {
      fs::create_directories(mDir / "family");
      WriteFile(mDir / "family" / "resources.txt", familyManifest);
      manifests += ";" + (mDir / "family" / "resources.txt").string();
    }
    const std::string command = std::string("\"") + KX_CMAKE_COMMAND + "\" \"-DKX_MANIFESTS=" + manifests +
                                "\" -DKX_OUTPUT=\"" + (mDir / "out.cpp").string() +
                                "\" -DKX_BUILT_DIR=\"" + builtDir.string() + "\" -P \"" + KX_SOURCE_DIR +
                                "/cmake/EmbedResources.cmake\" >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
  }
  std::string Output() { return ReadFile(mDir / "out.cpp"); }

  fs::path mDir;
};

TEST_F(EmbedResourcesScript, SortsByUpperCaseNameAndKeepsEmptyFiles) {
  WriteFile(mDir / "sub" / "ab.txt", "AB");
  WriteFile(mDir / "empty.txt", "");
  WriteFile(mDir / "a.bin", std::string("\x00\xFF\x7F", 3));
  ASSERT_TRUE(Generate("# comment\n\nkx_ab  sub/ab.txt\n  KX_A\ta.bin  \nKX_0 empty.txt\n"));
  const std::string out = Output();
  const auto zero = out.find("{\"KX_0\", kData0, 0}");
  const auto a = out.find("{\"KX_A\", kData1, 3}");
  const auto ab = out.find("{\"KX_AB\", kData2, 2}");
  ASSERT_NE(zero, std::string::npos) << out;
  ASSERT_NE(a, std::string::npos) << out;
  ASSERT_NE(ab, std::string::npos) << out;
  EXPECT_LT(zero, a);
  EXPECT_LT(a, ab);  // a name sorts before the longer names it begins
  EXPECT_NE(out.find("0x00,0xff,0x7f,"), std::string::npos);
  EXPECT_NE(out.find("0x41,0x42,"), std::string::npos);
}

TEST_F(EmbedResourcesScript, TakesBuildPathsFromTheBuiltFolder) {
  fs::create_directories(mDir / "built" / "js");
  WriteFile(mDir / "built" / "js" / "x.js", "X");
  ASSERT_TRUE(Generate("KX_X @build/js/x.js\n", mDir / "built"));
  EXPECT_NE(Output().find("{\"KX_X\", kData0, 1}"), std::string::npos);
  // a file the build did not make stops the generator
  EXPECT_FALSE(Generate("KX_Y @build/js/y.js\n", mDir / "built"));
}

TEST_F(EmbedResourcesScript, JoinsFamilyManifestsAndTheirMinifiedScripts) {
  WriteFile(mDir / "a.txt", "a");
  fs::create_directories(mDir / "family");
  WriteFile(mDir / "family" / "f.js", "readable");
  fs::create_directories(mDir / "built" / "min" / "family");
  WriteFile(mDir / "built" / "min" / "family" / "f.js", "min");
  ASSERT_TRUE(Generate("KX_A a.txt\n", mDir / "built", "KX_F_DBG f.js\nKX_F @min/f.js\n"));
  const std::string out = Output();
  EXPECT_NE(out.find("{\"KX_A\", kData0, 1}"), std::string::npos) << out;
  EXPECT_NE(out.find("{\"KX_F\", kData1, 3}"), std::string::npos) << out;      // the minified copy
  EXPECT_NE(out.find("{\"KX_F_DBG\", kData2, 8}"), std::string::npos) << out;  // the family's own file
  // a name is unique across the manifests; an "@min/" source must exist in the family's folder
  EXPECT_FALSE(Generate("KX_A a.txt\n", mDir / "built", "kx_a f.js\n"));
  EXPECT_FALSE(Generate("KX_A a.txt\n", mDir / "built", "KX_G @min/g.js\n"));
}

TEST_F(EmbedResourcesScript, RejectsBadManifests) {
  WriteFile(mDir / "a.txt", "a");
  for (const char* manifest : {"KX_A a.txt\nkx_a a.txt\n",  // the same name in another case
                               "KX_A missing.txt\n",         // no such file
                               "KX_A sub\n",                  // a folder
                               "KX_A\n",                      // no path
                               "KX-A a.txt\n",                // not a name
                               "KX_A a.txt extra\n"}) {
    SCOPED_TRACE(manifest);
    EXPECT_FALSE(Generate(manifest));
  }
}

}  // namespace
}  // namespace kx
