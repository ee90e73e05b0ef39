// The temporary drive of the Windows builds: a folder under the temporary directory.
#include "tests/support/temp_drive.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "platform/windows_path.h"

namespace testing_support {
namespace {

void MakeParents(const std::string& path) {
  for (std::string::size_type i = 3; i < path.size(); ++i) {
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  }
}

void RemoveTree(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

TempDrive::TempDrive() {
  char temp[MAX_PATH + 1];
  DWORD length = GetTempPathA(sizeof temp, temp);
  if (length == 0 || length > MAX_PATH) throw std::runtime_error("no temporary folder");
  const std::string base = platform::WithoutTrailingBackslash(std::string(temp, length));
  static unsigned counter = 0;
  for (;;) {
    char name[64];
    snprintf(name, sizeof name, "\\tsl-test-%lx-%lx-%u", GetCurrentProcessId(), GetTickCount(),
             ++counter);
    root_ = base + name;
    if (CreateDirectoryA(root_.c_str(), nullptr)) break;
    if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create " + root_);
  }
  host_dir_ = root_;
  std::string error;
  if (!platform::CreatePlatform({}, &platform_, &error)) throw std::runtime_error(error);
}

TempDrive::~TempDrive() {
  if (held_) CloseHandle(held_);
  RemoveTree(host_dir_);
}

void TempDrive::WriteRaw(const std::string& relative, const std::string& bytes) {
  std::string path = Path(relative);
  MakeParents(path);
  FILE* file = fopen(path.c_str(), "wb");
  if (file == nullptr) throw std::runtime_error("cannot write " + path);
  size_t written = fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
  if (written != bytes.size()) throw std::runtime_error("cannot write " + path);
}

std::string TempDrive::ReadRaw(const std::string& relative, bool* exists) const {
  FILE* file = fopen(Path(relative).c_str(), "rb");
  if (exists) *exists = file != nullptr;
  if (file == nullptr) return std::string();
  std::string bytes;
  char chunk[4096];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  fclose(file);
  return bytes;
}

void TempDrive::SetReadOnlyRaw(const std::string& relative, bool read_only) {
  std::string path = Path(relative);
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) throw std::runtime_error("missing " + path);
  attributes = read_only ? (attributes | FILE_ATTRIBUTE_READONLY)
                         : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  SetFileAttributesA(path.c_str(), attributes);
}

// Wine makes no Unix link for a Windows program; a Windows link needs privileges tests lack.
bool TempDrive::LinkRaw(const std::string&, const std::string&) { return false; }

void TempDrive::MakeUnreadableRaw(const std::string& relative) {
  WriteRaw(relative, "held");
  if (held_) CloseHandle(held_);
  held_ = CreateFileA(Path(relative).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (held_ == INVALID_HANDLE_VALUE) {
    held_ = nullptr;
    throw std::runtime_error("cannot hold " + Path(relative));
  }
}

}  // namespace testing_support
