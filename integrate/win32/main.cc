// TSLKTIntegrate.exe: the integration wizard as a Windows dialog program.

// windows.h first: the other Windows headers build on its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
// clang-format on

#include <cstdlib>
#include <string>
#include <vector>

#include "integrate/journal.h"
#include "integrate/startup.h"
#include "integrate/strings.h"
#include "integrate/win32/integration_window.h"
#include "platform/change_record.h"
#include "platform/platform.h"

namespace {

// Help 2 registration needs COM for the program's whole life, also after the dialog is gone.
void ReleaseCom() { CoUninitialize(); }

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  CoInitialize(nullptr);
  std::atexit(&ReleaseCom);

  const std::vector<std::string> args(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
  integrate_win32::WindowOwner owner(integrate_win32::ProgramBaseName());

  platform::PlatformOptions options;
  options.writes_registry = true;
  platform::Platform real;
  std::string error;
  if (!platform::CreatePlatform(options, &real, &error)) {
    owner.ShowMessage(error, integrate::kMbOk);
    return 1;
  }
  // The same record as the console's: every write is read back, and the run's journal lets
  // tslkt-integrate --undo take a window's run back too.
  platform::ChangeRecord record(std::move(real), platform::ChangeRecord::Mode::kWrite);
  record.SetMismatchReporter(
      [&owner](const std::string& text) { owner.ShowMessage(text, integrate::kMbOk); });
  platform::Platform& services = record.services();

  std::string installDir;
  if (!integrate::LocateInstallDir(args, *services.registry, owner, &installDir)) return 0;
  if (!integrate::CheckInstallDir(installDir, &error)) {
    owner.ShowMessage(integrate::FormatText(integrate::kStrWindowBadInstallDir, error, installDir),
                      integrate::kMbOk);
    return 0;
  }

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  // Each change is in the journal before it is made; its first change starts it, and a
  // journal that cannot be started refuses that change, so the step fails before anything
  // is changed.
  integrate::JournalWriter journal(record.real(), installDir);
  record.SetSink(&journal);
  integrate_win32::IntegrationWindow window(installDir, services, owner);
  window.SetRunObserver([&](integrate::IntegrationDialog::RunResult) {
    std::string reason;
    if (!journal.Finish(false, &reason)) {
      owner.ShowMessage(integrate::FormatText(integrate::kStrWindowJournalNotWritten, reason),
                        integrate::kMbOk);
    }
  });
  window.RunModal(instance);
  return 0;
}
