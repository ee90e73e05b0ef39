// The change record's file services, which the recording shell copy records its steps through.
// Portable: no Win32 here.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/change_record.h"

namespace platform {

struct NewContent;

/// The file services of a change record: each file written, copied over, made writable or
/// deleted and each folder made or removed is a Change. A dry run keeps what it would have
/// written and serves later reads from it, refusing what the real services would refuse; a
/// real run notes each change ahead and reads each write back.
class RecordingFiles : public FileSystem {
 public:
  explicit RecordingFiles(ChangeRecord& record)
      : record_(record),
        real_(*record.real_.files),
        dry_(record.mode_ == ChangeRecord::Mode::kDryRun) {}

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
  bool RemoveLeftovers(const std::string& folder, std::string* error) override;
  std::string WindowsDirectory() override { return real_.WindowsDirectory(); }
  std::string SystemDirectory() override { return real_.SystemDirectory(); }
  std::string FromUserPath(const std::string& path) override { return real_.FromUserPath(path); }

  // What the recording shell copy records its steps with.

  /// True in a dry run, which writes nothing.
  bool dry() const { return dry_; }
  /// The real file services behind the record.
  FileSystem& real() { return real_; }
  /// Whether the path is a folder, as the run sees it.
  bool IsFolder(const std::string& path);
  /// The file as it stands now when `needed` and it opens the file's change; else empty.
  /// False, with `what` failed as the reason, when the file is there but cannot be read: a
  /// change the record could not take back is not made.
  [[nodiscard]] bool Snapshot(const std::string& path, bool needed, const std::string& what,
                              Change* before, std::string* error);
  /// The file's change, opened by `before` when it is the first, now leaving `after`.
  Change& Record(const std::string& path, Change before, std::string after);
  /// A folder the run made: the run's own, and a change.
  void MadeFolder(const std::string& path);
  /// A real run's note of a file change ahead of it; `before` is Snapshot's and takes the
  /// note's other fields. False when the journal cannot take it: the change is not to be made.
  [[nodiscard]] bool NoteFile(const std::string& path, Change* before, bool exists_after,
                              const std::string& after_digest, const std::string& source,
                              std::string* error);
  /// A real run's note of a folder made or removed, as NoteFile.
  [[nodiscard]] bool NoteFolder(const std::string& path, bool existed, bool exists_after,
                                std::string* error);
  /// A real copy read back against its source's bytes; false with the difference.
  [[nodiscard]] bool VerifyCopy(const std::string& from, const std::string& to,
                                const std::string& bytes, std::string* error);
  /// A file's bytes as the run sees them; false when it cannot be read.
  [[nodiscard]] bool ReadBytes(const std::string& path, std::string* bytes);

 private:
  const ChangeRecord::FolderState* Folder(const std::string& path) const;
  const ChangeRecord::FileState* Written(const std::string& path) const;
  [[nodiscard]] bool CanWrite(const std::string& what, const std::string& path, std::string* error);
  [[nodiscard]] bool WriteBytes(const std::string& path, const NewContent& written,
                                std::string* error, const std::function<bool(std::string*)>& write);

  ChangeRecord& record_;
  FileSystem& real_;
  bool dry_;
};

/// Why a copy does not hold its source's bytes, in the words of a failed read-back: it could not
/// be read (`copied` null), it has another length, or it differs at a byte; empty when it holds
/// them.
std::string CopyMismatch(const std::string& from, const std::string& to, const std::string& bytes,
                         const std::string* copied);

}  // namespace platform
