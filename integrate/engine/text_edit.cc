// Whole-file edits of the IDEs' settings files (TextEdit), edits of big files where they lie
// (SpliceEdit), and the search and replace they use.
// Portable: no Win32 here.
#include "integrate/engine/text_edit.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

#include "platform/text_mode.h"

namespace integrate {

namespace {

// A file is searched this much at a time: the buffer stays in the processor's cache, while a
// whole 200 MB file read or mapped at once costs a fault or a table walk on every page.
constexpr std::size_t kChunk = std::size_t{1} << 20;

// A read-only file cannot be opened for writing: it is left as it is and not counted as
// touched, so nobody copies a backup over it. True when it is refused, with the reason.
bool RefusedAsReadOnly(platform::FileSystem& files, const std::string& path, std::string* error) {
  if (!files.IsReadOnly(path)) return false;
  *error = platform::FileError(platform::kCannotWrite, path, platform::ReplaceRefusal(false, true));
  return true;
}

}  // namespace

TextEdit::TextEdit(platform::FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)) {}

bool TextEdit::Read() {
  // One read of the whole file and one pass in place give what a line-by-line text-mode
  // read gives, at a fraction of the cost on a 20 MB collection registry file.
  if (!files_.ReadBinaryFile(path_, &text_, &error_)) {
    text_.clear();
    return false;
  }
  platform::ToTextLines(&text_);
  return true;
}

bool TextEdit::Write() {
  if (RefusedAsReadOnly(files_, path_, &error_)) return false;
  written_ = true;
  return files_.WriteTextFile(path_, text_, &error_);
}

SpliceEdit::SpliceEdit(platform::FileSystem& files, std::string path)
    : files_(files), path_(std::move(path)) {}

bool SpliceEdit::Read() {
  if (!files_.OpenFile(path_, &reader_, &error_)) return false;
  size_ = reader_->size();
  // The help system writes CR LF throughout and ends with one: such a file is kept as it is.
  // Any other is converted in memory, whatever its size, as TextEdit would.
  bool rewrite = size_ > 0 && Span(size_ - 1, size_) != "\n";
  bool after_cr = false;
  for (std::size_t at = 0; !rewrite && !failed_ && at < size_; at += kChunk) {
    const std::string_view chunk = Span(at, at + kChunk);
    rewrite = platform::HasLoneLf(chunk, after_cr);
    after_cr = !chunk.empty() && chunk.back() == '\r';
  }
  std::string whole;
  if (failed_ || (rewrite && !reader_->ReadAt(0, size_, &whole, &error_))) return false;
  if (rewrite) {
    converted_ = platform::TextModeRewrite(whole);
    rewritten_ = true;
    reader_.reset();
    size_ = converted_.size();
  }
  kept_.assign(1, {0, size_});
  return true;
}

std::string_view SpliceEdit::Span(std::size_t from, std::size_t to) {
  if (rewritten_) return std::string_view(converted_).substr(std::min(from, size_), to - from);
  if (!failed_ && reader_->ReadAt(from, to - from, &chunk_, &error_)) return chunk_;
  failed_ = true;
  return std::string_view();
}

std::size_t SpliceEdit::Find(std::string_view what, std::size_t from, std::size_t limit) {
  limit = std::min(limit, size_);
  // Each window overlaps the next by all but a byte of `what`.
  for (std::size_t at = from; at < limit && limit - at >= what.size(); at += kChunk) {
    const std::string_view window = Span(at, std::min(limit, at + kChunk + what.size() - 1));
    const std::size_t found = FindText(window, what);
    if (failed_) break;
    if (found != std::string::npos) return at + found;
  }
  return std::string::npos;
}

std::string SpliceEdit::Text(std::size_t from, std::size_t to) {
  return std::string(Span(from, std::max(from, to)));
}

void SpliceEdit::Cut(std::size_t from, std::size_t to) {
  const std::size_t end = kept_.back().second;
  kept_.back().second = from;
  kept_.emplace_back(to, end);
}

bool SpliceEdit::MatchesAcross(std::size_t stretch, std::size_t at, std::string_view what,
                               std::size_t* end) {
  for (std::size_t matched = 0; matched < what.size();) {
    if (at == kept_[stretch].second) {
      if (++stretch == kept_.size()) return false;
      at = kept_[stretch].first;
      continue;
    }
    const std::size_t n = std::min(kept_[stretch].second - at, what.size() - matched);
    if (Span(at, at + n) != what.substr(matched, n)) return false;
    at += n;
    matched += n;
  }
  *end = at;
  return true;
}

std::size_t SpliceEdit::InsertBeforeEach(std::string_view what, const std::string& text) {
  if (what.empty()) return 0;
  const std::string crlf = platform::LfToCrLf(text);
  std::size_t count = 0;
  std::size_t resume = 0;  // where the last match ended
  auto insert = [&](std::size_t at, std::size_t end) {
    inserted_.emplace_back(at, crlf);
    resume = end;
    ++count;
  };
  for (std::size_t i = 0; i < kept_.size(); ++i) {
    const auto [from, to] = kept_[i];
    for (std::size_t at = Find(what, std::max(from, resume), to); at != std::string::npos;
         at = Find(what, resume, to)) {
      insert(at, at + what.size());
    }
    // Those that begin in the stretch's last bytes and run on past a cut.
    if (i + 1 == kept_.size()) break;
    const std::size_t tail = to - from >= what.size() ? to - what.size() + 1 : from;
    for (std::size_t at = std::max(tail, resume), end = 0; at < to; ++at) {
      if (at >= resume && MatchesAcross(i, at, what, &end)) insert(at, end);
    }
  }
  return count;
}

bool SpliceEdit::Write() {
  if (RefusedAsReadOnly(files_, path_, &error_) || failed_) return false;
  written_ = true;
  std::stable_sort(inserted_.begin(), inserted_.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<platform::FilePiece> pieces;
  auto keep = [&](std::size_t from, std::size_t to) {
    if (from < to) pieces.push_back({true, from, to - from, std::string()});
  };
  auto insert = inserted_.begin();
  for (const auto& [from, to] : kept_) {
    std::size_t at = from;
    for (; insert != inserted_.end() && insert->first < to; ++insert) {
      keep(at, insert->first);
      at = insert->first;
      pieces.push_back({false, 0, 0, insert->second});
    }
    keep(at, to);
  }
  if (!rewritten_) return files_.SpliceFile(path_, pieces, &error_);
  // The converted bytes exist only here: they are written whole.
  std::string joined;
  (void)platform::JoinPieces(converted_, pieces, &joined);  // the pieces lie within it
  return files_.WriteBinaryFile(path_, joined, &error_);
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
