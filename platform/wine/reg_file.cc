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
    std::size_t pos = 0, next = 0;
    std::string_view line = LineAt(text, 0, &next);
    // The one thing that makes Wine drop the whole file and start the hive empty, which
    // would lose every key at its next save.
    if (text.empty()) return Fail("the file is empty, not a Wine registry file", error);
    if (line != "WINE REGISTRY Version 2") {
      return Fail("not a Wine registry file (the first line is not \"WINE REGISTRY Version 2\")",
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
    // Everything else is read as Wine's loader reads it: a line it does not understand, a
    // value outside a key, the values of a key it cannot create are skipped (and kept in
    // the text, so they are written back as they were), the rest is loaded.
    bool seen_key = false, in_key = false;
    f_->header_end_ = text.size();
    for (pos = next; pos < text.size(); pos = next) {
      std::size_t line_start = pos;
      line = LineAt(text, pos, &next);
      std::size_t p = SkipSpaces(line, 0);
      if (p == line.size()) continue;
      switch (line[p]) {
        case '[':
          if (!seen_key) f_->header_end_ = line_start;
          seen_key = true;
          CloseBlock(line_start);
          in_key = AddKey(line, p + 1, line_start);
          break;
        case '@':
        case '"':
          if (in_key) {
            ValueScan scan;
            // Only how far the line reaches matters here (hex data continues on the next
            // lines); a line that does not parse is skipped, as Wine skips it.
            (void)ScanValueLine(text, line_start, &next, &scan);
          }
          break;
        case '#':
          if (!seen_key && line.substr(p, 6) == "#arch=") f_->win64_ = line.substr(p + 6) == "win64";
          break;
        case ';':
          if (!seen_key && line.substr(p, 24) == ";; All keys relative to ") {
            f_->root_.clear();
            UnescapeRegString(line, p + 24, '\0', &f_->root_);
          }
          break;
        default:
          break;
      }
    }
    CloseBlock(text.size());
    f_->RebuildIndexTable();
    return true;
  }

 private:
  bool Fail(const char* reason, std::string* error) {
    *error = name_ + ":1: " + reason;
    return false;
  }

  void CloseBlock(std::size_t end) {
    if (!f_->order_.empty()) f_->blocks_[f_->order_.back()].end = end;
  }

  // Hashes the key name while checking it; ASCII names take the quick path, others are
  // decoded first so both give the hash of the same folded UTF-16 text. False when Wine
  // cannot create the key: its name has no closing ']', or a component is too long (its
  // parents up to there are created all the same).
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
    // An empty or over-long component takes the slow path too, which does as Wine does.
    auto odd_component = [&](std::size_t at) {
      std::size_t start = separators_.empty() ? 0 : separators_.back();
      return at - pos == start || at - pos - start > kMaxKeyComponent;
    };
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
      if (c == ']') {
        slow = odd_component(i);
        break;
      }
      if (static_cast<unsigned char>(c) >= 0x80) {
        slow = true;
        break;
      }
      if (c == '\\') {
        if (i + 1 < line.size() && line[i + 1] == '\\' && !odd_component(i)) {
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
    std::uint64_t h = 0;
    bool created = true;
    if (slow) {
      std::u16string decoded_name;
      if (UnescapeRegString(line, pos, ']', &decoded_name) == std::string_view::npos) {
        return Unloaded(id);
      }
      prefixes_.clear();
      PathHasher decoded;
      std::size_t length = 0;
      decoded_name.push_back(u'\\');
      for (char16_t c : decoded_name) {
        if (c != u'\\') {
          decoded.Unit(FoldRegChar(c));
          ++length;
          continue;
        }
        if (length == 0) continue;  // Wine skips empty components
        if (length > kMaxKeyComponent) {
          created = false;
          break;
        }
        prefixes_.push_back(decoded.EndComponent());
        length = 0;
      }
      // "[]" names the file's root, which no caller opens by name.
      if (prefixes_.empty()) return Unloaded(id);
      if (created) {
        h = prefixes_.back();
        prefixes_.pop_back();
      }
      previous_name_ = {};
      separators_.clear();
    } else if (i == line.size()) {
      return Unloaded(id);
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
    previous_.swap(prefixes_);
    if (!created) {
      f_->blocks_[id].loaded = false;
      return false;
    }
    f_->entries_.push_back(Slot{h, id, 1});
    previous_.push_back(h);
    return true;
  }

  // A key Wine does not create: its block stays in the text and in no index.
  bool Unloaded(std::uint32_t id) {
    f_->blocks_[id].loaded = false;
    previous_name_ = {};
    separators_.clear();
    previous_.clear();
    return false;
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
    *error = path + ": " + reason;
    return nullptr;
  }
  std::string text;
  const bool read = ReadToEnd(fd, &text);
  if (!read) *error = path + ": " + std::strerror(errno);
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
  // Held with the run's other writes of the step, when it holds them.
  const bool ok = ReplaceInStep(
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
  if (!ok) *error = "cannot write " + path + ": " + reason;
  return ok;
}

std::uint64_t RegFile::CurrentFileTime() {
  struct timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return kTicks1601To1970 + static_cast<std::uint64_t>(ts.tv_sec) * kTicksPerSecond +
         static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

}  // namespace platform::wine
