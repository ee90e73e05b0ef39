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
  std::size_t run = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t start = pos;
    char32_t code = 0;
    // A byte that is no UTF-8 (an ANSI letter) counts as one character.
    if (!platform::DecodeUtf8(text, &pos, &code)) code = 0;
    const bool breaks = code == ' ' || code == '\n' || code == '\r' || code == '\t';
    if (breaks) {
      run = 0;
    } else if (run++ == width) {
      broken += '\n';
      run = 1;
    }
    broken.append(text, start, pos - start);
  }
  return broken;
}

}  // namespace skinwizard
