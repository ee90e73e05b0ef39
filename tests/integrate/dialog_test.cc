// The integration dialog on the doubles: what it offers, the skin-wizard tick, runs, pictures.
#include <gtest/gtest.h>

#include "integrate/integration_dialog.h"
#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

using integrate::IntegrationDialog;
using platform::RootKey;

class DialogTest : public ::testing::Test {
 protected:
  // Everything the dialog offers is present: help, every wizard source, every IDE.
  void InstallEverything() {
    fake.files.Put("C:\\Lib\\Help\\TSLHelp.chm", "");
    fake.files.Put("C:\\Lib\\Help\\TSLHelp.chi", "");
    fake.files.Put("C:\\Lib\\TSLAppWizard\\Release\\TSLXAppWizard.awx", "app");
    fake.files.Put(kSkinSource, "skin");
    fake.registry.AddKey(RootKey::kLocalMachine, kVc6Key);
    for (const char* v : {"7.0", "7.1", "8.0"}) {
      fake.registry.Set(RootKey::kLocalMachine,
                        std::string("Software\\Microsoft\\VisualStudio\\") + v, "InstallDir",
                        "C:\\VS\\Common7\\IDE\\");
    }
  }

  IntegrationDialog& Open(const std::string& installDir = "C:\\Lib") {
    dialog = std::make_unique<IntegrationDialog>(installDir, fake.services, owner);
    dialog->OnInitDialog();
    return *dialog;
  }
  bool Checked(int id) { return dialog->Control(id).checked; }
  bool Enabled(int id) { return dialog->Control(id).enabled; }
  bool Visible(int id) { return dialog->Control(id).visible; }

  FakePlatform fake;
  RecordingOwner owner;
  std::unique_ptr<IntegrationDialog> dialog;
};

TEST_F(DialogTest, ConstructionTicksAllEightOptions) {
  IntegrationDialog fresh("C:\\Lib", fake.services, owner);
  for (int value :
       {fresh.integrateHelp, fresh.setupAppWizard, fresh.setupDirectories, fresh.setupSkinWizard,
        fresh.integrateVc6, fresh.integrateNet70, fresh.integrateNet71, fresh.integrateVs2005}) {
    EXPECT_EQ(value, 1);
  }
  EXPECT_FALSE(fresh.Control(integrate::kIdProgressList).visible);
  EXPECT_EQ(fresh.Control(integrate::kIdVc6Option).text,
            "Integrate the library with Visual C++\xAE &6.0");
}

TEST_F(DialogTest, EverythingPresentLeavesEverythingOffered) {
  InstallEverything();
  Open();
  for (int id : {1001, 1003, 1004, 1005, 1006, 1009, 1010, 1011, 1}) {
    EXPECT_TRUE(Enabled(id)) << id;
    if (id != 1) {
      EXPECT_TRUE(Checked(id)) << id;
    }
  }
  EXPECT_TRUE(owner.messages.empty());
}

TEST_F(DialogTest, NothingPresentClearsAndDisablesAllButDirectories) {
  Open();
  for (int id : {1001, 1004, 1005, 1006, 1009, 1010, 1011}) {
    EXPECT_FALSE(Enabled(id)) << id;
    EXPECT_FALSE(Checked(id)) << id;
  }
  EXPECT_TRUE(Enabled(1003));
  EXPECT_TRUE(Checked(1003));
  EXPECT_EQ(dialog->integrateVc6, 0);
  EXPECT_EQ(dialog->setupSkinWizard, 0);
}

TEST_F(DialogTest, OkNeedsAnInstallDirectory) {
  InstallEverything();
  Open("");
  EXPECT_FALSE(Enabled(integrate::kIdOkButton));
  dialog->OnRun();
  EXPECT_TRUE(dialog->Lines().empty());
  EXPECT_TRUE(owner.cursor.empty());
}

TEST_F(DialogTest, OnlyThe2005WizardKeepsTheAppWizardOption) {
  fake.files.AddFolder("C:\\Lib\\TSLAppWizard2005\\TSLAppWizard");
  fake.files.AddFolder("C:\\Lib\\TSLAppWizard2005\\vcprojects");
  Open();
  EXPECT_TRUE(Enabled(1004));
  EXPECT_TRUE(Checked(1004));
}

TEST_F(DialogTest, MissingVc6DisablesTheSkinWizardButKeepsItsTick) {
  fake.files.Put(kSkinSource, "skin");
  Open();
  EXPECT_FALSE(Enabled(1006));
  EXPECT_FALSE(Checked(1006));
  EXPECT_FALSE(Enabled(1005));
  EXPECT_TRUE(Checked(1005));
}

TEST_F(DialogTest, Vc6ClickTogglesTheSkinWizardCheckbox) {
  InstallEverything();
  Open();
  EXPECT_TRUE(dialog->SetChecked(1006, false));
  EXPECT_FALSE(Enabled(1005));
  EXPECT_TRUE(Checked(1005));
  EXPECT_TRUE(dialog->SetChecked(1006, true));
  EXPECT_TRUE(Enabled(1005));

  // Without its source the skin wizard is cleared and stays disabled.
  dialog->SetChecked(1006, false);
  IntegrationDialog& d = *dialog;
  fake.files = MemoryFiles();
  d.SetChecked(1006, true);
  EXPECT_FALSE(Enabled(1005));
  EXPECT_FALSE(Checked(1005));
  // A disabled checkbox cannot be clicked.
  EXPECT_FALSE(d.SetChecked(1005, true));
}

TEST_F(DialogTest, RunNeedsAnIdeAndAnItem) {
  InstallEverything();
  Open();
  for (int id : {1006, 1009, 1010, 1011}) dialog->SetChecked(id, false);
  dialog->OnRun();
  ASSERT_EQ(owner.messages.size(), 1u);
  EXPECT_EQ(owner.messages[0].text, "You need to select at least one item.");
  EXPECT_TRUE(Visible(1003));
  EXPECT_FALSE(Visible(integrate::kIdProgressList));
  EXPECT_EQ(owner.cursor, (std::vector<bool>{true, false}));

  dialog->SetChecked(1006, true);
  for (int id : {1001, 1003, 1004, 1005}) dialog->SetChecked(id, false);
  dialog->OnRun();
  EXPECT_EQ(owner.messages.size(), 2u);
  EXPECT_TRUE(Visible(integrate::kIdOkButton));
  EXPECT_TRUE(dialog->Lines().empty());
}

// Visual C++ 6.0 installed with its lists and template folder; the library has wizards.
class DialogRunTest : public DialogTest {
 protected:
  DialogRunTest() { InstallVc6(fake); }
};

TEST_F(DialogRunTest, SuccessfulRunLeavesTheProgressFace) {
  Open();
  std::vector<std::string> observed;
  dialog->SetLineObserver(
      [&](const integrate::ProgressLine& line) { observed.push_back(line.text); });
  dialog->OnRun();
  std::vector<std::string> texts;
  for (const auto& line : dialog->Lines()) {
    texts.push_back(line.text);
    EXPECT_EQ(line.image, 0);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"Integration with Visual C++ 6.0",
                                             "    Setup directories", "    Copy TSLSkinWizard",
                                             "Integration completed successfully"}));
  EXPECT_EQ(observed, texts);
  EXPECT_EQ(owner.beeps, std::vector<unsigned>{0x40});
  for (int id : {1001, 1003, 1004, 1005, 1006, 1009, 1010, 1011, 1013, 1}) {
    EXPECT_FALSE(Visible(id)) << id;
  }
  EXPECT_FALSE(Enabled(1));
  EXPECT_TRUE(Visible(integrate::kIdProgressList));
  EXPECT_EQ(dialog->Control(2).text, "Close");
  EXPECT_EQ(dialog->FocusedControl(), 2);
  EXPECT_EQ(owner.cursor, (std::vector<bool>{true, false}));

  // There is only one run per dialog.
  dialog->OnRun();
  EXPECT_EQ(dialog->Lines().size(), 4u);
}

TEST_F(DialogRunTest, FailedRunEndsWithTheCross) {
  fake.processes.names = {"msdev.exe"};
  owner.answers = {integrate::kIdCancel};
  Open();
  dialog->OnRun();
  ASSERT_EQ(dialog->Lines().size(), 2u);
  EXPECT_EQ(dialog->Lines()[1].text, "Integration failed");
  EXPECT_EQ(dialog->Lines()[1].image, 1);
  EXPECT_EQ(owner.beeps, std::vector<unsigned>{0x30});
  EXPECT_EQ(dialog->Control(2).text, "Close");
}

TEST_F(DialogRunTest, NetRowsFollowVc6AndAFailureStopsNoOtherRow) {
  for (const char* v : {"7.1", "8.0"}) {
    fake.registry.Set(RootKey::kLocalMachine,
                      std::string("Software\\Microsoft\\VisualStudio\\") + v, "InstallDir",
                      "C:\\VS\\Common7\\IDE\\");
  }
  fake.processes.names = {"msdev.exe"};
  owner.answers = {integrate::kIdCancel};
  Open();
  dialog->OnRun();
  std::vector<std::string> texts;
  for (const auto& line : dialog->Lines()) texts.push_back(line.text);
  EXPECT_EQ(texts, (std::vector<std::string>{
                       "Integration with Visual C++ 6.0", "Integration failed",
                       "Integration with VS.NET 2003", "    Setup VS.NET 2003 directories",
                       "Integration completed successfully", "Integration with VS 2005",
                       "Integration completed successfully"}));
  EXPECT_EQ(owner.beeps, (std::vector<unsigned>{0x30, 0x40, 0x40}));

  // Only a .NET version and only the skin wizard: the run passes the check, and the
  // version, given none of its three items, completes at once.
  dialog = std::make_unique<IntegrationDialog>("C:\\Lib", fake.services, owner);
  dialog->OnInitDialog();
  for (int id : {1006, 1011, 1001, 1003, 1004}) dialog->SetChecked(id, false);
  dialog->OnRun();
  ASSERT_EQ(dialog->Lines().size(), 2u);
  EXPECT_EQ(dialog->Lines()[0].text, "Integration with VS.NET 2003");
  EXPECT_EQ(dialog->Lines()[1].text, "Integration completed successfully");
}

TEST_F(DialogRunTest, ServicePackWarningIsMessage23) {
  fake.versions.files["C:\\windows\\system32\\mfc42d.dll"] = {
      {{0x0409, 0x04b0}}, {{"\\StringFileInfo\\040904b0\\FileVersion", "6.00.8168.0"}}};
  Open();
  dialog->OnRun();
  ASSERT_EQ(owner.messages.size(), 1u);
  EXPECT_EQ(owner.messages[0].text.substr(0, 39), "Tessaline Library requires Microsoft\xAE V");
  EXPECT_EQ(dialog->Lines().back().text, "Integration completed successfully");
}

// The 16-colour banner below 8 bits per pixel; the minimised icon centred, odd spare pixels
// going to the right and bottom.
TEST(DialogPictures, BannerDepthAndMinimisedIconOrigin) {
  for (const auto& [bits, id] : std::vector<std::pair<int, int>>{
           {1, 130}, {4, 130}, {7, 130}, {8, 129}, {16, 129}, {32, 129}}) {
    EXPECT_EQ(integrate::BannerBitmapId(bits), id) << bits;
  }
  const integrate::Point even = integrate::MinimisedIconOrigin(160, 32, 32, 32);
  EXPECT_EQ(even.x, 64);
  EXPECT_EQ(even.y, 0);
  const integrate::Point odd = integrate::MinimisedIconOrigin(161, 35, 32, 32);
  EXPECT_EQ(odd.x, 65);
  EXPECT_EQ(odd.y, 2);
}

}  // namespace
}  // namespace integrate_test
