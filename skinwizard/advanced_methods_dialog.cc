// The Advanced dialog's model (template 120): the overridable methods as a check list.
// Portable: no Win32 here.
#include "skinwizard/advanced_methods_dialog.h"

namespace skinwizard {

bool AdvancedMethodsDialog::OnInitDialog() {
  description.clear();
  items_.clear();
  selection_ = -1;
  for (const auto& method : methods_) {
    items_.push_back(Item{method->name, method.get(), method->selected != 0});
  }
  (void)UpdateData(false);  // into the controls: only taking them back can fail
  return true;
}

void AdvancedMethodsDialog::OnSelectionChange(int index) {
  selection_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
  description = selection_ < 0 ? std::string() : items_[selection_].method->description;
  (void)UpdateData(false);  // into the controls: only taking them back can fail
}

void AdvancedMethodsDialog::OnDoubleClick() {
  if (selection_ >= 0) ToggleCheck(selection_);
}

void AdvancedMethodsDialog::ToggleCheck(int index) {
  if (index >= 0 && index < static_cast<int>(items_.size())) {
    items_[index].checked = !items_[index].checked;
  }
}

void AdvancedMethodsDialog::OnSelectAll() {
  for (Item& item : items_) item.checked = true;
}

void AdvancedMethodsDialog::OnSelectNone() {
  for (Item& item : items_) item.checked = false;
}

void AdvancedMethodsDialog::OnOK() {
  for (Item& item : items_) item.method->selected = item.checked ? 1 : 0;
}

}  // namespace skinwizard
