// Natively the temporary drive is a small Wine prefix of its own, reached through the
// Wine platform exactly as a real prefix is.
#include "tests/support/temp_drive.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/encoding.h"

namespace testing_support {
namespace {

void WriteHostFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

void MakeFolders(const std::string& path) {
  for (std::size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
    const std::string part = path.substr(0, slash);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      throw std::runtime_error("cannot create " + part);
    }
    if (slash == std::string::npos) return;
  }
}

// Never follows a symbolic link: dosdevices/z: leads to the root of the machine.
void RemoveTree(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return;
  if (S_ISDIR(st.st_mode)) {
    chmod(path.c_str(), 0700);
    if (DIR* dir = opendir(path.c_str())) {
      while (dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") RemoveTree(path + "/" + name);
      }
      closedir(dir);
    }
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

constexpr char kTestFolder[] = "tsl-test";

}  // namespace

TempDrive::TempDrive() {
  const char* temp = std::getenv("TMPDIR");
  std::string prefix = std::string(temp && *temp ? temp : "/tmp") + "/tsl-drive-XXXXXX";
  if (!mkdtemp(prefix.data())) throw std::runtime_error("cannot create " + prefix);
  // A constructor that throws runs no destructor: a half-made prefix goes here.
  try {
    MakeFolders(prefix + "/dosdevices");
    MakeFolders(prefix + "/drive_c/windows/system32");
    if (symlink("../drive_c", (prefix + "/dosdevices/c:").c_str()) != 0 ||
        symlink("/", (prefix + "/dosdevices/z:").c_str()) != 0) {
      throw std::runtime_error("cannot map the drives of " + prefix);
    }
    WriteHostFile(prefix + "/system.reg",
                  "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win32\n");
    WriteHostFile(prefix + "/user.reg",
                  "WINE REGISTRY Version 2\n;; All keys relative to "
                  "\\\\User\\\\S-1-5-21-0-0-0-1000\n\n#arch=win32\n");
    host_dir_ = prefix + "/drive_c/" + kTestFolder;
    MakeFolders(host_dir_);
    root_ = std::string("C:\\") + kTestFolder;
    std::string error;
    platform::PlatformOptions options;
    options.wine_prefix = prefix;
    if (!platform::CreatePlatform(options, &platform_, &error)) throw std::runtime_error(error);
  } catch (...) {
    RemoveTree(prefix);
    throw;
  }
}

TempDrive::~TempDrive() {
  platform_ = platform::Platform();
  // host_dir_ is <prefix>/drive_c/<folder>: the whole prefix goes.
  RemoveTree(host_dir_.substr(0, host_dir_.rfind("/drive_c/")));
}

namespace {

std::string HostRelative(const std::string& relative) {
  std::string path = platform::AnsiToUtf8(relative);
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

}  // namespace

void TempDrive::WriteRaw(const std::string& relative, const std::string& bytes) {
  const std::string path = host_dir_ + "/" + HostRelative(relative);
  MakeFolders(path.substr(0, path.rfind('/')));
  WriteHostFile(path, bytes);
}

std::string TempDrive::ReadRaw(const std::string& relative, bool* exists) const {
  const std::string path = host_dir_ + "/" + HostRelative(relative);
  struct stat st;
  std::ifstream in;
  if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) in.open(path, std::ios::binary);
  if (exists) *exists = in.is_open();
  if (!in.is_open()) return std::string();
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void TempDrive::SetReadOnlyRaw(const std::string& relative, bool read_only) {
  const std::string path = host_dir_ + "/" + HostRelative(relative);
  struct stat st;
  if (stat(path.c_str(), &st) != 0) throw std::runtime_error("missing " + path);
  // Wine shows a file without any write permission as read-only.
  const mode_t mode = read_only ? (st.st_mode & ~0222) : (st.st_mode | 0200);
  if (chmod(path.c_str(), mode & 07777) != 0) throw std::runtime_error("cannot chmod " + path);
}

bool TempDrive::LinkRaw(const std::string& relative, const std::string& target) {
  const std::string path = host_dir_ + "/" + HostRelative(relative);
  MakeFolders(path.substr(0, path.rfind('/')));
  return symlink(target.c_str(), path.c_str()) == 0;
}

void TempDrive::MakeUnreadableRaw(const std::string& relative) {
  const std::string path = host_dir_ + "/" + HostRelative(relative);
  MakeFolders(path.substr(0, path.rfind('/')));
  if (mkfifo(path.c_str(), 0644) != 0) throw std::runtime_error("cannot make " + path);
}

}  // namespace testing_support
