// TextEdit's line ends and writes on the in-memory files, and FindText and ReplaceAll.
#include "integrate/engine/text_edit.h"

#include <gtest/gtest.h>

#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

using integrate::FindText;
using integrate::ReplaceAll;
using integrate::TextEdit;

TEST(TextEdit, WorkingTextEndsEveryLineWithOneLf) {
  MemoryFiles files;
  files.Put("C:\\a.txt", "one\r\ntwo\nthree");
  TextEdit edit(files, "C:\\a.txt");
  ASSERT_TRUE(edit.Read());
  EXPECT_EQ(edit.text(), "one\ntwo\nthree\n");
  files.Put("C:\\empty.txt", "");
  TextEdit empty(files, "C:\\empty.txt");
  ASSERT_TRUE(empty.Read());
  EXPECT_EQ(empty.text(), "");
}

TEST(TextEdit, WriteGivesCrLfThroughoutAndSetsTheWrittenFlag) {
  MemoryFiles files;
  files.Put("C:\\a.txt", "one\ntwo");
  TextEdit edit(files, "C:\\a.txt");
  ASSERT_TRUE(edit.Read());
  edit.text() += "three\n";
  EXPECT_FALSE(edit.written());
  ASSERT_TRUE(edit.Write());
  EXPECT_TRUE(edit.written());
  EXPECT_EQ(*files.Get("C:\\a.txt"), "one\r\ntwo\r\nthree\r\n");
}

TEST(TextEdit, MissingFileIsNotWrittenAndReadOnlyStaysWhole) {
  MemoryFiles files;
  TextEdit missing(files, "C:\\none.txt");
  EXPECT_FALSE(missing.Read());
  EXPECT_FALSE(missing.written());

  files.Put("C:\\ro.txt", "keep\n");
  files.SetReadOnly("C:\\ro.txt", true);
  TextEdit readOnly(files, "C:\\ro.txt");
  ASSERT_TRUE(readOnly.Read());
  readOnly.text() = "changed\n";
  EXPECT_FALSE(readOnly.Write());
  EXPECT_NE(readOnly.error().find("read-only"), std::string::npos) << readOnly.error();
  EXPECT_FALSE(readOnly.written());
  EXPECT_EQ(*files.Get("C:\\ro.txt"), "keep\n");
}

TEST(TextEdit, OnlyTheCrBeforeAnLfEndsALine) {
  MemoryFiles files;
  files.Put("C:\\a.txt", "a\rb\r\n\r\n\r\r\nlast\r");
  TextEdit edit(files, "C:\\a.txt");
  ASSERT_TRUE(edit.Read());
  EXPECT_EQ(edit.text(), "a\rb\n\n\r\nlast\r\n");
}

// Line ends are found eight bytes at a time, so every end is tried at every offset within
// a word and right at the end of the file.
TEST(TextEdit, LineEndsAreFoundAtEveryOffsetOfAWord) {
  std::string file, expected;
  for (int length = 0; length < 20; ++length) {
    const std::string line(length, static_cast<char>('a' + length));
    file += line + (length % 3 == 0 ? "\n" : length % 3 == 1 ? "\r\n" : "\r\r\n");
    expected += line + (length % 3 == 2 ? "\r\n" : "\n");
  }
  for (const char* tail : {"", "x", "tail\r", "long tail!"}) {
    MemoryFiles files;
    files.Put("C:\\a.txt", file + tail);
    TextEdit edit(files, "C:\\a.txt");
    ASSERT_TRUE(edit.Read());
    EXPECT_EQ(edit.text(), expected + tail + (*tail ? "\n" : "")) << tail;
  }
}

TEST(FindText, FindsLongPatternsPastNearMisses) {
  const std::string head(300, '<');
  const std::string text = "x" + head + "a" + head + "b";
  EXPECT_EQ(FindText(text, head + "b"), 302u);
  EXPECT_EQ(FindText(text, head + "c"), std::string::npos);
  EXPECT_EQ(FindText(text, "<a<", 5), 300u);
  EXPECT_EQ(FindText(text, "<b", 301), 601u);
  EXPECT_EQ(FindText(text, "x", 1), std::string::npos);
  EXPECT_EQ(FindText(text, "b", text.size() + 1), std::string::npos);
}

TEST(ReplaceAll, ReplacesEveryOccurrenceLeftToRight) {
  std::string text = "a</X>b</X></X>";
  EXPECT_EQ(ReplaceAll(&text, "</X>", "new</X>"), 3u);
  EXPECT_EQ(text, "anew</X>bnew</X>new</X>");
  std::string removed = "xyzxyzq";
  EXPECT_EQ(ReplaceAll(&removed, "xyz", ""), 2u);
  EXPECT_EQ(removed, "q");
  std::string tail = "xyzxyzxyz";
  EXPECT_EQ(ReplaceAll(&tail, "xyz", "", 1), 2u);
  EXPECT_EQ(tail, "xyz");
  std::string untouched = "abc";
  EXPECT_EQ(ReplaceAll(&untouched, "", "z"), 0u);
  EXPECT_EQ(ReplaceAll(&untouched, "d", "z"), 0u);
  EXPECT_EQ(untouched, "abc");
}

}  // namespace
}  // namespace integrate_test
