// Portable: no Win32 here.
#pragma once

#include <string>
#include <type_traits>

namespace integrate {

/// The integration program's string table: every user-visible text by its id, as 8-bit
/// Windows-1252 bytes. One table so the console and the Win32 resource script agree.
struct StringEntry {
  int id;
  const char* text;
};

/// All entries in id order.
const StringEntry* StringTable();
std::size_t StringTableSize();

/// The text with that id; an empty string for an id the table does not hold.
const std::string& LoadText(int id);

namespace detail {
std::string FormatRaw(const char* format, ...);
inline const char* FormatArg(const std::string& s) { return s.c_str(); }
template <typename T>
T FormatArg(T value) {
  static_assert(std::is_arithmetic<T>::value || std::is_same<T, const char*>::value,
                "printf-style arguments only");
  return value;
}
}  // namespace detail

/// printf-style formatting of a table text ("%s", "%d", "%x"); std::string arguments are
/// passed as their characters.
template <typename... Args>
std::string Format(const std::string& format, const Args&... args) {
  return detail::FormatRaw(format.c_str(), detail::FormatArg(args)...);
}

/// Format with the string-table text of `id` as the format.
template <typename... Args>
std::string FormatText(int id, const Args&... args) {
  return Format(LoadText(id), args...);
}

}  // namespace integrate
