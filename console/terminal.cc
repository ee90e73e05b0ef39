// The console front ends' shared rules.
// Portable: no Win32 here.
#include "console/terminal.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <iostream>
#include <streambuf>

#include "platform/encoding.h"
#include "tsl_version.h"

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

std::string VersionLine(const std::string& program) { return program + " " + TSL_VERSION; }

bool LocaleTakesUtf8(const char* lcAll, const char* lcCtype, const char* lang) {
  for (const char* name : {lcAll, lcCtype, lang}) {
    if (name == nullptr || *name == '\0') continue;
    std::string lower;
    for (const char* c = name; *c; ++c) {
      if (*c != '-') lower += static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    }
    return lower.find("utf8") != std::string::npos;
  }
  return true;
}

std::string PlainText(const std::string& utf8) {
  std::string plain;
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t code = 0;
    if (!platform::DecodeUtf8(utf8, &pos, &code)) code = U'?';
    switch (code) {
      case U'\u2713': plain += "[ok]"; break;
      case U'\u2717': plain += "[failed]"; break;
      case U'\u00AE': plain += "(R)"; break;
      default: plain += code < 0x80 ? static_cast<char>(code) : '?';
    }
  }
  return plain;
}

namespace {

// Passes ASCII through at once and holds a multi-byte sequence until it is whole, since a
// stream may hand it over byte by byte.
class PlainTextBuffer : public std::streambuf {
 public:
  explicit PlainTextBuffer(std::streambuf* target) : target_(target) {}

 protected:
  int_type overflow(int_type ch) override {
    if (traits_type::eq_int_type(ch, traits_type::eof())) return traits_type::not_eof(ch);
    const unsigned char byte = static_cast<unsigned char>(ch);
    if (!pending_.empty() && (byte & 0xC0) != 0x80) Emit();  // cut short: '?'
    pending_ += static_cast<char>(byte);
    if (pending_.size() >= SequenceLength(static_cast<unsigned char>(pending_[0]))) Emit();
    return ch;
  }
  int sync() override { return target_->pubsync(); }

 private:
  static std::size_t SequenceLength(unsigned char lead) {
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  }
  void Emit() {
    const std::string plain = PlainText(pending_);
    target_->sputn(plain.data(), static_cast<std::streamsize>(plain.size()));
    pending_.clear();
  }

  std::streambuf* target_;
  std::string pending_;
};

}  // namespace

void UsePlainTextUnlessUtf8() {
  if (LocaleTakesUtf8(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"), std::getenv("LANG"))) {
    return;
  }
  // Never freed: the streams flush through them until the very end of the program.
  for (std::ostream* stream : {&std::cout, &std::cerr, &std::clog}) {
    stream->rdbuf(new PlainTextBuffer(stream->rdbuf()));
  }
}

}  // namespace console
