// Portable: no Win32 here.
#include "integrate/engine/text_edit.h"

#include <utility>

namespace integrate {

TextEdit::TextEdit(platform::FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)) {}

bool TextEdit::Read(std::string* error) {
  // The file services write their reason unconditionally.
  std::string ignored;
  if (!error) error = &ignored;
  text_.clear();
  // Appending keeps reading linear even for the 20 MB collection registry files.
  return files_.ReadTextLines(
      path_,
      [this](const std::string& line) {
        text_.append(line);
        text_.push_back('\n');
        return true;
      },
      error);
}

bool TextEdit::Write(std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  written_ = true;
  return files_.WriteTextFile(path_, text_, error);
}

std::size_t ReplaceAll(std::string* text, const std::string& from, const std::string& to) {
  std::size_t pos = text->find(from);
  if (from.empty() || pos == std::string::npos) return 0;
  std::string out;
  out.reserve(text->size() + to.size());
  std::size_t start = 0;
  std::size_t count = 0;
  for (; pos != std::string::npos; pos = text->find(from, start)) {
    out.append(*text, start, pos - start);
    out.append(to);
    start = pos + from.size();
    ++count;
  }
  out.append(*text, start, std::string::npos);
  text->swap(out);
  return count;
}

}  // namespace integrate
