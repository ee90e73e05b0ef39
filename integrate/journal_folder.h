// Where the journals live and which is the last run's.
// Portable: no Win32 here.
#pragma once

#include <string>

#include "platform/platform.h"

namespace integrate {

/// The file in the journal folder that names the last finished run's journal.
extern const char kLastJournalName[];

/// Where the journals live: "<Local AppData>\Quorvane\Tessaline\Journals", from the user's
/// shell folders (inside the prefix on Linux).
[[nodiscard]] bool JournalFolder(platform::Platform& platform, std::string* folder,
                                 std::string* error);

/// The path of the last run's journal: the newest in the journal folder, so that of a run
/// killed before it could name itself in last.txt too.
[[nodiscard]] bool LastJournal(platform::Platform& platform, std::string* path,
                               std::string* error);

}  // namespace integrate
