// The registry file's key index: folding, ordering and hashing of key paths, and lookups.
#include <algorithm>

#include "platform/wine/reg_file_parts.h"

namespace platform::wine {

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

namespace {

std::u16string Fold(std::u16string_view s) {
  std::u16string out(s);
  for (char16_t& c : out) c = FoldRegChar(c);
  return out;
}

}  // namespace

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

std::u16string CanonicalOfRaw(const std::string& raw) {
  std::u16string name;
  UnescapeRegString(raw + "]", 0, ']', &name);
  // Wine skips empty components: "\\A\\\\B\\" names the key A\B.
  std::u16string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] == u'\\' && (out.empty() || out.back() == u'\\')) continue;
    out.push_back(FoldRegChar(name[i]));
  }
  if (!out.empty() && out.back() == u'\\') out.pop_back();
  return out;
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

bool RegFile::FindKey(std::u16string_view canonical, std::uint32_t* id, bool* explicit_block,
                      std::size_t* components) const {
  if (table_.empty()) return false;
  std::uint64_t h = HashPath(canonical);
  std::size_t mask = table_.size() - 1;
  bool found = false;
  for (std::size_t s = h & mask; table_[s]; s = (s + 1) & mask) {
    const Slot& e = entries_[table_[s] - 1];
    if (e.hash != h || (found && !e.explicit_block)) continue;
    if (e.explicit_block && blocks_[e.id].merged_away) continue;
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

std::vector<std::uint32_t> RegFile::OwnBlocks(std::u16string_view canonical) const {
  std::vector<std::uint32_t> ids;
  if (table_.empty()) return ids;
  std::uint64_t h = HashPath(canonical);
  std::size_t mask = table_.size() - 1;
  // Entries of one hash lie along one probe run; the whole run is read, so every block of
  // a key that the file holds more than once is found.
  for (std::size_t s = h & mask; table_[s]; s = (s + 1) & mask) {
    const Slot& e = entries_[table_[s] - 1];
    if (e.hash != h || !e.explicit_block || blocks_[e.id].merged_away) continue;
    if (CanonicalOfRaw(RawKeyName(e.id)) == canonical) ids.push_back(e.id);
  }
  // Parsed blocks are numbered in file order; a block added later is a key's only one.
  std::sort(ids.begin(), ids.end());
  return ids;
}

bool RegFile::KeyExists(std::u16string_view path) const {
  std::u16string canonical;
  std::uint32_t id;
  bool explicit_block;
  return CanonicalOfPath(path, &canonical) && FindKey(canonical, &id, &explicit_block, nullptr);
}

}  // namespace platform::wine
