// The skin wizard on the doubles: its start, steps, both pages, the Advanced dialog, the project.
#include "skinwizard/skin_wizard.h"

#include <gtest/gtest.h>

#include <ctime>

#include "skinwizard/advanced_methods_dialog.h"
#include "skinwizard/registry_reader.h"
#include "skinwizard/skin_name_page.h"
#include "skinwizard/skin_options_page.h"
#include "skinwizard/step_chooser.h"
#include "skinwizard/typed_text.h"
#include "tests/skinwizard/skin_wizard_doubles.h"
#include "tests/support/fake_registry.h"

namespace {

using platform::RootKey;
using skinwizard::AdvancedMethodsDialog;
using skinwizard::ModalDialog;
using skinwizard::RegistryReader;
using skinwizard::SkinNamePage;
using skinwizard::SkinOptionsPage;
using skinwizard::SkinWizard;
using skinwizard_test::FakeConfiguration;
using skinwizard_test::FakeProject;
using skinwizard_test::RecordingHost;
using skinwizard_test::RecordingView;
using testing_support::FakeRegistry;

const char kWindows[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char kWindowsNt[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";
const char kCommon[] = "C:\\Program Files\\Common Files";

int ThisYear() {
  std::time_t now = std::time(nullptr);
  return std::localtime(&now)->tm_year + 1900;
}

class SkinWizardTest : public ::testing::Test {
 protected:
  SkinWizardTest() : wizard(host, registry) {
    registry.Set(RootKey::kLocalMachine, kWindows, "CommonFilesDir", kCommon);
  }

  // Starts a run and shows both pages in windows of their own, as a host would.
  void Start() {
    wizard.OnWizardStart();
    NamePage().AttachView(&nameView);
    OptionsPage().AttachView(&optionsView);
  }
  SkinNamePage& NamePage() { return wizard.Chooser()->NamePage(); }
  SkinOptionsPage& OptionsPage() { return wizard.Chooser()->OptionsPage(); }
  std::string Symbol(const std::string& key) { return wizard.dictionary.Value(key); }
  // Records every key written or removed, in order ("-KEY" for a removal).
  void Journal() {
    journal.clear();
    wizard.dictionary.SetObserver([this](const std::string& key, const std::string* value) {
      journal.push_back(value ? key : "-" + key);
    });
  }

  FakeRegistry registry;
  RecordingHost host;
  SkinWizard wizard;
  RecordingView nameView, optionsView;
  std::vector<std::string> journal;
};

TEST_F(SkinWizardTest, OnWizardStartDeclaresTwoStepsAndKeepsTheDictionary) {
  wizard.dictionary.Set("root", "MySkins");
  Start();
  EXPECT_EQ(host.calls, std::vector<std::string>{"steps 2"});
  EXPECT_EQ(Symbol("HELP"), "0");
  EXPECT_EQ(Symbol("PROJTYPE_DLL"), "1");
  EXPECT_EQ(Symbol("root"), "MySkins");
  ASSERT_EQ(wizard.Methods().size(), 12u);
  EXPECT_EQ(wizard.Methods()[0]->name, "OnFillBarBackground");
  EXPECT_EQ(wizard.Methods()[9]->description,
            "Called by the framework by highligh a rarely used menu area");
  EXPECT_EQ(wizard.Methods()[11]->name, "OnDrawTab");
  for (const auto& method : wizard.Methods()) EXPECT_EQ(method->selected, 1) << method->name;
}

TEST_F(SkinWizardTest, SkinsDirectoryFollowsCommonFilesDir) {
  Start();
  EXPECT_EQ(wizard.SkinsDirectory(), "C:\\Program Files\\Common Files\\Quorvane\\Skins");
  EXPECT_EQ(wizard.WriteToSkinsDirectory(), 1);

  // A trailing backslash is not doubled.
  wizard.OnWizardExit();
  registry.Set(RootKey::kLocalMachine, kWindows, "CommonFilesDir", "D:\\Common\\");
  Start();
  EXPECT_EQ(wizard.SkinsDirectory(), "D:\\Common\\Quorvane\\Skins");

  // An empty value empties the directory and clears the flag.
  wizard.OnWizardExit();
  registry.Set(RootKey::kLocalMachine, kWindows, "CommonFilesDir", "");
  Start();
  EXPECT_EQ(wizard.SkinsDirectory(), "");
  EXPECT_EQ(wizard.WriteToSkinsDirectory(), 0);
}

TEST_F(SkinWizardTest, SkinsDirectoryStaysEmptyWithoutTheValueAndKeepsAnEarlierRunsOtherwise) {
  FakeRegistry bare;
  SkinWizard fresh(host, bare);
  fresh.OnWizardStart();
  EXPECT_EQ(fresh.SkinsDirectory(), "");
  EXPECT_EQ(fresh.WriteToSkinsDirectory(), 0);

  Start();
  wizard.OnWizardExit();
  registry.FailCallsStartingWith("read HKLM\\" + std::string(kWindows) + "|CommonFilesDir");
  Start();
  EXPECT_EQ(wizard.SkinsDirectory(), "C:\\Program Files\\Common Files\\Quorvane\\Skins");
}

TEST_F(SkinWizardTest, StepsWalkWithinTheTwoPages) {
  Start();
  EXPECT_EQ(wizard.NextStep(nullptr), &NamePage());
  EXPECT_EQ(wizard.NextStep(&NamePage()), &OptionsPage());
  EXPECT_EQ(wizard.NextStep(&OptionsPage()), nullptr);  // beyond the steps: stays on 2
  EXPECT_EQ(wizard.Chooser()->CurrentStep(), 2);
  EXPECT_EQ(wizard.PreviousStep(&OptionsPage()), &NamePage());
  EXPECT_EQ(wizard.PreviousStep(&NamePage()), nullptr);  // the host's own first step
  EXPECT_EQ(wizard.PreviousStep(nullptr), nullptr);
  EXPECT_EQ(wizard.Chooser()->CurrentStep(), 0);
  EXPECT_EQ(wizard.NextStep(nullptr), &NamePage());
}

TEST_F(SkinWizardTest, EveryRunStartsWithTwelveFreshSelectedRecords) {
  Start();
  for (auto& method : wizard.Methods()) method->selected = 0;
  wizard.OnWizardExit();
  EXPECT_EQ(wizard.Chooser(), nullptr);
  EXPECT_TRUE(wizard.Methods().empty());
  EXPECT_EQ(Symbol("HELP"), "0");  // the dictionary outlives the run
  Start();
  ASSERT_EQ(wizard.Methods().size(), 12u);
  for (const auto& method : wizard.Methods()) EXPECT_EQ(method->selected, 1);
}

TEST(RegistryReader, OpensBelowTheCurrentKeyAndKeepsItOnFailure) {
  FakeRegistry registry;
  registry.Set(RootKey::kLocalMachine, "Software\\A\\B", "V", "value");
  RegistryReader reader(registry);
  EXPECT_TRUE(reader.OpenKey("Software\\A\\"));
  EXPECT_EQ(reader.LastPath(), "Software\\A");
  EXPECT_FALSE(reader.OpenKey("Missing"));
  EXPECT_TRUE(reader.OpenKey("B"));
  std::string out;
  EXPECT_TRUE(reader.ReadString("V", &out));
  EXPECT_EQ(out, "value");
  EXPECT_EQ(registry.calls.back(), "read HKLM\\Software\\A\\B|V");
  EXPECT_EQ(registry.CountCalls("read "), 2);  // the size, then the data
}

TEST(RegistryReader, EmptyValueReadsTrueAndMissingValueFalse) {
  FakeRegistry registry;
  registry.Set(RootKey::kLocalMachine, "K", "Empty", "");
  RegistryReader reader(registry);
  std::string out = "stale";
  EXPECT_FALSE(reader.ReadString("Empty", &out));  // no key opened yet
  EXPECT_EQ(out, "");
  ASSERT_TRUE(reader.OpenKey("K"));
  out = "stale";
  EXPECT_TRUE(reader.ReadString("Empty", &out));
  EXPECT_EQ(out, "");
  out = "stale";
  EXPECT_FALSE(reader.ReadString("Missing", &out));
  EXPECT_EQ(out, "");
  EXPECT_FALSE(reader.LastStatus());
}

TEST_F(SkinWizardTest, NamePageTakesOwnerFromTheWindowsKeyFirst) {
  registry.Set(RootKey::kLocalMachine, kWindows, "RegisteredOwner", "Ann Lee");
  registry.Set(RootKey::kLocalMachine, kWindows, "RegisteredOrganization", "Acme");
  registry.Set(RootKey::kLocalMachine, kWindowsNt, "RegisteredOwner", "NT Owner");
  Start();
  NamePage().skinName = "Glass";
  NamePage().author = "typed";
  ASSERT_TRUE(NamePage().OnInitDialog());
  EXPECT_EQ(NamePage().author, "Ann Lee");
  EXPECT_EQ(NamePage().company, "Acme");
  EXPECT_EQ(NamePage().skinName, "Glass");
  EXPECT_EQ(registry.CountCalls("open HKLM\\Software\\Microsoft\\Windows NT"), 0);
  EXPECT_GT(nameView.toControls, 0);
}

TEST_F(SkinWizardTest, NamePageFallsBackToTheNtKeyForBothValues) {
  registry.Set(RootKey::kLocalMachine, kWindows, "RegisteredOrganization", "9x Org");
  registry.Set(RootKey::kLocalMachine, kWindowsNt, "RegisteredOwner", "NT Owner");
  Start();
  NamePage().OnInitDialog();
  EXPECT_EQ(NamePage().author, "NT Owner");
  EXPECT_EQ(NamePage().company, "");  // the NT key's missing value empties it

  // Without the first key the NT key is not asked at all.
  FakeRegistry ntOnly;
  ntOnly.Set(RootKey::kLocalMachine, kWindowsNt, "RegisteredOwner", "NT Owner");
  SkinWizard other(host, ntOnly);
  other.OnWizardStart();
  other.Chooser()->NamePage().OnInitDialog();
  EXPECT_EQ(other.Chooser()->NamePage().author, "");
  EXPECT_EQ(ntOnly.CountCalls("open HKLM\\Software\\Microsoft\\Windows NT"), 0);
}

TEST_F(SkinWizardTest, NameCommitWritesTheStepOneKeysInOrder) {
  Start();
  SkinNamePage& page = NamePage();
  page.skinName = "My Blue-Green 2";
  page.author = "Ann";
  page.company = "Acme";
  page.email = " \tann@acme.example \r\n";
  page.url = "  http://acme.example/  ";
  Journal();
  ASSERT_TRUE(page.CommitPage());
  EXPECT_EQ(journal, (std::vector<std::string>{"SKIN_NAME", "skin_file", "SKIN_CLASS",
                                               "SKIN_NAME_UPPER", "COPYRIGHT", "AUTHOR", "COMPANY",
                                               "AUTHOR_MAIL", "AUTHOR_URL"}));
  EXPECT_EQ(Symbol("SKIN_NAME"), "My Blue-Green 2");
  EXPECT_EQ(Symbol("skin_file"), "SkinMyBlueGreen2");
  EXPECT_EQ(Symbol("SKIN_CLASS"), "CSkinMyBlueGreen2");
  EXPECT_EQ(Symbol("SKIN_NAME_UPPER"), "SKINMYBLUEGREEN2");
  EXPECT_EQ(Symbol("COPYRIGHT"),
            "Copyright \xA9 " + std::to_string(ThisYear()) + " Ann Acme. All rights reserved");
  EXPECT_EQ(Symbol("AUTHOR_MAIL"), "ann@acme.example");
  EXPECT_EQ(Symbol("AUTHOR_URL"), "http://acme.example/");
  EXPECT_EQ(page.email, "ann@acme.example");  // trimmed in place
  EXPECT_EQ(page.url, "http://acme.example/");
}

TEST_F(SkinWizardTest, NameCommitKeepsBlanksDigitsAndOnlyAsciiLetters) {
  Start();
  NamePage().skinName = "  Glass  ";
  ASSERT_TRUE(NamePage().CommitPage());
  EXPECT_EQ(Symbol("SKIN_NAME"), "  Glass  ");
  EXPECT_EQ(Symbol("skin_file"), "SkinGlass");

  NamePage().skinName = "123";
  ASSERT_TRUE(NamePage().CommitPage());
  EXPECT_EQ(Symbol("SKIN_CLASS"), "CSkin123");
  EXPECT_EQ(Symbol("SKIN_NAME_UPPER"), "SKIN123");

  NamePage().skinName = "Caf\xE9 \xC9t\xE9";  // accented letters are not identifier letters
  ASSERT_TRUE(NamePage().CommitPage());
  EXPECT_EQ(Symbol("skin_file"), "SkinCaft");
  EXPECT_EQ(Symbol("SKIN_NAME"), "Caf\xE9 \xC9t\xE9");
}

TEST_F(SkinWizardTest, NameCommitRefusesANameWithoutLettersOrDigits) {
  Start();
  NamePage().skinName = "-- --";
  Journal();
  EXPECT_FALSE(NamePage().CommitPage());
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(nameView.messages, std::vector<std::string>{
                                   "The skin name must include at least one alphabetic character"});
  EXPECT_EQ(nameView.focused, std::vector<int>{SkinNamePage::kSkinNameEdit});

  // A failed transfer keeps the page without a message.
  NamePage().skinName = "Good";
  nameView.transferSucceeds = false;
  EXPECT_FALSE(NamePage().CommitPage());
  EXPECT_TRUE(journal.empty());
  EXPECT_EQ(nameView.messages.size(), 1u);
}

TEST_F(SkinWizardTest, CopyrightLeavesTheBlanksOfEmptyParts) {
  Start();
  NamePage().skinName = "X";
  NamePage().company = "Acme";
  ASSERT_TRUE(NamePage().CommitPage());
  EXPECT_EQ(Symbol("COPYRIGHT"),
            "Copyright \xA9 " + std::to_string(ThisYear()) + "  Acme. All rights reserved");
  EXPECT_EQ(skinwizard::CopyrightLine(2003, "", ""), "Copyright \xA9 2003  . All rights reserved");
}

TEST_F(SkinWizardTest, OptionsPageShowsTheSkinsDirectoryOrTheError) {
  Start();
  ASSERT_TRUE(OptionsPage().OnInitDialog());
  EXPECT_EQ(OptionsPage().skinsLine, "(C:\\Program Files\\Common Files\\Quorvane\\Skins)");
  EXPECT_TRUE(OptionsPage().writeCheckEnabled);

  FakeRegistry bare;
  SkinWizard fresh(host, bare);
  fresh.OnWizardStart();
  SkinOptionsPage& page = fresh.Chooser()->OptionsPage();
  page.OnInitDialog();
  EXPECT_EQ(page.skinsLine, "Error. Unable to initialize skins directory");
  EXPECT_FALSE(page.writeCheckEnabled);
  EXPECT_EQ(page.writeToSkinsDirectory, 1);  // disabled, not cleared
  ASSERT_TRUE(page.CommitPage());
  EXPECT_EQ(fresh.dictionary.Value("SKIN_OUTPUT"), "Write skin DLL to common (shared) directory");
}

TEST_F(SkinWizardTest, OptionsCommitWritesTheStepTwoKeysInOrder) {
  Start();
  wizard.Methods()[1]->selected = 0;
  Journal();
  ASSERT_TRUE(OptionsPage().CommitPage());
  std::vector<std::string> expected{"VERBOSE", "SKIN_BASE_CLASS"};
  for (const auto& method : wizard.Methods()) {
    expected.push_back(method->selected ? method->name : "-" + method->name);
  }
  expected.push_back("SKIN_OUTPUT");
  EXPECT_EQ(journal, expected);
  EXPECT_EQ(Symbol("VERBOSE"), "1");
  EXPECT_EQ(Symbol("SKIN_BASE_CLASS"), "CTSLVisualManager");
  EXPECT_EQ(Symbol("OnFillBarBackground"), "1");
  EXPECT_FALSE(wizard.dictionary.Has("OnDrawBarBorder"));
  EXPECT_EQ(Symbol("SKIN_OUTPUT"), "Write skin DLL to common (shared) directory");

  // A second commit with the other answers removes VERBOSE again.
  OptionsPage().comments = 1;
  OptionsPage().baseLook = 1;
  OptionsPage().writeToSkinsDirectory = 0;
  ASSERT_TRUE(OptionsPage().CommitPage());
  EXPECT_FALSE(wizard.dictionary.Has("VERBOSE"));
  EXPECT_EQ(Symbol("SKIN_BASE_CLASS"), "CTSLVisualManagerXP");
  EXPECT_EQ(Symbol("SKIN_OUTPUT"), "Write skin DLL localy");
  EXPECT_EQ(wizard.WriteToSkinsDirectory(), 0);
}

TEST_F(SkinWizardTest, AdvancedDialogListsTheRecordsAndDescribesTheSelection) {
  Start();
  wizard.Methods()[2]->selected = 0;
  AdvancedMethodsDialog dialog(wizard.Methods());
  ASSERT_TRUE(dialog.OnInitDialog());
  ASSERT_EQ(dialog.Items().size(), 12u);
  EXPECT_EQ(dialog.Items()[0].text, "OnFillBarBackground");
  EXPECT_EQ(dialog.Items()[0].method, wizard.Methods()[0].get());
  EXPECT_TRUE(dialog.Items()[0].checked);
  EXPECT_FALSE(dialog.Items()[2].checked);
  EXPECT_EQ(dialog.Selection(), -1);
  EXPECT_EQ(dialog.description, "");

  dialog.OnDoubleClick();  // nothing selected: nothing toggles
  EXPECT_TRUE(dialog.Items()[0].checked);
  dialog.OnSelectionChange(11);
  EXPECT_EQ(dialog.description, "Called by the framework when a tab should be redrawn");
  dialog.OnDoubleClick();
  EXPECT_FALSE(dialog.Items()[11].checked);
  dialog.OnDoubleClick();
  EXPECT_TRUE(dialog.Items()[11].checked);
  dialog.OnSelectionChange(-1);
  EXPECT_EQ(dialog.description, "");
  EXPECT_EQ(wizard.Methods()[2]->selected, 0);  // nothing kept before OK
}

TEST_F(SkinWizardTest, AdvancedCancelKeepsTheRecordsAndOkTakesTheChecks) {
  Start();
  optionsView.script = [](ModalDialog& dialog) {
    static_cast<AdvancedMethodsDialog&>(dialog).OnSelectNone();
    return ModalDialog::kCancel;
  };
  OptionsPage().OnAdvanced();
  for (const auto& method : wizard.Methods()) EXPECT_EQ(method->selected, 1);

  optionsView.script = [](ModalDialog& dialog) {
    auto& advanced = static_cast<AdvancedMethodsDialog&>(dialog);
    advanced.OnSelectNone();
    advanced.ToggleCheck(4);
    return ModalDialog::kOk;
  };
  OptionsPage().OnAdvanced();
  for (std::size_t i = 0; i < wizard.Methods().size(); ++i) {
    EXPECT_EQ(wizard.Methods()[i]->selected, i == 4 ? 1 : 0) << i;
  }

  optionsView.script = [](ModalDialog& dialog) {
    static_cast<AdvancedMethodsDialog&>(dialog).OnSelectAll();
    return ModalDialog::kOk;
  };
  OptionsPage().OnAdvanced();
  ASSERT_TRUE(OptionsPage().CommitPage());
  for (const auto& method : wizard.Methods()) EXPECT_EQ(Symbol(method->name), "1");
}

TEST_F(SkinWizardTest, ConfigureProjectAddsOneQuotedOutputToEveryConfiguration) {
  Start();
  wizard.dictionary.Set("ROOT", "MYSKINS");
  FakeConfiguration release("Win32 Release"), debug("Win32 Debug");
  release.fails = true;  // a refusal neither stops the loop nor is reported
  FakeProject project;
  project.items = {&release, nullptr, &debug};
  wizard.ConfigureProject(project);
  std::string option =
      "link.exe|/out:\"C:\\Program Files\\Common Files\\Quorvane\\Skins\\MYSKINS.dll\"";
  EXPECT_EQ(release.added, std::vector<std::string>{option});
  EXPECT_EQ(debug.added, std::vector<std::string>{option});
}

TEST_F(SkinWizardTest, ConfigureProjectLeavesTheProjectAloneWhenNotWanted) {
  Start();
  FakeConfiguration release("Win32 Release");
  FakeProject project;
  project.items = {&release};
  wizard.SetWriteToSkinsDirectory(0);
  wizard.ConfigureProject(project);
  EXPECT_EQ(project.asked, 0);

  FakeRegistry bare;
  SkinWizard fresh(host, bare);
  fresh.OnWizardStart();
  fresh.SetWriteToSkinsDirectory(1);  // the disabled box kept its state
  fresh.ConfigureProject(project);
  EXPECT_EQ(project.asked, 0);
  EXPECT_TRUE(release.added.empty());
}

// Message boxes grow as wide as their longest unbroken word: long runs are broken, after a
// path separator where one is near; words and the characters of either encoding are not.
TEST(TypedText, BreakLongWordsBreaksOnlyRunsLongerThanTheWidth) {
  const struct {
    std::string text, broken;
  } cases[] = {
      {"four word runs stay", "four word runs stay"},
      {"abcdef", "abcd\nef"},
      {"abcd abcdefghi", "abcd abcd\nefgh\ni"},
      {"ab\ncdefg", "ab\ncdef\ng"},
      {"a\\bcdef", "a\\\nbcde\nf"},  // after the path's separator first
      {"\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\n\xC3\xA9"},
      {"\xE9\xE9\xE9\xE9\xE9", "\xE9\xE9\xE9\xE9\n\xE9"},  // ANSI letters
  };
  for (const auto& c : cases) EXPECT_EQ(skinwizard::BreakLongWords(c.text, 4), c.broken) << c.text;
}

}  // namespace
