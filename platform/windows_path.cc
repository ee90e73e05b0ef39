// The Windows path toolkit: splits and joins on '\', '/' and the drive colon.
#include "platform/windows_path.h"

namespace platform {
namespace {

constexpr char kSeparators[] = "\\/";
constexpr char kNameEnds[] = "\\/:";

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

}  // namespace

std::string JoinPath(const std::string& folder, const std::string& name) {
  return EndsWithSeparator(folder) ? folder + name : folder + '\\' + name;
}

std::string ParentPath(const std::string& path) {
  const std::size_t slash = path.find_last_of(kSeparators);
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileName(const std::string& path) {
  const std::size_t end = path.find_last_of(kNameEnds);
  return end == std::string::npos ? path : path.substr(end + 1);
}

std::string Extension(const std::string& path) {
  const std::string name = FileName(path);
  const std::size_t dot = name.rfind('.');
  return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string DriveOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return std::string();
}

std::string WithTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path;
}

std::string WithoutTrailingBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && EndsWithSeparator(path) && !(path.size() == 3 && path[1] == ':')) {
    path.pop_back();
  }
  return path;
}

bool IsDrivePath(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return false;
  const char letter = path[0];
  return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}

bool IsWindowsFormPath(const std::string& path) {
  return IsDrivePath(path) || (!path.empty() && path[0] == '\\');
}

std::string FolderBeside(const std::string& path) {
  const std::string parent = ParentPath(path);
  if (parent.empty()) {
    return !path.empty() && (path[0] == '\\' || path[0] == '/') ? path.substr(0, 1) : ".";
  }
  if (parent.size() == 2 && IsDrivePath(parent)) return path.substr(0, 3);
  return parent;
}

}  // namespace platform
