// The skin project wizard: its runs, its pages and methods, the skins directory, the link output.
// Portable: no Win32 here.
#include "skinwizard/skin_wizard.h"

#include <vector>

#include "platform/windows_path.h"
#include "skinwizard/project/project_automation.h"
#include "skinwizard/registry_reader.h"
#include "skinwizard/step_chooser.h"

namespace skinwizard {

SkinWizard::SkinWizard(WizardHost& host, platform::Registry& registry)
    : host_(host), registry_(registry) {}

SkinWizard::~SkinWizard() = default;

WizardPage* SkinWizard::NextStep(WizardPage* /*page*/) {
  return stepChooser_ ? stepChooser_->NextStep() : nullptr;
}

WizardPage* SkinWizard::PreviousStep(WizardPage* /*page*/) {
  return stepChooser_ ? stepChooser_->PreviousStep() : nullptr;
}

void SkinWizard::OnWizardStart() {
  stepChooser_ = std::make_unique<StepChooser>(*this, host_);
  dictionary.Set("HELP", "0");
  dictionary.Set("PROJTYPE_DLL", "1");
  FindSkinsDirectory();
  writeToSkinsDirectory_ = skinsDirectory_.empty() ? 0 : 1;
  // A start without the exit of the run before still gets exactly twelve records.
  methods_.clear();
  AppendOverridableMethods(&methods_);
}

void SkinWizard::OnWizardExit() {
  stepChooser_.reset();
  methods_.clear();
}

void SkinWizard::FindSkinsDirectory() {
  RegistryReader reader(registry_);
  std::string common;
  if (!reader.OpenKey("SOFTWARE\\Microsoft\\Windows\\CurrentVersion") ||
      !reader.ReadString("CommonFilesDir", &common)) {
    return;  // the directory of an earlier run stays
  }
  skinsDirectory_ = common;
  if (!skinsDirectory_.empty()) {
    skinsDirectory_ = platform::WithTrailingBackslash(skinsDirectory_) + "Quorvane\\Skins";
  }
}

std::string SkinWizard::LinkOutputOption() const {
  return "/out:\"" + skinsDirectory_ + "\\" + dictionary.Value("ROOT") + ".dll\"";
}

void SkinWizard::ConfigureProject(BuildProject& project) {
  if (skinsDirectory_.empty() || writeToSkinsDirectory_ == 0) return;
  std::string option = LinkOutputOption();
  std::vector<BuildConfiguration*> configurations;
  if (!project.Configurations(&configurations)) return;
  // A configuration that refuses the option neither stops the others nor is reported: the
  // project itself is complete either way.
  for (BuildConfiguration* configuration : configurations) {
    if (configuration == nullptr) continue;
    std::string ignored;
    configuration->AddToolSettings("link.exe", option, &ignored);
  }
}

}  // namespace skinwizard
