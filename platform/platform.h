// The platform: every service the system reaches the machine through, made once at start-up.
// Portable: no Win32 here.
#pragma once

#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/help2.h"
#include "platform/help2_handover.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell_copy.h"
#include "platform/version_resources.h"

namespace platform {

/// Every service the system reaches the machine through, chosen once at start-up.
struct Platform {
  /// What the platform holds for the run's length (a Wine prefix's lock against other writers);
  /// declared first so it is released after every service is gone.
  std::shared_ptr<void> held;
  std::unique_ptr<Registry> registry;
  std::unique_ptr<FileSystem> files;
  std::unique_ptr<Processes> processes;
  std::unique_ptr<VersionResources> versions;
  std::unique_ptr<ShellCopy> shell;
  std::unique_ptr<Help2Service> help2;
  /// Null where the Help 2 service is reached directly (Windows) or the step is never handed
  /// over.
  std::unique_ptr<Help2HandOver> help2_handover;
};

/// What start-up knows that a platform may need.
struct PlatformOptions {
  /// The Wine prefix folder (Unix path) the Wine implementation works on; Win32 ignores it.
  std::string wine_prefix;
  /// The program will write the registry: refuse at start-up when it could not, rather
  /// than fail half-way (a Wine prefix whose wineserver runs would undo the writes).
  bool writes_registry = false;
  /// The program takes defaults from the registry: over a Wine prefix the files may be older
  /// than what a running wineserver holds, so refuse at start-up rather than use stale values.
  bool reads_current_registry = false;
  /// The Windows build of this program (a Unix path) that a Wine prefix platform hands the
  /// Help 2 step to; a bare file name is looked for beside the running program. Empty: the
  /// step is never handed over. Only a platform that writes the registry hands it over.
  std::string windows_build = {};
};

/// Builds the services of this build's platform; false with the reason in *error (for
/// example a Wine prefix that does not exist). Defined once per platform.
[[nodiscard]] bool CreatePlatform(const PlatformOptions& options, Platform* out,
                                  std::string* error);

}  // namespace platform
