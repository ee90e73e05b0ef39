#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "skinwizard/console/console_app.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs the console host in-process against the build's Wine prefix (ignored by the Windows
// build, which reads its own registry) in a fresh folder.
class SkinWizardConsoleTest : public ::testing::Test {
 protected:
  SkinWizardConsoleTest() {
    folder = fs::temp_directory_path() /
             ("tsl-skin-console-" + std::to_string(std::random_device()()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder);
  }
  ~SkinWizardConsoleTest() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  int Run(std::vector<std::string> args, const std::string& input = "", bool terminal = false) {
    args.insert(args.end(), {"--location", folder.string()});
    if (const char* prefix = std::getenv("TSL_TEST_PREFIX")) {
      args.insert(args.end(), {"--prefix", prefix});
    }
    std::istringstream in(input);
    out.str("");
    err.str("");
    return skinwizard::RunSkinWizardConsole(args, {in, out, err, terminal});
  }

  fs::path folder;
  std::ostringstream out, err;
};

TEST_F(SkinWizardConsoleTest, UsageErrorsExitTwo) {
  EXPECT_EQ(Run({"--yes"}), 2);
  EXPECT_NE(err.str().find("no project name"), std::string::npos);
  EXPECT_EQ(Run({"P", "--look", "vista"}), 2);
  EXPECT_EQ(Run({"P", "--methods", "OnDrawTab,OnPaintEverything"}), 2);
  EXPECT_EQ(Run({"P", "--frobnicate"}), 2);
  EXPECT_EQ(Run({"P", "Q"}), 2);
  EXPECT_EQ(Run({"a\\b", "--skin-name", "Aqua"}), 2);
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(SkinWizardConsoleTest, RefusedSkinNameExitsTwoAndWritesNothing) {
  EXPECT_EQ(Run({"MySkins", "--skin-name", "-- --", "--yes"}), 2);
  EXPECT_NE(err.str().find("The skin name must include at least one alphabetic character"),
            std::string::npos)
      << err.str();
  EXPECT_TRUE(fs::is_empty(folder));
  // On a terminal the name is asked again; the end of the input gives up.
  EXPECT_EQ(Run({"MySkins", "--skin-name", "!!", "--author", "A", "--company", "C", "--email",
                 "", "--url", ""},
                "", true),
            2);
}

TEST_F(SkinWizardConsoleTest, CreatesThenRefusesToOverwriteUnlessForced) {
  std::vector<std::string> args{"MySkins", "--skin-name", "Aqua", "--methods", "OnDrawTab",
                                "--comments", "no"};
  ASSERT_EQ(Run(args), 0) << err.str();
  EXPECT_NE(out.str().find("Skin Name: \"Aqua\""), std::string::npos) << out.str();
  std::string header = ReadFile(folder / "MySkins" / "SkinAqua.h");
  EXPECT_NE(header.find("OnDrawTab"), std::string::npos);
  EXPECT_EQ(header.find("OnDrawBarBorder"), std::string::npos);
  EXPECT_EQ(ReadFile(folder / "MySkins" / "SkinAqua.cpp").find("// TODO"), std::string::npos);
  EXPECT_TRUE(fs::exists(folder / "MySkins" / "MySkins.dsw"));

  EXPECT_EQ(Run(args), 73);
  EXPECT_NE(err.str().find("SkinAqua.cpp"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("--force"), std::string::npos);

  args.push_back("--force");
  EXPECT_EQ(Run(args), 0) << err.str();
}

TEST_F(SkinWizardConsoleTest, TerminalAsksPageByPageThenConfirms) {
  // Skin name, the four author fields (kept), comments 2, look 2, no common directory,
  // Select None then toggle 12, OK, and yes.
  std::string answers = "Aqua\n\n\n\n\n2\n2\nn\nn\n12\n\ny\n";
  ASSERT_EQ(Run({"MySkins"}, answers, true), 0) << err.str() << out.str();
  std::string shown = out.str();
  EXPECT_NE(shown.find("Skin Name ["), std::string::npos);
  EXPECT_NE(shown.find("[x]  1 OnFillBarBackground"), std::string::npos) << shown;
  EXPECT_NE(shown.find("[ ] 12 OnDrawTab"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Based on CTSLVisualManagerXP"), std::string::npos);
  EXPECT_NE(shown.find("Write skin DLL localy"), std::string::npos) << shown;
  EXPECT_NE(shown.find("Create the project? [Y/n]"), std::string::npos);
  std::string header = ReadFile(folder / "MySkins" / "SkinAqua.h");
  EXPECT_NE(header.find("CTSLVisualManagerXP"), std::string::npos);
  EXPECT_NE(header.find("OnDrawTab"), std::string::npos);
  EXPECT_EQ(header.find("OnFillBarBackground"), std::string::npos);
  EXPECT_EQ(ReadFile(folder / "MySkins" / "MySkins.dsp").find("/out:"), std::string::npos);
}

TEST_F(SkinWizardConsoleTest, DecliningTheConfirmationWritesNothing) {
  EXPECT_EQ(Run({"MySkins", "--skin-name", "Aqua", "--author", "A", "--company", "C", "--email",
                 "", "--url", "", "--comments", "yes", "--look", "xp", "--common-dir", "no",
                 "--methods", "all"},
                "n\n", true),
            1);
  EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(SkinWizardConsoleTest, HelpNamesEveryOptionAndExitStatus) {
  EXPECT_EQ(Run({"--help"}), 0);
  for (const char* flag : {"--location", "--skin-name", "--author", "--company", "--email", "--url",
                           "--comments", "--look", "--methods", "--common-dir", "--prefix",
                           "--force", "--yes", "OnHighlightRarelyUsedMenuItems", "73"}) {
    EXPECT_NE(out.str().find(flag), std::string::npos) << flag;
  }
}

}  // namespace
