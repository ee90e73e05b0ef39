// A Wine prefix seen from Linux: no Wine code runs here.
#pragma once

#include <string>

namespace platform::wine {

/// What the lock of a prefix's wineserver says. A running server keeps the whole registry
/// in memory and writes it back every 30 s and when it exits, so a change written to the
/// files behind its back is lost: the registry may only be written while none runs.
struct ServerStatus {
  bool running = false;
  long pid = 0;           // the server's process id, when running
  std::string lock_path;  // the lock file that shows it
};

/// Looks for the wineserver of a prefix folder. A server holds an fcntl write lock on byte 0
/// of `lock` in its folder server-<dev>-<inode> (of the prefix folder, in hex): upstream
/// Wine keeps that folder in /tmp/.wine-<uid>/, Debian's Wine in /tmp/<name>/ (or under
/// $TMPDIR) where <name> is the content of the prefix's file `wineserver`. False with the
/// reason when the prefix folder cannot be examined.
bool FindRunningServer(const std::string& prefix_dir, ServerStatus* status,
                       std::string* error);

/// The message for a write refused because a server runs: names the prefix and says what
/// to do.
std::string ServerRunningMessage(const std::string& prefix_dir, const ServerStatus& status);

}  // namespace platform::wine
