// Where the library is installed: the -p:DIR argument or the registry; what the folder may hold.
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

/// Whether the install folder can go into the places the integration writes it: the IDE
/// reads "Include Dirs" and the other lists as ';'-separated folders and hhcolreg.dat holds it
/// in a quoted XML attribute, so a ';', a '"' or a control character would turn it into other
/// folders or break the file. False with the reason, before anything is changed.
bool CheckInstallDir(const std::string& installDir, std::string* reason);

/// Where the library is installed: the argument, else the "InstallDir" value the library's
/// installer wrote under HKLM. False after message 31 when neither gives it; an empty
/// registry value is not an error (the dialog then disables OK).
bool LocateInstallDir(const std::vector<std::string>& args, platform::Registry& registry,
                      Owner& owner, std::string* installDir);

}  // namespace integrate
