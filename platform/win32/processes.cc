// The Win32 running processes: the Toolhelp or the PSAPI enumeration, chosen by OS version.
#include <windows.h>
#include <tlhelp32.h>

#include "platform/win32/win32_services.h"
#include "platform/windows_path.h"

namespace platform {
namespace win32 {
namespace {

// The enumeration libraries are loaded by full path from the system directory, so a DLL of
// the same name beside the program or in the current folder is never picked up, and freed
// again before the enumeration returns.
class Library {
 public:
  explicit Library(const char* file_name)
      : module_(LoadLibraryA(JoinPath(SystemDirectoryPath(), file_name).c_str())) {}
  ~Library() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

// The record the toolhelp functions fill; its size field carries the structure's own size,
// which is 296 bytes in a 32-bit build.
#ifndef _WIN64
static_assert(sizeof(PROCESSENTRY32) == 296, "the toolhelp record of a 32-bit build");
#endif

using CreateSnapshotFunction = HANDLE(WINAPI*)(DWORD, DWORD);
using ProcessWalkFunction = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);
using EnumProcessesFunction = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
using EnumProcessModulesFunction = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, DWORD*);
using GetModuleBaseNameFunction = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);

class Win32Processes : public Processes {
 public:
  std::vector<std::string> RunningImageNames() override {
    std::vector<std::string> names;
    bool listed = UsesPsapi(GetOsVersion()) ? EnumeratePsapi(&names) : EnumerateToolhelp(&names);
    if (!listed) names.clear();
    return names;
  }

  OsVersion GetOsVersion() override {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    OsVersion version;
    if (GetVersionExA(&info)) {
      version.platform_id = info.dwPlatformId;
      version.major = info.dwMajorVersion;
      version.minor = info.dwMinorVersion;
    }
    return version;
  }
};

}  // namespace

bool UsesPsapi(const OsVersion& version) {
  return version.platform_id == VER_PLATFORM_WIN32_NT && (version.major == 3 || version.major == 4);
}

bool EnumerateToolhelp(std::vector<std::string>* names) {
  Library kernel("Kernel32.dll");
  if (kernel.Get() == nullptr) return false;
  auto create_snapshot = LookUp<CreateSnapshotFunction>(kernel.Get(), "CreateToolhelp32Snapshot");
  auto first = LookUp<ProcessWalkFunction>(kernel.Get(), "Process32First");
  auto next = LookUp<ProcessWalkFunction>(kernel.Get(), "Process32Next");
  if (create_snapshot == nullptr || first == nullptr || next == nullptr) return false;
  HANDLE snapshot = create_snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = first(snapshot, &entry); more; more = next(snapshot, &entry)) {
    names->push_back(
        std::string(entry.szExeFile, strnlen(entry.szExeFile, sizeof entry.szExeFile)));
  }
  CloseHandle(snapshot);
  return true;
}

bool EnumeratePsapi(std::vector<std::string>* names) {
  Library psapi("psapi.dll");
  if (psapi.Get() == nullptr) return false;
  auto enum_processes = LookUp<EnumProcessesFunction>(psapi.Get(), "EnumProcesses");
  auto enum_modules = LookUp<EnumProcessModulesFunction>(psapi.Get(), "EnumProcessModules");
  auto base_name = LookUp<GetModuleBaseNameFunction>(psapi.Get(), "GetModuleBaseNameA");
  if (enum_processes == nullptr || enum_modules == nullptr || base_name == nullptr) return false;
  DWORD ids[1024];
  DWORD bytes = 0;
  if (!enum_processes(ids, sizeof ids, &bytes)) return false;
  DWORD count = bytes / sizeof(DWORD);
  if (count > 1024) count = 1024;
  for (DWORD i = 0; i < count; ++i) {
    // Processes of other users usually refuse to open; they are skipped.
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
    if (process == nullptr) continue;
    char name[MAX_PATH] = "unknown";
    HMODULE module = nullptr;
    DWORD needed = 0;
    if (enum_modules(process, &module, sizeof module, &needed)) {
      // A name that cannot be read stays "unknown", which matches no image name.
      base_name(process, module, name, sizeof name);
      names->push_back(std::string(name, strnlen(name, sizeof name)));
    }
    CloseHandle(process);
  }
  return true;
}

std::unique_ptr<Processes> CreateProcesses() { return std::make_unique<Win32Processes>(); }

}  // namespace win32
}  // namespace platform
