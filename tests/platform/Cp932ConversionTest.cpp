#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/Platform.h"

namespace {

using testsupport::Hex;

TEST(Cp932Conversion, KanjiAndHalfWidthKatakanaRoundTrip) {
  const std::string sjis = Hex("95 5C 83 5C 94 5C B1 41 5C");  // 表ソ能ｱA backslash
  const std::u16string units = u"\u8868\u30BD\u80FD\uFF71A\\";
  std::u16string decoded;
  ASSERT_TRUE(platform::Cp932ToUtf16(sjis, decoded));
  EXPECT_EQ(decoded, units);
  std::string encoded;
  ASSERT_TRUE(platform::Utf16ToCp932(units, encoded));
  EXPECT_EQ(encoded, sjis);
  EXPECT_TRUE(platform::Cp932ToUtf16("", decoded));
  EXPECT_TRUE(decoded.empty());
}

TEST(Cp932Conversion, CharactersWithoutAnExactFormAreRefused) {
  const std::u16string rows[] = {
      u"caf\u00E9",     // e with acute accent
      u"a\U0001F600",   // an emoji, a surrogate pair
      u"\u301C",        // wave dash: 0x8160 is U+FF5E, only a best fit
      u"\u00A5",        // yen sign: 0x5C is the backslash, only a best fit
      u"a\xD800",       // an unpaired surrogate
  };
  for (const std::u16string& units : rows) {
    std::string sjis = "left over";
    EXPECT_FALSE(platform::Utf16ToCp932(units, sjis)) << units.size();
    EXPECT_TRUE(sjis.empty());
  }
}

TEST(Cp932Conversion, InvalidSequencesFail) {
  for (const std::string& sjis : {Hex("41 82"), Hex("82 20")}) {  // lead byte at the end; bad second byte
    std::u16string units;
    EXPECT_FALSE(platform::Cp932ToUtf16(sjis, units)) << sjis;
  }
}

TEST(Cp932Conversion, DisplayReplacesOnlyTheBadBytes) {
  EXPECT_EQ(platform::ToUtf8(Hex("95 5C 41")), "\xE8\xA1\xA8" "A");
  EXPECT_EQ(platform::ToUtf8(Hex("41 82")), "A\xEF\xBF\xBD");
  EXPECT_EQ(platform::ToUtf8(Hex("82 20 95 5C")), "\xEF\xBF\xBD \xE8\xA1\xA8");
}

}  // namespace
