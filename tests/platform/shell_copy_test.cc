// The shell's copy rules, checked natively against the recursive copy over a Wine prefix
// and in the Windows builds against SHFileOperationA itself: one case, both copies.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/temp_drive.h"

namespace {

class ShellCopyTest : public ::testing::Test {
 protected:
  ShellCopyTest() {
    drive_.WriteRaw("src\\a.txt", "A");
    drive_.WriteRaw("src\\noext", "NX");
    drive_.WriteRaw("src\\sub\\b.txt", "B");
    drive_.WriteRaw("src\\sub\\deep\\c.txt", "C");
  }

  bool Copy(const std::string& from, const std::string& to) {
    std::string error;
    const bool ok = drive_.Services().shell->Copy(drive_.Path(from), drive_.Path(to), &error);
    EXPECT_TRUE(ok || !error.empty());
    return ok;
  }

  // The source tree's files as found under `folder`.
  void ExpectCopyOfSource(const std::string& folder) {
    EXPECT_EQ(drive_.ReadRaw(folder + "\\a.txt"), "A");
    EXPECT_EQ(drive_.ReadRaw(folder + "\\noext"), "NX");
    EXPECT_EQ(drive_.ReadRaw(folder + "\\sub\\b.txt"), "B");
    EXPECT_EQ(drive_.ReadRaw(folder + "\\sub\\deep\\c.txt"), "C");
  }

  bool Exists(const std::string& relative) {
    return drive_.Services().files->Exists(drive_.Path(relative));
  }

  testing_support::TempDrive drive_;
};

TEST_F(ShellCopyTest, FolderToMissingDestinationBecomesTheDestination) {
  ASSERT_TRUE(Copy("src", "out\\nested\\copy"));
  ExpectCopyOfSource("out\\nested\\copy");
  EXPECT_FALSE(Exists("out\\nested\\copy\\src"));
}

TEST_F(ShellCopyTest, FolderToExistingFolderIsCopiedIntoIt) {
  drive_.WriteRaw("dest\\other.txt", "O");
  ASSERT_TRUE(Copy("src", "dest"));
  ExpectCopyOfSource("dest\\src");
  EXPECT_EQ(drive_.ReadRaw("dest\\other.txt"), "O");
  EXPECT_FALSE(Exists("dest\\a.txt"));
}

TEST_F(ShellCopyTest, ContentsWildcardCopiesEverythingIntoMissingDestination) {
  ASSERT_TRUE(Copy("src\\*.*", "out\\wizard"));
  ExpectCopyOfSource("out\\wizard");
  EXPECT_FALSE(Exists("out\\wizard\\src"));
}

TEST_F(ShellCopyTest, ContentsWildcardMergesAndReplacesReadOnlyFiles) {
  drive_.WriteRaw("dest\\a.txt", "old a");
  drive_.SetReadOnlyRaw("dest\\a.txt", true);
  drive_.WriteRaw("dest\\sub\\b.txt", "old b");
  drive_.SetReadOnlyRaw("dest\\sub\\b.txt", true);
  drive_.WriteRaw("dest\\sub\\kept.txt", "K");
  drive_.SetReadOnlyRaw("src\\sub\\b.txt", true);

  ASSERT_TRUE(Copy("src\\*.*", "dest"));
  ExpectCopyOfSource("dest");
  EXPECT_EQ(drive_.ReadRaw("dest\\sub\\kept.txt"), "K");
  drive_.SetReadOnlyRaw("src\\sub\\b.txt", false);
  drive_.SetReadOnlyRaw("dest\\sub\\b.txt", false);
}

TEST_F(ShellCopyTest, PatternTakesTheEntriesItMatchesWhateverTheirCase) {
  drive_.WriteRaw("dest\\other.txt", "O");
  ASSERT_TRUE(Copy("src\\*.TXT", "dest"));
  EXPECT_EQ(drive_.ReadRaw("dest\\a.txt"), "A");
  EXPECT_FALSE(Exists("dest\\noext"));
  EXPECT_FALSE(Exists("dest\\sub"));
}

TEST_F(ShellCopyTest, FolderMergesIntoExistingCopyWhateverItsCase) {
  drive_.WriteRaw("dest\\SRC\\A.TXT", "old");
  drive_.SetReadOnlyRaw("dest\\SRC\\A.TXT", true);
  drive_.WriteRaw("dest\\SRC\\z.txt", "Z");
  ASSERT_TRUE(Copy("src", "dest"));
  EXPECT_EQ(drive_.ReadRaw("dest\\SRC\\A.TXT"), "A");
  EXPECT_EQ(drive_.ReadRaw("dest\\SRC\\z.txt"), "Z");
  EXPECT_EQ(drive_.ReadRaw("dest\\SRC\\sub\\deep\\c.txt"), "C");
  drive_.SetReadOnlyRaw("dest\\SRC\\A.TXT", false);
}

TEST_F(ShellCopyTest, NewCopyOfReadOnlyFileStaysReadOnly) {
  drive_.SetReadOnlyRaw("src\\a.txt", true);
  ASSERT_TRUE(Copy("src", "out"));
  std::string error;
  EXPECT_FALSE(drive_.Services().files->WriteTextFile(drive_.Path("out\\a.txt"), "x\n", &error));
  EXPECT_EQ(drive_.ReadRaw("out\\a.txt"), "A");
  drive_.SetReadOnlyRaw("src\\a.txt", false);
  drive_.SetReadOnlyRaw("out\\a.txt", false);
}

TEST_F(ShellCopyTest, MissingSourceFolderFails) {
  EXPECT_FALSE(Copy("nosuch", "out"));
  EXPECT_FALSE(Exists("out"));
}

}  // namespace
