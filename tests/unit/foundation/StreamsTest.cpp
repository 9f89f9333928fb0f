#include "kx/foundation/Streams.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <thread>

#include "kx/foundation/AppInfo.h"
#include "support/TempFolder.h"
#include "support/Raised.h"

namespace kx {
namespace {

std::string Bytes(TStream& stream) {
  std::string bytes(std::size_t(stream.Size()), '\0');
  TStreamHelper(&stream, false).CopyToBuffer(bytes.data());
  return bytes;
}

// A memory stream holding bytes, positioned at 0.
std::unique_ptr<TKXMemoryStream> StreamOf(const std::string& bytes) {
  auto stream = std::make_unique<TKXMemoryStream>(0);
  stream->WriteBuffer(bytes.data(), std::int64_t(bytes.size()));
  stream->SetPosition(0);
  return stream;
}

using test::MessageOf;

using TTempFileStreamTest = TempFolderTest;
using THsmStreamTest = TempFolderTest;

// ---------------------------------------------------------------------------
// TStreamHelper

TEST(TStreamHelper, WritesTheLittleEndianLayout) {
  struct Case {
    const char* name;
    std::function<void(TStreamHelper&)> write;
    std::string bytes;
  } cases[] = {
      {"boolean", [](TStreamHelper& h) { h.WriteBoolean(true), h.WriteBoolean(false); }, std::string("\x01\x00", 2)},
      {"word", [](TStreamHelper& h) { h.WriteWord(0x1234); }, "\x34\x12"},
      {"integer", [](TStreamHelper& h) { h.WriteInteger(-2); }, "\xFE\xFF\xFF\xFF"},
      {"int64", [](TStreamHelper& h) { h.WriteInt64(0x0102030405060708); }, "\x08\x07\x06\x05\x04\x03\x02\x01"},
      {"double", [](TStreamHelper& h) { h.WriteDouble(1.0); }, std::string("\0\0\0\0\0\0\xF0\x3F", 8)},
      {"empty text", [](TStreamHelper& h) { h.WriteText(""); }, std::string(4, '\0')},
      {"text", [](TStreamHelper& h) { h.WriteText("é€😀"); }, std::string("\x09\0\0\0", 4) + "é€😀"},
      {"line", [](TStreamHelper& h) { h.WriteLine("ab"); }, "ab\r\n"},
      {"strings", [](TStreamHelper& h) { h.WriteStrings(std::vector<std::string>{"a", ""}); },
       std::string("\x02\0\0\0\x01\0\0\0a\0\0\0\0", 13)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TKXMemoryStream stream(0);
    TStreamHelper helper(&stream, false);
    c.write(helper);
    EXPECT_EQ(Bytes(stream), c.bytes);
  }
}

TEST(TStreamHelper, FixedReadersAtTheEndGiveZero) {
  TStreamHelper helper(StreamOf("\x02\x07"));
  EXPECT_FALSE(helper.ReadBoolean());  // only the byte 1 is true
  EXPECT_EQ(helper.ReadInteger(), 7);  // one byte left, the rest zero
  EXPECT_EQ(helper.ReadInt64(), 0);
  EXPECT_EQ(helper.ReadText(), "");
}

TEST(TStreamHelper, ReadTextSkipsANegativeCountAndRepairsUtf8) {
  TStreamHelper helper(StreamOf(std::string("\xFB\xFF\xFF\xFF" "\x03\0\0\0a\xFFz", 11)));
  EXPECT_EQ(helper.ReadText(), "");
  EXPECT_EQ(helper.Stream()->Position(), 4);
  EXPECT_EQ(helper.ReadText(), "a\xEF\xBF\xBDz");
}

// A count is never trusted: more than the bytes left raises before allocating.
TEST(TStreamHelper, CountsBeyondTheDataRaise) {
  struct Case {
    const char* name;
    std::string bytes;
    bool list;
  } cases[] = {
      {"text one byte short", std::string("\x03\0\0\0ab", 6), false},
      {"huge text", std::string("\xFF\xFF\xFF\x7F", 4), false},
      {"list longer than its data", std::string("\x02\0\0\0\0\0\0\0", 8), true},
      {"huge list", std::string("\x00\x00\x00\x40", 4), true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TStreamHelper helper(StreamOf(c.bytes));
    TStringList list;
    EXPECT_EQ(MessageOf<Exception>([&] { c.list ? void(helper.ReadStrings(list)) : void(helper.ReadText()); }),
              "Packet is truncated or corrupt.");
  }
}

TEST(TStreamHelper, ReadStringsAppendsAndANegativeCountReadsNothing) {
  TStreamHelper helper(std::make_unique<TKXMemoryStream>(0));
  helper.WriteStrings(std::vector<std::string>{"b=2", "c"});
  helper.WriteInteger(-3);
  helper.WriteText("after");
  helper.Stream()->SetPosition(0);
  TStringList list;
  list.Add("a=1");
  EXPECT_EQ(helper.ReadStrings(list), 2);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Strings(2), "c");
  EXPECT_EQ(helper.ReadStrings(list), 0);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(helper.ReadText(), "after");
}

TEST(TStreamHelper, ReadLineEndsOnlyAtCrLf) {
  struct Case {
    std::string bytes;
    std::string line;
    std::int64_t position;
  } cases[] = {
      {"abc\r\nd", "abc", 5},
      {"a\nb\rc\r\n", "a\nb\rc", 7},
      {"\r\n", "", 2},
      {"tail", "tail", 4},  // the end of the stream ends the last line
      {"cr\r", "cr\r", 3},
      {"", "", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    TStreamHelper helper(StreamOf(c.bytes));
    EXPECT_EQ(helper.ReadLine(), c.line);
    EXPECT_EQ(helper.Stream()->Position(), c.position);
  }
}

TEST(TStreamHelper, ReadLineAllows32768BytesAndNoMore) {
  TStreamHelper longest(StreamOf(std::string(32768, 'x') + "\r\nnext"));
  EXPECT_EQ(longest.ReadLine().size(), 32768u);
  EXPECT_EQ(longest.ReadLine(), "next");
  TStreamHelper tooLong(StreamOf(std::string(32769, 'x') + "\r\n"));
  EXPECT_EQ(MessageOf<Exception>([&] { tooLong.ReadLine(); }), "Max ReadLine length exceeded.");
}

TEST(TStreamHelper, FindStringAcrossTheBlockBoundary) {
  std::string bytes = std::string(4094, '.') + "needle" + std::string(5000, '.');
  TStreamHelper helper(StreamOf(bytes));
  helper.Stream()->SetPosition(17);
  EXPECT_EQ(helper.FindString("needle", 0, 0), 4095);
  EXPECT_EQ(helper.FindString("needle", 4095, 0), -1);
  EXPECT_EQ(helper.FindString("needle", 0, 100), -1);  // stops at the first block past endPos
  EXPECT_EQ(helper.FindString("absent", -3, 0), -1);
  EXPECT_EQ(helper.Stream()->Position(), 17);
}

// A text longer than a block used to step back past the block start and never end.
TEST(TStreamHelper, FindStringOfATextLongerThanABlockTerminates) {
  std::string text(5000, 'a');
  text.back() = 'b';
  TStreamHelper helper(StreamOf(std::string(9000, 'a') + "b"));
  EXPECT_EQ(helper.FindString(text, 0, 0), 9001 - 4999);
  EXPECT_EQ(helper.FindString(std::string(5000, 'c'), 0, 0), -1);
}

TEST(TStreamHelper, FindStringSearchesUtf16AfterItsByteOrderMark) {
  TStreamHelper helper(StreamOf(std::string("\xFF\xFE" "a\0\xE9\0" "b\0", 8)));
  EXPECT_EQ(helper.FindString("éb", 0, 0), 5);
}

TEST(TStreamHelper, CopiesKeepThePosition) {
  TStreamHelper helper(StreamOf("12345"));
  helper.Stream()->SetPosition(2);
  char buffer[5];
  EXPECT_EQ(MessageOf<Exception>([&] { helper.CopyTo(buffer, 4); }), "aBytes is not large enough to hold stream.");
  helper.CopyTo(buffer, 5);
  EXPECT_EQ(std::string(buffer, 5), "12345");
  EXPECT_EQ(helper.Stream()->Position(), 2);
  EXPECT_EQ(helper.GetAsString(), "12345");
  EXPECT_EQ(helper.Stream()->Position(), 2);
  EXPECT_EQ(MessageOf<Exception>([&] { helper.CopyFrom(nullptr, 0); }), "Source stream is not defined.");
}

// ---------------------------------------------------------------------------
// Concrete stores

TEST(TKXMemoryStream, GrowsTo1024FirstThenBy8192) {
  for (auto [initial, capacity] : {std::pair{0, 1024}, {1, 1024}, {1024, 1024}, {1025, 8192}}) {
    SCOPED_TRACE(initial);
    EXPECT_EQ(TKXMemoryStream(initial).Capacity(), capacity);
  }
  TKXMemoryStream stream(0);
  stream.SetSize(8193);
  EXPECT_EQ(stream.Capacity(), 16384);
}

TEST(TKXMemoryStream, CreateCopyOfAllOrFromThePosition) {
  auto source = StreamOf("abcdef");
  source->SetPosition(4);
  EXPECT_EQ(Bytes(*TKXMemoryStream::CreateCopy(source.get(), 0)), "abcdef");
  source->SetPosition(1);
  auto part = TKXMemoryStream::CreateCopy(source.get(), 2);
  EXPECT_EQ(Bytes(*part), "bc");
  EXPECT_EQ(part->Position(), 0);
  EXPECT_EQ(TKXMemoryStream::CreateCopy(nullptr, 0), nullptr);
}

TEST(TPointerStream, ReadsCallerMemoryAndCannotGrow) {
  const char memory[] = "view";
  TPointerStream stream(memory, 4);
  EXPECT_EQ(Bytes(stream), "view");
  const std::string message = "TPointerStream classes cannot be reallocated.";
  EXPECT_EQ(MessageOf<Exception>([&] { stream.WriteBuffer("x", 1); }), message);
  EXPECT_EQ(MessageOf<Exception>([&] { stream.SetSize(8); }), message);
}

TEST_F(TTempFileStreamTest, NeedsAFolder) {
  TTempFileStream::SetTempPath("");
  EXPECT_EQ(MessageOf<Exception>([] { TTempFileStream(true, "BRM"); }), "MakeTempFile: No path was provided");
}

// Another process may already hold the next name: the file is skipped, not truncated.
TEST_F(TTempFileStreamTest, SkipsANameThatExists) {
  std::string first = TTempFileStream(true, "BRM").FileName();
  std::string stem = mFolder + "BRM" + ProcessStamp();
  ASSERT_EQ(first.rfind(stem, 0), 0u);
  std::uint64_t counter = std::stoull(first.substr(stem.size()), nullptr, 16);
  std::string planted = stem + IntToHex(counter + 1) + ".tmp";
  std::ofstream(planted) << "other";

  TTempFileStream next(true, "BRM");
  EXPECT_NE(next.FileName(), planted);
  std::ifstream in(planted);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "other");
}

TEST_F(TTempFileStreamTest, NamesAreUniqueAcrossThreads) {
  constexpr int kThreads = 8, kFiles = 100;
  std::vector<std::vector<std::string>> created(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < kFiles; ++i) created[t].push_back(TTempFileStream(false, "BRM").FileName());
    });
  for (auto& thread : threads) thread.join();
  std::set<std::string> names;
  for (auto& list : created) names.insert(list.begin(), list.end());
  EXPECT_EQ(names.size(), std::size_t(kThreads * kFiles));
  EXPECT_EQ(FileCount(), std::size_t(kThreads * kFiles));
}

// ---------------------------------------------------------------------------
// THsmStream

TEST(THsmStream, LargeBodiesInMemoryGrowByDoubling) {
  THsmStream stream(4 * 1024 * 1024, true);
  const std::string piece(1000, 'p');
  std::vector<std::int64_t> capacities;
  for (int i = 0; i < 1100; ++i) {
    TStreamHelper(&stream, false).Write(piece);
    auto capacity = static_cast<TMemoryStream*>(stream.InnerStream())->Capacity();
    if (capacities.empty() || capacities.back() != capacity) capacities.push_back(capacity);
  }
  EXPECT_FALSE(stream.IsFlushed());
  EXPECT_EQ(stream.Size(), 1100000);
  // 8 KB steps up to 64 KB, then doubling: a handful of moves for a megabyte, not a hundred.
  EXPECT_LT(capacities.size(), 20u);
  EXPECT_LE(capacities.back(), 2 * stream.Size());
}

TEST_F(THsmStreamTest, KeepsTheFlushSizeInMemory) {
  THsmStream stream(TKXRenderStream::FlushSize, true);
  std::string content(32759, 'm');
  stream.WriteBuffer(content.data(), 32759);
  EXPECT_FALSE(stream.IsFlushed());
  EXPECT_EQ(FileCount(), 0u);

  stream.WriteBuffer("+", 1);
  EXPECT_TRUE(stream.IsFlushed());
  EXPECT_EQ(stream.Pathname().rfind(mFolder + "BRM", 0), 0u);
  EXPECT_TRUE(stream.Pathname().ends_with(".tmp"));
  EXPECT_EQ(Bytes(stream), content + "+");
  EXPECT_EQ(MessageOf<Exception>([&] { stream.Flush(); }), "HsmStream already flushed.");
}

TEST_F(THsmStreamTest, WriteAfterSeekingBackKeepsTheBytesBefore) {
  THsmStream stream(10, true);
  stream.WriteBuffer("0123456789", 10);
  stream.SetPosition(4);
  stream.WriteBuffer("abcdefgh", 8);
  EXPECT_TRUE(stream.IsFlushed());
  EXPECT_EQ(stream.Position(), 12);
  EXPECT_EQ(Bytes(stream), "0123abcdefgh");
}

TEST_F(THsmStreamTest, SetSizeBeyondTheFlushSizeMovesToAFile) {
  THsmStream stream(10, true);
  stream.WriteBuffer("abc", 3);
  stream.SetPosition(1);
  stream.SetSize(20);
  EXPECT_TRUE(stream.IsFlushed());
  EXPECT_EQ(stream.Position(), 1);
  EXPECT_EQ(Bytes(stream), std::string("abc") + std::string(17, '\0'));
}

TEST_F(THsmStreamTest, FileStaysUnlessTransient) {
  std::string kept, deleted, handedOver;
  {
    THsmStream keep(1, false), drop(1, true), handOver(1, true);
    for (THsmStream* s : {&keep, &drop, &handOver}) s->WriteBuffer("xy", 2);
    handOver.SetTransient(false);
    kept = keep.Pathname();
    deleted = drop.Pathname();
    handedOver = handOver.Pathname();
  }
  EXPECT_TRUE(std::filesystem::exists(kept));
  EXPECT_FALSE(std::filesystem::exists(deleted));
  EXPECT_TRUE(std::filesystem::exists(handedOver));
}

TEST_F(THsmStreamTest, AFailedFlushLeavesNoFile) {
  THsmStream stream(100, false);
  stream.WriteBuffer("abc", 3);
  EXPECT_THROW(stream.Flush(10), EReadError);
  EXPECT_FALSE(stream.IsFlushed());
  EXPECT_EQ(FileCount(), 0u);
}

TEST_F(THsmStreamTest, PositionsStopBelow2GB) {
  THsmStream stream(TKXRenderStream::FlushSize, true);
  EXPECT_THROW(stream.Seek(std::int64_t(1) << 31, soBeginning), EStreamError);
  EXPECT_THROW(stream.Seek(-1, soCurrent), EStreamError);
  stream.Seek(INT32_MAX - 2, soBeginning);
  EXPECT_THROW(stream.WriteBuffer("four", 4), EStreamError);
  EXPECT_FALSE(stream.IsFlushed());
  EXPECT_EQ(stream.Size(), 0);
}

}  // namespace
}  // namespace kx
