// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/server_lock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

}  // namespace

bool FindRunningServer(const std::string& prefix_dir, ServerStatus* status,
                       std::string* error) {
  *status = ServerStatus();
  struct stat st;
  if (::stat(prefix_dir.c_str(), &st) != 0) {
    if (error) *error = "cannot examine the Wine prefix " + prefix_dir + ": " + std::strerror(errno);
    return false;
  }
  char server_dir[64];
  std::snprintf(server_dir, sizeof server_dir, "server-%llx-%llx",
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));

  std::vector<std::string> roots;
  roots.push_back("/tmp/.wine-" + std::to_string(::getuid()));
  std::string name = ReadServerDirName(prefix_dir);
  if (!name.empty()) {
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir && *tmpdir && std::string(tmpdir) != "/tmp") roots.push_back(tmpdir + ("/" + name));
    roots.push_back("/tmp/" + name);
  }
  for (const std::string& root : roots) {
    std::string lock = root + "/" + server_dir + "/lock";
    int fd = ::open(lock.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) continue;
    struct flock fl = {};
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = 0;
    fl.l_len = 1;
    int r = ::fcntl(fd, F_GETLK, &fl);
    ::close(fd);
    if (r == 0 && fl.l_type != F_UNLCK) {
      status->running = true;
      status->pid = static_cast<long>(fl.l_pid);
      status->lock_path = lock;
      return true;
    }
  }
  return true;
}

std::string ServerRunningMessage(const std::string& prefix_dir, const ServerStatus& status) {
  return "a wineserver (pid " + std::to_string(status.pid) + ") is running for the Wine prefix " +
         prefix_dir +
         " and would overwrite the change with its own copy of the registry; close the "
         "Windows programs of the prefix or run `WINEPREFIX=" + prefix_dir +
         " wineserver -k`, then try again";
}

}  // namespace platform::wine
