// Win32 views of the skin wizard's pages and of its Advanced dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "skinwizard/host/wizard_page.h"

namespace skinwizard {

/// A page or dialog model shown in a dialog window made from its template. The model keeps every
/// value; the view moves them in and out of the controls and owns what needs a window.
class DialogWindowView : public PageView {
 public:
  /// `caption` is the one the window's message boxes carry (the program's title); `reveal` runs
  /// before a message box, so that a page committed while hidden is in view when it speaks.
  DialogWindowView(std::string caption, std::function<void(HWND)> reveal)
      : caption_(std::move(caption)), reveal_(std::move(reveal)) {}

  void ShowMessage(const std::string& text) override;
  void FocusControl(int control_id) override;
  int RunModal(ModalDialog& dialog) override;

  /// The dialog window, so that the frame can show and hide it.
  HWND Window() const { return hwnd_; }

 protected:
  std::string Text(int control_id) const;
  void SetText(int control_id, const std::string& text);
  /// The control's text in Windows-1252 by the model's rule for typed texts; false once the
  /// refusal is shown and the focus is on the control.
  [[nodiscard]] bool TypedText(int control_id, std::string* ansi);

  HWND hwnd_ = nullptr;

 private:
  std::string caption_;
  std::function<void(HWND)> reveal_;
};

/// What an edit control holds as typed, in UTF-8: read in UTF-16, since the ANSI read would
/// already have put another letter in the place of one the code page cannot spell.
std::string TypedTextOf(HWND control);

/// A message box of UTF-8 text: a refusal quotes characters the code page has no byte for.
/// Long names and paths are broken into lines, so that no box grows wider than the screen.
void MessageBoxUtf8(HWND owner, const std::string& text, const std::string& caption, UINT type);

/// A message box of ANSI text, long names and paths broken into lines as MessageBoxUtf8 does.
void MessageBoxAnsi(HWND owner, const std::string& text, const std::string& caption, UINT type);

/// Makes the hidden child window of `page` (a SkinNamePage or a SkinOptionsPage) inside `frame` at
/// `area` (frame client coordinates), with its side picture; null for a page this host does not
/// know. The caller attaches the view and runs the page's initialisation.
std::unique_ptr<DialogWindowView> CreatePageWindow(HWND frame, const RECT& area, WizardPage& page,
                                                   const std::string& caption,
                                                   std::function<void(HWND)> reveal);

/// The side picture's rectangle in `page` client coordinates: the hidden placeholder's top-left
/// corner and the bitmap's own size.
RECT SidePictureRect(HWND page, int placeholder_id, HBITMAP picture);

}  // namespace skinwizard
