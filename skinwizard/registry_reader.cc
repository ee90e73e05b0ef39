// The skin wizard's read-only registry accessor below HKEY_LOCAL_MACHINE.
// Portable: no Win32 here.
#include "skinwizard/registry_reader.h"

#include <vector>

#include "platform/windows_path.h"

namespace skinwizard {

bool RegistryReader::OpenKey(const std::string& path) {
  path_ = platform::WithoutTrailingBackslash(path);
  std::string full = current_.empty() ? path_ : current_ + "\\" + path_;
  std::unique_ptr<platform::RegistryKey> key =
      registry_.OpenKey(platform::RootKey::kLocalMachine, full, platform::KeyAccess::kRead);
  status_ = key != nullptr;
  if (!status_) return false;
  key_ = std::move(key);
  current_ = full;
  return true;
}

bool RegistryReader::ReadString(const std::string& value_name, std::string* out) {
  out->clear();
  if (!key_) {
    status_ = false;
    return false;
  }
  // First the size alone, then the data into a buffer one byte larger than asked for.
  std::size_t size = 0;
  platform::RegResult result = key_->QueryString(value_name, nullptr, &size);
  if (result == platform::RegResult::kOk) {
    status_ = true;  // a value of size zero
    return true;
  }
  if (result != platform::RegResult::kMoreData) {
    status_ = false;
    return false;
  }
  std::vector<char> buffer(size + 1, '\0');
  std::size_t capacity = buffer.size();
  result = key_->QueryString(value_name, buffer.data(), &capacity);
  status_ = result == platform::RegResult::kOk;
  if (status_) out->assign(buffer.data());  // up to the terminating NUL
  return status_;
}

}  // namespace skinwizard
