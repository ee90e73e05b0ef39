// The skin wizard's walk over its two pages after the host's own first step.
// Portable: no Win32 here.
#pragma once

#include <memory>

#include "skinwizard/host/wizard_host.h"
#include "skinwizard/skin_name_page.h"
#include "skinwizard/skin_options_page.h"

namespace skinwizard {

class SkinWizard;

/// Owns the wizard's two pages and walks between them: step 0 is the host's own first
/// step (no page of ours), step 1 the skin name, step 2 the options.
class StepChooser {
 public:
  static constexpr int kSteps = 2;

  /// Makes both pages and tells the host there are two steps.
  StepChooser(SkinWizard& wizard, WizardHost& host);

  /// The page after the current one; null, without moving, past the last step.
  WizardPage* NextStep();
  /// The page before the current one; null at the host's own first step.
  WizardPage* PreviousStep();

  int CurrentStep() const { return currentStep_; }
  SkinNamePage& NamePage() { return namePage_; }
  SkinOptionsPage& OptionsPage() { return optionsPage_; }

 private:
  WizardPage* PageAt(int step);

  SkinNamePage namePage_;
  SkinOptionsPage optionsPage_;
  int currentStep_ = 0;
};

}  // namespace skinwizard
