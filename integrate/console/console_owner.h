// The integration program's message boxes and questions on a terminal.
// Portable: no Win32 here.
#pragma once

#include <istream>
#include <ostream>
#include <string>

#include "console/terminal.h"
#include "integrate/owner.h"

namespace integrate {

/// The owner of the program's message boxes when it runs in a terminal or a script: boxes
/// are printed on the error stream, OK/Cancel questions are asked only when someone can
/// answer them, so an unattended run never waits on a running IDE.
class ConsoleOwner : public Owner {
 public:
  /// `caption` is the program file's base name; `interactive` says whether `in` is a
  /// terminal a person answers on.
  ConsoleOwner(std::string caption, std::istream& in, std::ostream& err, bool interactive);

  /// Prints the text (UTF-8, one line per line of the box); an OK/Cancel box asks on a
  /// terminal and answers Cancel without one.
  int ShowMessage(const std::string& text, unsigned flags) override;

  /// Rings the terminal bell; a script gets no bell characters in its logs.
  void Beep(unsigned type) override;

  /// A console has no cursor shape to change.
  void SetWaitCursor(bool) override {}

  /// Asks a yes/no question on the terminal, " [Y/n]" added: Enter alone means yes, the end
  /// of the input no.
  bool AskYesNo(const std::string& question);

 private:
  // Asks until an answer starts with `yes` or `no` (either case); the end of input is `no`.
  bool Ask(const std::string& prompt, char yes, char no);

  std::string caption_;
  std::istream& in_;
  std::ostream& err_;
  bool interactive_;
};

/// A box's ANSI text as UTF-8 terminal lines, by the rule both console programs share.
using console::ConsoleText;

}  // namespace integrate
