// The running processes of this Linux machine from /proc, and the OS version the prefix claims.
// A Wine prefix seen from Linux: no Wine code runs here.
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

#include "platform/encoding.h"
#include "platform/windows_path.h"
#include "platform/wine/wine_services.h"

namespace platform::wine {
namespace {

// Plain reads: a process that ends while its /proc files are read makes read() fail with
// ESRCH, which a stream turns into an exception; here it is only an empty answer.
std::string ReadSmallFile(const std::string& path) {
  std::string text;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buffer, static_cast<std::size_t>(n));
  }
  close(fd);
  return text;
}

bool AllDigits(const char* name) {
  if (!*name) return false;
  for (; *name; ++name) {
    if (!std::isdigit(static_cast<unsigned char>(*name))) return false;
  }
  return true;
}

bool EndsWithIgnoringCase(const std::string& text, const char* suffix) {
  const std::string tail(suffix);
  return text.size() >= tail.size() &&
         AnsiToUpper(text.substr(text.size() - tail.size())) == AnsiToUpper(tail);
}

// Wine leaves the program's path as it was started in argv[0]: a Windows path
// ("C:\windows\system32\notepad.exe", from a shortcut or `start`) or a Unix one typed on a
// terminal ("./MSDEV.EXE"); comm holds only the first 15 bytes of the name.
std::string ImageName(const std::string& proc_dir) {
  const std::string cmdline = ReadSmallFile(proc_dir + "/cmdline");
  const std::string first = Utf8ToAnsi(cmdline.substr(0, cmdline.find('\0')));
  if ((first.size() > 2 && first[1] == ':' && (first[2] == '\\' || first[2] == '/')) ||
      first.rfind("\\\\", 0) == 0) {
    return first;
  }
  const std::string base = FileName(first);
  if (EndsWithIgnoringCase(base, ".exe") || EndsWithIgnoringCase(base, ".com")) return base;
  std::string comm = ReadSmallFile(proc_dir + "/comm");
  if (!comm.empty() && comm.back() == '\n') comm.pop_back();
  return Utf8ToAnsi(comm);
}

// The value of one variable in a /proc/<pid>/environ block; false when it is not set.
bool EnvironmentValue(const std::string& block, const std::string& name, std::string* value) {
  const std::string key = name + "=";
  for (std::size_t at = 0; at < block.size();) {
    const std::size_t end = std::min(block.find('\0', at), block.size());
    if (block.compare(at, key.size(), key) == 0) {
      *value = block.substr(at + key.size(), end - at - key.size());
      return true;
    }
    at = end + 1;
  }
  return false;
}

// Every Wine process runs one of Wine's loaders, whatever Windows program it holds: a Linux
// program that only carries a Windows name is no Windows process.
bool RunsWine(const std::string& proc_dir) {
  char target[4096];
  const ssize_t n = readlink((proc_dir + "/exe").c_str(), target, sizeof target - 1);
  if (n <= 0) return false;
  std::string loader = FileName(std::string(target, static_cast<std::size_t>(n)));
  // A loader replaced by an upgrade while the process runs.
  const std::string deleted = " (deleted)";
  if (loader.size() > deleted.size() &&
      loader.compare(loader.size() - deleted.size(), deleted.size(), deleted) == 0) {
    loader.resize(loader.size() - deleted.size());
  }
  return loader == "wine" || loader == "wine64" || loader == "wine-preloader" ||
         loader == "wine64-preloader";
}

// The prefix a Wine process runs in, as Wine picks it: WINEPREFIX, else ~/.wine of the
// process's HOME (of its user's home folder when HOME is unset). Wine refuses a relative one.
bool ProcessPrefix(const std::string& proc_dir, uid_t uid, std::string* prefix) {
  const std::string block = ReadSmallFile(proc_dir + "/environ");
  if (EnvironmentValue(block, "WINEPREFIX", prefix) && !prefix->empty()) {
    return (*prefix)[0] == '/';
  }
  std::string home;
  if (!EnvironmentValue(block, "HOME", &home) || home.empty()) {
    const passwd* user = getpwuid(uid);
    if (!user || !user->pw_dir) return false;
    home = user->pw_dir;
  }
  *prefix = home + "/.wine";
  return true;
}

class WineProcesses : public Processes {
 public:
  WineProcesses(OsVersion version, std::string prefix_dir)
      : version_(version), prefix_dir_(std::move(prefix_dir)) {}

  std::vector<std::string> RunningImageNames() override {
    std::vector<std::string> names;
    struct stat prefix;
    if (stat(prefix_dir_.c_str(), &prefix) != 0) return names;
    DIR* proc = opendir("/proc");
    if (!proc) return names;
    const uid_t uid = geteuid();
    while (dirent* entry = readdir(proc)) {
      if (!AllDigits(entry->d_name)) continue;
      const std::string dir = std::string("/proc/") + entry->d_name;
      // Only this user's Wine processes in this prefix: the same program in another prefix,
      // or a Linux program of that name, has nothing to do with the prefix's files. A
      // process that ended during the scan leaves nothing to read and is skipped.
      struct stat owner, theirs;
      std::string their_prefix;
      if (stat(dir.c_str(), &owner) != 0 || owner.st_uid != uid || !RunsWine(dir) ||
          !ProcessPrefix(dir, uid, &their_prefix) || stat(their_prefix.c_str(), &theirs) != 0 ||
          theirs.st_dev != prefix.st_dev || theirs.st_ino != prefix.st_ino) {
        continue;
      }
      const std::string name = ImageName(dir);
      if (!name.empty()) names.push_back(name);
    }
    closedir(proc);
    return names;
  }

  OsVersion GetOsVersion() override { return version_; }

 private:
  OsVersion version_;
  std::string prefix_dir_;
};

// "6.1" from the prefix's CurrentVersion; Windows 7 (Wine's default) when it is unreadable.
OsVersion PrefixOsVersion(Registry* registry) {
  OsVersion version{2, 6, 1};
  if (!registry) return version;
  auto key = registry->OpenKey(RootKey::kLocalMachine,
                               "Software\\Microsoft\\Windows NT\\CurrentVersion", KeyAccess::kRead);
  std::string text;
  if (!key || ReadStringValue(*key, "CurrentVersion", &text) != RegResult::kOk) return version;
  char* end = nullptr;
  const unsigned long major = std::strtoul(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '.') return version;
  const char* minor_text = end + 1;
  const unsigned long minor = std::strtoul(minor_text, &end, 10);
  if (end == minor_text) return version;
  return OsVersion{2, major, minor};
}

}  // namespace

std::unique_ptr<Processes> NewWineProcesses(Registry* registry, const std::string& prefix_dir) {
  return std::make_unique<WineProcesses>(PrefixOsVersion(registry), prefix_dir);
}

}  // namespace platform::wine
