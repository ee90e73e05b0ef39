// The skin wizard's read-only registry accessor below HKEY_LOCAL_MACHINE.
// Portable: no Win32 here.
#pragma once

#include <memory>
#include <string>

#include "platform/registry.h"

namespace skinwizard {

/// The wizard's small read-only registry accessor: a current key below HKEY_LOCAL_MACHINE
/// that successive opens descend from, and string reads sized by the registry itself.
class RegistryReader {
 public:
  explicit RegistryReader(platform::Registry& registry) : registry_(registry) {}

  /// Opens `path` below the current key (one trailing backslash dropped) and makes it
  /// current; on failure the previous key stays current and the result is false.
  [[nodiscard]] bool OpenKey(const std::string& path);

  /// Reads a value of the current key whatever its size; `out` is "" when the value is
  /// missing, unreadable or empty. True when the last registry call succeeded, so an empty
  /// value reads as true with "".
  [[nodiscard]] bool ReadString(const std::string& value_name, std::string* out);

  /// Whether the last registry call succeeded.
  bool LastStatus() const { return status_; }
  /// The sub-key path last given to OpenKey, trailing backslash dropped.
  const std::string& LastPath() const { return path_; }

 private:
  platform::Registry& registry_;
  std::unique_ptr<platform::RegistryKey> key_;  // null while HKEY_LOCAL_MACHINE is current
  std::string current_;                         // path of key_ below HKEY_LOCAL_MACHINE
  bool status_ = true;
  std::string path_;
};

}  // namespace skinwizard
