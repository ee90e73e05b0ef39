// The Win32 registry service: keys opened and string values read and written through the API.
#include <cstring>
#include <limits>

#include "platform/win32/win32_services.h"

namespace platform {
namespace win32 {
namespace {

class Win32RegistryKey : public RegistryKey {
 public:
  Win32RegistryKey(HKEY key, std::string display) : key_(key), display_(std::move(display)) {}
  ~Win32RegistryKey() override { RegCloseKey(key_); }

  RegResult QueryString(const std::string& name, char* buffer, std::size_t* size) override {
    std::size_t capacity = buffer == nullptr ? 0 : *size;
    DWORD length = capacity > std::numeric_limits<DWORD>::max() ? std::numeric_limits<DWORD>::max()
                                                                : static_cast<DWORD>(capacity);
    // A null data pointer would make the call succeed with the size only, so an empty
    // buffer is read as a zero-sized one.
    char none = 0;
    LONG rc = RegQueryValueExA(key_, name.c_str(), nullptr, nullptr,
                               reinterpret_cast<BYTE*>(capacity == 0 ? &none : buffer), &length);
    if (rc == ERROR_FILE_NOT_FOUND) return RegResult::kNotFound;
    if (rc == ERROR_MORE_DATA) {
      *size = length;
      return RegResult::kMoreData;
    }
    if (rc != ERROR_SUCCESS) return RegResult::kError;
    // A string written without its NUL comes back without one; callers read the buffer as
    // a C string, so the terminator is added here and counted in the size.
    if (length == 0 || buffer[length - 1] != '\0') {
      if (length + 1 > capacity) {
        *size = static_cast<std::size_t>(length) + 1;
        return RegResult::kMoreData;
      }
      buffer[length++] = '\0';
    }
    *size = length;
    return RegResult::kOk;
  }

  bool SetString(const std::string& name, const std::string& value, std::string* error) override {
    LONG rc =
        RegSetValueExA(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    if (rc == ERROR_SUCCESS) rc = RegFlushKey(key_);
    if (rc != ERROR_SUCCESS) {
      *error = Failure("Cannot write \"" + name + "\" in " + display_, rc);
      return false;
    }
    return true;
  }

 private:
  HKEY key_;
  std::string display_;
};

class Win32Registry : public Registry {
 public:
  std::unique_ptr<RegistryKey> OpenKey(RootKey root, const std::string& path, KeyAccess access,
                                       std::string* error) override {
    // The IDEs are 32-bit programs: on 64-bit Windows their HKLM keys live in the 32-bit
    // view, which a 64-bit build reaches only when it asks for it.
    HKEY hive = root == RootKey::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    REGSAM sam = access == KeyAccess::kAll ? KEY_ALL_ACCESS : KEY_READ;
    if (root == RootKey::kLocalMachine) sam |= KEY_WOW64_32KEY;
    std::string display =
        (root == RootKey::kLocalMachine ? "HKEY_LOCAL_MACHINE\\" : "HKEY_CURRENT_USER\\") + path;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(hive, path.c_str(), 0, sam, &key);
    if (rc != ERROR_SUCCESS) {
      *error = Failure("Cannot open " + display, rc);
      return nullptr;
    }
    return std::make_unique<Win32RegistryKey>(key, display);
  }

  bool CheckReadable(RootKey root, std::string* error) override {
    // Windows loads its hives itself; what can still fail is reading the root key (a
    // profile that did not load, a policy that denies it), which would otherwise look like
    // a missing library or IDE.
    HKEY hive = root == RootKey::kLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    REGSAM sam = KEY_READ;
    if (root == RootKey::kLocalMachine) sam |= KEY_WOW64_32KEY;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(hive, "", 0, sam, &key);
    if (rc == ERROR_SUCCESS) {
      DWORD subkeys = 0;
      rc = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                            nullptr, nullptr, nullptr, nullptr);
      RegCloseKey(key);
    }
    if (rc != ERROR_SUCCESS) {
      *error = Failure("Cannot read " + RootKeyName(root), rc);
      return false;
    }
    return true;
  }

  // Windows keeps its hives itself; a key opened for writing is the only check there is, and
  // OpenKey makes it.
  bool CheckWritable(RootKey /*root*/, std::string* /*error*/) override { return true; }
};

}  // namespace

std::unique_ptr<Registry> CreateRegistry() { return std::make_unique<Win32Registry>(); }

}  // namespace win32
}  // namespace platform
