// The changes of a run as a person reads them: registry values old -> new, files as diffs.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

#include "platform/change_record.h"

namespace platform {

/// A unified diff of two texts with three lines of context, headed "--- name" and "+++ name"; CR LF
/// and LF both end a line. Empty when the texts are equal. Lines that are not common to the start
/// and the end form one hunk, which is exact for the insertions and replacements of a settings
/// file, and linear however big the file.
std::string UnifiedDiff(const std::string& name, const std::string& before,
                        const std::string& after);

/// Every change that changed something, one block each, in the order made (ANSI, lines ending in
/// LF):
///   HKEY_CURRENT_USER\Key  "Name"  then  old: "value" (or (none))  and  new: "value"
///   C:\path: new file, 130 bytes     or a unified diff against what is there
///   copy C:\from -> C:\to (new file, 1024 bytes | replaces 900 bytes)
///   C:\folder: new folder     or     C:\folder: folder removed
///   help registration: CreateTransaction("...")
std::string DescribeChanges(const std::vector<Change>& changes);

}  // namespace platform
