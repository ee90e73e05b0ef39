// IntegrationEngine's shared checks on the doubles: sources, installed IDEs, a running IDE.
#include <gtest/gtest.h>

#include "integrate/engine/integration_engine.h"
#include "integrate/strings.h"
#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

using integrate::IntegrationEngine;
using platform::RootKey;

class EngineTest : public ::testing::Test {
 protected:
  IntegrationEngine& Engine(const std::string& installDir = "C:\\Lib") {
    engine_ = std::make_unique<IntegrationEngine>(&host, installDir, fake.services);
    return *engine_;
  }

  FakePlatform fake;
  RecordingHost host;

 private:
  std::unique_ptr<IntegrationEngine> engine_;
};

TEST_F(EngineTest, InstallDirGetsOneTrailingBackslash) {
  EXPECT_EQ(Engine("C:\\Lib").installDir(), "C:\\Lib\\");
  EXPECT_EQ(Engine("C:\\Lib\\").installDir(), "C:\\Lib\\");
  EXPECT_EQ(Engine("C:\\Lib").wizardSources().vc6AppWizard,
            "C:\\Lib\\TSLAppWizard\\Release\\TSLXAppWizard.awx");
  const auto& table = Engine("C:\\Lib\\").wizardSources();
  EXPECT_EQ(table.skinWizard, "C:\\Lib\\TSLSkinWizard\\Release\\TSLSkinWizard.awx");
  EXPECT_EQ(table.net7Wizard, "C:\\Lib\\TSLAppWizard7\\TSLAppWizard");
  EXPECT_EQ(table.net7Projects, "C:\\Lib\\TSLAppWizard7\\vcprojects");
  EXPECT_EQ(table.vs2005Wizard, "C:\\Lib\\TSLAppWizard2005\\TSLAppWizard");
  EXPECT_EQ(table.vs2005Projects, "C:\\Lib\\TSLAppWizard2005\\vcprojects");
}

TEST_F(EngineTest, EmptyInstallDirKeepsBareRelativePaths) {
  IntegrationEngine& engine = Engine("");
  EXPECT_EQ(engine.installDir(), "");
  EXPECT_EQ(engine.wizardSources().vc6AppWizard, "TSLAppWizard\\Release\\TSLXAppWizard.awx");
}

TEST_F(EngineTest, PresenceTestsNeedEveryPathAndAcceptFolders) {
  IntegrationEngine& engine = Engine();
  EXPECT_FALSE(engine.HelpFilesPresent());
  fake.files.Put("C:\\Lib\\Help\\TSLHelp.chm", "x");
  EXPECT_FALSE(engine.HelpFilesPresent());
  fake.files.Put("C:\\Lib\\Help\\TSLHelp.chi", "x");
  EXPECT_TRUE(engine.HelpFilesPresent());

  // A folder at the file's place counts, as the attribute test does not tell them apart.
  fake.files.AddFolder("C:\\Lib\\TSLAppWizard\\Release\\TSLXAppWizard.awx");
  EXPECT_TRUE(engine.Vc6WizardSourcePresent());
  EXPECT_FALSE(engine.SkinWizardSourcePresent());

  fake.files.AddFolder("C:\\Lib\\TSLAppWizard7\\TSLAppWizard");
  EXPECT_FALSE(engine.NetWizardSourcesPresent(70));
  fake.files.AddFolder("C:\\Lib\\TSLAppWizard7\\vcprojects");
  EXPECT_TRUE(engine.NetWizardSourcesPresent(70));
  EXPECT_TRUE(engine.NetWizardSourcesPresent(71));
  EXPECT_FALSE(engine.NetWizardSourcesPresent(80));
  fake.files.AddFolder("C:\\Lib\\TSLAppWizard2005\\TSLAppWizard");
  fake.files.AddFolder("C:\\Lib\\TSLAppWizard2005\\vcprojects");
  EXPECT_TRUE(engine.NetWizardSourcesPresent(80));
}

TEST_F(EngineTest, IsVc6InstalledTriesBothKeysSilently) {
  IntegrationEngine& engine = Engine();
  EXPECT_FALSE(engine.IsVc6Installed());
  EXPECT_EQ(fake.registry.CountCalls("open HKLM\\"), 2);
  fake.registry.AddKey(RootKey::kLocalMachine,
                       "SOFTWARE\\Microsoft\\VisualStudio\\6.0\\Setup\\Microsoft Visual C++");
  EXPECT_TRUE(engine.IsVc6Installed());
  fake.registry.calls.clear();
  fake.registry.AddKey(RootKey::kLocalMachine,
                       "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++");
  EXPECT_TRUE(engine.IsVc6Installed());
  EXPECT_EQ(fake.registry.CountCalls("open HKLM\\"), 1);
  EXPECT_TRUE(host.owner.messages.empty());
}

TEST_F(EngineTest, GetVsNetIdeDirDropsTheTrailingBackslash) {
  fake.registry.Set(RootKey::kLocalMachine, "Software\\Microsoft\\VisualStudio\\7.1", "InstallDir",
                    "C:\\VS7\\Common7\\IDE\\");
  std::string dir = "stale";
  EXPECT_TRUE(Engine().GetVsNetIdeDir("7.1", true, &dir));
  EXPECT_EQ(dir, "C:\\VS7\\Common7\\IDE");
  EXPECT_TRUE(Engine().IsVsNetInstalled("7.1"));
  EXPECT_FALSE(Engine().IsVsNetInstalled("7.0"));
  EXPECT_TRUE(host.owner.messages.empty());
}

TEST_F(EngineTest, GetVsNetIdeDirReportsOnlyAMissingEntryAndOnlyWhenAsked) {
  IntegrationEngine& engine = Engine();
  std::string dir = "stale";
  EXPECT_FALSE(engine.GetVsNetIdeDir("8.0", true, &dir));
  EXPECT_EQ(dir, "");
  ASSERT_EQ(host.owner.messages.size(), 1u);
  EXPECT_EQ(host.owner.messages[0].text,
            "Unable to locate Visual Studio.NET version 8.0. Integartion terminated.");

  // A value too long for the 260-byte buffer fails like a missing one.
  fake.registry.Set(RootKey::kLocalMachine, "Software\\Microsoft\\VisualStudio\\7.0", "InstallDir",
                    "C:\\" + std::string(300, 'a') + "\\");
  EXPECT_FALSE(engine.GetVsNetIdeDir("7.0", true, &dir));
  EXPECT_EQ(host.owner.messages.size(), 2u);
  EXPECT_FALSE(engine.GetVsNetIdeDir("7.0", false, &dir));
  EXPECT_EQ(host.owner.messages.size(), 2u);

  // A value without any backslash fails silently whatever the flag; the IDE does not take
  // '/' for a separator here, so such a value is no installation either.
  for (const char* value : {"nowhere", "C:/VS7/Common7/IDE/"}) {
    fake.registry.Set(RootKey::kLocalMachine, "Software\\Microsoft\\VisualStudio\\7.0",
                      "InstallDir", value);
    EXPECT_FALSE(engine.GetVsNetIdeDir("7.0", true, &dir)) << value;
    EXPECT_FALSE(engine.IsVsNetInstalled("7.0")) << value;
    EXPECT_EQ(host.owner.messages.size(), 2u);
  }
}

TEST_F(EngineTest, DisplayNamesCompleteTheMessages) {
  EXPECT_EQ(IntegrationEngine::GetVsDisplayName(70), ".NET");
  EXPECT_EQ(IntegrationEngine::GetVsDisplayName(71), ".NET 2003");
  EXPECT_EQ(integrate::Format("VS%s", IntegrationEngine::GetVsDisplayName(80)), "VS 2005");
  EXPECT_EQ(IntegrationEngine::GetVsDisplayName(60), "");
}

TEST_F(EngineTest, IsProcessRunningUpperCasesImageNamesAndMatchesSubstrings) {
  IntegrationEngine& engine = Engine();
  fake.processes.names = {"explorer.exe", "C:\\VS\\Common\\MSDev98\\Bin\\msdev.exe"};
  EXPECT_TRUE(engine.IsProcessRunning("MSDEV.EXE"));
  fake.processes.names = {"xmsdev.exe"};
  EXPECT_TRUE(engine.IsProcessRunning("MSDEV.EXE"));
  fake.processes.names = {"msdev.ex", "unknown"};
  EXPECT_FALSE(engine.IsProcessRunning("MSDEV.EXE"));
  // The looked-for name is not upper-cased.
  fake.processes.names = {"MSDEV.EXE"};
  EXPECT_FALSE(engine.IsProcessRunning("msdev.exe"));
}

TEST_F(EngineTest, EnsureIdeClosedPromptsUntilTheIdeIsGoneOrCancelled) {
  IntegrationEngine& engine = Engine();
  EXPECT_TRUE(engine.EnsureIdeClosed("MSDEV.EXE", "close it"));
  EXPECT_TRUE(host.owner.messages.empty());

  fake.processes.names = {"MSDEV.EXE"};
  host.owner.answers = {integrate::kIdOk, integrate::kIdOk, integrate::kIdCancel};
  EXPECT_FALSE(engine.EnsureIdeClosed("MSDEV.EXE", "close it"));
  ASSERT_EQ(host.owner.messages.size(), 3u);
  EXPECT_EQ(host.owner.messages[0].text, "close it");
  EXPECT_EQ(host.owner.messages[0].flags, 0x10001u);
}

TEST_F(EngineTest, EnsureIdeClosedGoesOnOnceTheIdeWasClosed) {
  // The fake list empties itself once the first prompt has been answered.
  class ClosingProcesses : public testing_support::FakeProcesses {
   public:
    std::vector<std::string> RunningImageNames() override {
      return ++enumerations == 1 ? std::vector<std::string>{"msdev.exe"}
                                 : std::vector<std::string>{};
    }
  };
  auto processes = std::make_unique<ClosingProcesses>();
  ClosingProcesses& closing = *processes;
  fake.services.processes = std::move(processes);
  EXPECT_TRUE(Engine().EnsureIdeClosed("MSDEV.EXE", "close it"));
  EXPECT_EQ(host.owner.messages.size(), 1u);
  EXPECT_EQ(closing.enumerations, 2);
}

}  // namespace
}  // namespace integrate_test
