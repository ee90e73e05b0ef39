// The running processes and the OS version, abstract for the running-IDE check.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

namespace platform {

/// The parts of the OS version the process enumeration is chosen by.
struct OsVersion {
  unsigned long platform_id = 0;  ///< 1 for the Windows 9x family, 2 for NT.
  unsigned long major = 0;
  unsigned long minor = 0;
};

/// Running processes, abstract so the running-IDE check can be tested with any list.
class Processes {
 public:
  virtual ~Processes() = default;

  /// The image names of the running processes as the platform reports them (not
  /// upper-cased; a name may carry a full path). An enumeration that fails yields an empty
  /// list, so callers go ahead as if nothing runs.
  virtual std::vector<std::string> RunningImageNames() = 0;

  /// The OS version as the platform reports it.
  virtual OsVersion GetOsVersion() = 0;
};

}  // namespace platform
