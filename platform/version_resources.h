// Version resources: a file's version block, its translations and its strings.
// Portable: no Win32 here.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

/// One entry of "\VarFileInfo\Translation".
struct Translation {
  std::uint16_t language = 0;
  std::uint16_t code_page = 0;
};

/// The version information block of one file.
class VersionInfo {
 public:
  virtual ~VersionInfo() = default;

  /// The translation table; empty when the block has none.
  virtual std::vector<Translation> Translations() = 0;

  /// A string of the block by its sub-block path, for example
  /// "\StringFileInfo\040904b0\FileVersion"; false when absent.
  [[nodiscard]] virtual bool QueryString(const std::string& sub_block, std::string* value) = 0;
};

/// Version resources, abstract so the service-pack check runs on any file.
class VersionResources {
 public:
  virtual ~VersionResources() = default;

  /// The version block of a file; nullptr when the file is missing or has none (the
  /// platform reports a size of 0).
  [[nodiscard]] virtual std::unique_ptr<VersionInfo> Load(const std::string& path) = 0;
};

}  // namespace platform
