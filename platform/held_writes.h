// A run's file writes carried out step by step rather than file by file.
// Portable: no Win32 here.
#pragma once

#include <string>

namespace platform {

/// Holds the file replacements and journal appends a run makes until FlushHeldWrites, which
/// carries out a step's writes together: every flush costs a commit of the file system's own
/// journal, and a step replaces dozens of files. What the run reads meanwhile is what it
/// wrote; a file is still wholly old or wholly new, and a journal append still reaches the
/// disk before any change made after it. Defined per platform (a no-op where each write
/// flushes itself).
void HoldWrites();

/// Carries out the writes held so far and goes on holding: at the end of a step, and before
/// the run shows or does what must find them done. False with the reason when one failed.
[[nodiscard]] bool FlushHeldWrites(std::string* error);

/// Carries out the writes held so far and stops holding them.
[[nodiscard]] bool StopHoldingWrites(std::string* error);

}  // namespace platform
