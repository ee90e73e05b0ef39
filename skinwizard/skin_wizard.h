// The skin project wizard: its runs, its pages and methods, the skins directory, the link output.
// Portable: no Win32 here.
#pragma once

#include <memory>
#include <string>

#include "platform/registry.h"
#include "skinwizard/host/custom_wizard.h"
#include "skinwizard/host/wizard_host.h"
#include "skinwizard/overridable_method.h"

namespace skinwizard {

class StepChooser;

/// The skin project wizard: two step pages after the host's own first step, the symbols
/// the skin DLL project is expanded from, and the link output into the common skins
/// directory. The host calls it at the moments of its runs.
class SkinWizard : public CustomWizard {
 public:
  /// `host` is told the page count at each start; `registry` gives the common files folder
  /// and, to the first page, the registered owner.
  SkinWizard(WizardHost& host, platform::Registry& registry);
  ~SkinWizard() override;

  WizardPage* NextStep(WizardPage* page) override;
  WizardPage* PreviousStep(WizardPage* page) override;
  /// Makes the pages and twelve fresh selected method records and finds the skins
  /// directory. Leaves the dictionary as it was: the host's default clearing is not wanted.
  void OnWizardStart() override;
  /// Destroys the pages and the method records; the dictionary and the skins directory stay.
  void OnWizardExit() override;
  /// Points every configuration's linker output into the skins directory when that was
  /// chosen and the directory is known.
  void ConfigureProject(BuildProject& project) override;

  /// The linker option that sends the DLL into the skins directory under the project's
  /// upper-case name, the whole path in one pair of quotes so blanks stay one argument.
  std::string LinkOutputOption() const;

  platform::Registry& Registry() { return registry_; }
  /// The pages of the current run; null outside a run.
  StepChooser* Chooser() { return stepChooser_.get(); }
  MethodList& Methods() { return methods_; }
  /// Full path of "<common files>\Quorvane\Skins", or "" when it could not be determined.
  const std::string& SkinsDirectory() const { return skinsDirectory_; }
  /// 1 when the DLL's link output goes to the skins directory.
  int WriteToSkinsDirectory() const { return writeToSkinsDirectory_; }
  void SetWriteToSkinsDirectory(int write) { writeToSkinsDirectory_ = write; }

 private:
  void FindSkinsDirectory();

  WizardHost& host_;
  platform::Registry& registry_;
  std::unique_ptr<StepChooser> stepChooser_;
  MethodList methods_;
  std::string skinsDirectory_;
  int writeToSkinsDirectory_ = 0;
};

}  // namespace skinwizard
