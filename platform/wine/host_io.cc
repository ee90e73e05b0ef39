// Host file I/O for the Wine services: whole writes, flushes, atomic replacement, safe reads.
// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/host_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "platform/held_writes.h"

namespace platform::wine {

namespace {

// The buffer a copy goes through where the kernel cannot copy between two files.
constexpr std::size_t kChunkForCopy = 1 << 20;

}  // namespace

bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;  // a write that makes no progress would otherwise loop for ever
      return false;
    }
    data.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

bool CopyRange(int in, off_t offset, std::size_t size, int out) {
  while (size > 0) {
    const ssize_t n = ::copy_file_range(in, &offset, out, nullptr, size, 0);
    if (n < 0 && errno == EINTR) continue;
    // Another file system, one without the call, or a kernel too old for it.
    if (n < 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP)) {
      break;
    }
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;  // the file is shorter than when its pieces were planned
      return false;
    }
    size -= static_cast<std::size_t>(n);
  }
  std::vector<char> buffer(size > 0 ? kChunkForCopy : 0);
  while (size > 0) {
    const ssize_t n = ::pread(in, buffer.data(), std::min(size, kChunkForCopy), offset);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) {
      errno = EIO;
      return false;
    }
    if (!WriteAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(n)))) return false;
    offset += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

void StartFlush(int fd) { ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE); }

bool WriteStreaming(int fd, std::string_view data) {
  while (!data.empty()) {
    const std::size_t n = std::min(data.size(), kFlushSlice);
    if (!WriteAll(fd, data.substr(0, n))) return false;
    if (n == kFlushSlice) StartFlush(fd);
    data.remove_prefix(n);
  }
  return true;
}

void AdviseHugePages(const void* data, std::size_t bytes) {
  constexpr std::uintptr_t kPage = 4096;
  const auto at = reinterpret_cast<std::uintptr_t>(data);
  const std::uintptr_t begin = (at + kPage - 1) & ~(kPage - 1);
  const std::uintptr_t end = (at + bytes) & ~(kPage - 1);
  if (end > begin + (2u << 20)) {
    ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  }
}

namespace {

// A live run locks its temporary file right after making it; one younger than this may be
// in that instant, so only older ones are judged by their lock.
constexpr long kSettledNanoseconds = 1000000000L;

// The folder a host file lies in, as the rename and the folder flush name it.
std::string HostFolder(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

void FlushFolder(const std::string& folder) {
  const int dir_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir_fd >= 0) {
    ::fsync(dir_fd);
    ::close(dir_fd);
  }
}

// A replacement written and waiting for its step's flush. Its file stays open, and so locked,
// or a replacement beside it would take it for one a killed run left behind.
struct HeldReplacement {
  std::string key;  // HeldKey(target)
  std::string target;
  std::string temp;
  int fd = -1;
};

struct HeldWrites {
  bool on = false;
  std::vector<HeldReplacement> files;
  std::map<std::string, std::string> real_folders;  // HeldKey's resolved paths, while held
  std::set<std::string> appended;     // files with appends not yet flushed
  std::set<std::string> new_folders;  // folders those appends added a file to
};

HeldWrites& Held() {
  static HeldWrites held;
  return held;
}

// The name a held replacement is found by, whichever spelling of the path (a link, a drive's
// own link, "//") led to it. A run reads and writes many files in a few folders; what a path
// resolves to does not change while writes are held, as the run adds no links.
std::string HeldKey(const std::string& target) {
  return CanonicalHostPath(target, &Held().real_folders);
}

// Beyond this many open temporaries a step is flushed early, well within the open-file limit.
constexpr std::size_t kMaxHeld = 256;

}  // namespace

std::string CanonicalHostPath(const std::string& path, std::map<std::string, std::string>* known) {
  if (const auto found = known->find(path); found != known->end()) return found->second;
  const std::size_t slash = path.rfind('/');
  const bool below_root = slash != std::string::npos && slash != 0;
  const std::string name = path.substr(slash == std::string::npos ? 0 : slash + 1);
  struct stat st;
  // Only a link, "." or "..", or a name at the root needs the whole path resolved; any other
  // name, existing or not, is its folder's canonical form and itself.
  const bool resolve = !below_root || name == "." || name == ".." ||
                       (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode));
  char real[PATH_MAX];
  std::string result = path;
  if (below_root && name.empty()) {
    result = CanonicalHostPath(path.substr(0, slash), known);  // "//" or a trailing '/'
  } else if (resolve && ::realpath(path.c_str(), real)) {
    result = real;
  } else if (below_root) {
    result = CanonicalHostPath(path.substr(0, slash), known) + "/" + name;  // a dangling link too
  }
  known->emplace(path, result);
  return result;
}

bool RemoveAbandonedReplacements(const std::string& folder) {
  static constexpr std::string_view kMark = ".tsl-";
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return true;
  bool clean = true;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  const int dir_fd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (name.size() < 2 + kMark.size() + 6 || name[0] != '.' ||
        name.compare(name.size() - 6 - kMark.size(), kMark.size(), kMark) != 0) {
      continue;
    }
    const int fd = ::openat(dir_fd, entry->d_name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) continue;
    struct stat st;
    const bool settled =
        ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
        (now.tv_sec - st.st_mtim.tv_sec) * 1000000000L + (now.tv_nsec - st.st_mtim.tv_nsec) >
            kSettledNanoseconds;
    if (settled && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      ::unlinkat(dir_fd, entry->d_name, 0);
    } else if (!settled) {
      clean = false;
    }
    ::close(fd);
  }
  ::closedir(dir);
  return clean;
}

int CreateReplacement(const std::string& folder, const std::string& base, std::string* temp_path) {
  // Cut so the temporary name stays within the file system's name length.
  const std::string prefix = "." + base.substr(0, 128) + ".tsl-";
  // Once a folder is clean it stays so for the run: the prefix lock keeps other runs out, and
  // this run's own temporaries are locked. A temporary too young to judge is looked at again.
  static std::set<std::string> clean;
  if (clean.count(folder) == 0 && RemoveAbandonedReplacements(folder)) clean.insert(folder);
  *temp_path = folder + "/" + prefix + "XXXXXX";
  const int fd = ::mkstemp(temp_path->data());
  // The lock goes with the process: a killed run leaves its file unlocked.
  if (fd >= 0) ::flock(fd, LOCK_EX);
  return fd;
}

namespace {

// The immutable and append-only flags refuse a rename over the file and new names in a
// folder, to root as well; file systems without the flags answer with an error, taken as none.
bool Unchangeable(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  int flags = 0;
  const bool known = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  ::close(fd);
  return known && (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
}

}  // namespace

std::string ReplaceRefusalOnHost(const std::string& target) {
  const std::string folder = HostFolder(target);
  struct stat st;
  if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::string();
  // access() judges by the capabilities this process may use, as the kernel will on the write.
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return std::strerror(errno);
  if (Unchangeable(folder) || (::lstat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                               Unchangeable(target))) {
    return std::strerror(EPERM);
  }
  return std::string();
}

bool AppendDurably(const std::string& path, std::string_view data) {
  struct stat st;
  const bool existed = ::stat(path.c_str(), &st) == 0;
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0) return false;
  HeldWrites& held = Held();
  bool ok = WriteAll(fd, data) && (held.on || ::fdatasync(fd) == 0);
  const int saved = errno;
  ::close(fd);
  if (ok && held.on) {
    held.appended.insert(path);
    if (!existed) held.new_folders.insert(HostFolder(path));
  } else if (ok && !existed) {
    FlushFolder(HostFolder(path));
  }
  errno = saved;
  return ok;
}

int OpenRegularFile(const std::string& path, std::string* error) {
  // Non-blocking, so a FIFO without a writer does not hold the open itself.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) {
    *error = std::strerror(errno);
    return -1;
  }
  struct stat st;
  const bool known = ::fstat(fd, &st) == 0;
  if (!known || !S_ISREG(st.st_mode)) {
    *error = !known                ? std::strerror(errno)
             : S_ISDIR(st.st_mode) ? "it is a folder, not a file"
                                   : "it is not a regular file";
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

namespace {

// Writes the temporary file that is to replace `target`, with its owner, mode and time; its
// descriptor (open and locked) or -1 with *error set, when the temporary is gone again.
int WriteReplacement(const std::string& target, const Replacement& how,
                     const std::function<bool(int fd, std::string* error)>& fill,
                     std::string* temp, std::string* error) {
  const auto reason = [] { return std::string(std::strerror(errno)); };
  const std::size_t slash = target.rfind('/');
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  const int fd = CreateReplacement(HostFolder(target), base, temp);
  if (fd < 0) {
    *error = errno == ENOENT ? "the folder does not exist" : reason();
    return -1;
  }
  bool ok = fill(fd, error);
  if (ok && how.keep_owner && ::geteuid() == 0 && ::fchown(fd, how.uid, how.gid) != 0) {
    ok = (*error = reason(), false);
  }
  if (ok && ::fchmod(fd, how.mode) != 0) ok = (*error = reason(), false);
  if (ok && how.set_time) {
    const timespec times[2] = {{0, UTIME_OMIT}, how.mtime};
    if (::futimens(fd, times) != 0) ok = (*error = reason(), false);
  }
  if (!ok) {
    ::close(fd);
    ::unlink(temp->c_str());
    return -1;
  }
  return fd;
}

// Flushes a written temporary and renames it over its target; the folder is left to the caller.
bool CommitReplacement(int fd, const std::string& temp, const std::string& target,
                       std::string* error) {
  struct stat written;
  bool ok = ::fsync(fd) == 0 && ::fstat(fd, &written) == 0;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) ok = false;
  if (!ok) {
    *error = std::strerror(errno);
    ::unlink(temp.c_str());
    return false;
  }
  // A rename can report success and leave the old file in place (a file system that drops
  // it, a file replaced behind our back): the target must now be the file written.
  struct stat now;
  if (::stat(target.c_str(), &now) != 0 || now.st_dev != written.st_dev ||
      now.st_ino != written.st_ino) {
    *error = "the rename reported success, but the file does not hold the new value";
    return false;
  }
  return true;
}

}  // namespace

bool ReplaceHostFile(const std::string& target, const Replacement& how,
                     const std::function<bool(int fd, std::string* error)>& fill,
                     std::string* error) {
  if (!FlushStepWrites(error)) return false;
  std::string temp;
  const int fd = WriteReplacement(target, how, fill, &temp, error);
  if (fd < 0 || !CommitReplacement(fd, temp, target, error)) return false;
  // Make the rename itself durable; the data already is.
  FlushFolder(HostFolder(target));
  return true;
}

bool ReplaceInStep(const std::string& target, const Replacement& how,
                   const std::function<bool(int fd, std::string* error)>& fill,
                   std::string* error) {
  HeldWrites& held = Held();
  if (!held.on) return ReplaceHostFile(target, how, fill, error);
  // The rename over an immutable or append-only file would fail only at the step's end, after
  // the step has told how it went: refused now, as a write not held is.
  if (Unchangeable(target)) {
    *error = std::strerror(EPERM);
    return false;
  }
  std::string temp;
  const int fd = WriteReplacement(target, how, fill, &temp, error);
  if (fd < 0) return false;
  StartFlush(fd);
  const std::string key = HeldKey(target);
  for (HeldReplacement& earlier : held.files) {
    if (earlier.key != key) continue;
    // Written twice in one step: only the last content is to reach the file.
    ::close(earlier.fd);
    ::unlink(earlier.temp.c_str());
    earlier = {key, target, temp, fd};
    return true;
  }
  held.files.push_back({key, target, temp, fd});
  return held.files.size() < kMaxHeld || FlushStepWrites(error);
}

void BeginStepWrites() { Held().on = true; }

bool FlushStepWrites(std::string* error) {
  HeldWrites& held = Held();
  if (held.appended.empty() && held.files.empty()) return true;
  // The journal first: no replacement of the step may reach the disk ahead of its note.
  const bool journal = FlushHeldNotes(error);
  bool ok = journal;
  std::set<std::string> folders;
  std::vector<HeldReplacement> files;
  files.swap(held.files);
  for (const HeldReplacement& file : files) {
    std::string reason;
    if (!journal) {
      ::close(file.fd);
      ::unlink(file.temp.c_str());
    } else if (CommitReplacement(file.fd, file.temp, file.target, &reason)) {
      folders.insert(HostFolder(file.target));
    } else if (ok) {
      *error = file.target + ": " + reason;
      ok = false;
    }
  }
  for (const std::string& folder : folders) FlushFolder(folder);
  return ok;
}

bool FlushHeldNotes(std::string* error) {
  HeldWrites& held = Held();
  bool ok = true;
  for (const std::string& path : held.appended) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0 || ::fdatasync(fd) != 0) {
      *error = path + ": " + std::strerror(errno);
      ok = false;
    }
    if (fd >= 0) ::close(fd);
  }
  for (const std::string& folder : held.new_folders) FlushFolder(folder);
  held.appended.clear();
  held.new_folders.clear();
  return ok;
}

bool HoldsWritesIn(const std::string& folder) {
  HeldWrites& held = Held();
  if (held.files.empty()) return false;
  const std::string key = CanonicalHostPath(folder, &held.real_folders);
  for (const HeldReplacement& file : held.files) {
    if (HostFolder(file.key) == key) return true;
  }
  return false;
}

bool EndStepWrites(std::string* error) {
  const bool ok = FlushStepWrites(error);
  Held().on = false;
  Held().real_folders.clear();
  return ok;
}

std::string VisiblePath(const std::string& target) {
  const HeldWrites& held = Held();
  if (held.files.empty()) return target;
  const std::string key = HeldKey(target);
  for (const HeldReplacement& file : held.files) {
    if (file.key == key) return file.temp;
  }
  return target;
}

bool ReadToEnd(int fd, std::string* bytes) {
  constexpr std::size_t kChunk = 64 * 1024;
  struct stat st;
  const std::size_t expected =
      ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) ? static_cast<std::size_t>(st.st_size) : 0;
  // One byte more than the file, so reading it whole meets its end without growing the
  // buffer (a copy of it); only a file that grows while it is read needs more.
  bytes->clear();
  bytes->reserve(expected + 1);
  AdviseHugePages(bytes->data(), bytes->capacity());
  bytes->resize(expected + 1);
  std::size_t got = 0;
  for (;;) {
    if (got == bytes->size()) bytes->resize(got + kChunk);
    const ssize_t n = ::read(fd, &(*bytes)[got], bytes->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      bytes->clear();
      return false;
    }
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  bytes->resize(got);
  return true;
}

}  // namespace platform::wine

namespace platform {

void HoldWrites() { wine::BeginStepWrites(); }
bool FlushHeldWrites(std::string* error) { return wine::FlushStepWrites(error); }
bool StopHoldingWrites(std::string* error) { return wine::EndStepWrites(error); }

}  // namespace platform
