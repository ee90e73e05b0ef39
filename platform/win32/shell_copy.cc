// The Win32 shell copy: one SHFileOperation that asks no questions.
#include <windows.h>
#include <shellapi.h>

#include "platform/win32/win32_services.h"

namespace platform {
namespace win32 {
namespace {

class Win32ShellCopy : public ShellCopy {
 public:
  bool Copy(const std::string& from, const std::string& to, std::string* error) override {
    // The shell takes lists of names, each NUL-terminated, the list ended by one more NUL.
    std::string from_list = from + '\0' + '\0';
    std::string to_list = to + '\0' + '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = nullptr;
    operation.wFunc = FO_COPY;
    operation.pFrom = from_list.c_str();
    operation.pTo = to_list.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
    int rc = SHFileOperationA(&operation);
    if (rc != 0) {
      if (error) {
        char code[16];
        snprintf(code, sizeof code, "0x%x", static_cast<unsigned>(rc));
        *error = "Cannot copy " + from + " to " + to + ": the shell reports " + code;
      }
      return false;
    }
    if (operation.fAnyOperationsAborted) {
      if (error) *error = "Copying " + from + " to " + to + " was cancelled";
      return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<ShellCopy> CreateShellCopy() { return std::make_unique<Win32ShellCopy>(); }

}  // namespace win32
}  // namespace platform
