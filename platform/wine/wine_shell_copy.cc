// The shell's folder copy as a recursive copy over a Wine prefix's drives.
// A Wine prefix seen from Linux: no Wine code runs here.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/encoding.h"
#include "platform/windows_path.h"
#include "platform/wine/wine_files.h"
#include "platform/wine/wine_services.h"

namespace platform::wine {
namespace {

// "C:\src\" names the folder "C:\src"; a drive's root keeps its backslash.
std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

bool IsWildcard(const std::string& name) { return name.find_first_of("*?") != std::string::npos; }

// Matches a file name against a shell pattern ignoring case; "*.*" takes every name,
// those without a dot too, as the shell's own matching does.
bool MatchesPattern(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  const std::u16string n = Utf8ToUtf16(name);
  const std::u16string p = AnsiToUtf16(pattern);
  std::size_t ni = 0, pi = 0, star = std::u16string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == u'?' || SameNameIgnoringCase(Utf16ToUtf8(n.substr(ni, 1)),
                                                                Utf16ToUtf8(p.substr(pi, 1))))) {
      ++ni, ++pi;
    } else if (pi < p.size() && p[pi] == u'*') {
      star = pi++, mark = ni;
    } else if (star != std::u16string::npos) {
      pi = star + 1, ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == u'*') ++pi;
  return pi == p.size();
}

std::vector<std::string> SortedEntries(const std::string& folder, bool* ok) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  *ok = dir != nullptr;
  if (!dir) return names;
  while (dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// The canonical form of a path that may not exist yet: its nearest existing ancestor
// resolved, the rest appended.
std::string Canonical(const std::string& path) {
  std::string head = path, tail;
  for (;;) {
    char resolved[PATH_MAX];
    if (realpath(head.c_str(), resolved)) return resolved + tail;
    const std::size_t slash = head.rfind('/');
    if (slash == std::string::npos || slash == 0) return path;
    tail = head.substr(slash) + tail;
    head.resize(slash);
  }
}

bool IsSameOrInside(const std::string& inner, const std::string& outer) {
  const std::string a = Canonical(inner), b = Canonical(outer);
  return a == b || a.rfind(b + "/", 0) == 0;
}

class WineShellCopy : public ShellCopy {
 public:
  explicit WineShellCopy(std::shared_ptr<const Prefix> prefix) : prefix_(std::move(prefix)) {}

  bool Copy(const std::string& from, const std::string& to, std::string* error) override {
    // Checked whole before the first file is copied, so a refused source leaves nothing behind.
    if (!CheckMapped(from, error) || !CopyMapped(from, to, error)) {
      *error = "Cannot copy " + from + " to " + to + ": " + *error;
      return false;
    }
    return true;
  }

  bool CheckSource(const std::string& from, std::string* error) override {
    if (!CheckMapped(from, error)) {
      *error = "Cannot copy " + from + ": " + *error;
      return false;
    }
    return true;
  }

 private:
  using Identity = std::pair<dev_t, ino_t>;

  bool CheckMapped(const std::string& from, std::string* error) {
    const std::string source = WithoutTrailingSeparators(from);
    const std::string last = FileName(source);
    const bool wildcard = IsWildcard(last);
    std::string host;
    if (!prefix_->ToHostPath(wildcard ? ParentPath(source) : source, &host, error)) return false;
    struct stat st;
    if (stat(host.c_str(), &st) != 0) {
      *error = "the source does not exist";
      return false;
    }
    if (wildcard && !S_ISDIR(st.st_mode)) {
      *error = "the source is not a folder";
      return false;
    }
    if (!S_ISDIR(st.st_mode)) return CheckEntry(host, st, nullptr, error);
    std::vector<Identity> inside{{st.st_dev, st.st_ino}};
    return CheckFolder(host, wildcard ? last : "*", &inside, error);
  }

  // Walks a folder the copy will read. `inside` holds the folders being copied around this one,
  // by identity: a link to any of them would be copied inside itself without end.
  bool CheckFolder(const std::string& host, const std::string& pattern,
                   std::vector<Identity>* inside, std::string* error) {
    bool ok;
    const std::vector<std::string> names = SortedEntries(host, &ok);
    if (!ok) {
      *error = Shown(host) + " cannot be read: " + std::strerror(errno);
      return false;
    }
    for (const std::string& name : names) {
      if (!MatchesPattern(name, pattern)) continue;
      const std::string path = host + "/" + name;
      struct stat st;
      if (stat(path.c_str(), &st) != 0) {
        // A dangling link, or a chain of links too long to follow.
        *error = Shown(path) + " cannot be read: " + std::strerror(errno);
        return false;
      }
      if (!CheckEntry(path, st, inside, error)) return false;
    }
    return true;
  }

  bool CheckEntry(const std::string& path, const struct stat& st, std::vector<Identity>* inside,
                  std::string* error) {
    if (S_ISDIR(st.st_mode)) {
      const Identity id{st.st_dev, st.st_ino};
      if (std::find(inside->begin(), inside->end(), id) != inside->end()) {
        *error = Shown(path) + " leads back into a folder being copied";
        return false;
      }
      inside->push_back(id);
      const bool ok = CheckFolder(path, "*", inside, error);
      inside->pop_back();
      return ok;
    }
    // A pipe or a device would block the copy or never end; Wine's shell skips them unseen.
    if (!S_ISREG(st.st_mode)) {
      *error = Shown(path) + " is neither a file nor a folder";
      return false;
    }
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      *error = Shown(path) + " cannot be read: " + std::strerror(errno);
      return false;
    }
    close(fd);
    return true;
  }

  bool CopyMapped(const std::string& from, const std::string& to, std::string* error) {
    const std::string source = WithoutTrailingSeparators(from);
    const std::string last = FileName(source);
    const bool wildcard = IsWildcard(last);
    std::string source_host, target_host;
    if (!prefix_->ToHostPath(wildcard ? ParentPath(source) : source, &source_host, error) ||
        !prefix_->ToHostPath(to, &target_host, error)) {
      return false;
    }
    struct stat st;
    if (stat(source_host.c_str(), &st) != 0) {
      // The shell under Wine reports success for "missing\*.*" having copied nothing; a
      // caller must learn that its files were not copied.
      *error = "the source does not exist";
      return false;
    }
    if (wildcard) {
      if (!S_ISDIR(st.st_mode)) {
        *error = "the source is not a folder";
        return false;
      }
      return CopyMatching(source_host, last, target_host, error);
    }
    struct stat target;
    const bool target_exists = stat(target_host.c_str(), &target) == 0;
    if (target_exists && S_ISDIR(target.st_mode)) {
      // An existing destination folder receives the source under the name as typed, as the
      // shell under Wine names it (a differently-cased existing entry is merged into).
      target_host = ChildPath(target_host, AnsiToUtf8(last));
    } else if (target_exists && S_ISDIR(st.st_mode)) {
      *error = "the destination is a file";
      return false;
    }
    if (!S_ISDIR(st.st_mode)) return CopyHostFile(source_host, target_host, true, error);
    if (IsSameOrInside(target_host, source_host)) {
      *error = "the destination lies inside the source folder";
      return false;
    }
    return MakeFolder(target_host, error) && CopyMatching(source_host, "*", target_host, error);
  }

  // Copies the entries of a folder that match `pattern` into `target`, creating it (and
  // its parents) once there is something to copy; folders merge, files are replaced.
  bool CopyMatching(const std::string& source, const std::string& pattern,
                    const std::string& target, std::string* error) {
    bool ok;
    const std::vector<std::string> names = SortedEntries(source, &ok);
    if (!ok) {
      *error = Shown(source) + ": " + std::strerror(errno);
      return false;
    }
    bool made = false;
    for (const std::string& name : names) {
      if (!MatchesPattern(name, pattern)) continue;
      const std::string from = source + "/" + name;
      struct stat st;
      if (stat(from.c_str(), &st) != 0) {  // gone since the check
        *error = Shown(from) + " cannot be read: " + std::strerror(errno);
        return false;
      }
      if (S_ISDIR(st.st_mode) && IsSameOrInside(target, from)) {
        *error = "the destination lies inside the source folder";
        return false;
      }
      if (!made && !MakeFolder(target, error)) return false;
      made = true;
      const std::string to = ChildPath(target, name);
      if (S_ISDIR(st.st_mode)) {
        if (!MakeFolder(to, error) || !CopyMatching(from, "*", to, error)) return false;
      } else if (!CopyHostFile(from, to, true, error)) {
        *error = Shown(to) + ": " + *error;
        return false;
      }
    }
    return true;
  }

  bool MakeFolder(const std::string& host, std::string* error) {
    struct stat st;
    if (stat(host.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) return true;
      *error = Shown(host) + " is a file";
      return false;
    }
    const std::size_t slash = host.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolder(host.substr(0, slash), error)) {
      return false;
    }
    if (mkdir(host.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = Shown(host) + ": " + std::strerror(errno);
      return false;
    }
    return true;
  }

  // A host path as the messages name it: in the drive form the caller speaks.
  std::string Shown(const std::string& host) const {
    const std::string windows = prefix_->ToWindowsPath(host);
    return windows.empty() ? Utf8ToAnsi(host) : windows;
  }

  std::shared_ptr<const Prefix> prefix_;
};

}  // namespace

std::unique_ptr<ShellCopy> NewWineShellCopy(std::shared_ptr<const Prefix> prefix) {
  return std::make_unique<WineShellCopy>(std::move(prefix));
}

}  // namespace platform::wine
