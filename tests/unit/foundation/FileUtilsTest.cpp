#include "kx/foundation/FileUtils.h"

#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <set>
#include <thread>

#include "kx/platform/SysUtils.h"
#include "support/Raised.h"

namespace kx {

namespace {

namespace fs = std::filesystem;

// Every test works in a fresh folder of its own, removed afterwards.
class FileUtilsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = gsTempPath() + "kx-fileutils-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    mDir = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(mDir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(mDir, ignored);
  }

  std::string Path(const std::string& name) const { return mDir + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const { FileMake(Path(name), bytes, true); }
  std::string Read(const std::string& name) const { return FileContents(Path(name)); }
  std::string ReadBytes(const std::string& name) const {
    std::ifstream in(Path(name), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool Exists(const std::string& name) const { return fs::exists(fs::symlink_status(Path(name))); }

  std::string mDir;
};

using test::MessageOf;

}  // namespace

// ---------------------------------------------------------------------------
// Temporary files, appending, creating and reading

TEST_F(FileUtilsTest, MakeSystemTempFileCreatesAnEmptyFileWithTheUpperCasedPrefix) {
  std::string first = MakeSystemTempFile(mDir, "brm");
  std::string second = MakeSystemTempFile(mDir, "brm");
  EXPECT_NE(first, second);
  EXPECT_TRUE(StartsStr(mDir + "/BRM", first)) << first;
  EXPECT_EQ(fs::file_size(first), 0u);
  EXPECT_THROW(MakeSystemTempFile(Path("missing"), "x"), EOSError);
}

TEST_F(FileUtilsTest, FileAppendWritesUtf16CodeUnitsWithoutByteOrderMark) {
  FileAppend(Path("a.txt"), "A\xC3\xA9");      // "Aé"
  FileAppend(Path("a.txt"), "\xF0\x9F\x98\x80");  // U+1F600, a surrogate pair
  EXPECT_EQ(ReadBytes("a.txt"), std::string("A\0\xE9\0\x3D\xD8\x00\xDE", 8));
  EXPECT_THROW(FileAppend(Path("missing/a.txt"), "x"), EFCreateError);
}

TEST_F(FileUtilsTest, FileMakeRefusesAnExistingFileWithoutOverwrite) {
  FileMake(Path("a.txt"), "first", false);
  EXPECT_EQ(MessageOf([&] { FileMake(Path("a.txt"), "second", false); }), Path("a.txt") + " already exists.");
  EXPECT_EQ(Read("a.txt"), "first");
  FileMake(Path("a.txt"), "", true);
  EXPECT_EQ(fs::file_size(Path("a.txt")), 0u);
}

TEST_F(FileUtilsTest, FileContentsOfMissingFileIsEmptyAndInvalidBytesBecomeReplacementCharacters) {
  EXPECT_EQ(FileContents(Path("missing.txt")), "");
  EXPECT_EQ(FileContents(Path("missing/deeper.txt")), "");
  Write("u.txt", "caf\xC3\xA9 \xFF!");
  EXPECT_EQ(Read("u.txt"), "caf\xC3\xA9 \xEF\xBF\xBD!");
  EXPECT_THROW(FileContents(mDir), EStreamError);  // a folder is not missing
}

TEST_F(FileUtilsTest, FileDeleteOfMissingFileRaises) {
  EXPECT_EQ(MessageOf([&] { FileDelete(Path("none")); }), Path("none") + " could not be deleted.");
}

// Lines appended from many threads at once come out whole, one per line.
TEST(LogFileAppend, ConcurrentLinesNeverInterleave) {
  const std::string extension = "kxtest-" + std::to_string(::getpid()) + ".log";
  const std::string logFile = gsAppPath() + gsAppName() + "." + extension;
  std::remove(logFile.c_str());
  constexpr int kThreads = 8;
  constexpr int kLines = 200;
  const std::string padding(500, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kLines; ++i) LogFileAppend("T" + std::to_string(t) + "-" + std::to_string(i) + padding, extension);
    });
  for (auto& thread : threads) thread.join();

  std::string contents = FileContents(logFile);
  std::remove(logFile.c_str());
  ASSERT_TRUE(EndsStr("\r\n", contents));
  const std::regex line(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d (T\d+-\d+)x{500})");
  std::set<std::string> seen;
  std::size_t start = 0;
  while (start < contents.size()) {
    std::size_t end = contents.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    std::smatch match;
    std::string text = contents.substr(start, end - start);
    ASSERT_TRUE(std::regex_match(text, match, line)) << text.substr(0, 80);
    EXPECT_TRUE(seen.insert(match[1]).second);
    start = end + 2;
  }
  EXPECT_EQ(seen.size(), std::size_t(kThreads * kLines));
}

// ---------------------------------------------------------------------------
// FileCopy and FileMove

TEST_F(FileUtilsTest, FileCopyCreatesMissingFoldersAndKeepsTheMode) {
  Write("src.txt", "payload");
  fs::permissions(Path("src.txt"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec);
  FileCopy(Path("src.txt"), Path("new/deeper/dst.txt"), false);
  EXPECT_EQ(Read("new/deeper/dst.txt"), "payload");
  EXPECT_EQ(fs::status(Path("new/deeper/dst.txt")).permissions(), fs::status(Path("src.txt")).permissions());
  EXPECT_EQ(Read("src.txt"), "payload");
}

TEST_F(FileUtilsTest, FileCopyWithoutOverwriteLeavesBothFiles) {
  Write("src.txt", "new");
  Write("dst.txt", "old");
  EXPECT_EQ(MessageOf([&] { FileCopy(Path("src.txt"), Path("dst.txt"), false); }),
            "File copy failed. The file \"dst.txt\" already exists in destination folder.");
  EXPECT_EQ(Read("src.txt"), "new");
  EXPECT_EQ(Read("dst.txt"), "old");
}

// A failing copy must not cost the existing destination (it used to be deleted first).
TEST_F(FileUtilsTest, FileCopyOverwriteFromMissingSourceKeepsTheDestination) {
  Write("dst.txt", "old");
  EXPECT_EQ(MessageOf([&] { FileCopy(Path("missing.txt"), Path("dst.txt"), true); }),
            "File copy Failed. The file \"" + Path("dst.txt") + "\" could not be created.\r\n" +
                SysErrorMessage(ENOENT));
  EXPECT_EQ(Read("dst.txt"), "old");
  EXPECT_EQ(std::distance(fs::directory_iterator(mDir), fs::directory_iterator()), 1);  // no temporary left
}

TEST_F(FileUtilsTest, FileCopyOverwriteReplacesTheDestinationAndLeavesNothingElse) {
  Write("src.txt", "new");
  Write("dst.txt", "old and longer");
  FileCopy(Path("src.txt"), Path("dst.txt"), true);
  EXPECT_EQ(Read("dst.txt"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(mDir), fs::directory_iterator()), 2);
}

TEST_F(FileUtilsTest, FileCopyFailuresCreateNoDestination) {
  EXPECT_EQ(MessageOf([] { FileCopy("/etc/hostname", "dst.txt", true); }),
            "File copy failed. Destination path cannot be empty.");

  EXPECT_EQ(MessageOf([&] { FileCopy(Path("missing.txt"), Path("dst.txt"), false); }),
            "File copy Failed. The file \"" + Path("dst.txt") + "\" could not be created.\r\n" +
                SysErrorMessage(ENOENT));
  EXPECT_FALSE(Exists("dst.txt"));

  Write("file", "a file where a folder should be");
  Write("src.txt", "x");
  EXPECT_EQ(MessageOf([&] { FileCopy(Path("src.txt"), Path("file/sub/dst.txt"), false); }),
            "File copy failed. The specified destination folder does not exist and could not be created.\r\n" +
                SysErrorMessage(ENOTDIR));

  EXPECT_THROW(FileCopy(mDir, Path("copy"), false), Exception);  // a folder is no file to copy
  EXPECT_FALSE(Exists("copy"));
}

TEST_F(FileUtilsTest, FileCopyOntoItselfIsRefusedAndFileMoveOntoItselfKeepsTheFile) {
  Write("a.txt", "keep me");
  EXPECT_THROW(FileCopy(Path("a.txt"), Path("a.txt"), true), Exception);
  EXPECT_THROW(FileMove(Path("a.txt"), mDir + "/./a.txt", true), Exception);
  EXPECT_EQ(Read("a.txt"), "keep me");
}

TEST_F(FileUtilsTest, FileMoveRemovesTheSourceOnlyAfterASuccessfulCopy) {
  Write("src.txt", "moving");
  Write("dst.txt", "there");
  EXPECT_THROW(FileMove(Path("src.txt"), Path("dst.txt"), false), Exception);
  EXPECT_EQ(Read("src.txt"), "moving");
  FileMove(Path("src.txt"), Path("dst.txt"), true);
  EXPECT_FALSE(Exists("src.txt"));
  EXPECT_EQ(Read("dst.txt"), "moving");
}

// ---------------------------------------------------------------------------
// Folders and names

TEST_F(FileUtilsTest, MakeDirectoryCreatesParentsAndReportsFailure) {
  EXPECT_TRUE(MakeDirectory(Path("a/b/c/"), true));
  EXPECT_TRUE(DirectoryExists(Path("a/b/c")));
  EXPECT_TRUE(MakeDirectory(Path("a/b"), true));  // already there

  Write("file", "");
  EXPECT_FALSE(MakeDirectory(Path("file"), true));  // exists, but not as a folder: not raised
  EXPECT_FALSE(MakeDirectory(Path("file/sub"), false));
  EXPECT_EQ(MessageOf([&] { MakeDirectory(Path("file/sub"), true); }),
            "MakeDirectory cannot create directory \"" + Path("file/sub") + "\".\r\n" + SysErrorMessage(ENOTDIR));
  EXPECT_FALSE(DirectoryExists(Path("file")));
  EXPECT_FALSE(DirectoryExists(""));
}

TEST(FileNames, TrailingDelimiterAndExtension) {
  EXPECT_EQ(IncludeTrailingPathDelim(""), "");
  EXPECT_EQ(IncludeTrailingPathDelim("/a"), "/a/");
  EXPECT_EQ(IncludeTrailingPathDelim("/a/"), "/a/");
  const struct {
    const char* name;
    const char* expected;
  } cases[] = {{"/a/b.txt", "/a/b"},  {"a.tar.gz", "a.tar"}, {"/a.d/b", "/a.d/b"},
               {".profile", ".profile"}, {"/x/.profile", "/x/.profile"}, {"/x/.a.b", "/x/.a"},
               {"name.", "name"},   {"", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(RemoveFileExt(c.name), c.expected);
  }
}

TEST(ExpandFileName, ResolvesDotsLexically) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {{"/a/./b/../c", "/a/c"}, {"//a//b/", "/a/b/"}, {"/..", "/"}, {"/../../x", "/x"},
               {"/a/b/..", "/a"},        {"/", "/"},             {"", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ExpandFileName(c.path), c.expected);
  }
  EXPECT_EQ(ExpandFileName("x/y"), TKXAppInfo::GetCurrentPath() + "x/y");
}

TEST(CriticalFolder, RootTopLevelAndCurrentFolderReferences) {
  for (const char* folder : {"", ".", "..", "./", "a/..", "a/../..", "./../x/../..", "/", "//", "/.", "/tmp/..",
                             "/usr", "/tmp/", "//home/.", "/tmp/a/../../etc"}) {
    SCOPED_TRACE(folder);
    EXPECT_TRUE(CriticalFolder(folder));
  }
  ASSERT_NE(TKXAppInfo::GetCurrentPath(), "/");
  for (const char* folder : {"/tmp/kx-site", "/home/user/site/", "sub", "./sub", "a/../sub"}) {
    SCOPED_TRACE(folder);
    EXPECT_FALSE(CriticalFolder(folder));
  }
}

// ---------------------------------------------------------------------------
// KXDelTree

TEST(KXDelTree, RefusesCriticalFolders) {
  for (const char* folder : {"", "\\", "/", ".", "..", "//", "/tmp/..", "/tmp", "/usr/"}) {
    SCOPED_TRACE(folder);
    EXPECT_EQ(MessageOf([&] { KXDelTree(folder); }),
              std::string("Assertion failed: KXDelTree attempts to delete \"") + folder + "\"");
  }
}

TEST_F(FileUtilsTest, KXDelTreeRemovesNestedFolders) {
  MakeDirectory(Path("tree/a/b/c"), true);
  MakeDirectory(Path("tree/d"), true);
  Write("tree/f.txt", "1");
  Write("tree/a/b/g.txt", "2");
  Write("tree/a/b/c/.hidden", "3");
  EXPECT_TRUE(KXDelTree(Path("tree/")));
  EXPECT_FALSE(Exists("tree"));
  EXPECT_FALSE(KXDelTree(Path("tree")));  // nothing left to remove
}

// A link inside the tree is removed as a link; what it points to survives.
TEST_F(FileUtilsTest, KXDelTreeNeverFollowsSymbolicLinks) {
  MakeDirectory(Path("outside/inner"), true);
  Write("outside/precious.txt", "keep");
  Write("outside/inner/also.txt", "keep");
  Write("lonely.txt", "keep");
  MakeDirectory(Path("tree/sub"), true);
  fs::create_directory_symlink(Path("outside"), Path("tree/to-folder"));
  fs::create_directory_symlink(Path("outside"), Path("tree/sub/deeper-link"));
  fs::create_symlink(Path("lonely.txt"), Path("tree/to-file"));
  fs::create_symlink(Path("nowhere"), Path("tree/dangling"));

  EXPECT_TRUE(KXDelTree(Path("tree")));
  EXPECT_FALSE(Exists("tree"));
  EXPECT_EQ(Read("outside/precious.txt"), "keep");
  EXPECT_EQ(Read("outside/inner/also.txt"), "keep");
  EXPECT_EQ(Read("lonely.txt"), "keep");
}

TEST_F(FileUtilsTest, KXDelTreeOfALinkRemovesOnlyTheLink) {
  MakeDirectory(Path("target"), true);
  Write("target/precious.txt", "keep");
  fs::create_directory_symlink(Path("target"), Path("link"));
  EXPECT_TRUE(KXDelTree(Path("link/")));
  EXPECT_FALSE(Exists("link"));
  EXPECT_EQ(Read("target/precious.txt"), "keep");

  Write("plain.txt", "a file is no tree");
  EXPECT_FALSE(KXDelTree(Path("plain.txt")));
  EXPECT_TRUE(Exists("plain.txt"));
}

// ---------------------------------------------------------------------------
// Processes

TEST(SplitCommandLine, QuotesGroupWithoutAShell) {
  using Args = std::vector<std::string>;
  const struct {
    const char* line;
    Args expected;
  } cases[] = {
      {"", {}},
      {"  a  b\tc ", {"a", "b", "c"}},
      {"\"a b\" c", {"a b", "c"}},
      {"--name=\"a b\"", {"--name=a b"}},
      {"\"say \\\"hi\\\"\" \"c:\\\\x\"", {"say \"hi\"", "c:\\x"}},
      {"C:\\dir\\file", {"C:\\dir\\file"}},
      {"'$(id) `x` \"q\"'", {"$(id) `x` \"q\""}},
      {"\"\" ''", {"", ""}},
      {"a \"unclosed b", {"a", "unclosed b"}},
      {"a;b|c", {"a;b|c"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(SplitCommandLine(c.line), c.expected);
  }
}

TEST_F(FileUtilsTest, ShellPassesArgumentsLiterallyAndWaits) {
  Shell("touch", "'" + Path("$(touch pwned)") + "' \"" + Path("a b.txt") + "\"", true);
  EXPECT_TRUE(Exists("$(touch pwned)"));
  EXPECT_TRUE(Exists("a b.txt"));
  EXPECT_FALSE(Exists("pwned"));
  EXPECT_FALSE(Exists("a"));

  Shell("", "touch " + Path("first-argument-is-the-program"), true);
  EXPECT_TRUE(Exists("first-argument-is-the-program"));
}

TEST_F(FileUtilsTest, StartFailuresRaise) {
  try {
    Shell(Path("no-such-program"), "", true);
    FAIL() << "no exception";
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), ENOENT);
  }
  EXPECT_EQ(MessageOf([&] { ExecProcess(Path("no-such-program"), "x"); }),
            "Could not execute process: " + SysErrorMessage(ENOENT));
}

TEST_F(FileUtilsTest, ExecProcessStartsWithoutWaiting) {
  ExecProcess("touch", "\"" + Path("started flag") + "\"");
  // Wait for the child's work, not for a time: give up only after a generous bound.
  for (int i = 0; i < 1000 && !Exists("started flag"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_TRUE(Exists("started flag"));
}

// ---------------------------------------------------------------------------
// Other helpers

TEST(Helpers, ChecksRaiseTheirMessages) {
  EXPECT_NO_THROW(Check(true, "unused"));
  EXPECT_EQ(MessageOf([] { Check(false, "the reason"); }), "the reason");
  EXPECT_THROW(NotImp(), ENotImplemented);
  EXPECT_EQ(MessageOf([] { NotImp(); }), "Not implemented.");
  errno = EACCES;
  EXPECT_THROW(Win32SafeCheck(false), EOSError);
}

TEST(Helpers, ComparisonsAndChoices) {
  EXPECT_EQ(CompareInteger(1, 2), -1);
  EXPECT_EQ(CompareInteger(INT64_MIN, INT64_MAX), -1);  // no overflow from subtracting
  EXPECT_EQ(CompareInteger(5, 5), 0);
  EXPECT_EQ(CompareInteger(3, -3), 1);
  EXPECT_EQ(CompareDateTime(45000.5, 45000.25), 1);
  EXPECT_EQ(CompareDateTime(1.0, 1.0), 0);

  EXPECT_EQ(iif("", "a", "b"), "b");  // a text condition: empty or not, never a pointer
  EXPECT_EQ(iif("x", "a", "b"), "a");
  EXPECT_EQ(iif(std::string("x"), "a", "b"), "a");
  EXPECT_EQ(iif(false, "a", "b"), "b");
  EXPECT_EQ(iif(2 > 1, 10, 20), 10);
  EXPECT_EQ(YesNoStr[true], "Yes");
  EXPECT_EQ(YesNoStr[false], "No");
}

TEST(Helpers, NumbersAndArrays) {
  EXPECT_TRUE(IsNumeric(U'0'));
  EXPECT_TRUE(IsNumeric(U'9'));
  EXPECT_FALSE(IsNumeric(U'a'));
  EXPECT_FALSE(IsNumeric(U'/'));
  EXPECT_FALSE(IsNumeric(U':'));

  EXPECT_EQ(Minutes(0), 0.0);
  EXPECT_EQ(Minutes(720), 0.5);
  EXPECT_EQ(Minutes(1439), 1439 / 1440.0);
  EXPECT_THROW(Minutes(1440), EConvertError);
  EXPECT_THROW(Minutes(-1), EConvertError);

  const int numbers[] = {4, 7, 4};
  EXPECT_EQ(PosInIntArray(4, numbers), 0);
  EXPECT_EQ(PosInIntArray(7, numbers), 1);
  EXPECT_EQ(PosInIntArray(5, numbers), -1);
  EXPECT_EQ(PosInIntArray(5, {}), -1);
  const std::vector<std::string> texts = {"Alpha", "beta", "alpha"};
  EXPECT_EQ(PosInStrArray("alpha", texts), 2);  // compared exactly
  EXPECT_EQ(PosInStrArray("BETA", texts), -1);
}

TEST(SetThreadName, CutsAtFifteenBytesWithoutSplittingACharacter) {
  const struct {
    std::string name;
    std::string expected;
  } cases[] = {
      {"worker", "worker"},
      {"kx-session-timeout", "kx-session-time"},
      {"abcdefghijklmn\xC3\xA9", "abcdefghijklmn"},  // é would straddle byte 15
      {"abcdefghijklm\xC3\xA9z", "abcdefghijklm\xC3\xA9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string seen;
    std::thread([&] {
      SetThreadName(c.name);
      char buffer[16] = {};
      pthread_getname_np(pthread_self(), buffer, sizeof buffer);
      seen = buffer;
    }).join();
    EXPECT_EQ(seen, c.expected);
  }
}

}  // namespace kx
