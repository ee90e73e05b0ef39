// Conversions between Windows-1252, UTF-16 and UTF-8, and upper-casing as Windows-1252 does it.
// Portable: no Win32 here.
#include "platform/encoding.h"

namespace platform {
namespace {

// Windows-1252's bytes 0x80-0x9F; the five bytes the code page leaves unassigned map to
// the C1 control with the same number, as MultiByteToWideChar maps them.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

constexpr char32_t kReplacement = 0xFFFD;

char32_t AnsiByteToCode(unsigned char byte) {
  if (byte >= 0x80 && byte <= 0x9F) return kHighControls[byte - 0x80];
  return byte;
}

// The ANSI byte of a code point; false when Windows-1252 has none.
bool CodeToAnsiByte(char32_t code, unsigned char* byte) {
  if (code < 0x80 || (code >= 0xA0 && code <= 0xFF)) {
    *byte = static_cast<unsigned char>(code);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHighControls[i] == code) {
      *byte = static_cast<unsigned char>(0x80 + i);
      return true;
    }
  }
  return false;
}

// Decodes one UTF-16 code point at text[*pos]; an unpaired surrogate yields U+FFFD.
char32_t DecodeUtf16(const std::u16string& text, std::size_t* pos) {
  const char16_t unit = text[(*pos)++];
  if (unit >= 0xD800 && unit <= 0xDBFF && *pos < text.size()) {
    const char16_t low = text[*pos];
    if (low >= 0xDC00 && low <= 0xDFFF) {
      ++*pos;
      return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (low - 0xDC00);
    }
  }
  if (unit >= 0xD800 && unit <= 0xDFFF) return kReplacement;
  return unit;
}

void AppendUtf8(char32_t code, std::string* out) {
  if (code < 0x80) {
    out->push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (code >> 6)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (code >> 12)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (code >> 18)));
    out->push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

void AppendAnsi(char32_t code, std::string* out, bool* lossless) {
  unsigned char byte;
  if (CodeToAnsiByte(code, &byte)) {
    out->push_back(static_cast<char>(byte));
  } else {
    out->push_back('?');
    if (lossless) *lossless = false;
  }
}

}  // namespace

bool DecodeUtf8(std::string_view text, std::size_t* pos, char32_t* code,
                Utf8Surrogates surrogates) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(*pos);
  int extra;
  char32_t value;
  char32_t minimum;
  if (lead < 0x80) {
    *code = lead;
    ++*pos;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, value = lead & 0x07, minimum = 0x10000;
  } else {
    ++*pos;
    return false;
  }
  if (text.size() - *pos <= static_cast<std::size_t>(extra)) {
    ++*pos;
    return false;
  }
  for (int i = 1; i <= extra; ++i) {
    const unsigned char next = byte(*pos + i);
    if ((next & 0xC0) != 0x80) {
      ++*pos;
      return false;
    }
    value = (value << 6) | (next & 0x3F);
  }
  const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
  if (value < minimum || value > 0x10FFFF ||
      (surrogate && surrogates == Utf8Surrogates::kInvalid)) {
    ++*pos;
    return false;
  }
  *pos += extra + 1;
  *code = value;
  return true;
}

void AppendUtf16(char32_t code, std::u16string* out) {
  if (code < 0x10000) {
    out->push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    out->push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    out->push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

std::u16string AnsiToUtf16(const std::string& ansi) {
  std::u16string out;
  out.reserve(ansi.size());
  for (char c : ansi) out.push_back(static_cast<char16_t>(AnsiByteToCode(c)));
  return out;
}

std::string Utf16ToAnsi(const std::u16string& text, bool* lossless) {
  if (lossless) *lossless = true;
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) AppendAnsi(DecodeUtf16(text, &pos), &out, lossless);
  return out;
}

std::string AnsiToUtf8(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size());
  for (char c : ansi) AppendUtf8(AnsiByteToCode(c), &out);
  return out;
}

std::string Utf8ToAnsi(const std::string& utf8, bool* lossless) {
  if (lossless) *lossless = true;
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t code;
    if (DecodeUtf8(utf8, &pos, &code)) {
      AppendAnsi(code, &out, lossless);
    } else {
      out.push_back('?');
      if (lossless) *lossless = false;
    }
  }
  return out;
}

std::u16string Utf8ToUtf16(const std::string& utf8, bool* valid) {
  if (valid) *valid = true;
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t pos = 0; pos < utf8.size();) {
    char32_t code;
    if (!DecodeUtf8(utf8, &pos, &code)) {
      code = kReplacement;
      if (valid) *valid = false;
    }
    AppendUtf16(code, &out);
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) AppendUtf8(DecodeUtf16(text, &pos), &out);
  return out;
}

std::string AnsiToUpper(const std::string& ansi) {
  std::string out = ansi;
  for (char& c : out) {
    const unsigned char b = static_cast<unsigned char>(c);
    unsigned char upper = b;
    if (b >= 'a' && b <= 'z') {
      upper = b - 0x20;
    } else if (b >= 0xE0 && b <= 0xFE && b != 0xF7) {  // 0xF7 is the division sign
      upper = b - 0x20;
    } else if (b == 0x9A || b == 0x9C || b == 0x9E) {  // š œ ž -> Š Œ Ž
      upper = b - 0x10;
    } else if (b == 0xFF) {  // ÿ -> Ÿ
      upper = 0x9F;
    }
    c = static_cast<char>(upper);
  }
  return out;
}

}  // namespace platform
