// The parts of the registry file its sources share: the line and escape scanning the parser
// runs on every byte, key-path hashing and the blocks' layout. Not for use outside RegFile.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/byte_scan.h"
#include "platform/wine/reg_file.h"

namespace platform::wine {

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

using byte_scan::kHighs;
using byte_scan::kOnes;

// Marks the bytes of eight that are no plain ASCII name characters; the lowest mark is
// exact, higher ones may be false.
inline std::uint64_t SpecialBytes(std::uint64_t x) {
  return (x & kHighs) | byte_scan::BytesEqualTo(x, ']') | byte_scan::BytesEqualTo(x, '\\');
}

// Upper-cases eight ASCII bytes.
inline std::uint64_t FoldAscii8(std::uint64_t x) {
  std::uint64_t at_least_a = x + kOnes * (0x80 - 'a');
  std::uint64_t above_z = x + kOnes * (0x80 - 'z' - 1);
  return x ^ (((at_least_a & ~above_z) & kHighs) >> 2);
}

// FILETIME of 1970-01-01, the origin of the seconds on a key line.
inline constexpr std::uint64_t kTicks1601To1970 = 116444736000000000ull;
inline constexpr std::uint64_t kTicksPerSecond = 10000000ull;

inline bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

struct HexTable {
  signed char value[256];
  constexpr HexTable() : value() {
    for (int c = 0; c < 256; ++c) {
      value[c] = c >= '0' && c <= '9'   ? c - '0'
                 : c >= 'a' && c <= 'f' ? c - 'a' + 10
                 : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                        : -1;
    }
  }
};
inline constexpr HexTable kHex;

inline int HexDigit(char c) { return kHex.value[static_cast<unsigned char>(c)]; }

// Where the first `c` from `pos` is, or the end of the text.
inline std::size_t FindByte(std::string_view text, std::size_t pos, char c) {
  return platform::FindByte(text.data() + pos, text.data() + text.size(), c) - text.data();
}

// One line without its '\n' (and without a '\r' before it, which Wine drops too). Wine reads
// its files with fgets and takes a line as a C string, so a NUL ends the line there: what
// follows it up to the line break is not seen.
inline std::string_view LineAt(std::string_view text, std::size_t pos, std::size_t* next) {
  std::size_t end = FindByte(text, pos, '\n');
  *next = end < text.size() ? end + 1 : text.size();
  std::string_view line = text.substr(pos, end - pos);
  if (const void* nul = std::memchr(line.data(), 0, line.size())) {
    return line.substr(0, static_cast<const char*>(nul) - line.data());
  }
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

inline std::size_t SkipSpaces(std::string_view s, std::size_t pos) {
  while (pos < s.size() && IsSpace(s[pos])) ++pos;
  return pos;
}

// Scans past an escaped string up to its unescaped end character without decoding it: the
// end character closes the string when an even run of backslashes precedes it.
inline std::size_t SkipRegString(std::string_view s, std::size_t pos, char end) {
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

// Parses one line of hex data from `pos` as Wine's loader does: bytes are runs of hex digits
// (as strtoul reads them, "0x" allowed) of at most 0xff, each followed by optional spaces and
// one optional comma. Returns 1 when a '\' follows the bytes (Wine then goes on with the next
// line whatever else this one holds), 0 when nothing does, -1 on anything else.
inline int ParseHexLine(std::string_view s, std::size_t pos, std::string* out) {
  for (;;) {
    // Wine writes "xx," runs without spaces; those take the short way.
    while (pos + 3 <= s.size() && s[pos + 2] == ',') {
      int hi = HexDigit(s[pos]), lo = HexDigit(s[pos + 1]);
      if (hi < 0 || lo < 0) break;
      if (out) out->push_back(static_cast<char>(hi * 16 + lo));
      pos += 3;
    }
    if (pos >= s.size() || HexDigit(s[pos]) < 0) break;
    std::size_t q = pos;
    if (s[q] == '0' && q + 2 < s.size() && (s[q + 1] == 'x' || s[q + 1] == 'X') &&
        HexDigit(s[q + 2]) >= 0) {
      q += 2;
    }
    unsigned v = 0;
    for (; q < s.size() && HexDigit(s[q]) >= 0; ++q) {
      v = v > 0xff ? v : v * 16 + HexDigit(s[q]);
    }
    if (v > 0xff) return -1;
    if (out) out->push_back(static_cast<char>(v));
    pos = SkipSpaces(s, q);
    if (pos < s.size() && s[pos] == ',') ++pos;
    pos = SkipSpaces(s, pos);
  }
  pos = SkipSpaces(s, pos);
  if (pos == s.size()) return 0;
  return s[pos] == '\\' ? 1 : -1;
}

// The type tag of a value after '=': its type, and whether its data is a quoted string,
// a dword or hex bytes. Returns the length of the tag, 0 when it is none of Wine's.
enum class DataKind { kString, kDword, kHex };
inline std::size_t ParseTypeTag(std::string_view s, std::uint32_t* type, DataKind* kind) {
  struct Tag {
    const char* text;
    std::uint32_t type;
    DataKind kind = DataKind::kString;
  };
  static const Tag kTags[] = {
      {"\"", kRegSz, DataKind::kString},
      {"str:\"", kRegSz, DataKind::kString},
      {"str(2):\"", kRegExpandSz, DataKind::kString},
      {"str(7):\"", kRegMultiSz, DataKind::kString},
      {"hex:", kRegBinary, DataKind::kHex},
      {"dword:", kRegDword, DataKind::kDword},
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
  while (pos < s.size() && HexDigit(s[pos]) >= 0 && t <= 0xffffffffull)
    t = t * 16 + HexDigit(s[pos++]);
  if (pos == 4 || t > 0xffffffffull || s.substr(pos, 2) != "):") return 0;
  *type = static_cast<std::uint32_t>(t);
  *kind = DataKind::kHex;
  return pos + 2;
}

// A value line as Wine's loader reads it. Offsets are into the text given to ScanValueLine.
struct ValueScan {
  std::size_t name_begin = 0, name_end = 0;  // the written name: "@" or the quoted name
  std::size_t data_begin = 0, data_end = 0;  // the type tag through the last line consumed
  bool data_ok = false;  // false: Wine keeps the value, empty and of type REG_NONE
  bool open_end = false;  // hex data continued with '\' on the file's last line
};

// Reads the value line at `pos` (spaces, then '@' or '"') and, for hex data continued with
// '\', the lines Wine consumes with it; *next is past the last of them. False when the name
// or the '=' after it does not parse: Wine skips such a line and consumes no other.
[[nodiscard]] bool ScanValueLine(std::string_view text, std::size_t pos, std::size_t* next,
                                 ValueScan* scan);

// The longest name a key component may have (UTF-16 units); Wine cannot create a longer one.
inline constexpr std::size_t kMaxKeyComponent = 256;

// Wine orders and matches names by comparing their upper-cased units, the shorter first.
int CompareNames(std::u16string_view a, std::u16string_view b);

// Key paths sort as Wine saves them: depth first, siblings by name.
int ComparePaths(std::u16string_view a, std::u16string_view b);

// The hash of a canonical (folded) key path, as the index holds it.
std::uint64_t HashPath(std::u16string_view canonical);

// The canonical form of a key name as written in the file.
std::u16string CanonicalOfRaw(const std::string& raw);

// The canonical form of a path given by a caller; empty components make it invalid.
[[nodiscard]] bool CanonicalOfPath(std::u16string_view path, std::u16string* out);

struct RegFile::Block {
  std::size_t begin = 0;  // raw range in text_, used while edited < 0
  std::size_t end = 0;
  std::int32_t edited = -1;  // index into edited_
  bool merged_away = false;  // a later block of a key, merged into its first and left out
  bool loaded = true;        // false when Wine cannot create the key: its lines count for nothing
};

// An index entry: a key with a block of its own, or a key that exists only as the parent
// of the block `id`.
struct RegFile::Slot {
  std::uint64_t hash;
  std::uint32_t id;
  std::uint32_t explicit_block;
};

}  // namespace platform::wine
