// Our project wizard host: the order of its calls, its symbols, and the skin wizard run in it.
#include "skinwizard/host/project_wizard_host.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skinwizard/skin_name_page.h"
#include "skinwizard/skin_options_page.h"
#include "skinwizard/skin_wizard.h"
#include "skinwizard/step_chooser.h"
#include "tests/skinwizard/skin_wizard_doubles.h"
#include "tests/support/fake_registry.h"
#include "tests/support/temp_drive.h"

namespace {

using skinwizard::CustomWizard;
using skinwizard::PageView;
using skinwizard::ProjectWizardHost;
using skinwizard::WizardFrame;
using skinwizard::WizardPage;
using skinwizard_test::RecordingView;

// Everything the host does to a wizard and its pages, in order, in one log.
using Log = std::vector<std::string>;

class LoggingPage : public WizardPage {
 public:
  LoggingPage(int id, Log* log) : WizardPage(id), log_(log) {}
  bool refuse = false;
  bool OnInitDialog() override {
    log_->push_back("init " + std::to_string(TemplateId()));
    return true;
  }
  bool CommitPage() override {
    log_->push_back("commit " + std::to_string(TemplateId()));
    return !refuse;
  }

 private:
  Log* log_;
};

// A wizard with two pages that logs the host's calls; its step index is its own, as the
// skin wizard's chooser keeps one.
class LoggingWizard : public CustomWizard {
 public:
  explicit LoggingWizard(Log* log) : log_(log), first_(1, log), second_(2, log) {}
  WizardPage* NextStep(WizardPage*) override {
    log_->push_back("next");
    return Page(++step_);
  }
  WizardPage* PreviousStep(WizardPage*) override {
    log_->push_back("previous");
    return Page(--step_);
  }
  void OnWizardStart() override {
    log_->push_back("start");
    step_ = 0;
  }
  void OnWizardExit() override { log_->push_back("exit"); }
  LoggingPage& First() { return first_; }
  LoggingPage& Second() { return second_; }
  int Step() const { return step_; }

 private:
  WizardPage* Page(int step) { return step == 1 ? &first_ : step == 2 ? &second_ : nullptr; }
  Log* log_;
  LoggingPage first_, second_;
  int step_ = 0;
};

class RecordingFrame : public WizardFrame {
 public:
  explicit RecordingFrame(Log* log) : log_(log) {}
  std::vector<RecordingView*> views;
  std::unique_ptr<PageView> CreatePageView(WizardPage& page) override {
    log_->push_back("window " + std::to_string(page.TemplateId()));
    auto view = std::make_unique<RecordingView>();
    views.push_back(view.get());
    return view;
  }

 private:
  Log* log_;
};

class HostCallOrderTest : public ::testing::Test {
 protected:
  HostCallOrderTest() : wizard(&log), frame(&log), host(frame, *drive.Services().files) {
    host.RegisterWizard(&wizard);
    host.SetNumberOfSteps(2);
  }
  Log log;
  LoggingWizard wizard;
  testing_support::TempDrive drive;
  RecordingFrame frame;
  ProjectWizardHost host;
};

TEST_F(HostCallOrderTest, NextCommitsThenAsksAndBackDoesNotCommit) {
  host.StartRun("My Skins!", "C:\\Work");
  EXPECT_EQ(wizard.dictionary.Value("root"), "My Skins!");
  EXPECT_EQ(wizard.dictionary.Value("ROOT"), "MY SKINS!");
  EXPECT_EQ(wizard.dictionary.Value("Safe_root"), "MySkins");
  ASSERT_TRUE(host.Next());
  ASSERT_TRUE(host.Next());
  EXPECT_FALSE(host.Next());  // the last step
  ASSERT_TRUE(host.Back());
  ASSERT_TRUE(host.Next());
  EXPECT_EQ(log, (Log{"start", "next", "window 1", "init 1", "commit 1", "next", "window 2",
                      "init 2", "commit 2", "previous", "commit 1", "next"}));
  EXPECT_EQ(host.CurrentStep(), 2);
}

// A window host names the project on its own first step, which the user may revisit.
TEST_F(HostCallOrderTest, SetProjectRenamesWithinTheRunWithoutStartingAgain) {
  host.StartRun("", "C:\\Work");
  host.SetProject("Glass 2", "D:\\Out");
  EXPECT_EQ(wizard.dictionary.Value("root"), "Glass 2");
  EXPECT_EQ(wizard.dictionary.Value("ROOT"), "GLASS 2");
  EXPECT_EQ(wizard.dictionary.Value("Safe_root"), "Glass2");
  EXPECT_EQ(log, (Log{"start"}));
  EXPECT_EQ(host.CurrentStep(), 0);
}

TEST_F(HostCallOrderTest, FinishFromTheFirstPageCommitsEveryPageInOrder) {
  host.StartRun("P", "C:\\Work");
  ASSERT_TRUE(host.Next());
  log.clear();
  ASSERT_TRUE(host.Finish());
  EXPECT_EQ(log, (Log{"next", "commit 1", "window 2", "init 2", "commit 2"}));
  EXPECT_EQ(host.CurrentStep(), 2);
  host.EndRun();
  EXPECT_EQ(log.back(), "exit");
}

TEST_F(HostCallOrderTest, FinishFromTheHostsOwnStepMakesAndCommitsBothPages) {
  host.StartRun("P", "C:\\Work");
  log.clear();
  ASSERT_TRUE(host.Finish());
  EXPECT_EQ(log, (Log{"next", "next", "window 1", "init 1", "commit 1", "window 2", "init 2",
                      "commit 2"}));
  EXPECT_EQ(host.CurrentPage(), &wizard.Second());
}

TEST_F(HostCallOrderTest, FinishShowsTheRefusingPageAndTheWalkStaysInStep) {
  host.StartRun("P", "C:\\Work");
  ASSERT_TRUE(host.Next());
  ASSERT_TRUE(host.Next());
  wizard.First().refuse = true;
  log.clear();
  EXPECT_FALSE(host.Finish());
  EXPECT_EQ(log, (Log{"commit 1", "previous"}));  // page 2 is not committed after a refusal
  EXPECT_EQ(host.CurrentStep(), 1);
  EXPECT_EQ(host.CurrentPage(), &wizard.First());
  EXPECT_EQ(wizard.Step(), 1);
  wizard.First().refuse = false;
  ASSERT_TRUE(host.Next());
  EXPECT_EQ(host.CurrentPage(), &wizard.Second());
}

TEST(HostSymbols, FileNameSymbolIsStableAndPerFile) {
  std::string symbol = skinwizard::FileNameSymbol("MySkins", "SkinAqua.h");
  EXPECT_EQ(symbol.rfind("AFX_SKINAQUA_H__", 0), 0u) << symbol;
  std::string guid = symbol.substr(16);
  ASSERT_EQ(guid.size(), 36u);
  for (std::size_t i : {8u, 13u, 18u, 23u}) EXPECT_EQ(guid[i], '_') << symbol;
  EXPECT_EQ(guid.find_first_not_of("0123456789ABCDEF_"), std::string::npos) << symbol;
  EXPECT_EQ(skinwizard::FileNameSymbol("MySkins", "SkinAqua.h"), symbol);
  std::string other = skinwizard::FileNameSymbol("MySkins", "SkinGlass.h");
  EXPECT_NE(other.substr(other.size() - 36), guid);
  EXPECT_NE(skinwizard::FileNameSymbol("Other", "SkinAqua.h"), symbol);
  EXPECT_EQ(skinwizard::FileNameSymbol("P", "res\\P.rc2").rfind("AFX_P_RC2__", 0), 0u);
  EXPECT_EQ(skinwizard::SafeRoot("3-D Skins_v2.0"), "3DSkins_v20");
}

// The skin wizard itself under our host, on a temporary drive.
class SkinWizardHostTest : public ::testing::Test {
 protected:
  SkinWizardHostTest() : frame(&log), host(frame, *drive.Services().files), wizard(host, registry) {
    registry.Set(platform::RootKey::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                 "CommonFilesDir", "C:\\Program Files\\Common Files");
    host.RegisterWizard(&wizard);
  }
  skinwizard::SkinNamePage& NamePage() { return wizard.Chooser()->NamePage(); }

  Log log;
  testing_support::FakeRegistry registry;
  testing_support::TempDrive drive;
  RecordingFrame frame;
  ProjectWizardHost host;
  skinwizard::SkinWizard wizard;
};

TEST_F(SkinWizardHostTest, FinishOnTheNamePageStillWritesTheOptionKeys) {
  host.StartRun("MySkins", drive.Root());
  EXPECT_EQ(host.NumberOfSteps(), 2);
  ASSERT_TRUE(host.Next());
  NamePage().skinName = "Aqua";
  ASSERT_TRUE(host.Finish());
  EXPECT_EQ(wizard.dictionary.Value("SKIN_BASE_CLASS"), "CTSLVisualManager");
  EXPECT_EQ(wizard.dictionary.Value("VERBOSE"), "1");
  EXPECT_EQ(wizard.dictionary.Value("OnDrawTab"), "1");
  EXPECT_EQ(wizard.dictionary.Value("SKIN_OUTPUT"), "Write skin DLL to common (shared) directory");
  std::string confirmation, error;
  ASSERT_TRUE(host.ConfirmationText(&confirmation, &error)) << error;
  EXPECT_NE(confirmation.find("Skin Name: \"Aqua\""), std::string::npos) << confirmation;
}

TEST_F(SkinWizardHostTest, RefusedNameOnFinishShowsTheMessageOnTheNamePage) {
  host.StartRun("MySkins", drive.Root());
  ASSERT_TRUE(host.Next());
  EXPECT_FALSE(host.Next());  // refused: the empty name
  ASSERT_EQ(frame.views.size(), 1u);
  EXPECT_EQ(frame.views[0]->messages.size(), 1u);
  EXPECT_EQ(host.CurrentStep(), 1);
  EXPECT_FALSE(wizard.dictionary.Has("skin_file"));
}

TEST_F(SkinWizardHostTest, GenerateWritesTheProjectAndLinksIntoTheSkinsDirectory) {
  host.StartRun("MySkins", drive.Root());
  ASSERT_TRUE(host.Next());
  NamePage().skinName = "Aqua";
  ASSERT_TRUE(host.Next());
  ASSERT_TRUE(host.Finish());
  skinwizard::ProjectPlan plan;
  std::string error;
  ASSERT_TRUE(host.PlanProject(&plan, &error)) << error;
  EXPECT_EQ(plan.project_folder, drive.Path("MySkins"));
  ASSERT_TRUE(host.Generate(plan, &error)) << error;
  host.EndRun();
  std::string header = drive.ReadRaw("MySkins\\SkinAqua.h");
  EXPECT_NE(header.find(skinwizard::FileNameSymbol("MySkins", "SkinAqua.h") + "_INCLUDED_"),
            std::string::npos);
  std::string dsp = drive.ReadRaw("MySkins\\MySkins.dsp");
  std::string option = "/out:\"C:\\Program Files\\Common Files\\Quorvane\\Skins\\MYSKINS.dll\"";
  std::size_t first = dsp.find(option);
  ASSERT_NE(first, std::string::npos) << dsp;
  EXPECT_NE(dsp.find(option, first + 1), std::string::npos) << "both configurations";
}

// Finish as both front ends run it: each outcome, and the run back on the step Finish was
// pressed on unless the project is created or a page refused.
TEST_F(SkinWizardHostTest, FinishProjectOutcomes) {
  using Kind = skinwizard::FinishOutcome::Kind;
  using skinwizard::ProjectField;
  host.StartRun("", "");
  ASSERT_TRUE(host.Next());
  NamePage().skinName = "Aqua";
  int asked = 0;
  auto confirm = [&](bool answer) {
    return [&asked, answer](const std::string& text, const std::string&) {
      ++asked;
      EXPECT_NE(text.find("Skin Name: \"Aqua\""), std::string::npos) << text;
      return answer;
    };
  };
  const std::string root = drive.Root();
  const struct {
    const char* name;
    std::string location;
    bool overwrite, confirmed;
    Kind kind;
    std::optional<ProjectField> field;
    const char* said;
  } cases[] = {
      {"", root, false, true, Kind::kRefused, ProjectField::kName, "Enter a name"},
      {"CON", root, false, true, Kind::kRefused, ProjectField::kName, "keeps for a device"},
      {"P", "  ", false, true, Kind::kRefused, ProjectField::kLocation, "Enter the folder"},
      {"P", root + "\\a?", false, true, Kind::kRefused, ProjectField::kLocation,
       "refuses in a folder name"},
      {"MySkins", root + "\\\\", false, false, Kind::kDeclined, std::nullopt, ""},
      {"MySkins", root + "\\", false, true, Kind::kCreated, std::nullopt, ""},
      {"MySkins", root, false, true, Kind::kWouldOverwrite, std::nullopt, ""},
      {"MySkins", root, true, true, Kind::kCreated, std::nullopt, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.name) + " in " + c.location);
    asked = 0;
    const skinwizard::FinishOutcome outcome =
        host.FinishProject(c.name, c.location, c.overwrite, confirm(c.confirmed));
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.refusal.has_value(), c.field.has_value());
    if (outcome.refusal && c.field) {
      EXPECT_EQ(outcome.refusal->field, *c.field);
      EXPECT_NE(outcome.refusal->reason.find(c.said), std::string::npos) << outcome.refusal->reason;
    }
    EXPECT_EQ(asked, c.kind == Kind::kDeclined || c.kind == Kind::kCreated ? 1 : 0);
    if (c.kind == Kind::kWouldOverwrite) {
      EXPECT_EQ(outcome.plan.project_folder, drive.Path("MySkins"));
      EXPECT_GE(outcome.existing.size(), 10u);
    }
    if (c.kind == Kind::kCreated) {
      EXPECT_EQ(outcome.plan.project_folder, drive.Path("MySkins"));
      EXPECT_NE(drive.ReadRaw("MySkins\\MySkins.dsw"), "");
      // The written run ends there; the next case starts one as a front end would.
      host.EndRun();
      host.StartRun("", "");
      ASSERT_TRUE(host.Next());
      NamePage().skinName = "Aqua";
    } else {
      EXPECT_EQ(host.CurrentStep(), 1) << "back on the step Finish was pressed on";
    }
  }
}

}  // namespace
