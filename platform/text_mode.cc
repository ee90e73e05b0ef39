// Text-mode file rules shared by every file service: line ends, refusals and error messages.
#include "platform/text_mode.h"

#include <cstring>

#include "platform/byte_scan.h"

namespace platform {

bool TextLineSplitter::Feed(const char* chunk, std::size_t size) {
  const char* at = chunk;
  const char* const end = chunk + size;
  while (!stopped_ && at < end) {
    const char* const lf = FindByte(at, end, '\n');
    line_.append(at, lf);
    if (lf == end) break;
    if (!line_.empty() && line_.back() == '\r') line_.pop_back();
    stopped_ = !on_line_(line_);
    line_.clear();
    at = lf + 1;
  }
  return !stopped_;
}

void TextLineSplitter::Finish() {
  if (!stopped_ && !line_.empty()) on_line_(line_);
  line_.clear();
}

char* LfToCrLf(const char* at, const char* end, char* out) {
  while (at < end) {
    at = CopyUntilByte(at, end, '\n', &out);
    if (at == end) break;
    *out++ = '\r';
    *out++ = *at++;
  }
  return out;
}

std::size_t CrLfToLf(char* text, std::size_t size) {
  const char* at = text;
  const char* const end = text + size;
  char* out = text;
  while (at < end) {
    // The copy trails the scan in the same buffer, which the scan allows.
    at = CopyUntilByte(at, end, '\r', &out);
    if (at == end) break;
    ++at;
    if (at == end || *at != '\n') *out++ = '\r';
  }
  return static_cast<std::size_t>(out - text);
}

bool HasLoneLf(std::string_view bytes, bool after_cr) {
  if (bytes.empty()) return false;
  // The library's search beats a word-at-a-time one here: the lines are long enough.
  const char* const begin = bytes.data();
  const char* const end = begin + bytes.size();
  for (const char* at = begin;
       (at = static_cast<const char*>(std::memchr(at, '\n', end - at))) != nullptr; ++at) {
    if (at == begin ? !after_cr : at[-1] != '\r') return true;
  }
  return false;
}

void ToTextLines(std::string* bytes) {
  bytes->resize(CrLfToLf(&(*bytes)[0], bytes->size()));
  if (!bytes->empty() && bytes->back() != '\n') bytes->push_back('\n');
}

std::string TextModeRewrite(std::string_view bytes) {
  std::string text(bytes);
  ToTextLines(&text);
  return LfToCrLf(text);
}

const char* ReplaceRefusal(bool is_folder, bool read_only, bool replace_read_only) {
  if (is_folder) return "it is a folder";
  if (read_only && !replace_read_only) return "the file is read-only";
  return nullptr;
}

std::string FileError(const std::string& what, const std::string& path, const std::string& reason) {
  return what + " " + path + ": " + reason;
}

}  // namespace platform

namespace platform {

std::string LfToCrLf(const std::string& text) {
  std::string bytes(CrLfRoom(text.size()), '\0');
  bytes.resize(LfToCrLf(text.data(), text.data() + text.size(), &bytes[0]) - bytes.data());
  return bytes;
}

}  // namespace platform
