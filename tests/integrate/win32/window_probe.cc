// window_probe.exe: finds a window of another process under wine and reads or presses its
// controls, for the end-to-end test of TSLKTIntegrate.exe (messages that carry no pointer,
// or only text, cross processes).

// windows.h first: the other Windows headers build on its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum ExitStatus : int { kFound = 0, kNotFound = 1, kUsage = 2 };

std::string Utf8(const wchar_t* text) {
  char out[4096] = {};
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
  return out;
}

std::wstring Wide(const char* utf8) {
  wchar_t out[1024] = {};
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out, 1024);
  return out;
}

// A top-level dialog with this caption.
HWND FindDialog(const char* caption) { return FindWindowW(L"#32770", Wide(caption).c_str()); }

std::string Text(HWND window) {
  wchar_t text[2048] = {};
  GetWindowTextW(window, text, 2048);
  return Utf8(text);
}

// The list view's lines as "<mark> <text>", the mark a check mark for image 0 and a cross for
// image 1, as the console prints them. The item and its text buffer live in the list's process.
bool PrintLines(HWND list) {
  DWORD pid = 0;
  GetWindowThreadProcessId(list, &pid);
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return false;
  constexpr int kTextChars = 1024;
  const SIZE_T size = sizeof(LVITEMW) + kTextChars * sizeof(wchar_t);
  auto* remote = static_cast<char*>(
      VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
  bool ok = remote != nullptr;
  const long count = ok ? static_cast<long>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
  for (long i = 0; ok && i < count; ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(i);
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = kTextChars;
    wchar_t text[kTextChars] = {};
    ok = WriteProcessMemory(process, remote, &item, sizeof item, nullptr) &&
         SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote)) &&
         ReadProcessMemory(process, remote, &item, sizeof item, nullptr) &&
         ReadProcessMemory(process, remote + sizeof(LVITEMW), text, sizeof text - sizeof(wchar_t),
                           nullptr);
    if (ok)
      std::printf("%s %s\n", item.iImage == 1 ? "\xe2\x9c\x97" : "\xe2\x9c\x93",
                  Utf8(text).c_str());
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: window_probe find CAPTION | text CAPTION ID | click CAPTION ID |\n"
                 "       count CAPTION ID | lines CAPTION ID | end CAPTION ID | box CAPTION |\n"
                 "       rect CAPTION | about CAPTION\n");
    return kUsage;
  }
  const std::string verb = argv[1];
  HWND dialog = FindDialog(argv[2]);
  if (!dialog) return kNotFound;
  HWND control = argc > 3 ? GetDlgItem(dialog, std::atoi(argv[3])) : nullptr;
  if (verb == "find") return kFound;
  if (verb == "rect") {
    // The client area's top-left on the screen and its size, for sampling a screenshot.
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    RECT client{};
    GetClientRect(dialog, &client);
    std::printf("%ld %ld %ld %ld\n", origin.x, origin.y, client.right, client.bottom);
    return kFound;
  }
  if (verb == "about") {
    // The About command the program adds to its system menu (id 0x10), as a click there.
    PostMessageW(dialog, WM_SYSCOMMAND, 0x10, 0);
    return kFound;
  }
  if (verb == "box") {
    // A message box: its longest static text, then the buttons it has.
    std::string text;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      wchar_t name[32] = {};
      GetClassNameW(c, name, 32);
      if (_wcsicmp(name, L"Static") == 0 && Text(c).size() > text.size()) text = Text(c);
    }
    std::printf("%s\n", text.c_str());
    if (GetDlgItem(dialog, IDOK)) std::printf("OK\n");
    if (GetDlgItem(dialog, IDCANCEL)) std::printf("Cancel\n");
    return kFound;
  }
  if (!control) return kNotFound;
  if (verb == "text") {
    std::printf("%s\n", Text(control).c_str());
  } else if (verb == "click") {
    // Posted, so the probe never waits for what the click starts.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control));
  } else if (verb == "lines") {
    if (!PrintLines(control)) return kNotFound;
  } else if (verb == "end") {
    // Scrolls a list to its last line, which a full list hides behind its horizontal bar.
    const LRESULT count = SendMessageW(control, LVM_GETITEMCOUNT, 0, 0);
    if (count > 0) SendMessageW(control, LVM_ENSUREVISIBLE, static_cast<WPARAM>(count - 1), FALSE);
  } else if (verb == "count") {
    std::printf("%ld\n", static_cast<long>(SendMessageW(control, LVM_GETITEMCOUNT, 0, 0)));
  } else {
    return kUsage;
  }
  return kFound;
}
