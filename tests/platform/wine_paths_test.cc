// What only the Wine platform does: the prefix's path mapping, its file writes as seen on
// the host, /proc, and the parts of the factory that have no Windows counterpart.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/wine/prefix.h"
#include "platform/wine/wine_files.h"
#include "platform/wine/wine_services.h"
#include "tests/support/fake_registry.h"
#include "tests/support/temp_drive.h"

namespace {

using platform::wine::Prefix;

// A bare prefix: dosdevices with c: -> ../drive_c and z: -> /, as wineboot makes them.
class PrefixTest : public ::testing::Test {
 protected:
  PrefixTest() {
    char temp[] = "/tmp/tsl-prefix-XXXXXX";
    dir_ = mkdtemp(temp);
    Mkdir("dosdevices");
    Mkdir("drive_c");
    EXPECT_EQ(symlink("../drive_c", (dir_ + "/dosdevices/c:").c_str()), 0);
    EXPECT_EQ(symlink("/", (dir_ + "/dosdevices/z:").c_str()), 0);
    std::string error;
    EXPECT_TRUE(Prefix::Open(dir_, &prefix_, &error)) << error;
  }
  ~PrefixTest() override {
    // Removes only what the tests made; dosdevices/z: is a link to / and is never followed.
    const std::string command = "rm -rf --one-file-system '" + dir_ + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
  }

  void Mkdir(const std::string& relative) {
    ASSERT_EQ(mkdir((dir_ + "/" + relative).c_str(), 0777), 0) << relative;
  }
  void Touch(const std::string& relative) { std::ofstream(dir_ + "/" + relative) << "x"; }
  std::string Host(const std::string& windows) {
    std::string host, error;
    EXPECT_TRUE(prefix_->ToHostPath(windows, &host, &error)) << error;
    return host;
  }

  std::string dir_;
  std::shared_ptr<const Prefix> prefix_;
};

TEST_F(PrefixTest, ToHostPathGoesThroughTheDriveLinks) {
  EXPECT_EQ(Host("C:\\windows\\x.txt"), dir_ + "/dosdevices/c:/windows/x.txt");
  EXPECT_EQ(Host("c:/windows/x.txt"), dir_ + "/dosdevices/c:/windows/x.txt");
  EXPECT_EQ(Host("Z:\\usr\\bin"), dir_ + "/dosdevices/z:/usr/bin");
  EXPECT_EQ(Host("C:"), dir_ + "/dosdevices/c:");
  EXPECT_EQ(Host("C:\\a\\.\\b\\..\\..\\..\\c\\\\d\\"), dir_ + "/dosdevices/c:/c/d");
}

TEST_F(PrefixTest, ToHostPathRefusesPathsWithoutAMappedDrive) {
  std::string host, error;
  EXPECT_FALSE(prefix_->ToHostPath("Q:\\x", &host, &error));
  EXPECT_NE(error.find("Q:"), std::string::npos) << error;
  EXPECT_FALSE(prefix_->ToHostPath("\\x\\y", &host, &error));
  EXPECT_FALSE(prefix_->ToHostPath("relative\\y", &host, &error));
}

TEST_F(PrefixTest, ToHostPathMatchesExactNameFirstThenIgnoringCase) {
  Mkdir("drive_c/Program Files");
  Mkdir("drive_c/Program Files/Lib");
  Mkdir("drive_c/Program Files/lib");
  Mkdir("drive_c/Program Files/LIB");
  Touch("drive_c/Program Files/lib/Header.h");
  const std::string base = dir_ + "/dosdevices/c:/Program Files/";
  EXPECT_EQ(Host("C:\\Program Files\\lib\\Header.h"), base + "lib/Header.h");
  EXPECT_EQ(Host("C:\\Program Files\\Lib"), base + "Lib");
  // No exact match: the first match in byte order, every time.
  EXPECT_EQ(Host("C:\\PROGRAM FILES\\liB"), base + "LIB");
  EXPECT_EQ(Host("c:\\program files\\lib\\HEADER.H"), base + "lib/Header.h");
}

TEST_F(PrefixTest, ToHostPathKeepsTypedNamesBelowAMissingComponent) {
  Mkdir("drive_c/Tools");
  EXPECT_EQ(Host("C:\\TOOLS\\New\\Sub\\File.TXT"), dir_ + "/dosdevices/c:/Tools/New/Sub/File.TXT");
  // Folders made or taken away since an earlier lookup are found as they are now.
  Mkdir("drive_c/Tools/NEW");
  EXPECT_EQ(Host("C:\\TOOLS\\New\\File.TXT"), dir_ + "/dosdevices/c:/Tools/NEW/File.TXT");
  ASSERT_EQ(::rmdir((dir_ + "/drive_c/Tools/NEW").c_str()), 0);
  Mkdir("drive_c/Tools/new");
  EXPECT_EQ(Host("C:\\TOOLS\\New\\File.TXT"), dir_ + "/dosdevices/c:/Tools/new/File.TXT");
}

TEST_F(PrefixTest, ToHostPathConvertsAnsiNamesAndFoldsAccentedLetters) {
  Mkdir("drive_c/\xC3\x84rger");  // "Ärger" in UTF-8
  EXPECT_EQ(Host("C:\\\xE4rger\\Gr\xFC\xDF"
                 "e"),
            dir_ +
                "/dosdevices/c:/\xC3\x84rger/Gr\xC3\xBC\xC3\x9F"
                "e");
}

TEST_F(PrefixTest, SystemFolderOfA64BitPrefixIsSyswow64) {
  Mkdir("drive_c/windows");
  Mkdir("drive_c/windows/system32");
  const std::string windows = dir_ + "/dosdevices/c:/windows/";
  // A 32-bit prefix has no syswow64: no redirection.
  EXPECT_EQ(Host("C:\\windows\\system32\\mfc42d.dll"), windows + "system32/mfc42d.dll");
  Mkdir("drive_c/windows/syswow64");
  EXPECT_EQ(Host("C:\\WINDOWS\\System32\\mfc42d.dll"), windows + "syswow64/mfc42d.dll");
  EXPECT_EQ(Host("C:\\windows\\system32"), windows + "syswow64");
  EXPECT_EQ(Host("C:\\windows\\system32\\drivers\\etc\\hosts"),
            windows + "system32/drivers/etc/hosts");
  EXPECT_EQ(Host("C:\\windows\\system32\\spool"), windows + "system32/spool");
  EXPECT_EQ(Host("C:\\windows\\system32x"), windows + "system32x");
}

TEST_F(PrefixTest, ToWindowsPathNamesTheDriveAsWinepathDoes) {
  Mkdir("drive_c/users");
  EXPECT_EQ(prefix_->ToWindowsPath(dir_ + "/drive_c/users"), "C:\\users");
  EXPECT_EQ(prefix_->ToWindowsPath(dir_ + "/dosdevices/c:/users/new/file.txt"),
            "C:\\users\\new\\file.txt");
  EXPECT_EQ(prefix_->ToWindowsPath(dir_ + "/drive_c"), "C:\\");
  EXPECT_EQ(prefix_->ToWindowsPath("/usr//bin/./x/../env"), "Z:\\usr\\bin\\env");
  EXPECT_EQ(prefix_->ToWindowsPath("/"), "Z:\\");
  EXPECT_EQ(prefix_->ToWindowsPath("/tmp/Gr\xC3\xBC\xC3\x9F"
                                   "e"),
            "Z:\\tmp\\Gr\xFC\xDF"
            "e");
}

TEST_F(PrefixTest, ToWindowsPathPrefersTheDriveWithTheLongestPrefix) {
  Mkdir("data");
  Mkdir("data/projects");
  ASSERT_EQ(symlink((dir_ + "/data").c_str(), (dir_ + "/dosdevices/d:").c_str()), 0);
  EXPECT_EQ(prefix_->ToWindowsPath(dir_ + "/data/projects/a.dsp"), "D:\\projects\\a.dsp");
  // Relative paths start at the working folder.
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  ASSERT_EQ(chdir((dir_ + "/data").c_str()), 0);
  const std::string relative = prefix_->ToWindowsPath("projects/../x.txt");
  ASSERT_EQ(chdir(cwd), 0);
  EXPECT_EQ(relative, "D:\\x.txt");
}

TEST_F(PrefixTest, FromUserPathMapsHostPathsAndKeepsDrivePaths) {
  platform::wine::WineFileSystem files(prefix_);
  Mkdir("drive_c/lib");
  EXPECT_EQ(files.FromUserPath(dir_ + "/drive_c/lib/"), "C:\\lib");
  EXPECT_EQ(files.FromUserPath("D:\\Tessaline"), "D:\\Tessaline");
  EXPECT_EQ(files.FromUserPath("c:/x"), "c:/x");
  EXPECT_EQ(files.FromUserPath("/opt/tessaline"), "Z:\\opt\\tessaline");
}

TEST(PrefixOpen, RefusesFoldersThatAreNoPrefix) {
  std::shared_ptr<const Prefix> prefix;
  std::string error;
  EXPECT_FALSE(Prefix::Open("/nonexistent/tsl-prefix", &prefix, &error));
  EXPECT_NE(error.find("/nonexistent/tsl-prefix"), std::string::npos) << error;
  char temp[] = "/tmp/tsl-noprefix-XXXXXX";
  const std::string dir = mkdtemp(temp);
  EXPECT_FALSE(Prefix::Open(dir, &prefix, &error));
  EXPECT_NE(error.find("not a Wine prefix"), std::string::npos) << error;

  platform::Platform platform;
  platform::PlatformOptions options;
  options.wine_prefix = dir;
  EXPECT_FALSE(platform::CreatePlatform(options, &platform, &error));
  EXPECT_EQ(platform.files, nullptr);
  rmdir(dir.c_str());
}

std::string ReadHost(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

mode_t ModeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST_F(PrefixTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
  Mkdir("drive_c/cfg");
  std::ofstream(dir_ + "/drive_c/cfg/a.dat") << "old contents";
  platform::wine::WineFileSystem files(prefix_);
  // A file size limit makes the write fail half-way, as a full disk would. In a child, so
  // the limit does not outlive the case.
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    const bool written = files.WriteBinaryFile("C:\\cfg\\a.dat", std::string(100000, 'n'), &error);
    _exit(!written && error.find("C:\\cfg\\a.dat") != std::string::npos ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(ReadHost(dir_ + "/drive_c/cfg/a.dat"), "old contents");
  const std::string listing = "ls -A '" + dir_ + "/drive_c/cfg' | wc -l";
  FILE* pipe = popen(listing.c_str(), "r");
  char count[32] = {0};
  ASSERT_NE(fgets(count, sizeof count, pipe), nullptr);
  pclose(pipe);
  EXPECT_EQ(std::atoi(count), 1) << "a temporary file was left behind";
}

TEST_F(PrefixTest, WriteKeepsPermissionsAndWritesThroughALink) {
  Mkdir("drive_c/cfg");
  const std::string real = dir_ + "/drive_c/cfg/real.txt";
  std::ofstream(real) << "old";
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  ASSERT_EQ(symlink("real.txt", (dir_ + "/drive_c/cfg/link.txt").c_str()), 0);
  platform::wine::WineFileSystem files(prefix_);
  std::string error;
  ASSERT_TRUE(files.WriteTextFile("C:\\cfg\\link.txt", "new\n", &error)) << error;
  EXPECT_EQ(ReadHost(real), "new\r\n");
  EXPECT_EQ(ModeOf(real), 0640u);
  struct stat st;
  ASSERT_EQ(lstat((dir_ + "/drive_c/cfg/link.txt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(PrefixTest, SetNormalAttributesClearsReadOnlyAndHidden) {
  const std::string path = dir_ + "/drive_c/ro.txt";
  std::ofstream(path) << "x";
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  // Wine keeps hidden (0x2) and system in this attribute; not every file system has them.
  const bool has_xattr = setxattr(path.c_str(), "user.DOSATTRIB", "0x2", 3, 0) == 0;
  platform::wine::WineFileSystem files(prefix_);
  std::string error;
  ASSERT_TRUE(files.SetNormalAttributes("C:\\RO.TXT", &error)) << error;
  EXPECT_NE(ModeOf(path) & 0200, 0u);
  char value[16];
  if (has_xattr) {
    EXPECT_LT(getxattr(path.c_str(), "user.DOSATTRIB", value, sizeof value), 0);
  }
  EXPECT_FALSE(platform::wine::IsReadOnlyMode(0644));
  EXPECT_FALSE(platform::wine::IsReadOnlyMode(0404 | 0020));
  EXPECT_TRUE(platform::wine::IsReadOnlyMode(0555));
}

TEST_F(PrefixTest, CopyFileKeepsTheLastWriteTime) {
  const std::string from = dir_ + "/drive_c/from.txt";
  std::ofstream(from) << "x";
  const timespec times[2] = {{981173106, 0}, {981173106, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, from.c_str(), times, 0), 0);
  platform::wine::WineFileSystem files(prefix_);
  std::string error;
  ASSERT_TRUE(files.CopyFile("C:\\from.txt", "C:\\to.txt", &error)) << error;
  struct stat st;
  ASSERT_EQ(stat((dir_ + "/drive_c/to.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mtim.tv_sec, 981173106);
}

TEST_F(PrefixTest, ShellCopyNamesTheCopyAsTheSourceWasTyped) {
  Mkdir("drive_c/src");
  Touch("drive_c/src/a.txt");
  Mkdir("drive_c/dest");
  auto shell = platform::wine::NewWineShellCopy(prefix_);
  std::string error;
  ASSERT_TRUE(shell->Copy("C:\\SRC", "C:\\dest", &error)) << error;
  ASSERT_TRUE(shell->Copy("C:\\src\\A.TXT", "C:\\dest", &error)) << error;
  struct stat st;
  EXPECT_EQ(stat((dir_ + "/drive_c/dest/SRC/a.txt").c_str(), &st), 0);
  EXPECT_EQ(stat((dir_ + "/drive_c/dest/A.TXT").c_str(), &st), 0);
}

TEST_F(PrefixTest, ShellCopyRefusesToCopyAFolderIntoItself) {
  Mkdir("drive_c/src");
  Mkdir("drive_c/src/sub");
  Touch("drive_c/src/a.txt");
  auto shell = platform::wine::NewWineShellCopy(prefix_);
  std::string error;
  EXPECT_FALSE(shell->Copy("C:\\src", "C:\\src\\inner", &error));
  EXPECT_FALSE(shell->Copy("C:\\src\\*.*", "C:\\SRC\\Sub\\inner", &error));
}

// The shell under Wine reports success for the contents of a missing folder, having copied
// nothing; the caller must learn that its files are not there.
TEST_F(PrefixTest, ShellCopyOfAMissingFoldersContentsFails) {
  auto shell = platform::wine::NewWineShellCopy(prefix_);
  std::string error;
  EXPECT_FALSE(shell->Copy("C:\\missing\\*.*", "C:\\out", &error));
  EXPECT_NE(error.find("C:\\missing"), std::string::npos) << error;
  struct stat st;
  EXPECT_NE(stat((dir_ + "/drive_c/out").c_str(), &st), 0);
}

TEST_F(PrefixTest, RunningImageNamesAreThisPrefixsWineProgramsAsStarted) {
  // Copies of sleep stand in for processes: named as Wine's loader they count as Wine
  // processes, whose argv[0] Wine leaves as the program was started.
  const std::string bin = dir_ + "/bin", other = dir_ + "/other", home = dir_ + "/home";
  Mkdir("bin");
  Mkdir("other");
  Mkdir("home");
  ASSERT_EQ(symlink(dir_.c_str(), (home + "/.wine").c_str()), 0);  // the same prefix, by a link
  for (const char* loader : {"wine64-preloader", "sleep"}) {
    ASSERT_EQ(std::system(("cp /bin/sleep '" + bin + "/" + loader + "'").c_str()), 0);
  }
  const std::string msdev =
      "C:\\Program Files\\Microsoft Visual Studio\\Common\\MSDev98\\Bin\\MSDEV.EXE";
  struct Case {
    const char* loader;
    std::string started;      // argv[0]
    std::string environment;  // WINEPREFIX=... or HOME=...
    std::string seen;         // the name reported; "" for none
  } cases[] = {
      {"wine64-preloader", msdev, "WINEPREFIX=" + dir_, msdev},
      // comm keeps only 15 bytes; the name comes from argv[0].
      {"wine64-preloader", "./Common7/IDE/DevEnvWithALongName.exe", "WINEPREFIX=" + dir_ + "/",
       "DevEnvWithALongName.exe"},
      {"wine64-preloader", "C:\\VS\\Common7\\IDE\\devenv.exe", "HOME=" + home,
       "C:\\VS\\Common7\\IDE\\devenv.exe"},
      // Another prefix's IDE, and a Linux program of the IDE's name in this prefix's setting.
      {"wine64-preloader", "C:\\Other\\MSDEV.EXE", "WINEPREFIX=" + other, ""},
      {"sleep", "./Linux/MSDEV.EXE", "WINEPREFIX=" + dir_, ""},
      {"wine64-preloader", "C:\\Relative\\MSDEV.EXE", "WINEPREFIX=relative", ""},
  };
  std::vector<pid_t> children;
  for (const Case& c : cases) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      char* environment[] = {const_cast<char*>(c.environment.c_str()), nullptr};
      const std::string program = bin + "/" + c.loader;
      execle(program.c_str(), c.started.c_str(), "20", static_cast<char*>(nullptr), environment);
      _exit(127);
    }
    children.push_back(child);
  }
  auto processes = platform::wine::NewWineProcesses(nullptr, dir_);
  std::vector<std::string> names;
  auto seen = [&](const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  auto all_seen = [&] {
    return std::all_of(std::begin(cases), std::end(cases),
                       [&](const Case& c) { return c.seen.empty() || seen(c.seen); });
  };
  for (int attempt = 0; attempt < 100 && !all_seen(); ++attempt) {
    usleep(20000);
    names = processes->RunningImageNames();
  }
  usleep(100000);  // the ones that must not be seen have started by now too
  names = processes->RunningImageNames();
  for (pid_t child : children) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
  }
  for (const Case& c : cases) {
    EXPECT_TRUE(c.seen.empty() ? !seen(c.started) : seen(c.seen)) << c.started;
  }
  EXPECT_EQ(names.size(), 3u) << ::testing::PrintToString(names);
}

TEST(WineProcesses, ProcessesEndingDuringTheScanAreSkipped) {
  // Reading the cmdline of a process that is just ending fails with ESRCH; a churn of
  // short-lived processes beside the scan must never make it throw.
  const pid_t spawner = fork();
  ASSERT_GE(spawner, 0);
  if (spawner == 0) {
    for (;;) {
      const pid_t child = fork();
      if (child == 0) _exit(0);
      if (child > 0) waitpid(child, nullptr, 0);
    }
  }
  auto processes = platform::wine::NewWineProcesses(nullptr, "/");
  for (int scan = 0; scan < 300; ++scan) {
    EXPECT_NO_THROW(processes->RunningImageNames()) << "scan " << scan;
  }
  kill(spawner, SIGKILL);
  waitpid(spawner, nullptr, 0);
}

TEST(WineProcesses, OsVersionIsWhatThePrefixClaims) {
  const std::string key = "Software\\Microsoft\\Windows NT\\CurrentVersion";
  testing_support::FakeRegistry registry;
  registry.Set(platform::RootKey::kLocalMachine, key, "CurrentVersion", "5.1");
  platform::OsVersion version = platform::wine::NewWineProcesses(&registry, "/")->GetOsVersion();
  EXPECT_EQ(version.platform_id, 2u);
  EXPECT_EQ(version.major, 5u);
  EXPECT_EQ(version.minor, 1u);

  registry.Set(platform::RootKey::kLocalMachine, key, "CurrentVersion", "garbage");
  version = platform::wine::NewWineProcesses(&registry, "/")->GetOsVersion();
  EXPECT_EQ(version.major, 6u);
  EXPECT_EQ(version.minor, 1u);
  version = platform::wine::NewWineProcesses(nullptr, "/")->GetOsVersion();
  EXPECT_EQ(version.major, 6u);
}

TEST(WineHelp2, ServiceIsAbsentAsOnAMachineWithoutIt) {
  testing_support::TempDrive drive;
  std::unique_ptr<platform::Help2Session> session;
  const platform::Help2Status status = drive.Services().help2->CreateSession(&session);
  EXPECT_TRUE(status.Failed());
  EXPECT_EQ(static_cast<std::uint32_t>(status.code), 0x80040154u);
  EXPECT_EQ(session, nullptr);
}

}  // namespace
