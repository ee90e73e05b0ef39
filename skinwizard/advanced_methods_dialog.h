// The Advanced dialog's model (template 120): the overridable methods as a check list.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

#include "skinwizard/host/wizard_page.h"
#include "skinwizard/overridable_method.h"
#include "skinwizard/res/resource.h"

namespace skinwizard {

/// "Skin Advanced Properties": a check list of the overridable methods with the selected
/// one's description below. Checks change freely while it runs; only OK writes them into
/// the method records.
class AdvancedMethodsDialog : public ModalDialog {
 public:
  static constexpr int kTemplateId = IDD_ADVANCED;
  static constexpr int kSelectAll = IDC_SELECT_ALL;
  static constexpr int kSelectNone = IDC_SELECT_NONE;
  static constexpr int kMethodList = IDC_METHOD_LIST;
  static constexpr int kDescription = IDC_DESCRIPTION;

  /// One line of the check list, carrying its record as item data.
  struct Item {
    std::string text;
    OverridableMethod* method;
    bool checked;
  };

  explicit AdvancedMethodsDialog(MethodList& methods)
      : ModalDialog(kTemplateId), methods_(methods) {}

  /// Fills the list from the records, checks as they are selected, nothing selected.
  bool OnInitDialog() override;
  void OnOK() override;

  /// The list's selection moved to `index` (-1 for none): the description follows.
  void OnSelectionChange(int index);
  /// A double click anywhere on an item inverts the selected item's check.
  void OnDoubleClick();
  /// A click on a check mark or the space bar, handled by the check list itself.
  void ToggleCheck(int index);
  void OnSelectAll();
  void OnSelectNone();

  const std::vector<Item>& Items() const { return items_; }
  int Selection() const { return selection_; }
  /// The text of label 1009.
  std::string description;

 private:
  MethodList& methods_;
  std::vector<Item> items_;
  int selection_ = -1;
};

}  // namespace skinwizard
