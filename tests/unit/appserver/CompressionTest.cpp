#include "kx/appserver/Compression.h"
#include "support/Inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <string>

namespace kx {
namespace {

using test::Inflate;

std::string Compress(const std::string& input, int level, TKXCompressMethod method) {
  TMemoryStream source, dest;
  source.WriteBuffer(input.data(), std::int64_t(input.size()));
  source.SetPosition(0);
  KXCompressStream(source, dest, level, method);
  return std::string(static_cast<const char*>(dest.Memory()), std::size_t(dest.Size()));
}

// zlib's own inflate, which checks the trailer too; windowBits 31 reads gzip, 15 the zlib format (as inflateInit).
// Over a megabyte: runs of text that compress well and noise that does not, so output blocks fill exactly and
// input spans many 32768-byte reads.
std::string MixedData() {
  std::string data;
  std::uint32_t state = 2463534242u;
  while (data.size() < 1100000) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    if (state % 3 == 0)
      data.append(state % 700, char('a' + state % 26));
    else
      for (int i = 0; i < 500; ++i) data += char((state >> (i % 24)) ^ i);
  }
  return data;
}

TEST(KXCompressStream, EmptySourceGivesACompleteEmptyStream) {
  std::string gzip = Compress("", 9, kxcmGZIP);
  ASSERT_EQ(gzip.size(), 20u);
  EXPECT_EQ(gzip.substr(0, 3), std::string("\x1F\x8B\x08", 3));
  EXPECT_EQ(Inflate(gzip, 31), "");

  std::string zlib = Compress("", 9, kxcmDEFLATE);
  EXPECT_EQ(zlib, std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
  EXPECT_EQ(Inflate(zlib, 15), "");
}

TEST(KXCompressStream, GzipHeader) {
  const std::string input = "The quick brown fox jumps over the lazy dog";
  struct {
    int level;
    unsigned char extraFlags;  // XFL: 2 for the best compression, 4 for the fastest, 0 otherwise
  } cases[] = {{1, 4}, {9, 2}, {5, 0}, {0, 0}, {10, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    std::string gzip = Compress(input, c.level, kxcmGZIP);
    ASSERT_GE(gzip.size(), 18u);
    EXPECT_EQ(gzip.substr(0, 4), std::string("\x1F\x8B\x08\x00", 4));  // signature, deflate, no optional fields
    EXPECT_EQ(static_cast<unsigned char>(gzip[8]), c.extraFlags);
    EXPECT_EQ(Inflate(gzip, 31), input);
  }
}

// "deflate" as a content coding is the zlib format (header, Adler-32 trailer): what zlib's plain inflateInit reads.
TEST(KXCompressStream, DeflateIsTheZlibFormat) {
  const std::string input(5000, 'x');
  struct {
    int level;
    unsigned char flags;  // the header's second byte carries the level class
  } cases[] = {{1, 0x01}, {5, 0x9C}, {6, 0x9C}, {9, 0xDA}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.level);
    std::string zlib = Compress(input, c.level, kxcmDEFLATE);
    ASSERT_GE(zlib.size(), 6u);
    EXPECT_EQ(static_cast<unsigned char>(zlib[0]), 0x78);
    EXPECT_EQ(static_cast<unsigned char>(zlib[1]), c.flags);
    EXPECT_EQ(Inflate(zlib, 15), input);
  }
}

TEST(KXCompressStream, LargeInputRoundTrips) {
  const std::string input = MixedData();
  for (auto method : {kxcmGZIP, kxcmDEFLATE}) {
    SCOPED_TRACE(method);
    std::string compressed = Compress(input, 1, method);
    EXPECT_LT(compressed.size(), input.size());
    EXPECT_EQ(Inflate(compressed, method == kxcmGZIP ? 31 : 15), input);
  }
}

TEST(KXCompressStream, StartsAtTheSourcePositionAndWritesAtTheDestPosition) {
  TMemoryStream source, dest;
  source.WriteBuffer("abcdef", 6);
  source.SetPosition(2);
  dest.WriteBuffer("XY", 2);
  KXCompressStream(source, dest, 9, kxcmGZIP);
  std::string written(static_cast<const char*>(dest.Memory()), std::size_t(dest.Size()));
  ASSERT_EQ(written.substr(0, 2), "XY");
  EXPECT_EQ(Inflate(written.substr(2), 31), "cdef");
}

class TFullStream : public TMemoryStream {
 public:
  std::int64_t Write(const void*, std::int64_t) override { return 0; }
};

// A destination that takes nothing is an error, not an empty success.
TEST(KXCompressStream, DestinationWriteFailureRaises) {
  TMemoryStream source;
  source.WriteBuffer("abc", 3);
  source.SetPosition(0);
  TFullStream dest;
  EXPECT_THROW(KXCompressStream(source, dest, 1, kxcmDEFLATE), EWriteError);
}

TEST(TKXCompressionOptions, DisallowingTheLastAlgorithmDisables) {
  for (bool gzipFirst : {true, false}) {
    SCOPED_TRACE(gzipFirst);
    TKXCompressionOptions options;
    if (gzipFirst) options.SetAllowGZip(false); else options.SetAllowDeflate(false);
    EXPECT_TRUE(options.Enabled());
    if (gzipFirst) options.SetAllowDeflate(false); else options.SetAllowGZip(false);
    EXPECT_FALSE(options.Enabled());
    EXPECT_FALSE(options.AllowGZip());
    EXPECT_FALSE(options.AllowDeflate());
  }
}

TEST(TKXCompressionOptions, EnablingWithNothingAllowedAllowsBoth) {
  TKXCompressionOptions options;
  options.SetAllowGZip(false);
  options.SetAllowDeflate(false);
  options.SetEnabled(true);
  EXPECT_TRUE(options.Enabled());
  EXPECT_TRUE(options.AllowGZip());
  EXPECT_TRUE(options.AllowDeflate());

  // With one algorithm allowed, switching on and off touches only Enabled.
  options.SetAllowDeflate(false);
  options.SetEnabled(false);
  options.SetEnabled(true);
  EXPECT_TRUE(options.AllowGZip());
  EXPECT_FALSE(options.AllowDeflate());
}

TEST(TKXCompressionOptions, LevelStaysWithinOneToNine) {
  TKXCompressionOptions options;
  struct {
    TKXCompressionLevel set, expected;
  } cases[] = {{0, 1}, {1, 1}, {5, 5}, {9, 9}, {10, 9}, {255, 9}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.set));
    options.SetLevel(c.set);
    EXPECT_EQ(options.Level(), c.expected);
  }
}

TEST(TKXCompressionOptions, AssignCopiesEveryValue) {
  TKXCompressionOptions source;
  source.SetLevel(7);
  source.SetMinSize(99);
  source.SetPreCompress(false);
  source.SetAllowGZip(false);
  source.SetEnabled(false);
  TKXCompressionOptions dest;
  dest.Assign(&source);
  EXPECT_EQ(dest.Level(), 7);
  EXPECT_EQ(dest.MinSize(), 99);
  EXPECT_FALSE(dest.PreCompress());
  EXPECT_FALSE(dest.AllowGZip());
  EXPECT_TRUE(dest.AllowDeflate());
  EXPECT_FALSE(dest.Enabled());

  TPersistent other;
  EXPECT_THROW(dest.Assign(&other), EConvertError);
}

}  // namespace
}  // namespace kx
