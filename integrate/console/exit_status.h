// tslkt-integrate's exit statuses, as its help text and man page tell them to scripts.
// Portable: no Win32 here.
#pragma once

namespace integrate {

/// What a script learns from tslkt-integrate's exit status; the numbers are a promise.
enum ExitStatus : int {
  kExitCompleted = 0,      ///< every chosen IDE completed; an undo put everything back
  kExitFailed = 1,         ///< an IDE, an undo item or the journal failed; a hive unreadable
  kExitUsage = 2,          ///< usage error, nothing chosen, not confirmed, no usable journal
  kExitNoLibrary = 3,      ///< the library's install directory is not known
  kExitInterrupted = 130,  ///< stopped by SIGINT or SIGTERM, as a shell reports Ctrl-C
};

}  // namespace integrate
