// The answers file of tslkt-skinwizard: its key=value lines read and written.
// Portable: no Win32 here.
#include "skinwizard/console/answers.h"

#include <algorithm>

#include "platform/encoding.h"
#include "platform/windows_path.h"
#include "skinwizard/project/project_writer.h"
#include "skinwizard/typed_text.h"

namespace skinwizard {
namespace {

constexpr char kBom[] = "\xEF\xBB\xBF";

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

std::string Unescape(const std::string& value) {
  std::string out;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char next = i + 1 < value.size() ? value[i + 1] : '\0';
    if (value[i] == '\\' && (next == '\\' || next == 'n' || next == 'r')) {
      out += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
      ++i;
    } else {
      out += value[i];
    }
  }
  return out;
}

std::string Escape(const std::string& value) {
  std::string out;
  for (const char c : value) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else {
      out += c;
    }
  }
  return out;
}

// A device name is a device in every folder; the file services would replace it as a file.
bool RefuseDeviceName(const std::string& path, std::string* error) {
  if (!IsReservedDeviceName(platform::FileName(path))) return false;
  *error = ProjectNameRefusal(platform::FileName(path));
  return true;
}

}  // namespace

const std::vector<std::string>& AnswerKeys() {
  static const std::vector<std::string> keys = {"skin-name", "author",     "company",
                                                "email",     "url",        "comments",
                                                "look",      "common-dir", "methods"};
  return keys;
}

bool ParseAnswers(const std::string& name, const std::string& text, std::vector<AnswerLine>* lines,
                  std::string* error) {
  std::size_t at = text.compare(0, 3, kBom) == 0 ? 3 : 0;
  for (int number = 1; at < text.size(); ++number) {
    const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
    const std::string line = text.substr(at, end - at);
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    if (Trim(line).empty() || Trim(line)[0] == '#') continue;
    const std::size_t equals = line.find('=');
    const std::string where = name + ":" + std::to_string(number) + ": ";
    if (equals == std::string::npos) {
      *error = where + "expected key=value, found " + QuoteTyped(line);
      return false;
    }
    AnswerLine answer{number, Trim(line.substr(0, equals)), Unescape(line.substr(equals + 1))};
    bool known = false;
    for (const std::string& key : AnswerKeys()) known = known || key == answer.key;
    if (!known) {
      *error = where + "unknown key " + QuoteTyped(answer.key);
      return false;
    }
    lines->push_back(std::move(answer));
  }
  return true;
}

std::string AnswersText(const std::vector<AnswerLine>& lines) {
  std::string text =
      "# tslkt-skinwizard answers: replay with --answers FILE; options given as well win\n";
  for (const AnswerLine& line : lines) text += line.key + "=" + Escape(line.value) + "\n";
  return text;
}

bool ReadAnswerLines(platform::FileSystem& files, const std::string& path, const std::string& name,
                     std::vector<AnswerLine>* lines, std::string* error) {
  if (RefuseDeviceName(path, error)) return false;
  // The file services open regular files only: a FIFO or /dev/zero is refused at once.
  std::string text;
  if (!files.ReadBinaryFile(path, &text, error)) {
    *error = "cannot read the answers file: " + platform::AnsiToUtf8(*error);
    return false;
  }
  if (text.size() > kMaxAnswersBytes) {
    *error = name + " is no answers file: it holds " + std::to_string(text.size()) +
             " bytes, an answers file at most " + std::to_string(kMaxAnswersBytes);
    return false;
  }
  return ParseAnswers(name, text, lines, error);
}

bool WriteAnswerLines(platform::FileSystem& files, const std::string& path, const std::string& name,
                      const std::vector<AnswerLine>& lines, std::string* error) {
  if (RefuseDeviceName(path, error)) return false;
  // A rename would put the answers in a device's place (/dev/null behind the path) or the
  // answers would vanish into it; the read opens regular files only and so tells them apart.
  std::string old;
  if (files.Exists(path) && !files.ReadBinaryFile(path, &old, error)) {
    *error = "will not replace " + name + " with the answers: " + platform::AnsiToUtf8(*error);
    return false;
  }
  if (files.WriteBinaryFile(path, AnswersText(lines), error)) return true;
  *error = platform::AnsiToUtf8(*error);
  return false;
}

}  // namespace skinwizard
