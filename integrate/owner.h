// What the integration needs from a view: Owner (message boxes, beeps, cursor) and EngineHost.
// Portable: no Win32 here.
#pragma once

#include <string>

namespace integrate {

/// Message box flags and results as the platform spells them, so a view passes them through.
enum MessageBoxFlags : unsigned {
  kMbOk = 0x0,
  kMbOkCancel = 0x1,
  kMbSetForeground = 0x10000,
};
enum MessageBoxResult : int { kIdOk = 1, kIdCancel = 2 };

/// Beep types of the run's result sound.
enum BeepType : unsigned { kBeepAsterisk = 0x40, kBeepExclamation = 0x30 };

/// The window that owns the program's message boxes, beeps and cursor. Abstract so the
/// same logic drives a Win32 dialog, a console and the tests.
class Owner {
 public:
  virtual ~Owner() = default;

  /// Shows a modal message box and returns the button pressed (kIdOk or kIdCancel).
  /// `flags` is kMbOk or kMbOkCancel, possibly with kMbSetForeground; a view shows the
  /// exclamation icon and captions the box with the program file's base name.
  virtual int ShowMessage(const std::string& text, unsigned flags) = 0;

  /// Plays the platform's sound of that type (kBeepAsterisk, kBeepExclamation).
  virtual void Beep(unsigned type) = 0;

  /// Shows the wait cursor (on) or restores the normal one (off).
  virtual void SetWaitCursor(bool on) = 0;
};

/// The main dialog as the engine sees it: its progress list and the owner of its message
/// boxes. Abstract so the integrations can be tested without the dialog.
class EngineHost {
 public:
  virtual ~EngineHost() = default;

  /// Appends a string-table text with the check mark.
  virtual void AddLine(int stringId) = 0;

  /// Appends a text of the caller's, with the cross when isError, else the check mark.
  virtual void InsertLine(const std::string& text, bool isError) = 0;

  /// A message box owned by the main dialog; returns the button pressed.
  virtual int ShowMessage(const std::string& text, unsigned flags = kMbOk) = 0;

  /// Warns that Visual C++ 6.0 lacks Service Pack 3 (message 23); always true.
  virtual bool ShowServicePackWarning() = 0;
};

}  // namespace integrate
