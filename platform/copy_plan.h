// The shell's copy rules, planned once for every service that carries a copy out or records it.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"

namespace platform {

/// What a copy plan reads of a file system, so the shell's rules are decided in one place: the
/// Wine backend answers from the host, the change record from what its run has recorded.
/// Planning only reads.
class CopyView {
 public:
  enum class Kind { kMissing, kFile, kFolder };

  virtual ~CopyView() = default;

  /// What stands at `path`.
  virtual Kind KindOf(const std::string& path) = 0;

  /// A folder's entries, sorted by name; false with the reason when the folder cannot be read.
  [[nodiscard]] virtual bool List(const std::string& folder, std::vector<FolderEntry>* entries,
                                  std::string* reason) = 0;

  /// Whether `inner` is `outer` or lies inside it, however it is reached (another case, a link).
  virtual bool SameOrInside(const std::string& inner, const std::string& outer) = 0;

  /// The folder whatever path leads to it, so a link back into a folder being copied is
  /// found; empty when the view holds no links.
  virtual std::string FolderIdentity(const std::string& folder) = 0;

  /// Whether a source file can be read whole; false with the reason (it cannot be opened, or is
  /// a pipe or a device, which would block the copy or never end).
  [[nodiscard]] virtual bool CheckReadable(const std::string& file, std::string* reason) = 0;
};

/// One thing a shell copy does, in the order it does them.
struct CopyStep {
  enum class Kind {
    kMakeFolder,  ///< makes the folder `to`, whose parent exists or was made by an earlier step
    kCopyFile,    ///< copies the file `from` over `to`, replacing it even when read-only
  };
  Kind kind = Kind::kCopyFile;
  std::string from;
  std::string to;
};

/// A shell copy's steps, or the reason it is refused.
struct CopyPlan {
  std::vector<CopyStep> steps;
  /// Why the copy is refused ("the source does not exist"); empty when its steps may run. A
  /// refused copy is refused whole: none of its steps is to be carried out.
  std::string refusal;
};

/// Whether a file name matches a shell pattern ("*.*", "*.js", "a?c"), ignoring case as
/// Windows-1252 upper-cases; "*.*" takes every name, those without a dot too, as the shell does.
bool MatchesShellPattern(const std::string& name, const std::string& pattern);

/// Reads through what a copy of `from` ("folder", "file" or "folder\*.*") would take: the
/// reason when the source is missing, holds an entry that cannot be read or that no Windows
/// name can spell, or holds a link back into a folder being copied; empty otherwise.
[[nodiscard]] std::string SourceRefusal(const std::string& from, CopyView& view);

/// The steps of the shell's copy of `from` to `to`, by its rules: "folder\*.*" merges the
/// folder's entries into `to` (made once there is something to copy); a folder lands in an
/// existing folder `to` under its own name as typed, or becomes a missing `to`; folders merge,
/// files are replaced, read-only ones too; a destination inside the source is refused. The
/// source is read through first (SourceRefusal), so a refused copy changes nothing.
[[nodiscard]] CopyPlan PlanShellCopy(const std::string& from, const std::string& to,
                                     CopyView& view);

}  // namespace platform
