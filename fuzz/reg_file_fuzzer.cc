// Fuzzes the registry-file parser: whatever it accepts must save to the same text, and an
// edited value must read back after a save and a second parse, its neighbours untouched.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/encoding.h"
#include "platform/wine/reg_file.h"

using platform::wine::RegFile;
using platform::wine::RegValue;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // First line: key path, value name and new value, NUL-separated; the rest is the file.
  fuzz::Input input(data, size);
  const std::string edit = input.Line();
  const std::string text = input.Rest();
  std::string error;
  auto file = RegFile::Parse("fuzz.reg", text, &error);
  if (!file) return 0;
  fuzz::Check(file->Text() == text, "an unchanged file saves to a different text");

  fuzz::Input fields(edit);
  const std::u16string path = platform::AnsiToUtf16(fields.Field());
  const std::u16string name = platform::AnsiToUtf16(fields.Field());
  RegValue value;
  value.type = platform::wine::kRegSz;
  value.data = platform::wine::RegTextToBytes(platform::AnsiToUtf16(fields.Rest()) + u'\0');
  const std::u16string neighbour = name + u"~";
  RegValue before;
  const bool had_neighbour = file->GetValue(path, neighbour, &before);
  if (!file->SetValue(path, name, value, 0x01d0000000000000ull)) return 0;

  const std::string saved = file->Text();
  auto again = RegFile::Parse("fuzz-saved.reg", saved, &error);
  fuzz::Check(again != nullptr, ("a saved file does not parse again: " + error).c_str());
  RegValue read;
  fuzz::Check(again->GetValue(path, name, &read), "a written value is gone after a save");
  fuzz::Check(read.type == value.type && read.data == value.data,
              "a written value reads back different after a save");
  RegValue after;
  fuzz::Check(again->GetValue(path, neighbour, &after) == had_neighbour &&
                  (!had_neighbour || (after.type == before.type && after.data == before.data)),
              "a save changed a value that was not written");
  fuzz::Check(again->Text() == saved, "a saved file does not save to itself");
  return 0;
}
