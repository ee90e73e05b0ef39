// Portable: no Win32 here.
#pragma once

#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/help2.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell_copy.h"
#include "platform/version_resources.h"

namespace platform {

/// Every service the system reaches the machine through, chosen once at start-up.
struct Platform {
  std::unique_ptr<Registry> registry;
  std::unique_ptr<FileSystem> files;
  std::unique_ptr<Processes> processes;
  std::unique_ptr<VersionResources> versions;
  std::unique_ptr<ShellCopy> shell;
  std::unique_ptr<Help2Service> help2;
};

/// What start-up knows that a platform may need.
struct PlatformOptions {
  /// The Wine prefix folder (Unix path) the Wine implementation works on; Win32 ignores it.
  std::string wine_prefix;
  /// The program will write the registry: refuse at start-up when it could not, rather
  /// than fail half-way (a Wine prefix whose wineserver runs would undo the writes).
  bool writes_registry = false;
};

/// Builds the services of this build's platform; false with the reason in *error (for
/// example a Wine prefix that does not exist). Defined once per platform.
bool CreatePlatform(const PlatformOptions& options, Platform* out, std::string* error);

}  // namespace platform
