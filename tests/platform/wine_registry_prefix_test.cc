// The Wine registry on a synthetic prefix and on a real one, checked against `wine reg`.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include "platform/encoding.h"
#include "platform/wine/reg_file.h"
#include "platform/wine/server_lock.h"
#include "platform/wine/wine_registry.h"

namespace platform::wine {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Quote(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

int Shell(const std::string& command) { return std::system(command.c_str()); }

// An ANSI string as a query returns it, with its NUL.
std::string Z(const std::string& ansi) { return ansi + '\0'; }

// A value read the way the system reads it: into a 260-byte buffer.
std::string Query(Registry& registry, RootKey root, const std::string& key,
                  const std::string& name) {
  std::string error;
  std::unique_ptr<RegistryKey> k = registry.OpenKey(root, key, KeyAccess::kRead, &error);
  if (!k) return "<no key: " + error + ">";
  char buffer[260];
  std::size_t size = sizeof buffer;
  RegResult r = k->QueryString(name, buffer, &size);
  if (r != RegResult::kOk) return "<result " + std::to_string(static_cast<int>(r)) + ">";
  return std::string(buffer, size);
}

std::string Utf16Bytes(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    out.push_back(static_cast<char>(c & 0xff));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

std::string Hex6(std::u16string_view target) {
  std::string out = "hex(6):";
  char buf[8];
  for (char16_t c : target) {
    std::snprintf(buf, sizeof buf, "%02x,%02x,", c & 0xff, c >> 8);
    out += buf;
  }
  out.pop_back();
  return out;
}

// A prefix folder holding only the two hive files, written from texts.
class SyntheticPrefix : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tsl-regprefix-XXXXXX";
    dir_ = ::mkdtemp(tmpl);
  }
  void TearDown() override { Shell("rm -rf " + Quote(dir_)); }
  void Write(const std::string& machine, const std::string& user) {
    WriteFile(dir_ + "/system.reg", machine);
    WriteFile(dir_ + "/user.reg", user);
  }
  std::string dir_;
};

const std::string kMachine64 =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n\n"
    "[Software\\\\Classes\\\\.txt] 1\n@=\"txtfile\"\n\n"
    "[Software\\\\Classes\\\\CLSID\\\\{1}] 1\n@=\"64-bit class\"\n\n"
    "[Software\\\\Classes\\\\Wow6432Node\\\\CLSID\\\\{1}] 1\n@=\"32-bit class\"\n\n"
    "[Software\\\\Loop] 1\n#link\n\"SymbolicLinkValue\"=" +
    Hex6(u"\\Registry\\Machine\\Software\\Loop") +
    "\n\n"
    "[Software\\\\Policies\\\\Vendor] 1\n\"p\"=\"policy\"\n\n"
    "[Software\\\\Vendor\\\\App] 1\n\"v\"=\"64\"\n\"t\"=\"M\\xfcller \\x20ac \\x100\"\n"
    "\"d\"=dword:12345678\n\"b\"=hex:00,ff,\\\n  7f\n\n"
    "[Software\\\\Vendor\\\\Only64] 1\n\"v\"=\"64\"\n\n"
    "[Software\\\\Wow6432Node\\\\Classes] 1\n#link\n\"SymbolicLinkValue\"=" +
    Hex6(u"\\Registry\\Machine\\Software\\Classes\\Wow6432Node") +
    "\n\n"
    "[Software\\\\Wow6432Node\\\\Policies] 1\n#link\n\"SymbolicLinkValue\"=" +
    Hex6(u"\\Registry\\Machine\\Software\\Policies") +
    "\n\n"
    "[Software\\\\Wow6432Node\\\\Vendor\\\\App] 1\n\"v\"=\"32\"\n\"t\"=\"M\\xfcller \\x20ac "
    "\\x100\"\n"
    "\"d\"=dword:12345678\n\"b\"=hex:00,ff,\\\n  7f\n";

const std::string kUser =
    "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n\n"
    "#arch=win64\n\n"
    "[Software\\\\Vendor\\\\App] 1\n\"v\"=\"64\"\n\n"
    "[Software\\\\Wow6432Node\\\\Vendor\\\\App] 1\n\"v\"=\"32\"\n";

TEST_F(SyntheticPrefix, MachineKeysAreSeenAsA32BitProgramSeesThem) {
  Write(kMachine64, kUser);
  std::unique_ptr<Registry> reg = NewWineRegistry(dir_);
  const RootKey lm = RootKey::kLocalMachine;
  EXPECT_EQ(Query(*reg, lm, "software\\VENDOR\\App", "v"), Z("32"));
  // A key that only the 64-bit view has is missing for a 32-bit program.
  EXPECT_EQ(reg->OpenKey(lm, "Software\\Vendor\\Only64", KeyAccess::kRead), nullptr);
  // Classes: Software\Wow6432Node\Classes links to the shared Software\Classes\Wow6432Node,
  // which falls back to Software\Classes for what it lacks.
  EXPECT_EQ(Query(*reg, lm, "Software\\Classes\\.txt", ""), Z("txtfile"));
  EXPECT_EQ(Query(*reg, lm, "Software\\Classes\\CLSID\\{1}", ""), Z("32-bit class"));
  EXPECT_EQ(Query(*reg, lm, "Software\\Policies\\Vendor", "p"), Z("policy"));
  // A link to itself ends instead of looping.
  std::string error;
  EXPECT_EQ(reg->OpenKey(lm, "Software\\Loop\\X", KeyAccess::kRead, &error), nullptr);
  EXPECT_EQ(reg->OpenKey(lm, "Software\\\\Vendor", KeyAccess::kRead), nullptr);
  EXPECT_NE(error.find("HKEY_LOCAL_MACHINE\\Software\\Loop\\X"), std::string::npos) << error;

  // The user's hive has no 32-bit view.
  EXPECT_EQ(Query(*reg, RootKey::kCurrentUser, "Software\\Vendor\\App", "v"), Z("64"));
  // Nor has the machine hive of a 32-bit prefix.
  std::string machine32 = kMachine64;
  machine32.replace(machine32.find("win64"), 5, "win32");
  Write(machine32, kUser);
  EXPECT_EQ(Query(*reg, lm, "Software\\Vendor\\App", "v"), Z("64"));
}

TEST_F(SyntheticPrefix, QueryStringFillsTheCallersBufferWhateverTheType) {
  Write(kMachine64, kUser);
  std::unique_ptr<Registry> reg = NewWineRegistry(dir_);
  std::unique_ptr<RegistryKey> key =
      reg->OpenKey(RootKey::kLocalMachine, "Software\\Vendor\\App", KeyAccess::kRead);
  ASSERT_NE(key, nullptr);
  // Strings come as ANSI with their NUL; a character ANSI lacks becomes '?'.
  const std::string text = Z("M\xfcller \x80 ?");
  char buffer[260];
  std::size_t size = text.size() - 1;
  EXPECT_EQ(key->QueryString("T", buffer, &size), RegResult::kMoreData);
  EXPECT_EQ(size, text.size());
  size = text.size();
  ASSERT_EQ(key->QueryString("T", buffer, &size), RegResult::kOk);
  EXPECT_EQ(std::string(buffer, size), text);
  size = sizeof buffer;
  ASSERT_EQ(key->QueryString("d", buffer, &size), RegResult::kOk);
  EXPECT_EQ(std::string(buffer, size), "\x78\x56\x34\x12");
  size = sizeof buffer;
  ASSERT_EQ(key->QueryString("b", buffer, &size), RegResult::kOk);
  EXPECT_EQ(std::string(buffer, size), std::string("\x00\xff\x7f", 3));
  size = sizeof buffer;
  EXPECT_EQ(key->QueryString("missing", buffer, &size), RegResult::kNotFound);
}

// A program may store a string without its NUL; callers read the buffer as a C string.
TEST_F(SyntheticPrefix, QueryStringTerminatesStringsStoredWithoutNul) {
  Write(
      "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n"
      "#arch=win32\n\n[Software\\\\Vendor] 1\n\"n\"=hex(1):41,00,42,00\n"
      "\"e\"=str(2):\"\"\n\"z\"=hex(1):\n",
      kUser);
  std::unique_ptr<Registry> reg = NewWineRegistry(dir_);
  EXPECT_EQ(Query(*reg, RootKey::kLocalMachine, "Software\\Vendor", "n"), Z("AB"));
  EXPECT_EQ(Query(*reg, RootKey::kLocalMachine, "Software\\Vendor", "e"), Z(""));
  EXPECT_EQ(Query(*reg, RootKey::kLocalMachine, "Software\\Vendor", "z"), Z(""));
}

TEST_F(SyntheticPrefix, WritesGoToTheFileAtOnceAndOnlyThroughAWritableKey) {
  Write(kMachine64, kUser);
  std::unique_ptr<Registry> reg = NewWineRegistry(dir_);
  std::string error;
  std::unique_ptr<RegistryKey> read_only =
      reg->OpenKey(RootKey::kLocalMachine, "Software\\Vendor\\App", KeyAccess::kRead);
  ASSERT_NE(read_only, nullptr);
  EXPECT_FALSE(read_only->SetString("v", "new", &error));
  EXPECT_NE(error.find("reading only"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(dir_ + "/system.reg"), kMachine64);

  // "Software" itself is Software\Wow6432Node for a 32-bit program; that key has no block
  // of its own yet.
  std::unique_ptr<RegistryKey> top =
      reg->OpenKey(RootKey::kLocalMachine, "Software", KeyAccess::kAll, &error);
  ASSERT_NE(top, nullptr) << error;
  ASSERT_TRUE(top->SetString("Owner", "J\xfcrgen \"Q\" C:\\x", &error)) << error;
  std::unique_ptr<RegistryKey> app =
      reg->OpenKey(RootKey::kLocalMachine, "Software\\Vendor\\App", KeyAccess::kAll, &error);
  ASSERT_NE(app, nullptr) << error;
  ASSERT_TRUE(app->SetString("V", "", &error)) << error;

  std::unique_ptr<RegFile> file = RegFile::Load(dir_ + "/system.reg", &error);
  ASSERT_NE(file, nullptr) << error;
  RegValue value;
  ASSERT_TRUE(file->GetValue(u"Software\\Wow6432Node", u"owner", &value));
  EXPECT_EQ(value.data, Utf16Bytes(AnsiToUtf16(Z("J\xfcrgen \"Q\" C:\\x"))));
  ASSERT_TRUE(file->GetValue(u"Software\\Wow6432Node\\Vendor\\App", u"v", &value));
  EXPECT_EQ(value.data, std::string(2, '\0'));
  ASSERT_TRUE(file->GetValue(u"Software\\Vendor\\App", u"v", &value));
  EXPECT_EQ(value.data, Utf16Bytes(AnsiToUtf16(Z("64"))));
  // A second registry over the prefix reads what the first wrote.
  EXPECT_EQ(Query(*NewWineRegistry(dir_), RootKey::kLocalMachine, "Software", "OWNER"),
            Z("J\xfcrgen \"Q\" C:\\x"));
}

TEST_F(SyntheticPrefix, FileChangedOnDiskIsReadAgain) {
  Write(kMachine64, kUser);
  std::unique_ptr<Registry> reg = NewWineRegistry(dir_);
  std::unique_ptr<RegistryKey> key =
      reg->OpenKey(RootKey::kCurrentUser, "Software\\Vendor\\App", KeyAccess::kRead);
  ASSERT_NE(key, nullptr);
  char buffer[260];
  std::size_t size = sizeof buffer;
  ASSERT_EQ(key->QueryString("v", buffer, &size), RegResult::kOk);
  // Wine replaces the file by renaming a new one over it.
  std::string changed = kUser;
  changed.replace(changed.find("\"v\"=\"64\""), 8, "\"v\"=\"65\"");
  WriteFile(dir_ + "/user.new", changed);
  ASSERT_EQ(::rename((dir_ + "/user.new").c_str(), (dir_ + "/user.reg").c_str()), 0);
  size = sizeof buffer;
  ASSERT_EQ(key->QueryString("v", buffer, &size), RegResult::kOk);
  EXPECT_EQ(std::string(buffer, size), Z("65"));
  // Taken away under an open key, it fails the read, not the program.
  ASSERT_EQ(::unlink((dir_ + "/user.reg").c_str()), 0);
  size = sizeof buffer;
  EXPECT_EQ(key->QueryString("v", buffer, &size), RegResult::kError);
}

// A line Wine skips elsewhere in the file hides no key, and a write keeps it as it was.
TEST_F(SyntheticPrefix, DamageElsewhereHidesNoKeyAndIsWrittenBack) {
  std::string broken = kUser + "[Software\\\\Broken] 1\n\"a\"=\"unterminated\ngarbage\n";
  Write(kMachine64, broken);
  std::unique_ptr<Registry> reg = NewWineRegistry(dir_);
  std::string error;
  EXPECT_TRUE(reg->CheckReadable(RootKey::kCurrentUser, &error)) << error;
  std::unique_ptr<RegistryKey> key =
      reg->OpenKey(RootKey::kCurrentUser, "Software\\Vendor\\App", KeyAccess::kAll, &error);
  ASSERT_NE(key, nullptr) << error;
  ASSERT_TRUE(key->SetString("v", "65", &error)) << error;
  const std::string saved = ReadFile(dir_ + "/user.reg");
  EXPECT_NE(saved.find("[Software\\\\Broken] 1\n\"a\"=\"unterminated\ngarbage\n"),
            std::string::npos)
      << saved;
  EXPECT_EQ(Query(*reg, RootKey::kCurrentUser, "Software\\Vendor\\App", "v"), Z("65"));
}

// Holds the fcntl lock a wineserver holds, from another process (a process never sees its
// own locks), until destroyed.
class LockHolder {
 public:
  explicit LockHolder(const std::string& path) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0600);
      struct flock fl = {};
      fl.l_type = F_WRLCK;
      fl.l_whence = SEEK_SET;
      fl.l_len = 1;
      char ok = fd >= 0 && ::fcntl(fd, F_SETLK, &fl) == 0 ? 'y' : 'n';
      if (::write(ready[1], &ok, 1) != 1) ::_exit(1);
      ::pause();
      ::_exit(0);
    }
    char ok = 'n';
    if (::read(ready[0], &ok, 1) != 1) ok = 'n';
    ::close(ready[0]);
    ::close(ready[1]);
    locked_ = ok == 'y';
  }
  ~LockHolder() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  bool locked() const { return locked_; }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool locked_ = false;
};

TEST_F(SyntheticPrefix, ServerIsFoundByItsLockInUpstreamAndDebianFolders) {
  Write(kMachine64, kUser);
  struct stat st;
  ASSERT_EQ(::stat(dir_.c_str(), &st), 0);
  char server[64];
  std::snprintf(server, sizeof server, "server-%llx-%llx",
                static_cast<unsigned long long>(st.st_dev),
                static_cast<unsigned long long>(st.st_ino));
  // Upstream Wine wants its folder private; it is removed again when empty.
  std::string upstream_root = "/tmp/.wine-" + std::to_string(::getuid());
  ::mkdir(upstream_root.c_str(), 0700);
  std::string upstream = upstream_root + "/" + server;
  std::string debian_name = dir_.substr(5) + "-server";  // a name of our own under /tmp
  std::string debian = "/tmp/" + debian_name + "/" + server;
  WriteFile(dir_ + "/wineserver", debian_name + "\n");
  for (const std::string& folder : {upstream, debian}) {
    ASSERT_EQ(Shell("mkdir -p " + Quote(folder)), 0);
    ServerStatus status;
    std::string error;
    {
      LockHolder holder(folder + "/lock");
      ASSERT_TRUE(holder.locked());
      ASSERT_TRUE(FindRunningServer(dir_, &status, &error)) << error;
      EXPECT_TRUE(status.running) << folder;
      EXPECT_EQ(status.pid, holder.pid());
      EXPECT_EQ(status.lock_path, folder + "/lock");
      std::unique_ptr<RegistryKey> key = NewWineRegistry(dir_)->OpenKey(
          RootKey::kLocalMachine, "Software\\Vendor\\App", KeyAccess::kAll, &error);
      ASSERT_NE(key, nullptr) << error;
      EXPECT_FALSE(key->SetString("v", "blocked", &error));
      EXPECT_NE(error.find("WINEPREFIX=" + dir_ + " wineserver -k"), std::string::npos) << error;
      EXPECT_EQ(ReadFile(dir_ + "/system.reg"), kMachine64);
    }
    // A lock file that nobody holds is what an ended server leaves.
    ASSERT_TRUE(FindRunningServer(dir_, &status, &error)) << error;
    EXPECT_FALSE(status.running) << folder;
    Shell("rm -rf " + Quote(folder));
  }
  Shell("rm -rf " + Quote("/tmp/" + debian_name));
  ::rmdir(upstream_root.c_str());
  std::string error;
  ServerStatus status;
  EXPECT_FALSE(FindRunningServer(dir_ + "/missing", &status, &error));
  EXPECT_NE(error.find(dir_ + "/missing"), std::string::npos) << error;
}

// A copy of the test prefix made by wineboot, and Wine's own `reg` as the peer that reads
// what we write and writes what we read.
class RealPrefix : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    const char* env = std::getenv("TSL_TEST_PREFIX");
    base_ = env && *env ? env : TSL_BINARY_DIR "/wineprefix";
    // Several test programs may ask for the prefix at once; make-prefix.sh makes it once.
    ready_ = Shell("flock " + Quote(base_ + ".lock") + " " +
                   Quote(TSL_SOURCE_DIR "/scripts/make-prefix.sh") + " " + Quote(base_)) == 0;
  }

  void SetUp() override {
    ASSERT_TRUE(ready_) << "could not make the Wine prefix " << base_;
    // Beside the prefix, on its file system, so the copy can hard-link it.
    std::string tmpl = base_ + "-test-XXXXXX";
    ASSERT_NE(::mkdtemp(&tmpl[0]), nullptr) << tmpl;
    dir_ = tmpl;
    prefix_ = dir_ + "/prefix";
    ASSERT_EQ(Shell(Quote(TSL_SOURCE_DIR "/scripts/copy-prefix.sh") + " " + Quote(base_) + " " +
                    Quote(prefix_)),
              0);
  }

  void TearDown() override {
    if (!prefix_.empty()) Shell(Env() + "wineserver -k 2>/dev/null");
    if (!dir_.empty()) Shell("rm -rf " + Quote(dir_));
  }

  std::string Env() const { return "WINEPREFIX=" + Quote(prefix_) + " WINEDEBUG=-all "; }

  // Runs `wine reg ...`; its output in *output.
  int WineReg(const std::vector<std::string>& args, std::string* output = nullptr) {
    std::string command = Env() + "wine reg";
    for (const std::string& a : args) command += " " + Quote(a);
    std::string out = dir_ + "/reg.out";
    int rc = Shell(command + " >" + Quote(out) + " 2>&1");
    if (output) *output = ReadFile(out);
    return rc;
  }

  // The key's lines of a `reg export` (UTF-16 with a BOM) as UTF-8.
  std::string Export(const std::string& key, const std::vector<std::string>& view) {
    std::string file = dir_ + "/export.reg";
    std::vector<std::string> args = {"export", key, "Z:" + file, "/y"};
    args.insert(args.end(), view.begin(), view.end());
    EXPECT_EQ(WineReg(args), 0) << key;
    std::string bytes = ReadFile(file);
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
      text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                           static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return Utf16ToUtf8(text);
  }

  bool WaitForServer(bool running) {
    for (int i = 0; i < 100; ++i) {
      ServerStatus status;
      std::string error;
      if (FindRunningServer(prefix_, &status, &error) && status.running == running) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

  static std::string base_;
  static bool ready_;
  std::string dir_, prefix_;
};

std::string RealPrefix::base_;
bool RealPrefix::ready_ = false;

TEST_F(RealPrefix, WinebootHivesAreWrittenBackByteForByte) {
  for (const char* hive : {"system.reg", "user.reg", "userdef.reg"}) {
    std::string error;
    std::unique_ptr<RegFile> file = RegFile::Load(prefix_ + "/" + hive, &error);
    ASSERT_NE(file, nullptr) << error;
    std::string copy = dir_ + "/" + hive;
    ASSERT_TRUE(file->Save(copy, &error)) << error;
    EXPECT_TRUE(ReadFile(copy) == ReadFile(prefix_ + "/" + hive)) << hive;
  }
}

TEST_F(RealPrefix, ValuesWeWriteAreReadByWineReg) {
  std::unique_ptr<Registry> reg = NewWineRegistry(prefix_);
  std::string error;
  std::unique_ptr<RegistryKey> cv =
      reg->OpenKey(RootKey::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                   KeyAccess::kAll, &error);
  ASSERT_NE(cv, nullptr) << error;
  ASSERT_TRUE(cv->SetString("TslAscii", "C:\\Lib\\x", &error)) << error;
  ASSERT_TRUE(cv->SetString("TslText", "a b\\c \"q\" M\xfcller \xa9 \x80 [x]", &error)) << error;
  std::unique_ptr<RegistryKey> top =
      reg->OpenKey(RootKey::kLocalMachine, "Software", KeyAccess::kAll, &error);
  ASSERT_NE(top, nullptr) << error;
  ASSERT_TRUE(top->SetString("TslTop", "top", &error)) << error;
  std::unique_ptr<RegistryKey> desktop =
      reg->OpenKey(RootKey::kCurrentUser, "Control Panel\\Desktop", KeyAccess::kAll, &error);
  ASSERT_NE(desktop, nullptr) << error;
  ASSERT_TRUE(desktop->SetString("TslUser", "M\xfcller \xa9", &error)) << error;

  std::string output;
  ASSERT_EQ(WineReg({"query", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", "/v",
                     "TslAscii", "/reg:32"},
                    &output),
            0)
      << output;
  EXPECT_NE(output.find("TslAscii    REG_SZ    C:\\Lib\\x"), std::string::npos) << output;
  ASSERT_EQ(WineReg({"query", "HKLM\\Software", "/v", "TslTop", "/reg:32"}, &output), 0) << output;
  EXPECT_NE(output.find("TslTop    REG_SZ    top"), std::string::npos) << output;
  // The console's code page would garble the rest; an export is UTF-16.
  std::string lm = Export("HKLM\\Software\\Microsoft\\Windows\\CurrentVersion", {"/reg:32"});
  EXPECT_NE(lm.find("\"TslText\"=\"a b\\\\c \\\"q\\\" M\xc3\xbcller \xc2\xa9 \xe2\x82\xac [x]\""),
            std::string::npos)
      << lm;
  std::string cu = Export("HKCU\\Control Panel\\Desktop", {});
  EXPECT_NE(cu.find("\"TslUser\"=\"M\xc3\xbcller \xc2\xa9\""), std::string::npos) << cu;
}

TEST_F(RealPrefix, ValuesWineRegAddsAreReadByUs) {
  std::unique_ptr<Registry> reg = NewWineRegistry(prefix_);
  // Read the user's hive before Wine changes it, so the change must be noticed.
  EXPECT_EQ(Query(*reg, RootKey::kCurrentUser, "Control Panel\\Desktop", "TslUser"), "<result 1>");
  std::string bin;
  for (int i = 0; i < 48; ++i)
    bin += "0123456789abcdef"[i / 16] + std::string(1, "0123456789abcdef"[i % 16]);
  const std::vector<std::vector<std::string>> adds = {
      {"add", "HKLM\\Software\\TslAdd", "/v", "Text", "/d",
       "a b\\c \"q\" M\xc3\xbcller \xc2\xa9 \xe2\x82\xac", "/reg:32", "/f"},
      {"add", "HKLM\\Software\\TslAdd", "/v", "Bin", "/t", "REG_BINARY", "/d", bin, "/reg:32",
       "/f"},
      {"add", "HKLM\\Software\\TslAdd", "/v", "Num", "/t", "REG_DWORD", "/d", "305419896",
       "/reg:32", "/f"},
      {"add", "HKLM\\Software\\TslAdd64", "/v", "Text", "/d", "x", "/reg:64", "/f"},
      {"add", "HKCU\\Control Panel\\Desktop", "/v", "TslUser", "/d", "M\xc3\xbcller", "/f"},
  };
  for (const auto& args : adds) {
    std::string output;
    ASSERT_EQ(WineReg(args, &output), 0) << output;
  }
  ASSERT_EQ(Shell(Env() + "wineserver -w"), 0);

  const RootKey lm = RootKey::kLocalMachine;
  EXPECT_EQ(Query(*reg, lm, "Software\\TslAdd", "Text"), Z("a b\\c \"q\" M\xfcller \xa9 \x80"));
  std::string bytes;
  for (int i = 0; i < 48; ++i) bytes.push_back(static_cast<char>(i));
  EXPECT_EQ(Query(*reg, lm, "Software\\TslAdd", "Bin"), bytes);
  EXPECT_EQ(Query(*reg, lm, "Software\\TslAdd", "Num"), "\x78\x56\x34\x12");
  // Written to the 64-bit view only: a 32-bit program does not see it.
  EXPECT_EQ(reg->OpenKey(lm, "Software\\TslAdd64", KeyAccess::kRead), nullptr);
  EXPECT_EQ(Query(*reg, RootKey::kCurrentUser, "Control Panel\\Desktop", "TslUser"),
            Z("M\xfcller"));
}

// A key the user's hive holds in several blocks: we read what Wine reads, and what we write
// is what Wine then reads, the values only the other blocks held included.
TEST_F(RealPrefix, KeyHeldTwiceReadsAndWritesAsWineSeesIt) {
  const std::string hive = prefix_ + "/user.reg";
  std::string text = ReadFile(hive);
  const std::size_t first = text.find("\n[");
  ASSERT_NE(first, std::string::npos);
  text.insert(first + 1,
              "[Software\\\\TslDup] 1700000000\n\"A\"=\"first\"\n\"B\"=\"onlyfirst\"\n"
              "\"a\"=\"first-lower-later\"\n\n");
  text +=
      "\n[software\\\\tsldup] 1700000001\n\"A\"=\"second\"\n\"C\"=\"onlysecond\"\n\n"
      "[Software\\\\TslDup] 1700000002\n\"C\"=\"third\"\n";
  WriteFile(hive, text);
  // Wine's view of the untouched file (its lines end in CR LF); the server saves the file
  // merged, so it is put back.
  std::string output;
  auto query = [&] {
    int rc = WineReg({"query", "HKCU\\Software\\TslDup"}, &output);
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    return rc;
  };
  ASSERT_EQ(query(), 0) << output;
  ASSERT_EQ(Shell(Env() + "wineserver -w"), 0);
  WriteFile(hive, text);
  std::unique_ptr<Registry> reg = NewWineRegistry(prefix_);
  const RootKey cu = RootKey::kCurrentUser;
  for (const char* name : {"A", "B", "C"}) {
    std::string value = Query(*reg, cu, "Software\\TslDup", name);
    ASSERT_FALSE(value.empty()) << name;
    value.pop_back();
    EXPECT_NE(output.find(std::string("    ") + name + "    REG_SZ    " + value + "\n"),
              std::string::npos)
        << name << " reads as " << value << "; Wine reads:\n"
        << output;
  }
  EXPECT_EQ(Query(*reg, cu, "Software\\TslDup", "A"), Z("second"));

  std::string error;
  std::unique_ptr<RegistryKey> key = reg->OpenKey(cu, "Software\\TslDup", KeyAccess::kAll, &error);
  ASSERT_NE(key, nullptr) << error;
  ASSERT_TRUE(key->SetString("C", "ours", &error)) << error;
  ASSERT_EQ(query(), 0) << output;
  EXPECT_NE(output.find("    A    REG_SZ    second\n"), std::string::npos) << output;
  EXPECT_NE(output.find("    B    REG_SZ    onlyfirst\n"), std::string::npos) << output;
  EXPECT_NE(output.find("    C    REG_SZ    ours\n"), std::string::npos) << output;
}

TEST_F(RealPrefix, WritesAreRefusedWhileAWineserverRuns) {
  ASSERT_EQ(Shell(Env() + "wineserver -p"), 0);
  ASSERT_TRUE(WaitForServer(true));
  ServerStatus status;
  std::string error;
  ASSERT_TRUE(FindRunningServer(prefix_, &status, &error)) << error;
  EXPECT_GT(status.pid, 0);

  std::unique_ptr<Registry> reg = NewWineRegistry(prefix_);
  std::unique_ptr<RegistryKey> key =
      reg->OpenKey(RootKey::kLocalMachine, "Software\\Microsoft\\Windows\\CurrentVersion",
                   KeyAccess::kAll, &error);
  ASSERT_NE(key, nullptr) << error;
  std::string before = ReadFile(prefix_ + "/system.reg");
  EXPECT_FALSE(key->SetString("TslBlocked", "x", &error));
  EXPECT_NE(error.find(prefix_), std::string::npos) << error;
  EXPECT_NE(error.find("wineserver -k"), std::string::npos) << error;
  EXPECT_TRUE(ReadFile(prefix_ + "/system.reg") == before);

  ASSERT_EQ(Shell(Env() + "wineserver -k"), 0);
  ASSERT_TRUE(WaitForServer(false));
  EXPECT_TRUE(key->SetString("TslBlocked", "x", &error)) << error;
}

}  // namespace
}  // namespace platform::wine
