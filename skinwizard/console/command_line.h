// tslkt-skinwizard's options: what the command line and an answers file set.
// Portable: no Win32 here.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace skinwizard {

/// The options of one run; texts of the project in ANSI, paths for the host as typed.
struct Options {
  std::string project;
  std::optional<std::string> location, skinName, author, company, email, url, prefix;
  std::optional<int> comments;                      // 0 yes, 1 no
  std::optional<int> look;                          // 0 Office 2000, 1 Office XP
  std::optional<int> commonDir;                     // 1 yes, 0 no
  std::optional<std::vector<std::string>> methods;  // canonical names to select
  std::optional<std::string> answers, saveAnswers;  // files, paths as typed
  bool force = false;
  bool yes = false;
  bool help = false;
  bool version = false;
  bool dryRun = false;
};

/// Reads the command line (after the program name) into `options`; false with the message.
[[nodiscard]] bool ParseArguments(const std::vector<std::string>& args, Options* options,
                                  std::string* error);

/// Sets the option `flag` ("--look") names to `value`, as the command line or an answers
/// file gives it; false with the message.
[[nodiscard]] bool ApplyOption(const std::string& flag, const std::string& value,
                               Options* options, std::string* error);

/// A typed argument or answer as ANSI: text that is not valid UTF-8 is taken as ANSI
/// already (a Windows command line); valid UTF-8 by the window's rule (TypedToAnsi).
[[nodiscard]] bool ArgToAnsi(const std::string& arg, std::string* ansi, std::string* error);

/// The canonical names of the overridable methods, in the Advanced dialog's order.
std::vector<std::string> MethodNames();

/// ASCII letters in lower case, for answers that ignore case.
std::string Lower(std::string text);

}  // namespace skinwizard
