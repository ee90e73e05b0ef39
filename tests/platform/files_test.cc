// The same cases run natively against a Wine prefix and, in the Windows builds, against
// the Win32 API, so both file services answer alike. Paths come from the temporary drive.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/held_writes.h"
#include "tests/support/temp_drive.h"

namespace {

class FilesTest : public ::testing::Test {
 protected:
  platform::FileSystem& files() { return *drive_.Services().files; }

  std::vector<std::string> ReadLines(const std::string& relative) {
    std::vector<std::string> lines;
    std::string error;
    EXPECT_TRUE(files().ReadTextLines(
        drive_.Path(relative),
        [&](const std::string& line) {
          lines.push_back(line);
          return true;
        },
        &error))
        << error;
    return lines;
  }

  testing_support::TempDrive drive_;
};

using Lines = std::vector<std::string>;

TEST_F(FilesTest, ExistsReportsFilesAndFoldersAlike) {
  drive_.WriteRaw("Sub\\file.txt", "x");
  EXPECT_TRUE(files().Exists(drive_.Root()));
  EXPECT_TRUE(files().Exists(drive_.Path("Sub")));
  EXPECT_TRUE(files().Exists(drive_.Path("Sub\\file.txt")));
  EXPECT_FALSE(files().Exists(drive_.Path("Sub\\missing.txt")));
  EXPECT_FALSE(files().Exists(drive_.Path("Missing\\file.txt")));
}

TEST_F(FilesTest, ListFolderNamesFilesAndSubfoldersAndRefusesTheRest) {
  drive_.WriteRaw("Wiz\\b.js", "b");
  drive_.WriteRaw("Wiz\\A.vsz", "a");
  drive_.WriteRaw("Wiz\\Scripts\\1033\\default.js", "d");
  std::vector<platform::FolderEntry> entries;
  std::string error;
  ASSERT_TRUE(files().ListFolder(drive_.Path("wiz"), &entries, &error)) << error;
  std::vector<std::string> listed;
  for (const auto& entry : entries) listed.push_back(entry.name + (entry.folder ? "\\" : ""));
  EXPECT_EQ(listed, (std::vector<std::string>{"A.vsz", "Scripts\\", "b.js"}));
  ASSERT_TRUE(files().ListFolder(drive_.Path("Wiz\\Scripts\\1033") + "\\", &entries, &error));
  EXPECT_EQ(entries.size(), 1u);

  for (const char* what : {"Missing", "Wiz\\b.js"}) {
    EXPECT_FALSE(files().ListFolder(drive_.Path(what), &entries, &error)) << what;
    EXPECT_EQ(error.rfind("Cannot list the folder " + drive_.Path(what) + ": ", 0), 0u) << error;
  }
}

TEST_F(FilesTest, PathsMatchExistingNamesIgnoringCase) {
  drive_.WriteRaw("Include\\Header.H", "one\r\n");
  EXPECT_TRUE(files().Exists(drive_.Path("INCLUDE\\header.h")));
  EXPECT_EQ(ReadLines("include\\HEADER.h"), Lines{"one"});

  // A write through a differently-cased path lands in the existing folder and file.
  std::string error;
  ASSERT_TRUE(files().WriteTextFile(drive_.Path("INCLUDE\\HEADER.h"), "two\n", &error)) << error;
  ASSERT_TRUE(files().WriteTextFile(drive_.Path("include\\new.txt"), "three\n", &error)) << error;
  EXPECT_EQ(drive_.ReadRaw("Include\\Header.H"), "two\r\n");
  EXPECT_EQ(drive_.ReadRaw("Include\\new.txt"), "three\r\n");
}

TEST_F(FilesTest, ReadTextLinesEndsLinesAtLfAndCrLfOnly) {
  drive_.WriteRaw("a.txt", "first\r\nsecond\nlone\rcr\r\n\r\n\nlast");
  EXPECT_EQ(ReadLines("a.txt"), (Lines{"first", "second", "lone\rcr", "", "", "last"}));
  drive_.WriteRaw("b.txt", "only\r\n");
  EXPECT_EQ(ReadLines("b.txt"), Lines{"only"});
  drive_.WriteRaw("empty.txt", "");
  EXPECT_EQ(ReadLines("empty.txt"), Lines{});
  drive_.WriteRaw("cr-before-cr-lf.txt", "x\r\r\ny");
  EXPECT_EQ(ReadLines("cr-before-cr-lf.txt"), (Lines{"x\r", "y"}));
}

TEST_F(FilesTest, ReadTextLinesHasNoLineLengthLimit) {
  // Lines far longer than any read buffer, with the CR LF falling on common buffer sizes.
  std::string text;
  std::vector<std::string> expected;
  for (std::size_t length : {4095u, 65535u, 65536u, 3u * 1024 * 1024}) {
    expected.push_back(std::string(length, static_cast<char>('a' + expected.size())));
    text += expected.back() + "\r\n";
  }
  drive_.WriteRaw("long.txt", text);
  const Lines lines = ReadLines("long.txt");
  ASSERT_EQ(lines.size(), expected.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].size(), expected[i].size()) << i;
    EXPECT_TRUE(lines[i] == expected[i]) << i;
  }
}

TEST_F(FilesTest, ReadTextLinesStopsWhenAskedAndFailsOnMissingFile) {
  drive_.WriteRaw("a.txt", "1\n2\n3\n");
  int seen = 0;
  std::string error;
  EXPECT_TRUE(files().ReadTextLines(
      drive_.Path("a.txt"), [&](const std::string&) { return ++seen < 2; }, &error));
  EXPECT_EQ(seen, 2);
  EXPECT_FALSE(files().ReadTextLines(
      drive_.Path("missing.txt"), [](const std::string&) { return true; }, &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(FilesTest, WriteTextFileWritesCrLfAndReplacesTheWholeFile) {
  drive_.WriteRaw("a.txt", std::string(1000, 'x'));
  std::string error;
  ASSERT_TRUE(files().WriteTextFile(drive_.Path("a.txt"), "one\ntwo\n\n", &error)) << error;
  EXPECT_EQ(drive_.ReadRaw("a.txt"), "one\r\ntwo\r\n\r\n");
  ASSERT_TRUE(files().WriteTextFile(drive_.Path("new.txt"), "", &error)) << error;
  bool exists = false;
  EXPECT_EQ(drive_.ReadRaw("new.txt", &exists), "");
  EXPECT_TRUE(exists);
}

// Big texts are converted and written a megabyte at a time, line ends eight bytes at a
// time: lines of every length cross every boundary.
TEST_F(FilesTest, WriteTextFileConvertsEveryLineOfABigText) {
  std::string text, expected;
  for (int i = 0; text.size() < (3u << 20) + 5; ++i) {
    const std::string line(i % 23, static_cast<char>('a' + i % 26));
    text += line + "\n";
    expected += line + "\r\n";
  }
  text += "no end";
  expected += "no end";
  std::string error, back;
  ASSERT_TRUE(files().WriteTextFile(drive_.Path("big.txt"), text, &error)) << error;
  EXPECT_TRUE(drive_.ReadRaw("big.txt") == expected);
  ASSERT_TRUE(files().ReadBinaryFile(drive_.Path("big.txt"), &back, &error)) << error;
  EXPECT_TRUE(back == expected);
}

TEST_F(FilesTest, WritesRefuseReadOnlyFileAndLeaveItUnchanged) {
  drive_.WriteRaw("ro.txt", "old\r\n");
  drive_.SetReadOnlyRaw("ro.txt", true);
  std::string error;
  EXPECT_FALSE(files().WriteTextFile(drive_.Path("ro.txt"), "new\n", &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(files().WriteBinaryFile(drive_.Path("ro.txt"), "new", &error));
  // Both backends give one message naming the path once.
  EXPECT_EQ(error, "Cannot write " + drive_.Path("ro.txt") + ": the file is read-only");
  EXPECT_EQ(drive_.ReadRaw("ro.txt"), "old\r\n");
  drive_.SetReadOnlyRaw("ro.txt", false);
}

TEST_F(FilesTest, WritesIntoMissingFolderOrOverFolderFail) {
  std::string error;
  EXPECT_FALSE(files().WriteTextFile(drive_.Path("missing\\a.txt"), "x\n", &error));
  EXPECT_FALSE(files().Exists(drive_.Path("missing")));
  drive_.WriteRaw("dir\\keep.txt", "k");
  EXPECT_FALSE(files().WriteBinaryFile(drive_.Path("dir"), "x", &error));
  EXPECT_EQ(error, "Cannot write " + drive_.Path("dir") + ": it is a folder");
  EXPECT_EQ(drive_.ReadRaw("dir\\keep.txt"), "k");
}

TEST_F(FilesTest, BinaryFilesKeepEveryByte) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<char>(i));
  bytes += "\r\n\n\r\x1a";
  std::string error, back;
  ASSERT_TRUE(files().WriteBinaryFile(drive_.Path("b.bin"), bytes, &error)) << error;
  EXPECT_TRUE(drive_.ReadRaw("b.bin") == bytes);
  ASSERT_TRUE(files().ReadBinaryFile(drive_.Path("b.bin"), &back, &error)) << error;
  EXPECT_TRUE(back == bytes);
  EXPECT_FALSE(files().ReadBinaryFile(drive_.Path("missing.bin"), &back, &error));
}

TEST_F(FilesTest, CopyFileReplacesAWritableTarget) {
  drive_.WriteRaw("from.txt", "new");
  drive_.WriteRaw("to.txt", "old and longer");
  std::string error;
  ASSERT_TRUE(files().CopyFile(drive_.Path("from.txt"), drive_.Path("to.txt"), &error)) << error;
  EXPECT_EQ(drive_.ReadRaw("to.txt"), "new");
  ASSERT_TRUE(files().CopyFile(drive_.Path("from.txt"), drive_.Path("fresh.txt"), &error)) << error;
  EXPECT_EQ(drive_.ReadRaw("fresh.txt"), "new");
  EXPECT_EQ(drive_.ReadRaw("from.txt"), "new");
}

TEST_F(FilesTest, CopyFileFailsOnReadOnlyTargetUntilAttributesAreNormal) {
  drive_.WriteRaw("from.txt", "new");
  drive_.WriteRaw("to.txt", "old");
  drive_.SetReadOnlyRaw("to.txt", true);
  std::string error;
  EXPECT_FALSE(files().CopyFile(drive_.Path("from.txt"), drive_.Path("to.txt"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(drive_.ReadRaw("to.txt"), "old");

  ASSERT_TRUE(files().SetNormalAttributes(drive_.Path("to.txt"), &error)) << error;
  ASSERT_TRUE(files().CopyFile(drive_.Path("from.txt"), drive_.Path("to.txt"), &error)) << error;
  EXPECT_EQ(drive_.ReadRaw("to.txt"), "new");
}

TEST_F(FilesTest, CopyFileCarriesTheReadOnlyAttributeAlong) {
  drive_.WriteRaw("from.txt", "ro");
  drive_.SetReadOnlyRaw("from.txt", true);
  std::string error;
  ASSERT_TRUE(files().CopyFile(drive_.Path("from.txt"), drive_.Path("copy.txt"), &error)) << error;
  EXPECT_EQ(drive_.ReadRaw("copy.txt"), "ro");
  EXPECT_FALSE(files().WriteTextFile(drive_.Path("copy.txt"), "x\n", &error));
  drive_.SetReadOnlyRaw("from.txt", false);
  drive_.SetReadOnlyRaw("copy.txt", false);
}

// While a step's writes are held the step still reads what it wrote, a file written twice
// lands with its last content, and no temporary is left once they are carried out.
TEST_F(FilesTest, HeldWritesReadAsWrittenAndLandWhole) {
  drive_.WriteRaw("Step\\ro.txt", "ro");
  drive_.SetReadOnlyRaw("Step\\ro.txt", true);
  drive_.WriteRaw("Step\\old.txt", "old");
  std::string error;
  platform::HoldWrites();
  ASSERT_TRUE(files().WriteTextFile(drive_.Path("Step\\new.txt"), "one\n", &error)) << error;
  ASSERT_TRUE(files().WriteTextFile(drive_.Path("Step\\new.txt"), "two\n", &error)) << error;
  EXPECT_TRUE(files().Exists(drive_.Path("Step\\new.txt")));
  EXPECT_EQ(ReadLines("Step\\new.txt"), Lines{"two"});
  ASSERT_TRUE(files().CopyFile(drive_.Path("Step\\new.txt"), drive_.Path("Step\\old.txt"), &error))
      << error;
  ASSERT_TRUE(files().CopyFile(drive_.Path("Step\\ro.txt"), drive_.Path("Step\\ro2.txt"), &error))
      << error;
  EXPECT_TRUE(files().IsReadOnly(drive_.Path("Step\\ro2.txt")));
  EXPECT_FALSE(files().WriteTextFile(drive_.Path("Step\\ro2.txt"), "x\n", &error));
  ASSERT_TRUE(files().SetNormalAttributes(drive_.Path("Step\\ro2.txt"), &error)) << error;
  std::string bytes;
  ASSERT_TRUE(files().ReadBinaryFile(drive_.Path("Step\\old.txt"), &bytes, &error)) << error;
  EXPECT_EQ(bytes, "two\r\n");
  ASSERT_TRUE(platform::StopHoldingWrites(&error)) << error;

  std::vector<platform::FolderEntry> entries;
  ASSERT_TRUE(files().ListFolder(drive_.Path("Step"), &entries, &error)) << error;
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"new.txt", "old.txt", "ro.txt", "ro2.txt"}));
  EXPECT_EQ(drive_.ReadRaw("Step\\new.txt"), "two\r\n");
  EXPECT_EQ(drive_.ReadRaw("Step\\old.txt"), "two\r\n");
  EXPECT_FALSE(files().IsReadOnly(drive_.Path("Step\\ro2.txt")));
  drive_.SetReadOnlyRaw("Step\\ro.txt", false);
}

TEST_F(FilesTest, CopyFileFromMissingSourceLeavesTargetAlone) {
  drive_.WriteRaw("to.txt", "old");
  std::string error;
  EXPECT_FALSE(files().CopyFile(drive_.Path("missing.txt"), drive_.Path("to.txt"), &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(drive_.ReadRaw("to.txt"), "old");
}

TEST_F(FilesTest, SetNormalAttributesNeedsAnExistingPath) {
  std::string error;
  EXPECT_FALSE(files().SetNormalAttributes(drive_.Path("missing.txt"), &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(FilesTest, CreateDirectoriesMakesMissingParents) {
  std::string error;
  ASSERT_TRUE(files().CreateDirectories(drive_.Path("a\\b\\c"), &error)) << error;
  EXPECT_TRUE(files().Exists(drive_.Path("a\\b\\c")));
  EXPECT_TRUE(files().CreateDirectories(drive_.Path("A\\B"), &error)) << error;
  drive_.WriteRaw("file", "x");
  EXPECT_FALSE(files().CreateDirectories(drive_.Path("file\\sub"), &error));
  EXPECT_FALSE(files().CreateDirectories(drive_.Path("file"), &error));
}

TEST_F(FilesTest, RemovesFilesAndOnlyEmptyFolders) {
  std::string error;
  drive_.WriteRaw("a\\b\\f.txt", "x");
  EXPECT_FALSE(files().RemoveEmptyFolder(drive_.Path("a\\b"), &error));
  EXPECT_TRUE(files().Exists(drive_.Path("a\\b\\f.txt")));
  EXPECT_FALSE(files().RemoveFile(drive_.Path("a\\b"), &error));
  EXPECT_TRUE(files().RemoveFile(drive_.Path("A\\B\\F.TXT"), &error)) << error;
  EXPECT_FALSE(files().Exists(drive_.Path("a\\b\\f.txt")));
  EXPECT_TRUE(files().RemoveFile(drive_.Path("a\\b\\f.txt"), &error)) << "already gone";
  EXPECT_TRUE(files().RemoveEmptyFolder(drive_.Path("a\\b"), &error)) << error;
  EXPECT_FALSE(files().Exists(drive_.Path("a\\b")));
  EXPECT_TRUE(files().Exists(drive_.Path("a")));
}

// The journal's services: appends that create the file and keep every byte, and the dry run's
// question, which a folder this user may write in, or one that does not exist, answers yes.
TEST_F(FilesTest, AppendsKeepEveryByteAndWritableFoldersAreWritable) {
  std::string error, bytes;
  const std::string journal = drive_.Path("j\\run.jnl");
  drive_.WriteRaw("j\\other.txt", "x");
  ASSERT_TRUE(files().AppendToFile(journal, std::string("a\0b", 3), &error)) << error;
  ASSERT_TRUE(files().AppendToFile(journal, "\r\nc", &error)) << error;
  ASSERT_TRUE(files().ReadBinaryFile(journal, &bytes, &error)) << error;
  EXPECT_EQ(bytes, std::string("a\0b\r\nc", 6));
  EXPECT_FALSE(files().AppendToFile(drive_.Path("missing\\run.jnl"), "x", &error));
  EXPECT_TRUE(files().CheckWritable(journal, &error)) << error;
  EXPECT_TRUE(files().CheckWritable(drive_.Path("j\\new.txt"), &error)) << error;
  EXPECT_TRUE(files().CheckWritable(drive_.Path("missing\\new.txt"), &error)) << error;
  EXPECT_TRUE(files().RemoveLeftovers(drive_.Path("j"), &error)) << error;
  EXPECT_TRUE(files().Exists(drive_.Path("j\\other.txt")));
}

TEST_F(FilesTest, SystemDirectoryLiesInTheWindowsDirectory) {
  const std::string windows = files().WindowsDirectory();
  const std::string system = files().SystemDirectory();
  ASSERT_GT(windows.size(), 3u);
  EXPECT_NE(windows.back(), '\\');
  EXPECT_EQ(system.size(), windows.size() + 9);
  EXPECT_TRUE(files().Exists(windows));
  EXPECT_TRUE(files().Exists(system));
}

}  // namespace
