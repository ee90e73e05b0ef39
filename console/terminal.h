// The console front ends' shared rules: prefix default, terminal test, labels, UTF-8 text, yes/no,
// the version line and plain ASCII for a terminal that takes no UTF-8.
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

/// What --version prints, "PROGRAM 1.0.0", so both programs answer alike with the one version.
std::string VersionLine(const std::string& program);

/// Whether the locale the environment names takes UTF-8: the first of LC_ALL, LC_CTYPE and
/// LANG that is set and not empty decides (any may be null). None set counts as UTF-8, the
/// programs' own terminal encoding: a Windows console and many containers name no locale.
bool LocaleTakesUtf8(const char* lcAll, const char* lcCtype, const char* lang);

/// UTF-8 text as ASCII for a terminal that shows nothing else: the progress marks U+2713 and
/// U+2717 become "[ok]" and "[failed]", the registered sign "(R)", any other character (or a
/// byte that is no UTF-8) '?', so the terminal never shows bytes of a foreign encoding.
std::string PlainText(const std::string& utf8);

/// Turns standard output and standard error into PlainText when the environment's locale does
/// not take UTF-8 (LC_ALL=C and the like). Called first in main, before anything is written.
void UsePlainTextUnlessUtf8();

}  // namespace console
