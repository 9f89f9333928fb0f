// The list of control families as a runtime installs it.
#include "kx/controls/ControlFamily.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "kx/appserver/InternalFiles.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/Resources.h"
#include "support/Raised.h"

namespace kx {
namespace {

// The bytes a request for name gets from the registry.
std::string Served(const std::string& name) {
  bool cacheable = false, compressed = false;
  std::unique_ptr<TStream> stream = gInternalFiles->ResourceAsStream(name, cacheable, compressed, true);
  std::string bytes(std::size_t(stream->Size()), '\0');
  stream->ReadBuffer(bytes.data(), stream->Size());
  return bytes;
}

std::string Embedded(const std::string& name) { return std::string(FindResource(name)->Text()); }

TEST(ControlFamilies, NamesAndServedPathsAreUnique) {
  std::set<std::string> names, paths;
  for (const TKXControlFamily* family : ControlFamilies()) {
    EXPECT_TRUE(names.insert(family->Name).second) << family->Name;
    for (const TKXFamilyFile& file : FamilyFiles(family->Name).Files)
      EXPECT_TRUE(paths.insert(file.URLPath).second) << family->Name << " serves " << file.URLPath << " again";
  }
}

// InstallLayers ran for this test's runtime (the controls tests install every layer).
TEST(ControlFamilies, EveryFamilyFileIsServedAndItsReadableVariantReplacesItOnlyWhenAsked) {
  ASSERT_NE(gInternalFiles, nullptr);
  for (const TKXControlFamily* family : ControlFamilies()) {
    SCOPED_TRACE(family->Name);
    for (const TKXFamilyFile& file : FamilyFiles(family->Name).Files) {
      ASSERT_NE(FindResource(file.ResourceName), nullptr) << file.ResourceName << " is not embedded";
      EXPECT_EQ(Served(file.ResourceName), Embedded(file.ResourceName));
    }
    for (const TKXFamilyFile& file : FamilyFiles(family->Name).ReadableFiles) {
      ASSERT_NE(FindResource(file.ResourceName), nullptr) << file.ResourceName << " is not embedded";
      EXPECT_FALSE(gInternalFiles->ResourceExists(file.ResourceName)) << "registered before it was asked for";
    }
  }
  gInternalFiles->SetUseUncompressedFiles(true);
  for (const TKXControlFamily* family : ControlFamilies()) {
    for (const TKXFamilyFile& file : FamilyFiles(family->Name).ReadableFiles) {
      const std::string name = file.ResourceName;
      ASSERT_TRUE(name.ends_with("_DBG")) << name;
      // A request for the script by its plain name gets the readable bytes.
      EXPECT_EQ(Served(name.substr(0, name.size() - 4)), Embedded(name));
    }
  }
}

// The URL path a manifest line gives or implies (the build writes the tables from the manifests).
TEST(ControlFamilies, TheManifestGivesEachFileItsPathAndReadableVariant) {
  struct TRow {
    const char* Family;
    const char* ResourceName;
    const char* URLPath;  // nullptr: not served
    bool Readable;
  };
  const TRow rows[] = {
      {"timeedit", "KX_JS_KXTIMEEDIT", "/js/KXTimeEdit.js", false},     // implied by KX_JS_
      {"timeedit", "KX_JS_KXTIMEEDIT_DBG", "/js/KXTimeEdit.js", true},  // its twin's path
      {"dbgrid", "KX_GFX_DBNav_First", "/gfx/DBNav_First.gif", false},   // implied by KX_GFX_
      {"htmleditor", "KX_JS_PURIFY", "/js/purify.js", false},            // given: the file is purify.min.js
      {"htmleditor", "KX_JS_PURIFY_DBG", "/js/purify.js", true},
      {"htmleditor", "YarKXWEBED", nullptr, false},                      // embedded only
      {"labels", "KX_JS_KXTIMEEDIT", nullptr, false},                    // another family's file
  };
  for (const TRow& row : rows) {
    SCOPED_TRACE(std::string(row.Family) + " " + row.ResourceName);
    const TKXFamilyFiles files = FamilyFiles(row.Family);
    const char* found = nullptr;
    bool readable = false;
    for (const auto& [list, isReadable] : {std::pair{files.Files, false}, std::pair{files.ReadableFiles, true}}) {
      for (const TKXFamilyFile& file : list) {
        if (std::string(file.ResourceName) != row.ResourceName) continue;
        found = file.URLPath;
        readable = isReadable;
      }
    }
    EXPECT_EQ(found ? std::string(found) : "(none)", row.URLPath ? std::string(row.URLPath) : "(none)");
    if (row.URLPath) {
      EXPECT_EQ(readable, row.Readable);
    }
  }
  EXPECT_TRUE(FamilyFiles("nosuchfamily").Files.empty());
  EXPECT_TRUE(FamilyFiles("labels").Files.empty());  // a family without a manifest
}

TEST(ControlFamilies, ReadableFilesAddedAfterTheSwitchAreServedAtOnce) {
  gInternalFiles->SetUseUncompressedFiles(true);
  gInternalFiles->AddReadable("KX_JS_KXSPLITTER_DBG", "/js/KXSplitter.js");
  EXPECT_EQ(Served("KX_JS_KXSPLITTER"), Embedded("KX_JS_KXSPLITTER_DBG"));
  EXPECT_EQ(test::MessageOf<EKXException>([] { gInternalFiles->AddReadable("KX_JS_NOSUCHFILE_DBG", "/js/x.js"); }),
            "Cannot find internal file: KX_JS_NOSUCHFILE_DBG");
}

}  // namespace
}  // namespace kx
