// The Win32 shell copy: one SHFileOperation that asks no questions, its source read through
// first.
#include <windows.h>
#include <shellapi.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "platform/win32/win32_services.h"
#include "platform/windows_path.h"

namespace platform {
namespace win32 {
namespace {

// A file or folder by what it is, not by the path that reached it: the volume and the file
// index, which a link or junction leading to the same folder shares with it.
using Identity = std::tuple<DWORD, DWORD, DWORD>;

bool Identify(const std::string& path, Identity* id, DWORD* code) {
  // Backup semantics let a folder be opened; no access is asked, so nothing is locked.
  HANDLE handle =
      CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *code = GetLastError();
    return false;
  }
  BY_HANDLE_FILE_INFORMATION info = {};
  const bool ok = GetFileInformationByHandle(handle, &info) != FALSE;
  if (ok) {
    *id = Identity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
  } else {
    *code = GetLastError();
  }
  CloseHandle(handle);
  return ok;
}

bool Readable(const std::string& path, std::string* error) {
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    *error = Failure(path + " cannot be read", GetLastError());
    return false;
  }
  // Wine opens a Unix pipe or device as a file; the shell then fails on it part way.
  const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
  CloseHandle(handle);
  if (!disk) *error = path + " is neither a file nor a folder";
  return disk;
}

// Walks the entries `pattern` ("folder\*") finds. `inside` holds the folders being copied
// around them, by identity: a link to any of them would be copied inside itself without end.
bool CheckMatches(const std::string& pattern, std::vector<Identity>* inside, std::string* error) {
  const std::string folder = ParentPath(pattern);
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_NO_MORE_FILES) return true;
    *error = Failure(folder + " cannot be read", code);
    return false;
  }
  bool ok = true;
  do {
    const std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    const std::string path = JoinPath(folder, name);
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      ok = Readable(path, error);
      continue;
    }
    Identity id;
    DWORD code;
    if (!Identify(path, &id, &code)) {
      *error = Failure(path + " cannot be read", code);
      ok = false;
    } else if (std::find(inside->begin(), inside->end(), id) != inside->end()) {
      *error = path + " leads back into a folder being copied";
      ok = false;
    } else {
      inside->push_back(id);
      ok = CheckMatches(JoinPath(path, "*"), inside, error);
      inside->pop_back();
    }
  } while (ok && FindNextFileA(find, &data));
  FindClose(find);
  return ok;
}

// "folder\*.*": the folder's entries rather than the folder.
bool IsWildcard(const std::string& from) {
  return FileName(WithoutTrailingSeparators(from)).find_first_of("*?") != std::string::npos;
}

bool CheckPath(const std::string& from, std::string* error) {
  const std::string source = WithoutTrailingSeparators(from);
  const bool wildcard = IsWildcard(source);
  const std::string root = wildcard ? ParentPath(source) : source;
  const DWORD attributes = GetFileAttributesA(root.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    *error = "the source does not exist";
    return false;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    if (!wildcard) return Readable(root, error);
    *error = "the source is not a folder";
    return false;
  }
  Identity id;
  DWORD code;
  if (!Identify(root, &id, &code)) {
    *error = Failure(root + " cannot be read", code);
    return false;
  }
  std::vector<Identity> inside{id};
  return CheckMatches(wildcard ? source : JoinPath(root, "*"), &inside, error);
}

class Win32ShellCopy : public ShellCopy {
 public:
  bool CheckSource(const std::string& from, std::string* error) override {
    std::string reason;
    if (CheckPath(from, &reason)) return true;
    *error = "Cannot copy " + from + ": " + reason;
    return false;
  }

  bool Copy(const std::string& from, const std::string& to, std::string* error) override {
    // The shell follows a link back into the folder it copies until paths grow too long and
    // skips what it cannot read, reporting success: such a source is refused before the first
    // file is copied.
    std::string reason;
    if (!CheckPath(from, &reason)) {
      *error = "Cannot copy " + from + " to " + to + ": " + reason;
      return false;
    }
    const bool wildcard = IsWildcard(from);
    // The shell takes lists of names, each NUL-terminated, the list ended by one more NUL.
    std::string from_list = from + '\0' + '\0';
    std::string to_list = to + '\0' + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = nullptr;
    operation.wFunc = FO_COPY;
    operation.pFrom = from_list.c_str();
    operation.pTo = to_list.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    int rc = SHFileOperationA(&operation);
    if (rc != 0) {
      char code[16];
      snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(rc));
      *error = "Cannot copy " + from + " to " + to + ": the shell reports " + code;
      return false;
    }
    if (operation.fAnyOperationsAborted) {
      *error = "Copying " + from + " to " + to + " was cancelled";
      return false;
    }
    // The shell under wine reports success for a destination it could not create (one inside
    // a file), having copied nothing. A folder's contents may rightly make nothing.
    if (!wildcard && GetFileAttributesA(to.c_str()) == INVALID_FILE_ATTRIBUTES) {
      *error = "Cannot copy " + from + " to " + to + ": the shell made no " + to;
      return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<ShellCopy> CreateShellCopy() { return std::make_unique<Win32ShellCopy>(); }

}  // namespace win32
}  // namespace platform
