// Portable: no Win32 here.
#include "integrate/console/console_owner.h"

#include <cctype>

#include "platform/encoding.h"

namespace integrate {

ConsoleOwner::ConsoleOwner(std::string caption, std::istream& in, std::ostream& err,
                           bool interactive)
    : caption_(std::move(caption)), in_(in), err_(err), interactive_(interactive) {}

std::string ConsoleText(const std::string& ansi) {
  std::string text;
  for (std::size_t i = 0; i < ansi.size(); ++i) {
    if (ansi[i] == '\r') {
      text += '\n';
      if (i + 1 < ansi.size() && ansi[i + 1] == '\n') ++i;
    } else {
      text += ansi[i];
    }
  }
  return platform::AnsiToUtf8(text);
}

int ConsoleOwner::ShowMessage(const std::string& text, unsigned flags) {
  err_ << caption_ << ": " << ConsoleText(text) << '\n';
  if ((flags & kMbOkCancel) == 0) return kIdOk;
  if (!interactive_) {
    err_ << caption_ << ": no terminal to answer on: Cancel\n";
    err_.flush();
    return kIdCancel;
  }
  return Ask("[O]K or [C]ancel? ", 'o', 'c', '\0') ? kIdOk : kIdCancel;
}

void ConsoleOwner::Beep(unsigned) {
  if (interactive_) err_ << '\a' << std::flush;
}

bool ConsoleOwner::AskYesNo(const std::string& question) {
  return Ask(question + ' ', 'y', 'n', 'y');
}

bool ConsoleOwner::Ask(const std::string& prompt, char yes, char no, char empty) {
  for (;;) {
    err_ << prompt;
    err_.flush();
    std::string answer;
    if (!std::getline(in_, answer)) return false;
    const char c = answer.empty() ? empty
                                  : static_cast<char>(
                                        std::tolower(static_cast<unsigned char>(answer[0])));
    if (c == yes) return true;
    if (c == no) return false;
  }
}

}  // namespace integrate
