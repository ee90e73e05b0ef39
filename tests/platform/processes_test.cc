// Natively the names come from /proc, under wine from the Win32 enumerations; either way
// the test program itself runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "platform/windows_path.h"
#include "tests/support/temp_drive.h"

namespace {

// "C:\bin\Processes_Test.EXE" -> "processes_test"
std::string BareName(std::string name) {
  name = platform::FileName(name);
  std::transform(name.begin(), name.end(), name.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
    name.resize(name.size() - 4);
  return name;
}

TEST(Processes, RunningImageNamesIncludeThisProgram) {
  testing_support::TempDrive drive;
  auto names = drive.Services().processes->RunningImageNames();
  ASSERT_FALSE(names.empty());
  bool found = std::any_of(names.begin(), names.end(),
                           [](const std::string& n) { return BareName(n) == "processes_test"; });
  EXPECT_TRUE(found) << "names seen: " << ::testing::PrintToString(names);
}

TEST(Processes, OsVersionIsAnNtVersion) {
  testing_support::TempDrive drive;
  platform::OsVersion version = drive.Services().processes->GetOsVersion();
  EXPECT_EQ(version.platform_id, 2u);
  EXPECT_GE(version.major, 5u);
  EXPECT_LE(version.major, 10u);
}

}  // namespace
