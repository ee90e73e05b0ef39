// The skin wizard's first page (template 129): the skin's name and the author information.
// Portable: no Win32 here.
#pragma once

#include <string>

#include "skinwizard/host/wizard_page.h"
#include "skinwizard/res/resource.h"

namespace skinwizard {

class SkinWizard;

/// Step 1: the skin's name and the optional author information. Author and company come
/// from the registered owner each time the page's window is made; the commit writes the
/// name-derived symbols and the author symbols.
class SkinNamePage : public WizardPage {
 public:
  static constexpr int kTemplateId = IDD_SKIN_NAME;
  static constexpr int kSkinNameEdit = IDC_SKIN_NAME;
  static constexpr int kPicture = IDC_SIDE_PICTURE;
  static constexpr int kAuthorEdit = IDC_AUTHOR;
  static constexpr int kCompanyEdit = IDC_COMPANY;
  static constexpr int kEmailEdit = IDC_EMAIL;
  static constexpr int kUrlEdit = IDC_URL;

  /// The refusal of a name with no ASCII letter or digit.
  static constexpr const char* kNameRefusal =
      "The skin name must include at least one alphabetic character";

  explicit SkinNamePage(SkinWizard& wizard) : WizardPage(kTemplateId), wizard_(wizard) {}

  bool OnInitDialog() override;
  bool CommitPage() override;

  // The controls' values, as the data exchange binds them.
  std::string skinName;
  std::string author;
  std::string company;
  std::string email;
  std::string url;

 private:
  SkinWizard& wizard_;
};

/// The ASCII letters and digits of a typed skin name, in order; "" when it has none.
std::string FilterSkinName(const std::string& typed);

/// The text without leading and trailing blanks, tabs and line ends.
std::string TrimWhiteSpace(const std::string& text);

/// "Copyright (c) <year> <name> <company>. All rights reserved" with the sign as the single
/// Windows-1252 byte 0xA9; empty parts leave their blanks.
std::string CopyrightLine(int year, const std::string& name, const std::string& company);

/// The year of the system clock, local time.
int CurrentYear();

}  // namespace skinwizard
