#include "kx/appserver/CacheFiles.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "kx/foundation/Identifiers.h"
#include "kx/foundation/KXExceptions.h"
#include "kx/platform/Resources.h"
#include "support/TempFolder.h"

namespace kx {
namespace {

namespace fs = std::filesystem;

class TTestController final : public IKXCacheController {
 public:
  explicit TTestController(std::string folder) : mFolder(std::move(folder)) {}
  std::string CacheDir() const override { return mFolder; }
  TStrings& CacheFiles() override { return mFiles; }

  std::string mFolder;
  TStringList mFiles;
};

class TTestSession final : public IKXCacheOwner {
 public:
  explicit TTestSession(std::string urlBase = "/app/$/") : mUrlBase(std::move(urlBase)) {}
  IKXCacheOwner* CacheSession() override { return this; }
  bool IsCacheForm() const override { return false; }
  TStrings& CacheFiles() override { return mFiles; }
  std::string InternalUrlBase() const override { return mUrlBase; }

  std::string mUrlBase;
  TStringList mFiles;
};

class TTestForm final : public IKXCacheOwner {
 public:
  explicit TTestForm(IKXCacheOwner* session) : mSession(session) {}
  IKXCacheOwner* CacheSession() override { return mSession; }
  bool IsCacheForm() const override { return true; }
  TStrings& CacheFiles() override { return mFiles; }
  std::string InternalUrlBase() const override { throw std::logic_error("asked of a form"); }

  IKXCacheOwner* mSession;
  TStringList mFiles;
};

std::string FileBytes(const std::string& fileName) {
  std::ifstream file(fileName, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), {}};
}

void WriteBytes(const std::string& fileName, const std::string& bytes) {
  std::ofstream(fileName, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadContent(TStream& stream) {
  std::string content;
  char buffer[7];
  while (std::int64_t n = stream.Read(buffer, sizeof buffer)) content.append(buffer, std::size_t(n));
  return content;
}

// The message of the Exception that action raises; "(none)" when it raises nothing.
template <class F>
std::string MessageOf(F action) {
  try {
    action();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(none)";
}

std::string Text(const std::string& text) {
  std::uint32_t n = std::uint32_t(text.size());
  return std::string{char(n), char(n >> 8), char(n >> 16), char(n >> 24)} + text;
}

std::string Int64(std::int64_t value) {
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes += char(std::uint64_t(value) >> (8 * i));
  return bytes;
}

// The trailer of the example file: content "abc", "text/plain; charset=UTF-8", ctSession, "/x/temp/BRM1".
const std::string kExampleFile =
    "abc" + Text("text/plain; charset=UTF-8") + '\x02' + Text("/x/temp/BRM1") + Int64(3) + Text("KXCACHE");

class CacheFilesTest : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    mController = std::make_unique<TTestController>(mFolder);
    TKXAppCache::SetController(mController.get());
  }
  void TearDown() override {
    TKXAppCache::SetController(nullptr);
    TempFolderTest::TearDown();
  }

  // The file the router serves for an href: the part after "temp/" + ".tmp" in the cache folder.
  std::string FileOfHref(const std::string& href) const {
    std::size_t temp = href.find("/temp/");
    return temp == std::string::npos ? std::string() : mFolder + href.substr(temp + 6) + ".tmp";
  }
  std::string ContentOf(const std::string& href) {
    TReadCacheFileStream stream(FileOfHref(href));
    return ReadContent(stream);
  }

  std::unique_ptr<TTestController> mController;
  TTestSession mSession;
};

using TCacheStreamTest = CacheFilesTest;
using TReadCacheFileStreamTest = CacheFilesTest;
using TKXAppCacheTest = CacheFilesTest;

TEST_F(TCacheStreamTest, WritesTheTrailerByteForByte) {
  TTestSession session("/x/");
  WriteBytes(mFolder + "BRM1.tmp", "");
  {
    TCacheStream stream(&session, mFolder + "BRM1.tmp", ctSession);
    stream.SetContentType("text/plain; charset=UTF-8");
    stream.Write("abc");
  }
  std::string bytes = FileBytes(mFolder + "BRM1.tmp");
  EXPECT_EQ(bytes, kExampleFile);
  ASSERT_EQ(bytes.size(), 68u);
  EXPECT_EQ(bytes.substr(57), std::string("\x07\x00\x00\x00KXCACHE", 11));
}

TEST_F(TCacheStreamTest, NewFileIsNamedInTheCacheFolderAndListedByType) {
  TTestForm form(&mSession);
  struct Case {
    IKXCacheOwner* owner;
    TCacheType type;
    TStrings* list;
  } cases[] = {{&mSession, ctOneTime, nullptr},
               {&mSession, ctApp, &mController->mFiles},
               {&mSession, ctSession, &mSession.mFiles},
               {&form, ctForm, &form.mFiles},
               {&form, ctSession, &mSession.mFiles}};
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.type));
    mController->mFiles.Clear(), mSession.mFiles.Clear(), form.mFiles.Clear();
    std::string fileName, href;
    {
      TCacheStream stream(c.owner, c.type);
      fileName = stream.FileName();
      href = stream.GetHref();
      EXPECT_EQ(stream.ContentType(), "text/html; charset=UTF-8");
    }
    EXPECT_EQ(fs::path(fileName).parent_path().string() + "/", mFolder);
    EXPECT_EQ(fs::path(fileName).filename().string().rfind("BRM", 0), 0u);
    EXPECT_EQ(href, "/app/$/temp/" + fs::path(fileName).stem().string());
    EXPECT_EQ(FileOfHref(href), fileName);
    int listed = mController->mFiles.Count() + mSession.mFiles.Count() + form.mFiles.Count();
    EXPECT_EQ(listed, c.list ? 1 : 0);
    if (c.list) {
      EXPECT_EQ(c.list->Strings(0), fileName);
    }
  }
}

TEST_F(TCacheStreamTest, RefusedOwnersRaiseAndLeaveNoFile) {
  TTestForm orphan(nullptr);
  EXPECT_THROW(TCacheStream(nullptr, ctSession), EKXException);
  EXPECT_EQ(MessageOf([&] { TCacheStream(nullptr, ctSession); }), "Cache owner must be specified.");
  EXPECT_EQ(MessageOf([&] { TCacheStream(&orphan, ctForm); }), "Session object is not defined.");
  EXPECT_EQ(MessageOf([&] { TCacheStream(&mSession, ctForm); }), "KXForm object is not defined.");
  EXPECT_EQ(MessageOf([&] { TCacheStream(&mSession, mFolder + "x", ctSession); }),
            "File \"" + mFolder + "x\" does not exist.");
  TKXAppCache::SetController(nullptr);
  EXPECT_EQ(MessageOf([&] { TCacheStream(&mSession, ctOneTime); }), "Cache folder is not defined.");
  EXPECT_EQ(FileCount(), 0u);
}

// A stream freed while an exception unwinds holds partial content: it is deleted, not sealed.
TEST_F(TCacheStreamTest, StreamFreedByAnExceptionLeavesNoFile) {
  std::string fileName;
  try {
    std::unique_ptr<TCacheStream> stream;
    std::string href;
    TKXAppCache::NewSessionCacheStream(&mSession, "text/plain", stream, href);
    fileName = stream->FileName();
    stream->Write("partial");
    throw std::runtime_error("encoder failed");
  } catch (const std::runtime_error&) {
  }
  EXPECT_FALSE(fs::exists(fileName));
  EXPECT_EQ(mSession.mFiles.Count(), 0);
}

// RLIMIT_FSIZE makes writes beyond the limit fail with EFBIG (SIGXFSZ ignored meanwhile).
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t limit) {
    mHandler = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &mSaved);
    rlimit limited = mSaved;
    limited.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &mSaved);
    std::signal(SIGXFSZ, mHandler);
  }

 private:
  rlimit mSaved;
  void (*mHandler)(int);
};

TEST_F(TCacheStreamTest, WriteFailuresLeaveNoFile) {
  TMemoryStream big;
  big.SetSize(8192);
  {
    TFileSizeLimit limit(4096);
    // The content itself does not fit: the operation raises.
    EXPECT_THROW(TKXAppCache::StreamToCacheFile(&mSession, big, "", "text/plain", ctSession), EWriteError);
    // The content fits exactly but the trailer does not: freeing discards the file without raising.
    std::unique_ptr<TCacheStream> stream;
    std::string href;
    TKXAppCache::NewSessionCacheStream(&mSession, "text/plain", stream, href);
    stream->Stream()->WriteBuffer(big.Memory(), 4096);
    EXPECT_NO_THROW(stream.reset());
  }
  EXPECT_EQ(FileCount(), 0u);
  EXPECT_EQ(mSession.mFiles.Count(), 0);
}

TEST_F(TCacheStreamTest, ReaderIsRefusedWhileTheFileIsBeingWritten) {
  std::unique_ptr<TCacheStream> stream;
  std::string href;
  TKXAppCache::NewSessionCacheStream(&mSession, "text/plain", stream, href);
  EXPECT_THROW(TReadCacheFileStream{stream->FileName()}, EFOpenError);
  stream->Write("done");
  stream->Commit();
  EXPECT_EQ(ContentOf(href), "done");
}

TEST_F(TCacheStreamTest, NamesNeverCollideAcrossThreads) {
  constexpr int kThreads = 8, kFiles = 40;
  std::vector<std::vector<std::string>> names(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      try {
        for (int i = 0; i < kFiles; ++i) {
          TMemoryStream content;
          content.WriteBuffer(&t, sizeof t);
          names[t].push_back(TKXAppCache::StreamToCacheFile(&mSession, content, "same.bin", "x/y", ctApp));
        }
      } catch (const std::exception& e) {
        ADD_FAILURE() << e.what();
      }
    });
  for (std::thread& thread : threads) thread.join();
  std::set<std::string> distinct;
  for (int t = 0; t < kThreads; ++t)
    for (const std::string& href : names[t]) {
      distinct.insert(href);
      EXPECT_EQ(ContentOf(href), std::string(reinterpret_cast<const char*>(&t), sizeof t));
    }
  EXPECT_EQ(distinct.size(), std::size_t(kThreads * kFiles));
  EXPECT_EQ(mController->mFiles.Count(), kThreads * kFiles);
}

TEST_F(TReadCacheFileStreamTest, PresentsOnlyTheContent) {
  WriteBytes(mFolder + "a.tmp", kExampleFile);
  TReadCacheFileStream stream(mFolder + "a.tmp");
  EXPECT_EQ(stream.Size(), 3);
  EXPECT_EQ(stream.ContentType(), "text/plain; charset=UTF-8");
  EXPECT_EQ(stream.CacheType(), ctSession);
  EXPECT_EQ(stream.Href(), "/x/temp/BRM1");
  EXPECT_EQ(ReadContent(stream), "abc");
  EXPECT_EQ(stream.Seek(-1, soEnd), 2);
  char buffer[64];
  EXPECT_EQ(stream.Read(buffer, sizeof buffer), 1);
  stream.Seek(40, soBeginning);
  EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0);
  TMemoryStream copy;
  copy.CopyFrom(stream, 0);
  EXPECT_EQ(copy.Size(), 3);
  EXPECT_NO_THROW(stream.SetSize(0));
  EXPECT_EQ(MessageOf([&] { stream.SetSize(1); }), "Stream is not resizable");
}

// C8: no trailer field is trusted; a fault raises before anything is allocated or read out of range.
TEST_F(TReadCacheFileStreamTest, DamagedTrailersRaise) {
  const std::string invalid = "Invalid cache file", corrupted = "Cache file is corrupted";
  const std::string tail = Text("KXCACHE");
  auto withN = [&](std::int64_t n, const std::string& fields) { return fields + Int64(n) + tail; };
  const std::string validFields = Text("t") + '\x01' + Text("h");
  struct Case {
    const char* name;
    std::string bytes;
    std::string message;
  } cases[] = {
      {"empty file", "", invalid},
      {"18 bytes", std::string(7, 'x') + tail, invalid},
      {"last marker byte", kExampleFile.substr(0, 67) + "e", invalid},
      {"marker count 8", kExampleFile.substr(0, 57) + std::string("\x08\x00\x00\x00", 4) + "KXCACHE", invalid},
      {"N equals size", withN(kExampleFile.size(), kExampleFile.substr(0, 49)), corrupted},
      {"N negative", withN(-1, kExampleFile.substr(0, 49)), corrupted},
      {"N leaves no room", withN(2, "ab" + validFields.substr(0, 5)), corrupted},
      {"huge type length", withN(0, std::string("\xFF\xFF\xFF\x7F", 4) + '\x01' + Text("h")), corrupted},
      {"negative type length", withN(0, std::string("\xFF\xFF\xFF\xFF", 4) + '\x01' + Text("h")), corrupted},
      {"huge href length", withN(0, Text("t") + '\x01' + std::string("\xFF\xFF\xFF\x7F", 4) + "h"), corrupted},
      {"href too short", withN(0, Text("t") + '\x01' + Text("h") + "x"), corrupted},
      {"cache type 9", withN(0, Text("t") + '\x09' + Text("h")), corrupted},
      {"content cut off", kExampleFile.substr(1), corrupted},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteBytes(mFolder + "bad.tmp", c.bytes);
    EXPECT_EQ(MessageOf([&] { TReadCacheFileStream(mFolder + "bad.tmp"); }), c.message);
  }
  // Empty content: the file is only its trailer.
  WriteBytes(mFolder + "good.tmp", withN(0, validFields));
  TReadCacheFileStream good(mFolder + "good.tmp");
  EXPECT_EQ(good.Size(), 0);
  EXPECT_EQ(good.Href(), "h");
}

TEST_F(TReadCacheFileStreamTest, OneTimeFilesGoAfterTheirFirstReading) {
  std::string oneTime, session;
  TMemoryStream content;
  content.WriteBuffer("x", 1);
  oneTime = FileOfHref(TKXAppCache::StreamToCacheFile(&mSession, content, "", "text/plain", ctOneTime));
  session = FileOfHref(TKXAppCache::StreamToCacheFile(&mSession, content, "", "text/plain", ctSession));
  EXPECT_FALSE(TReadCacheFileStream::GetCacheFileHref(oneTime).empty());
  EXPECT_TRUE(fs::exists(oneTime));
  { TReadCacheFileStream reader(oneTime); }
  EXPECT_FALSE(fs::exists(oneTime));
  { TReadCacheFileStream reader(session); }
  EXPECT_TRUE(fs::exists(session));
}

TEST_F(TKXAppCacheTest, AddFileToCacheCopiesAnOutsideFileOnce) {
  fs::create_directories(mFolder + "a");
  WriteBytes(mFolder + "a/photo.jpg", "first");
  std::string href = TKXAppCache::AddFileToCache(&mSession, mFolder + "a/photo.jpg", "image/jpeg", ctSession);
  EXPECT_EQ(href, "/app/$/temp/photo.jpg");
  auto written = fs::last_write_time(mFolder + "photo.jpg.tmp");
  EXPECT_EQ(TKXAppCache::AddFileToCache(&mSession, mFolder + "a/photo.jpg", "image/jpeg", ctSession), href);
  EXPECT_EQ(fs::last_write_time(mFolder + "photo.jpg.tmp"), written);
  EXPECT_EQ(mSession.mFiles.Count(), 1);
  EXPECT_EQ(TReadCacheFileStream(FileOfHref(href)).ContentType(), "image/jpeg");
}

// C5: a file of the same name is never handed to another owner, a one-time reader, or for other content.
TEST_F(TKXAppCacheTest, AddFileToCacheNeverSharesAFileOfTheSameName) {
  fs::create_directories(mFolder + "a");
  fs::create_directories(mFolder + "b");
  WriteBytes(mFolder + "a/photo.jpg", "from a");
  WriteBytes(mFolder + "b/photo.jpg", "from b");
  TTestSession other;
  std::string first = TKXAppCache::AddFileToCache(&mSession, mFolder + "a/photo.jpg", "image/jpeg", ctSession);
  std::set<std::string> hrefs = {
      first,
      TKXAppCache::AddFileToCache(&mSession, mFolder + "b/photo.jpg", "image/jpeg", ctSession),
      TKXAppCache::AddFileToCache(&other, mFolder + "a/photo.jpg", "image/jpeg", ctSession),
      TKXAppCache::AddFileToCache(&mSession, mFolder + "a/photo.jpg", "image/jpeg", ctOneTime),
  };
  EXPECT_EQ(hrefs.size(), 4u);
  EXPECT_EQ(ContentOf(first), "from a");
  EXPECT_EQ(ContentOf(TKXAppCache::AddFileToCache(&mSession, mFolder + "b/photo.jpg", "", ctSession)), "from b");
}

TEST_F(TKXAppCacheTest, AddFileToCacheRenamesAFileInTheFolderAndSealsItOnce) {
  WriteBytes(mFolder + "report.pdf", "pdf");
  WriteBytes(mFolder + "other.pdf", "other");
  WriteBytes(mFolder + "other.pdf.tmp", "taken");
  std::string href = TKXAppCache::AddFileToCache(&mSession, mFolder + "report.pdf", "application/pdf", ctSession);
  EXPECT_EQ(href, "/app/$/temp/report.pdf");
  EXPECT_FALSE(fs::exists(mFolder + "report.pdf"));
  // C6: a second call leaves the one trailer and the one list entry.
  EXPECT_EQ(TKXAppCache::AddFileToCache(&mSession, mFolder + "report.pdf.tmp", "x", ctSession), href);
  EXPECT_EQ(ContentOf(href), "pdf");
  EXPECT_EQ(mSession.mFiles.Count(), 1);
  // C5: a rename never replaces another file.
  std::string renamed = TKXAppCache::AddFileToCache(&mSession, mFolder + "other.pdf", "x", ctSession);
  EXPECT_NE(renamed, "/app/$/temp/other.pdf");
  EXPECT_EQ(ContentOf(renamed), "other");
  EXPECT_EQ(FileBytes(mFolder + "other.pdf.tmp"), "taken");
}

TEST_F(TKXAppCacheTest, AddFileToCacheOfAMissingFileRaises) {
  EXPECT_EQ(MessageOf([&] { TKXAppCache::AddFileToCache(&mSession, mFolder + "dir/none.txt", "", ctSession); }),
            "Can't add file \"none.txt\" to cache. The file does not exist.");
}

// Names taken from callers stay in the cache folder and give hrefs that lead back to the file.
TEST_F(TKXAppCacheTest, StreamToCacheFileNamesStayInTheFolderAndResolve) {
  TMemoryStream content;
  content.WriteBuffer("data", 4);
  for (const char* name : {"export.csv", "export.csv", "../../evil", "..\\x.txt", ".hidden", "a#b", "", "x.tmp"}) {
    SCOPED_TRACE(name);
    std::size_t before = FileCount();
    std::string href = TKXAppCache::StreamToCacheFile(&mSession, content, name, "text/csv", ctSession);
    EXPECT_EQ(ContentOf(href), "data");
    EXPECT_EQ(FileCount(), before + 1);
  }
  EXPECT_EQ(TKXAppCache::StreamToCacheFile(&mSession, content, "../../evil", "", ctSession).substr(0, 15),
            "/app/$/temp/BRM");
  EXPECT_TRUE(fs::exists(mFolder + "evil.tmp"));
}

// C9: a named file that does not end with ".tmp" is renamed so that its href resolves.
TEST_F(TKXAppCacheTest, NewCacheStreamWithAFileNameGivesAnHrefThatResolves) {
  WriteBytes(mFolder + "report.pdf", "");
  std::unique_ptr<TCacheStream> stream;
  std::string href;
  TKXAppCache::NewCacheStream(&mSession, "/elsewhere/report.pdf", "application/pdf", ctSession, stream, href);
  stream->Write("pdf");
  stream.reset();
  EXPECT_EQ(href, "/app/$/temp/report.pdf");
  EXPECT_EQ(ContentOf(href), "pdf");
  EXPECT_EQ(MessageOf([&] { TKXAppCache::NewCacheStream(&mSession, "report.pdf.tmp", "", ctSession, stream, href); }),
            "Cache file \"" + mFolder + "report.pdf.tmp\" is already sealed.");
}

TEST_F(TKXAppCacheTest, ResourceToCacheFileCopiesTheEmbeddedBytes) {
  const TEmbeddedResource* favicon = FindResource("KX_FAVICON");
  ASSERT_NE(favicon, nullptr);
  std::string href = TKXAppCache::ResourceToCacheFile(&mSession, "kx_favicon", "image/x-icon", ctApp);
  EXPECT_EQ(ContentOf(href), std::string(favicon->Text()));
  EXPECT_THROW(TKXAppCache::ResourceToCacheFile(&mSession, "NO_SUCH", "", ctApp), EKXException);
}

TEST_F(TKXAppCacheTest, GraphicToCacheFileWritesTheChosenFormat) {
  TBitmap bitmap;
  bitmap.SetSize(2, 2);
  struct Case {
    TKXImageOutput output;
    const char* contentType;
    std::string signature;
  } cases[] = {{ioPNG, "image/png", "\x89PNG"}, {ioJPEG, "image/jpeg", "\xFF\xD8"}, {ioGIF, "image/gif", "GIF8"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.contentType);
    std::string href = TKXAppCache::GraphicToCacheFile(&mSession, bitmap, c.output, ctSession);
    EXPECT_EQ(TReadCacheFileStream(FileOfHref(href)).ContentType(), c.contentType);
    EXPECT_EQ(ContentOf(href).substr(0, c.signature.size()), c.signature);
  }
  std::string forced = TKXAppCache::GraphicToCacheFile(&mSession, bitmap, ctSession, true);
  EXPECT_EQ(TReadCacheFileStream(FileOfHref(forced)).ContentType(), "image/png");
}

// C7: an encoder failure leaves neither a file nor a list entry.
TEST_F(TKXAppCacheTest, GraphicThatCannotBeEncodedLeavesNoFile) {
  TBitmap empty;
  EXPECT_THROW(TKXAppCache::GraphicToCacheFile(&mSession, empty, ioPNG, ctSession), EInvalidGraphic);
  EXPECT_EQ(FileCount(), 0u);
  EXPECT_EQ(mSession.mFiles.Count(), 0);
}

TEST_F(TKXAppCacheTest, NewTempFileNameStaysInTheFolder) {
  std::string name = TKXAppCache::NewTempFileName(".png");
  EXPECT_EQ(name.rfind(mFolder + "BRM", 0), 0u);
  EXPECT_TRUE(name.ends_with(".png"));
  EXPECT_TRUE(TKXAppCache::NewTempFileName("").ends_with(".tmp"));
  EXPECT_THROW(TKXAppCache::NewTempFileName("/../../x"), Exception);
}

// Generated names differed only in a counter, so one client could guess another session's files under "temp/":
// 64 random bits (13 base-36 digits) follow the prefix, different for every name.
TEST_F(TKXAppCacheTest, GeneratedNamesCarryRandomDigitsAfterThePrefix) {
  std::vector<std::string> names;
  for (int i = 0; i < 8; ++i) {
    names.push_back(fs::path(TKXAppCache::NewTempFileName("")).filename().string());
    TKXMemoryStream content(0);
    const std::string href = TKXAppCache::StreamToCacheFile(&mSession, content, "", "text/plain", ctSession);
    names.push_back(href.substr(href.rfind('/') + 1) + ".tmp");
  }
  std::set<std::string> randomParts;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    ASSERT_GT(name.size(), 3u + 13u + 4u);
    EXPECT_EQ(name.rfind("BRM", 0), 0u);
    EXPECT_TRUE(name.ends_with(".tmp"));
    const std::string random = name.substr(3, 13);
    EXPECT_EQ(random.find_first_not_of(kBase36Digits), std::string::npos);
    randomParts.insert(random);
  }
  EXPECT_EQ(randomParts.size(), names.size());
}

TEST_F(TKXAppCacheTest, ClearCacheKeepsOnlyWhatCannotBeDeleted) {
  TStringList list;
  WriteBytes(mFolder + "a.tmp", "a");
  WriteBytes(mFolder + "b.tmp", "b");
  // unlink fails on a directory with something other than "not found", even for root.
  fs::create_directories(mFolder + "locked/inner");
  for (const char* name : {"a.tmp", "locked", "missing.tmp", "b.tmp"}) list.Add(mFolder + name);
  EXPECT_EQ(TKXAppCache::ClearCache(list), 1);
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Strings(0), mFolder + "locked");
  EXPECT_FALSE(fs::exists(mFolder + "a.tmp"));
  EXPECT_FALSE(fs::exists(mFolder + "b.tmp"));
}

}  // namespace
}  // namespace kx
