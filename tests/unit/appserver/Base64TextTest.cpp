#include "kx/appserver/Base64Text.h"

#include <gtest/gtest.h>

#include "kx/net/http/IdCoderMIME.h"

namespace kx {

TEST(Base64Text, EncodesAndDecodesText) {
  EXPECT_EQ(EncodeString(""), "");
  EXPECT_EQ(DecodeString(""), "");
  EXPECT_EQ(EncodeString("abc"), "YWJj");
  EXPECT_EQ(DecodeString("YWJj"), "abc");
  EXPECT_EQ(EncodeString("a"), "YQ==");
  EXPECT_EQ(EncodeString("ab"), "YWI=");
  EXPECT_EQ(DecodeString("QWxhZGRpbjpvcGVuIHNlc2FtZQ=="), "Aladdin:open sesame");
}

TEST(Base64Text, Latin1CharactersRoundTripOthersDoNot) {
  const std::string latin1 = "d\xC3\xA9j\xC3\xA0 \xC2\xA9\xC3\xBF";  // "déjà ©ÿ"
  EXPECT_EQ(DecodeString(EncodeString(latin1)), latin1);
  EXPECT_EQ(DecodeString(EncodeString("\xE2\x82\xAC" "1")), "?1");  // "€1"
}

TEST(Base64Text, MalformedInputRaises) {
  EXPECT_THROW(DecodeString("YWJ*"), EIdInvalidBase64);
  EXPECT_THROW(DecodeString("Y"), EIdInvalidBase64);
}

}  // namespace kx
