// The Win32 platform: its services made at start-up, the COM apartment and Windows error texts.
#include <objbase.h>

#include "platform/com.h"
#include "platform/platform.h"
#include "platform/win32/win32_services.h"

namespace platform {

// The Win32 services need nothing from start-up: the machine itself is the target.
bool CreatePlatform(const PlatformOptions& /*options*/, Platform* out, std::string* /*error*/) {
  out->registry = win32::CreateRegistry();
  out->files = win32::CreateFileSystem();
  out->processes = win32::CreateProcesses();
  out->versions = win32::CreateVersionResources();
  out->shell = win32::CreateShellCopy();
  out->help2 = win32::CreateHelp2Service();
  return true;
}

namespace {

class Win32ComApartment : public ComApartment {
 public:
  Win32ComApartment() : entered_(SUCCEEDED(CoInitialize(nullptr))) {}
  // Only a successful CoInitialize is balanced; a failed one left nothing to release.
  ~Win32ComApartment() override {
    if (entered_) CoUninitialize();
  }

 private:
  bool entered_;
};

}  // namespace

std::unique_ptr<ComApartment> EnterComApartment() { return std::make_unique<Win32ComApartment>(); }

namespace win32 {

std::string ErrorText(DWORD code) {
  char* text = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string result;
  if (length != 0 && text != nullptr) {
    result.assign(text, length);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' ||
                               result.back() == ' ' || result.back() == '.')) {
      result.pop_back();
    }
  }
  if (text != nullptr) LocalFree(text);
  if (result.empty()) result = "error";
  return result + " (" + std::to_string(code) + ")";
}

std::string Failure(const std::string& what, DWORD code) { return what + ": " + ErrorText(code); }

}  // namespace win32
}  // namespace platform
