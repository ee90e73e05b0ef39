// The skin wizard's second page (template 130): comments, look, output and the Advanced button.
// Portable: no Win32 here.
#pragma once

#include <string>

#include "skinwizard/host/wizard_page.h"
#include "skinwizard/res/resource.h"

namespace skinwizard {

class SkinWizard;

/// Step 2: source comments, the look the skin builds on, the link output into the common
/// skins directory, and the Advanced dialog's choice of methods.
class SkinOptionsPage : public WizardPage {
 public:
  static constexpr int kTemplateId = IDD_SKIN_OPTIONS;
  static constexpr int kCommentsYes = IDC_COMMENTS_YES;
  static constexpr int kCommentsNo = IDC_COMMENTS_NO;
  static constexpr int kAdvancedButton = IDC_ADVANCED;
  static constexpr int kLook2000 = IDC_LOOK_2000;
  static constexpr int kLookXp = IDC_LOOK_XP;
  static constexpr int kPicture = IDC_SIDE_PICTURE;
  static constexpr int kWriteCheck = IDC_WRITE_CHECK;
  static constexpr int kSkinsLine = IDC_SKINS_LINE;

  static constexpr const char* kNoSkinsDirectory = "Error. Unable to initialize skins directory";
  static constexpr const char* kOutputShared = "Write skin DLL to common (shared) directory";
  // sic: "localy"
  static constexpr const char* kOutputLocal = "Write skin DLL localy";
  /// The write check box's text.
  static constexpr const char* kWriteCheckText = TXT_WRITE_CHECK;

  explicit SkinOptionsPage(SkinWizard& wizard) : WizardPage(kTemplateId), wizard_(wizard) {}

  bool OnInitDialog() override;
  bool CommitPage() override;
  /// "A&dvanced...": the method choice, kept in the wizard's records only on OK.
  void OnAdvanced();

  // The controls' values, as the data exchange binds them.
  int comments = 0;  ///< 0 "&Yes, please", 1 "No, &thank you"
  int baseLook = 0;  ///< 0 "Office &2000 look", 1 "Office &XP look"
  std::string skinsLine;
  int writeToSkinsDirectory = 1;
  /// The write check box is disabled, keeping its state, when there is no skins directory.
  bool writeCheckEnabled = true;

 private:
  SkinWizard& wizard_;
};

}  // namespace skinwizard
