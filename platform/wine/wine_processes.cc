// The running processes of this Linux machine from /proc, and the OS version the prefix claims.
// A Wine prefix seen from Linux: no Wine code runs here.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

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

class WineProcesses : public Processes {
 public:
  explicit WineProcesses(OsVersion version) : version_(version) {}

  std::vector<std::string> RunningImageNames() override {
    std::vector<std::string> names;
    DIR* proc = opendir("/proc");
    if (!proc) return names;
    while (dirent* entry = readdir(proc)) {
      if (!AllDigits(entry->d_name)) continue;
      // A process that ended during the scan leaves nothing to read; skip it.
      const std::string name = ImageName(std::string("/proc/") + entry->d_name);
      if (!name.empty()) names.push_back(name);
    }
    closedir(proc);
    return names;
  }

  OsVersion GetOsVersion() override { return version_; }

 private:
  OsVersion version_;
};

// "6.1" from the prefix's CurrentVersion; Windows 7 (Wine's default) when it is unreadable.
OsVersion PrefixOsVersion(Registry* registry) {
  OsVersion version{2, 6, 1};
  if (!registry) return version;
  auto key = registry->OpenKey(RootKey::kLocalMachine,
                               "Software\\Microsoft\\Windows NT\\CurrentVersion", KeyAccess::kRead);
  char buffer[260];
  std::size_t size = sizeof(buffer);
  if (!key || key->QueryString("CurrentVersion", buffer, &size) != RegResult::kOk || size == 0) {
    return version;
  }
  buffer[size - 1] = '\0';
  char* end = nullptr;
  const unsigned long major = std::strtoul(buffer, &end, 10);
  if (end == buffer || *end != '.') return version;
  const char* minor_text = end + 1;
  const unsigned long minor = std::strtoul(minor_text, &end, 10);
  if (end == minor_text) return version;
  return OsVersion{2, major, minor};
}

}  // namespace

std::unique_ptr<Processes> NewWineProcesses(Registry* registry) {
  return std::make_unique<WineProcesses>(PrefixOsVersion(registry));
}

}  // namespace platform::wine
