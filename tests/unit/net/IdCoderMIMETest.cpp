#include "kx/net/http/IdCoderMIME.h"

#include <gtest/gtest.h>

#include "kx/platform/Utf8.h"

namespace kx {

TEST(TIdEncoderMIME, StandardVectorsWithPadding) {
  const struct {
    const char* plain;
    const char* encoded;
  } cases[] = {
      {"", ""},           {"f", "Zg=="},         {"fo", "Zm8="},         {"foo", "Zm9v"},
      {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"abc", "YWJj"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.plain);
    EXPECT_EQ(TIdEncoderMIME::EncodeString(c.plain), c.encoded);
    EXPECT_EQ(TIdDecoderMIME::DecodeString(c.encoded), c.plain);
  }
}

TEST(TIdEncoderMIME, AlphabetEndsAndOneUnbrokenLine) {
  const std::string encoded = TIdEncoderMIME::EncodeBytes(std::string(100, 'x'));
  EXPECT_EQ(encoded.size(), 136u);
  EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(TIdEncoderMIME::EncodeBytes("\xFB\xEF\xFF"), "++//");
  EXPECT_EQ(TIdEncoderMIME::EncodeBytes(std::string("\0\0\0", 3)), "AAAA");
}

TEST(TIdEncoderMIME, EachCharacterIsOneByte) {
  EXPECT_EQ(TIdEncoderMIME::EncodeString("\xC3\xA9"), "6Q==");  // U+00E9 is the byte E9
  EXPECT_EQ(TIdEncoderMIME::EncodeString("\xC3\xBF"), "/w==");  // U+00FF
  // Above U+00FF (including beyond U+FFFF) each character becomes one "?".
  EXPECT_EQ(TIdEncoderMIME::EncodeString("\xC4\x80"), "Pw==");                  // U+0100
  EXPECT_EQ(TIdEncoderMIME::EncodeString("a\xF0\x9F\x98\x80" "b"), "YT9i");  // U+1F600
  EXPECT_EQ(TIdEncoderMIME::EncodeString("\xFF"), "Pw==");                      // invalid UTF-8
}

TEST(TIdDecoderMIME, AllByteValuesRoundTrip) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += char(i);
  EXPECT_EQ(TIdDecoderMIME::DecodeBytes(TIdEncoderMIME::EncodeBytes(bytes)), bytes);
  // As text each byte is the character of the same code.
  const std::string text = Latin1ToUtf8(bytes);
  EXPECT_EQ(TIdDecoderMIME::DecodeString(TIdEncoderMIME::EncodeString(text)), text);
  EXPECT_EQ(TIdDecoderMIME::DecodeString("gP8="), "\xC2\x80\xC3\xBF");  // bytes 80 FF
}

TEST(TIdDecoderMIME, AcceptsLineBreaksBlanksAndMissingPadding) {
  const struct {
    const char* encoded;
    const char* plain;
  } cases[] = {
      {"Zm9v\r\nYmFy", "foobar"}, {" Zm9v\tYg==\r\n", "foob"}, {"Zm9vYg= =", "foob"},
      {"Zg", "f"},                {"Zm8", "fo"},               {"\r\n", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.encoded);
    EXPECT_EQ(TIdDecoderMIME::DecodeString(c.encoded), c.plain);
  }
}

TEST(TIdDecoderMIME, RejectsTextThatIsNotBase64) {
  const char* cases[] = {
      "Z",          // a final group of one character
      "Zm9vY",      // the same after a whole group
      "Zg=",        // incomplete padding
      "Zm8==",      // too much padding
      "Zg===",      //
      "=",          // padding alone
      "====",       //
      "Zm9v=",      // padding after a whole group
      "Zg==Zg==",   // data after the padding
      "Zm=8",       // "=" inside the data
      "Zh==",       // unused bits set
      "Zm9=",       //
      "Zm9v*",      // outside the alphabet
      "Zm-_",       // URL-safe alphabet
      "Zm9v\xC3\xA9",  // non-ASCII
  };
  for (const char* text : cases) {
    SCOPED_TRACE(text);
    EXPECT_THROW(TIdDecoderMIME::DecodeString(text), EIdInvalidBase64);
  }
  EXPECT_THROW(TIdDecoderMIME::DecodeBytes(std::string("Zm\0v", 4)), EIdInvalidBase64);
}

TEST(TIdDecoderMIME, MessageNamesTheFaultAndItsPosition) {
  try {
    TIdDecoderMIME::DecodeString("Zm9v\r\nY*");
    FAIL() << "no exception";
  } catch (const EInException& e) {
    EXPECT_EQ(e.Message(), "Invalid Base64 text: character outside the Base64 alphabet at position 8");
  }
  try {
    TIdDecoderMIME::DecodeString("Zg=");
    FAIL() << "no exception";
  } catch (const EIdInvalidBase64& e) {
    EXPECT_EQ(e.Message(), "Invalid Base64 text: incomplete padding at position 3");
  }
}

}  // namespace kx
