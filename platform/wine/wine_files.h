// The file services over a Wine prefix's drives: host files under Wine's attribute rules.
// A Wine prefix seen from Linux: no Wine code runs here.
#pragma once

#include <sys/stat.h>

#include <memory>
#include <string>

#include "platform/files.h"
#include "platform/wine/prefix.h"

namespace platform::wine {

/// True when Wine reports the read-only attribute for a host file: it has no write
/// permission bit at all. Checked by hand because open() ignores the bits for root.
bool IsReadOnlyMode(mode_t mode);

/// Copies one host file over `to` through a temporary file beside it and a rename, so
/// `to` is either the old file or the whole copy. The copy takes the source's read-only
/// attribute and last write time, as CopyFile does. A read-only target is refused unless
/// `replace_read_only` (the shell replaces those); on failure the reason is in *error.
[[nodiscard]] bool CopyHostFile(const std::string& from, const std::string& to,
                                bool replace_read_only, std::string* error);

/// The file services over the drives of a Wine prefix.
class WineFileSystem : public FileSystem {
 public:
  explicit WineFileSystem(std::shared_ptr<const Prefix> prefix) : prefix_(std::move(prefix)) {}

  bool Exists(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
  [[nodiscard]] bool SetNormalAttributes(const std::string& path, std::string* error) override;
  [[nodiscard]] bool CopyFile(const std::string& from, const std::string& to,
                              std::string* error) override;
  [[nodiscard]] bool ReadTextLines(const std::string& path,
                                   const std::function<bool(const std::string& line)>& on_line,
                                   std::string* error) override;
  [[nodiscard]] bool WriteTextFile(const std::string& path, const std::string& text,
                                   std::string* error) override;
  [[nodiscard]] bool ReadBinaryFile(const std::string& path, std::string* bytes,
                                    std::string* error) override;
  [[nodiscard]] bool WriteBinaryFile(const std::string& path, const std::string& bytes,
                                     std::string* error) override;
  [[nodiscard]] bool OpenFile(const std::string& path, std::unique_ptr<FileReader>* reader,
                              std::string* error) override;
  [[nodiscard]] bool SpliceFile(const std::string& path, const std::vector<FilePiece>& pieces,
                                std::string* error) override;
  [[nodiscard]] bool RemoveFile(const std::string& path, std::string* error) override;
  [[nodiscard]] bool RemoveEmptyFolder(const std::string& path, std::string* error) override;
  [[nodiscard]] bool CreateDirectories(const std::string& path, std::string* error) override;
  [[nodiscard]] bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries,
                                std::string* error) override;
  [[nodiscard]] bool CheckWritable(const std::string& path, std::string* reason) override;
  [[nodiscard]] bool AppendToFile(const std::string& path, std::string_view bytes,
                                  std::string* error) override;
  [[nodiscard]] bool RemoveLeftovers(const std::string& folder, std::string* error) override;
  std::string WindowsDirectory() override { return prefix_->WindowsDirectory(); }
  std::string SystemDirectory() override { return prefix_->SystemDirectory(); }
  std::string FromUserPath(const std::string& path) override;

 private:
  // Replaces the file at a Windows path atomically with what `fill` writes to the
  // temporary file's descriptor (false with errno set); the reason of a failure names the path.
  [[nodiscard]] bool WriteThrough(const std::string& path, const std::function<bool(int fd)>& fill,
                                  std::string* error);

  // Opens the regular file at a Windows path for reading; -1 with the error when it cannot.
  [[nodiscard]] int OpenToRead(const std::string& path, std::string* error);

  std::shared_ptr<const Prefix> prefix_;
};

}  // namespace platform::wine
