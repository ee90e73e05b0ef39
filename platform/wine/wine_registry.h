// A Wine prefix's registry as a 32-bit program sees it, kept in system.reg and user.reg.
// A Wine prefix seen from Linux: no Wine code runs here.
#pragma once

#include <memory>
#include <string>

#include "platform/registry.h"

namespace platform::wine {

/// The registry of a Wine prefix read and written in its files, as a 32-bit program in the
/// prefix sees it: HKLM is <prefix>/system.reg (through Wow6432Node in a 64-bit prefix),
/// HKCU is <prefix>/user.reg. A file is read when first needed and again whenever it changed
/// on disk. A write saves its file at once and atomically, and is refused while a wineserver
/// runs for the prefix, since the server would overwrite it. Keys opened from it may outlive
/// the returned object.
std::unique_ptr<Registry> NewWineRegistry(const std::string& prefix_dir);

/// Whether the hive of `root` holds the key `path` under exactly that name, no view applied:
/// the 64-bit view's keys too. Read through the copy `registry` (made by NewWineRegistry)
/// already holds, so a large system.reg is not read again; false for any other registry.
bool HiveHoldsKey(Registry& registry, RootKey root, const std::string& path);

}  // namespace platform::wine
