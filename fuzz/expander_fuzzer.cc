// Fuzzes the template expander and the file-list parser with the symbols of a real project:
// no crash, and a text without "$$" expands to itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "skinwizard/project/expander.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const skinwizard::SymbolMap symbols = {
      {"root", "MySkins"},   {"ROOT", "MYSKINS"},       {"Safe_root", "MySkins"},
      {"SKIN_NAME", "Aqua"}, {"skin_file", "SkinAqua"}, {"VERBOSE", "1"},
      {"AUTHOR", "A $$B$$"}, {"FILE_NAME_SYMBOL", "X"}, {"empty", ""}};
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::string out;
  std::string error;
  const bool expanded = skinwizard::ExpandTemplate("FUZZ.CPP", text, symbols, &out, &error);
  if (text.find("$$") == std::string::npos) {
    fuzz::Check(expanded && out == text, "a text without directives does not expand to itself");
  }
  skinwizard::FileList list;
  // Any input may be refused; the fuzzer looks only for crashes and sanitizer reports here.
  (void)skinwizard::ParseFileList("NEWPROJ.INF", text, symbols, &list, &error);
  return 0;
}
