// The Win32 registry under wine, checked by wine's own `reg` program as the independent
// reader and writer.
#include <windows.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/win32/win32_services.h"

namespace {

// Runs a command line through the command interpreter; its output and exit code.
std::string RunCommand(const std::string& command, int* exit_code = nullptr) {
  std::string output;
  FILE* pipe = _popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return "<cannot run " + command + ">";
  char chunk[512];
  std::size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, pipe)) > 0) output.append(chunk, got);
  int rc = _pclose(pipe);
  if (exit_code) *exit_code = rc;
  return output;
}

class Win32Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    key_ = "Software\\TslTest" + std::to_string(GetCurrentProcessId());
    registry_ = platform::win32::CreateRegistry();
  }
  void TearDown() override {
    RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str());
    HKEY software;
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_ALL_ACCESS | view, &software) ==
          ERROR_SUCCESS) {
        RegDeleteTreeA(software, key_.c_str() + 9);
        RegCloseKey(software);
      }
    }
  }
  // Makes the key the test works in; the interface opens existing keys only.
  void Create(HKEY hive, REGSAM view) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(hive, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }

  std::string key_;
  std::unique_ptr<platform::Registry> registry_;
};

TEST_F(Win32Registry, SetStringIsSeenByRegQuery) {
  Create(HKEY_CURRENT_USER, 0);
  std::string error;
  auto key =
      registry_->OpenKey(platform::RootKey::kCurrentUser, key_, platform::KeyAccess::kAll, &error);
  ASSERT_NE(key, nullptr) << error;
  ASSERT_TRUE(key->SetString("Include Dirs", "C:\\Lib\\Include;C:\\VC98\\Include", &error))
      << error;
  key.reset();
  std::string out = RunCommand("reg query HKCU\\" + key_ + " /v \"Include Dirs\"");
  EXPECT_NE(out.find("REG_SZ"), std::string::npos) << out;
  EXPECT_NE(out.find("C:\\Lib\\Include;C:\\VC98\\Include"), std::string::npos) << out;
}

TEST_F(Win32Registry, QueryStringReadsWhatRegAddWrote) {
  Create(HKEY_CURRENT_USER, 0);
  int rc = -1;
  std::string out = RunCommand("reg add HKCU\\" + key_ + " /v InstallDir /d C:\\Tessaline /f", &rc);
  ASSERT_EQ(rc, 0) << out;
  auto key = registry_->OpenKey(platform::RootKey::kCurrentUser, key_, platform::KeyAccess::kRead);
  ASSERT_NE(key, nullptr);
  char buffer[260];
  std::size_t size = sizeof buffer;
  ASSERT_EQ(key->QueryString("installdir", buffer, &size), platform::RegResult::kOk);
  EXPECT_EQ(size, 13u);
  EXPECT_STREQ(buffer, "C:\\Tessaline");
  size = 5;
  EXPECT_EQ(key->QueryString("InstallDir", buffer, &size), platform::RegResult::kMoreData);
  EXPECT_EQ(size, 13u);
  size = sizeof buffer;
  EXPECT_EQ(key->QueryString("Missing", buffer, &size), platform::RegResult::kNotFound);
}

TEST_F(Win32Registry, QueryStringTerminatesDataStoredWithoutNul) {
  Create(HKEY_CURRENT_USER, 0);
  HKEY raw;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
  RegSetValueExA(raw, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcd"), 4);
  RegCloseKey(raw);
  auto key = registry_->OpenKey(platform::RootKey::kCurrentUser, key_, platform::KeyAccess::kRead);
  ASSERT_NE(key, nullptr);
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  std::size_t size = 4;
  EXPECT_EQ(key->QueryString("Bare", buffer, &size), platform::RegResult::kMoreData);
  EXPECT_EQ(size, 5u);
  size = sizeof buffer;
  ASSERT_EQ(key->QueryString("Bare", buffer, &size), platform::RegResult::kOk);
  EXPECT_EQ(size, 5u);
  EXPECT_STREQ(buffer, "abcd");
}

TEST_F(Win32Registry, AnsiTextRoundTripsThroughTheWideRegistry) {
  Create(HKEY_CURRENT_USER, 0);
  auto key = registry_->OpenKey(platform::RootKey::kCurrentUser, key_, platform::KeyAccess::kAll);
  ASSERT_NE(key, nullptr);
  std::string error;
  ASSERT_TRUE(key->SetString("Owner", "J\xFCrgen M\xFCller \x80", &error)) << error;
  wchar_t wide[64] = {};
  DWORD size = sizeof wide;
  ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, std::wstring(key_.begin(), key_.end()).c_str(),
                         L"Owner", RRF_RT_REG_SZ, nullptr, wide, &size),
            ERROR_SUCCESS);
  EXPECT_EQ(std::wstring(wide), L"J\u00FCrgen M\u00FCller \u20AC");
  char buffer[260];
  std::size_t length = sizeof buffer;
  ASSERT_EQ(key->QueryString("Owner", buffer, &length), platform::RegResult::kOk);
  EXPECT_STREQ(buffer, "J\xFCrgen M\xFCller \x80");
}

TEST_F(Win32Registry, MachineKeysLiveInThe32BitView) {
  Create(HKEY_LOCAL_MACHINE, KEY_WOW64_32KEY);
  std::string error;
  auto key =
      registry_->OpenKey(platform::RootKey::kLocalMachine, key_, platform::KeyAccess::kAll, &error);
  ASSERT_NE(key, nullptr) << error;
  ASSERT_TRUE(key->SetString("InstallDir", "C:\\Tessaline", &error)) << error;
  key.reset();
  std::string path = "HKLM\\" + key_;
  int rc = -1;
  std::string out = RunCommand("reg query " + path + " /v InstallDir /reg:32", &rc);
  EXPECT_EQ(rc, 0) << out;
  EXPECT_NE(out.find("C:\\Tessaline"), std::string::npos) << out;
  out = RunCommand("reg query " + path + " /v InstallDir /reg:64", &rc);
  EXPECT_NE(rc, 0) << out;
  out = RunCommand(
      "reg query HKLM\\Software\\Wow6432Node\\" + key_.substr(9) + " /v InstallDir /reg:64", &rc);
  EXPECT_EQ(rc, 0) << out;
}

TEST_F(Win32Registry, OpenKeyReportsAMissingKey) {
  std::string error;
  EXPECT_EQ(
      registry_->OpenKey(platform::RootKey::kCurrentUser, key_, platform::KeyAccess::kRead, &error),
      nullptr);
  EXPECT_NE(error.find(key_), std::string::npos) << error;
  // Both hives themselves read; Windows keeps them whole, so there is no damage to report.
  for (platform::RootKey root : {platform::RootKey::kLocalMachine, platform::RootKey::kCurrentUser}) {
    EXPECT_TRUE(registry_->CheckReadable(root, &error)) << error;
  }
}

}  // namespace
