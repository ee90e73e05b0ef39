// tslkt-skinwizard's entry: one run from its arguments, and the help text.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

#include "skinwizard/console/console_pages.h"
#include "skinwizard/console/exit_status.h"

namespace skinwizard {

/// Runs tslkt-skinwizard with its arguments (after the program name, as typed: UTF-8, or
/// ANSI from a Windows command line); an ExitStatus. Terminal text is UTF-8.
int RunSkinWizardConsole(const std::vector<std::string>& args, ConsoleStreams io);

/// The text of --help.
std::string SkinWizardConsoleHelp();

}  // namespace skinwizard
