// One of the Wine prefix's registry files: parse, load, keys and values, and the atomic save.
// A Wine prefix seen from Linux: no Wine code runs here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform::wine {

/// Value types as Windows numbers them; Wine's files name the odd ones by number (hex(N):).
enum RegType : std::uint32_t {
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegLink = 6,
  kRegMultiSz = 7,
};

/// A value as Windows holds it: strings are UTF-16LE bytes with their terminating NUL.
struct RegValue {
  std::uint32_t type = kRegSz;
  std::string data;
};

/// One of Wine's registry files (system.reg, user.reg) in its own text format, kept as the
/// text it was read from: untouched keys are written back byte for byte, only the blocks of
/// changed keys are written anew, so Wine and a diff see exactly what changed. The file is
/// one buffer with a compact hash of key names into it; values are decoded only when asked.
/// Key paths are UTF-16 names joined by single backslashes, relative to the file's root,
/// and compare case-insensitively as Wine compares them.
class RegFile {
 public:
  ~RegFile();
  RegFile(const RegFile&) = delete;
  RegFile& operator=(const RegFile&) = delete;

  /// Parses the text of a registry file as Wine's loader reads it: lines it skips (one it
  /// does not understand, a value outside a key, the values of a key it cannot create) are
  /// kept in the text and read as nothing; a value whose data it cannot read is there,
  /// empty and of type 0 (REG_NONE). Only a text Wine would not load at all (no "WINE
  /// REGISTRY Version 2" first line, or empty) gives nullptr, with "<name>:1: <reason>".
  [[nodiscard]] static std::unique_ptr<RegFile> Parse(const std::string& name, std::string text,
                                                      std::string* error);

  /// Reads and parses a file; errors name the path and the line.
  [[nodiscard]] static std::unique_ptr<RegFile> Load(const std::string& path, std::string* error);

  /// True when the file says "#arch=win64": its HKLM has a 32-bit view under Wow6432Node.
  bool IsWin64() const { return win64_; }

  /// The key the file's paths are relative to ("REGISTRY\Machine"), as its second line says;
  /// symbolic links name their targets from above it.
  const std::u16string& Root() const { return root_; }

  /// Whether a key exists, with a block of its own or only as the parent of other keys
  /// (Wine writes no block for a key that has subkeys but no values).
  bool KeyExists(std::u16string_view path) const;

  /// The target of a symbolic-link key ("\Registry\Machine\Software\Classes"); false when
  /// the key is no link.
  [[nodiscard]] bool LinkTarget(std::u16string_view path, std::u16string* target) const;

  /// Reads a value ("" is the default value); false when the key or value is missing.
  [[nodiscard]] bool GetValue(std::u16string_view path, std::u16string_view name,
                              RegValue* value) const;

  /// Sets a value in an existing key and stamps the key with `filetime` (100 ns since 1601),
  /// as Wine does when a value changes. False when the key does not exist.
  [[nodiscard]] bool SetValue(std::u16string_view path, std::u16string_view name,
                              const RegValue& value, std::uint64_t filetime);

  /// The file as Save writes it.
  std::string Text() const;

  /// Replaces the file at `path` atomically with Text(), keeping the old file's permissions,
  /// as every host file is replaced (ReplaceHostFile).
  [[nodiscard]] bool Save(const std::string& path, std::string* error) const;

  /// Now as a Windows FILETIME, the stamp SetValue wants.
  static std::uint64_t CurrentFileTime();

 private:
  struct Block;
  struct Slot;
  class Parser;

  RegFile() = default;
  std::string_view BlockText(std::uint32_t id) const;
  std::vector<std::string_view> Pieces() const;
  [[nodiscard]] bool FindKey(std::u16string_view canonical, std::uint32_t* id, bool* explicit_block,
                             std::size_t* components) const;
  // Every block of its own a key has, in file order: a file may hold a key more than once,
  // and Wine merges such blocks when it loads the file. Empty when the key is missing or
  // only a parent.
  std::vector<std::uint32_t> OwnBlocks(std::u16string_view canonical) const;
  // The blocks of a key whose values Wine loads: all of OwnBlocks up to the first one that
  // makes the key a link, since Wine cannot open a link key to add the later ones.
  std::vector<std::uint32_t> LoadedBlocks(std::u16string_view path) const;
  // Merges the blocks of a key into its first one, as Wine saves a key it loaded from
  // several; the others leave the file.
  void MergeBlocks(const std::vector<std::uint32_t>& ids);
  std::string RawKeyName(std::uint32_t id) const;
  void AddIndexEntry(std::uint64_t hash, std::uint32_t id, bool explicit_block);
  void RebuildIndexTable();
  std::uint32_t InsertBlock(const std::string& raw_name, std::u16string_view canonical);

  std::string text_;
  std::size_t header_end_ = 0;  // the header is text_[0, header_end_)
  bool win64_ = false;
  std::u16string root_;
  std::vector<Block> blocks_;         // by id; ids never change
  std::vector<std::uint32_t> order_;  // ids in file order
  std::vector<std::string> edited_;   // texts of rewritten or new blocks
  std::vector<Slot> entries_;         // every index entry, table_ is rebuilt from it
  std::vector<std::uint32_t> table_;  // open addressing over entries_, 0 = empty
};

/// The UTF-16 units of a string value's little-endian bytes; a torn last byte is dropped.
std::u16string RegBytesToText(std::string_view bytes);

/// The little-endian bytes a string value holds for `text` (no NUL is added).
std::string RegTextToBytes(std::u16string_view text);

/// Wine's escaping of a string in its registry files (for `[`-key names use "[]", for
/// values "\"\""): non-ASCII as \x escapes, control characters as C or octal escapes.
std::string EscapeRegString(std::u16string_view text, const char* specials);

/// Decodes an escaped string as Wine reads it, up to the unescaped `end` character; returns
/// the index just past `end`, or npos when the text ends first.
std::size_t UnescapeRegString(std::string_view text, std::size_t pos, char end,
                              std::u16string* out);

/// Upper-cases a UTF-16 code unit as Wine does to compare registry names (ASCII, Latin-1,
/// Latin Extended-A, Greek, Cyrillic).
char16_t FoldRegChar(char16_t c);

}  // namespace platform::wine
