// A Wine prefix folder and its mapping of Windows paths to host paths, as Wine resolves them.
// A Wine prefix seen from Linux: no Wine code runs here.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "platform/windows_path.h"

namespace platform::wine {

/// A Wine prefix folder and the mapping between the Windows paths the system speaks and
/// the host's own paths, done the way Wine itself resolves them, so the services reach the
/// same files a program running in the prefix would.
class Prefix {
 public:
  /// Opens a prefix folder (a Unix path); false with the reason when it is not a folder
  /// holding system.reg or dosdevices.
  [[nodiscard]] static bool Open(const std::string& dir, std::shared_ptr<const Prefix>* out,
                                 std::string* error);

  /// The prefix folder as given, without a trailing slash.
  const std::string& Dir() const { return dir_; }

  /// Maps an ANSI Windows path ("C:\Lib\x.txt", '/' also separates) to a host path in
  /// UTF-8 through <prefix>/dosdevices/<drive>:. Each component is matched exactly first,
  /// then case-insensitively (the first match in sorted order); a missing component keeps
  /// its typed name. In a 64-bit prefix C:\windows\system32 leads to syswow64, as for the
  /// 32-bit program this system is. False when the path has no drive or the drive is not
  /// mapped.
  [[nodiscard]] bool ToHostPath(const std::string& windows_path, std::string* host_path,
                                std::string* error) const;

  /// Maps a host path (absolute, or relative to the working folder) to its ANSI drive
  /// form as `winepath -w` does: through the drive whose target is the longest existing
  /// prefix of the path, so a folder under drive_c becomes "C:\..." and others "Z:\...".
  /// Empty when no drive reaches the path.
  std::string ToWindowsPath(const std::string& host_path) const;

  /// The Windows directory of the prefix, as a program in it sees it.
  std::string WindowsDirectory() const { return "C:\\windows"; }
  /// The system directory; a 32-bit program in a 64-bit prefix is also told system32
  /// (file-system redirection happens behind that name).
  std::string SystemDirectory() const { return "C:\\windows\\system32"; }

 private:
  explicit Prefix(std::string dir) : dir_(std::move(dir)) {}
  std::string dir_;
  // Host folders found, by the Windows folder typed (drive letter and components, '\\'-joined).
  mutable std::unordered_map<std::string, std::string> folders_;
};

/// Compares two file names (UTF-8) as Windows does: ignoring case, the accented letters
/// of Windows-1252 included.
bool SameNameIgnoringCase(const std::string& a, const std::string& b);

/// The host path of the entry `name` (UTF-8) of a host folder: the exact name when it
/// exists, else the first entry in byte order equal to it ignoring case, else `name` as
/// given. Wine takes whichever its directory scan meets first; sorting keeps it stable.
std::string ChildPath(const std::string& host_folder, const std::string& name);

}  // namespace platform::wine
