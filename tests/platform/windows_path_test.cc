// The Windows path toolkit against the paths the programs meet.
#include "platform/windows_path.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(WindowsPathTest, TakesPathsApart) {
  struct Case {
    const char* path;
    const char* parent;
    const char* name;
    const char* extension;
    const char* drive;
  };
  const Case cases[] = {
      {"C:\\Lib\\Help\\TSLHelp.chm", "C:\\Lib\\Help", "TSLHelp.chm", "chm", "C:"},
      {"C:\\VS\\Common7\\IDE\\", "C:\\VS\\Common7\\IDE", "", "", "C:"},
      {"C:/Lib/a.b.Awx", "C:/Lib", "a.b.Awx", "Awx", "C:"},
      {"C:\\dir.d\\noext", "C:\\dir.d", "noext", "", "C:"},
      {"C:name.txt", "", "name.txt", "txt", "C:"},
      {"\\\\server\\share\\f", "\\\\server\\share", "f", "", ""},
      {"sub\\file.h", "sub", "file.h", "h", ""},
      {"file", "", "file", "", ""},
      {"", "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ParentPath(c.path), c.parent);
    EXPECT_EQ(FileName(c.path), c.name);
    EXPECT_EQ(Extension(c.path), c.extension);
    EXPECT_EQ(DriveOf(c.path), c.drive);
  }
}

TEST(WindowsPathTest, PutsPathsTogether) {
  EXPECT_EQ(JoinPath("C:\\Lib", "a.h"), "C:\\Lib\\a.h");
  EXPECT_EQ(JoinPath("C:\\", "a.h"), "C:\\a.h");
  EXPECT_EQ(JoinPath("C:/Lib/", "a.h"), "C:/Lib/a.h");
  EXPECT_EQ(JoinPath("", "a.h"), "\\a.h");

  EXPECT_EQ(WithTrailingBackslash("C:\\Lib"), "C:\\Lib\\");
  EXPECT_EQ(WithTrailingBackslash("C:\\Lib\\"), "C:\\Lib\\");
  EXPECT_EQ(WithTrailingBackslash(""), "");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\Lib\\"), "C:\\Lib");
  EXPECT_EQ(WithoutTrailingBackslash("C:\\Lib"), "C:\\Lib");
  EXPECT_EQ(WithoutTrailingBackslash(""), "");
  EXPECT_EQ(WithoutTrailingSeparators("C:\\Lib\\/\\"), "C:\\Lib");
  EXPECT_EQ(WithoutTrailingSeparators("C:\\\\"), "C:\\");
}

// A temporary file goes beside its target: the drive's root, not its current folder, for
// "C:\\a.txt"; a folder named with separators after it is the folder without them.
TEST(WindowsPathTest, FindsFoldersAndDrives) {
  struct Case {
    const char* path;
    bool drive;
    const char* without_separators;
    const char* folder_beside;
  };
  const Case cases[] = {
      {"C:\\Lib\\a.txt", true, "C:\\Lib\\a.txt", "C:\\Lib"},
      {"C:\\a.txt", true, "C:\\a.txt", "C:\\"},
      {"c:/src//", true, "c:/src", "c:/src/"},
      {"C:\\", true, "C:\\", "C:\\"},
      {"\\a.txt", false, "\\a.txt", "\\"},
      {"a.txt", false, "a.txt", "."},
      {"/home/u/a", false, "/home/u/a", "/home/u"},
      {"1:\\x", false, "1:\\x", "1:"},
      {"", false, "", "."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(IsDrivePath(c.path), c.drive);
    EXPECT_EQ(WithoutTrailingSeparators(c.path), c.without_separators);
    EXPECT_EQ(FolderBeside(c.path), c.folder_beside);
  }
}

}  // namespace
}  // namespace platform
