// The file services over a Wine prefix's drives: host files under Wine's attribute rules.
// A Wine prefix seen from Linux: no Wine code runs here.
#include "platform/wine/wine_files.h"

#include <dirent.h>
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
#include "platform/text_mode.h"
#include "platform/wine/host_io.h"

namespace platform::wine {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

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
  const std::string visible = VisiblePath(*target);
  if (stat(visible.c_str(), &st) != 0) return true;
  if (const char* refusal =
          ReplaceRefusal(S_ISDIR(st.st_mode), IsReadOnlyMode(st.st_mode), replace_read_only)) {
    *error = refusal;
    return false;
  }
  // A rename only needs the folder's permission; a file we may not write stays as it is,
  // as it would for a program in the prefix.
  if (!IsReadOnlyMode(st.st_mode) && access(visible.c_str(), W_OK) != 0) {
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
  const int in = OpenRegularFile(VisiblePath(from), error);
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
    ok = ReplaceInStep(
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
  return prefix_->ToHostPath(path, &host, &error) && stat(VisiblePath(host).c_str(), &st) == 0;
}

bool WineFileSystem::IsReadOnly(const std::string& path) {
  std::string host, error;
  struct stat st;
  return prefix_->ToHostPath(path, &host, &error) &&
         stat(VisiblePath(host).c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
         IsReadOnlyMode(st.st_mode);
}

bool WineFileSystem::SetNormalAttributes(const std::string& path, std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return false;
  // A file replaced in this step has its attributes set on the file that is to replace it.
  const std::string visible = VisiblePath(host);
  // Made at once: the journal's note of it goes first.
  if (visible == host && !FlushHeldNotes(error)) return false;
  host = visible;
  struct stat st;
  if (stat(host.c_str(), &st) != 0) {
    *error = FileError(kCannotSetAttributes, path, Reason());
    return false;
  }
  // Wine clears read-only by giving back the owner's read and write bits and the write bit
  // to whoever may read, within the umask; hidden and system live in an extended attribute.
  const mode_t mode = st.st_mode | ((0600 | ((st.st_mode & 044) >> 1)) & (NewFileMode() | 0600));
  if (chmod(host.c_str(), mode & 07777) != 0) {
    *error = FileError(kCannotSetAttributes, path, Reason());
    return false;
  }
  removexattr(host.c_str(), "user.DOSATTRIB");
  return true;
}

bool WineFileSystem::CopyFile(const std::string& from, const std::string& to, std::string* error) {
  std::string host_from, host_to;
  if (!prefix_->ToHostPath(from, &host_from, error) || !prefix_->ToHostPath(to, &host_to, error)) {
    return false;
  }
  if (!CopyHostFile(host_from, host_to, false, error)) {
    *error = FileError("Cannot copy " + from + " to", to, *error);
    return false;
  }
  return true;
}

bool WineFileSystem::ReadTextLines(const std::string& path,
                                   const std::function<bool(const std::string& line)>& on_line,
                                   std::string* error) {
  const int fd = OpenToRead(path, error);
  if (fd < 0) return false;
  TextLineSplitter lines(on_line);
  std::string buffer(kChunk, '\0');
  for (;;) {
    const ssize_t got = read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      *error = FileError(kCannotRead, path, Reason());
      close(fd);
      return false;
    }
    if (got == 0 || !lines.Feed(buffer.data(), static_cast<std::size_t>(got))) break;
  }
  close(fd);
  lines.Finish();
  return true;
}

bool WineFileSystem::WriteTextFile(const std::string& path, const std::string& text,
                                   std::string* error) {
  // Converted slice by slice on the way to the file: a 20 MB text needs no second copy.
  return WriteThrough(
      path,
      [&](int fd) {
        std::unique_ptr<char[]> slice(new char[CrLfRoom(kFlushSlice)]);
        const char* at = text.data();
        const char* const end = at + text.size();
        while (at < end) {
          const char* const stop = at + std::min<std::size_t>(end - at, kFlushSlice);
          char* const out = LfToCrLf(at, stop, slice.get());
          at = stop;
          if (!WriteAll(fd, std::string_view(slice.get(), out - slice.get()))) return false;
          StartFlush(fd);
        }
        return true;
      },
      error);
}

bool WineFileSystem::ReadBinaryFile(const std::string& path, std::string* bytes,
                                    std::string* error) {
  const int fd = OpenToRead(path, error);
  if (fd < 0) return false;
  if (!ReadToEnd(fd, bytes)) {
    *error = FileError(kCannotRead, path, Reason());
    close(fd);
    return false;
  }
  close(fd);
  return true;
}

bool WineFileSystem::WriteBinaryFile(const std::string& path, const std::string& bytes,
                                     std::string* error) {
  return WriteThrough(
      path, [&](int fd) { return WriteStreaming(fd, bytes); }, error);
}

namespace {

// A host file read at offsets: each read goes straight into the caller's buffer, so a big file
// is searched through one small buffer that stays in the processor's cache.
class HostFileReader : public FileReader {
 public:
  HostFileReader(int fd, std::size_t size, std::string path)
      : fd_(fd), size_(size), path_(std::move(path)) {}
  ~HostFileReader() override { close(fd_); }
  HostFileReader(const HostFileReader&) = delete;
  HostFileReader& operator=(const HostFileReader&) = delete;
  std::size_t size() const override { return size_; }
  int fd() const { return fd_; }
  bool ReadAt(std::size_t offset, std::size_t size, std::string* bytes,
              std::string* error) override {
    bytes->resize(offset < size_ ? std::min(size, size_ - offset) : 0);
    for (std::size_t got = 0; got < bytes->size();) {
      const ssize_t n = pread(fd_, &(*bytes)[got], bytes->size() - got,
                              static_cast<off_t>(offset + got));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        if (n == 0) errno = EIO;  // shorter than when it was opened
        *error = FileError(kCannotRead, path_, Reason());
        return false;
      }
      got += static_cast<std::size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
  std::size_t size_;
  std::string path_;
};

}  // namespace

bool WineFileSystem::OpenFile(const std::string& path, std::unique_ptr<FileReader>* reader,
                              std::string* error) {
  const int fd = OpenToRead(path, error);
  if (fd < 0) return false;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    *error = FileError(kCannotRead, path, Reason());
    close(fd);
    return false;
  }
  *reader = std::make_unique<HostFileReader>(fd, static_cast<std::size_t>(st.st_size), path);
  return true;
}

bool WineFileSystem::SpliceFile(const std::string& path, const std::vector<FilePiece>& pieces,
                                std::string* error) {
  // The kept pieces are copied from this descriptor: from the content they were planned on,
  // even if the file is replaced meanwhile.
  std::unique_ptr<FileReader> reader;
  if (!WineFileSystem::OpenFile(path, &reader, error)) return false;
  const int in = static_cast<HostFileReader&>(*reader).fd();
  if (!PiecesFit(reader->size(), pieces)) {
    *error = FileError(kCannotWrite, path, kPieceOutsideFile);
    return false;
  }
  return WriteThrough(
      path,
      [&](int out) {
        for (const FilePiece& piece : pieces) {
          if (!(piece.kept ? CopyRange(in, static_cast<off_t>(piece.offset), piece.size, out)
                           : WriteAll(out, piece.bytes))) {
            return false;
          }
        }
        return true;
      },
      error);
}

int WineFileSystem::OpenToRead(const std::string& path, std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return -1;
  std::string reason;
  const int fd = OpenRegularFile(VisiblePath(host), &reason);
  if (fd < 0) *error = FileError(kCannotOpen, path, reason);
  return fd;
}

bool WineFileSystem::WriteThrough(const std::string& path, const std::function<bool(int fd)>& fill,
                                  std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return false;
  Replacement how;
  const bool ok =
      PrepareTarget(&host, false, &how, error) && ReplaceInStep(
                                                      host, how,
                                                      [&](int fd, std::string* fill_error) {
                                                        if (fill(fd)) return true;
                                                        *fill_error = Reason();
                                                        return false;
                                                      },
                                                      error);
  if (!ok) *error = FileError(kCannotWrite, path, *error);
  return ok;
}

bool WineFileSystem::RemoveFile(const std::string& path, std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error) || !FlushStepWrites(error)) return false;
  struct stat st;
  if (lstat(host.c_str(), &st) != 0) {
    if (errno == ENOENT) return true;
    *error = FileError(kCannotDelete, path, Reason());
    return false;
  }
  // unlink() ignores the write bits, and Windows refuses to delete a read-only file.
  if (S_ISDIR(st.st_mode) || IsReadOnlyMode(st.st_mode)) {
    *error = FileError(kCannotDelete, path,
                       S_ISDIR(st.st_mode) ? "it is a folder" : "the file is read-only");
    return false;
  }
  if (unlink(host.c_str()) != 0) {
    *error = FileError(kCannotDelete, path, Reason());
    return false;
  }
  // A run killed while it replaced this file left its temporary beside it; taking the file
  // away (an undo) takes that along.
  RemoveAbandonedReplacements(host.substr(0, host.rfind('/')));
  return true;
}

bool WineFileSystem::RemoveEmptyFolder(const std::string& path, std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error) || !FlushStepWrites(error)) return false;
  // A folder that holds only what killed runs of ours left behind counts as empty.
  RemoveAbandonedReplacements(host);
  if (rmdir(host.c_str()) != 0) {
    *error = FileError(kCannotRemoveFolder, path, Reason());
    return false;
  }
  return true;
}

bool WineFileSystem::ListFolder(const std::string& path, std::vector<FolderEntry>* entries,
                                std::string* error) {
  std::string host;
  // A listing shows the step's files where they are to stand.
  if (!prefix_->ToHostPath(path, &host, error) ||
      (HoldsWritesIn(host) && !FlushStepWrites(error))) {
    return false;
  }
  DIR* dir = opendir(host.c_str());
  if (!dir) {
    *error = FileError(kCannotList, path, Reason());
    return false;
  }
  std::vector<FolderEntry> found;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    // A link counts as what it leads to, as Wine shows it; a dangling one is left out.
    struct stat st;
    if (stat((host + "/" + name).c_str(), &st) != 0) continue;
    found.push_back({Utf8ToAnsi(name), S_ISDIR(st.st_mode)});
  }
  closedir(dir);
  std::sort(found.begin(), found.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  *entries = std::move(found);
  return true;
}

bool WineFileSystem::CreateDirectories(const std::string& path, std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return false;
  struct stat st;
  if (stat(host.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
  // A folder is made only once the journal holds its note.
  if (!FlushHeldNotes(error)) return false;
  // The mapping already picked any existing folder whatever its case, so only the missing
  // tail is created, under the names as typed.
  for (std::size_t slash = prefix_->Dir().size() + 1; slash != std::string::npos;) {
    slash = host.find('/', slash + 1);
    const std::string part = host.substr(0, slash);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
      *error = FileError(kCannotCreateFolder, path, Reason());
      return false;
    }
  }
  if (stat(host.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    *error = FileError(kCannotCreateFolder, path, kFileInTheWay);
    return false;
  }
  return true;
}

bool WineFileSystem::CheckWritable(const std::string& path, std::string* reason) {
  std::string host, ignored;
  if (!prefix_->ToHostPath(path, &host, &ignored)) return true;  // the write says why
  const std::string refusal = ReplaceRefusalOnHost(host);
  *reason = refusal;
  return refusal.empty();
}

bool WineFileSystem::RemoveLeftovers(const std::string& folder, std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(folder, &host, error)) return false;
  RemoveAbandonedReplacements(host);
  return true;
}

bool WineFileSystem::AppendToFile(const std::string& path, std::string_view bytes,
                                  std::string* error) {
  std::string host;
  if (!prefix_->ToHostPath(path, &host, error)) return false;
  if (!AppendDurably(host, bytes)) {
    *error = FileError(kCannotWrite, path, Reason());
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
