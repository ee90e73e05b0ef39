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
  for (;;) {
    err_ << "[O]K or [C]ancel? ";
    err_.flush();
    std::string answer;
    if (!std::getline(in_, answer)) return kIdCancel;
    const char c = answer.empty() ? '\0' : static_cast<char>(std::tolower(
                                              static_cast<unsigned char>(answer[0])));
    if (c == 'o') return kIdOk;
    if (c == 'c') return kIdCancel;
  }
}

void ConsoleOwner::Beep(unsigned) {
  if (interactive_) err_ << '\a' << std::flush;
}

bool ConsoleOwner::AskYesNo(const std::string& question) {
  for (;;) {
    err_ << question << ' ';
    err_.flush();
    std::string answer;
    if (!std::getline(in_, answer)) return false;
    const char c = answer.empty() ? 'y' : static_cast<char>(std::tolower(
                                              static_cast<unsigned char>(answer[0])));
    if (c == 'y') return true;
    if (c == 'n') return false;
  }
}

}  // namespace integrate
