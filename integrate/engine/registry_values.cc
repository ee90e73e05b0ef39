// The engine's two string reads of registry values: a fixed 260-byte buffer, or one that grows.
// Portable: no Win32 here.
#include "integrate/engine/registry_values.h"

#include <cstring>

namespace integrate {
namespace {

constexpr std::size_t kValueBuffer = 260;

// The buffer's text up to its first NUL, as the C string the value was read into.
std::string TextOf(const char* buffer, std::size_t size) {
  const void* nul = std::memchr(buffer, '\0', size);
  return std::string(buffer, nul ? static_cast<const char*>(nul) - buffer : size);
}

}  // namespace

bool ReadFixedString(platform::RegistryKey& key, const std::string& name, std::string* value) {
  char buffer[kValueBuffer] = {};
  std::size_t size = sizeof(buffer);
  if (key.QueryString(name, buffer, &size) != platform::RegResult::kOk) return false;
  *value = TextOf(buffer, size);
  return true;
}

std::string FolderOfInstallValue(const std::string& value) {
  const std::size_t slash = value.rfind('\\');
  return slash == std::string::npos ? std::string() : value.substr(0, slash);
}

}  // namespace integrate
