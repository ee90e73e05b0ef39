// The shared console rules: labels, the yes/no question and the prefix given on the command line.
#include "console/terminal.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

TEST(ConsoleLabel, DropsMnemonicMarksAsTheDialogDrawsThem) {
  const struct {
    const char* text;
    const char* label;
  } kCases[] = {
      {"&Yes, please", "Yes, please"},
      {"Office &2000 look", "Office 2000 look"},
      {"Tom && Jerry", "Tom & Jerry"},  // a doubled mark is one '&' on screen
      {"&&&Save", "&Save"},
      {"ends with &", "ends with &"},  // a last mark has nothing to underline
      {"", ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(console::Label(c.text), c.label) << c.text;
}

TEST(ConsoleAskYesNo, AcceptsOnlyYesOrNoAndKeepsTheDefaultOnEnter) {
  const struct {
    const char* input;
    bool byDefault;
    std::optional<bool> answer;
    int reminders;  // "Please answer y or n." lines
  } kCases[] = {
      {"\n", true, true, 0},
      {"\n", false, false, 0},
      {"  YES \r\n", false, true, 0},  // blanks and a Windows console's CR do not count
      {"No\n", true, false, 0},
      {"maybe\nyep\nn\n", true, false, 2},
      {"", true, std::nullopt, 0},  // the end of the input is no answer, not the default
      {"what\n", true, std::nullopt, 1},
  };
  for (const auto& c : kCases) {
    std::istringstream in(c.input);
    std::ostringstream out;
    EXPECT_EQ(console::AskYesNo(in, out, "Go?", c.byDefault), c.answer) << c.input;
    int reminders = 0;
    for (std::size_t at = 0;
         (at = out.str().find("Please answer y or n.", at)) != std::string::npos; ++at) {
      ++reminders;
    }
    EXPECT_EQ(reminders, c.reminders) << c.input;
    EXPECT_EQ(out.str().rfind(c.byDefault ? "Go? [Y/n] " : "Go? [y/N] ", 0), 0u) << c.input;
  }
}

TEST(ConsoleAskYesNo, ShowsAnAnsiQuestionAsUtf8) {
  std::istringstream in("y\n");
  std::ostringstream out;
  EXPECT_EQ(console::AskYesNo(in, out, "Caf\xE9\r\n  C:\\x", true), true);
  EXPECT_EQ(out.str(), "Caf\xC3\xA9\n  C:\\x [Y/n] ");
}

TEST(ConsoleWinePrefix, TheGivenPrefixWinsEvenWhenEmpty) {
  EXPECT_EQ(console::WinePrefix(std::string("/srv/prefix")), "/srv/prefix");
  EXPECT_EQ(console::WinePrefix(std::string()), "");
}

}  // namespace

TEST(ConsolePlainText, LocaleDecidesAndEveryNonAsciiCharacterBecomesAscii) {
  const struct {
    const char *lcAll, *lcCtype, *lang;
    bool utf8;
  } kLocales[] = {
      {"C", nullptr, "en_US.UTF-8", false},  // LC_ALL wins over LANG
      {"", "de_DE.utf8", "C", true},         // an empty variable does not count
      {nullptr, nullptr, "POSIX", false},
      {nullptr, nullptr, "en_GB.ISO-8859-1", false},
      {nullptr, nullptr, "C.UTF-8", true},
      {nullptr, nullptr, nullptr, true},
  };
  for (const auto& l : kLocales) {
    EXPECT_EQ(console::LocaleTakesUtf8(l.lcAll, l.lcCtype, l.lang), l.utf8)
        << (l.lcAll ? l.lcAll : "-") << " " << (l.lcCtype ? l.lcCtype : "-") << " "
        << (l.lang ? l.lang : "-");
  }
  const struct {
    const char* utf8;
    const char* plain;
  } kTexts[] = {
      {"\xE2\x9C\x93 Integration completed", "[ok] Integration completed"},
      {"\xE2\x9C\x97 Integration failed", "[failed] Integration failed"},
      {"Visual C++\xC2\xAE 6.0", "Visual C++(R) 6.0"},
      {"Caf\xC3\xA9 \xF0\x9F\x98\x80", "Caf? ?"},  // one '?' per character, 4-byte ones too
      {"bad \xE2\x9C tail \xFF", "bad ?? tail ?"},  // each byte that is no UTF-8: one '?'
  };
  for (const auto& t : kTexts) EXPECT_EQ(console::PlainText(t.utf8), t.plain) << t.utf8;
}
