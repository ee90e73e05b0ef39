// Fuzzes the edit of VCComponents.dat, where Visual Studio .NET keeps its VC++ directory
// lists: whatever the file holds, a run that gives up leaves it byte for byte, and a run that
// succeeds only adds (every line of the old file is still there, around our two folders),
// both folders can be found afterwards, and a second run changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "integrate/engine/integration_engine.h"
#include "integrate/engine/text_edit.h"
#include "tests/integrate/test_doubles.h"

namespace {

const char kPath[] =
    "C:\\Users\\u\\Local Settings\\Application Data\\Microsoft\\VisualStudio\\"
    "7.1\\VCComponents.dat";

// The file as the edit sees it: its lines, each ending in one LF.
std::string WorkingText(platform::FileSystem& files) {
  integrate::TextEdit edit(files, kPath);
  fuzz::Check(edit.Read(), "the file cannot be read back");
  return edit.text();
}

// Whether `inner` is `outer` with bytes left out.
bool IsSubsequence(const std::string& inner, const std::string& outer) {
  std::size_t i = 0;
  for (std::size_t o = 0; o < outer.size() && i < inner.size(); ++o) i += outer[o] == inner[i];
  return i == inner.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The first byte picks the version, the rest is the file.
  if (size == 0) return 0;
  static const int kVersions[] = {70, 71, 80};
  const int version = kVersions[data[0] % 3];
  const std::string file(reinterpret_cast<const char*>(data) + 1, size - 1);

  integrate_test::FakePlatform fake;
  fake.files.Put(kPath, file);
  integrate_test::RecordingHost host;
  integrate::IntegrationEngine engine(&host, "C:\\Lib", fake.services);
  const std::string before = WorkingText(fake.files);
  if (!engine.AddVcComponentsDirectories(kPath, version)) {
    fuzz::Check(*fake.files.Get(kPath) == file, "a run that gave up changed the file");
    return 0;
  }
  const std::string once = *fake.files.Get(kPath);
  const std::string after = WorkingText(fake.files);
  const std::string include = "C:\\Lib\\Tessaline";
  const std::string library = std::string("C:\\Lib\\") + (version == 70   ? "bin7"
                                                          : version == 71 ? "bin71"
                                                                          : "bin");
  fuzz::Check(IsSubsequence(before, after), "the edit lost part of the file");
  fuzz::Check(after.size() <= before.size() + include.size() + library.size() + 4,
              "the edit added more than the two folders");
  fuzz::Check(after.find(include) != std::string::npos, "the include folder is missing");
  fuzz::Check(after.find(library) != std::string::npos, "the library folder is missing");
  fuzz::Check(engine.AddVcComponentsDirectories(kPath, version), "a second run fails");
  fuzz::Check(*fake.files.Get(kPath) == once, "a second run changes the file");
  return 0;
}
