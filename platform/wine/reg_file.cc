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

namespace platform::wine {

namespace {

// Key paths are hashed component by component, so the hash of every parent falls out on
// the way. A component is hashed as a byte stream of its folded UTF-16 units (ASCII as one
// byte, others as 0xff and two bytes), eight bytes to a word: the ASCII names of a saved
// file then hash straight from the text, eight characters at a time.
class PathHasher {
 public:
  PathHasher() = default;
  // Goes on after a parent whose hash is known.
  explicit PathHasher(std::uint64_t parent) : path_(parent) {}
  void Byte(unsigned char b) {
    word_ |= static_cast<std::uint64_t>(b) << (8 * lanes_);
    if (++lanes_ == 8) Flush();
  }
  void Unit(char16_t c) {
    if (c < 0x80) {
      Byte(static_cast<unsigned char>(c));
    } else {
      Byte(0xff);
      Byte(static_cast<unsigned char>(c & 0xff));
      Byte(static_cast<unsigned char>(c >> 8));
    }
  }
  // Eight bytes at once, or the first `count` bytes of a word; only when no partial word
  // is pending, which is so at the start of a component.
  bool Aligned() const { return lanes_ == 0; }
  void Word(std::uint64_t w) {
    word_ = w;
    Flush();
  }
  void Partial(std::uint64_t w, int count) {
    word_ = w & ((1ull << (8 * count)) - 1);
    lanes_ = count;
  }
  // Ends a component and returns the hash of the path so far.
  std::uint64_t EndComponent() {
    if (lanes_) Flush();
    component_ = (component_ ^ count_) * 0x9e3779b97f4a7c15ull;
    path_ = (path_ ^ component_ ^ (component_ >> 31)) * 0xff51afd7ed558ccdull;
    path_ ^= path_ >> 29;
    component_ = kSeed;
    count_ = 0;
    return path_;
  }

 private:
  static constexpr std::uint64_t kSeed = 0xcbf29ce484222325ull;
  void Flush() {
    component_ = (component_ ^ word_) * 0x100000001b3ull;
    component_ ^= component_ >> 32;
    word_ = 0;
    lanes_ = 0;
    ++count_;
  }
  std::uint64_t path_ = kSeed, component_ = kSeed, word_ = 0, count_ = 0;
  int lanes_ = 0;
};

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

inline std::uint64_t HasZeroByte(std::uint64_t x) { return (x - kOnes) & ~x & kHighs; }

// Marks the bytes of eight that are no plain ASCII name characters; the lowest mark is
// exact, higher ones may be false.
inline std::uint64_t SpecialBytes(std::uint64_t x) {
  return (x & kHighs) | HasZeroByte(x ^ (kOnes * ']')) | HasZeroByte(x ^ (kOnes * '\\'));
}

// Upper-cases eight ASCII bytes.
inline std::uint64_t FoldAscii8(std::uint64_t x) {
  std::uint64_t at_least_a = x + kOnes * (0x80 - 'a');
  std::uint64_t above_z = x + kOnes * (0x80 - 'z' - 1);
  return x ^ (((at_least_a & ~above_z) & kHighs) >> 2);
}

// FILETIME of 1970-01-01, the origin of the seconds on a key line.
constexpr std::uint64_t kTicks1601To1970 = 116444736000000000ull;
constexpr std::uint64_t kTicksPerSecond = 10000000ull;

inline bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

struct HexTable {
  signed char value[256];
  constexpr HexTable() : value() {
    for (int c = 0; c < 256; ++c) {
      value[c] = c >= '0' && c <= '9' ? c - '0'
                 : c >= 'a' && c <= 'f' ? c - 'a' + 10
                 : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                        : -1;
    }
  }
};
constexpr HexTable kHex;

inline int HexDigit(char c) { return kHex.value[static_cast<unsigned char>(c)]; }

// Where the first `c` from `pos` is, or the end of the text. Lines and strings of a saved
// file are short (half a million lines in 20 MB), so eight bytes at a time inline beat a
// memchr call.
inline std::size_t FindByte(std::string_view text, std::size_t pos, char c) {
  const char* const data = text.data();
  const std::size_t size = text.size();
  while (pos + 8 <= size) {
    std::uint64_t x;
    std::memcpy(&x, data + pos, 8);
    if (std::uint64_t hit = HasZeroByte(x ^ (kOnes * static_cast<unsigned char>(c)))) {
      return pos + __builtin_ctzll(hit) / 8;  // the lowest mark is exact
    }
    pos += 8;
  }
  while (pos < size && data[pos] != c) ++pos;
  return pos;
}

// One line without its '\n' (and without a '\r' before it, which Wine drops too).
inline std::string_view LineAt(std::string_view text, std::size_t pos, std::size_t* next) {
  std::size_t end = FindByte(text, pos, '\n');
  *next = end < text.size() ? end + 1 : text.size();
  std::string_view line = text.substr(pos, end - pos);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

inline std::size_t SkipSpaces(std::string_view s, std::size_t pos) {
  while (pos < s.size() && IsSpace(s[pos])) ++pos;
  return pos;
}

// Decodes one UTF-8 sequence at s[*pos]; Wine 8 drops bytes that start no valid sequence.
void DecodeUtf8(std::string_view s, std::size_t* pos, std::u16string* out) {
  unsigned char c = static_cast<unsigned char>(s[*pos]);
  int len = c >= 0xf5 ? 0 : c >= 0xf0 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 ? 2 : 0;
  if (len == 0 || *pos + len > s.size()) {
    ++*pos;
    return;
  }
  std::uint32_t cp = c & (0x7f >> len);
  for (int i = 1; i < len; ++i) {
    unsigned char cc = static_cast<unsigned char>(s[*pos + i]);
    if ((cc & 0xc0) != 0x80) {
      ++*pos;
      return;
    }
    cp = (cp << 6) | (cc & 0x3f);
  }
  static const std::uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  // Wine takes encoded surrogates as they are.
  if (cp < kMin[len] || cp > 0x10ffff) {
    ++*pos;
    return;
  }
  *pos += len;
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out->push_back(static_cast<char16_t>(0xd800 + (cp >> 10)));
    out->push_back(static_cast<char16_t>(0xdc00 + (cp & 0x3ff)));
  } else {
    out->push_back(static_cast<char16_t>(cp));
  }
}

// Scans past an escaped string up to its unescaped end character without decoding it: the
// end character closes the string when an even run of backslashes precedes it.
std::size_t SkipRegString(std::string_view s, std::size_t pos, char end) {
  while (pos < s.size()) {
    std::size_t at = FindByte(s, pos, end);
    if (at == s.size()) return std::string_view::npos;
    std::size_t run = 0;
    while (at - run > pos && s[at - run - 1] == '\\') ++run;
    if (run % 2 == 0) return at + 1;
    pos = at + 1;
  }
  return std::string_view::npos;
}

// Parses the comma-separated bytes of one line of hex data from `pos`. Returns 1 when the
// line ends with the '\' that continues the data on the next line, 0 at the end of the
// data, -1 on anything else.
int ParseHexLine(std::string_view s, std::size_t pos, std::string* out) {
  for (;;) {
    // Wine writes "xx," runs without spaces; those take the short way.
    while (pos + 3 <= s.size() && s[pos + 2] == ',') {
      int hi = HexDigit(s[pos]), lo = HexDigit(s[pos + 1]);
      if (hi < 0 || lo < 0) break;
      if (out) out->push_back(static_cast<char>(hi * 16 + lo));
      pos += 3;
    }
    pos = SkipSpaces(s, pos);
    if (pos == s.size()) return 0;
    if (s[pos] == '\\') return SkipSpaces(s, pos + 1) == s.size() ? 1 : -1;
    if (pos + 1 >= s.size()) return -1;
    int hi = HexDigit(s[pos]), lo = HexDigit(s[pos + 1]);
    if (hi < 0 || lo < 0) return -1;
    if (out) out->push_back(static_cast<char>(hi * 16 + lo));
    pos = SkipSpaces(s, pos + 2);
    if (pos < s.size() && s[pos] == ',') ++pos;
  }
}

// The type tag of a value after '=': its type, and whether its data is a quoted string,
// a dword or hex bytes. Returns the length of the tag, 0 when it is none of Wine's.
enum class DataKind { kString, kDword, kHex };
std::size_t ParseTypeTag(std::string_view s, std::uint32_t* type, DataKind* kind) {
  struct Tag {
    const char* text;
    std::uint32_t type;
    DataKind kind = DataKind::kString;
  };
  static const Tag kTags[] = {
      {"\"", kRegSz, DataKind::kString},         {"str:\"", kRegSz, DataKind::kString},
      {"str(2):\"", kRegExpandSz, DataKind::kString}, {"str(7):\"", kRegMultiSz, DataKind::kString},
      {"hex:", kRegBinary, DataKind::kHex},       {"dword:", kRegDword, DataKind::kDword},
  };
  if (s.empty()) return 0;
  for (const Tag& tag : kTags) {
    // Most tags differ in their first character; a compare per tag costs more.
    if (tag.text[0] != s[0]) continue;
    std::size_t n = std::strlen(tag.text);
    if (s.substr(0, n) == tag.text) {
      *type = tag.type;
      *kind = tag.kind;
      return n;
    }
  }
  if (s.substr(0, 4) != "hex(") return 0;
  std::size_t pos = 4;
  std::uint64_t t = 0;
  while (pos < s.size() && HexDigit(s[pos]) >= 0 && t <= 0xffffffffull) t = t * 16 + HexDigit(s[pos++]);
  if (pos == 4 || t > 0xffffffffull || s.substr(pos, 2) != "):") return 0;
  *type = static_cast<std::uint32_t>(t);
  *kind = DataKind::kHex;
  return pos + 2;
}

// Wine orders and matches names by comparing their upper-cased units, the shorter first.
int CompareNames(std::u16string_view a, std::u16string_view b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t x = FoldRegChar(a[i]), y = FoldRegChar(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Key paths sort as Wine saves them: depth first, siblings by name.
int ComparePaths(std::u16string_view a, std::u16string_view b) {
  for (;;) {
    std::size_t ea = a.find(u'\\'), eb = b.find(u'\\');
    int c = CompareNames(a.substr(0, ea), b.substr(0, eb));
    if (c != 0) return c;
    if (ea == std::u16string_view::npos || eb == std::u16string_view::npos) {
      return ea == eb ? 0 : ea == std::u16string_view::npos ? -1 : 1;
    }
    a.remove_prefix(ea + 1);
    b.remove_prefix(eb + 1);
  }
}

std::u16string Fold(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = FoldRegChar(c);
  return out;
}

std::uint64_t HashPath(std::u16string_view canonical) {
  PathHasher hasher;
  for (char16_t c : canonical) {
    if (c == u'\\') {
      hasher.EndComponent();
    } else {
      hasher.Unit(c);
    }
  }
  return hasher.EndComponent();
}

std::string FormatKeyStamp(std::uint64_t filetime) {
  char buf[64];
  std::uint64_t secs = filetime > kTicks1601To1970 ? (filetime - kTicks1601To1970) / kTicksPerSecond : 0;
  std::snprintf(buf, sizeof buf, "] %u\n#time=%x%08x\n", static_cast<unsigned>(secs),
                static_cast<unsigned>(filetime >> 32), static_cast<unsigned>(filetime));
  return buf;
}

// A value line as Wine's server writes it, for the name in its written form ("@" or the
// quoted, escaped name).
std::string FormatValueLine(const std::string& written_name, const RegValue& value) {
  std::string out = written_name + "=";
  const std::string& d = value.data;
  bool string_type = value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz;
  if (string_type && d.size() >= 2 && d.size() % 2 == 0 && d[d.size() - 1] == 0 &&
      d[d.size() - 2] == 0) {
    const std::u16string text = RegBytesToText(std::string_view(d).substr(0, d.size() - 2));
    if (value.type != kRegSz) out += value.type == kRegExpandSz ? "str(2):" : "str(7):";
    out += "\"" + EscapeRegString(text, "\"\"") + "\"\n";
    return out;
  }
  char buf[32];
  if (value.type == kRegDword && d.size() == 4) {
    std::uint32_t dw = 0;
    for (int i = 3; i >= 0; --i) dw = dw << 8 | static_cast<unsigned char>(d[i]);
    std::snprintf(buf, sizeof buf, "dword:%08x\n", dw);
    return out + buf;
  }
  if (value.type == kRegBinary) {
    out += "hex:";
  } else {
    std::snprintf(buf, sizeof buf, "hex(%x):", value.type);
    out += buf;
  }
  // Wine counts the characters of the line and wraps after the comma that passes 76.
  std::size_t count = out.size();
  for (std::size_t i = 0; i < d.size(); ++i) {
    std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned char>(d[i]));
    out += buf;
    count += 2;
    if (i + 1 < d.size()) {
      out += ',';
      if (++count > 76) {
        out += "\\\n  ";
        count = 2;
      }
    }
  }
  out += '\n';
  return out;
}

}  // namespace

char16_t FoldRegChar(char16_t c) {
  if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 32 : c;
  if (c < 0x100) {
    if (c >= 0xe0 && c <= 0xfe && c != 0xf7) return c - 32;
    if (c == 0xff) return 0x178;
    if (c == 0xb5) return 0x39c;
    return c;
  }
  if (c < 0x180) {
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14a && c <= 0x177)) return c & ~1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17e)) return (c & 1) ? c : c - 1;
    return c;
  }
  if (c >= 0x3b1 && c <= 0x3cb && c != 0x3c2) return c - 32;
  if (c == 0x3c2) return 0x3a3;
  if (c >= 0x430 && c <= 0x44f) return c - 32;
  if (c >= 0x450 && c <= 0x45f) return c - 80;
  return c;
}

std::u16string RegBytesToText(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                         static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return text;
}

std::string RegTextToBytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t c : text) {
    bytes.push_back(static_cast<char>(c & 0xff));
    bytes.push_back(static_cast<char>(c >> 8));
  }
  return bytes;
}

std::string EscapeRegString(std::u16string_view text, const char* specials) {
  static const char kEscapes[] = ".......abtnvfr.............e....";
  std::string out;
  out.reserve(text.size());
  char buf[16];
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    char16_t next = i + 1 < text.size() ? text[i + 1] : 0;
    if (c > 127) {
      // A following hex digit would be read as part of a short escape.
      bool pad = next < 128 && HexDigit(static_cast<char>(next)) >= 0;
      std::snprintf(buf, sizeof buf, pad ? "\\x%04x" : "\\x%x", static_cast<unsigned>(c));
      out += buf;
    } else if (c < 32) {
      if (kEscapes[c] != '.') {
        out += '\\';
        out += kEscapes[c];
      } else {
        bool pad = next >= '0' && next <= '7';
        std::snprintf(buf, sizeof buf, pad ? "\\%03o" : "\\%o", static_cast<unsigned>(c));
        out += buf;
      }
    } else {
      if (c == '\\' || c == specials[0] || c == specials[1]) out += '\\';
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::size_t UnescapeRegString(std::string_view s, std::size_t pos, char end,
                              std::u16string* out) {
  while (pos < s.size()) {
    char c = s[pos];
    if (c == end) return pos + 1;
    if (static_cast<unsigned char>(c) >= 0x80) {
      DecodeUtf8(s, &pos, out);
      continue;
    }
    if (c != '\\') {
      out->push_back(static_cast<char16_t>(c));
      ++pos;
      continue;
    }
    if (++pos == s.size()) break;
    char e = s[pos++];
    switch (e) {
      case 'a': out->push_back(u'\a'); break;
      case 'b': out->push_back(u'\b'); break;
      case 'e': out->push_back(u'\x1b'); break;
      case 'f': out->push_back(u'\f'); break;
      case 'n': out->push_back(u'\n'); break;
      case 'r': out->push_back(u'\r'); break;
      case 't': out->push_back(u'\t'); break;
      case 'v': out->push_back(u'\v'); break;
      case 'x': {
        unsigned v = 0;
        int n = 0;
        while (n < 4 && pos < s.size() && HexDigit(s[pos]) >= 0) v = v * 16 + HexDigit(s[pos++]), ++n;
        out->push_back(n ? static_cast<char16_t>(v) : u'x');
        break;
      }
      default:
        if (e >= '0' && e <= '7') {
          unsigned v = e - '0';
          for (int n = 0; n < 2 && pos < s.size() && s[pos] >= '0' && s[pos] <= '7'; ++n) {
            v = v * 8 + (s[pos++] - '0');
          }
          out->push_back(static_cast<char16_t>(v));
        } else {
          out->push_back(static_cast<char16_t>(static_cast<unsigned char>(e)));
        }
    }
  }
  return std::string_view::npos;
}

struct RegFile::Block {
  std::size_t begin = 0;  // raw range in text_, used while edited < 0
  std::size_t end = 0;
  std::int32_t edited = -1;  // index into edited_
};

// An index entry: a key with a block of its own, or a key that exists only as the parent
// of the block `id`.
struct RegFile::Slot {
  std::uint64_t hash;
  std::uint32_t id;
  std::uint32_t explicit_block;
};

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
    while (same + 8 <= limit && std::memcmp(previous_name_.data() + same, name.data() + same, 8) == 0) {
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
  std::string_view previous_name_;      // raw name of the previous key, when ASCII
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

void RegFile::RebuildIndexTable() {
  std::size_t cap = 16;
  while (cap < entries_.size() * 2) cap *= 2;
  table_.assign(cap, 0);
  for (std::uint32_t i = 0; i < entries_.size(); ++i) {
    std::size_t s = entries_[i].hash & (cap - 1);
    while (table_[s]) s = (s + 1) & (cap - 1);
    table_[s] = i + 1;
  }
}

void RegFile::AddIndexEntry(std::uint64_t hash, std::uint32_t id, bool explicit_block) {
  entries_.push_back(Slot{hash, id, explicit_block ? 1u : 0u});
  if (entries_.size() * 2 > table_.size()) {
    RebuildIndexTable();
    return;
  }
  std::size_t mask = table_.size() - 1, s = hash & mask;
  while (table_[s]) s = (s + 1) & mask;
  table_[s] = static_cast<std::uint32_t>(entries_.size());
}

std::string_view RegFile::BlockText(std::uint32_t id) const {
  const Block& b = blocks_[id];
  if (b.edited >= 0) return edited_[b.edited];
  return std::string_view(text_).substr(b.begin, b.end - b.begin);
}

std::string RegFile::RawKeyName(std::uint32_t id) const {
  std::string_view text = BlockText(id);
  std::size_t open = text.find('[');
  std::size_t close = SkipRegString(text, open + 1, ']');
  return std::string(text.substr(open + 1, close - open - 2));
}

namespace {

std::u16string CanonicalOfRaw(const std::string& raw) {
  std::u16string name;
  UnescapeRegString(raw + "]", 0, ']', &name);
  return Fold(name);
}

// The canonical form of a path given by a caller; empty components make it invalid.
bool CanonicalOfPath(std::u16string_view path, std::u16string* out) {
  while (!path.empty() && path.back() == u'\\') path.remove_suffix(1);
  if (path.empty() || path.front() == u'\\' || path.find(u"\\\\") != std::u16string_view::npos) {
    return false;
  }
  *out = Fold(path);
  return true;
}

}  // namespace

bool RegFile::FindKey(std::u16string_view canonical, std::uint32_t* id, bool* explicit_block,
                      std::size_t* components) const {
  if (table_.empty()) return false;
  std::uint64_t h = HashPath(canonical);
  std::size_t mask = table_.size() - 1;
  bool found = false;
  for (std::size_t s = h & mask; table_[s]; s = (s + 1) & mask) {
    const Slot& e = entries_[table_[s] - 1];
    if (e.hash != h || (found && !e.explicit_block)) continue;
    std::u16string name = CanonicalOfRaw(RawKeyName(e.id));
    bool match = e.explicit_block ? name == canonical
                                  : name.size() > canonical.size() &&
                                        name.compare(0, canonical.size(), canonical) == 0 &&
                                        name[canonical.size()] == u'\\';
    if (!match) continue;
    *id = e.id;
    *explicit_block = e.explicit_block;
    found = true;
    if (e.explicit_block) break;
  }
  if (found && components) {
    *components = 1;
    for (char16_t c : canonical) *components += c == u'\\';
  }
  return found;
}

bool RegFile::KeyExists(std::u16string_view path) const {
  std::u16string canonical;
  std::uint32_t id;
  bool explicit_block;
  return CanonicalOfPath(path, &canonical) && FindKey(canonical, &id, &explicit_block, nullptr);
}

bool RegFile::OwnBlock(std::u16string_view path, std::uint32_t* id) const {
  std::u16string canonical;
  bool explicit_block;
  return CanonicalOfPath(path, &canonical) &&
         FindKey(canonical, id, &explicit_block, nullptr) && explicit_block;
}

namespace {

// A line of a key block; a value line includes the continuation lines of its hex data.
struct BlockLine {
  enum Kind { kKey, kTime, kOption, kValue, kOther } kind;
  std::size_t begin, end;         // in the block text, end past the '\n'
  std::string_view written_name;  // "@" or the quoted name as written
  std::u16string name;
  std::string_view data;  // from the type tag through the last continuation line
};

// Splits the text of a block that the parser has accepted.
std::vector<BlockLine> SplitBlock(std::string_view text) {
  std::vector<BlockLine> lines;
  std::size_t next = 0;
  for (std::size_t pos = 0; pos < text.size(); pos = next) {
    BlockLine l{BlockLine::kOther, pos, 0, {}, {}, {}};
    std::string_view line = LineAt(text, pos, &next);
    std::size_t p = SkipSpaces(line, 0);
    char c = p < line.size() ? line[p] : '\0';
    if (c == '[') {
      l.kind = BlockLine::kKey;
    } else if (c == '#') {
      l.kind = line.substr(p, 6) == "#time=" ? BlockLine::kTime : BlockLine::kOption;
    } else if (c == '@' || c == '"') {
      l.kind = BlockLine::kValue;
      std::size_t name_end = p + 1;
      if (c == '"') name_end = UnescapeRegString(line, p + 1, '"', &l.name);
      l.written_name = line.substr(p, name_end - p);
      std::size_t d = SkipSpaces(line, SkipSpaces(line, name_end) + 1);
      std::size_t data_begin = pos + d, data_end = pos + line.size();
      std::uint32_t type;
      DataKind kind = DataKind::kString;
      std::size_t tag = ParseTypeTag(line.substr(d), &type, &kind);
      if (kind == DataKind::kHex) {
        for (std::size_t q = d + tag; ParseHexLine(line, q, nullptr) == 1; q = 0) {
          std::size_t start = next;
          line = LineAt(text, start, &next);
          data_end = start + line.size();
        }
      }
      l.data = text.substr(data_begin, data_end - data_begin);
    }
    l.end = next;
    lines.push_back(std::move(l));
  }
  return lines;
}

void DecodeValue(std::string_view data, RegValue* value) {
  DataKind kind = DataKind::kString;
  std::size_t p = ParseTypeTag(data, &value->type, &kind);
  value->data.clear();
  switch (kind) {
    case DataKind::kString: {
      std::u16string text;
      UnescapeRegString(data, p, '"', &text);
      text.push_back(0);
      value->data = RegTextToBytes(text);
      break;
    }
    case DataKind::kDword: {
      std::uint32_t dw = static_cast<std::uint32_t>(std::strtoul(std::string(data.substr(p)).c_str(), nullptr, 16));
      for (int i = 0; i < 4; ++i) value->data.push_back(static_cast<char>(dw >> (8 * i)));
      break;
    }
    case DataKind::kHex:
      for (std::size_t next = 0;;) {
        std::string_view line = LineAt(data, next, &next);
        if (ParseHexLine(line, p, &value->data) != 1) break;
        p = 0;
      }
      break;
  }
}

}  // namespace

bool RegFile::GetValue(std::u16string_view path, std::u16string_view name,
                       RegValue* value) const {
  std::uint32_t id;
  if (!OwnBlock(path, &id)) return false;
  const BlockLine* found = nullptr;
  std::vector<BlockLine> lines = SplitBlock(BlockText(id));
  // Wine lets a later line of the same name win.
  for (const BlockLine& l : lines) {
    if (l.kind == BlockLine::kValue && CompareNames(l.name, name) == 0) found = &l;
  }
  if (!found) return false;
  DecodeValue(found->data, value);
  return true;
}

bool RegFile::LinkTarget(std::u16string_view path, std::u16string* target) const {
  std::uint32_t id;
  if (!OwnBlock(path, &id)) return false;
  bool link = false;
  for (const BlockLine& l : SplitBlock(BlockText(id))) {
    if (l.kind == BlockLine::kOption) {
      std::string_view text = BlockText(id).substr(l.begin, l.end - l.begin);
      link |= text.substr(SkipSpaces(text, 0), 5) == "#link";
    }
  }
  RegValue value;
  if (!link || !GetValue(path, u"SymbolicLinkValue", &value)) return false;
  *target = RegBytesToText(value.data);
  const std::size_t nul = target->find(u'\0');
  if (nul != std::u16string::npos) target->resize(nul);
  return true;
}

std::uint32_t RegFile::InsertBlock(const std::string& raw_name, std::u16string_view canonical) {
  std::size_t at = order_.size();
  for (std::size_t i = 0; i < order_.size(); ++i) {
    if (ComparePaths(CanonicalOfRaw(RawKeyName(order_[i])), canonical) > 0) {
      at = i;
      break;
    }
  }
  // A key without a block has children, so its block always goes before another one; the
  // empty line that separates blocks ends the block before.
  std::string text = "[" + raw_name + "] 0\n\n";
  std::uint32_t id = static_cast<std::uint32_t>(blocks_.size());
  edited_.push_back(std::move(text));
  blocks_.push_back(Block{0, 0, static_cast<std::int32_t>(edited_.size() - 1)});
  order_.insert(order_.begin() + at, id);
  AddIndexEntry(HashPath(canonical), id, true);
  return id;
}

bool RegFile::SetValue(std::u16string_view path, std::u16string_view name,
                       const RegValue& value, std::uint64_t filetime) {
  std::u16string canonical;
  std::uint32_t id;
  bool explicit_block;
  std::size_t components;
  if (!CanonicalOfPath(path, &canonical) ||
      !FindKey(canonical, &id, &explicit_block, &components)) {
    return false;
  }
  std::string raw = RawKeyName(id);
  if (!explicit_block) {
    // The key exists as the parent of this block: its name is the start of this one's.
    std::size_t cut = 0, seen = 0;
    while (cut < raw.size()) {
      if (raw[cut] == '\\' && cut + 1 < raw.size() && raw[cut + 1] == '\\' && ++seen == components) break;
      cut += raw[cut] == '\\' ? 2 : 1;
    }
    raw.resize(cut);
    id = InsertBlock(raw, canonical);
  }
  std::string old_text(BlockText(id));
  std::vector<BlockLine> lines = SplitBlock(old_text);
  std::size_t match = lines.size(), insert_at = lines.size(), last_content = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const BlockLine& l = lines[i];
    if (l.kind == BlockLine::kOther) continue;
    last_content = i;
    if (l.kind != BlockLine::kValue) continue;
    int c = CompareNames(l.name, name);
    if (c == 0 && match == lines.size()) match = i;
    if (c > 0 && insert_at == lines.size()) insert_at = i;
  }
  if (insert_at == lines.size()) insert_at = last_content + 1;
  std::string written_name =
      match < lines.size() ? std::string(lines[match].written_name)
                           : name.empty() ? "@" : "\"" + EscapeRegString(name, "\"\"") + "\"";
  std::string value_line = FormatValueLine(written_name, value);

  std::string out;
  out.reserve(old_text.size() + value_line.size() + 64);
  auto end_line = [&out] {
    if (!out.empty() && out.back() != '\n') out += '\n';
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const BlockLine& l = lines[i];
    if (match == lines.size() && i == insert_at) {
      end_line();
      out += value_line;
    }
    std::string_view text = std::string_view(old_text).substr(l.begin, l.end - l.begin);
    if (l.kind == BlockLine::kKey) {
      out += "[" + raw + FormatKeyStamp(filetime);
    } else if (l.kind == BlockLine::kTime) {
      continue;
    } else if (l.kind == BlockLine::kValue && CompareNames(l.name, name) == 0) {
      if (i == match) {
        end_line();
        out += value_line;
      }
    } else {
      end_line();
      out += text;
    }
  }
  if (match == lines.size() && insert_at == lines.size()) {
    end_line();
    out += value_line;
  }
  Block& b = blocks_[id];
  if (b.edited < 0) {
    edited_.push_back(std::move(out));
    b.edited = static_cast<std::int32_t>(edited_.size() - 1);
  } else {
    edited_[b.edited] = std::move(out);
  }
  return true;
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
  std::size_t slash = target.rfind('/');
  std::string dir = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
  std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string tmp;
  auto fail = [&](const std::string& what) {
    if (error) *error = "cannot write " + path + ": " + what + ": " + std::strerror(errno);
    return false;
  };
  int fd = CreateReplacement(dir, base, &tmp);
  if (fd < 0) return fail("cannot create a temporary file in " + dir);
  struct stat st;
  if (::stat(target.c_str(), &st) == 0) {
    ::fchmod(fd, st.st_mode & 07777);
    if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
      // Only root may give the file away; the old owner keeps it readable through the mode.
    }
  }
  bool ok = true;
  for (std::string_view piece : Pieces()) {
    if (!(ok = WriteStreaming(fd, piece))) break;
  }
  if (!ok || ::fsync(fd) != 0) {
    int saved = errno;
    ::close(fd);
    ::unlink(tmp.c_str());
    errno = saved;
    return fail("writing " + tmp);
  }
  if (::close(fd) != 0 || ::rename(tmp.c_str(), target.c_str()) != 0) {
    int saved = errno;
    ::unlink(tmp.c_str());
    errno = saved;
    return fail("replacing it");
  }
  // The folder is not flushed: should the rename be lost in a crash, the old file is still
  // whole, and the new one was complete on disk before it took the name.
  return true;
}

std::uint64_t RegFile::CurrentFileTime() {
  struct timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return kTicks1601To1970 + static_cast<std::uint64_t>(ts.tv_sec) * kTicksPerSecond +
         static_cast<std::uint64_t>(ts.tv_nsec) / 100;
}

}  // namespace platform::wine
