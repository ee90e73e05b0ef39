// TextEdit and the Visual C++ 6.0 lists on a real drive, through this build's file services.
#include <gtest/gtest.h>

#include "integrate/engine/integration_engine.h"
#include "integrate/engine/text_edit.h"
#include "tests/integrate/test_doubles.h"
#include "tests/support/fake_registry.h"
#include "tests/support/temp_drive.h"

namespace integrate_test {
namespace {

using integrate::TextEdit;

// The edits on real files through this build's own file services.
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
  EXPECT_FALSE(again.written());
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

// The backup of the VC++ directory lists on real files: rewritten whole with CR LF, and a
// read-only one keeps both itself and the lists unchanged.
TEST(Vc6DirectoriesOnDrive, BackupIsWrittenFirstAndGuardsTheLists) {
  testing_support::TempDrive drive;
  auto registry = std::make_unique<testing_support::FakeRegistry>();
  testing_support::FakeRegistry& reg = *registry;
  drive.Services().registry = std::move(registry);
  drive.Services().processes = std::make_unique<testing_support::FakeProcesses>();
  drive.Services().versions = std::make_unique<testing_support::FakeVersionResources>();
  const std::string dirs =
      "Software\\Microsoft\\DevStudio\\6.0\\Build System\\Components\\Platforms\\"
      "Win32 (x86)\\Directories";
  reg.AddKey(platform::RootKey::kLocalMachine,
             "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++");
  reg.Set(platform::RootKey::kCurrentUser, dirs, "Include Dirs", "C:\\Inc1;C:\\Inc2");
  reg.Set(platform::RootKey::kCurrentUser, dirs, "Library Dirs", "C:\\Lib1");
  drive.WriteRaw("Lib\\directories.txt", "old record\n");

  RecordingHost host;
  integrate::IntegrationEngine engine(&host, drive.Path("Lib"), drive.Services());
  ASSERT_TRUE(engine.IntegrateVc6(true, false, false, false));
  EXPECT_EQ(drive.ReadRaw("Lib\\directories.txt"),
            "Old Include Directories\r\n\r\nC:\\Inc1\r\nC:\\Inc2\r\n\r\n"
            "Old Library Directories\r\n\r\nC:\\Lib1");
  EXPECT_EQ(*reg.Get(platform::RootKey::kCurrentUser, dirs, "Include Dirs"),
            "C:\\Inc1;C:\\Inc2;" + drive.Path("Lib\\Tessaline"));

  reg.Set(platform::RootKey::kCurrentUser, dirs, "Library Dirs", "C:\\Other");
  drive.SetReadOnlyRaw("Lib\\directories.txt", true);
  const std::string before = drive.ReadRaw("Lib\\directories.txt");
  EXPECT_FALSE(engine.IntegrateVc6(true, false, false, false));
  EXPECT_EQ(drive.ReadRaw("Lib\\directories.txt"), before);
  EXPECT_EQ(*reg.Get(platform::RootKey::kCurrentUser, dirs, "Library Dirs"), "C:\\Other");
  ASSERT_EQ(host.owner.messages.size(), 1u);
  EXPECT_NE(host.owner.messages[0].text.find(drive.Path("Lib\\directories.txt")),
            std::string::npos);
  drive.SetReadOnlyRaw("Lib\\directories.txt", false);
}

}  // namespace
}  // namespace integrate_test
