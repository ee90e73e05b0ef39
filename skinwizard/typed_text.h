// Texts a person typed (UTF-8: a window's edit box, a command line, an answers file) on their
// way into the project's Windows-1252 texts, and as a message quotes them back.
// Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <string>

namespace skinwizard {

/// A typed text as a message quotes it, quotes included: at most its first 60 characters
/// (then "..."), line breaks, tabs and other control bytes (and bytes that are no UTF-8) as
/// escapes, so one message stays one readable line whatever the text held.
std::string QuoteTyped(const std::string& utf8);

/// The typed text in Windows-1252, as the project stores it. False with the refusal every
/// front end shows ("'Ωmega' holds 'Ω', which Windows-1252 cannot spell") when a character has
/// no byte there: the code page conversions would put another letter or a '?' in its place
/// without a word.
[[nodiscard]] bool TypedToAnsi(const std::string& utf8, std::string* ansi, std::string* refusal);

/// A message with a line break put into every run of more than `width` characters that has
/// no blank or line break (UTF-8 or ANSI alike): a message box grows as wide as its longest
/// unbroken word, and a long name or path made one wider than the screen.
std::string BreakLongWords(const std::string& text, std::size_t width);

}  // namespace skinwizard
