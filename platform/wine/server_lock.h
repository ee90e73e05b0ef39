// A prefix's running wineserver found by its lock, and the lock a run holds on the prefix.
// A Wine prefix seen from Linux: no Wine code runs here.
#pragma once

#include <memory>
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
/// Wine keeps that folder in /tmp/.wine-<uid>/ (any user's server counts, where this user
/// may look), Debian's Wine in /tmp/<name>/ (or under $TMPDIR) where <name> is the content
/// of the prefix's file `wineserver`. A lock this process holds (PrefixLock) is no server.
/// False with the reason when the prefix folder cannot be examined.
[[nodiscard]] bool FindRunningServer(const std::string& prefix_dir, ServerStatus* status,
                                     std::string* error);

/// Holds a prefix for the length of a run's writes. It first waits while another run of
/// ours holds the prefix, so two runs never read and write the same files at once; then it
/// takes the lock a starting wineserver takes, so no server can start meanwhile and later
/// save its older copy of the registry over ours. The kernel drops both locks when the
/// process ends, a killed run included.
class PrefixLock {
 public:
  ~PrefixLock();
  PrefixLock(const PrefixLock&) = delete;
  PrefixLock& operator=(const PrefixLock&) = delete;

  /// False with the reason when a wineserver runs for the prefix (ServerRunningMessage) or
  /// the lock cannot be taken.
  [[nodiscard]] static bool Acquire(const std::string& prefix_dir, std::unique_ptr<PrefixLock>* out,
                                    std::string* error);

  /// Lets a wineserver start for the prefix, for a Windows program this run starts in it;
  /// other runs of ours still wait.
  void LetServerIn();

  /// Takes the prefix back once its wineserver has ended: the server writes the registry
  /// files when it ends, so only then are they whole. False with ServerRunningMessage when
  /// a server still runs after `wait_ms` milliseconds.
  [[nodiscard]] bool TakeBack(int wait_ms, std::string* error);

 private:
  PrefixLock(int fd, std::string path, std::string prefix_dir)
      : fd_(fd), path_(std::move(path)), prefix_dir_(std::move(prefix_dir)) {}
  int fd_;
  std::string path_;
  std::string prefix_dir_;
};

/// The message for a write refused because a server runs: names the prefix and says what
/// to do.
std::string ServerRunningMessage(const std::string& prefix_dir, const ServerStatus& status);

/// The message for a read refused because a server runs: its values may be newer than the
/// files'.
std::string ServerHoldsNewerMessage(const std::string& prefix_dir, const ServerStatus& status);

}  // namespace platform::wine
