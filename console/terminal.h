// The console front ends' shared rules: prefix default, terminal test, labels, UTF-8 text, yes/no.
// Portable: no Win32 here.
#pragma once

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace console {

/// The Wine prefix a console run works on, so both programs pick the same one: `given`
/// (--prefix) when there is one, else $WINEPREFIX when set and not empty, else ~/.wine.
std::string WinePrefix(const std::optional<std::string>& given);

/// Whether a person can answer questions: standard input and standard error (where the
/// messages go) are both terminals. A script never waits on a question.
bool PersonAtTerminal();

/// A control's text as a terminal shows it: the mnemonic marks dropped, "&&" kept as one
/// '&', as the dialog draws it. Works on ANSI and UTF-8 alike.
std::string Label(const std::string& text);

/// A dialog's ANSI text as UTF-8 terminal lines: CR LF and lone CR become LF.
std::string ConsoleText(const std::string& ansi);

/// Asks `question` (ANSI) followed by " [Y/n] " or " [y/N] " on `out` until the answer is y,
/// yes, n or no in any letter case; Enter alone gives `byDefault`. Nothing at the end of
/// the input, which no question may take for an answer.
std::optional<bool> AskYesNo(std::istream& in, std::ostream& out, const std::string& question,
                             bool byDefault);

}  // namespace console
