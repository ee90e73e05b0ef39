#include <gtest/gtest.h>

#include "integrate/engine/text_edit.h"
#include "tests/support/temp_drive.h"

namespace integrate_test {
namespace {

using integrate::TextEdit;

// The same edits on real files through this build's own file services.
TEST(TextEditOnDrive, RewritesWithCrLfAndKeepsReadOnlyFilesWhole) {
  testing_support::TempDrive drive;
  platform::FileSystem& files = *drive.Services().files;
  drive.WriteRaw("col\\a.col", "<Folders>\n</Folders>");
  TextEdit edit(files, drive.Path("col\\a.col"));
  ASSERT_TRUE(edit.Read());
  EXPECT_EQ(edit.text(), "<Folders>\n</Folders>\n");
  integrate::ReplaceAll(&edit.text(), "</Folders>", "\t<Folder/>\n</Folders>");
  ASSERT_TRUE(edit.Write());
  EXPECT_EQ(drive.ReadRaw("col\\a.col"), "<Folders>\r\n\t<Folder/>\r\n</Folders>\r\n");

  drive.SetReadOnlyRaw("col\\a.col", true);
  TextEdit again(files, drive.Path("col\\a.col"));
  ASSERT_TRUE(again.Read());
  again.text() = "lost\n";
  EXPECT_FALSE(again.Write());
  EXPECT_TRUE(again.written());
  EXPECT_EQ(drive.ReadRaw("col\\a.col"), "<Folders>\r\n\t<Folder/>\r\n</Folders>\r\n");
  drive.SetReadOnlyRaw("col\\a.col", false);
}

TEST(TextEditOnDrive, LongLinesAndLargeFilesReadWhole) {
  testing_support::TempDrive drive;
  std::string line(100000, 'x');
  std::string bytes;
  for (int i = 0; i < 50; ++i) bytes += line + "\r\n";
  drive.WriteRaw("big.dat", bytes);
  TextEdit edit(*drive.Services().files, drive.Path("big.dat"));
  ASSERT_TRUE(edit.Read());
  EXPECT_EQ(edit.text().size(), 50u * 100001u);
  ASSERT_TRUE(edit.Write());
  EXPECT_EQ(drive.ReadRaw("big.dat"), bytes);
}

}  // namespace
}  // namespace integrate_test
