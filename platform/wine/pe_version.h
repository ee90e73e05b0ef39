// The PE version reader: a PE image's version resource found and its block parsed, without Wine.
// A Wine prefix seen from Linux: no Wine code runs here.
#pragma once

#include <memory>
#include <string>

#include "platform/version_resources.h"
#include "platform/wine/prefix.h"

namespace platform::wine {

/// Finds the version resource (RT_VERSION, id 1) in the bytes of a PE32 or PE32+ image
/// and copies its data to *block. Every offset is checked against the image, so a
/// truncated or hostile file yields false, never a read outside it.
[[nodiscard]] bool FindVersionResource(const std::string& image, std::string* block);

/// Reads a VS_VERSIONINFO block (the 32-bit, UTF-16 form) as VerQueryValueA does; nullptr
/// when the block's root is malformed. Children that overrun their parent are ignored.
[[nodiscard]] std::unique_ptr<VersionInfo> ParseVersionBlock(std::string block);

/// Version resources of the files on a Wine prefix's drives, read without Wine.
class PeVersionResources : public VersionResources {
 public:
  explicit PeVersionResources(std::shared_ptr<const Prefix> prefix) : prefix_(std::move(prefix)) {}

  [[nodiscard]] std::unique_ptr<VersionInfo> Load(const std::string& path) override;

 private:
  std::shared_ptr<const Prefix> prefix_;
};

}  // namespace platform::wine
