// Texts a person typed on their way into the project's Windows-1252 texts.
// Portable: no Win32 here.
#include "skinwizard/typed_text.h"

#include <cstdio>

#include "platform/encoding.h"

namespace skinwizard {
namespace {

constexpr std::size_t kQuotedCharacters = 60;

std::string ByteEscape(unsigned char byte) {
  char escape[5];
  std::snprintf(escape, sizeof escape, "\\x%02X", byte);
  return escape;
}

}  // namespace

std::string QuoteTyped(const std::string& utf8) {
  std::string quoted = "'";
  std::size_t characters = 0;
  for (std::size_t pos = 0; pos < utf8.size(); ++characters) {
    if (characters == kQuotedCharacters) return quoted + "'...";
    const std::size_t start = pos;
    char32_t code = 0;
    if (!platform::DecodeUtf8(utf8, &pos, &code)) {
      quoted += ByteEscape(static_cast<unsigned char>(utf8[start]));
    } else if (code == '\n') {
      quoted += "\\n";
    } else if (code == '\r') {
      quoted += "\\r";
    } else if (code == '\t') {
      quoted += "\\t";
    } else if (code < 0x20 || code == 0x7F) {
      quoted += ByteEscape(static_cast<unsigned char>(code));
    } else {
      quoted.append(utf8, start, pos - start);
    }
  }
  return quoted + "'";
}

bool TypedToAnsi(const std::string& utf8, std::string* ansi, std::string* refusal) {
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t start = pos;
    char32_t code = 0;
    bool spelled = platform::DecodeUtf8(utf8, &pos, &code);
    const std::string character = utf8.substr(start, pos - start);
    if (spelled) platform::Utf8ToAnsi(character, &spelled);
    if (!spelled) {
      *refusal = QuoteTyped(utf8) + " holds " + QuoteTyped(character) +
                 ", which Windows-1252 cannot spell";
      return false;
    }
  }
  *ansi = platform::Utf8ToAnsi(utf8);
  return true;
}

std::string BreakLongWords(const std::string& text, std::size_t width) {
  std::string broken;
  std::size_t run = 0;  // characters since the last space or line end
  // Where a path in the run may be broken best: just after its last '\' or '/', so a file's
  // own name stays whole on the next line.
  std::size_t afterSeparator = std::string::npos;
  std::size_t sinceSeparator = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    char32_t code = 0;
    // A byte that is no UTF-8 (an ANSI letter) counts as one character.
    if (!platform::DecodeUtf8(text, &pos, &code)) code = 0;
    if (code == ' ' || code == '\n' || code == '\r' || code == '\t') {
      run = 0;
      afterSeparator = std::string::npos;
    } else {
      if (run == width) {
        if (afterSeparator != std::string::npos && sinceSeparator < width) {
          broken.insert(afterSeparator, "\n");
          run = sinceSeparator;
        } else {
          broken += '\n';
          run = 0;
        }
        afterSeparator = std::string::npos;
      }
      ++run;
      ++sinceSeparator;
    }
    broken.append(text, start, pos - start);
    if (code == '\\' || code == '/') {
      afterSeparator = broken.size();
      sinceSeparator = 0;
    }
  }
  return broken;
}

}  // namespace skinwizard
