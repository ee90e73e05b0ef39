// A prefix's running wineserver found by its lock, and the lock a run holds on the prefix.
// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/server_lock.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

namespace platform::wine {

namespace {

// The name Debian's Wine keeps in <prefix>/wineserver: one folder name, nothing else.
std::string ReadServerDirName(const std::string& prefix_dir) {
  std::string name;
  FILE* f = std::fopen((prefix_dir + "/wineserver").c_str(), "r");
  if (!f) return name;
  char buf[256];
  std::size_t n = std::fread(buf, 1, sizeof buf, f);
  std::fclose(f);
  name.assign(buf, n);
  while (!name.empty() && (name.back() == '\n' || name.back() == '\r' || name.back() == ' ')) {
    name.pop_back();
  }
  if (name.empty() || name == "." || name == ".." ||
      name.find_first_of("/\n\r") != std::string::npos) {
    name.clear();
  }
  return name;
}

// A server locks byte 0 of its lock file for its whole life; our runs lock byte 1 among
// themselves, which no server looks at.
constexpr off_t kServerByte = 0;
constexpr off_t kRunByte = 1;

struct flock ByteRange(short type, off_t start) {
  struct flock fl = {};
  fl.l_type = type;
  fl.l_whence = SEEK_SET;
  fl.l_start = start;
  fl.l_len = 1;
  return fl;
}

// The lock files this process holds, with the descriptor it holds each through.
std::map<std::string, int>& HeldLocks() {
  static std::map<std::string, int> held;
  return held;
}

std::mutex& HeldLocksMutex() {
  static std::mutex mutex;
  return mutex;
}

// The descriptor this process holds `lock` through; -1 when it holds none.
int HeldFd(const std::string& lock) {
  std::lock_guard<std::mutex> guard(HeldLocksMutex());
  const auto found = HeldLocks().find(lock);
  return found == HeldLocks().end() ? -1 : found->second;
}

// server-<dev>-<inode> of the prefix folder, in hex, as Wine names it.
bool ServerFolderName(const std::string& prefix_dir, std::string* name, std::string* error) {
  struct stat st;
  if (::stat(prefix_dir.c_str(), &st) != 0) {
    *error = "cannot examine the Wine prefix " + prefix_dir + ": " + std::strerror(errno);
    return false;
  }
  char folder[64];
  std::snprintf(folder, sizeof folder, "server-%llx-%llx",
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  *name = folder;
  return true;
}

// Where a server of the prefix keeps its folder, the one this user's server would use first:
// Debian's named folder when the prefix names one, else upstream's /tmp/.wine-<uid>. With
// `every_user`, upstream's folders of all users follow.
std::vector<std::string> ServerRoots(const std::string& prefix_dir, bool every_user) {
  std::vector<std::string> roots;
  const std::string name = ReadServerDirName(prefix_dir);
  if (!name.empty()) {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir && *tmpdir && std::string(tmpdir) != "/tmp") roots.push_back(tmpdir + ("/" + name));
    roots.push_back("/tmp/" + name);
  }
  const std::string own = "/tmp/.wine-" + std::to_string(::getuid());
  roots.push_back(own);
  if (!every_user) return roots;
  if (DIR* tmp = ::opendir("/tmp")) {
    while (dirent* entry = ::readdir(tmp)) {
      const std::string entry_name = entry->d_name;
      if (entry_name.rfind(".wine-", 0) == 0 && "/tmp/" + entry_name != own) {
        roots.push_back("/tmp/" + entry_name);
      }
    }
    ::closedir(tmp);
  }
  return roots;
}

}  // namespace

bool FindRunningServer(const std::string& prefix_dir, ServerStatus* status, std::string* error) {
  *status = ServerStatus();
  std::string folder;
  if (!ServerFolderName(prefix_dir, &folder, error)) return false;
  for (const std::string& root : ServerRoots(prefix_dir, true)) {
    const std::string lock = root + "/" + folder + "/lock";
    // Closing any descriptor of a file drops every fcntl lock this process holds on it, so a
    // held one is asked through its own: that finds the server a run let in, never the run.
    const int held = HeldFd(lock);
    const int fd = held >= 0 ? held : ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    struct flock fl = ByteRange(F_WRLCK, kServerByte);
    const int r = ::fcntl(fd, F_GETLK, &fl);
    // A run of ours holds both bytes; it is no server, and Acquire waits for it.
    struct flock run = ByteRange(F_WRLCK, kRunByte);
    const bool ours = r == 0 && fl.l_type != F_UNLCK && ::fcntl(fd, F_GETLK, &run) == 0 &&
                      run.l_type != F_UNLCK && run.l_pid == fl.l_pid;
    if (held < 0) ::close(fd);
    if (r == 0 && fl.l_type != F_UNLCK && !ours) {
      status->running = true;
      status->pid = static_cast<long>(fl.l_pid);
      status->lock_path = lock;
      return true;
    }
  }
  return true;
}

PrefixLock::~PrefixLock() {
  std::lock_guard<std::mutex> guard(HeldLocksMutex());
  HeldLocks().erase(path_);
  ::close(fd_);
}

bool PrefixLock::Acquire(const std::string& prefix_dir, std::unique_ptr<PrefixLock>* out,
                         std::string* error) {
  // Another user's server, or one in a folder this user cannot lock, is only looked for.
  ServerStatus server;
  if (!FindRunningServer(prefix_dir, &server, error)) return false;
  if (server.running) {
    *error = ServerRunningMessage(prefix_dir, server);
    return false;
  }
  std::string folder;
  if (!ServerFolderName(prefix_dir, &folder, error)) return false;
  const std::string root = ServerRoots(prefix_dir, false).front();
  const std::string dir = root + "/" + folder;
  const std::string lock = dir + "/lock";
  // Wine wants both folders private to their user, and makes them so itself.
  for (const std::string& d : {root, dir}) {
    if (::mkdir(d.c_str(), 0700) != 0 && errno != EEXIST) {
      *error = "cannot make the wineserver folder " + d + ": " + std::strerror(errno);
      return false;
    }
  }
  const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    *error = "cannot open the wineserver lock " + lock + ": " + std::strerror(errno);
    return false;
  }
  struct flock ours = ByteRange(F_WRLCK, kRunByte);
  int r;
  while ((r = ::fcntl(fd, F_SETLKW, &ours)) != 0 && errno == EINTR) {
  }
  struct flock server_byte = ByteRange(F_WRLCK, kServerByte);
  if (r == 0 && ::fcntl(fd, F_SETLK, &server_byte) != 0) {
    // A server started while we waited.
    server_byte = ByteRange(F_WRLCK, kServerByte);
    ::fcntl(fd, F_GETLK, &server_byte);
    server.running = true;
    server.pid = static_cast<long>(server_byte.l_pid);
    server.lock_path = lock;
    *error = ServerRunningMessage(prefix_dir, server);
    ::close(fd);
    return false;
  }
  if (r != 0) {
    *error = "cannot lock " + lock + ": " + std::strerror(errno);
    ::close(fd);
    return false;
  }
  {
    std::lock_guard<std::mutex> guard(HeldLocksMutex());
    HeldLocks()[lock] = fd;
  }
  std::unique_ptr<PrefixLock> held(new PrefixLock(fd, lock, prefix_dir));
  // While this run waited, a server of another user or in another folder may have started.
  if (!FindRunningServer(prefix_dir, &server, error)) return false;
  if (server.running) {
    *error = ServerRunningMessage(prefix_dir, server);
    return false;
  }
  *out = std::move(held);
  return true;
}

void PrefixLock::LetServerIn() {
  struct flock server_byte = ByteRange(F_UNLCK, kServerByte);
  (void)::fcntl(fd_, F_SETLK, &server_byte);  // unlocking a byte this process holds cannot fail
}

bool PrefixLock::TakeBack(int wait_ms, std::string* error) {
  // A server lingers a few seconds after its last program ends. Debian's Wine may have put
  // its lock in another folder meanwhile, so the byte alone does not prove it gone.
  constexpr int kPollMs = 50;
  ServerStatus server;
  for (int waited = 0;; waited += kPollMs) {
    struct flock server_byte = ByteRange(F_WRLCK, kServerByte);
    if (::fcntl(fd_, F_SETLK, &server_byte) == 0) {
      if (!FindRunningServer(prefix_dir_, &server, error)) return false;
      if (!server.running) return true;
    } else {
      server_byte = ByteRange(F_WRLCK, kServerByte);
      (void)::fcntl(fd_, F_GETLK, &server_byte);  // only names the holder in the message
      server.running = true;
      server.pid = static_cast<long>(server_byte.l_pid);
      server.lock_path = path_;
    }
    if (waited >= wait_ms) {
      *error = ServerRunningMessage(prefix_dir_, server);
      return false;
    }
    ::usleep(kPollMs * 1000);
  }
}

namespace {

std::string ServerMessage(const std::string& prefix_dir, const ServerStatus& status,
                          const std::string& consequence) {
  return "a wineserver (pid " + std::to_string(status.pid) + ") is running for the Wine prefix " +
         prefix_dir + " and " + consequence +
         "; close the Windows programs of the prefix or run `WINEPREFIX=" + prefix_dir +
         " wineserver -k`, then try again";
}

}  // namespace

std::string ServerRunningMessage(const std::string& prefix_dir, const ServerStatus& status) {
  return ServerMessage(prefix_dir, status,
                       "would overwrite the change with its own copy of the registry");
}

std::string ServerHoldsNewerMessage(const std::string& prefix_dir, const ServerStatus& status) {
  return ServerMessage(prefix_dir, status,
                       "may hold newer registry values than the files the defaults are read from");
}

}  // namespace platform::wine
