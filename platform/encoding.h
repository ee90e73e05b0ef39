// Portable: no Win32 here.
#pragma once

#include <string>

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

/// Upper-cases an ANSI text as the platform's multibyte-aware upper-casing does in
/// Windows-1252 (letters with accents included).
std::string AnsiToUpper(const std::string& ansi);

}  // namespace platform
