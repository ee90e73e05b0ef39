// The Wine prefix's process list and shell copy, as the Wine platform makes them.
// A Wine prefix seen from Linux: no Wine code runs here.
#pragma once

#include <memory>
#include <string>

#include "platform/help2_handover.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell_copy.h"
#include "platform/wine/prefix.h"
#include "platform/wine/server_lock.h"

namespace platform::wine {

/// The Wine processes of this user running in the prefix (a Unix path), under their Windows
/// names. The OS version is the one the prefix's registry claims, read once here, so the
/// service does not depend on the registry object living on.
std::unique_ptr<Processes> NewWineProcesses(Registry* registry, const std::string& prefix_dir);

/// The shell's folder copy as a recursive copy over the prefix's drives.
std::unique_ptr<ShellCopy> NewWineShellCopy(std::shared_ptr<const Prefix> prefix);

/// The Windows build `windows_build` (a Unix path; a bare name is beside the running program)
/// run under `wine` in the prefix, the run's `lock` let go meanwhile. Whether the service is
/// there is read from `registry`, the prefix's own (NewWineRegistry), which outlives it.
std::unique_ptr<Help2HandOver> NewWineHelp2HandOver(Registry& registry,
                                                    const std::string& prefix_dir,
                                                    const std::string& windows_build,
                                                    std::shared_ptr<PrefixLock> lock);

}  // namespace platform::wine
