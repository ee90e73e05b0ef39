// tslkt-skinwizard's entry: the options, the exit statuses and the help text.
// Portable: no Win32 here.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace skinwizard {

/// Exit statuses of tslkt-skinwizard.
enum ConsoleStatus {
  kCreated = 0,
  kFailed = 1,
  kRefused = 2,  ///< usage error or refused input (the skin-name message)
  kWouldOverwrite = 73,
};

/// Where the console host talks; `interactive` when a person answers on a terminal.
struct ConsoleStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool interactive;
};

/// Runs tslkt-skinwizard with its arguments (after the program name, as typed: UTF-8, or
/// ANSI from a Windows command line). Terminal text is UTF-8.
int RunSkinWizardConsole(const std::vector<std::string>& args, ConsoleStreams io);

/// The text of --help.
std::string SkinWizardConsoleHelp();

}  // namespace skinwizard
