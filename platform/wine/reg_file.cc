// The registry file read whole and checked line by line, and written back atomically.
// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/reg_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/wine/host_io.h"
#include "platform/wine/reg_file_parts.h"

namespace platform::wine {

RegFile::~RegFile() = default;

// Checks every line of a file and builds the block list and key index on the way.
class RegFile::Parser {
 public:
  Parser(RegFile* file, const std::string& name) : f_(file), name_(name) {}

  bool Run(std::string* error) {
    std::string_view text = f_->text_;
    if (const void* nul = std::memchr(text.data(), 0, text.size())) {
      return Fail(LineNumberOf(static_cast<const char*>(nul) - text.data()), "NUL byte in the file",
                  error);
    }
    std::size_t pos = 0, next = 0;
    std::string_view line = LineAt(text, 0, &next);
    if (line != "WINE REGISTRY Version 2") {
      return Fail(1, "not a Wine registry file (the first line is not \"WINE REGISTRY Version 2\")",
                  error);
    }
    // Room for a saved file's typical key density, so the tables are not copied as they
    // grow; untouched reserve costs no memory.
    f_->blocks_.reserve(text.size() / 128 + 16);
    f_->order_.reserve(text.size() / 128 + 16);
    f_->entries_.reserve(text.size() / 64 + 16);
    AdviseHugePages(f_->blocks_.data(), f_->blocks_.capacity() * sizeof f_->blocks_[0]);
    AdviseHugePages(f_->order_.data(), f_->order_.capacity() * sizeof f_->order_[0]);
    AdviseHugePages(f_->entries_.data(), f_->entries_.capacity() * sizeof f_->entries_[0]);
    std::size_t line_no = 1;
    bool in_key = false;
    f_->header_end_ = text.size();
    for (pos = next; pos < text.size(); pos = next) {
      ++line_no;
      std::size_t line_start = pos;
      line = LineAt(text, pos, &next);
      std::size_t p = SkipSpaces(line, 0);
      if (p == line.size()) continue;
      switch (line[p]) {
        case '[':
          if (!in_key) f_->header_end_ = line_start;
          CloseBlock(line_start);
          in_key = true;
          if (!AddKey(line, p + 1, line_start)) {
            return Fail(line_no, "malformed key name", error, line);
          }
          break;
        case '@':
        case '"': {
          if (!in_key) return Fail(line_no, "value outside a key", error, line);
          const char* reason = CheckValue(&line, p, &next, &line_no);
          if (reason) return Fail(line_no, reason, error, line);
          break;
        }
        case '#':
          if (!in_key && line.substr(p, 6) == "#arch=") f_->win64_ = line.substr(p + 6) == "win64";
          break;
        case ';':
          if (!in_key && line.substr(p, 24) == ";; All keys relative to ") {
            f_->root_.clear();
            UnescapeRegString(line, p + 24, '\0', &f_->root_);
          }
          break;
        default:
          return Fail(line_no, "unrecognized line", error, line);
      }
    }
    CloseBlock(text.size());
    f_->RebuildIndexTable();
    return true;
  }

 private:
  // The error names the file and line, and shows the start of the line as Wine does.
  bool Fail(std::size_t line_no, const char* reason, std::string* error,
            std::string_view line = {}) {
    if (!error) return false;
    *error = name_ + ":" + std::to_string(line_no) + ": " + reason;
    if (!line.empty()) {
      constexpr std::size_t kShown = 60;
      std::string shown;
      for (char c : line.substr(0, kShown)) shown += c >= 0x20 && c < 0x7f ? c : '?';
      *error += ": '" + shown + (line.size() > kShown ? "...'" : "'");
    }
    return false;
  }

  std::size_t LineNumberOf(std::size_t offset) const {
    std::size_t n = 1;
    for (std::size_t i = 0; i < offset; ++i) n += f_->text_[i] == '\n';
    return n;
  }

  void CloseBlock(std::size_t end) {
    if (!f_->order_.empty()) f_->blocks_[f_->order_.back()].end = end;
  }

  // Hashes the key name while checking it; ASCII names take the quick path, others are
  // decoded first so both give the hash of the same folded UTF-16 text.
  bool AddKey(std::string_view line, std::size_t pos, std::size_t line_start) {
    std::uint32_t id = static_cast<std::uint32_t>(f_->blocks_.size());
    f_->blocks_.push_back(Block{line_start, line_start, -1});
    f_->order_.push_back(id);
    // Saved files list keys in order, so a key mostly starts with the parents of the one
    // before it: the hashes of the parents whose text is the same are taken over.
    std::string_view name = line.substr(pos);
    std::size_t same = 0, depth = 0;
    std::size_t limit = std::min(previous_name_.size(), name.size());
    while (same + 8 <= limit &&
           std::memcmp(previous_name_.data() + same, name.data() + same, 8) == 0) {
      same += 8;
    }
    while (same < limit && previous_name_[same] == name[same]) ++same;
    while (depth < separators_.size() && separators_[depth] <= same) ++depth;
    prefixes_.assign(previous_.begin(), previous_.begin() + depth);
    separators_.resize(depth);
    PathHasher hasher = depth ? PathHasher(prefixes_.back()) : PathHasher();
    std::size_t i = pos + (depth ? separators_.back() : 0);
    bool slow = false;
    while (i < line.size()) {
      if (hasher.Aligned() && i + 8 <= line.size()) {
        std::uint64_t x;
        std::memcpy(&x, line.data() + i, 8);
        std::uint64_t special = SpecialBytes(x);
        if (!special) {
          hasher.Word(FoldAscii8(x));
          i += 8;
          continue;
        }
        // The plain bytes before the first special one; that one follows below.
        int plain = __builtin_ctzll(special) / 8;
        if (plain) {
          hasher.Partial(FoldAscii8(x), plain);
          i += plain;
        }
      }
      char c = line[i];
      if (c == ']') break;
      if (static_cast<unsigned char>(c) >= 0x80) {
        slow = true;
        break;
      }
      if (c == '\\') {
        if (i + 1 < line.size() && line[i + 1] == '\\') {
          prefixes_.push_back(hasher.EndComponent());
          i += 2;
          separators_.push_back(i - pos);
          continue;
        }
        slow = true;
        break;
      }
      hasher.Byte(static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c));
      ++i;
    }
    std::uint64_t h;
    if (slow) {
      std::u16string name;
      if (UnescapeRegString(line, pos, ']', &name) == std::string_view::npos) return false;
      prefixes_.clear();
      PathHasher decoded;
      for (char16_t c : name) {
        if (c == u'\\') {
          prefixes_.push_back(decoded.EndComponent());
        } else {
          decoded.Unit(FoldRegChar(c));
        }
      }
      h = decoded.EndComponent();
      previous_name_ = {};
      separators_.clear();
    } else if (i == line.size()) {
      return false;
    } else {
      h = hasher.EndComponent();
      previous_name_ = line.substr(pos, i - pos);
    }
    // Saved files list parents before children, so only the parents that differ from the
    // previous key's are new.
    for (std::size_t d = 0; d < prefixes_.size(); ++d) {
      if (d < previous_.size() && previous_[d] == prefixes_[d]) continue;
      f_->entries_.push_back(Slot{prefixes_[d], id, 0});
    }
    f_->entries_.push_back(Slot{h, id, 1});
    previous_.swap(prefixes_);
    previous_.push_back(h);
    return true;
  }

  // Checks a value line (and the continuation lines of hex data, which it consumes).
  // On failure *current is the line at fault.
  const char* CheckValue(std::string_view* current, std::size_t p, std::size_t* next,
                         std::size_t* line_no) {
    std::string_view& line = *current;
    if (line[p] == '"') {
      p = SkipRegString(line, p + 1, '"');
      if (p == std::string_view::npos) return "unterminated value name";
    } else {
      ++p;
    }
    p = SkipSpaces(line, p);
    if (p == line.size() || line[p] != '=') return "no '=' after the value name";
    p = SkipSpaces(line, p + 1);
    std::uint32_t type;
    DataKind kind = DataKind::kString;
    std::size_t tag = ParseTypeTag(line.substr(p), &type, &kind);
    if (tag == 0) return "unknown value type";
    p += tag;
    switch (kind) {
      case DataKind::kString:
        p = SkipRegString(line, p, '"');
        if (p == std::string_view::npos) return "unterminated string (or escape) in the value";
        if (SkipSpaces(line, p) != line.size()) return "text after the value's closing quote";
        return nullptr;
      case DataKind::kDword: {
        std::size_t n = 0;
        while (p + n < line.size() && HexDigit(line[p + n]) >= 0) ++n;
        if (n == 0 || n > 8 || SkipSpaces(line, p + n) != line.size()) return "malformed dword";
        return nullptr;
      }
      case DataKind::kHex:
        break;
    }
    std::string_view text = f_->text_;
    for (;;) {
      int r = ParseHexLine(line, p, nullptr);
      if (r < 0) return "malformed hex data";
      if (r == 0) return nullptr;
      if (*next >= text.size()) return "hex data continued past the end of the file";
      line = LineAt(text, *next, next);
      ++*line_no;
      p = 0;
    }
  }

  RegFile* f_;
  const std::string& name_;
  std::vector<std::uint64_t> prefixes_, previous_;
  std::string_view previous_name_;       // raw name of the previous key, when ASCII
  std::vector<std::size_t> separators_;  // where its components after the first start
};

std::unique_ptr<RegFile> RegFile::Parse(const std::string& name, std::string text,
                                        std::string* error) {
  std::unique_ptr<RegFile> file(new RegFile);
  file->text_ = std::move(text);
  if (!Parser(file.get(), name).Run(error)) return nullptr;
  return file;
}

std::unique_ptr<RegFile> RegFile::Load(const std::string& path, std::string* error) {
  std::string reason;
  const int fd = OpenRegularFile(path, &reason);
  if (fd < 0) {
    if (error) *error = path + ": " + reason;
    return nullptr;
  }
  std::string text;
  const bool read = ReadToEnd(fd, &text);
  if (!read && error) *error = path + ": " + std::strerror(errno);
  ::close(fd);
  if (!read) return nullptr;
  return Parse(path, std::move(text), error);
}

std::vector<std::string_view> RegFile::Pieces() const {
  constexpr std::size_t kNone = std::string::npos;
  std::vector<std::string_view> pieces;
  std::string_view text = text_;
  std::size_t raw_begin = 0, raw_end = header_end_;
  auto flush = [&] {
    if (raw_begin != kNone && raw_end > raw_begin) {
      pieces.push_back(text.substr(raw_begin, raw_end - raw_begin));
    }
  };
  for (std::uint32_t id : order_) {
    const Block& b = blocks_[id];
    if (b.edited < 0 && raw_begin != kNone && b.begin == raw_end) {
      raw_end = b.end;
      continue;
    }
    flush();
    if (b.edited >= 0) {
      pieces.push_back(edited_[b.edited]);
      raw_begin = raw_end = kNone;
    } else {
      raw_begin = b.begin;
      raw_end = b.end;
    }
  }
  flush();
  return pieces;
}

std::string RegFile::Text() const {
  std::string out;
  for (std::string_view piece : Pieces()) out += piece;
  return out;
}

bool RegFile::Save(const std::string& path, std::string* error) const {
  // Through a symbolic link the file it points to is replaced, as Wine does.
  std::string target = path;
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  // The new file keeps the old one's mode and owner.
  Replacement how;
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    how.mode = st.st_mode & 07777;
    how.keep_owner = true;
    how.uid = st.st_uid;
    how.gid = st.st_gid;
  }
  std::string reason;
  const bool ok = ReplaceHostFile(
      target, how,
      [this](int fd, std::string* fill_error) {
        for (std::string_view piece : Pieces()) {
          if (!WriteStreaming(fd, piece)) {
            *fill_error = std::strerror(errno);
            return false;
          }
        }
        return true;
      },
      &reason);
  if (!ok && error) *error = "cannot write " + path + ": " + reason;
  return ok;
}

std::uint64_t RegFile::CurrentFileTime() {
  struct timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return kTicks1601To1970 + static_cast<std::uint64_t>(ts.tv_sec) * kTicksPerSecond +
         static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

}  // namespace platform::wine
