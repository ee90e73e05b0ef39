// The models of step pages and modal dialogs, and the PageView a front end shows them in.
// Portable: no Win32 here.
#pragma once

#include <string>

namespace skinwizard {

class ModalDialog;

/// The window a page or dialog model is shown in, as the host's front end makes it. The
/// models keep every value and state; a view only shows them, forwards the user's input
/// into them and owns what needs a window (message boxes, focus, nested dialogs).
class PageView {
 public:
  virtual ~PageView() = default;

  /// Copies the controls' contents into the model's members, as the framework's data
  /// exchange does before a commit; false when a control holds something the member cannot
  /// take, which keeps the page.
  [[nodiscard]] virtual bool TransferToMembers() = 0;
  /// Copies the model's members (and their enabled states) into the controls.
  virtual void TransferToControls() = 0;
  /// An OK-only message box owned by the page, with no caption of the page's own.
  virtual void ShowMessage(const std::string& text) = 0;
  /// Puts the keyboard focus on the control with the given id.
  virtual void FocusControl(int control_id) = 0;
  /// Runs a dialog modally with this window as its parent; the dialog's own result id.
  virtual int RunModal(ModalDialog& dialog) = 0;
};

/// A modal dialog of the framework kind: a template id, an initialisation and the two
/// buttons that close it. The front end shows it through PageView::RunModal.
class ModalDialog {
 public:
  /// Result ids as the framework returns them from its modal loop.
  static constexpr int kOk = 1;
  static constexpr int kCancel = 2;

  explicit ModalDialog(int template_id) : template_id_(template_id) {}
  virtual ~ModalDialog() = default;
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  int TemplateId() const { return template_id_; }

  /// The view calls this once its window exists; false ends the dialog.
  [[nodiscard]] virtual bool OnInitDialog() { return true; }
  /// OK pressed (or Enter): the dialog takes over its state; the view then closes it.
  virtual void OnOK() {}
  /// Cancel pressed, Escape or the system menu's Close: nothing is kept.
  virtual void OnCancel() {}

  /// The view the dialog shows in while it runs; null otherwise.
  PageView* View() const { return view_; }
  void AttachView(PageView* view) { view_ = view; }

 protected:
  /// The framework's UpdateData: true moves the controls into the members. Without a window
  /// the members already are the values, so both directions succeed.
  [[nodiscard]] bool UpdateData(bool save_and_validate);

 private:
  int template_id_;
  PageView* view_ = nullptr;
};

/// The host's step-page base: a child dialog the host shows inside its frame. The host runs
/// OnInitDialog each time it creates the page's window and CommitPage when the user moves on.
class WizardPage : public ModalDialog {
 public:
  /// Constructed with the page's dialog template id, as the host's page base is.
  explicit WizardPage(int template_id) : ModalDialog(template_id) {}

  /// The user asks to move on from the page (or to finish); false keeps the page.
  [[nodiscard]] virtual bool CommitPage() { return true; }
};

}  // namespace skinwizard
