// Fuzzes the PE version reader: the resource walk over an image, and the VS_VERSIONINFO
// parser over the block it finds, including every string the block's translations name.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/wine/pe_version.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::string block;
  // A short input is also read as a bare block, so the parser gets fuzzed directly too.
  if (!platform::wine::FindVersionResource(bytes, &block)) block = bytes;
  auto info = platform::wine::ParseVersionBlock(block);
  if (!info) return 0;
  std::string value;
  for (const platform::Translation& t : info->Translations()) {
    char sub[64];
    std::snprintf(sub, sizeof sub, "\\StringFileInfo\\%04x%04x\\FileVersion", t.language,
                  t.code_page);
    (void)info->QueryString(sub, &value);  // only a crash or an overrun is a finding here
  }
  (void)info->QueryString("\\StringFileInfo\\040904b0\\ProductName", &value);
  return 0;
}
