// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/wine_files.h"

#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "platform/encoding.h"
#include "platform/wine/host_io.h"

namespace platform::wine {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

std::string Reason() { return std::strerror(errno); }

// New files get 0666 less the umask, as Wine creates them. The umask is read from /proc
// because umask() can only be read by changing it, which races with other threads.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) {
      return 0666 & ~static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    }
  }
  return 0644;
}

// How a file about to be replaced must look afterwards.
struct Replacement {
  mode_t mode;
  bool keep_owner = false;
  uid_t uid = 0;
  gid_t gid = 0;
  bool set_time = false;
  timespec mtime{};
};

// Writes a temporary file beside `target` through `fill`, makes it durable and renames it
// over `target`, so a reader (or a crash) sees the old file or the new one, never a mix.
template <typename Fill>
bool ReplaceAtomically(const std::string& target, const Replacement& how, Fill fill,
                       std::string* error) {
  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  std::string temp;
  const int fd = CreateReplacement(folder, base, &temp);
  if (fd < 0) {
    *error = errno == ENOENT ? "the folder does not exist" : Reason();
    return false;
  }
  bool ok = fill(fd, error);
  // Only root can hand the new file to the old one's owner; anyone else owns both.
  if (ok && how.keep_owner && geteuid() == 0 && fchown(fd, how.uid, how.gid) != 0) {
    ok = (*error = Reason(), false);
  }
  if (ok && fchmod(fd, how.mode) != 0) ok = (*error = Reason(), false);
  if (ok && how.set_time) {
    const timespec times[2] = {{0, UTIME_OMIT}, how.mtime};
    if (futimens(fd, times) != 0) ok = (*error = Reason(), false);
  }
  if (ok && fsync(fd) != 0) ok = (*error = Reason(), false);
  if (close(fd) != 0 && ok) ok = (*error = Reason(), false);
  if (ok && rename(temp.c_str(), target.c_str()) != 0) ok = (*error = Reason(), false);
  if (!ok) {
    unlink(temp.c_str());
    return false;
  }
  // Make the rename itself durable; the data already is.
  const int dir_fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (dir_fd >= 0) {
    fsync(dir_fd);
    close(dir_fd);
  }
  return true;
}

// Decides how an existing or new target is replaced; false when it may not be. A symbolic
// link is followed, so the file it names is replaced as Windows would write through it.
bool PrepareTarget(std::string* target, bool replace_read_only, Replacement* how,
                   std::string* error) {
  struct stat st;
  if (lstat(target->c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    char resolved[PATH_MAX];
    if (realpath(target->c_str(), resolved)) *target = resolved;
  }
  how->mode = NewFileMode();
  if (stat(target->c_str(), &st) != 0) return true;
  if (S_ISDIR(st.st_mode)) {
    *error = "it is a folder";
    return false;
  }
  if (IsReadOnlyMode(st.st_mode) && !replace_read_only) {
    *error = "the file is read-only";
    return false;
  }
  // A rename only needs the folder's permission; a file we may not write stays as it is,
  // as it would for a program in the prefix.
  if (!IsReadOnlyMode(st.st_mode) && access(target->c_str(), W_OK) != 0) {
    *error = Reason();
    return false;
  }
  how->mode = st.st_mode & 07777;
  how->keep_owner = true;
  how->uid = st.st_uid;
  how->gid = st.st_gid;
  return true;
}

}  // namespace

bool IsReadOnlyMode(mode_t mode) { return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0; }

bool CopyHostFile(const std::string& from, const std::string& to, bool replace_read_only,
                  std::string* error) {
  const int in = OpenRegularFile(from, error);
  if (in < 0) {
    *error = "the source: " + *error;
    return false;
  }
  struct stat source;
  if (fstat(in, &source) != 0) {
    *error = Reason();
    close(in);
    return false;
  }
  std::string target = to;
  Replacement how;
  bool ok = PrepareTarget(&target, replace_read_only, &how, error);
  if (ok) {
    // The copy carries the source's attributes (read-only or not) and last write time.
    how.mode = IsReadOnlyMode(source.st_mode) ? NewFileMode() & ~0222 : NewFileMode();
    how.keep_owner = false;
    how.set_time = true;
    how.mtime = source.st_mtim;
    ok = ReplaceAtomically(
        target, how,
        [&](int out, std::string* fill_error) {
          std::string buffer(kChunk, '\0');
          for (;;) {
            const ssize_t got = read(in, buffer.data(), buffer.size());
            if (got < 0 && errno == EINTR) continue;
            if (got < 0 ||
                !WriteAll(out, std::string_view(buffer.data(), static_cast<std::size_t>(got)))) {
              *fill_error = Reason();
              return false;
            }
            if (got == 0) return true;
          }
        },
        error);
  }
  close(in);
  return ok;
}

bool WineFileSystem::Exists(const std::string& path) {
  std::string host, error;
  struct stat st;
  return prefix_->ToHostPath(path, &host, &error) && stat(host.c_str(), &st) == 0;
}

bool WineFileSystem::IsReadOnly(const std::string& path) {
  std::string host, error;
  struct stat st;
  return prefix_->ToHostPath(path, &host, &error) && stat(host.c_str(), &st) == 0 &&
         !S_ISDIR(st.st_mode) && IsReadOnlyMode(st.st_mode);
}

bool WineFileSystem::SetNormalAttributes(const std::string& path, std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return false;
  struct stat st;
  if (stat(host.c_str(), &st) != 0) {
    *error = "Cannot change the attributes of " + path + ": " + Reason();
    return false;
  }
  // Wine clears read-only by giving back the owner's read and write bits and the write bit
  // to whoever may read, within the umask; hidden and system live in an extended attribute.
  const mode_t mode =
      st.st_mode | ((0600 | ((st.st_mode & 044) >> 1)) & (NewFileMode() | 0600));
  if (chmod(host.c_str(), mode & 07777) != 0) {
    *error = "Cannot change the attributes of " + path + ": " + Reason();
    return false;
  }
  removexattr(host.c_str(), "user.DOSATTRIB");
  return true;
}

bool WineFileSystem::CopyFile(const std::string& from, const std::string& to,
                              std::string* error) {
  std::string host_from, host_to;
  if (!prefix_->ToHostPath(from, &host_from, error) ||
      !prefix_->ToHostPath(to, &host_to, error)) {
    return false;
  }
  if (!CopyHostFile(host_from, host_to, false, error)) {
    *error = "Cannot copy " + from + " to " + to + ": " + *error;
    return false;
  }
  return true;
}

bool WineFileSystem::ReadTextLines(const std::string& path,
                                   const std::function<bool(const std::string& line)>& on_line,
                                   std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return false;
  std::string reason;
  const int fd = OpenRegularFile(host, &reason);
  if (fd < 0) {
    *error = "Cannot open " + path + ": " + reason;
    return false;
  }
  // Text mode: LF ends a line and a CR right before it goes with it; a lone CR is data.
  std::string line;
  std::string buffer(kChunk, '\0');
  bool stopped = false;
  for (;;) {
    const ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = "Cannot read " + path + ": " + Reason();
      close(fd);
      return false;
    }
    if (got == 0) break;
    std::size_t start = 0;
    const std::size_t end = static_cast<std::size_t>(got);
    while (start < end) {
      const void* lf = std::memchr(buffer.data() + start, '\n', end - start);
      if (!lf) {
        line.append(buffer, start, end - start);
        break;
      }
      const std::size_t at = static_cast<const char*>(lf) - buffer.data();
      line.append(buffer, start, at - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!on_line(line)) {
        stopped = true;
        break;
      }
      line.clear();
      start = at + 1;
    }
    if (stopped) break;
  }
  close(fd);
  if (!stopped && !line.empty()) on_line(line);
  return true;
}

bool WineFileSystem::WriteTextFile(const std::string& path, const std::string& text,
                                   std::string* error) {
  // Converted slice by slice on the way to the file: a 20 MB text needs no second copy.
  return WriteThrough(
      path,
      [&](int fd, std::string* fill_error) {
        // Room for a slice of text in which every character is a line end, and for the
        // eight bytes the copy below stores at once.
        std::unique_ptr<char[]> slice(new char[2 * kFlushSlice + 8]);
        const char* at = text.data();
        const char* const end = at + text.size();
        while (at < end) {
          const char* const stop = at + std::min<std::size_t>(end - at, kFlushSlice);
          char* out = slice.get();
          // Eight bytes at a time: a 20 MB text has half a million lines, and a library
          // call per line costs more than its bytes.
          while (at < stop) {
            if (stop - at >= 8) {
              std::uint64_t x;
              std::memcpy(&x, at, 8);
              const std::uint64_t y = x ^ (kOnes * '\n');
              const std::uint64_t lf = (y - kOnes) & ~y & kHighs;  // lowest mark: first LF
              std::memcpy(out, &x, 8);
              const std::size_t plain = lf ? __builtin_ctzll(lf) / 8 : 8;
              at += plain;
              out += plain;
              if (!lf) continue;
            }
            const char c = *at++;
            if (c == '\n') *out++ = '\r';
            *out++ = c;
          }
          if (!WriteAll(fd, std::string_view(slice.get(), out - slice.get()))) {
            *fill_error = Reason();
            return false;
          }
          StartFlush(fd);
        }
        return true;
      },
      error);
}

bool WineFileSystem::ReadBinaryFile(const std::string& path, std::string* bytes,
                                    std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return false;
  std::string reason;
  const int fd = OpenRegularFile(host, &reason);
  if (fd < 0) {
    *error = "Cannot open " + path + ": " + reason;
    return false;
  }
  if (!ReadToEnd(fd, bytes)) {
    *error = "Cannot read " + path + ": " + Reason();
    close(fd);
    return false;
  }
  close(fd);
  return true;
}

bool WineFileSystem::WriteBinaryFile(const std::string& path, const std::string& bytes,
                                     std::string* error) {
  return WriteThrough(
      path,
      [&](int fd, std::string* fill_error) {
        if (WriteStreaming(fd, bytes)) return true;
        *fill_error = Reason();
        return false;
      },
      error);
}

bool WineFileSystem::WriteThrough(const std::string& path,
                                  const std::function<bool(int fd, std::string* error)>& fill,
                                  std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return false;
  Replacement how;
  const bool ok = PrepareTarget(&host, false, &how, error) &&
                  ReplaceAtomically(host, how, fill, error);
  if (!ok) *error = "Cannot write " + path + ": " + *error;
  return ok;
}

bool WineFileSystem::CreateDirectories(const std::string& path, std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return false;
  // The mapping already picked any existing folder whatever its case, so only the missing
  // tail is created, under the names as typed.
  for (std::size_t slash = prefix_->Dir().size() + 1; slash != std::string::npos;) {
    slash = host.find('/', slash + 1);
    const std::string part = host.substr(0, slash);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = "Cannot create the folder " + path + ": " + Reason();
      return false;
    }
  }
  struct stat st;
  if (stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = "Cannot create the folder " + path + ": a file of that name exists";
    return false;
  }
  return true;
}

std::string WineFileSystem::FromUserPath(const std::string& path) {
  if (path.empty() || IsDrivePath(path) || path[0] == '\\') return path;
  const std::string windows = prefix_->ToWindowsPath(AnsiToUtf8(path));
  return windows.empty() ? path : windows;
}

}  // namespace platform::wine
