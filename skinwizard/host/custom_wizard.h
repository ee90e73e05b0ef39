// CustomWizard: the base of a wizard module, which the host calls at fixed moments of a run.
// Portable: no Win32 here.
#pragma once

#include "skinwizard/host/symbol_dictionary.h"
#include "skinwizard/host/wizard_page.h"

namespace skinwizard {

class BuildProject;

/// The host's wizard base: the object a wizard module registers, which the host calls at
/// fixed moments of a run, and which holds the symbol dictionary the templates are expanded
/// from. The defaults are the host's own: no pages, a start that clears the dictionary.
class CustomWizard {
 public:
  virtual ~CustomWizard() = default;

  /// The page after `page` (null: the host's own first step); null when there is none.
  virtual WizardPage* NextStep(WizardPage* /*page*/) { return nullptr; }
  /// The page before `page`; null returns the user to the host's own first step.
  virtual WizardPage* PreviousStep(WizardPage* /*page*/) { return nullptr; }
  /// A run starts.
  virtual void OnWizardStart() { dictionary.Clear(); }
  /// The run ends, finished or cancelled.
  virtual void OnWizardExit() {}
  /// Once after generation, with the new project's automation object.
  virtual void ConfigureProject(BuildProject& /*project*/) {}

  SymbolDictionary dictionary;
};

}  // namespace skinwizard
