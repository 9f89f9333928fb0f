// A test fixture that gives each test its own temporary folder, made the
// folder of TTempFileStream for the test's duration and removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "kx/foundation/AppInfo.h"
#include "kx/foundation/Streams.h"

namespace kx {

class TempFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    mFolder = pattern + "/";
    TTempFileStream::SetTempPath(mFolder);
  }
  void TearDown() override {
    TTempFileStream::SetTempPath("");
    std::filesystem::remove_all(mFolder);
  }

  // Number of entries in the folder.
  std::size_t FileCount() const {
    std::size_t n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(mFolder)) ++n;
    return n;
  }

  std::string mFolder;  // with trailing "/"
};

}  // namespace kx
