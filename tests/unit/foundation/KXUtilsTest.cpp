#include "kx/foundation/KXUtils.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <limits>

#include "kx/foundation/AppInfo.h"
#include "kx/platform/Streams.h"
#include "support/ScopedTimeZone.h"

namespace kx {

namespace {

namespace fs = std::filesystem;
using namespace std::string_view_literals;

void Fill(TMemoryStream& stream, std::string_view bytes) {
  stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  stream.SetPosition(0);
}

class KXUtilsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kxutils-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    mDir = pattern;
  }
  void TearDown() override { fs::remove_all(mDir); }

  std::string Make(const std::string& relative, std::string_view content) {
    const fs::path path = fs::path(mDir) / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path.string();
  }

  std::string mDir;
};

}  // namespace

// ---------------------------------------------------------------------------
// Streams

TEST(ReadContentsFromStream, ReadsCountBytesFromThePosition) {
  TMemoryStream stream;
  Fill(stream, "abc\xC3\xA9xyz");
  stream.SetPosition(1);
  EXPECT_EQ(ReadContentsFromStream(stream, 4), "bc\xC3\xA9");
  EXPECT_EQ(stream.Position(), 5);
  EXPECT_EQ(ReadContentsFromStream(stream, 100), "xyz");  // only what is left
  EXPECT_EQ(stream.Position(), 8);
  EXPECT_EQ(ReadContentsFromStream(stream, 5), "");
  stream.SetPosition(0);
  EXPECT_EQ(ReadContentsFromStream(stream, 0), "");
  EXPECT_EQ(stream.Position(), 0);
}

TEST(ReadContentsFromStream, NeverAllocatesBeyondTheStream) {
  TMemoryStream stream;
  Fill(stream, "ab");
  EXPECT_EQ(ReadContentsFromStream(stream, std::numeric_limits<std::int64_t>::max()), "ab");
}

TEST(ReadContentsFromStream, HonoursByteOrderMarks) {
  const struct {
    std::string_view bytes;
    std::string expected;
  } cases[] = {
      {"\xEF\xBB\xBF" "a\xC3\xA9"sv, "a\xC3\xA9"},
      {"\xFF\xFE" "a\0\xE9\0\x3D\xD8\x00\xDE"sv, "a\xC3\xA9\xF0\x9F\x98\x80"},  // UTF-16LE "aé😀"
      {"\xFE\xFF" "\0a\0\xE9\xD8\x3D\xDE\x00"sv, "a\xC3\xA9\xF0\x9F\x98\x80"},  // UTF-16BE
      {"\xFF\xFE" "\x00\xD8" "a\0"sv, "\xEF\xBF\xBD" "a"},                     // lone surrogate
      {"\xFF\xFE" "a\0b"sv, "a\xEF\xBF\xBD"},                                  // odd last byte
      {"a\xC3"sv, "a\xEF\xBF\xBD"},                                            // a character cut off
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    TMemoryStream stream;
    Fill(stream, c.bytes);
    EXPECT_EQ(ReadContentsFromStream(stream, static_cast<std::int64_t>(c.bytes.size())), c.expected);
  }
}

// ---------------------------------------------------------------------------
// KXFormatByteSize

TEST(KXFormatByteSize, UnitsStartAboveEachPowerOf1024) {
  const struct {
    std::int64_t size;
    std::string expected;
  } cases[] = {
      {0, "0.00 bytes"},          {1024, "1024.00 bytes"},       {1025, "1.00 KB"},
      {1536, "1.50 KB"},          {1048576, "1024.00 KB"},       {1048577, "1.00 MB"},
      {1073741824, "1024.00 MB"}, {1073741825, "1.00 GB"},       {5LL << 40, "5120.00 GB"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(KXFormatByteSize(c.size, "%.2f"), c.expected);
  }
  EXPECT_EQ(KXFormatByteSize(2048, "%.0f"), "2 KB");
}

// ---------------------------------------------------------------------------
// Files

TEST_F(KXUtilsFiles, LocateFileWalksUpToTheStopFolder) {
  const std::string found = Make("a/target.ini", "x");
  const std::string start = mDir + "/a/b/c";
  fs::create_directories(start);

  std::string name = "target.ini";
  EXPECT_TRUE(LocateFile(name, start));
  EXPECT_EQ(name, found);

  name = "target.ini";
  EXPECT_TRUE(LocateFile(name, start + "/", mDir + "/a", true));
  EXPECT_EQ(name, found);

  name = "target.ini";
  EXPECT_FALSE(LocateFile(name, start, mDir + "/a", false));  // the stop folder itself is not searched
  EXPECT_EQ(name, "target.ini");
  EXPECT_FALSE(LocateFile(name, start, mDir + "/a/b", true));
  EXPECT_FALSE(LocateFile(name, mDir, "", false));  // never downwards
}

TEST_F(KXUtilsFiles, LocateFileFindsNearestAndIgnoresFolders) {
  Make("a/name", "outer");
  const std::string nearer = Make("a/b/name", "inner");
  fs::create_directories(mDir + "/a/b/c/name");  // a folder of that name does not count
  std::string name = "name";
  EXPECT_TRUE(LocateFile(name, mDir + "/a/b/c"));
  EXPECT_EQ(name, nearer);

  std::string missing = "no-such-file-kx";
  EXPECT_FALSE(LocateFile(missing, mDir + "/a/b/c"));
  EXPECT_EQ(missing, "no-such-file-kx");
}

TEST_F(KXUtilsFiles, IniReaders) {
  const std::string ini = Make("app.ini", "\xEF\xBB\xBF[Server]\r\nDebug=TRUE\r\nPORT = 8080\r\nName=\"kx\"\r\n"
                                          "Off=yes\r\nBad=12a\r\n");
  EXPECT_TRUE(ReadBoolFromIni(ini, "server", "debug"));
  EXPECT_FALSE(ReadBoolFromIni(ini, "Server", "Off"));  // only "True" is true
  EXPECT_FALSE(ReadBoolFromIni(ini, "Server", "Missing"));
  EXPECT_EQ(ReadStringFromIni(ini, "SERVER", "name", "d"), "kx");
  EXPECT_EQ(ReadStringFromIni(ini, "Other", "name", "d"), "d");
  EXPECT_EQ(ReadIntFromIni(ini, "Server", "Port", 1), 8080);
  EXPECT_EQ(ReadIntFromIni(ini, "Server", "Bad", 7), 7);
  EXPECT_EQ(ReadIntFromIni(mDir + "/missing.ini", "Server", "Port", 9), 9);
  EXPECT_FALSE(ReadBoolFromIni(mDir + "/missing.ini", "Server", "Debug"));
}

TEST_F(KXUtilsFiles, KXGetFileSize) {
  EXPECT_EQ(KXGetFileSize(Make("five", "12345")), 5);
  EXPECT_EQ(KXGetFileSize(Make("empty", "")), 0);
  EXPECT_EQ(KXGetFileSize(mDir + "/missing"), -1);
  EXPECT_EQ(KXGetFileSize(mDir), -1);
}

// The modification time as local time, the fraction of a second kept.
TEST_F(KXUtilsFiles, SearchRecDateTime) {
  const std::string file = Make("dated", "x");
  const timespec times[2] = {{1614834367, 250000000}, {1614834367, 250000000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
  struct stat record {};
  ASSERT_EQ(::stat(file.c_str(), &record), 0);
  EXPECT_NEAR(SearchRecDateTime(record), UTCToLocalTime(EncodeDateTime(2021, 3, 4, 5, 6, 7, 250)), 1e-3 / kSecsPerDay);
  // Away from UTC: a summer modification time takes the zone's daylight saving offset, +02:00.
  test::ScopedTimeZone zone(test::kCET);
  const timespec summer[2] = {{1625375167, 250000000}, {1625375167, 250000000}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), summer, 0), 0);
  ASSERT_EQ(::stat(file.c_str(), &record), 0);
  EXPECT_NEAR(SearchRecDateTime(record), EncodeDateTime(2021, 7, 4, 7, 6, 7, 250), 1e-3 / kSecsPerDay);
}

}  // namespace kx
