// The list of control families as a runtime installs it.
#include "kx/controls/ControlFamily.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

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
    for (const TKXFamilyFile& file : family->Files)
      EXPECT_TRUE(paths.insert(file.URLPath).second) << family->Name << " serves " << file.URLPath << " again";
  }
}

// InstallLayers ran for this test's runtime (the controls tests install every layer).
TEST(ControlFamilies, EveryFamilyFileIsServedAndItsReadableVariantReplacesItOnlyWhenAsked) {
  ASSERT_NE(gInternalFiles, nullptr);
  for (const TKXControlFamily* family : ControlFamilies()) {
    SCOPED_TRACE(family->Name);
    for (const TKXFamilyFile& file : family->Files) {
      ASSERT_NE(FindResource(file.ResourceName), nullptr) << file.ResourceName << " is not embedded";
      EXPECT_EQ(Served(file.ResourceName), Embedded(file.ResourceName));
    }
    for (const TKXFamilyFile& file : family->ReadableFiles) {
      ASSERT_NE(FindResource(file.ResourceName), nullptr) << file.ResourceName << " is not embedded";
      EXPECT_FALSE(gInternalFiles->ResourceExists(file.ResourceName)) << "registered before it was asked for";
    }
  }
  gInternalFiles->SetUseUncompressedFiles(true);
  for (const TKXControlFamily* family : ControlFamilies()) {
    for (const TKXFamilyFile& file : family->ReadableFiles) {
      const std::string name = file.ResourceName;
      ASSERT_TRUE(name.ends_with("_DBG")) << name;
      // A request for the script by its plain name gets the readable bytes.
      EXPECT_EQ(Served(name.substr(0, name.size() - 4)), Embedded(name));
    }
  }
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
