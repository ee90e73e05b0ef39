// The registry file: round trips, Wine's escapes, value types, key order, bad input, the save.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "platform/wine/reg_file.h"

namespace platform::wine {
namespace {

// Lines as Wine 8 wrote them after `reg import` of values with odd characters.
const char kWineText[] =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n"
    "\n"
    "#arch=win64\n"
    "\n"
    "[Software\\\\Classes\\\\.chm] 1796741661\n"
    "#time=1dd872401fa600a\n"
    "@=\"chm.file\"\n"
    "\n"
    "[Software\\\\Tsl\\\\Escapes] 1796741750\n"
    "#time=1dd872436ed7e1e\n"
    "@=\"def\"\n"
    "\"bin\"=hex:01,02,03\n"
    "\"ctl\"=\"A\\nB\\tC\\rD\\aE\\0011\\2x\\e\"\n"
    "\"dw\"=dword:0000002a\n"
    "\"exp\"=str(2):\"%PATH%\"\n"
    "\"hexafter\"=\"\\x00fca\\xe9z\"\n"
    "\"multi\"=str(7):\"a\\0b\\0\"\n"
    "\"name with \\\"q\\\" [x]\"=\"v\"\n"
    "\"nonascii\"=\"M\\xfcller \\xa9 \\x20ac \\x100x\"\n"
    "\"odd\"=hex(1):41,00,00,00,78\n"
    "\"plain\"=\"a\\\\b\\\"c\"\n"
    "\n"
    "[Software\\\\Tsl\\\\Escapes\\\\Sub \\[br\\] \\xe9] 1796741750\n"
    "#time=1dd872436ed7edc\n"
    "\"x\"=\"y\"\n"
    "\n"
    "[Software\\\\Wow6432Node\\\\Classes] 1796741659\n"
    "#time=1dd872400e00918\n"
    "#link\n"
    "\"SymbolicLinkValue\"=hex(6):5c,00,52,00,65,00,67,00,69,00,73,00,74,00,72,00,79,\\\n"
    "  00,5c,00,4d,00,61,00,63,00,68,00,69,00,6e,00,65,00,5c,00,53,00,6f,00,66,00,\\\n"
    "  74,00,77,00,61,00,72,00,65,00,5c,00,43,00,6c,00,61,00,73,00,73,00,65,00,73,\\\n"
    "  00,5c,00,57,00,6f,00,77,00,36,00,34,00,33,00,32,00,4e,00,6f,00,64,00,65,00\n";

std::unique_ptr<RegFile> MustParse(const std::string& text) {
  std::string error;
  std::unique_ptr<RegFile> file = RegFile::Parse("test.reg", text, &error);
  EXPECT_NE(file, nullptr) << error;
  return file;
}

std::string Utf16Bytes(std::u16string_view text) {
  std::string out;
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xff));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

RegValue Sz(std::u16string_view text) {
  RegValue v;
  v.type = kRegSz;
  v.data = Utf16Bytes(std::u16string(text) + u'\0');
  return v;
}

RegValue Get(const RegFile& file, std::u16string_view key, std::u16string_view name) {
  RegValue v;
  EXPECT_TRUE(file.GetValue(key, name, &v)) << "value missing";
  return v;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class TempDir {
 public:
  TempDir() {
    char tmpl[] = "/tmp/tsl-regfile-XXXXXX";
    dir_ = ::mkdtemp(tmpl);
  }
  ~TempDir() { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  const std::string& Dir() const { return dir_; }

 private:
  std::string dir_;
};

// 2026-12-08 15:00:00 UTC as a FILETIME.
constexpr std::uint64_t kStamp = 0x1dd8725915eebd4ull;

TEST(RegFileRoundTrip, UntouchedTextIsWrittenBackByteForByte) {
  // Beside Wine's own output: CR LF lines, comments, odd spacing, unknown options, unsorted
  // keys and no newline at the end, all of which Wine reads.
  std::string text = std::string(kWineText) +
                     "\n;; a comment\n"
                     "[Software\\\\Tsl\\\\A] 1\r\n"
                     "#time=1\r\n"
                     "#class=\"cls\"\r\n"
                     "#unknown option\n"
                     "   \"spaced\" =  dword:1\n"
                     "\"h\"=hex(0):\n"
                     "\"cont\"=hex:01,\\\n"
                     "\t02 , 03\n"
                     "[Software\\\\Tsl\\\\0] 2\n"
                     "\"last\"=\"no newline\"";
  std::unique_ptr<RegFile> file = MustParse(text);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->Text(), text);
  TempDir dir;
  std::string error;
  ASSERT_TRUE(file->Save(dir.Path("system.reg"), &error)) << error;
  EXPECT_EQ(ReadFile(dir.Path("system.reg")), text);
  EXPECT_EQ(Get(*file, u"Software\\Tsl\\A", u"cont").data, std::string("\x01\x02\x03", 3));
  EXPECT_EQ(Get(*file, u"Software\\Tsl\\A", u"SPACED").data, std::string("\x01\0\0\0", 4));
}

TEST(RegFileRoundTrip, ChangingOneValueRewritesOnlyItsKeyBlock) {
  std::unique_ptr<RegFile> file = MustParse(kWineText);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->SetValue(u"software\\TSL\\escapes", u"PLAIN", Sz(u"new"), kStamp));
  std::string expected = kWineText;
  std::string old_header = "[Software\\\\Tsl\\\\Escapes] 1796741750\n#time=1dd872436ed7e1e\n";
  // The key keeps its spelling and the value its name; Wine's stamp is seconds since 1970
  // on the key line and the FILETIME in hex below it.
  expected.replace(expected.find(old_header), old_header.size(),
                   "[Software\\\\Tsl\\\\Escapes] 1796742331\n#time=1dd8725915eebd4\n");
  std::string old_line = "\"plain\"=\"a\\\\b\\\"c\"\n";
  expected.replace(expected.find(old_line), old_line.size(), "\"plain\"=\"new\"\n");
  EXPECT_EQ(file->Text(), expected);
}

TEST(RegFileEscapes, DecodesEveryEscapeWineWrites) {
  std::unique_ptr<RegFile> file = MustParse(kWineText);
  ASSERT_NE(file, nullptr);
  const std::u16string key = u"Software\\Tsl\\Escapes";
  EXPECT_EQ(Get(*file, key, u"ctl").data, Utf16Bytes(std::u16string(u"A\nB\tC\rD\aE\u0001"
                                                                    u"1\u0002x\u001b") +
                                                     u'\0'));
  EXPECT_EQ(Get(*file, key, u"hexafter").data, Sz(u"\u00fc"
                                                  u"a\u00e9z")
                                                   .data);
  EXPECT_EQ(Get(*file, key, u"nonascii").data, Sz(u"M\u00fcller \u00a9 \u20ac \u0100x").data);
  EXPECT_EQ(Get(*file, key, u"plain").data, Sz(u"a\\b\"c").data);
  EXPECT_EQ(Get(*file, key, u"name with \"q\" [x]").data, Sz(u"v").data);
  RegValue multi = Get(*file, key, u"multi");
  EXPECT_EQ(multi.type, kRegMultiSz);
  EXPECT_EQ(multi.data, Utf16Bytes(std::u16string(u"a\0b\0\0", 5)));
  EXPECT_TRUE(file->KeyExists(u"Software\\Tsl\\Escapes\\Sub [br] \u00e9"));
}

TEST(RegFileEscapes, EncodesAsWineDoes) {
  EXPECT_EQ(EscapeRegString(u"A\nB\tC\rD\aE\u0001"
                            u"1\u0002x\u001b",
                            "\"\""),
            "A\\nB\\tC\\rD\\aE\\0011\\2x\\e");
  EXPECT_EQ(EscapeRegString(u"\u00fc"
                            u"a\u00e9z",
                            "\"\""),
            "\\x00fca\\xe9z");
  EXPECT_EQ(EscapeRegString(u"M\u00fcller \u00a9 \u20ac \u0100x", "\"\""),
            "M\\xfcller \\xa9 \\x20ac \\x100x");
  EXPECT_EQ(EscapeRegString(u"a\\b\"c", "\"\""), "a\\\\b\\\"c");
  EXPECT_EQ(EscapeRegString(u"Sub [br] \u00e9", "[]"), "Sub \\[br\\] \\xe9");
}

TEST(RegFileEscapes, RawUtf8IsReadAndInvalidBytesAreDropped) {
  // Wine 8 reads raw UTF-8, skips a byte that starts no valid sequence and keeps an
  // encoded surrogate.
  std::unique_ptr<RegFile> file = MustParse(
      "WINE REGISTRY Version 2\n[K\xc3\xa9] 1\n\"utf8\"=\"M\xc3\xbcller \xe2\x82\xac\"\n"
      "\"bad\"=\"a\xfc"
      "b\xf8\x80\x80\xed\xa0\x80\"\n\"xnone\"=\"\\xq\"\n\"octal\"=\"\\101\\1012\"\n\"other\"="
      "\"\\q\\[\"\n");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(Get(*file, u"K\u00c9", u"utf8").data, Sz(u"M\u00fcller \u20ac").data);
  EXPECT_EQ(Get(*file, u"k\u00e9", u"bad").data, Sz(u"ab\xd800").data);
  EXPECT_EQ(Get(*file, u"K\u00e9", u"xnone").data, Sz(u"xq").data);
  EXPECT_EQ(Get(*file, u"K\u00e9", u"octal").data, Sz(u"AA2").data);
  EXPECT_EQ(Get(*file, u"K\u00e9", u"other").data, Sz(u"q[").data);
}

TEST(RegFileEscapes, EveryCharacterSurvivesAWriteAndARead) {
  std::u16string all;
  for (char32_t c = 1; c <= 0xffff; ++c) {
    all.push_back(static_cast<char16_t>(c));
    // Digits after each character catch escapes that swallow what follows them.
    all += (c % 3 == 0) ? u"7" : (c % 3 == 1) ? u"f" : u"";
  }
  std::unique_ptr<RegFile> file = MustParse("WINE REGISTRY Version 2\n[K] 1\n");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->SetValue(u"K", all, Sz(all), kStamp));
  std::unique_ptr<RegFile> again = MustParse(file->Text());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Get(*again, u"K", all).data, Sz(all).data);
}

TEST(RegFileValues, ReadsEachTypeAsStoredAndMatchesNamesCaseInsensitively) {
  std::unique_ptr<RegFile> file = MustParse(kWineText);
  ASSERT_NE(file, nullptr);
  const std::u16string key = u"SOFTWARE\\tsl\\ESCAPES";
  RegValue dw = Get(*file, key, u"DW");
  EXPECT_EQ(dw.type, kRegDword);
  EXPECT_EQ(dw.data, std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(Get(*file, key, u"").data, Sz(u"def").data);
  EXPECT_EQ(Get(*file, key, u"exp").type, kRegExpandSz);
  RegValue odd = Get(*file, key, u"odd");
  EXPECT_EQ(odd.type, kRegSz);
  EXPECT_EQ(odd.data, std::string("A\0\0\0x", 5));
  std::u16string target;
  ASSERT_TRUE(file->LinkTarget(u"Software\\Wow6432Node\\Classes", &target));
  EXPECT_EQ(target, u"\\Registry\\Machine\\Software\\Classes\\Wow6432Node");
  EXPECT_FALSE(file->LinkTarget(u"Software\\Tsl\\Escapes", &target));
  EXPECT_EQ(file->Root(), u"REGISTRY\\Machine");
  EXPECT_TRUE(file->IsWin64());

  RegValue missing;
  EXPECT_FALSE(file->GetValue(key, u"nope", &missing));
  EXPECT_FALSE(file->GetValue(u"Software\\Tsl", u"x", &missing));  // a key without a block
  // Wine lets the later of two lines with one name win.
  std::unique_ptr<RegFile> twice =
      MustParse("WINE REGISTRY Version 2\n[K\\\\\\xc9] 1\n\"a\"=\"1\"\n\"A\"=\"2\"\n");
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(Get(*twice, u"k\\\u00e9", u"a").data, Sz(u"2").data);
}

TEST(RegFileValues, WritesEachTypeAsWineDoes) {
  std::unique_ptr<RegFile> file = MustParse(kWineText);
  ASSERT_NE(file, nullptr);
  // Writing Wine's own link value again gives Wine's own lines, wrapping included.
  RegValue link = Get(*file, u"Software\\Wow6432Node\\Classes", u"SymbolicLinkValue");
  EXPECT_EQ(link.type, kRegLink);
  ASSERT_TRUE(file->SetValue(u"Software\\Wow6432Node\\Classes", u"SymbolicLinkValue", link,
                             0x1dd872400e00918ull));
  EXPECT_EQ(file->Text(), kWineText);

  RegValue dword{kRegDword, std::string("\x2a\0\0\x80", 4)};
  RegValue expand{kRegExpandSz, Sz(u"%PATH%").data};
  RegValue unterminated{kRegSz, std::string("A\0B\0", 4)};
  RegValue binary{kRegBinary, std::string("\x01\xff", 2)};
  ASSERT_TRUE(file->SetValue(u"Software\\Classes\\.chm", u"d", dword, kStamp));
  ASSERT_TRUE(file->SetValue(u"Software\\Classes\\.chm", u"e", expand, kStamp));
  ASSERT_TRUE(file->SetValue(u"Software\\Classes\\.chm", u"u", unterminated, kStamp));
  ASSERT_TRUE(file->SetValue(u"Software\\Classes\\.chm", u"b", binary, kStamp));
  std::string text = file->Text();
  EXPECT_NE(text.find("@=\"chm.file\"\n\"b\"=hex:01,ff\n\"d\"=dword:8000002a\n"
                      "\"e\"=str(2):\"%PATH%\"\n\"u\"=hex(1):41,00,42,00\n\n"),
            std::string::npos)
      << text;
}

TEST(RegFileKeys, ParentWithoutBlockExistsAndGetsItsBlockInWineOrder) {
  std::unique_ptr<RegFile> file = MustParse(kWineText);
  ASSERT_NE(file, nullptr);
  EXPECT_TRUE(file->KeyExists(u"software"));
  EXPECT_TRUE(file->KeyExists(u"Software\\Tsl\\"));
  EXPECT_FALSE(file->KeyExists(u"Software\\Ts"));
  EXPECT_FALSE(file->KeyExists(u"Software\\Tsl\\Escapes\\Sub"));
  EXPECT_FALSE(file->KeyExists(u"Software\\\\Tsl"));
  EXPECT_FALSE(file->SetValue(u"Software\\Missing", u"a", Sz(u"b"), kStamp));

  ASSERT_TRUE(file->SetValue(u"SOFTWARE\\tsl", u"new", Sz(u"v"), kStamp));
  std::string text = file->Text();
  // The new block takes the spelling of the key's children and comes before them.
  EXPECT_NE(text.find("@=\"chm.file\"\n\n[Software\\\\Tsl] 1796742331\n#time=1dd8725915eebd4\n"
                      "\"new\"=\"v\"\n\n[Software\\\\Tsl\\\\Escapes] "),
            std::string::npos)
      << text;
  std::unique_ptr<RegFile> again = MustParse(text);
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Get(*again, u"Software\\Tsl", u"new").data, Sz(u"v").data);

  ASSERT_TRUE(file->SetValue(u"Software\\Wow6432Node", u"z", Sz(u"1"), kStamp));
  EXPECT_NE(file->Text().find("\"x\"=\"y\"\n\n[Software\\\\Wow6432Node] 1796742331\n"
                              "#time=1dd8725915eebd4\n\"z\"=\"1\"\n\n"
                              "[Software\\\\Wow6432Node\\\\Classes] 1796741659\n"),
            std::string::npos);
}

TEST(RegFileKeys, EveryKeyAndParentIsFoundWhateverTheirOrder) {
  // Keys share parts of their names with the key before them in every way; one needs
  // decoding.
  const char* keys[] = {"A\\\\B",  "A\\\\BC\\\\D",         "A\\\\B\\\\E",
                        "Ab\\\\X", "A\\\\B\\\\E\\\\\\xe9", "A\\\\B\\\\E\\\\F",
                        "A"};
  std::string text = "WINE REGISTRY Version 2\n";
  for (const char* k : keys) text += std::string("[") + k + "] 1\n";
  std::unique_ptr<RegFile> file = MustParse(text);
  ASSERT_NE(file, nullptr);
  const char16_t* present[] = {u"A\\B", u"a\\bc\\d",        u"A\\BC",      u"A\\B\\E", u"AB\\X",
                               u"Ab",   u"A\\B\\E\\\u00c9", u"A\\B\\E\\F", u"A"};
  for (std::size_t i = 0; i < std::size(present); ++i)
    EXPECT_TRUE(file->KeyExists(present[i])) << i;
  const char16_t* absent[] = {u"A\\BC\\E", u"A\\B\\D", u"Ab\\B", u"B"};
  for (std::size_t i = 0; i < std::size(absent); ++i) EXPECT_FALSE(file->KeyExists(absent[i])) << i;
}

// A key held in several blocks reads as Wine loads it: the blocks merge, the later line of a
// name wins, and blocks after the one that makes the key a link count for nothing. A write
// leaves one block with what Wine would have seen plus the new value.
TEST(RegFileKeys, KeyHeldTwiceIsReadAndWrittenAsWineMergesIt) {
  const std::string text =
      "WINE REGISTRY Version 2\n\n"
      "[Dup] 1700000000\n#time=1d9f0f0f0f0f0f0\n\"A\"=\"first\"\n\"B\"=\"onlyfirst\"\n"
      "\"a\"=\"first-lower-later\"\n\n"
      "[Link] 1700000000\n#link\n\"SymbolicLinkValue\"=hex(6):5c,00\n\n"
      "[Other] 1700000000\n\"X\"=\"x\"\n\n"
      "[dUP] 1700000001\n\"A\"=\"second\"\n\"C\"=\"onlysecond\"\n\n"
      "[Link] 1700000002\n\"Late\"=\"ignored\"\n\n"
      "[Dup] 1700000002\n\"C\"=\"third\"\n";
  std::unique_ptr<RegFile> file = MustParse(text);
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(Get(*file, u"dup", u"a").data, Sz(u"second").data);
  EXPECT_EQ(Get(*file, u"Dup", u"B").data, Sz(u"onlyfirst").data);
  EXPECT_EQ(Get(*file, u"Dup", u"C").data, Sz(u"third").data);
  RegValue v;
  EXPECT_FALSE(file->GetValue(u"Link", u"Late", &v));
  EXPECT_TRUE(file->GetValue(u"Link", u"SymbolicLinkValue", &v));

  ASSERT_TRUE(file->SetValue(u"DUP", u"b", Sz(u"new"), kStamp));
  ASSERT_TRUE(file->SetValue(u"Link", u"Z", Sz(u"z"), kStamp));
  EXPECT_EQ(file->Text(),
            "WINE REGISTRY Version 2\n\n"
            "[Dup] 1796742331\n#time=1dd8725915eebd4\n\"A\"=\"second\"\n\"B\"=\"new\"\n"
            "\"C\"=\"third\"\n\n"
            "[Link] 1796742331\n#time=1dd8725915eebd4\n#link\n\"SymbolicLinkValue\"=hex(6):5c,00\n"
            "\"Z\"=\"z\"\n\n"
            "[Other] 1700000000\n\"X\"=\"x\"\n\n");
  std::unique_ptr<RegFile> again = MustParse(file->Text());
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(Get(*again, u"Dup", u"B").data, Sz(u"new").data);
  EXPECT_EQ(Get(*again, u"Dup", u"C").data, Sz(u"third").data);
}

TEST(RegFileKeys, NewValuesAreInsertedInWineOrder) {
  std::unique_ptr<RegFile> file = MustParse(
      "WINE REGISTRY Version 2\n\n[K] 1\n#time=1\n"
      "\"a\"=\"1\"\n\"c\"=\"3\"\n\n[L] 1\n");
  ASSERT_NE(file, nullptr);
  // Wine compares upper-cased names, so '_' (after 'Z') sorts after the letters.
  ASSERT_TRUE(file->SetValue(u"K", u"_b", Sz(u"2"), kStamp));
  ASSERT_TRUE(file->SetValue(u"K", u"B", Sz(u"2"), kStamp));
  ASSERT_TRUE(file->SetValue(u"K", u"", Sz(u"0"), kStamp));
  EXPECT_EQ(file->Text(),
            "WINE REGISTRY Version 2\n\n[K] 1796742331\n#time=1dd8725915eebd4\n@=\"0\"\n"
            "\"a\"=\"1\"\n\"B\"=\"2\"\n\"c\"=\"3\"\n\"_b\"=\"2\"\n\n[L] 1\n");
}

// What Wine 8's loader made of each damaged line (a crafted user.reg, then `wine reg query`).
// `expect` is the value read, "-" when absent; type 0 with no data is the REG_NONE Wine keeps
// for a value whose data it could not read.
struct WineReads {
  const char* what;
  std::string lines;  // the damage, after "[K] 1"
  std::u16string key, name;
  const char* expect;
  RegValue value;
};

RegValue Typed(std::uint32_t type, std::string data) {
  RegValue v;
  v.type = type;
  v.data = std::move(data);
  return v;
}

TEST(RegFileDamage, LinesAreReadAsWineReadsThemAndWrittenBackUntouched) {
  const std::string head = "WINE REGISTRY Version 2\n\"outside\"=\"x\"\nstray\n[K] 1\n";
  const RegValue none = Typed(0, "");
  const std::string l256(256, 'L'), l257(257, 'L');
  const WineReads cases[] = {
      {"an unknown line is skipped", "hello\n\"b\"=\"2\"\n", u"K", u"b", "", Sz(u"2")},
      {"bad hex keeps the value, empty", "\"a\"=hex:zz,01\n", u"K", u"a", "", none},
      {"a later bad line wins", "\"a\"=\"1\"\n\"a\"=hex:zz\n", u"K", u"a", "", none},
      {"a NUL ends the line", std::string("\"c\"=\"ab\0cd\"\n", 12), u"K", u"c", "", none},
      {"a NUL after the quote", std::string("\"d\"=\"x\"\0junk\n", 13), u"K", u"d", "",
       Sz(u"x")},
      {"text after the quote", "\"e\"=\"v\" trailing\n", u"K", u"e", "", Sz(u"v")},
      {"an unknown type", "\"n\"=blob:1\n", u"K", u"n", "", none},
      {"dword as strtoul reads it", "\"f\"=dword:zz\n", u"K", u"f", "", Typed(kRegDword, {0, 0, 0, 0})},
      {"long dword", "\"h\"=dword:123456789\n", u"K", u"h", "",
       Typed(kRegDword, "\x89\x67\x45\x23")},
      {"short and padded hex", "\"g\"=hex:1,2,003\n", u"K", u"g", "", Typed(kRegBinary, "\1\2\3")},
      {"junk after the '\\'", "\"i\"=hex:01,\\ junk\n  02\n", u"K", u"i", "",
       Typed(kRegBinary, "\1\2")},
      {"hex left open at the end", "\"o\"=hex:01,\\", u"K", u"o", "", none},
      {"a bad continuation is consumed", "\"j\"=hex:01,\\\n\"k\"=\"x\"\n", u"K", u"k", "-", {}},
      {"no '=' after the name", "\"n1\" x\n", u"K", u"n1", "-", {}},
      {"an unterminated name", "\"n3\n", u"K", u"n3", "-", {}},
      {"an unterminated key", "[K3\n\"v\"=\"x\"\n", u"K3", u"v", "-", {}},
      {"the key after one", "[K3\n\"v\"=\"x\"\n[K5] 1\n\"v\"=\"5\"\n", u"K5", u"v", "", Sz(u"5")},
      {"empty components", "[K2\\\\\\\\E\\\\] 1\n\"v\"=\"e\"\n", u"K2\\E", u"v", "", Sz(u"e")},
      {"a leading separator", "[\\\\K6] 1\n\"v\"=\"6\"\n", u"K6", u"v", "", Sz(u"6")},
      {"a 256-unit name", "[K8\\\\" + l256 + "] 1\n\"v\"=\"8\"\n",
       u"K8\\" + std::u16string(256, u'L'), u"v", "", Sz(u"8")},
      {"a 257-unit name", "[K9\\\\" + l257 + "] 1\n\"v\"=\"9\"\n",
       u"K9\\" + std::u16string(257, u'L'), u"v", "-", {}},
  };
  for (const WineReads& c : cases) {
    const std::string text = head + c.lines;
    std::string error;
    std::unique_ptr<RegFile> file = RegFile::Parse("test.reg", text, &error);
    ASSERT_NE(file, nullptr) << c.what << ": " << error;
    EXPECT_EQ(file->Text(), text) << c.what;
    RegValue v;
    const bool found = file->GetValue(c.key, c.name, &v);
    EXPECT_EQ(found, std::string(c.expect) != "-") << c.what;
    if (found) {
      EXPECT_EQ(v.type, c.value.type) << c.what;
      EXPECT_EQ(v.data, c.value.data) << c.what;
    }
    // A write to the damaged key rewrites its block and keeps every line Wine skipped.
    ASSERT_TRUE(file->SetValue(u"K", u"new", Sz(u"n"), kStamp)) << c.what;
    const std::string after = file->Text();
    std::unique_ptr<RegFile> again = RegFile::Parse("again.reg", after, &error);
    ASSERT_NE(again, nullptr) << c.what;
    EXPECT_EQ(Get(*again, u"K", u"new").data, Sz(u"n").data) << c.what;
    for (std::size_t at = 0, end = 0; end < text.size(); at = end + 1) {
      end = std::min(text.find('\n', at), text.size());
      const std::string line = text.substr(at, end - at);
      if (line != "[K] 1") {
        EXPECT_NE(after.find(line), std::string::npos) << c.what << ": " << line;
      }
    }
  }
  // A file Wine does not load at all, with the reason.
  const std::pair<const char*, const char*> refused[] = {
      {"WINE REGISTRY Version 1\n[K] 1\n", "test.reg:1: not a Wine registry file"},
      {"", "test.reg:1: the file is empty"},
  };
  for (const auto& [text, reason] : refused) {
    std::string error;
    EXPECT_EQ(RegFile::Parse("test.reg", text, &error), nullptr) << reason;
    EXPECT_EQ(error.rfind(reason, 0), 0u) << error;
  }
}

TEST(RegFileDamage, HundredMegabyteLinesNeitherCrashNorHideTheRest) {
  std::string head = "WINE REGISTRY Version 2\n[K] 1\n\"a\"=\"b\"\n";
  std::string error;
  std::string text = head + std::string(100 << 20, 'z') + "\n\"c\"=\"d\"\n";
  std::unique_ptr<RegFile> file = RegFile::Parse("big.reg", std::move(text), &error);
  ASSERT_NE(file, nullptr) << error;
  EXPECT_EQ(Get(*file, u"K", u"c").data, Sz(u"d").data);
  text = head + "\"s\"=\"" + std::string(100 << 20, '\\');
  file = RegFile::Parse("big.reg", std::move(text), &error);
  ASSERT_NE(file, nullptr) << error;
  EXPECT_EQ(Get(*file, u"K", u"s").type, 0u);
  // A long value that is well formed is a value like any other.
  text = head + "\"s\"=\"" + std::string(16 << 20, 'x') + "\"\n";
  file = RegFile::Parse("big.reg", std::move(text), &error);
  ASSERT_NE(file, nullptr) << error;
  RegValue v;
  ASSERT_TRUE(file->GetValue(u"K", u"s", &v));
  EXPECT_EQ(v.data.size(), (16u << 20) * 2 + 2);
}

TEST(RegFileSave, ReplacesTheFileAtomicallyKeepingItsMode) {
  TempDir dir;
  std::string path = dir.Path("user.reg");
  { std::ofstream(path) << kWineText; }
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  struct stat before;
  ASSERT_EQ(::stat(path.c_str(), &before), 0);
  std::string error;
  std::unique_ptr<RegFile> file = RegFile::Load(path, &error);
  ASSERT_NE(file, nullptr) << error;
  ASSERT_TRUE(file->SetValue(u"Software\\Classes\\.chm", u"", Sz(u"x"), kStamp));
  ASSERT_TRUE(file->Save(path, &error)) << error;
  struct stat after;
  ASSERT_EQ(::stat(path.c_str(), &after), 0);
  EXPECT_EQ(after.st_mode & 07777, 0640u);
  EXPECT_NE(after.st_ino, before.st_ino);  // a new file renamed over the old one
  EXPECT_EQ(ReadFile(path), file->Text());
  // Nothing but the file is left in the folder.
  std::string listing;
  FILE* ls = ::popen(("ls -A '" + dir.Dir() + "'").c_str(), "r");
  char buf[256];
  while (std::fgets(buf, sizeof buf, ls)) listing += buf;
  ::pclose(ls);
  EXPECT_EQ(listing, "user.reg\n");

  // Through a symbolic link the file it names is replaced and the link stays.
  std::string link = dir.Path("link.reg");
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  ASSERT_TRUE(file->SetValue(u"Software\\Classes\\.chm", u"", Sz(u"y"), kStamp));
  ASSERT_TRUE(file->Save(link, &error)) << error;
  struct stat lst;
  ASSERT_EQ(::lstat(link.c_str(), &lst), 0);
  EXPECT_TRUE(S_ISLNK(lst.st_mode));
  EXPECT_EQ(ReadFile(path), file->Text());

  // A folder we may not write to leaves the file as it was and says why.
  EXPECT_FALSE(file->Save(dir.Path("missing/user.reg"), &error));
  EXPECT_NE(error.find("missing/user.reg"), std::string::npos) << error;
}

// A killed run leaves its temporary file; the next save beside it removes every one of ours
// that no live run holds, whatever file it was for (a journal's name is new on every run),
// but leaves one a run may be starting on (younger than a second), a locked one, and others.
TEST(RegFileSave, RemovesTemporaryFilesNoLiveRunOwns) {
  TempDir dir;
  const std::string path = dir.Path("user.reg");
  std::ofstream(path) << kWineText;
  const char* abandoned[] = {".integrate-20261208-201700.jnl.tsl-seWsZG", ".user.reg.tsl-AbCdEf"};
  const char* kept[] = {".young.tsl-qwerty", ".locked.tsl-zxcvbn", "plain.tsl-asdfgh",
                        ".short.tsl-abc"};
  for (const char* name : abandoned) std::ofstream(dir.Path(name)) << "torn";
  for (const char* name : kept) std::ofstream(dir.Path(name)) << "torn";
  const timespec old_times[2] = {{::time(nullptr) - 10, 0}, {::time(nullptr) - 10, 0}};
  for (const char* name : {abandoned[0], abandoned[1], kept[1], kept[2], kept[3]}) {
    ASSERT_EQ(::utimensat(AT_FDCWD, dir.Path(name).c_str(), old_times, 0), 0) << name;
  }
  const int locked = ::open(dir.Path(kept[1]).c_str(), O_RDONLY);
  ASSERT_GE(locked, 0);
  ASSERT_EQ(::flock(locked, LOCK_EX), 0);

  std::string error;
  std::unique_ptr<RegFile> file = MustParse(kWineText);
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(file->Save(path, &error)) << error;
  ::close(locked);
  for (const char* name : abandoned) EXPECT_NE(::access(dir.Path(name).c_str(), F_OK), 0) << name;
  for (const char* name : kept) EXPECT_EQ(::access(dir.Path(name).c_str(), F_OK), 0) << name;
}

}  // namespace
}  // namespace platform::wine
