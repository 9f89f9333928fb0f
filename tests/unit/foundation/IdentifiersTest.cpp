#include "kx/foundation/Identifiers.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <vector>

#include "kx/platform/SysUtils.h"

namespace kx {

namespace {

constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();

std::size_t AlphabetIndex(char c) { return kEncode64Alphabet.find(c); }

}  // namespace

TEST(Base36, ToBase36PadsToTheMinimumLength) {
  const struct {
    std::uint64_t value;
    int minLength;
    std::string expected;
  } cases[] = {
      {35, 3, "00z"}, {0, 0, ""},  {0, 3, "000"}, {36, 0, "10"}, {1295, 1, "zz"},
      {kMax, 0, "3w5e11264sgsf"}, {7, -1, "7"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    EXPECT_EQ(ToBase36(c.value, c.minLength), c.expected);
    if (!c.expected.empty()) {
      EXPECT_EQ(FromBase36(UpperCase(c.expected)), c.value);  // read back in either case
    }
  }
  EXPECT_EQ(FromBase36(ToBase36(kMax - 1, 0)), kMax - 1);
}

TEST(Base36, FromBase36GivesZeroForAnythingButANumber) {
  for (const char* text : {"", " 1", "1 ", "-1", "+1", "1.5", "1_2", "\xC3\xA9",
                           "3w5e11264sgsg",      // 2^64
                           "zzzzzzzzzzzzzz"}) {  // far beyond 64 bits
    SCOPED_TRACE(text);
    EXPECT_EQ(FromBase36(text), 0u);
  }
}

TEST(Encode64, KnownValues) {
  EXPECT_EQ(Encode64(std::vector<std::uint8_t>{255}), "-W");
  EXPECT_EQ(Encode64(std::vector<std::uint8_t>{0, 0, 0}), "aaaa");
  EXPECT_EQ(Encode64("abc"), "ywjJ");
  EXPECT_EQ(Encode64(""), "");
  EXPECT_EQ(Encode64(std::vector<std::uint8_t>{0xFC}), "-a");  // index 63, then two zero bits
  EXPECT_EQ(Encode64("\xC3\xA9"), Encode64(std::vector<std::uint8_t>{0xC3, 0xA9}));  // the UTF-8 bytes
}

TEST(Encode64, GivesCeilingOfEightNOverSixCharacters) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t n = 0; n <= 20; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Encode64(bytes).size(), (8 * n + 5) / 6);
    bytes.push_back(static_cast<std::uint8_t>(n * 37));
  }
}

TEST(Encode64, ReachesEveryCharacterOfTheAlphabet) {
  // Three bytes carry four 6-bit indices: write 0..63 in order.
  std::vector<std::uint8_t> bytes;
  for (unsigned i = 0; i < 64; i += 4) {
    const std::uint32_t group = i << 18 | (i + 1) << 12 | (i + 2) << 6 | (i + 3);
    bytes.push_back(static_cast<std::uint8_t>(group >> 16));
    bytes.push_back(static_cast<std::uint8_t>(group >> 8));
    bytes.push_back(static_cast<std::uint8_t>(group));
  }
  EXPECT_EQ(Encode64(bytes), kEncode64Alphabet);
}

TEST(NewGuidEncode64, Gives22AlphabetCharactersWithGuidMarks) {
  const std::string id = NewGuidEncode64();
  ASSERT_EQ(id.size(), 22u);
  for (const char c : id) EXPECT_NE(AlphabetIndex(c), std::string_view::npos) << c;
  // Character 9 holds bits 54..59: its low nibble is the version nibble (4).
  EXPECT_EQ(AlphabetIndex(id[9]) & 0xF, 0x4u);
  // Character 10 holds bits 60..65: its low two bits are the variant bits (10).
  EXPECT_EQ(AlphabetIndex(id[10]) & 0x3, 0x2u);
}

TEST(NewGuidEncode64, DrawsAreDistinct) {
  std::set<std::string> ids;
  for (int i = 0; i < 100000; ++i) ids.insert(NewGuidEncode64());
  EXPECT_EQ(ids.size(), 100000u);
}

}  // namespace kx
