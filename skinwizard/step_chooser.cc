// The skin wizard's walk over its two pages after the host's own first step.
// Portable: no Win32 here.
#include "skinwizard/step_chooser.h"

namespace skinwizard {

StepChooser::StepChooser(SkinWizard& wizard, WizardHost& host)
    : namePage_(wizard), optionsPage_(wizard) {
  host.SetNumberOfSteps(kSteps);
}

WizardPage* StepChooser::PageAt(int step) {
  switch (step) {
    case 1:
      return &namePage_;
    case 2:
      return &optionsPage_;
    default:
      return nullptr;  // the host's own first step
  }
}

// A host asking beyond the steps it was told of must not walk the index out of the table.
WizardPage* StepChooser::NextStep() {
  if (currentStep_ >= kSteps) return nullptr;
  return PageAt(++currentStep_);
}

WizardPage* StepChooser::PreviousStep() {
  if (currentStep_ <= 0) return nullptr;
  return PageAt(--currentStep_);
}

}  // namespace skinwizard
