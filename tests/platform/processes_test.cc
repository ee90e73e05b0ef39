// Natively the names come from /proc, under wine from the Win32 enumerations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/windows_path.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_drive.h"

namespace {

// Set by the build: 1 for the Windows builds, whose tests run under wine.
constexpr bool kInPrefix = TSL_TEST_RUNS_IN_PREFIX;

// "C:\bin\Processes_Test.EXE" -> "processes_test"
std::string BareName(std::string name) {
  name = platform::FileName(name);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
    name.resize(name.size() - 4);
  return name;
}

// Natively the processes are those of a Wine prefix, and this test program is a Linux process
// of no prefix, as a Linux program named MSDEV.EXE must count for none; under wine it runs in
// the prefix and is listed.
TEST(Processes, RunningImageNamesListThisProgramOnlyWhenItRunsInThePrefix) {
  testing_support::TempDrive drive;
  const auto names = drive.Services().processes->RunningImageNames();
  const bool self = std::any_of(names.begin(), names.end(),
                                [](const std::string& n) { return BareName(n) == "processes_test"; });
  EXPECT_EQ(self, kInPrefix) << "names seen: " << ::testing::PrintToString(names);
}

// The double's version and the platform's alike: an NT version.
TEST(Processes, OsVersionIsAnNtVersion) {
  testing_support::TempDrive drive;
  testing_support::FakeProcesses fake;
  for (platform::Processes* processes :
       {drive.Services().processes.get(), static_cast<platform::Processes*>(&fake)}) {
    const platform::OsVersion version = processes->GetOsVersion();
    EXPECT_EQ(version.platform_id, 2u);
    EXPECT_GE(version.major, 5u);
    EXPECT_LE(version.major, 10u);
  }
}

}  // namespace
