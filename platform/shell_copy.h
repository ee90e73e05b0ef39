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

  /// true when the operation reports success; the reason in *error otherwise. A source
  /// CheckSource refuses is refused before anything is copied.
  [[nodiscard]] virtual bool Copy(const std::string& from, const std::string& to,
                                  std::string* error) = 0;

  /// Reads through what a copy of `from` would take, changing nothing: false with the reason
  /// when the source is missing, holds an entry that cannot be read, or holds a link leading
  /// back into a folder being copied (the shell under Wine follows such a link until paths
  /// grow too long, reporting success). A link to a folder elsewhere is followed, as the shell
  /// follows it. Separate from Copy so a dry run refuses what the copy would refuse.
  [[nodiscard]] virtual bool CheckSource(const std::string& from, std::string* error) = 0;
};

}  // namespace platform
