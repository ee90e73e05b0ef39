// The Win32 version resources: a file's version block read and queried through the API.
#include <cstring>

#include "platform/win32/win32_services.h"

namespace platform {
namespace win32 {
namespace {

class Win32VersionInfo : public VersionInfo {
 public:
  explicit Win32VersionInfo(std::vector<char> block) : block_(std::move(block)) {}

  std::vector<Translation> Translations() override {
    std::vector<Translation> result;
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block_.data(), "\\VarFileInfo\\Translation", &data, &length) ||
        data == nullptr) {
      return result;
    }
    // Pairs of language and code page, 4 bytes each; a torn last pair is not one.
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (UINT at = 0; at + 4 <= length; at += 4) {
      Translation t;
      t.language = static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
      t.code_page = static_cast<std::uint16_t>(bytes[at + 2] | bytes[at + 3] << 8);
      result.push_back(t);
    }
    return result;
  }

  bool QueryString(const std::string& sub_block, std::string* value) override {
    void* data = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block_.data(), sub_block.c_str(), &data, &length) || data == nullptr) {
      return false;
    }
    // The length counts characters and may or may not include the NUL.
    const char* text = static_cast<const char*>(data);
    value->assign(text, strnlen(text, length));
    return true;
  }

 private:
  std::vector<char> block_;
};

class Win32VersionResources : public VersionResources {
 public:
  std::unique_ptr<VersionInfo> Load(const std::string& path) override {
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (size == 0) return nullptr;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.data())) return nullptr;
    return std::make_unique<Win32VersionInfo>(std::move(block));
  }
};

}  // namespace

std::unique_ptr<VersionResources> CreateVersionResources() {
  return std::make_unique<Win32VersionResources>();
}

}  // namespace win32
}  // namespace platform
