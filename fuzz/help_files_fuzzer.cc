// Fuzzes the help step end to end on in-memory files: the collection-file scan, the
// hhcolreg.dat entry and the collection folder. Whatever the two files hold, the step must
// not crash, and a second run must leave both files as the first run left them, but for the
// six blanks each run leaves where its earlier entry began. A damaged collection file may
// read differently once the first run's folder landed inside a line the scan reads; then the
// second run is free to write other numbers, but a failing one must change nothing.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "integrate/engine/integration_engine.h"
#include "tests/integrate/test_doubles.h"

namespace {

const char kCollections[] = "Software\\Microsoft\\HTML Help Collections\\Developer Collections";
const char kColFile[] = "C:\\MSDN\\1033\\MSDNVS98.COL";
const char kRegFile[] = "C:\\windows\\Help\\hhcolreg.dat";

std::string Bytes(integrate_test::MemoryFiles& files, const char* path) {
  const std::string* bytes = files.Get(path);
  return bytes ? *bytes : std::string();
}

std::string WithoutBlanks(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The collection file, a NUL, then hhcolreg.dat.
  fuzz::Input input(data, size);
  const std::string col = input.Field();
  const std::string reg = input.Rest();

  integrate_test::FakePlatform fake;
  using platform::RootKey;
  fake.registry.Set(RootKey::kLocalMachine, kCollections, "Language", "0x0409");
  fake.registry.Set(RootKey::kLocalMachine, std::string(kCollections) + "\\0x0409", "Preferred",
                    "0x1");
  fake.registry.Set(RootKey::kLocalMachine, std::string(kCollections) + "\\0x0409\\0x1", "Filename",
                    kColFile);
  fake.registry.Set(RootKey::kLocalMachine,
                    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                    "Common AppData", "C:\\windows");  // numbers from 10000 look here
  fake.files.Put(kColFile, col);
  fake.files.Put(kRegFile, reg);
  fake.files.Put("C:\\windows\\Microsoft\\HTML Help\\hhcolreg.dat", reg);
  fake.files.Put("C:\\Lib\\Help\\TSLHelp.chm", "chm");
  fake.files.Put("C:\\Lib\\Help\\TSLHelp.chi", "chi");

  integrate_test::RecordingHost host;
  integrate::IntegrationEngine engine(&host, "C:\\Lib", fake.services);
  std::string language;
  std::int32_t number = 0;
  const bool readBefore = engine.ReadCollectionInfo(kColFile, &language, &number);
  if (!engine.IntegrateMsdnHelp()) return 0;
  const std::string colOnce = Bytes(fake.files, kColFile);
  const std::string regOnce = Bytes(fake.files, kRegFile);
  std::string languageOnce;
  std::int32_t numberOnce = 0;
  const bool readAfter = engine.ReadCollectionInfo(kColFile, &languageOnce, &numberOnce);
  const bool sameCollection =
      readBefore == readAfter && language == languageOnce && number == numberOnce;
  const bool again = engine.IntegrateMsdnHelp();
  fuzz::Check(Bytes(fake.files, kColFile) == colOnce, "a second run changes the collection file");
  if (again && sameCollection) {
    fuzz::Check(WithoutBlanks(Bytes(fake.files, kRegFile)) == WithoutBlanks(regOnce),
                "a second run changes hhcolreg.dat");
  } else if (!again) {
    fuzz::Check(Bytes(fake.files, kRegFile) == regOnce, "a failed second run changes hhcolreg.dat");
  }
  return 0;
}
