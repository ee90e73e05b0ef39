// The answers file of tslkt-skinwizard: a run's page answers and Advanced choices, replayed.
// Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/files.h"

namespace skinwizard {

/// One "key=value" line of an answers file; the key is an option name without its "--".
struct AnswerLine {
  int line = 0;
  std::string key;
  std::string value;  ///< UTF-8, escapes undone
};

/// The keys an answers file may hold: the options that answer the pages and the Advanced
/// dialog.
const std::vector<std::string>& AnswerKeys();

/// An answers file holds a few hundred bytes; anything far larger is some other file.
constexpr std::size_t kMaxAnswersBytes = 64 * 1024;

/// The lines of an answers file's text: a UTF-8 BOM is skipped, lines end in LF, CR LF or CR,
/// blank lines and lines starting with '#' are skipped, and in a value "\\", "\n" and "\r"
/// stand for a backslash, a line feed and a carriage return (any other backslash stands for
/// itself). False with "NAME:LINE: ..." for a line that is no key=value or whose key is
/// unknown, quoting at most the line's start.
[[nodiscard]] bool ParseAnswers(const std::string& name, const std::string& text, std::vector<AnswerLine>* lines,
                  std::string* error);

/// The text of an answers file: a heading comment and one "key=value" line per answer, with
/// the escapes ParseAnswers undoes, so every typed text comes back exactly.
std::string AnswersText(const std::vector<AnswerLine>& lines);

/// Reads and parses the answers file at the Windows path `path` (`name` is how the user gave
/// it, UTF-8). Only a regular file is read, and one of at most kMaxAnswersBytes. Messages of
/// these functions are UTF-8.
[[nodiscard]] bool ReadAnswerLines(platform::FileSystem& files, const std::string& path, const std::string& name,
                     std::vector<AnswerLine>* lines, std::string* error);

/// Writes an answers file whole or not at all, through the file services' atomic replace.
/// What stands at `path` must be a regular file (or nothing): a device there is refused, not
/// replaced.
[[nodiscard]] bool WriteAnswerLines(platform::FileSystem& files, const std::string& path, const std::string& name,
                      const std::vector<AnswerLine>& lines, std::string* error);

}  // namespace skinwizard
