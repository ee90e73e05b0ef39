// The one read of a registry string value of any length, for every layer.
// Portable: no Win32 here.
#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {

RegResult ReadStringValue(RegistryKey& key, const std::string& name, std::string* value) {
  std::vector<char> buffer(260, '\0');
  // Another program may lengthen the value between the read that asked for its size and the
  // next one, so the registry may ask again; a few rounds settle any real race.
  for (int round = 0; round < 4; ++round) {
    std::size_t size = buffer.size();
    const RegResult result = key.QueryString(name, buffer.data(), &size);
    if (result == RegResult::kMoreData) {
      buffer.assign(size + 1, '\0');
      continue;
    }
    if (result != RegResult::kOk) return result;
    size = std::min(size, buffer.size());
    const void* nul = std::memchr(buffer.data(), '\0', size);
    value->assign(buffer.data(), nul ? static_cast<const char*>(nul) - buffer.data() : size);
    return RegResult::kOk;
  }
  return RegResult::kError;
}

std::string RootKeyName(RootKey root) {
  return root == RootKey::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

}  // namespace platform
