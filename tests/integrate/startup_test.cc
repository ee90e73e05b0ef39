// The install folder: the -p: argument, the registry and message 31, the refused characters.
#include "integrate/startup.h"

#include <gtest/gtest.h>

#include "tests/integrate/test_doubles.h"

namespace integrate_test {
namespace {

using integrate::InstallDirFromArguments;
using integrate::LocateInstallDir;
using platform::RootKey;

const char kLibraryKey[] = "Software\\Quorvane\\Tessaline";

TEST(InstallDirArgument, DashOrSlashThenPThenColon) {
  EXPECT_EQ(InstallDirFromArguments({"/P:C:\\Lib"}), "C:\\Lib");
  EXPECT_EQ(InstallDirFromArguments({"-p:C:\\Lib"}), "C:\\Lib");
  EXPECT_EQ(InstallDirFromArguments({"-p", "p:C:\\Lib", "-x:C:\\Lib", "", "-"}), "");
  EXPECT_EQ(InstallDirFromArguments({"-p:C:\\A", "other", "/p:C:\\B"}), "C:\\B");
  EXPECT_EQ(InstallDirFromArguments({"-p:C:\\A", "-p:"}), "");
  EXPECT_EQ(InstallDirFromArguments({"-p:C:\\Program Files\\Lib"}), "C:\\Program Files\\Lib");
}

TEST(CheckInstallDir, RefusesWhatTheListsAndTheHelpFileWouldSplit) {
  std::string reason;
  for (const char* dir : {"C:\\Tess;aline", "C:\\\"Lib\"", "C:\\Li\nb", "C:\\Lib\t", "C:\\L\x7F"}) {
    EXPECT_FALSE(integrate::CheckInstallDir(dir, &reason)) << dir;
  }
  EXPECT_NE(reason.find("';'"), std::string::npos);
  for (const char* dir : {"C:\\Program Files\\Tess (x86)\\Lib", "D:\\Caf\xE9 & Co", ""}) {
    EXPECT_TRUE(integrate::CheckInstallDir(dir, &reason)) << dir;
  }
}

TEST(LocateInstallDir, ArgumentWinsWithoutTouchingTheRegistry) {
  testing_support::FakeRegistry registry;
  RecordingOwner owner;
  std::string dir;
  EXPECT_TRUE(LocateInstallDir({"/P:C:\\Lib"}, registry, owner, &dir));
  EXPECT_EQ(dir, "C:\\Lib");
  EXPECT_TRUE(registry.calls.empty());
}

TEST(LocateInstallDir, EmptyArgumentFallsBackToTheRegistry) {
  testing_support::FakeRegistry registry;
  registry.Set(RootKey::kLocalMachine, kLibraryKey, "InstallDir", "D:\\Tessaline");
  RecordingOwner owner;
  std::string dir;
  EXPECT_TRUE(LocateInstallDir({"-p:"}, registry, owner, &dir));
  EXPECT_EQ(dir, "D:\\Tessaline");
  EXPECT_EQ(registry.CountCalls("open HKLM\\Software\\Quorvane\\Tessaline"), 1);

  registry.Set(RootKey::kLocalMachine, kLibraryKey, "InstallDir", "");
  EXPECT_TRUE(LocateInstallDir({}, registry, owner, &dir));
  EXPECT_EQ(dir, "");
  EXPECT_TRUE(owner.messages.empty());
}

TEST(LocateInstallDir, MissingKeyValueOrOverlongValueShowsMessage31) {
  testing_support::FakeRegistry registry;
  RecordingOwner owner;
  std::string dir;
  EXPECT_FALSE(LocateInstallDir({}, registry, owner, &dir));
  registry.AddKey(RootKey::kLocalMachine, kLibraryKey);
  EXPECT_FALSE(LocateInstallDir({}, registry, owner, &dir));
  registry.Set(RootKey::kLocalMachine, kLibraryKey, "InstallDir", std::string(260, 'a'));
  EXPECT_FALSE(LocateInstallDir({}, registry, owner, &dir));
  ASSERT_EQ(owner.messages.size(), 3u);
  for (const ShownMessage& m : owner.messages) {
    EXPECT_EQ(m.text, "Unable to locate Tessaline installation.");
    EXPECT_EQ(m.flags, integrate::kMbOk);
  }
}

}  // namespace
}  // namespace integrate_test
