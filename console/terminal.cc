// The console front ends' shared rules.
// Portable: no Win32 here.
#include "console/terminal.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>

#include "platform/encoding.h"

namespace console {

std::string WinePrefix(const std::optional<std::string>& given) {
  if (given) return *given;
  if (const char* env = std::getenv("WINEPREFIX"); env && *env) return env;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.wine";
}

bool PersonAtTerminal() { return isatty(0) && isatty(2); }

std::string Label(const std::string& text) {
  std::string label;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    label += text[i];
  }
  return label;
}

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

std::optional<bool> AskYesNo(std::istream& in, std::ostream& out, const std::string& question,
                             bool byDefault) {
  const std::string prompt = ConsoleText(question) + (byDefault ? " [Y/n] " : " [y/N] ");
  for (;;) {
    out << prompt;
    out.flush();
    std::string line;
    if (!std::getline(in, line)) {
      // Ends the prompt's line, so what follows starts on a line of its own.
      out << '\n';
      return std::nullopt;
    }
    // Blanks around the answer and a Windows console's CR do not count.
    const std::size_t first = line.find_first_not_of(" \t\r");
    std::string answer = first == std::string::npos
                             ? ""
                             : line.substr(first, line.find_last_not_of(" \t\r") + 1 - first);
    for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (answer.empty()) return byDefault;
    if (answer == "y" || answer == "yes") return true;
    if (answer == "n" || answer == "no") return false;
    out << "Please answer y or n.\n";
  }
}

}  // namespace console
