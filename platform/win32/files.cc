// The Win32 file services: attributes, copies, reads, replacing writes and folders through the API.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/held_writes.h"
#include "platform/text_mode.h"
#include "platform/win32/win32_services.h"
#include "platform/windows_path.h"

namespace platform {
namespace win32 {
namespace {

// Closes a file handle however the function leaves.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    if (!Valid()) return true;
    bool closed = CloseHandle(handle_) != 0;
    handle_ = INVALID_HANDLE_VALUE;
    return closed;
  }

 private:
  HANDLE handle_;
};

// Windows and system directory alike: ask for the length, then fetch.
std::string FetchDirectory(UINT(WINAPI* fetch)(LPSTR, UINT)) {
  UINT length = fetch(nullptr, 0);
  if (length == 0) return std::string();
  std::string buffer(length + 1, '\0');
  UINT copied = fetch(&buffer[0], length + 1);
  if (copied == 0 || copied > length) return std::string();
  buffer.resize(copied);
  return WithoutTrailingBackslash(buffer);
}

class Win32FileSystem : public FileSystem {
 public:
  bool Exists(const std::string& path) override {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool IsReadOnly(const std::string& path) override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool SetNormalAttributes(const std::string& path, std::string* error) override {
    if (SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) return true;
    *error = FileError(kCannotSetAttributes, path, ErrorText(GetLastError()));
    return false;
  }

  bool RemoveFile(const std::string& path, std::string* error) override {
    if (DeleteFileA(path.c_str())) return true;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
    *error = FileError(kCannotDelete, path, ErrorText(code));
    return false;
  }

  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override {
    // Windows refuses a read-only target by itself; wine run as root would not, since root
    // may write any Unix file, so the rule is checked here as well.
    if (IsReadOnly(to)) {
      *error = Failure("Cannot copy " + from + " to " + to, ERROR_ACCESS_DENIED);
      return false;
    }
    if (::CopyFileA(from.c_str(), to.c_str(), FALSE)) return true;
    *error = Failure("Cannot copy " + from + " to " + to, GetLastError());
    return false;
  }

  bool ReadTextLines(const std::string& path,
                     const std::function<bool(const std::string& line)>& on_line,
                     std::string* error) override {
    TextLineSplitter lines(on_line);
    if (!ReadChunks(path, error,
                    [&](const char* chunk, DWORD got) { return lines.Feed(chunk, got); })) {
      return false;
    }
    lines.Finish();
    return true;
  }

  bool WriteTextFile(const std::string& path, const std::string& text,
                     std::string* error) override {
    return WriteBinaryFile(path, LfToCrLf(text), error);
  }

  bool ReadBinaryFile(const std::string& path, std::string* bytes, std::string* error) override {
    bytes->clear();
    return ReadChunks(path, error, [&](const char* chunk, DWORD got) {
      bytes->append(chunk, got);
      return true;
    });
  }

  bool WriteBinaryFile(const std::string& path, const std::string& bytes,
                       std::string* error) override {
    DWORD attributes = GetFileAttributesA(path.c_str());
    // Read-only is checked here rather than left to the replace, which wine run as root
    // would allow.
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (const char* refusal = ReplaceRefusal((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                                               (attributes & FILE_ATTRIBUTE_READONLY) != 0)) {
        *error = FileError(kCannotWrite, path, refusal);
        return false;
      }
    }
    // The new content goes to a file beside the target and replaces it in one step, so a
    // failure half-way leaves the old file whole.
    char temp[MAX_PATH];
    if (!GetTempFileNameA(FolderBeside(path).c_str(), "tsl", 0, temp)) {
      *error = Failure("Cannot create a temporary file beside " + path, GetLastError());
      return false;
    }
    DWORD code = WriteWhole(temp, bytes);
    // Rewriting in place would have kept the file's hidden and system marks; so does this.
    DWORD keep = attributes == INVALID_FILE_ATTRIBUTES
                     ? 0
                     : attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (code == ERROR_SUCCESS && keep != 0 && !SetFileAttributesA(temp, keep)) {
      code = GetLastError();
    }
    if (code == ERROR_SUCCESS &&
        !MoveFileExA(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      code = GetLastError();
    }
    if (code != ERROR_SUCCESS) {
      DeleteFileA(temp);
      *error = FileError(kCannotWrite, path, ErrorText(code));
      return false;
    }
    return true;
  }

  bool CreateDirectories(const std::string& path, std::string* error) override {
    // Every prefix that ends before a separator is a folder to make; the drive ("C:") and
    // the server and share of a UNC path are skipped by CreateDirectoryA's own failure.
    for (std::string::size_type i = 0; i <= path.size(); ++i) {
      if (i < path.size() && path[i] != '\\' && path[i] != '/') continue;
      std::string prefix = path.substr(0, i);
      if (prefix.empty() || (prefix.size() == 2 && prefix[1] == ':')) continue;
      if (GetFileAttributesA(prefix.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
      CreateDirectoryA(prefix.c_str(), nullptr);
    }
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      return true;
    }
    *error = attributes == INVALID_FILE_ATTRIBUTES
                 ? FileError(kCannotCreateFolder, path, ErrorText(GetLastError()))
                 : FileError(kCannotCreateFolder, path, kFileInTheWay);
    return false;
  }

  bool RemoveEmptyFolder(const std::string& path, std::string* error) override {
    if (RemoveDirectoryA(path.c_str())) return true;
    *error = FileError(kCannotRemoveFolder, path, ErrorText(GetLastError()));
    return false;
  }

  bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries,
                  std::string* error) override {
    // FindFirstFile finds a file named by the pattern too: a folder is checked first.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
      const DWORD code = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY;
      *error = FileError(kCannotList, path, ErrorText(code));
      return false;
    }
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(JoinPath(path, "*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
      *error = FileError(kCannotList, path, ErrorText(GetLastError()));
      return false;
    }
    std::vector<FolderEntry> found;
    do {
      const std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      found.push_back({name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileA(find, &data));
    const DWORD last = GetLastError();
    FindClose(find);
    if (last != ERROR_NO_MORE_FILES) {
      *error = FileError(kCannotList, path, ErrorText(last));
      return false;
    }
    std::sort(found.begin(), found.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    *entries = std::move(found);
    return true;
  }

  // Asking the folder for the right to add a file answers for this user's token, ACLs and
  // privileges alike, without writing anything.
  bool CheckWritable(const std::string& path, std::string* reason) override {
    const std::string folder = FolderBeside(path);
    Handle handle(CreateFileA(folder.c_str(), FILE_ADD_FILE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle.Valid()) return true;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return true;
    *reason = ErrorText(code);
    return false;
  }

  bool AppendToFile(const std::string& path, std::string_view bytes,
                    std::string* error) override {
    Handle file(CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr));
    DWORD code = file.Valid() ? ERROR_SUCCESS : GetLastError();
    for (std::size_t at = 0; code == ERROR_SUCCESS && at < bytes.size();) {
      const DWORD part = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - at, 1u << 20));
      DWORD written = 0;
      if (!WriteFile(file.Get(), bytes.data() + at, part, &written, nullptr) || written == 0) {
        code = GetLastError();
        break;
      }
      at += written;
    }
    if (code == ERROR_SUCCESS && !FlushFileBuffers(file.Get())) code = GetLastError();
    if (code == ERROR_SUCCESS && !file.Close()) code = GetLastError();
    if (code != ERROR_SUCCESS) {
      *error = FileError(kCannotWrite, path, ErrorText(code));
      return false;
    }
    return true;
  }

  // GetTempFileNameA names our temporaries "tslXXXX.tmp"; one a live write still holds open
  // cannot be deleted, so only abandoned ones go.
  bool RemoveLeftovers(const std::string& folder, std::string* /*error*/) override {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(JoinPath(folder, "tsl*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return true;
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileA(JoinPath(folder, found.cFileName).c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
  }

  std::string WindowsDirectory() override { return FetchDirectory(GetWindowsDirectoryA); }

  std::string SystemDirectory() override { return SystemDirectoryPath(); }

  std::string FromUserPath(const std::string& path) override { return path; }

 private:
  // Hands the file's bytes to `on_chunk` in pieces until the end or until it returns
  // false; false with the reason when the file cannot be opened or read.
  template <typename OnChunk>
  static bool ReadChunks(const std::string& path, std::string* error, OnChunk on_chunk) {
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
      *error = FileError(kCannotOpen, path, ErrorText(GetLastError()));
      return false;
    }
    char chunk[65536];
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr)) {
        *error = FileError(kCannotRead, path, ErrorText(GetLastError()));
        return false;
      }
      if (got == 0 || !on_chunk(chunk, got)) return true;
    }
  }

  static DWORD WriteWhole(const char* temp, const std::string& bytes) {
    Handle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr));
    if (!file.Valid()) return GetLastError();
    std::string::size_type done = 0;
    while (done < bytes.size()) {
      DWORD part =
          bytes.size() - done > 0x100000 ? 0x100000 : static_cast<DWORD>(bytes.size() - done);
      DWORD written = 0;
      if (!WriteFile(file.Get(), bytes.data() + done, part, &written, nullptr)) {
        return GetLastError();
      }
      if (written == 0) return ERROR_WRITE_FAULT;
      done += written;
    }
    if (!FlushFileBuffers(file.Get())) return GetLastError();
    if (!file.Close()) return GetLastError();
    return ERROR_SUCCESS;
  }
};

}  // namespace

std::string SystemDirectoryPath() { return FetchDirectory(GetSystemDirectoryA); }

std::unique_ptr<FileSystem> CreateFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace win32

// Each replacement here flushes its own file before MoveFileEx; Windows has no call that starts
// a file's write-back without waiting for it, so a step's writes have nothing to share.
void HoldWrites() {}
bool FlushHeldWrites(std::string*) { return true; }
bool StopHoldingWrites(std::string*) { return true; }

}  // namespace platform
