// The skin wizard tests' doubles: a recording host and page view, a fake project.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "skinwizard/host/wizard_host.h"
#include "skinwizard/host/wizard_page.h"
#include "skinwizard/project/project_automation.h"

namespace skinwizard_test {

/// A host that records what a wizard module tells it.
class RecordingHost : public skinwizard::WizardHost {
 public:
  std::vector<std::string> calls;
  void RegisterWizard(skinwizard::CustomWizard* /*wizard*/) override {
    calls.push_back("register");
  }
  void SetNumberOfSteps(int steps) override { calls.push_back("steps " + std::to_string(steps)); }
};

/// A page window that records messages and focus and runs nested dialogs with a script.
class RecordingView : public skinwizard::PageView {
 public:
  std::vector<std::string> messages;
  std::vector<int> focused;
  bool transferSucceeds = true;
  int toControls = 0;
  /// Plays the user's part in a nested dialog; returns the button (kOk or kCancel).
  std::function<int(skinwizard::ModalDialog&)> script;

  bool TransferToMembers() override { return transferSucceeds; }
  void TransferToControls() override { ++toControls; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void FocusControl(int control_id) override { focused.push_back(control_id); }
  int RunModal(skinwizard::ModalDialog& dialog) override {
    dialog.AttachView(this);
    dialog.OnInitDialog();
    int result = script ? script(dialog) : skinwizard::ModalDialog::kCancel;
    if (result == skinwizard::ModalDialog::kOk) {
      dialog.OnOK();
    } else {
      dialog.OnCancel();
    }
    dialog.AttachView(nullptr);
    return result;
  }
};

/// A build configuration that records the tool settings added to it.
class FakeConfiguration : public skinwizard::BuildConfiguration {
 public:
  explicit FakeConfiguration(std::string name) : name_(std::move(name)) {}
  std::vector<std::string> added;  // "tool|settings"
  bool fails = false;
  std::string Name() const override { return name_; }
  bool AddToolSettings(const std::string& tool, const std::string& settings,
                       std::string* error) override {
    added.push_back(tool + "|" + settings);
    if (fails && error) *error = "refused";
    return !fails;
  }

 private:
  std::string name_;
};

/// A project whose configuration collection the test lays out, null items included.
class FakeProject : public skinwizard::BuildProject {
 public:
  std::vector<skinwizard::BuildConfiguration*> items;
  bool reachable = true;
  int asked = 0;
  bool Configurations(std::vector<skinwizard::BuildConfiguration*>* out) override {
    ++asked;
    if (!reachable) return false;
    *out = items;
    return true;
  }
};

}  // namespace skinwizard_test
