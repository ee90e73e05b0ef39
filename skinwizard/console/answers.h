// The answers file of tslkt-skinwizard: a run's page answers and Advanced choices, replayed.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

namespace skinwizard {

/// One "key=value" line of an answers file; the key is an option name without its "--".
struct AnswerLine {
  int line = 0;
  std::string key;
  std::string value;  ///< as written (UTF-8), without the line end
};

/// The keys an answers file may hold: the options that answer the pages and the Advanced
/// dialog.
const std::vector<std::string>& AnswerKeys();

/// Reads an answers file; blank lines and lines starting with '#' are skipped. False with
/// "FILE:LINE: ..." for a line that is no key=value or whose key is unknown.
bool ReadAnswerLines(const std::string& path, std::vector<AnswerLine>* lines, std::string* error);

/// Writes an answers file whole or not at all (a temporary file beside it, then a rename):
/// a heading comment and one "key=value" line per answer, in AnswerKeys() order.
bool WriteAnswerLines(const std::string& path, const std::vector<AnswerLine>& lines,
                      std::string* error);

}  // namespace skinwizard
