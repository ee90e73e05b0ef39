// Conversions between Windows-1252, UTF-16 and UTF-8, and upper-casing as Windows-1252 does it.
// Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

/// The system's 8-bit texts are Windows-1252; .reg files hold UTF-16 code units, Unix
/// file names and the terminal UTF-8. These convert between them.

/// ANSI to UTF-16. Every byte maps (the five unassigned bytes map to U+0081 and so on).
std::u16string AnsiToUtf16(const std::string& ansi);

/// UTF-16 to ANSI; a character with no ANSI byte becomes '?' and clears *lossless.
std::string Utf16ToAnsi(const std::u16string& text, bool* lossless = nullptr);

/// ANSI to UTF-8.
std::string AnsiToUtf8(const std::string& ansi);

/// UTF-8 to ANSI; invalid sequences and characters with no ANSI byte become '?' and clear
/// *lossless.
std::string Utf8ToAnsi(const std::string& utf8, bool* lossless = nullptr);

/// UTF-8 to UTF-16; invalid sequences become U+FFFD and clear *valid.
std::u16string Utf8ToUtf16(const std::string& utf8, bool* valid = nullptr);

/// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

/// Whether a UTF-8 decoder takes an encoded surrogate (ED A0 80 and so on) as a code unit.
enum class Utf8Surrogates {
  kInvalid,  ///< UTF-8 as the standard says: such a sequence is invalid.
  kAccepted  ///< Wine writes any UTF-16 unit of a registry file so and reads it back as one.
};

/// Decodes one UTF-8 sequence at text[*pos] into *code and moves *pos past it. Overlong forms
/// and code points past U+10FFFF are invalid; false for an invalid sequence, of which one
/// byte is consumed, so each caller decides what a bad byte becomes.
[[nodiscard]] bool DecodeUtf8(std::string_view text, std::size_t* pos, char32_t* code,
                              Utf8Surrogates surrogates = Utf8Surrogates::kInvalid);

/// Appends a code point as one UTF-16 unit or a surrogate pair.
void AppendUtf16(char32_t code, std::u16string* out);

/// Upper-cases an ANSI text as the platform's multibyte-aware upper-casing does in
/// Windows-1252 (letters with accents included).
std::string AnsiToUpper(const std::string& ansi);

}  // namespace platform
