// The file services over Windows paths (FileSystem) and their one error convention.
// Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

/// One entry of a folder: a file or a subfolder, by its name as the folder spells it.
struct FolderEntry {
  std::string name;
  bool folder = false;
};

/// A file open for reading at any offset, so a file of hundreds of megabytes can be searched a
/// megabyte at a time through one small buffer: its bytes never fill fresh memory.
class FileReader {
 public:
  virtual ~FileReader() = default;
  /// The file's size when it was opened.
  virtual std::size_t size() const = 0;
  /// Reads up to `size` bytes from `offset` into *bytes, fewer at the file's end; false with
  /// the reason in *error.
  [[nodiscard]] virtual bool ReadAt(std::size_t offset, std::size_t size, std::string* bytes,
                                    std::string* error) = 0;
};

/// One part of a file's new content for SpliceFile: `size` bytes of the file's current
/// content from `offset` when `kept`, else the new `bytes`.
struct FilePiece {
  bool kept = false;
  std::size_t offset = 0;
  std::size_t size = 0;
  std::string bytes;
};

/// True when every kept piece lies within a file of `size` bytes.
[[nodiscard]] bool PiecesFit(std::size_t size, const std::vector<FilePiece>& pieces);

/// The content `pieces` make of `current`; false when a kept piece reaches past its end.
[[nodiscard]] bool JoinPieces(std::string_view current, const std::vector<FilePiece>& pieces,
                              std::string* joined);

class FileSystem;

/// The content SpliceFile is to give `path`, its current content (read through `files`) joined
/// with `pieces`; false with the error SpliceFile gives, for services that write it whole.
[[nodiscard]] bool JoinWithFile(FileSystem& files, const std::string& path,
                                const std::vector<FilePiece>& pieces, std::string* joined,
                                std::string* error);

/// Why SpliceFile refuses a piece to keep that reaches past the file's end.
inline constexpr char kPieceOutsideFile[] = "a piece to keep lies outside the file";

/// File services over Windows paths ("C:\Lib\Help\TSLHelp.chm"), abstract so the edits run
/// on temporary folders, on a Wine prefix and on Windows alike. Every path argument and
/// result is ANSI (Windows-1252) in Windows form.
///
/// Errors: a call that can fail returns false and sets *error (never null) to one whole
/// message "what(path): reason" ("Cannot write C:\a.txt: the file is read-only"),
/// built by FileError in text_mode.h. It names the operation and the path once, so a caller
/// shows it as it stands or puts its own context in front, never repeating the path. A
/// failed call changes nothing that the caller can see: a write leaves the old file whole.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  /// True when the file system reports attributes for the path; files and folders alike.
  virtual bool Exists(const std::string& path) = 0;

  /// True when the file exists and carries the read-only attribute: such a file cannot be
  /// opened for writing, which callers tell apart from a write that failed part way.
  virtual bool IsReadOnly(const std::string& path) = 0;

  /// Clears read-only and the other attributes so a later copy can replace the file.
  [[nodiscard]] virtual bool SetNormalAttributes(const std::string& path, std::string* error) = 0;

  /// Copies a file, replacing an existing target unless that target is read-only.
  [[nodiscard]] virtual bool CopyFile(const std::string& from, const std::string& to,
                                      std::string* error) = 0;

  /// Reads a text file line by line as text mode does: CR LF and LF end a line, the end is
  /// not part of the line, a last line without an end is still a line, no length limit.
  /// on_line returns false to stop reading early.
  [[nodiscard]] virtual bool ReadTextLines(
      const std::string& path, const std::function<bool(const std::string& line)>& on_line,
      std::string* error) = 0;

  /// Replaces a file wholly with `text` written in text mode (every LF becomes CR LF).
  /// Atomic: on any failure the old file stays whole. A read-only file is not replaced.
  [[nodiscard]] virtual bool WriteTextFile(const std::string& path, const std::string& text,
                                           std::string* error) = 0;

  /// Reads a whole file's bytes.
  [[nodiscard]] virtual bool ReadBinaryFile(const std::string& path, std::string* bytes,
                                            std::string* error) = 0;

  /// Replaces a file wholly with `bytes`, atomically, with the same rules as WriteTextFile.
  [[nodiscard]] virtual bool WriteBinaryFile(const std::string& path, const std::string& bytes,
                                             std::string* error) = 0;

  /// Opens a file to read it piece by piece, to search it before a SpliceFile. This default
  /// reads it whole at once; a backend that can read at an offset does so.
  [[nodiscard]] virtual bool OpenFile(const std::string& path, std::unique_ptr<FileReader>* reader,
                                      std::string* error);

  /// Replaces a file with pieces of its current content and new bytes, as WriteBinaryFile
  /// would with their concatenation and under its rules (atomic, a read-only file refused).
  /// A missing file has no content to keep, and a kept piece past its end is refused. This
  /// default reads the file whole and writes the result; a backend that can copy within the
  /// file system does so, and a big file changed in one place then costs about a copy.
  [[nodiscard]] virtual bool SpliceFile(const std::string& path,
                                        const std::vector<FilePiece>& pieces, std::string* error);

  /// Deletes a file, so a run can be taken back to a machine without the files it added, and
  /// a step that fails half-way can take back what it created; a read-only file is not
  /// deleted. True when no such file exists afterwards.
  [[nodiscard]] virtual bool RemoveFile(const std::string& path, std::string* error) = 0;

  /// Creates a folder and any missing parents; true when it exists afterwards.
  [[nodiscard]] virtual bool CreateDirectories(const std::string& path, std::string* error) = 0;

  /// Deletes a folder that is empty; one that still holds anything stays, with false.
  [[nodiscard]] virtual bool RemoveEmptyFolder(const std::string& path, std::string* error) = 0;

  /// The files and subfolders a folder holds ("." and ".." left out), sorted by name; false
  /// when the path is missing or is no folder.
  [[nodiscard]] virtual bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries,
                                        std::string* error) = 0;

  /// Whether this user may create or replace the file `path` (a write goes through a new file
  /// in its folder and a rename): false with the reason alone ("Permission denied"), as a
  /// real write would meet it (the folder takes no new files from this user, the file or its
  /// folder is immutable). A dry run asks before it records a write, so it refuses what the
  /// real run would; true when the folder does not exist, which the write reports itself.
  /// The read-only attribute is IsReadOnly's.
  [[nodiscard]] virtual bool CheckWritable(const std::string& path, std::string* reason) = 0;

  /// Appends `bytes` to a file, creating it when missing, and returns once they are on the
  /// disk: a journal written ahead of each change must outlive a run killed right after.
  [[nodiscard]] virtual bool AppendToFile(const std::string& path, std::string_view bytes,
                                          std::string* error) = 0;

  /// Removes the temporary files that runs killed while replacing files in `folder` left there
  /// (and nothing a live run still writes), so a run taken back leaves no trace. True when
  /// none is left that could be removed.
  [[nodiscard]] virtual bool RemoveLeftovers(const std::string& folder, std::string* error) = 0;

  /// The Windows directory, without a trailing backslash ("C:\windows").
  virtual std::string WindowsDirectory() = 0;

  /// The system directory, without a trailing backslash ("C:\windows\system32").
  virtual std::string SystemDirectory() = 0;

  /// Turns a path the user typed into the Windows form the system speaks. On Windows it is
  /// unchanged; over a Wine prefix a Unix path maps to its drive form, as `winepath -w`.
  virtual std::string FromUserPath(const std::string& path) = 0;
};

}  // namespace platform
