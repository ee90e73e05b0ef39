// Host file I/O for the Wine services: whole writes, flushes, atomic replacement, safe reads.
// A Wine prefix seen from Linux: no Wine code runs here.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <string_view>

namespace platform::wine {

/// Writes all of `data` to a host file, going on after short and interrupted writes; false
/// with errno set.
[[nodiscard]] bool WriteAll(int fd, std::string_view data);

/// Copies `size` bytes from `offset` of `in` to the end of what was written to `out`, inside the
/// kernel as cp does (no byte passes through this program), or through a buffer where the
/// file systems cannot copy between the two files; false with errno set, EIO when `in` ends early.
[[nodiscard]] bool CopyRange(int in, off_t offset, std::size_t size, int out);

/// Has the disk start on the file's written pages without waiting: only a hint, the fsync
/// before a rename is what makes a file durable.
void StartFlush(int fd);

/// Writes `data` in slices of a megabyte and starts the disk on each whole slice at once,
/// so the fsync before a rename waits for the tail only; false with errno set.
[[nodiscard]] bool WriteStreaming(int fd, std::string_view data);

/// The slice WriteStreaming hands to the disk at once.
constexpr std::size_t kFlushSlice = std::size_t{1} << 20;

/// A big buffer filled page by page costs a fault per 4 KB; in huge pages a few hundred
/// times fewer. Only a hint, the kernel may say no; buffers under a few MB are left alone.
void AdviseHugePages(const void* data, std::size_t bytes);

/// The canonical form of a host path that may not exist yet: links resolved wherever they are,
/// "//", "." and ".." taken out, a missing rest kept as it is. `known` remembers every path
/// resolved, for a caller that asks of many paths in a few folders while none of them changes.
std::string CanonicalHostPath(const std::string& path, std::map<std::string, std::string>* known);

/// Removes the temporary files of ours in `folder` that no live run owns: those of any file,
/// since a file with a new name on every run (a journal) would never meet its own again. False
/// when one was too young to judge and stays.
bool RemoveAbandonedReplacements(const std::string& folder);

/// Creates the temporary file that is to replace `folder`/`base`: ".<base>.tsl-XXXXXX" beside
/// it, locked (flock) while it is open, so a later run can tell it from one that a killed run
/// left behind; those it removes first. -1 with errno set; *temp_path names the file.
int CreateReplacement(const std::string& folder, const std::string& base, std::string* temp_path);

/// Why this process could not create or replace `target` through a new file in its folder and
/// a rename: the folder takes no new files from it (permissions, capabilities, a read-only
/// mount), or the file or its folder is immutable or append-only. "" when it could, or when
/// the folder is missing (the write says so itself).
std::string ReplaceRefusalOnHost(const std::string& target);

/// Appends `data` to a host file, creating it (and flushing its folder) when missing, and
/// returns once the bytes are on the disk; false with errno set. While a step's writes are
/// held (BeginStepWrites), it returns once they are written, and FlushStepWrites makes them
/// durable before any replacement of the step reaches the disk.
[[nodiscard]] bool AppendDurably(const std::string& path, std::string_view data);

/// Opens a host file for reading, only when it is a regular file: a FIFO would block the
/// open or the read for ever, and a device (/dev/zero behind a link) never ends. -1 with the
/// reason in *error.
int OpenRegularFile(const std::string& path, std::string* error);

/// How a host file about to be replaced must look afterwards.
struct Replacement {
  mode_t mode = 0600;
  /// Only root can hand the new file to the old one's owner; anyone else owns both anyway.
  bool keep_owner = false;
  uid_t uid = 0;
  gid_t gid = 0;
  bool set_time = false;
  timespec mtime{};
};

/// The one way a host file is replaced: `fill` writes a temporary file beside `target`, which
/// is flushed and renamed over `target`, and then the folder is flushed, so a reader (or a
/// crash) sees the old file or the whole new one, never a mix, and the new one stays. On
/// failure the temporary file is gone and *error holds the reason. The step's held writes are
/// carried out first, so their journal stays ahead of this change too.
[[nodiscard]] bool ReplaceHostFile(const std::string& target, const Replacement& how,
                                   const std::function<bool(int fd, std::string* error)>& fill,
                                   std::string* error);

// A step's writes carried out together. Each fsync costs a journal commit of the file system,
// so a step that replaces thirty files one by one waits for sixty of them; held, the temporary
// files are written and their write-back started at once, then flushed (the first flush commits
// them all), renamed, and each folder flushed once. A file is still wholly old or wholly new,
// and the journal's appends are durable before any rename of the step.

/// Holds the replacements ReplaceInStep makes and the appends AppendDurably makes until
/// FlushStepWrites; outside a held step both are durable on return, as ReplaceHostFile.
void BeginStepWrites();

/// Carries out the held writes: the appends made durable, every temporary flushed, renamed
/// over its target, each folder flushed once. Writes stay held for the next step; false with
/// the reason when one failed (that file keeps its old content, the others are replaced).
[[nodiscard]] bool FlushStepWrites(std::string* error);

/// Makes the held appends (the journal's notes) durable, and only them: before a change that
/// is made at once rather than held (a folder made, attributes set). False with the reason.
[[nodiscard]] bool FlushHeldNotes(std::string* error);

/// Whether a held replacement waits to land directly in the host folder `folder`.
bool HoldsWritesIn(const std::string& folder);

/// Flushes the held writes and stops holding them.
[[nodiscard]] bool EndStepWrites(std::string* error);

/// As ReplaceHostFile, but while a step's writes are held the new file waits beside `target`
/// until FlushStepWrites, and reads of `target` go to it (VisiblePath).
[[nodiscard]] bool ReplaceInStep(const std::string& target, const Replacement& how,
                                 const std::function<bool(int fd, std::string* error)>& fill,
                                 std::string* error);

/// The host file that holds what `target` holds now: the temporary of a held replacement,
/// else `target` itself. Reads and attribute queries go through it.
std::string VisiblePath(const std::string& target);

/// Reads an open file to its end straight into *bytes, sized by the file so a big file is
/// neither copied twice nor grown while read; false with errno set and *bytes empty.
[[nodiscard]] bool ReadToEnd(int fd, std::string* bytes);

}  // namespace platform::wine
