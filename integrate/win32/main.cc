// TSLKTIntegrate.exe: the integration wizard as a Windows dialog program.

// windows.h first: the other Windows headers build on its types.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <string>
#include <vector>

#include "integrate/startup.h"
#include "integrate/strings.h"
#include "integrate/win32/integration_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  integrate_win32::WindowOwner owner(integrate_win32::ProgramBaseName());
  integrate::StartupRequest request;
  request.platform.writes_registry = true;
  request.args.assign(__argv + (__argc > 0 ? 1 : 0), __argv + __argc);
  // The same start-up as the console's: every write is read back, and each change is in the
  // journal before it is made, so tslkt-integrate --undo takes a window's run back too. The
  // journal starts with the first change; one that cannot be started refuses that change, so
  // the step fails before anything is changed.
  integrate::Session session;
  std::string error;
  switch (integrate::StartUp(request, owner, &session, &error)) {
    case integrate::StartupStatus::kStarted:
      break;
    case integrate::StartupStatus::kNoMachine:
      owner.ShowMessage(integrate::AsSentence(error), integrate::kMbOk);
      return 1;
    case integrate::StartupStatus::kRegistryUnreadable:
      owner.ShowMessage(
          integrate::AsSentence(integrate::FormatText(integrate::kStrConsoleRegistryUnreadable, error)),
          integrate::kMbOk);
      return 1;
    case integrate::StartupStatus::kNoLibrary:
      return 0;
    case integrate::StartupStatus::kBadInstallDir:
      owner.ShowMessage(integrate::FormatText(integrate::kStrWindowBadInstallDir,
                                              integrate::AsSentence(error), session.installDir()),
                        integrate::kMbOk);
      return 0;
  }

  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);

  integrate_win32::IntegrationWindow window(session.installDir(), session.record().services(),
                                            owner);
  window.SetRunObserver([&](integrate::IntegrationDialog::RunResult) {
    std::string reason;
    if (!session.journal()->Finish(false, &reason)) {
      owner.ShowMessage(integrate::FormatText(integrate::kStrWindowJournalNotWritten, reason),
                        integrate::kMbOk);
    }
  });
  window.RunModal(instance);
  return 0;
}
