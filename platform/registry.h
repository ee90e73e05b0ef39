// The registry service: the two hives, open keys, and their string values read and written.
// Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

/// The two hives the system touches.
enum class RootKey { kLocalMachine, kCurrentUser };

/// How a key is opened; kAll is needed before a value can be written.
enum class KeyAccess { kRead, kAll };

/// Outcome of a value read, so a caller can enlarge its buffer on kMoreData.
enum class RegResult { kOk, kNotFound, kMoreData, kError };

/// An open registry key; destroying it closes it.
class RegistryKey {
 public:
  virtual ~RegistryKey() = default;

  /// Reads a value's data into a caller-sized buffer without looking at its type, as the
  /// fixed 260-byte reads need. On entry *size is the buffer size in bytes; on kOk it is the
  /// number of bytes stored (terminating NUL included); on kMoreData it is the size needed
  /// and the buffer is left unspecified. Strings are ANSI (Windows-1252).
  [[nodiscard]] virtual RegResult QueryString(const std::string& name, char* buffer,
                                              std::size_t* size) = 0;

  /// Writes a string value (REG_SZ); false with the reason in *error. The value is stored
  /// for good when this returns true.
  [[nodiscard]] virtual bool SetString(const std::string& name, const std::string& value,
                                       std::string* error) = 0;
};

/// The registry, abstract so the integration and the wizard run without Windows.
class Registry {
 public:
  virtual ~Registry() = default;

  /// Opens an existing key; nullptr when it does not exist or cannot be opened, with the
  /// reason in *error. Paths use backslashes and compare case-insensitively.
  [[nodiscard]] virtual std::unique_ptr<RegistryKey> OpenKey(RootKey root, const std::string& path,
                                                             KeyAccess access,
                                                             std::string* error) = 0;

  /// Opens a key whose absence is an answer, not a failure (is an IDE installed?): the
  /// reason it cannot be opened is not wanted.
  [[nodiscard]] std::unique_ptr<RegistryKey> OpenKey(RootKey root, const std::string& path,
                                                     KeyAccess access) {
    std::string unwanted;
    return OpenKey(root, path, access, &unwanted);
  }

  /// Whether the hive can be read at all, so a damaged one is reported with its reason
  /// rather than taken for missing keys; false with the reason. Every registry answers for
  /// itself: a default "readable" would hide a damaged hive behind "not installed".
  [[nodiscard]] virtual bool CheckReadable(RootKey root, std::string* error) = 0;

  /// Whether a value written under `root` could be stored for good by this user (a hive file
  /// that may be replaced); false with the reason a real write would meet. A dry run asks
  /// before it records a write.
  [[nodiscard]] virtual bool CheckWritable(RootKey root, std::string* error) = 0;
};

/// Reads a string value of any length: 260 bytes first (most values fit), then the size the
/// registry asks for, with a byte to spare. The text ends at its first NUL; kNotFound or
/// kError when it cannot be read, and *value is then left as it was.
[[nodiscard]] RegResult ReadStringValue(RegistryKey& key, const std::string& name,
                                        std::string* value);

/// "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE", as the registry editor names a root.
std::string RootKeyName(RootKey root);

}  // namespace platform
