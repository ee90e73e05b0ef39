// A Wine prefix folder and its mapping of Windows paths to host paths, as Wine resolves them.
// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/prefix.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/encoding.h"

namespace platform::wine {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// Splits a path on either separator and resolves "." and ".." lexically, as Windows
// normalises a full path before any lookup; ".." at the root stays at the root.
std::vector<std::string> NormalizedComponents(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = start;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const std::string part = path.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = end + 1;
  }
  return parts;
}

// A 32-bit program in a 64-bit prefix sees C:\windows\syswow64 under the name system32,
// except for the few folders Wine (like Windows) leaves shared.
bool IsRedirectedSystemPath(const std::vector<std::string>& parts) {
  if (parts.size() < 2 || !SameNameIgnoringCase(parts[0], "windows") ||
      !SameNameIgnoringCase(parts[1], "system32")) {
    return false;
  }
  if (parts.size() == 2) return true;
  for (const char* shared : {"catroot", "catroot2", "driverstore", "logfiles", "spool"}) {
    if (SameNameIgnoringCase(parts[2], shared)) return false;
  }
  return !(parts.size() > 3 && SameNameIgnoringCase(parts[2], "drivers") &&
           SameNameIgnoringCase(parts[3], "etc"));
}

std::string CurrentDirectory() {
  std::vector<char> buffer(4096);
  while (!getcwd(buffer.data(), buffer.size())) {
    if (errno != ERANGE) return "/";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.data();
}

char16_t FoldCase(char16_t unit) {
  if (unit < 0x80) return static_cast<char16_t>(std::toupper(unit));
  bool lossless = false;
  const std::string ansi = Utf16ToAnsi(std::u16string(1, unit), &lossless);
  return lossless ? AnsiToUtf16(AnsiToUpper(ansi))[0] : unit;
}

}  // namespace

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  const std::u16string wide_a = Utf8ToUtf16(a);
  const std::u16string wide_b = Utf8ToUtf16(b);
  if (wide_a.size() != wide_b.size()) return false;
  for (std::size_t i = 0; i < wide_a.size(); ++i) {
    if (wide_a[i] != wide_b[i] && FoldCase(wide_a[i]) != FoldCase(wide_b[i])) return false;
  }
  return true;
}

std::string ChildPath(const std::string& host_folder, const std::string& name) {
  const std::string exact = host_folder + "/" + name;
  struct stat st;
  if (lstat(exact.c_str(), &st) == 0) return exact;
  DIR* dir = opendir(host_folder.c_str());
  if (!dir) return exact;
  std::vector<std::string> matches;
  while (dirent* entry = readdir(dir)) {
    if (SameNameIgnoringCase(entry->d_name, name)) matches.push_back(entry->d_name);
  }
  closedir(dir);
  if (matches.empty()) return exact;
  return host_folder + "/" + *std::min_element(matches.begin(), matches.end());
}

bool Prefix::Open(const std::string& dir, std::shared_ptr<const Prefix>* out, std::string* error) {
  std::string absolute = dir;
  if (absolute.empty()) {
    *error = "No Wine prefix was given.";
    return false;
  }
  if (absolute[0] != '/') absolute = CurrentDirectory() + "/" + absolute;
  while (absolute.size() > 1 && absolute.back() == '/') absolute.pop_back();
  struct stat st;
  if (stat(absolute.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = "The Wine prefix " + dir + " is not a folder.";
    return false;
  }
  struct stat reg, devices;
  const bool has_registry = stat((absolute + "/system.reg").c_str(), &reg) == 0;
  const bool has_devices =
      stat((absolute + "/dosdevices").c_str(), &devices) == 0 && S_ISDIR(devices.st_mode);
  if (!has_registry && !has_devices) {
    *error =
        "The folder " + dir + " is not a Wine prefix (it has neither system.reg nor dosdevices).";
    return false;
  }
  out->reset(new Prefix(absolute));
  return true;
}

bool Prefix::ToHostPath(const std::string& windows_path, std::string* host_path,
                        std::string* error) const {
  if (!IsDrivePath(windows_path)) {
    *error = "The path \"" + windows_path + "\" has no drive letter.";
    return false;
  }
  const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windows_path[0])));
  std::vector<std::string> parts = NormalizedComponents(windows_path.substr(2));
  // A run looks up hundreds of paths in a few folders, and matching each component costs a
  // lookup of the whole path so far. A folder found once is taken again while it still is one:
  // names this run creates resolve to the folders found, and a folder removed is looked up anew.
  // keys[i] names the folder of the drive and the first i components, as typed.
  std::vector<std::string> keys(parts.size() + 1, std::string(1, drive));
  for (std::size_t i = 0; i < parts.size(); ++i) keys[i + 1] = keys[i] + "\\" + parts[i];
  // Below C:\windows\system32 a folder leads to syswow64 or not by what lies below it.
  const bool system = drive == 'c' && parts.size() >= 2 && SameNameIgnoringCase(parts[0], "windows") &&
                      SameNameIgnoringCase(parts[1], "system32");
  const std::size_t deepest = system ? 1 : parts.size();
  std::string result;
  std::size_t next = 0;  // the first component not yet matched
  struct stat st;
  for (std::size_t i = deepest + 1; i-- > 0 && result.empty();) {
    const auto known = folders_.find(keys[i]);
    if (known == folders_.end()) continue;
    if (stat(known->second.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
      result = known->second;
      next = i;
    } else {
      folders_.erase(known);
    }
  }
  bool folder_exists = true;
  const std::string drive_folder = dir_ + "/dosdevices/" + drive + ":";
  if (result.empty()) {
    result = drive_folder;
    if (stat(result.c_str(), &st) != 0) {
      *error = std::string("Drive ") + static_cast<char>(std::toupper(drive)) +
               ": is not mapped in the Wine prefix " + dir_ + ".";
      return false;
    }
    folder_exists = S_ISDIR(st.st_mode);
    if (folder_exists) folders_[keys[0]] = result;
  }
  if (next <= 1 && drive == 'c' && IsRedirectedSystemPath(parts)) {
    const std::string windows = ChildPath(drive_folder, "windows");
    if (stat(ChildPath(windows, "syswow64").c_str(), &st) == 0) parts[1] = "syswow64";
  }
  for (std::size_t i = next; i < parts.size(); ++i) {
    // Nothing below a missing component can exist, so the rest keeps the typed names.
    result = folder_exists ? ChildPath(result, AnsiToUtf8(parts[i]))
                           : result + "/" + AnsiToUtf8(parts[i]);
    if (!folder_exists || i + 1 == parts.size()) continue;
    folder_exists = stat(result.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    if (folder_exists && i + 1 <= deepest) folders_[keys[i + 1]] = result;
  }
  *host_path = result;
  return true;
}

std::string Prefix::ToWindowsPath(const std::string& host_path) const {
  const std::string absolute =
      !host_path.empty() && host_path[0] == '/' ? host_path : CurrentDirectory() + "/" + host_path;
  const std::vector<std::string> parts = NormalizedComponents(absolute);

  struct Drive {
    char letter;
    dev_t dev;
    ino_t ino;
  };
  std::vector<Drive> drives;
  for (char letter = 'a'; letter <= 'z'; ++letter) {
    struct stat st;
    if (stat((dir_ + "/dosdevices/" + letter + ":").c_str(), &st) == 0) {
      drives.push_back({letter, st.st_dev, st.st_ino});
    }
  }
  // Longest prefix first, then the lowest drive letter, as Wine's own lookup does; drives
  // are compared by device and inode so symbolic links in either path do not matter.
  for (std::size_t keep = parts.size() + 1; keep-- > 0;) {
    std::string prefix;
    for (std::size_t i = 0; i < keep; ++i) prefix += "/" + parts[i];
    struct stat st;
    if (stat(prefix.empty() ? "/" : prefix.c_str(), &st) != 0) continue;
    for (const Drive& drive : drives) {
      if (drive.dev != st.st_dev || drive.ino != st.st_ino) continue;
      std::string rest;
      for (std::size_t i = keep; i < parts.size(); ++i) rest = JoinPath(rest, parts[i]);
      if (rest.empty()) rest = "\\";
      return std::string(1, static_cast<char>(std::toupper(drive.letter))) + ":" + Utf8ToAnsi(rest);
    }
  }
  return std::string();
}

}  // namespace platform::wine
