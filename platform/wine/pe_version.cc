// The PE version reader: a PE image's version resource found and its block parsed, without Wine.
// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/pe_version.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "platform/encoding.h"
#include "platform/wine/host_io.h"

namespace platform::wine {
namespace {

// Every read goes through these, so no offset taken from the file is trusted.
bool Read16(const std::string& data, std::uint64_t offset, std::uint16_t* value) {
  if (offset > data.size() || data.size() - offset < 2) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(data.data() + offset);
  *value = static_cast<std::uint16_t>(p[0] | (p[1] << 8));
  return true;
}

bool Read32(const std::string& data, std::uint64_t offset, std::uint32_t* value) {
  if (offset > data.size() || data.size() - offset < 4) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(data.data() + offset);
  *value = static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
  return true;
}

constexpr std::uint16_t kVsFileInfo = 16;    // RT_VERSION
constexpr std::uint16_t kVsVersionInfo = 1;  // the id GetFileVersionInfo looks up
constexpr std::uint32_t kHighBit = 0x80000000u;

class PeImage {
 public:
  explicit PeImage(const std::string& image) : image_(image) {}

  // Reads the headers; false unless this is a PE32 or PE32+ image with a resource table.
  bool Open() {
    std::uint16_t mz, sections, optional_size, magic;
    std::uint32_t pe_offset, signature, rva_count;
    if (!Read16(image_, 0, &mz) || mz != 0x5A4D || !Read32(image_, 0x3C, &pe_offset) ||
        !Read32(image_, pe_offset, &signature) || signature != 0x00004550) {
      return false;
    }
    const std::uint64_t coff = std::uint64_t{pe_offset} + 4;
    const std::uint64_t optional = coff + 20;
    if (!Read16(image_, coff + 2, &sections) || !Read16(image_, coff + 16, &optional_size) ||
        !Read16(image_, optional, &magic)) {
      return false;
    }
    std::uint64_t count_at;
    if (magic == 0x10B) {
      count_at = 92;
    } else if (magic == 0x20B) {
      count_at = 108;
    } else {
      return false;
    }
    // Data directory 2 is the resource table; it must lie inside the optional header.
    const std::uint64_t resource_entry = count_at + 4 + 2 * 8;
    if (!Read32(image_, optional + count_at, &rva_count) || rva_count < 3 ||
        resource_entry + 8 > optional_size ||
        !Read32(image_, optional + resource_entry, &resource_rva_) ||
        !Read32(image_, optional + resource_entry + 4, &resource_size_) || resource_rva_ == 0) {
      return false;
    }
    section_table_ = optional + optional_size;
    section_count_ = sections;
    return true;
  }

  // The file offset of `size` bytes at an RVA, when a section's raw data holds them all.
  bool RvaToOffset(std::uint32_t rva, std::uint32_t size, std::uint64_t* offset) const {
    for (std::uint32_t i = 0; i < section_count_; ++i) {
      const std::uint64_t header = section_table_ + std::uint64_t{i} * 40;
      std::uint32_t virtual_size, address, raw_size, raw_pointer;
      if (!Read32(image_, header + 8, &virtual_size) || !Read32(image_, header + 12, &address) ||
          !Read32(image_, header + 16, &raw_size) || !Read32(image_, header + 20, &raw_pointer)) {
        return false;
      }
      if (rva < address) continue;
      const std::uint64_t delta = rva - address;
      if (delta >= std::max(virtual_size, raw_size)) continue;
      if (delta + size > raw_size) return false;
      const std::uint64_t at = std::uint64_t{raw_pointer} + delta;
      if (at > image_.size() || image_.size() - at < size) return false;
      *offset = at;
      return true;
    }
    return false;
  }

  // The entry of the resource directory at `directory` (an offset into the resource
  // table) with the first of `ids` present; with `or_first` the first entry otherwise, as
  // the loader's language fallback ends.
  bool FindEntry(std::uint32_t directory, std::initializer_list<std::uint16_t> ids, bool or_first,
                 std::uint32_t* data) const {
    std::uint64_t at;
    std::uint16_t named, numbered;
    if (directory >= resource_size_ || !RvaToOffset(resource_rva_ + directory, 16, &at) ||
        !Read16(image_, at + 12, &named) || !Read16(image_, at + 14, &numbered)) {
      return false;
    }
    const std::uint32_t total = std::uint32_t{named} + numbered;
    std::uint64_t entries;
    if (total == 0 || !RvaToOffset(resource_rva_ + directory + 16, total * 8, &entries)) {
      return false;
    }
    for (std::uint16_t id : ids) {
      // Named entries come first; only the numbered ones can match an id.
      for (std::uint32_t i = named; i < total; ++i) {
        std::uint32_t name = 0;
        if (Read32(image_, entries + i * 8, &name) && name == id)
          return Read32(image_, entries + i * 8 + 4, data);
      }
    }
    return or_first && Read32(image_, entries + 4, data);
  }

  bool VersionBlock(std::string* block) const {
    std::uint32_t type_dir, name_dir, data_entry;
    // Language: neutral, then US English, then whatever comes first.
    if (!FindEntry(0, {kVsFileInfo}, false, &type_dir) || !(type_dir & kHighBit) ||
        !FindEntry(type_dir & ~kHighBit, {kVsVersionInfo}, false, &name_dir) ||
        !(name_dir & kHighBit) || !FindEntry(name_dir & ~kHighBit, {0, 0x409}, true, &data_entry) ||
        (data_entry & kHighBit)) {
      return false;
    }
    std::uint64_t entry, data;
    std::uint32_t data_rva, data_size;
    if (!RvaToOffset(resource_rva_ + data_entry, 16, &entry) || !Read32(image_, entry, &data_rva) ||
        !Read32(image_, entry + 4, &data_size) || !RvaToOffset(data_rva, data_size, &data)) {
      return false;
    }
    block->assign(image_, data, data_size);
    return true;
  }

 private:
  const std::string& image_;
  std::uint32_t resource_rva_ = 0;
  std::uint32_t resource_size_ = 0;
  std::uint64_t section_table_ = 0;
  std::uint32_t section_count_ = 0;
};

// One node of a VS_VERSIONINFO tree: wLength, wValueLength, wType, a UTF-16 key, the
// value and the children, each part starting on a 32-bit boundary of the block.
struct Node {
  std::u16string key;
  bool text = false;
  std::size_t value_offset = 0;
  std::size_t value_bytes = 0;
  std::vector<Node> children;
};

constexpr int kMaxDepth = 16;

std::size_t Align4(std::size_t offset) { return (offset + 3) & ~std::size_t{3}; }

// Parses the node at `offset` that must end by `limit`; false when it is malformed.
bool ParseNode(const std::string& block, std::size_t offset, std::size_t limit, int depth,
               Node* node, std::size_t* length) {
  std::uint16_t total, value_length, type;
  if (depth > kMaxDepth || !Read16(block, offset, &total) ||
      !Read16(block, offset + 2, &value_length) || !Read16(block, offset + 4, &type) || total < 6 ||
      total > limit - offset) {
    return false;
  }
  const std::size_t end = offset + total;
  std::size_t at = offset + 6;
  for (;;) {
    std::uint16_t unit;
    if (at + 2 > end || !Read16(block, at, &unit)) return false;
    at += 2;
    if (unit == 0) break;
    node->key.push_back(static_cast<char16_t>(unit));
  }
  node->text = type == 1;
  // Text lengths count UTF-16 units, binary ones bytes; some compilers count bytes for
  // text too, so a value that overruns its node is cut at the node's end.
  node->value_offset = std::min(Align4(at), end);
  node->value_bytes =
      std::min<std::size_t>(value_length * (node->text ? 2u : 1u), end - node->value_offset);
  at = Align4(node->value_offset + node->value_bytes);
  while (at + 6 <= end) {
    Node child;
    std::size_t child_length;
    if (!ParseNode(block, at, end, depth + 1, &child, &child_length)) break;
    node->children.push_back(std::move(child));
    at = Align4(at + child_length);
  }
  *length = total;
  return true;
}

class PeVersionInfo : public VersionInfo {
 public:
  PeVersionInfo(std::string block, Node root) : block_(std::move(block)), root_(std::move(root)) {}

  std::vector<Translation> Translations() override {
    std::vector<Translation> result;
    const Node* node = Find("\\VarFileInfo\\Translation");
    if (!node) return result;
    for (std::size_t i = 0; i + 4 <= node->value_bytes; i += 4) {
      Translation t;
      Read16(block_, node->value_offset + i, &t.language);
      Read16(block_, node->value_offset + i + 2, &t.code_page);
      result.push_back(t);
    }
    return result;
  }

  // Every value but the root and the translation table is handed out as text and
  // converted to ANSI, as VerQueryValueA does; it ends at its first NUL.
  bool QueryString(const std::string& sub_block, std::string* value) override {
    const Node* node = Find(sub_block);
    if (!node) return false;
    std::u16string text;
    for (std::size_t i = 0; i + 2 <= node->value_bytes; i += 2) {
      std::uint16_t unit = 0;
      if (!Read16(block_, node->value_offset + i, &unit) || unit == 0) break;
      text.push_back(static_cast<char16_t>(unit));
    }
    *value = Utf16ToAnsi(text);
    return true;
  }

 private:
  // Walks the '\'-separated path, each key compared ignoring case as VerQueryValue does.
  const Node* Find(const std::string& path) const {
    const Node* node = &root_;
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find('\\', start);
      if (end == std::string::npos) end = path.size();
      const std::string part = path.substr(start, end - start);
      start = end + 1;
      if (part.empty()) continue;
      const std::string wanted = AnsiToUpper(part);
      const Node* next = nullptr;
      for (const Node& child : node->children) {
        if (AnsiToUpper(Utf16ToAnsi(child.key)) == wanted) {
          next = &child;
          break;
        }
      }
      if (!next) return nullptr;
      node = next;
    }
    return node;
  }

  std::string block_;
  Node root_;
};

}  // namespace

bool FindVersionResource(const std::string& image, std::string* block) {
  PeImage pe(image);
  return pe.Open() && pe.VersionBlock(block);
}

std::unique_ptr<VersionInfo> ParseVersionBlock(std::string block) {
  // The 16-bit form has no wType, so its key's first character sits where wType would be.
  std::uint16_t type;
  if (!Read16(block, 4, &type) || type > 1) return nullptr;
  Node root;
  std::size_t length;
  if (!ParseNode(block, 0, block.size(), 0, &root, &length)) return nullptr;
  return std::make_unique<PeVersionInfo>(std::move(block), std::move(root));
}

std::unique_ptr<VersionInfo> PeVersionResources::Load(const std::string& path) {
  std::string host, error;
  if (!prefix_->ToHostPath(path, &host, &error)) return nullptr;
  const int fd = OpenRegularFile(host, &error);
  if (fd < 0) return nullptr;
  std::string image;
  const bool read = ReadToEnd(fd, &image);
  ::close(fd);
  if (!read) return nullptr;
  std::string block;
  if (!FindVersionResource(image, &block)) return nullptr;
  return ParseVersionBlock(std::move(block));
}

}  // namespace platform::wine
