// The conversions between Windows-1252, UTF-16 and UTF-8, and Windows-1252 upper-casing.
#include "platform/encoding.h"

#include <gtest/gtest.h>

namespace {

std::string AllAnsiBytes() {
  std::string all;
  for (int i = 1; i < 256; ++i) all.push_back(static_cast<char>(i));
  return all;
}

TEST(AnsiConversion, EveryByteRoundTripsThroughUtf16AndUtf8) {
  const std::string all = AllAnsiBytes();
  bool lossless = false;
  EXPECT_EQ(platform::Utf16ToAnsi(platform::AnsiToUtf16(all), &lossless), all);
  EXPECT_TRUE(lossless);
  lossless = false;
  EXPECT_EQ(platform::Utf8ToAnsi(platform::AnsiToUtf8(all), &lossless), all);
  EXPECT_TRUE(lossless);
}

TEST(AnsiConversion, HighControlRangeUsesWindows1252Characters) {
  const std::u16string wide = platform::AnsiToUtf16("\x80\x81\x8a\x8c\x99\x9f\xa0\xff");
  EXPECT_EQ(wide, (std::u16string{0x20AC, 0x0081, 0x0160, 0x0152, 0x2122, 0x0178, 0x00A0, 0x00FF}));
  EXPECT_EQ(platform::AnsiToUtf8("\x80 \xe9"), "\xe2\x82\xac \xc3\xa9");
}

TEST(AnsiConversion, CharacterWithoutAnsiByteBecomesQuestionMark) {
  bool lossless = true;
  // U+0416 (Cyrillic Zhe) and U+0080 (a C1 control Windows-1252 does not assign) have no byte.
  EXPECT_EQ(platform::Utf16ToAnsi(u"a\u0416b\u0080", &lossless), "a?b?");
  EXPECT_FALSE(lossless);
  lossless = true;
  EXPECT_EQ(platform::Utf8ToAnsi("\xf0\x9f\x98\x80x", &lossless), "?x");
  EXPECT_FALSE(lossless);
}

TEST(Utf8Decoding, InvalidSequencesAreReplacedAndReported) {
  struct Case {
    const char* input;
    std::u16string expected;
  };
  const Case cases[] = {
      {"\xc3", u"\uFFFD"},  // truncated at the end
      {"\xc3"
       "a",
       u"\uFFFDa"},                                       // continuation missing
      {"\xc0\xaf", u"\uFFFD\uFFFD"},                      // overlong '/'
      {"\xed\xa0\x80", u"\uFFFD\uFFFD\uFFFD"},            // encoded surrogate
      {"\xf4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xff", u"\uFFFD"},
  };
  for (const Case& c : cases) {
    bool valid = true;
    EXPECT_EQ(platform::Utf8ToUtf16(c.input, &valid), c.expected) << c.input;
    EXPECT_FALSE(valid) << c.input;
  }
}

TEST(Utf16Encoding, SurrogatePairsAndUnpairedHalves) {
  bool valid = false;
  const std::string emoji = "\xf0\x9f\x98\x80";
  EXPECT_EQ(platform::Utf8ToUtf16(emoji, &valid), (std::u16string{0xD83D, 0xDE00}));
  EXPECT_TRUE(valid);
  EXPECT_EQ(platform::Utf16ToUtf8(std::u16string{0xD83D, 0xDE00}), emoji);
  EXPECT_EQ(platform::Utf16ToUtf8(std::u16string{0xD83D, u'x', 0xDE00}),
            "\xef\xbf\xbdx\xef\xbf\xbd");
}

TEST(AnsiToUpper, UpperCasesAccentedLettersAsWindows1252Does) {
  EXPECT_EQ(platform::AnsiToUpper("devenv.exe"), "DEVENV.EXE");
  EXPECT_EQ(platform::AnsiToUpper("\xe0\xe9\xfe\x9a\x9c\x9e\xff"), "\xc0\xc9\xde\x8a\x8c\x8e\x9f");
  // Division sign, sharp s, micro sign and punctuation have no capital in Windows-1252.
  EXPECT_EQ(platform::AnsiToUpper("\xf7\xdf\xb5{}[]@`~"), "\xf7\xdf\xb5{}[]@`~");
}

}  // namespace
