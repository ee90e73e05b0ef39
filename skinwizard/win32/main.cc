// TSLKTSkinWizard: the skin project wizard in a window of our own host.
#include <windows.h>

#include <string>

#include "platform/platform.h"
#include "skinwizard/win32/wizard_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  platform::Platform services;
  std::string error;
  if (!platform::CreatePlatform(platform::PlatformOptions(), &services, &error)) {
    MessageBoxA(nullptr, error.c_str(), skinwizard::kWizardWindowTitle, MB_OK | MB_ICONSTOP);
    return 1;
  }
  char folder[MAX_PATH];
  DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
  std::string location = length > 0 && length < MAX_PATH ? std::string(folder, length) : "C:\\";
  return skinwizard::RunWizardWindow(services, location) ? 0 : 1;
}
