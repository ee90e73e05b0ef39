// The shell's folder copy, abstract so the wizard installation runs on a prefix and in tests.
// Portable: no Win32 here.
#pragma once

#include <string>

namespace platform {

/// The shell's copy operation: copies a folder, or the contents named by "folder\*.*", to
/// a destination with no confirmation, creating folders as needed and replacing files.
/// Abstract so the wizard installation runs on a Wine prefix and in tests.
class ShellCopy {
 public:
  virtual ~ShellCopy() = default;

  /// true when the operation reports success; the reason in *error otherwise.
  virtual bool Copy(const std::string& from, const std::string& to, std::string* error) = 0;
};

}  // namespace platform
