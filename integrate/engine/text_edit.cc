// Portable: no Win32 here.
#include "integrate/engine/text_edit.h"

#include <cstring>
#include <utility>
#include <vector>

namespace integrate {

TextEdit::TextEdit(platform::FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)) {}

bool TextEdit::Read(std::string* error) {
  // The file services write their reason unconditionally.
  std::string ignored;
  if (!error) error = &ignored;
  // One read of the whole file and one pass in place give what a line-by-line text-mode
  // read gives, at a fraction of the cost on a 20 MB collection registry file: CR LF and LF
  // end a line, a lone CR is text, a last line without an end still gets one.
  if (!files_.ReadBinaryFile(path_, &text_, error)) {
    text_.clear();
    return false;
  }
  char* t = &text_[0];
  const std::size_t size = text_.size();
  std::size_t in = 0;
  std::size_t out = 0;
  while (in < size) {
    const void* found = std::memchr(t + in, '\n', size - in);
    if (!found) {
      std::memmove(t + out, t + in, size - in);
      out += size - in;
      text_.resize(out);
      text_.push_back('\n');
      return true;
    }
    const std::size_t lf = static_cast<const char*>(found) - t;
    const std::size_t end = lf > in && t[lf - 1] == '\r' ? lf - 1 : lf;
    std::memmove(t + out, t + in, end - in);
    out += end - in;
    t[out++] = '\n';
    in = lf + 1;
  }
  text_.resize(out);
  return true;
}

bool TextEdit::Write(std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  // A read-only file cannot be opened for writing: it is left as it is and not counted as
  // touched, so nobody copies a backup over it.
  if (files_.IsReadOnly(path_)) {
    *error = "the file is read-only: " + path_;
    return false;
  }
  written_ = true;
  return files_.WriteTextFile(path_, text_, error);
}

std::size_t ReplaceAll(std::string* text, const std::string& from, const std::string& to,
                       std::size_t start) {
  if (from.empty()) return 0;
  std::size_t first = text->find(from, start);
  if (first == std::string::npos) return 0;
  // In place, so a 20 MB working text is not copied into a fresh buffer for every edit.
  char* t = &(*text)[0];
  const std::size_t size = text->size();
  if (to.size() <= from.size()) {
    // Never longer: one forward pass; what is written never reaches what is still unread.
    std::size_t in = first;
    std::size_t out = first;
    std::size_t count = 0;
    for (std::size_t at = first; at != std::string::npos; at = text->find(from, in)) {
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
       at = text->find(from, at + from.size())) {
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
