// The Win32 view of the integration wizard's main dialog (template 102) over IntegrationDialog.
#pragma once

// windows.h first: the other Windows headers build on its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstddef>
#include <functional>
#include <string>

#include "integrate/integration_dialog.h"
#include "integrate/owner.h"
#include "platform/platform.h"

namespace integrate_win32 {

/// The program file's base name without its extension: the caption of every message box,
/// since the string table holds no title of its own.
std::string ProgramBaseName();

/// Message boxes, beeps and the wait cursor of the program, owned by the main dialog once it
/// exists (before that, by no window).
class WindowOwner : public integrate::Owner {
 public:
  explicit WindowOwner(std::string caption) : caption_(std::move(caption)) {}

  /// The window that owns the boxes from now on; nullptr for none.
  void SetWindow(HWND window) { window_ = window; }
  /// Whether the run holds the wait cursor, so the dialog keeps showing it on mouse moves.
  bool Waiting() const { return waiting_; }

  /// A box with the exclamation icon unless the flags name one.
  int ShowMessage(const std::string& text, unsigned flags) override;
  /// The platform's message beep of that type.
  void Beep(unsigned type) override;
  /// The hourglass for the whole run, also over the run's message boxes.
  void SetWaitCursor(bool on) override;

 private:
  std::string caption_;
  HWND window_ = nullptr;
  bool waiting_ = false;
  HCURSOR previous_ = nullptr;
};

/// Dialog 102 drawn from the model: control states, the banner, the program icon and the
/// progress list; clicks go to the model, which holds every rule.
class IntegrationWindow {
 public:
  /// `platform` and `owner` are not owned and must outlive the window.
  IntegrationWindow(const std::string& installDir, platform::Platform& platform,
                    WindowOwner& owner);
  ~IntegrationWindow();
  IntegrationWindow(const IntegrationWindow&) = delete;
  IntegrationWindow& operator=(const IntegrationWindow&) = delete;

  /// Runs the dialog modally: the program's main loop, until Cancel or Close.
  void RunModal(HINSTANCE instance);
  /// Creates the dialog modeless, for a test driver that pumps the messages itself;
  /// Cancel then destroys the window.
  HWND Create(HINSTANCE instance);

  /// Called when a run has ended, with how it ended, before the user closes the dialog.
  void SetRunObserver(std::function<void(integrate::IntegrationDialog::RunResult)> observer) {
    runObserver_ = std::move(observer);
  }

  /// Which bitmap the banner shows (129 or 130).
  int BannerId() const { return bannerId_; }

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT message, WPARAM wParam);
  void OnInitDialog();
  void OnCommand(int id);
  void OnPaint();
  // Puts every control into the state the model gives it.
  void Draw();
  void AppendLine(const integrate::ProgressLine& line);

  integrate::IntegrationDialog model_;
  WindowOwner& owner_;
  std::function<void(integrate::IntegrationDialog::RunResult)> runObserver_;
  HINSTANCE instance_ = nullptr;
  HWND window_ = nullptr;
  bool modal_ = false;
  HICON icon_ = nullptr;
  HICON smallIcon_ = nullptr;
  RECT bannerRect_{};
  int bannerId_ = 0;
  HBITMAP banner_ = nullptr;
  SIZE bannerSize_{};
  HIMAGELIST images_ = nullptr;
};

/// A Windows-1252 text as the UTF-16 the W functions take, so texts show the same whatever
/// the machine's ANSI code page is.
std::wstring Wide(const std::string& ansi);

}  // namespace integrate_win32
