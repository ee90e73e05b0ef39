// The integration program's message boxes and questions on a terminal.
// Portable: no Win32 here.
#include "integrate/console/console_owner.h"

#include <cctype>

#include "integrate/strings.h"

namespace integrate {

ConsoleOwner::ConsoleOwner(std::string caption, std::istream& in, std::ostream& err,
                           bool interactive)
    : caption_(std::move(caption)), in_(in), err_(err), interactive_(interactive) {}

int ConsoleOwner::ShowMessage(const std::string& text, unsigned flags) {
  err_ << caption_ << ": " << ConsoleText(text) << '\n';
  if ((flags & kMbOkCancel) == 0) return kIdOk;
  if (!interactive_) {
    err_ << caption_ << ": " << LoadText(kStrConsoleNoTerminalCancel) << '\n';
    err_.flush();
    return kIdCancel;
  }
  return Ask(LoadText(kStrConsoleOkOrCancel), 'o', 'c') ? kIdOk : kIdCancel;
}

void ConsoleOwner::Beep(unsigned) {
  if (interactive_) err_ << '\a' << std::flush;
}

bool ConsoleOwner::AskYesNo(const std::string& question) {
  return console::AskYesNo(in_, err_, question, true).value_or(false);
}

bool ConsoleOwner::Ask(const std::string& prompt, char yes, char no) {
  for (;;) {
    err_ << prompt;
    err_.flush();
    std::string answer;
    if (!std::getline(in_, answer)) return false;
    const char c = answer.empty()
                       ? '\0'
                       : static_cast<char>(std::tolower(static_cast<unsigned char>(answer[0])));
    if (c == yes) return true;
    if (c == no) return false;
  }
}

}  // namespace integrate
