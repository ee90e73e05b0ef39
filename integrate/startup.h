// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

#include "integrate/owner.h"
#include "platform/registry.h"

namespace integrate {

/// The install directory a "-p:DIR" or "/P:DIR" argument gives (the last one wins; "-p:"
/// alone gives ""); "" when no argument gives one. Arguments exclude the program name.
std::string InstallDirFromArguments(const std::vector<std::string>& args);

/// Where the library is installed: the argument, else the "InstallDir" value the library's
/// installer wrote under HKLM. False after message 31 when neither gives it; an empty
/// registry value is not an error (the dialog then disables OK).
bool LocateInstallDir(const std::vector<std::string>& args, platform::Registry& registry,
                      Owner& owner, std::string* installDir);

}  // namespace integrate
