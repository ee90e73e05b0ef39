// The in-memory file double: Windows paths, text-mode rules and injectable failures.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace testing_support {

/// Files in memory under Windows paths (compared case-insensitively), with the text-mode
/// rules of the real services, read-only flags and injectable write failures, recording
/// every copy and write. Used where a test needs failures a real drive cannot give.
class MemoryFiles : public platform::FileSystem {
 public:
  std::vector<std::string> calls;  ///< "copy A -> B", "write P", "attrs P"

  /// Creates a file with these bytes (and its folders).
  void Put(const std::string& path, const std::string& bytes);
  /// Creates a folder and its parents.
  void AddFolder(const std::string& path);
  /// The file's bytes, or nullptr when missing.
  const std::string* Get(const std::string& path) const;
  /// Deletes a file or a folder's own entry, as if the library had been installed without it.
  void Remove(const std::string& path) {
    files_.erase(Key(path));
    folders_.erase(Key(path));
  }
  void SetReadOnly(const std::string& path, bool readOnly);
  /// Makes a folder refuse new and replaced files, as one this user may not write in.
  void CloseFolder(const std::string& folder) { closed_.insert(Key(folder)); }
  bool IsReadOnly(const std::string& path) override;
  /// Makes every later write or copy to `path` fail, leaving the old file whole.
  void FailWritesTo(const std::string& path) { failing_.insert(Key(path)); }
  /// Makes later writes to `path` report success and store nothing, and copies to it stop
  /// half way, as a faulty disk or file filter would.
  void DropWritesTo(const std::string& path) { dropping_.insert(Key(path)); }

  bool Exists(const std::string& path) override;
  bool SetNormalAttributes(const std::string& path, std::string* error) override;
  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override;
  bool ReadTextLines(const std::string& path,
                     const std::function<bool(const std::string& line)>& on_line,
                     std::string* error) override;
  bool WriteTextFile(const std::string& path, const std::string& text, std::string* error) override;
  bool ReadBinaryFile(const std::string& path, std::string* bytes, std::string* error) override;
  bool WriteBinaryFile(const std::string& path, const std::string& bytes,
                       std::string* error) override;
  bool RemoveFile(const std::string& path, std::string* error) override;
  bool RemoveEmptyFolder(const std::string& path, std::string* error) override;
  bool CreateDirectories(const std::string& path, std::string* error) override;
  bool ListFolder(const std::string& path, std::vector<platform::FolderEntry>* entries,
                  std::string* error) override;
  bool CheckWritable(const std::string& path, std::string* reason) override;
  bool AppendToFile(const std::string& path, std::string_view bytes,
                    std::string* error) override;
  bool RemoveLeftovers(const std::string&, std::string*) override { return true; }
  std::string WindowsDirectory() override { return "C:\\windows"; }
  std::string SystemDirectory() override { return "C:\\windows\\system32"; }
  std::string FromUserPath(const std::string& path) override { return path; }

 private:
  struct File {
    std::string bytes;
    bool readOnly = false;
  };
  static std::string Key(const std::string& path);
  static std::string Parent(const std::string& path);
  // A read-only file is refused with the real services' message, `what` failed.
  bool CanReplace(const std::string& what, const std::string& path, std::string* error);

  std::map<std::string, File> files_;
  std::set<std::string> folders_;
  std::set<std::string> failing_;
  std::set<std::string> dropping_;
  std::set<std::string> closed_;
};

}  // namespace testing_support
