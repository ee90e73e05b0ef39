// The PE version reader on its own: hand-built blocks for the quirks, the sample DLLs cut
// short and bit-flipped for the bounds checks.
#include "platform/wine/pe_version.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using platform::wine::FindVersionResource;
using platform::wine::ParseVersionBlock;

void Put16(std::string* out, std::uint16_t value) {
  out->push_back(static_cast<char>(value & 0xFF));
  out->push_back(static_cast<char>(value >> 8));
}

void Pad4(std::string* out) {
  while (out->size() % 4) out->push_back('\0');
}

// One VS_VERSIONINFO node. wLength covers the node and its children, not the padding
// after the last child; `value_length` is written as given so tests can lie with it.
std::string Node(const std::u16string& key, std::uint16_t type, const std::string& value,
                 std::uint16_t value_length, const std::vector<std::string>& children = {}) {
  std::string out(6, '\0');
  for (char16_t c : key) Put16(&out, c);
  Put16(&out, 0);
  Pad4(&out);
  out += value;
  for (const std::string& child : children) {
    Pad4(&out);
    out += child;
  }
  out[0] = static_cast<char>(out.size() & 0xFF);
  out[1] = static_cast<char>(out.size() >> 8);
  out[2] = static_cast<char>(value_length & 0xFF);
  out[3] = static_cast<char>(value_length >> 8);
  out[4] = static_cast<char>(type);
  return out;
}

std::string Utf16Bytes(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) Put16(&out, c);
  Put16(&out, 0);
  return out;
}

std::string Text(const std::u16string& key, const std::u16string& value) {
  return Node(key, 1, Utf16Bytes(value), static_cast<std::uint16_t>(value.size() + 1));
}

std::string Block(const std::vector<std::string>& strings,
                  const std::vector<std::uint16_t>& translation = {0x0409, 0x04b0}) {
  std::string pairs;
  for (std::uint16_t v : translation) Put16(&pairs, v);
  const std::string fixed(52, '\0');  // VS_FIXEDFILEINFO; only its size matters here
  return Node(u"VS_VERSION_INFO", 0, fixed, 52,
              {Node(u"StringFileInfo", 1, "", 0, {Node(u"040904b0", 1, "", 0, strings)}),
               Node(u"VarFileInfo", 1, "", 0,
                    {Node(u"Translation", 0, pairs, static_cast<std::uint16_t>(pairs.size()))})});
}

std::string Query(platform::VersionInfo& info, const std::string& path) {
  std::string value;
  return info.QueryString(path, &value) ? value : "<absent>";
}

TEST(ParseVersionBlock, ReadsStringsAndTranslationsByCaseInsensitivePath) {
  auto info = ParseVersionBlock(
      Block({Text(u"CompanyName", u"Q"), Text(u"FileVersion", u"6.00.8168.0 \u00e9\u20ac")},
            {0x0409, 0x04b0, 0x0407, 0x04e4}));
  ASSERT_NE(info, nullptr);
  const auto translations = info->Translations();
  ASSERT_EQ(translations.size(), 2u);
  EXPECT_EQ(translations[1].language, 0x0407);
  EXPECT_EQ(translations[1].code_page, 0x04e4);
  EXPECT_EQ(Query(*info, "\\StringFileInfo\\040904b0\\FileVersion"), "6.00.8168.0 \xe9\x80");
  EXPECT_EQ(Query(*info, "\\stringfileinfo\\040904B0\\FILEVERSION"), "6.00.8168.0 \xe9\x80");
  EXPECT_EQ(Query(*info, "StringFileInfo\\\\040904b0\\CompanyName\\"), "Q");
  EXPECT_EQ(Query(*info, "\\StringFileInfo\\040904b0\\FileVers"), "<absent>");
  EXPECT_EQ(Query(*info, "\\StringFileInfo\\040704e4\\FileVersion"), "<absent>");
}

TEST(ParseVersionBlock, TextLengthCountedInBytesIsCutAtTheNul) {
  // Some resource compilers count text values in bytes; the string still ends at its NUL
  // and the reader must not run into the next value.
  const std::string value = Utf16Bytes(u"1.0");
  auto info = ParseVersionBlock(Block({Node(u"FileVersion", 1, value, 8), Text(u"Next", u"N")}));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(Query(*info, "\\StringFileInfo\\040904b0\\FileVersion"), "1.0");
  EXPECT_EQ(Query(*info, "\\StringFileInfo\\040904b0\\Next"), "N");
}

TEST(ParseVersionBlock, MalformedRootsGiveNothing) {
  EXPECT_EQ(ParseVersionBlock(""), nullptr);
  EXPECT_EQ(ParseVersionBlock(std::string("\x04\x00\x00\x00\x00\x00", 6)), nullptr);
  std::string block = Block({Text(u"FileVersion", u"1")});
  std::string longer = block;
  longer[0] = static_cast<char>(longer[0] + 4);  // claims more than there is
  EXPECT_EQ(ParseVersionBlock(longer), nullptr);
  std::string sixteen_bit = block;
  sixteen_bit[4] = 'V';  // the 16-bit form has its key where wType would be
  EXPECT_EQ(ParseVersionBlock(sixteen_bit), nullptr);
  // A key with no terminating NUL inside the node.
  EXPECT_EQ(ParseVersionBlock(std::string("\x0a\x00\x00\x00\x01\x00V\x00S\x00", 10)), nullptr);
}

TEST(ParseVersionBlock, BrokenChildrenAreSkippedNotFollowed) {
  std::string overrun = Text(u"FileVersion", u"1.0");
  overrun[0] = static_cast<char>(overrun[0] + 100);  // longer than its parent
  auto info = ParseVersionBlock(Block({Text(u"A", u"a"), overrun}));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(Query(*info, "\\StringFileInfo\\040904b0\\A"), "a");
  EXPECT_EQ(Query(*info, "\\StringFileInfo\\040904b0\\FileVersion"), "<absent>");
  EXPECT_EQ(info->Translations().size(), 1u);

  std::string empty = Text(u"Z", u"z");
  empty[0] = empty[1] = '\0';  // wLength 0 would never advance
  info = ParseVersionBlock(Block({empty, Text(u"FileVersion", u"2")}));
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(Query(*info, "\\StringFileInfo\\040904b0\\FileVersion"), "<absent>");

  std::string nested = Text(u"leaf", u"x");
  for (int i = 0; i < 200; ++i) nested = Node(u"n", 1, "", 0, {nested});
  EXPECT_NE(ParseVersionBlock(Node(u"VS_VERSION_INFO", 0, "", 0, {nested})), nullptr);
}

std::string SampleDll(const char* name) {
  std::ifstream in(std::string(TSL_TEST_DATA_DIR "/") + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PeImageTest : public ::testing::TestWithParam<const char*> {};

TEST_P(PeImageTest, FindsTheVersionResource) {
  const std::string image = SampleDll(GetParam());
  ASSERT_FALSE(image.empty()) << GetParam() << " was not built";
  std::string block;
  ASSERT_TRUE(FindVersionResource(image, &block));
  auto info = ParseVersionBlock(block);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(Query(*info, "\\StringFileInfo\\040704e4\\FileVersion"), "6.00.8447.0");
}

// Whatever the damage, the reader answers or refuses; it never reads outside the image.
// (Run under AddressSanitizer this is what catches an unchecked offset.)
void Exercise(const std::string& image) {
  std::string block;
  if (!FindVersionResource(image, &block)) return;
  auto info = ParseVersionBlock(block);
  if (!info) return;
  info->Translations();
  std::string value;
  info->QueryString("\\StringFileInfo\\040704e4\\FileVersion", &value);
  info->QueryString("\\StringFileInfo\\040904b0\\CompanyName", &value);
}

TEST_P(PeImageTest, TruncatedImagesAreRefusedSafely) {
  const std::string image = SampleDll(GetParam());
  ASSERT_FALSE(image.empty());
  std::string block;
  for (std::size_t size = 0; size < image.size(); size += size < 1024 ? 1 : 97) {
    Exercise(image.substr(0, size));
  }
  // A cut that leaves the resource data whole still reads it; one through it refuses it.
  for (std::size_t cut = 1; cut < 600 && cut < image.size(); ++cut) {
    const std::string shorter = image.substr(0, image.size() - cut);
    if (FindVersionResource(shorter, &block)) {
      EXPECT_NE(ParseVersionBlock(block), nullptr);
    }
  }
}

TEST_P(PeImageTest, BitFlippedImagesAndBlocksDoNotCrash) {
  const std::string image = SampleDll(GetParam());
  std::string block;
  ASSERT_TRUE(FindVersionResource(image, &block));
  const std::size_t block_at = image.find(block);
  ASSERT_NE(block_at, std::string::npos);
  std::mt19937 random(20261208);
  for (int round = 0; round < 3000; ++round) {
    std::string damaged = image;
    const int flips = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < flips; ++i) {
      // Half the damage goes into the headers and the version block, where it matters.
      std::size_t at;
      switch (random() % 3) {
        case 0:
          at = random() % 1024;
          break;
        case 1:
          at = block_at + random() % block.size();
          break;
        default:
          at = random() % damaged.size();
          break;
      }
      damaged[at % damaged.size()] ^= static_cast<char>(1u << (random() % 8));
    }
    Exercise(damaged);
  }
}

INSTANTIATE_TEST_SUITE_P(Sample, PeImageTest, ::testing::Values("version32.dll", "version64.dll"));

}  // namespace
