// Portable: no Win32 here.
#include "integrate/engine/paths.h"

namespace integrate {

std::string FileNameAndExtension(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/:");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DriveOf(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
  return std::string();
}

}  // namespace integrate
