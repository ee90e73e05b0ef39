// A modal dialog's data exchange through the view it is shown in.
// Portable: no Win32 here.
#include "skinwizard/host/wizard_page.h"

namespace skinwizard {

bool ModalDialog::UpdateData(bool save_and_validate) {
  if (view_ == nullptr) return true;
  if (save_and_validate) return view_->TransferToMembers();
  view_->TransferToControls();
  return true;
}

}  // namespace skinwizard
