// The text-mode rules and the byte scan under them, against a byte-by-byte reading of the rules.
#include "platform/text_mode.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/byte_scan.h"

namespace platform {
namespace {

// The rules one byte at a time, as plain as they can be said.
std::string SlowCrLfToLf(const std::string& bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    text += bytes[i];
  }
  return text;
}

std::string SlowLfToCrLf(const std::string& text) {
  std::string bytes;
  for (char c : text) bytes += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return bytes;
}

// Texts made of line ends and a few letters, of every length around the eight-byte words.
std::vector<std::string> MixedTexts() {
  std::vector<std::string> texts = {
      "", "\r", "\n", "\r\n", "\r\r\n\n", "abc\r", "\rabcdefghij\r\n"};
  std::mt19937 random(7);
  const char alphabet[] = {'\r', '\n', 'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
  for (int n = 0; n < 400; ++n) {
    std::string text(n % 40, ' ');
    for (char& c : text) c = alphabet[random() % sizeof alphabet];
    texts.push_back(text);
  }
  return texts;
}

TEST(TextModeTest, ConvertsLineEndsBothWaysAsTheRulesSay) {
  for (const std::string& text : MixedTexts()) {
    SCOPED_TRACE(testing::PrintToString(text));
    std::string in_place = text;
    in_place.resize(CrLfToLf(&in_place[0], in_place.size()));
    EXPECT_EQ(in_place, SlowCrLfToLf(text));

    std::string bytes(CrLfRoom(text.size()), '\0');
    bytes.resize(LfToCrLf(text.data(), text.data() + text.size(), &bytes[0]) - bytes.data());
    EXPECT_EQ(bytes, SlowLfToCrLf(text));

    const char* lf = FindByte(text.data(), text.data() + text.size(), '\n');
    EXPECT_EQ(static_cast<std::size_t>(lf - text.data()), std::min(text.find('\n'), text.size()));
  }
}

TEST(TextModeTest, SplitsLinesWhereverTheChunksEnd) {
  const std::string bytes = "one\r\ntwo\n\rthree\r\r\n\nlast";
  const std::vector<std::string> expected = {"one", "two", "\rthree\r", "", "last"};
  for (std::size_t chunk = 1; chunk <= bytes.size(); ++chunk) {
    SCOPED_TRACE(chunk);
    std::vector<std::string> lines;
    const TextLineSplitter::OnLine on_line = [&](const std::string& line) {
      lines.push_back(line);
      return true;
    };
    TextLineSplitter splitter(on_line);
    for (std::size_t at = 0; at < bytes.size(); at += chunk) {
      EXPECT_TRUE(splitter.Feed(bytes.data() + at, std::min(chunk, bytes.size() - at)));
    }
    splitter.Finish();
    EXPECT_EQ(lines, expected);
  }

  // A reader that stops gets no line after that, not even the last one without an end.
  std::vector<std::string> lines;
  const TextLineSplitter::OnLine first_only = [&](const std::string& line) {
    lines.push_back(line);
    return false;
  };
  TextLineSplitter splitter(first_only);
  EXPECT_FALSE(splitter.Feed(bytes.data(), bytes.size()));
  splitter.Finish();
  EXPECT_EQ(lines, std::vector<std::string>{"one"});
}

}  // namespace
}  // namespace platform
