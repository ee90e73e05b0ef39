// The wizard's registry defaults read from a real Wine prefix, written there by Wine's own
// reg.exe: the independent peer for the prefix's registry as a 32-bit wizard sees it.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/platform.h"
#include "skinwizard/console/console_app.h"
#include "skinwizard/registry_reader.h"
#include "skinwizard/skin_name_page.h"
#include "skinwizard/skin_wizard.h"
#include "skinwizard/step_chooser.h"
#include "tests/skinwizard/skin_wizard_doubles.h"

namespace {

namespace fs = std::filesystem;

// The build's prefix: TSL_TEST_PREFIX, or WINEPREFIX where a runner passed only that.
std::string BasePrefix() {
  const char* prefix = std::getenv("TSL_TEST_PREFIX");
  if (prefix == nullptr) prefix = std::getenv("WINEPREFIX");
  return prefix ? prefix : "";
}

int Shell(const std::string& command) {
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class SkinWizardPrefixTest : public ::testing::Test {
 protected:
  // One copy of the build's prefix for the suite, with the owner, the organisation and the
  // common files folder set in the 32-bit view.
  static void SetUpTestSuite() {
    ASSERT_FALSE(BasePrefix().empty()) << "neither TSL_TEST_PREFIX nor WINEPREFIX is set";
    ASSERT_EQ(Shell(std::string(TSL_SOURCE_DIR) + "/scripts/make-prefix.sh '" + BasePrefix() + "'"),
              0);
    // Beside the original, so the hard links below stay on one file system.
    std::string pattern =
        (fs::path(BasePrefix()).parent_path() / "tsl-skin-prefix-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    copy_ = new fs::path(pattern);
    std::string c = "'" + copy_->string() + "'";
    ASSERT_EQ(
        Shell(std::string(TSL_SOURCE_DIR) + "/scripts/copy-prefix.sh '" + BasePrefix() + "' " + c),
        0);
    std::string wine = "env LANG=C.UTF-8 WINEDEBUG=-all WINEPREFIX=" + c + " ";
    const char* kAdd = "wine reg add 'HKLM\\Software\\Microsoft\\";
    ASSERT_EQ(Shell(wine + kAdd +
                    "Windows\\CurrentVersion' /v CommonFilesDir /t REG_SZ /d 'D:\\Shared Files' /f "
                    "/reg:32 >/dev/null"),
              0);
    ASSERT_EQ(
        Shell(wine + kAdd +
              "Windows NT\\CurrentVersion' /v RegisteredOwner /d 'Ann Lee' /f /reg:32 >/dev/null"),
        0);
    ASSERT_EQ(Shell(wine + kAdd +
                    "Windows NT\\CurrentVersion' /v RegisteredOrganization /d 'Société Ltd' /f "
                    "/reg:32 >/dev/null"),
              0);
    // The server writes the hives when it exits.
    ASSERT_EQ(Shell(wine + "wineserver -w"), 0);
    ready_ = true;
  }
  // A failed suite set-up would only skip the cases; it has to fail them.
  void SetUp() override { ASSERT_TRUE(ready_) << "the prefix copy could not be made"; }

  static void TearDownTestSuite() {
    if (copy_ == nullptr) return;
    std::error_code ignored;
    fs::remove_all(*copy_, ignored);
    delete copy_;
    copy_ = nullptr;
  }

  static platform::Platform Open(const std::string& prefix) {
    platform::Platform services;
    std::string error;
    EXPECT_TRUE(platform::CreatePlatform({prefix}, &services, &error)) << error;
    return services;
  }

  static fs::path* copy_;
  static bool ready_;
};

fs::path* SkinWizardPrefixTest::copy_ = nullptr;
bool SkinWizardPrefixTest::ready_ = false;

TEST_F(SkinWizardPrefixTest, FreshPrefixGivesThe32BitCommonFilesFolder) {
  platform::Platform services = Open(BasePrefix());
  ASSERT_TRUE(services.registry);
  skinwizard::RegistryReader reader(*services.registry);
  ASSERT_TRUE(reader.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion"));
  std::string common;
  ASSERT_TRUE(reader.ReadString("CommonFilesDir", &common));
  EXPECT_EQ(common, "C:\\Program Files (x86)\\Common Files");
}

TEST_F(SkinWizardPrefixTest, WizardDefaultsComeFromTheValuesRegAddWrote) {
  platform::Platform services = Open(copy_->string());
  ASSERT_TRUE(services.registry);
  skinwizard_test::RecordingHost host;
  skinwizard::SkinWizard wizard(host, *services.registry);
  wizard.OnWizardStart();
  EXPECT_EQ(wizard.SkinsDirectory(), "D:\\Shared Files\\Quorvane\\Skins");
  skinwizard::SkinNamePage& page = wizard.Chooser()->NamePage();
  page.OnInitDialog();
  // The Windows key's owner is empty in a Wine prefix, so the NT key's values are taken.
  EXPECT_EQ(page.author, "Ann Lee");
  EXPECT_EQ(page.company, "Soci\xE9t\xE9 Ltd");
  wizard.OnWizardExit();
}

TEST_F(SkinWizardPrefixTest, ConsoleHostUsesThePrefixDefaultsEndToEnd) {
  fs::path folder = *copy_ / "drive_c" / "work";
  fs::create_directories(folder);
  std::istringstream in;
  std::ostringstream out, err;
  int status = skinwizard::RunSkinWizardConsole({"MySkins", "--skin-name", "Aqua", "--location",
                                                 "C:\\work", "--prefix", copy_->string(), "--yes"},
                                                {in, out, err, true});
  ASSERT_EQ(status, 0) << err.str();
  std::string dsp = ReadFile(folder / "MySkins" / "MySkins.dsp");
  std::string option = "/out:\"D:\\Shared Files\\Quorvane\\Skins\\MYSKINS.dll\"";
  std::size_t first = dsp.find(option);
  ASSERT_NE(first, std::string::npos) << dsp;
  EXPECT_NE(dsp.find(option, first + 1), std::string::npos);
  std::time_t now = std::time(nullptr);
  std::string copyright = "Copyright \xA9 " + std::to_string(std::localtime(&now)->tm_year + 1900) +
                          " Ann Lee Soci\xE9t\xE9 Ltd. All rights reserved";
  EXPECT_NE(ReadFile(folder / "MySkins" / "MySkins.rc").find(copyright), std::string::npos);
}

TEST_F(SkinWizardPrefixTest, ProgramExitsTwoForARefusedSkinName) {
  std::string program = std::string(TSL_BINARY_DIR) + "/skinwizard/tslkt-skinwizard";
  fs::path folder = *copy_ / "drive_c" / "refused";
  fs::create_directories(folder);
  EXPECT_EQ(Shell(program + " Refused --skin-name '?!' --yes --location '" + folder.string() +
                  "' --prefix '" + copy_->string() + "' 2>/dev/null </dev/null"),
            2);
  EXPECT_TRUE(fs::is_empty(folder));
}

}  // namespace
