#include "kx/platform/Streams.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "support/Raised.h"

namespace kx {
namespace {

std::string ReadAll(TStream& stream) {
  std::string bytes(std::size_t(stream.Size()), '\0');
  stream.SetPosition(0);
  stream.ReadBuffer(bytes.data(), stream.Size());
  return bytes;
}

class TFileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "kx-streams-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    mFolder = pattern + "/";
  }
  void TearDown() override { std::filesystem::remove_all(mFolder); }

  static void WriteFile(const std::string& name, const std::string& bytes) { std::ofstream(name) << bytes; }
  static std::string FileText(const std::string& name) {
    std::ifstream in(name);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string mFolder;
};

TEST(TMemoryStream, GapsAndGrowthAreZeroFilled) {
  TMemoryStream stream;
  stream.WriteBuffer("ab", 2);
  stream.SetPosition(4);
  stream.WriteBuffer("z", 1);
  stream.SetSize(6);
  EXPECT_EQ(ReadAll(stream), std::string("ab\0\0z\0", 6));
  stream.SetSize(1);
  EXPECT_EQ(stream.Position(), 1);
}

TEST(TStream, CopyFromTakesAllFromTheStartOrCountFromThePosition) {
  TMemoryStream source, all, part;
  source.WriteBuffer("hello", 5);  // positioned at the end
  EXPECT_EQ(all.CopyFrom(source, 0), 5);
  EXPECT_EQ(ReadAll(all), "hello");
  source.SetPosition(1);
  EXPECT_EQ(part.CopyFrom(source, 3), 3);
  EXPECT_EQ(ReadAll(part), "ell");
  EXPECT_EQ(test::MessageOf<EReadError>([&] { part.CopyFrom(source, 3); }), "Stream read error");  // one byte left
}

TEST_F(TFileStreamTest, SaveAndLoadAFile) {
  TMemoryStream memory, loaded;
  memory.WriteBuffer("012", 3);
  memory.SaveToFile(mFolder + "a.bin");
  loaded.LoadFromFile(mFolder + "a.bin");
  EXPECT_EQ(ReadAll(loaded), "012");
}

TEST_F(TFileStreamTest, FailuresNameTheFileAndTheSystemReason) {
  const std::string missing = mFolder + "missing.txt", noFolder = mFolder + "no/such.txt";
  EXPECT_EQ(test::MessageOf<EFOpenError>([&] { TFileStream file(missing, fmOpenRead); }),
            "Cannot open file \"" + missing + "\". No such file or directory");
  EXPECT_EQ(test::MessageOf<EFCreateError>([&] { TFileStream file(noFolder, fmCreate); }),
            "Cannot create file \"" + noFolder + "\". No such file or directory");
}

TEST_F(TFileStreamTest, ExclusiveCreateRefusesAnExistingFileOrLink) {
  std::string name = mFolder + "taken.tmp";
  WriteFile(name, "keep");
  EXPECT_THROW(TFileStream(name, fmCreate | fmExclusive), EFCreateError);
  EXPECT_EQ(FileText(name), "keep");

  std::string link = mFolder + "link.tmp";
  ASSERT_EQ(symlink((mFolder + "target").c_str(), link.c_str()), 0);
  EXPECT_THROW(TFileStream(link, fmCreate | fmExclusive), EFCreateError);
  EXPECT_FALSE(std::filesystem::exists(mFolder + "target"));
}

TEST_F(TFileStreamTest, ShareModesBecomeAdvisoryLocks) {
  std::string name = mFolder + "shared.txt";
  WriteFile(name, "data");
  {
    TFileStream reader(name, fmOpenRead | fmShareDenyWrite);
    TFileStream secondReader(name, fmOpenRead | fmShareDenyWrite);
    EXPECT_THROW(TFileStream(name, fmOpenReadWrite | fmShareDenyWrite), EFOpenError);
    TFileStream unlocked(name, fmOpenReadWrite | fmShareDenyNone);
  }
  {
    TFileStream owner(name, fmOpenReadWrite | fmShareExclusive);
    EXPECT_THROW(TFileStream(name, fmOpenRead | fmShareDenyWrite), EFOpenError);
    // A refused create leaves the locked file as it was.
    EXPECT_THROW(TFileStream(name, fmCreate | fmShareDenyWrite), EFCreateError);
    EXPECT_EQ(owner.Size(), 4);
  }
  TFileStream again(name, fmOpenRead | fmShareExclusive);
}

}  // namespace
}  // namespace kx
