// The Visual C++ 6.0 integration on the doubles: folders, service pack, lists, wizard copies.
#include <gtest/gtest.h>

#include <functional>

#include "integrate/engine/integration_engine.h"
#include "integrate/strings.h"
#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

using integrate::IntegrationEngine;
using integrate::ServicePackAnswer;
using platform::RootKey;

const char kDirectoriesKey[] =
    "Software\\Microsoft\\DevStudio\\6.0\\Build System\\Components\\Platforms\\Win32 (x86)\\"
    "Directories";
const char kInstallDirsKey[] = "Software\\Microsoft\\DevStudio\\6.0\\Directories";
const char kTemplate[] = "C:\\VS\\Common\\MSDev98\\Template\\";
const char kAppSource[] = "C:\\Lib\\TSLAppWizard\\Release\\TSLXAppWizard.awx";
const char kSkinSource[] = "C:\\Lib\\TSLSkinWizard\\Release\\TSLSkinWizard.awx";

// A machine with Visual C++ 6.0, its template folder and the library's wizard files.
class Vc6Test : public ::testing::Test {
 protected:
  Vc6Test() {
    fake.registry.AddKey(RootKey::kLocalMachine,
                         "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++");
    fake.registry.Set(RootKey::kCurrentUser, kInstallDirsKey, "Install Dirs",
                      "C:\\VS\\Common\\MSDev98\\Bin");
    fake.registry.Set(RootKey::kCurrentUser, kDirectoriesKey, "Include Dirs",
                      "C:\\VS\\VC98\\INCLUDE;C:\\VS\\VC98\\MFC\\INCLUDE");
    fake.registry.Set(RootKey::kCurrentUser, kDirectoriesKey, "Library Dirs", "C:\\VS\\VC98\\LIB;");
    fake.files.AddFolder(kTemplate);
    fake.files.Put(kAppSource, "app wizard");
    fake.files.Put(kSkinSource, "skin wizard");
  }

  std::string List(const char* name) {
    const std::string* value = fake.registry.Get(RootKey::kCurrentUser, kDirectoriesKey, name);
    return value ? *value : "<missing>";
  }
  std::string File(const std::string& path) {
    const std::string* bytes = fake.files.Get(path);
    return bytes ? *bytes : "<missing>";
  }
  void SetFileVersion(std::vector<platform::Translation> translations,
                      std::map<std::string, std::string> strings) {
    fake.versions.files["C:\\windows\\system32\\mfc42d.dll"] = {std::move(translations),
                                                                std::move(strings)};
  }

  FakePlatform fake;
  RecordingHost host;
  IntegrationEngine engine{&host, "C:\\Lib", fake.services};
};

TEST_F(Vc6Test, GetVc6InstallDirDropsTheLastComponent) {
  std::string dir;
  EXPECT_TRUE(engine.GetVc6InstallDir(&dir));
  EXPECT_EQ(dir, "C:\\VS\\Common\\MSDev98");

  fake.registry.Set(RootKey::kCurrentUser, kInstallDirsKey, "Install Dirs", "Bin");
  EXPECT_FALSE(engine.GetVc6InstallDir(&dir));
  EXPECT_EQ(dir, "");
  EXPECT_TRUE(host.owner.messages.empty());
}

TEST_F(Vc6Test, GetVc6InstallDirNamesWhatIsMissing) {
  FakePlatform bare;
  IntegrationEngine engine2(&host, "C:\\Lib", bare.services);
  std::string dir;
  EXPECT_FALSE(engine2.GetVc6InstallDir(&dir));
  bare.registry.AddKey(RootKey::kCurrentUser, kInstallDirsKey);
  EXPECT_FALSE(engine2.GetVc6InstallDir(&dir));
  ASSERT_EQ(host.owner.messages.size(), 2u);
  EXPECT_EQ(host.owner.messages[0].text, integrate::LoadText(integrate::kStrDevStudioNotFound));
  EXPECT_EQ(host.owner.messages[1].text, integrate::LoadText(integrate::kStrVc6NotFound));
}

TEST_F(Vc6Test, ServicePackFollowsTheThirdVersionPart) {
  EXPECT_EQ(engine.HasVc6ServicePack3(), ServicePackAnswer::kUndetermined);
  const std::string kUs = "\\StringFileInfo\\040904b0\\FileVersion";
  struct Case {
    const char* version;
    ServicePackAnswer answer;
  } cases[] = {
      {"6.00.8447.0", ServicePackAnswer::kYes},   {"6.00.8168.0", ServicePackAnswer::kNo},
      {"6.00.9782.0", ServicePackAnswer::kYes},   {"6.00.10000.0", ServicePackAnswer::kYes},
      {"6.00. 8447x.0", ServicePackAnswer::kYes}, {"6.00.abc.0", ServicePackAnswer::kNo},
      {"6.0", ServicePackAnswer::kUndetermined}};
  for (const Case& c : cases) {
    SetFileVersion({{0x0409, 0x04b0}}, {{kUs, c.version}});
    EXPECT_EQ(engine.HasVc6ServicePack3(), c.answer) << c.version;
  }
  SetFileVersion({}, {{kUs, "6.00.8447.0"}});
  EXPECT_EQ(engine.HasVc6ServicePack3(), ServicePackAnswer::kUndetermined);
}

TEST_F(Vc6Test, ServicePackTakesTheFirstTranslationWithAVersion) {
  SetFileVersion({{0x0407, 0x04e4}, {0x0409, 0x04b0}, {0x040c, 0x04b0}},
                 {{"\\StringFileInfo\\040904b0\\FileVersion", "6.00.8168.0"},
                  {"\\StringFileInfo\\040c04b0\\FileVersion", "6.00.9782.0"}});
  EXPECT_EQ(engine.HasVc6ServicePack3(), ServicePackAnswer::kNo);
}

TEST_F(Vc6Test, MergeDirectoryAppendsWithoutDoublingSeparator) {
  EXPECT_TRUE(engine.MergeDirectory("Include Dirs", "C:\\Lib\\Tessaline", "C:\\Inc1;C:\\Inc2;"));
  EXPECT_EQ(List("Include Dirs"), "C:\\Inc1;C:\\Inc2;C:\\Lib\\Tessaline");
  EXPECT_TRUE(engine.MergeDirectory("Include Dirs", "C:\\Lib\\Tessaline", "C:\\Inc1"));
  EXPECT_EQ(List("Include Dirs"), "C:\\Inc1;C:\\Lib\\Tessaline");
  EXPECT_TRUE(engine.MergeDirectory("Include Dirs", "C:\\Lib\\Tessaline", ""));
  EXPECT_EQ(List("Include Dirs"), ";C:\\Lib\\Tessaline");
}

TEST_F(Vc6Test, MergeDirectoryComparesCaseSensitivelyAsSubstring) {
  fake.registry.calls.clear();
  EXPECT_TRUE(engine.MergeDirectory("Include Dirs", "C:\\Lib\\Tessaline",
                                    "C:\\A;C:\\Lib\\Tessaline\\Sub;C:\\B"));
  EXPECT_EQ(fake.registry.CountCalls("write "), 0);
  EXPECT_TRUE(engine.MergeDirectory("Include Dirs", "C:\\Lib\\Tessaline", "c:\\lib\\tessaline"));
  EXPECT_EQ(List("Include Dirs"), "c:\\lib\\tessaline;C:\\Lib\\Tessaline");
}

TEST_F(Vc6Test, IntegrateVc6DoesEveryChosenStepInOrder) {
  ASSERT_TRUE(engine.IntegrateVc6(true, true, true, false));
  EXPECT_EQ(host.lines, (std::vector<std::string>{"    Setup directories", "    Copy TSLXAppWizard",
                                                  "    Copy TSLSkinWizard"}));
  EXPECT_EQ(List("Include Dirs"),
            "C:\\VS\\VC98\\INCLUDE;C:\\VS\\VC98\\MFC\\INCLUDE;C:\\Lib\\Tessaline");
  EXPECT_EQ(List("Library Dirs"), "C:\\VS\\VC98\\LIB;C:\\Lib\\Bin");
  EXPECT_EQ(File("C:\\Lib\\directories.txt"),
            "Old Include Directories\r\n\r\nC:\\VS\\VC98\\INCLUDE\r\nC:\\VS\\VC98\\MFC\\INCLUDE"
            "\r\n\r\nOld Library Directories\r\n\r\nC:\\VS\\VC98\\LIB\r\n");
  EXPECT_EQ(File(std::string(kTemplate) + "TSLXAppWizard.awx"), "app wizard");
  EXPECT_EQ(File(std::string(kTemplate) + "TSLSkinWizard.awx"), "skin wizard");
  // Both copies share one look-up of the template folder.
  EXPECT_EQ(fake.registry.CountCalls(std::string("open HKCU\\") + kInstallDirsKey), 1);
  EXPECT_TRUE(host.owner.messages.empty());
}

TEST_F(Vc6Test, SecondRunAddsNothingAndRecordsTheCurrentLists) {
  ASSERT_TRUE(engine.IntegrateVc6(true, false, false, false));
  ASSERT_TRUE(engine.IntegrateVc6(true, false, false, false));
  EXPECT_EQ(List("Library Dirs"), "C:\\VS\\VC98\\LIB;C:\\Lib\\Bin");
  EXPECT_NE(File("C:\\Lib\\directories.txt").find("C:\\Lib\\Bin"), std::string::npos);
}

TEST_F(Vc6Test, LongListIsReadOnTheSecondAttempt) {
  std::string longList;
  while (longList.size() < 400) longList += "C:\\Some\\Long\\Folder;";
  fake.registry.Set(RootKey::kCurrentUser, kDirectoriesKey, "Library Dirs", longList);
  ASSERT_TRUE(engine.IntegrateVc6(true, false, false, false));
  EXPECT_EQ(List("Library Dirs"), longList + "C:\\Lib\\Bin");
}

// Without the lists' key there are no lists to keep: no backup of empty headings is written.
TEST_F(Vc6Test, MissingDirectoriesKeyWritesNoBackup) {
  FakePlatform bare;
  bare.registry.AddKey(RootKey::kLocalMachine,
                       "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++");
  bare.files.AddFolder("C:\\Lib");
  IntegrationEngine engine2(&host, "C:\\Lib", bare.services);
  EXPECT_TRUE(engine2.IntegrateVc6(true, false, false, false));
  EXPECT_EQ(bare.files.Get("C:\\Lib\\directories.txt"), nullptr);
  EXPECT_EQ(bare.registry.CountCalls("write "), 0);
}

TEST_F(Vc6Test, UnreadableHiveIsReportedAndLeavesTheRecordAndTheLists) {
  fake.files.Put("C:\\Lib\\directories.txt", "the only record");
  fake.registry.FailCallsStartingWith("check HKCU");
  EXPECT_FALSE(engine.IntegrateVc6(true, false, false, false));
  ASSERT_EQ(host.owner.messages.size(), 1u);
  EXPECT_NE(host.owner.messages[0].text.find("(hive of HKCU damaged)"), std::string::npos)
      << host.owner.messages[0].text;
  EXPECT_EQ(File("C:\\Lib\\directories.txt"), "the only record");
  EXPECT_EQ(fake.registry.CountCalls("write"), 0);
}

// A directories.txt that cannot be opened does not stop the step: the lists are merged anyway
// and nothing is said; without the lists' key the earlier backup stays.
// One fresh machine per table row.
struct Vc6Machine : Vc6Test {
  void TestBody() override {}
  using Vc6Test::engine;
  using Vc6Test::fake;
  using Vc6Test::File;
  using Vc6Test::host;
  using Vc6Test::List;
};

TEST(Vc6Backup, BackupThatCannotBeWrittenOrHasNothingToHoldLeavesTheEarlierOne) {
  const struct {
    const char* what;
    std::function<void(Vc6Machine&)> setup;
    bool merged;
  } cases[] = {
      {"read-only backup",
       [](Vc6Machine& t) { t.fake.files.SetReadOnly("C:\\Lib\\directories.txt", true); }, true},
      {"no lists' key",
       [](Vc6Machine& t) {
         t.fake.registry.FailCallsStartingWith("open HKCU\\" + std::string(kDirectoriesKey));
       },
       false},
  };
  for (const auto& c : cases) {
    Vc6Machine t;
    t.fake.files.Put("C:\\Lib\\directories.txt", "earlier record");
    c.setup(t);
    EXPECT_TRUE(t.engine.IntegrateVc6(true, false, false, false)) << c.what;
    EXPECT_EQ(t.File("C:\\Lib\\directories.txt"), "earlier record") << c.what;
    EXPECT_TRUE(t.host.owner.messages.empty()) << c.what;
    EXPECT_EQ(t.List("Include Dirs").find("C:\\Lib\\Tessaline") != std::string::npos, c.merged)
        << c.what;
  }
}

TEST_F(Vc6Test, FailedBackupWriteIsReportedNotLost) {
  fake.files.FailWritesTo("C:\\Lib\\directories.txt");
  EXPECT_FALSE(engine.IntegrateVc6(true, false, false, false));
  EXPECT_EQ(List("Include Dirs"), "C:\\VS\\VC98\\INCLUDE;C:\\VS\\VC98\\MFC\\INCLUDE");
  ASSERT_EQ(host.owner.messages.size(), 1u);
  EXPECT_NE(host.owner.messages[0].text.find("directories.txt"), std::string::npos);
}

TEST_F(Vc6Test, FailedListWriteFailsTheIntegration) {
  fake.registry.FailCallsStartingWith(std::string("write HKCU\\") + kDirectoriesKey +
                                      "|Include Dirs");
  EXPECT_FALSE(engine.IntegrateVc6(true, true, false, false));
  ASSERT_EQ(host.owner.messages.size(), 1u);
  EXPECT_NE(host.owner.messages[0].text.find("Include Dirs"), std::string::npos);
  // The record was written first and the wizard was not copied.
  EXPECT_NE(File("C:\\Lib\\directories.txt"), "<missing>");
  EXPECT_EQ(File(std::string(kTemplate) + "TSLXAppWizard.awx"), "<missing>");
}

TEST_F(Vc6Test, HelpOnlyNeitherLooksForTheIdeNorWaitsForIt) {
  fake.processes.names = {"MSDEV.EXE"};
  fake.registry.calls.clear();
  EXPECT_TRUE(engine.IntegrateVc6(false, false, false, true));  // help files absent
  EXPECT_TRUE(host.lines.empty());
  EXPECT_EQ(fake.processes.enumerations, 0);
  EXPECT_TRUE(fake.registry.calls.empty());
}

TEST_F(Vc6Test, FailedHelpStepEndsTheIntegrationBeforeTheIde) {
  fake.files.Put("C:\\Lib\\Help\\TSLHelp.chm", "chm");
  fake.files.Put("C:\\Lib\\Help\\TSLHelp.chi", "chi");
  EXPECT_FALSE(engine.IntegrateVc6(true, true, true, true));  // no MSDN collection
  EXPECT_EQ(host.lines, std::vector<std::string>{"    MSDN Integration"});
  EXPECT_EQ(host.owner.messages.size(), 1u);
  EXPECT_EQ(fake.processes.enumerations, 0);
  EXPECT_EQ(fake.registry.CountCalls("write "), 0);
}

TEST_F(Vc6Test, NothingChosenOrNoInstallDirEndsAtOnce) {
  EXPECT_TRUE(engine.IntegrateVc6(false, false, false, false));
  IntegrationEngine unplaced(&host, "", fake.services);
  EXPECT_FALSE(unplaced.IntegrateVc6(true, false, false, false));
  EXPECT_TRUE(host.lines.empty());
  EXPECT_TRUE(host.owner.messages.empty());
}

TEST_F(Vc6Test, MissingIdeFailsSilently) {
  FakePlatform bare;
  IntegrationEngine engine2(&host, "C:\\Lib", bare.services);
  EXPECT_FALSE(engine2.IntegrateVc6(true, true, true, false));
  EXPECT_TRUE(host.owner.messages.empty());
  EXPECT_TRUE(host.lines.empty());
}

TEST_F(Vc6Test, OldServicePackWarnsAndGoesOn) {
  SetFileVersion({{0x0409, 0x04b0}}, {{"\\StringFileInfo\\040904b0\\FileVersion", "6.00.8168.0"}});
  EXPECT_TRUE(engine.IntegrateVc6(true, false, false, false));
  EXPECT_EQ(host.servicePackWarnings, 1);
}

TEST_F(Vc6Test, CancelledIdePromptChangesNothing) {
  fake.processes.names = {"C:\\VS\\Common\\MSDev98\\Bin\\MSDEV.EXE"};
  host.owner.answers = {integrate::kIdCancel};
  EXPECT_FALSE(engine.IntegrateVc6(true, true, true, false));
  ASSERT_EQ(host.owner.messages.size(), 1u);
  EXPECT_EQ(host.owner.messages[0].text,
            "Please close Microsoft Visual C++ before processing with Tessaline Installation");
  EXPECT_EQ(fake.registry.CountCalls("write "), 0);
  EXPECT_TRUE(host.lines.empty());
}

TEST_F(Vc6Test, MissingAppWizardSourceSkipsItsCopyOnly) {
  fake.files.Remove(kAppSource);
  EXPECT_TRUE(engine.IntegrateVc6(false, true, true, false));
  EXPECT_EQ(host.lines, std::vector<std::string>{"    Copy TSLSkinWizard"});
  EXPECT_EQ(File(std::string(kTemplate) + "TSLSkinWizard.awx"), "skin wizard");
  EXPECT_EQ(File(std::string(kTemplate) + "TSLXAppWizard.awx"), "<missing>");
}

TEST_F(Vc6Test, MissingSkinSourceNamesSourceAndTarget) {
  fake.files.Remove(kSkinSource);
  EXPECT_FALSE(engine.IntegrateVc6(false, false, true, false));
  ASSERT_EQ(host.owner.messages.size(), 1u);
  EXPECT_EQ(host.owner.messages[0].text, std::string("Can not copy file from ") + kSkinSource +
                                             " to " + kTemplate +
                                             "TSLSkinWizard.awx. Integration terminated.");
}

TEST_F(Vc6Test, ReadOnlyEarlierCopyIsReplaced) {
  const std::string target = std::string(kTemplate) + "TSLXAppWizard.awx";
  fake.files.Put(target, "old");
  fake.files.SetReadOnly(target, true);
  EXPECT_TRUE(engine.CopyVc6WizardFile(kAppSource));
  EXPECT_EQ(File(target), "app wizard");
}

TEST_F(Vc6Test, MissingInstallDirsKeyStopsBeforeAnyCopy) {
  FakePlatform other;
  other.registry.AddKey(RootKey::kLocalMachine,
                        "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++");
  other.files.Put(kAppSource, "app wizard");
  other.files.Put(kSkinSource, "skin wizard");
  IntegrationEngine engine2(&host, "C:\\Lib", other.services);
  EXPECT_FALSE(engine2.IntegrateVc6(false, true, true, false));
  ASSERT_EQ(host.owner.messages.size(), 1u);
  EXPECT_EQ(host.owner.messages[0].text, integrate::LoadText(integrate::kStrDevStudioNotFound));
  EXPECT_EQ(host.lines, std::vector<std::string>{"    Copy TSLXAppWizard"});
  EXPECT_EQ(other.files.calls.size(), 0u);
}

}  // namespace
}  // namespace integrate_test
