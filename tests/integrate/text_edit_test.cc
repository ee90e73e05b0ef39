#include "integrate/engine/text_edit.h"

#include <gtest/gtest.h>

#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

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
  std::string error;
  EXPECT_FALSE(readOnly.Write(&error));
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
