// The skin wizard's second page (template 130): comments, look, output and the Advanced button.
// Portable: no Win32 here.
#include "skinwizard/skin_options_page.h"

#include "skinwizard/advanced_methods_dialog.h"
#include "skinwizard/skin_wizard.h"

namespace skinwizard {

bool SkinOptionsPage::OnInitDialog() {
  (void)UpdateData(false);  // into the controls: only taking them back can fail
  if (!wizard_.SkinsDirectory().empty()) {
    skinsLine = "(" + wizard_.SkinsDirectory() + ")";
  } else {
    writeCheckEnabled = false;
    skinsLine = kNoSkinsDirectory;
  }
  (void)UpdateData(false);  // into the controls: only taking them back can fail
  return true;
}

void SkinOptionsPage::OnAdvanced() {
  AdvancedMethodsDialog dialog(wizard_.Methods());
  if (View() != nullptr) View()->RunModal(dialog);
}

bool SkinOptionsPage::CommitPage() {
  if (!UpdateData(true)) return false;
  SymbolDictionary& symbols = wizard_.dictionary;
  symbols.SetFlag("VERBOSE", comments == 0);
  symbols.Set("SKIN_BASE_CLASS", baseLook == 1 ? "CTSLVisualManagerXP" : "CTSLVisualManager");
  for (const auto& method : wizard_.Methods()) symbols.SetFlag(method->name, method->selected != 0);
  wizard_.SetWriteToSkinsDirectory(writeToSkinsDirectory);
  symbols.Set("SKIN_OUTPUT", writeToSkinsDirectory != 0 ? kOutputShared : kOutputLocal);
  return true;
}

}  // namespace skinwizard
