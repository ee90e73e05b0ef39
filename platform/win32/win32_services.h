// The Win32 implementations of the platform services. Only platform/win32 and the Windows
// tests include this header.
#pragma once

#include <windows.h>
// windows.h turns CopyFile into CopyFileA, which would rename FileSystem::CopyFile in the
// Win32 files alone.
#undef CopyFile

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/help2.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/shell_copy.h"
#include "platform/version_resources.h"

namespace platform {
namespace win32 {

/// The system's text for a Win32 error code, for the reason strings of the services.
std::string ErrorText(DWORD code);

/// `what` followed by the text of `code`, the form every reason string takes.
std::string Failure(const std::string& what, DWORD code);

/// Looks a function up in a library loaded at run time, typed as the caller declares it.
/// The copy avoids a cast between unrelated function pointer types.
template <typename Function>
Function LookUp(HMODULE library, const char* name) {
  FARPROC address = GetProcAddress(library, name);
  Function function;
  static_assert(sizeof function == sizeof address, "function pointers differ in size");
  memcpy(&function, &address, sizeof function);
  return function;
}

/// One maker per service, so the factory and the Win32-only tests build them alike.
std::unique_ptr<Registry> CreateRegistry();
std::unique_ptr<FileSystem> CreateFileSystem();
std::unique_ptr<Processes> CreateProcesses();
std::unique_ptr<VersionResources> CreateVersionResources();
std::unique_ptr<ShellCopy> CreateShellCopy();
std::unique_ptr<Help2Service> CreateHelp2Service();

/// The system directory as GetSystemDirectoryA gives it, without a trailing backslash.
std::string SystemDirectoryPath();

/// True on NT 3.x and 4.0, where the toolhelp functions are missing and the process status
/// library has to serve.
bool UsesPsapi(const OsVersion& version);

/// The two enumerations behind Processes::RunningImageNames, public so that tests can run
/// each of them on any system. false when the library or a function is missing or the
/// enumeration itself fails.
[[nodiscard]] bool EnumerateToolhelp(std::vector<std::string>* names);
[[nodiscard]] bool EnumeratePsapi(std::vector<std::string>* names);

}  // namespace win32
}  // namespace platform
