// The answers file of tslkt-skinwizard: its key=value lines read and written.
// Portable: no Win32 here.
#include "skinwizard/console/answers.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace skinwizard {
namespace {

// Paths are handed over as typed; UTF-8 both ways so the host's narrow encoding is no matter.
std::filesystem::path PathOf(const std::string& path) { return std::filesystem::u8path(path); }

std::string Trim(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(" \t") + 1 - first);
}

}  // namespace

const std::vector<std::string>& AnswerKeys() {
  static const std::vector<std::string> keys = {"skin-name", "author",     "company",
                                                "email",     "url",        "comments",
                                                "look",      "common-dir", "methods"};
  return keys;
}

bool ReadAnswerLines(const std::string& path, std::vector<AnswerLine>* lines, std::string* error) {
  std::ifstream in(PathOf(path), std::ios::binary);
  if (!in) {
    *error = "cannot read the answers file " + path;
    return false;
  }
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    if (!text.empty() && text.back() == '\r') text.pop_back();
    if (Trim(text).empty() || Trim(text)[0] == '#') continue;
    const std::size_t equals = text.find('=');
    const std::string where = path + ":" + std::to_string(number) + ": ";
    if (equals == std::string::npos) {
      *error = where + "expected key=value, found '" + text + "'";
      return false;
    }
    AnswerLine line{number, Trim(text.substr(0, equals)), text.substr(equals + 1)};
    bool known = false;
    for (const std::string& key : AnswerKeys()) known = known || key == line.key;
    if (!known) {
      *error = where + "unknown key '" + line.key + "'";
      return false;
    }
    lines->push_back(std::move(line));
  }
  return true;
}

bool WriteAnswerLines(const std::string& path, const std::vector<AnswerLine>& lines,
                      std::string* error) {
  const std::filesystem::path target = PathOf(path);
  std::filesystem::path temporary = target;
  temporary += ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << "# tslkt-skinwizard answers: replay with --answers FILE; options given as well win\n";
    for (const AnswerLine& line : lines) out << line.key << "=" << line.value << "\n";
    out.flush();
    if (!out) {
      std::error_code ignored;
      std::filesystem::remove(temporary, ignored);
      *error = "cannot write the answers file " + path;
      return false;
    }
  }
  std::error_code failed;
  std::filesystem::rename(temporary, target, failed);
  if (failed) {
    std::filesystem::remove(temporary, failed);
    *error = "cannot write the answers file " + path;
    return false;
  }
  return true;
}

}  // namespace skinwizard
