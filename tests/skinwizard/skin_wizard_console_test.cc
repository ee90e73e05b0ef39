// tslkt-skinwizard run in process: exit statuses, the pages asked, answers files, dry run, help.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
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
    // First, so a test may name another location after it.
    args.insert(args.begin(), {"--location", folder.string()});
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
  EXPECT_EQ(Run({"MySkins", "--skin-name", "!!", "--author", "A", "--company", "C", "--email", "",
                 "--url", ""},
                "", true),
            2);
}

TEST_F(SkinWizardConsoleTest, CreatesThenRefusesToOverwriteUnlessForced) {
  std::vector<std::string> args{"MySkins",   "--skin-name", "Aqua", "--methods",
                                "OnDrawTab", "--comments",  "no"};
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
  EXPECT_EQ(Run({"MySkins", "--skin-name", "Aqua", "--author", "A", "--company", "C", "--email", "",
                 "--url", "", "--comments", "yes", "--look", "xp", "--common-dir", "no",
                 "--methods", "all"},
                "n\n", true),
            1);
  EXPECT_TRUE(fs::is_empty(folder));
}

// Every file under a folder with its bytes, by path relative to it.
std::map<std::string, std::string> Tree(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) files[fs::relative(entry.path(), root).string()] = ReadFile(entry);
  }
  return files;
}

TEST_F(SkinWizardConsoleTest, SavedAnswersReplayTheSameProjectAndFlagsWin) {
  const std::string answers = (folder / "answers.txt").string();
  ASSERT_EQ(
      Run({"MySkins", "--save-answers", answers}, "Aqua\nAnn\n\n\n\n2\n2\nn\nn\n3,12\n\ny\n", true),
      0)
      << err.str();
  const std::string saved = ReadFile(answers);
  EXPECT_NE(saved.find("skin-name=Aqua\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("look=xp\n"), std::string::npos) << saved;
  EXPECT_NE(saved.find("methods=OnDrawMenuBorder,OnDrawTab\n"), std::string::npos) << saved;

  const fs::path replay = folder / "replay";
  fs::create_directories(replay);
  ASSERT_EQ(Run({"MySkins", "--answers", answers, "--location", replay.string()}), 0) << err.str();
  const auto first = Tree(folder / "MySkins"), second = Tree(replay / "MySkins");
  EXPECT_EQ(first.size(), second.size());
  EXPECT_TRUE(first == second);

  const fs::path flagged = folder / "flagged";
  fs::create_directories(flagged);
  ASSERT_EQ(
      Run({"MySkins", "--answers", answers, "--look", "2000", "--location", flagged.string()}), 0)
      << err.str();
  const std::string header = ReadFile(flagged / "MySkins" / "SkinAqua.h");
  EXPECT_EQ(header.find("CTSLVisualManagerXP"), std::string::npos);
  EXPECT_NE(header.find("OnDrawTab"), std::string::npos);
}

TEST_F(SkinWizardConsoleTest, AnswersFileErrorsNameTheLineAndWriteNothing) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"skin-name=Aqua\n# fine\ncolour=blue\n", "answers.txt:3: unknown key 'colour'"},
      {"skin-name=Aqua\ncomments=maybe\n", "answers.txt:2: invalid value 'maybe' for --comments"},
      {"\nlook\n", "answers.txt:2: expected key=value, found 'look'"},
      // A BOM and CR LF or CR-only line ends are taken as line ends, never as part of a line.
      {"\xEF\xBB\xBFskin-name=Aqua\r\nlook\r\n", "answers.txt:2: expected key=value, found 'look'"},
      {"skin-name=Aqua\rcolour=blue\r", "answers.txt:2: unknown key 'colour'"},
      // A bad line is quoted by its first 60 characters, control bytes escaped.
      {"\x1B[2J0123456789012345678901234567890123456789012345678901234567890123456789\n",
       "found '\\x1B[2J01234567890123456789012345678901234567890123456789012345'...\n"},
      {"company=\xCE\xA9 Corp\n",
       "answers.txt:1: '\xCE\xA9 Corp' holds '\xCE\xA9', which Windows-1252"},
  };
  const fs::path file = folder / "answers.txt";
  for (const auto& c : cases) {
    std::ofstream(file, std::ios::binary) << c.text;
    EXPECT_EQ(Run({"MySkins", "--answers", file.string(), "--yes"}), 2);
    EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
  }
  fs::remove(file);
  EXPECT_EQ(Run({"MySkins", "--answers", file.string()}), 2);
  EXPECT_NE(err.str().find("cannot read the answers file"), std::string::npos) << err.str();
  EXPECT_TRUE(fs::is_empty(folder));
}

// Typed texts come back exactly: a line break cannot smuggle in an answer of its own.
TEST_F(SkinWizardConsoleTest, SavedTextsReplayExactly) {
  const std::string answers = (folder / "answers.txt").string();
  ASSERT_EQ(Run({"MySkins", "--skin-name", "Aqua", "--author", "Ann\nskin-name=Evil", "--company",
                 "C:\\new\\n\r\\", "--save-answers", answers, "--yes"}),
            0)
      << err.str();
  const fs::path replay = folder / "replay";
  fs::create_directories(replay);
  ASSERT_EQ(Run({"MySkins", "--answers", answers, "--location", replay.string()}), 0) << err.str();
  EXPECT_TRUE(Tree(folder / "MySkins") == Tree(replay / "MySkins"));
  EXPECT_TRUE(fs::exists(replay / "MySkins" / "SkinAqua.h"));
}

TEST_F(SkinWizardConsoleTest, DryRunShowsTheRunAndListsEveryFileItWouldWrite) {
  ASSERT_EQ(Run({"MySkins", "--skin-name", "Aqua", "--dry-run"}), 0) << err.str();
  EXPECT_TRUE(fs::is_empty(folder));
  const std::string shown = out.str();
  EXPECT_NE(shown.find("Skin Name: \"Aqua\""), std::string::npos) << shown;
  const std::size_t list = shown.find("Changes it would make (nothing was written):\n");
  ASSERT_NE(list, std::string::npos) << shown;
  for (const char* name :
       {"SkinAqua.h: new file, ", "MySkins.dsp: new file, ", "MySkins.dsw: new file, "}) {
    EXPECT_NE(shown.find(name, list), std::string::npos) << name;
  }
  // Over an earlier project (--force) the list shows what changes in each file.
  ASSERT_EQ(Run({"MySkins", "--skin-name", "Aqua"}), 0) << err.str();
  const auto before = Tree(folder);
  ASSERT_EQ(Run({"MySkins", "--skin-name", "Aqua", "--comments", "no", "--force", "--dry-run"}), 0)
      << err.str();
  EXPECT_TRUE(Tree(folder) == before);
  EXPECT_NE(out.str().find("-\t// TODO"), std::string::npos) << out.str();
}

TEST_F(SkinWizardConsoleTest, HelpNamesEveryOptionAndExitStatus) {
  EXPECT_EQ(Run({"--help"}), 0);
  for (const char* flag :
       {"--location", "--skin-name", "--author", "--company", "--email", "--url", "--comments",
        "--look", "--methods", "--common-dir", "--prefix", "--force", "--yes", "--dry-run",
        "--answers", "--save-answers", "OnHighlightRarelyUsedMenuItems", "73"}) {
    EXPECT_NE(out.str().find(flag), std::string::npos) << flag;
  }
}

}  // namespace
