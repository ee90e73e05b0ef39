// The engine's two string reads of registry values: a fixed 260-byte buffer, or one that grows.
// Portable: no Win32 here.
#pragma once

#include <string>

#include "platform/registry.h"

namespace integrate {

/// Reads a string value into a 260-byte buffer without looking at its type, as the IDEs'
/// values are read; a value that does not fit fails like a missing one.
[[nodiscard]] bool ReadFixedString(platform::RegistryKey& key, const std::string& name,
                                   std::string* value);

/// The folder an IDE's install value names: the text before its last backslash, as the IDEs
/// cut it. A '/' is no separator here, so "C:/VS/Common7/IDE/" gives "" and counts as no
/// installation, as it does for the IDE.
std::string FolderOfInstallValue(const std::string& value);

}  // namespace integrate
