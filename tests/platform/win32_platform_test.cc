// Win32-only behaviour: both process enumerations, the rule between them, the hidden mark.
#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "platform/win32/win32_services.h"
#include "tests/support/temp_drive.h"

namespace {

bool HasThisProgram(const std::vector<std::string>& names) {
  return std::any_of(names.begin(), names.end(), [](std::string name) {
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return name.find("win32_platform_test.exe") != std::string::npos;
  });
}

TEST(Win32Processes, BothEnumerationsFindThisProgram) {
  std::vector<std::string> toolhelp, psapi;
  ASSERT_TRUE(platform::win32::EnumerateToolhelp(&toolhelp));
  ASSERT_TRUE(platform::win32::EnumeratePsapi(&psapi));
  EXPECT_TRUE(HasThisProgram(toolhelp)) << ::testing::PrintToString(toolhelp);
  EXPECT_TRUE(HasThisProgram(psapi)) << ::testing::PrintToString(psapi);
}

TEST(Win32Processes, PsapiServesOnlyNt3AndNt4) {
  using platform::win32::UsesPsapi;
  EXPECT_TRUE(UsesPsapi({2, 4, 0}));
  EXPECT_TRUE(UsesPsapi({2, 3, 51}));
  EXPECT_FALSE(UsesPsapi({1, 4, 10}));  // Windows 98
  EXPECT_FALSE(UsesPsapi({2, 5, 0}));
  EXPECT_FALSE(UsesPsapi({2, 10, 0}));
}

TEST(Win32Files, RewriteKeepsTheHiddenMark) {
  testing_support::TempDrive drive;
  drive.WriteRaw("settings.dat", "old\r\n");
  std::string path = drive.Path("settings.dat");
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
  if (!(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN)) {
    GTEST_SKIP() << "this file system keeps no hidden mark";
  }
  std::string error;
  ASSERT_TRUE(drive.Services().files->WriteTextFile(path, "new\n", &error)) << error;
  EXPECT_EQ(drive.ReadRaw("settings.dat"), "new\r\n");
  EXPECT_TRUE(GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
}

}  // namespace
