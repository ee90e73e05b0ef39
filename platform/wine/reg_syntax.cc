// The registry file's escapes: strings as Wine escapes them, and values' bytes as text.
#include "platform/encoding.h"
#include "platform/wine/reg_file_parts.h"

namespace platform::wine {

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

std::size_t UnescapeRegString(std::string_view s, std::size_t pos, char end, std::u16string* out) {
  while (pos < s.size()) {
    char c = s[pos];
    if (c == end) return pos + 1;
    if (static_cast<unsigned char>(c) >= 0x80) {
      // Wine 8 drops bytes that start no valid sequence.
      char32_t code;
      if (DecodeUtf8(s, &pos, &code, Utf8Surrogates::kAccepted)) AppendUtf16(code, out);
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
      case 'a':
        out->push_back(u'\a');
        break;
      case 'b':
        out->push_back(u'\b');
        break;
      case 'e':
        out->push_back(u'\x1b');
        break;
      case 'f':
        out->push_back(u'\f');
        break;
      case 'n':
        out->push_back(u'\n');
        break;
      case 'r':
        out->push_back(u'\r');
        break;
      case 't':
        out->push_back(u'\t');
        break;
      case 'v':
        out->push_back(u'\v');
        break;
      case 'x': {
        unsigned v = 0;
        int n = 0;
        while (n < 4 && pos < s.size() && HexDigit(s[pos]) >= 0)
          v = v * 16 + HexDigit(s[pos++]), ++n;
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

}  // namespace platform::wine
