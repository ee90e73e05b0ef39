// Whole-file edits of the IDEs' settings files (TextEdit) and the search and replace they use.
// Portable: no Win32 here.
#include "integrate/engine/text_edit.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "platform/text_mode.h"

namespace integrate {

TextEdit::TextEdit(platform::FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)) {}

bool TextEdit::Read() {
  // One read of the whole file and one pass in place give what a line-by-line text-mode
  // read gives, at a fraction of the cost on a 20 MB collection registry file: CR LF and LF
  // end a line, a lone CR is text, a last line without an end still gets one.
  if (!files_.ReadBinaryFile(path_, &text_, &error_)) {
    text_.clear();
    return false;
  }
  text_.resize(platform::CrLfToLf(&text_[0], text_.size()));
  if (!text_.empty() && text_.back() != '\n') text_.push_back('\n');
  return true;
}

bool TextEdit::Write() {
  // A read-only file cannot be opened for writing: it is left as it is and not counted as
  // touched, so nobody copies a backup over it.
  if (files_.IsReadOnly(path_)) {
    error_ =
        platform::FileError(platform::kCannotWrite, path_, platform::ReplaceRefusal(false, true));
    return false;
  }
  written_ = true;
  return files_.WriteTextFile(path_, text_, &error_);
}

std::size_t FindText(std::string_view text, std::string_view what, std::size_t pos) {
  if (pos > text.size()) return std::string_view::npos;
  if (what.empty()) return pos;
  // Moves ahead by up to the pattern's length at each mismatch.
  const char* const begin = text.data() + pos;
  const char* const end = text.data() + text.size();
  const char* const found =
      std::search(begin, end, std::boyer_moore_horspool_searcher(what.begin(), what.end()));
  return found == end ? std::string_view::npos : found - text.data();
}

std::size_t ReplaceAll(std::string* text, const std::string& from, const std::string& to,
                       std::size_t start) {
  if (from.empty()) return 0;
  std::size_t first = FindText(*text, from, start);
  if (first == std::string::npos) return 0;
  // In place, so a 20 MB working text is not copied into a fresh buffer for every edit.
  char* t = &(*text)[0];
  const std::size_t size = text->size();
  if (to.size() <= from.size()) {
    // Never longer: one forward pass; what is written never reaches what is still unread.
    std::size_t in = first;
    std::size_t out = first;
    std::size_t count = 0;
    for (std::size_t at = first; at != std::string::npos; at = FindText(*text, from, in)) {
      std::memmove(t + out, t + in, at - in);
      out += at - in;
      std::memcpy(t + out, to.data(), to.size());
      out += to.size();
      in = at + from.size();
      ++count;
    }
    std::memmove(t + out, t + in, size - in);
    text->resize(out + size - in);
    return count;
  }
  // Longer: find every occurrence, grow once, then fill from the back.
  std::vector<std::size_t> found;
  for (std::size_t at = first; at != std::string::npos;
       at = FindText(*text, from, at + from.size())) {
    found.push_back(at);
  }
  text->resize(size + found.size() * (to.size() - from.size()));
  t = &(*text)[0];
  std::size_t src = size;
  std::size_t dst = text->size();
  for (auto at = found.rbegin(); at != found.rend(); ++at) {
    const std::size_t tail = src - (*at + from.size());
    dst -= tail;
    std::memmove(t + dst, t + *at + from.size(), tail);
    dst -= to.size();
    std::memcpy(t + dst, to.data(), to.size());
    src = *at;
  }
  return found.size();
}

}  // namespace integrate
