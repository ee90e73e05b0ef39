// The exit statuses of tslkt-skinwizard, in one place for the program, its help and its tests.
// Portable: no Win32 here.
#pragma once

namespace skinwizard {

/// Exit statuses of tslkt-skinwizard.
enum ExitStatus {
  kCreated = 0,  ///< the project was created (and --help, --version)
  kFailed = 1,   ///< it failed, or the creation was declined
  kRefused = 2,  ///< usage error or refused input (the skin-name message)
  kWouldOverwrite = 73,  ///< files of the project exist already; nothing was written
};

}  // namespace skinwizard
