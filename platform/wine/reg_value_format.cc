// The registry file's values: decoding them from a block and writing a changed block anew.
#include <algorithm>
#include <cstdio>

#include "platform/wine/reg_file_parts.h"

namespace platform::wine {

namespace {

std::string FormatKeyStamp(std::uint64_t filetime) {
  char buf[64];
  std::uint64_t secs =
      filetime > kTicks1601To1970 ? (filetime - kTicks1601To1970) / kTicksPerSecond : 0;
  std::snprintf(buf, sizeof buf, "] %u\n#time=%x%08x\n", static_cast<unsigned>(secs),
                static_cast<unsigned>(filetime >> 32), static_cast<unsigned>(filetime));
  return buf;
}

// A value line as Wine's server writes it, for the name in its written form ("@" or the
// quoted, escaped name).
std::string FormatValueLine(const std::string& written_name, const RegValue& value) {
  std::string out = written_name + "=";
  const std::string& d = value.data;
  bool string_type =
      value.type == kRegSz || value.type == kRegExpandSz || value.type == kRegMultiSz;
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

// A line of a key block; a value line includes the continuation lines of its hex data.
struct BlockLine {
  enum Kind { kKey, kTime, kOption, kValue, kOther } kind;
  std::size_t begin, end;         // in the block text, end past the '\n'
  std::string_view written_name;  // "@" or the quoted name as written
  std::u16string name;
  std::string_view data;  // from the type tag through the last continuation line
  bool data_ok = false;   // false: Wine holds the value empty, of type REG_NONE
  bool open_end = false;  // its data asks for a line after the end of the file
};

// Splits the text of a block the parser has taken for a key. Lines Wine skips are kOther
// and are written back as they are.
std::vector<BlockLine> SplitBlock(std::string_view text) {
  std::vector<BlockLine> lines;
  std::size_t next = 0;
  for (std::size_t pos = 0; pos < text.size(); pos = next) {
    BlockLine l{BlockLine::kOther, pos, 0, {}, {}, {}};
    std::string_view line = LineAt(text, pos, &next);
    std::size_t p = SkipSpaces(line, 0);
    char c = p < line.size() ? line[p] : '\0';
    ValueScan scan;
    if (c == '[') {
      l.kind = BlockLine::kKey;
    } else if (c == '#') {
      l.kind = line.substr(p, 6) == "#time=" ? BlockLine::kTime : BlockLine::kOption;
    } else if ((c == '@' || c == '"') && ScanValueLine(text, pos, &next, &scan)) {
      l.kind = BlockLine::kValue;
      l.written_name = text.substr(scan.name_begin, scan.name_end - scan.name_begin);
      if (c == '"') UnescapeRegString(l.written_name, 1, '"', &l.name);
      l.data = text.substr(scan.data_begin, scan.data_end - scan.data_begin);
      l.data_ok = scan.data_ok;
      l.open_end = scan.open_end;
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
      std::uint32_t dw = static_cast<std::uint32_t>(
          std::strtoul(std::string(data.substr(p)).c_str(), nullptr, 16));
      for (int i = 0; i < 4; ++i) value->data.push_back(static_cast<char>(dw >> (8 * i)));
      break;
    }
    case DataKind::kHex:
      for (std::size_t next = 0;;) {
        std::string_view line = LineAt(data, next, &next);
        if (ParseHexLine(line, p, &value->data) != 1) break;
        // Wine skips the leading spaces of a continuation line.
        std::size_t after;
        p = SkipSpaces(LineAt(data, next, &after), 0);
      }
      break;
  }
}

// Whether a block's options make its key a symbolic link.
bool IsLinkBlock(std::string_view text) {
  for (const BlockLine& l : SplitBlock(text)) {
    if (l.kind != BlockLine::kOption) continue;
    std::string_view line = text.substr(l.begin, l.end - l.begin);
    if (line.substr(SkipSpaces(line, 0), 5) == "#link") return true;
  }
  return false;
}

// A line of a block with its '\n', which the last line of a file may lack.
std::string WholeLine(std::string_view text, const BlockLine& l) {
  std::string line(text.substr(l.begin, l.end - l.begin));
  if (line.empty() || line.back() != '\n') line += '\n';
  return line;
}

}  // namespace

bool ScanValueLine(std::string_view text, std::size_t pos, std::size_t* next, ValueScan* scan) {
  std::string_view line = LineAt(text, pos, next);
  std::size_t p = SkipSpaces(line, 0);
  scan->name_begin = pos + p;
  if (line[p] == '"') {
    p = SkipRegString(line, p + 1, '"');
    if (p == std::string_view::npos) return false;
  } else {
    ++p;
  }
  scan->name_end = pos + p;
  p = SkipSpaces(line, p);
  if (p == line.size() || line[p] != '=') return false;
  p = SkipSpaces(line, p + 1);
  scan->data_begin = pos + p;
  scan->data_end = pos + line.size();
  std::uint32_t type;
  DataKind kind = DataKind::kString;
  const std::size_t tag = ParseTypeTag(line.substr(p), &type, &kind);
  scan->data_ok = false;
  if (tag == 0) return true;
  switch (kind) {
    case DataKind::kString:
      // Wine reads up to the closing quote and ignores what follows it.
      scan->data_ok = SkipRegString(line, p + tag, '"') != std::string_view::npos;
      return true;
    case DataKind::kDword:
      scan->data_ok = true;  // strtoul: whatever it makes of the text
      return true;
    case DataKind::kHex:
      break;
  }
  for (std::size_t q = p + tag;;) {
    const int r = ParseHexLine(line, q, nullptr);
    if (r <= 0) {
      scan->data_ok = r == 0;
      return true;
    }
    if (*next >= text.size()) {  // continued past the end of the file
      scan->open_end = true;
      return true;
    }
    const std::size_t start = *next;
    line = LineAt(text, start, next);
    scan->data_end = start + line.size();
    q = SkipSpaces(line, 0);
  }
}

std::vector<std::uint32_t> RegFile::LoadedBlocks(std::u16string_view path) const {
  std::u16string canonical;
  std::vector<std::uint32_t> ids;
  if (!CanonicalOfPath(path, &canonical)) return ids;
  ids = OwnBlocks(canonical);
  for (std::size_t i = 0; i + 1 < ids.size(); ++i) {
    if (IsLinkBlock(BlockText(ids[i]))) {
      ids.resize(i + 1);
      break;
    }
  }
  return ids;
}

bool RegFile::GetValue(std::u16string_view path, std::u16string_view name, RegValue* value) const {
  std::string_view found;
  bool any = false, ok = false;
  // Wine lets a later line of the same name win, in a block and across the blocks of a key.
  for (std::uint32_t id : LoadedBlocks(path)) {
    for (const BlockLine& l : SplitBlock(BlockText(id))) {
      if (l.kind == BlockLine::kValue && CompareNames(l.name, name) == 0) {
        found = l.data;
        ok = l.data_ok;
        any = true;
      }
    }
  }
  if (!any) return false;
  if (!ok) {
    // Data Wine could not read leaves the value there, empty and of no type.
    value->type = 0;
    value->data.clear();
    return true;
  }
  DecodeValue(found, value);
  return true;
}

bool RegFile::LinkTarget(std::u16string_view path, std::u16string* target) const {
  bool link = false;
  for (std::uint32_t id : LoadedBlocks(path)) link |= IsLinkBlock(BlockText(id));
  RegValue value;
  if (!link || !GetValue(path, u"SymbolicLinkValue", &value)) return false;
  *target = RegBytesToText(value.data);
  const std::size_t nul = target->find(u'\0');
  if (nul != std::u16string::npos) target->resize(nul);
  return true;
}

void RegFile::MergeBlocks(const std::vector<std::uint32_t>& ids) {
  // Wine keeps the first block's key name, stamp and value names, takes the data of a
  // value from its last line, and adds the values only later blocks have; it cannot add
  // to a link, so blocks after the first link block count for nothing.
  std::string head, options;
  struct Merged {
    std::u16string name;
    std::string written_name, line;
  };
  std::vector<Merged> values;
  bool link = false;
  for (std::size_t k = 0; k < ids.size() && !link; ++k) {
    std::string_view text = BlockText(ids[k]);
    link = IsLinkBlock(text);
    for (const BlockLine& l : SplitBlock(text)) {
      switch (l.kind) {
        case BlockLine::kKey:
        case BlockLine::kTime:
          if (k == 0) (l.kind == BlockLine::kKey ? head : options) += WholeLine(text, l);
          break;
        case BlockLine::kOption:
          if (options.find(WholeLine(text, l)) == std::string::npos) options += WholeLine(text, l);
          break;
        case BlockLine::kValue: {
          auto same = std::find_if(values.begin(), values.end(), [&l](const Merged& m) {
            return CompareNames(m.name, l.name) == 0;
          });
          if (same == values.end()) {
            values.push_back(Merged{l.name, std::string(l.written_name), WholeLine(text, l)});
          } else {
            same->line = same->written_name + "=" + std::string(l.data) + "\n";
          }
          break;
        }
        case BlockLine::kOther:
          break;
      }
    }
  }
  std::string out = head + options;
  for (const Merged& m : values) out += m.line;
  out += '\n';
  Block& first = blocks_[ids[0]];
  if (first.edited < 0) {
    edited_.push_back(std::move(out));
    first.edited = static_cast<std::int32_t>(edited_.size() - 1);
  } else {
    edited_[first.edited] = std::move(out);
  }
  for (std::size_t k = 1; k < ids.size(); ++k) {
    blocks_[ids[k]].merged_away = true;
    order_.erase(std::find(order_.begin(), order_.end(), ids[k]));
  }
}

std::uint32_t RegFile::InsertBlock(const std::string& raw_name, std::u16string_view canonical) {
  std::size_t at = order_.size();
  for (std::size_t i = 0; i < order_.size(); ++i) {
    if (!blocks_[order_[i]].loaded) continue;
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

bool RegFile::SetValue(std::u16string_view path, std::u16string_view name, const RegValue& value,
                       std::uint64_t filetime) {
  std::u16string canonical;
  std::uint32_t id;
  bool explicit_block;
  std::size_t components;
  if (!CanonicalOfPath(path, &canonical) ||
      !FindKey(canonical, &id, &explicit_block, &components)) {
    return false;
  }
  std::string raw = RawKeyName(id);
  if (explicit_block) {
    // A key the file holds more than once is written as one block, as Wine saves it, so the
    // value written is the one Wine reads.
    std::vector<std::uint32_t> ids = OwnBlocks(canonical);
    if (ids.size() > 1) MergeBlocks(ids);
    id = ids.front();
  } else {
    // The key exists as the parent of this block: its name is the start of this one's.
    // Wine skips empty components, so only a separator after a name counts.
    std::size_t cut = 0, seen = 0, length = 0;
    while (cut < raw.size()) {
      if (raw[cut] == '\\' && cut + 1 < raw.size() && raw[cut + 1] == '\\') {
        if (length > 0 && ++seen == components) break;
        length = 0;
        cut += 2;
        continue;
      }
      cut += raw[cut] == '\\' ? 2 : 1;
      ++length;
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
  // A line after hex data left open at the end of the file would be read as more of it.
  if (insert_at > last_content && last_content < lines.size() && lines[last_content].open_end) {
    insert_at = last_content;
  }
  std::string written_name = match < lines.size() ? std::string(lines[match].written_name)
                             : name.empty()       ? "@"
                                                  : "\"" + EscapeRegString(name, "\"\"") + "\"";
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

}  // namespace platform::wine
