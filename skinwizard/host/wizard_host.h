// WizardHost: what a wizard module calls in its host.
// Portable: no Win32 here.
#pragma once

namespace skinwizard {

class CustomWizard;

/// What a wizard module calls in its host: registration at load time and the number of
/// step pages it adds after the host's own first step. Abstract so a module runs under our
/// own host, a test's recording host or a future window frame alike.
class WizardHost {
 public:
  virtual ~WizardHost() = default;

  /// Makes `wizard` the object the host calls during its runs.
  virtual void RegisterWizard(CustomWizard* wizard) = 0;
  /// The wizard's page count, not counting the host's own first step.
  virtual void SetNumberOfSteps(int steps) = 0;
};

}  // namespace skinwizard
