// The change record's file services: every file and folder a run changes, noted ahead in a real
// run and read back after; in a dry run kept, and served to the run's later reads.
// Portable: no Win32 here.
#include "platform/recording_files.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/encoding.h"
#include "platform/recording.h"
#include "platform/text_mode.h"
#include "platform/windows_path.h"

namespace platform {

// What a write leaves: the bytes as given, or a text as text mode writes it (each LF as CR LF),
// walked byte by byte so a big text is never held twice.
struct NewContent {
  const std::string& content;
  bool text_mode;

  template <typename F>
  void ForEachByte(F f) const {
    for (const char c : content) {
      if (text_mode && c == '\n') f('\r');
      f(c);
    }
  }
  std::size_t Size() const {
    return content.size() +
           (text_mode ? static_cast<std::size_t>(std::count(content.begin(), content.end(), '\n'))
                      : 0);
  }
  std::string Bytes() const {
    return text_mode ? LfToCrLf(content) : content;
  }
  std::string Digest() const {
    std::uint64_t hash = kFnvBasis;
    ForEachByte([&hash](char c) { hash = FnvStep(hash, c); });
    return DigestText(Size(), hash);
  }
  // Where `stored` first differs from these bytes; Size() when it only differs in length.
  std::size_t Mismatch(const std::string& stored) const {
    std::size_t at = 0;
    bool same = true;
    ForEachByte([&](char c) {
      if (same && (at >= stored.size() || stored[at] != c)) same = false;
      if (same) ++at;
    });
    return at;
  }
};

namespace {

// Where two byte strings first differ, for a message about a file read back.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  return std::to_string(at);
}

}  // namespace

bool RecordingFiles::Exists(const std::string& path) {
  if (const auto* state = Written(path)) return state->exists;
  if (const auto* folder = Folder(path)) return folder->exists;
  return real_.Exists(path);
}

bool RecordingFiles::IsReadOnly(const std::string& path) {
  if (const auto* state = Written(path)) return state->exists && state->read_only;
  return real_.IsReadOnly(path);
}

bool RecordingFiles::SetNormalAttributes(const std::string& path, std::string* error) {
  const bool read_only = IsReadOnly(path);
  Change before;
  if (!Snapshot(path, read_only, kCannotSetAttributes, &before, error)) return false;
  if (dry_) {
    if (!Exists(path)) {
      *error = FileError(kCannotSetAttributes, path, "no such file");
      return false;
    }
    if (!read_only) return true;
    std::string bytes;
    (void)ReadBytes(path, &bytes);  // one that cannot be read is kept empty, as Snapshot took it
    record_.files_[FileIdentity(path)] = {true, bytes, false, path};
    Record(path, std::move(before), bytes);
    return true;
  }
  if (read_only) {
    std::string bytes;
    // Its first change's before-image holds its bytes; else they are read for the note alone.
    if (before.path.empty()) (void)ReadBytes(path, &bytes);
    const std::string digest = ContentDigest(before.path.empty() ? bytes : before.before);
    if (!NoteFile(path, &before, true, digest, std::string(), error)) return false;
  }
  if (!real_.SetNormalAttributes(path, error)) return false;
  if (!read_only) return true;
  Change& change = Record(path, std::move(before), std::string());
  (void)ReadBytes(path, &change.after);  // unreadable now: the read-back below fails the call
  record_.Shed(change);
  if (real_.IsReadOnly(path)) {
    return record_.Mismatch(
        "After its attributes were set to normal, " + path + " is still read-only.", error);
  }
  return true;
}

bool RecordingFiles::CopyFile(const std::string& from, const std::string& to, std::string* error) {
  std::string bytes, read_error;
  const bool readable = ReadBinaryFile(from, &bytes, &read_error);
  // A copy whose source cannot be read could not be read back either: it is not made.
  if (!readable) {
    *error = FileError("Cannot copy " + from + " to", to, read_error);
    return false;
  }
  Change before;
  if (!Snapshot(to, true, "Cannot copy " + from + " to", &before, error)) return false;
  if (dry_) {
    const bool source_read_only = IsReadOnly(from);
    if (!CanWrite("Cannot copy " + from + " to", to, error)) return false;
    record_.files_[FileIdentity(to)] = {true, bytes, source_read_only, to};
    Record(to, std::move(before), bytes).source = from;
    return true;
  }
  if (!NoteFile(to, &before, true, ContentDigest(bytes), from, error)) return false;
  if (!real_.CopyFile(from, to, error)) return false;
  Change& change = Record(to, std::move(before), record_.sink_ ? std::string() : bytes);
  change.source = from;
  record_.Shed(change);
  return VerifyCopy(from, to, bytes, error);
}

bool RecordingFiles::ReadTextLines(const std::string& path,
                                   const std::function<bool(const std::string& line)>& on_line,
                                   std::string* error) {
  const ChangeRecord::FileState* state = Written(path);
  if (!state) return real_.ReadTextLines(path, on_line, error);
  if (!state->exists) {
    *error = FileError(kCannotOpen, path, "no such file");
    return false;
  }
  const std::string& bytes = state->bytes;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!on_line(line)) break;
    start = end + 1;
  }
  return true;
}

bool RecordingFiles::WriteTextFile(const std::string& path, const std::string& text,
                                   std::string* error) {
  return WriteBytes(path, NewContent{text, true}, error,
                    [&](std::string* e) { return real_.WriteTextFile(path, text, e); });
}

bool RecordingFiles::ReadBinaryFile(const std::string& path, std::string* bytes,
                                    std::string* error) {
  const ChangeRecord::FileState* state = Written(path);
  if (!state) return real_.ReadBinaryFile(path, bytes, error);
  if (!state->exists) {
    *error = FileError(kCannotOpen, path, "no such file");
    return false;
  }
  *bytes = state->bytes;
  return true;
}

bool RecordingFiles::WriteBinaryFile(const std::string& path, const std::string& bytes,
                                     std::string* error) {
  return WriteBytes(path, NewContent{bytes, false}, error,
                    [&](std::string* e) { return real_.WriteBinaryFile(path, bytes, e); });
}

bool RecordingFiles::OpenFile(const std::string& path, std::unique_ptr<FileReader>* reader,
                              std::string* error) {
  // What a dry run wrote is read from the record.
  if (Written(path)) return FileSystem::OpenFile(path, reader, error);
  return real_.OpenFile(path, reader, error);
}

// The record needs the whole new content for the note ahead, the dry run's later reads and the
// read-back; the real services still copy the kept pieces within the file system.
bool RecordingFiles::SpliceFile(const std::string& path, const std::vector<FilePiece>& pieces,
                                std::string* error) {
  std::string joined;
  return JoinWithFile(*this, path, pieces, &joined, error) &&
         WriteBytes(path, NewContent{joined, false}, error,
                    [&](std::string* e) { return real_.SpliceFile(path, pieces, e); });
}

bool RecordingFiles::RemoveFile(const std::string& path, std::string* error) {
  if (!Exists(path)) return true;
  Change before;
  if (!Snapshot(path, true, kCannotDelete, &before, error)) return false;
  if (dry_) {
    if (IsReadOnly(path)) {
      *error = FileError(kCannotDelete, path, "the file is read-only");
      return false;
    }
    record_.files_[FileIdentity(path)] = {false, std::string(), false, path};
  } else if (!NoteFile(path, &before, false, std::string(), std::string(), error) ||
             !real_.RemoveFile(path, error)) {
    return false;
  }
  Change& change = Record(path, std::move(before), std::string());
  change.exists_after = false;
  record_.Shed(change);
  if (!dry_ && real_.Exists(path)) {
    return record_.Mismatch("After it was deleted, " + path + " still exists.", error);
  }
  return true;
}

// A folder made by this run and removed again needs no place in the record; any other folder
// removed is a change, which an undo of a run that made it is.
bool RecordingFiles::RemoveEmptyFolder(const std::string& path, std::string* error) {
  const std::string id = FileIdentity(path);
  auto known = record_.folders_.find(id);
  const bool made = known != record_.folders_.end() && known->second.made;
  if (dry_) {
    std::vector<FolderEntry> inside;
    if (!Exists(path)) {
      *error = FileError(kCannotRemoveFolder, path, "no such folder");
      return false;
    }
    if (!ListFolder(path, &inside, error)) return false;
    if (!inside.empty()) {
      *error = FileError(kCannotRemoveFolder, path, "the folder is not empty");
      return false;
    }
    record_.folders_[id] = {path, false, made};
  } else if (!NoteFolder(path, true, false, error) || !real_.RemoveEmptyFolder(path, error)) {
    return false;
  }
  if (record_.Recorded(id)) {
    Change& change = record_.Record(id, Change());
    if (change.kind == Change::Kind::kFolder) change.exists_after = false;
  } else if (!made) {
    Change change;
    change.kind = Change::Kind::kFolder;
    change.path = path;
    change.existed = true;
    change.exists_after = false;
    record_.Record(id, std::move(change));
  }
  if (!dry_ && real_.Exists(path)) {
    return record_.Mismatch("After it was removed, the folder " + path + " still exists.", error);
  }
  return true;
}

// Folders made on the way are noted as the run's own, though not as changes: a step that fails
// half-way removes them again.
bool RecordingFiles::CreateDirectories(const std::string& path, std::string* error) {
  std::vector<std::string> missing;
  for (std::string folder = path; folder.size() > 3; folder = ParentPath(folder)) {
    if (!Exists(folder)) missing.push_back(folder);
  }
  if (dry_ && !missing.empty()) {
    // The outermost missing folder is made in one that exists: may this user?
    std::string refusal;
    if (!real_.CheckWritable(missing.back(), &refusal)) {
      *error = FileError(kCannotCreateFolder, path, refusal);
      return false;
    }
  }
  if (!dry_) {
    // Noted outermost first, so an undo, going backwards, removes the innermost first.
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
      if (!NoteFolder(*folder, false, true, error)) return false;
    }
    if (!real_.CreateDirectories(path, error)) return false;
  }
  for (const std::string& folder : missing) {
    ChangeRecord::FolderState& state = record_.folders_[FileIdentity(folder)];
    if (state.path.empty()) state = {folder, true, true};
    state.exists = true;
  }
  return true;
}

bool RecordingFiles::ListFolder(const std::string& path, std::vector<FolderEntry>* entries,
                                std::string* error) {
  if (!dry_) return real_.ListFolder(path, entries, error);
  const std::string id = FileIdentity(path);
  const ChangeRecord::FileState* file = Written(path);
  const ChangeRecord::FolderState* folder = Folder(path);
  if ((file && file->exists) || (folder && !folder->exists)) {
    *error = FileError(kCannotList, path, file ? "it is a file" : "no such folder");
    return false;
  }
  std::vector<FolderEntry> found;
  std::string unlisted;
  // A folder this dry run made has nothing on the disk to list.
  if (!real_.ListFolder(path, &found, folder ? &unlisted : error)) {
    if (!folder) return false;
    found.clear();
  }
  auto place = [&](const std::string& child, bool exists, bool is_folder) {
    const std::string name = FileName(child), upper = AnsiToUpper(name);
    auto same = std::find_if(found.begin(), found.end(), [&](const FolderEntry& entry) {
      return AnsiToUpper(entry.name) == upper;
    });
    if (!exists) {
      if (same != found.end()) found.erase(same);
    } else if (same == found.end()) {
      found.push_back({name, is_folder});
    }
  };
  for (const auto& [child, state] : record_.files_) {
    if (ParentPath(child) == id) place(state.path, state.exists, false);
  }
  for (const auto& [child, state] : record_.folders_) {
    if (ParentPath(child) == id) place(state.path, state.exists, true);
  }
  std::sort(found.begin(), found.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  *entries = std::move(found);
  return true;
}

bool RecordingFiles::CheckWritable(const std::string& path, std::string* reason) {
  return real_.CheckWritable(path, reason);
}

// Taken as a rewrite of the whole file, so it is recorded (and withheld) like any other.
bool RecordingFiles::AppendToFile(const std::string& path, std::string_view bytes,
                                  std::string* error) {
  std::string content;
  if (Exists(path) && !ReadBinaryFile(path, &content, error)) return false;
  content.append(bytes.data(), bytes.size());
  return WriteBinaryFile(path, content, error);
}

// Temporary files are no part of the machine's state; a dry run leaves them be.
bool RecordingFiles::RemoveLeftovers(const std::string& folder, std::string* error) {
  return dry_ || real_.RemoveLeftovers(folder, error);
}

bool RecordingFiles::NoteFile(const std::string& path, Change* before, bool exists_after,
                              const std::string& after_digest, const std::string& source,
                              std::string* error) {
  if (dry_) return true;
  before->kind = Change::Kind::kFile;
  before->path = path;
  before->source = source;
  before->exists_after = exists_after;
  before->after_digest = after_digest;
  if (!record_.NoteAhead(*before, error)) return false;
  // The journal holds the old bytes now; a big file is not held twice while it is written.
  record_.Shed(*before);
  return true;
}

bool RecordingFiles::NoteFolder(const std::string& path, bool existed, bool exists_after,
                                std::string* error) {
  if (dry_) return true;
  Change note;
  note.kind = Change::Kind::kFolder;
  note.path = path;
  note.existed = existed;
  note.exists_after = exists_after;
  return record_.NoteAhead(note, error);
}

// The dry run's state of a folder it has made or removed; nullptr otherwise (and in a real run).
const ChangeRecord::FolderState* RecordingFiles::Folder(const std::string& path) const {
  if (!dry_) return nullptr;
  auto found = record_.folders_.find(FileIdentity(path));
  return found == record_.folders_.end() ? nullptr : &found->second;
}

bool RecordingFiles::IsFolder(const std::string& path) {
  std::vector<FolderEntry> ignored;
  std::string not_a_folder;
  return ListFolder(path, &ignored, &not_a_folder);
}

void RecordingFiles::MadeFolder(const std::string& path) {
  const std::string id = FileIdentity(path);
  record_.folders_[id] = {path, true, true};
  Change change;
  change.kind = Change::Kind::kFolder;
  change.path = path;
  change.existed = false;
  record_.Record(id, std::move(change)).exists_after = true;
}

bool RecordingFiles::VerifyCopy(const std::string& from, const std::string& to,
                                const std::string& bytes, std::string* error) {
  std::string copied;
  const std::string mismatch = CopyMismatch(from, to, bytes, ReadBytes(to, &copied) ? &copied : nullptr);
  return mismatch.empty() || record_.Mismatch(mismatch, error);
}

std::string CopyMismatch(const std::string& from, const std::string& to, const std::string& bytes,
                         const std::string* copied) {
  if (!copied) return "The copy " + to + " of " + from + " cannot be read back.";
  if (copied->size() != bytes.size()) {
    return "The copy " + to + " came out " + std::to_string(copied->size()) +
           " bytes long; its source " + from + " has " + std::to_string(bytes.size()) + ".";
  }
  if (*copied != bytes) {
    return "The copy " + to + " differs from its source " + from + " at byte " +
           FirstDifference(bytes, *copied) + ".";
  }
  return std::string();
}

// The dry run's state of a file it has touched; nullptr otherwise (and in a real run).
const ChangeRecord::FileState* RecordingFiles::Written(const std::string& path) const {
  if (!dry_) return nullptr;
  auto found = record_.files_.find(FileIdentity(path));
  return found == record_.files_.end() ? nullptr : &found->second;
}

bool RecordingFiles::ReadBytes(const std::string& path, std::string* bytes) {
  std::string ignored;
  return ReadBinaryFile(path, bytes, &ignored);
}

bool RecordingFiles::Snapshot(const std::string& path, bool needed, const std::string& what,
                              Change* before, std::string* error) {
  *before = Change();
  if (!needed || record_.Recorded(FileIdentity(path))) return true;
  before->kind = Change::Kind::kFile;
  before->path = path;
  before->existed = Exists(path) && !IsFolder(path);
  std::string reason;
  if (before->existed && !ReadBinaryFile(path, &before->before, &reason)) {
    // Its bytes would be lost for good: an undo could only delete what the run put there.
    *error = FileError(what, path, "its content cannot be read to keep it for the undo (" +
                                       reason + ")");
    return false;
  }
  before->read_only_before = before->existed && IsReadOnly(path);
  return true;
}

Change& RecordingFiles::Record(const std::string& path, Change before, std::string after) {
  Change& change = record_.Record(FileIdentity(path), std::move(before));
  change.after = std::move(after);
  change.exists_after = true;
  change.source.clear();
  return change;
}

// A dry run refuses what the real services refuse: no folder to write in, a read-only file;
// `what` failed, as FileError words it.
bool RecordingFiles::CanWrite(const std::string& what, const std::string& path,
                              std::string* error) {
  const std::string parent = ParentPath(path);
  const char* reason = nullptr;
  if (parent.size() > 2 && !Exists(parent)) {
    reason = "the folder does not exist";
  } else if (IsReadOnly(path)) {
    reason = "the file is read-only";
  }
  std::string refusal;
  if (!reason && !real_.CheckWritable(path, &refusal)) reason = refusal.c_str();
  if (reason) *error = FileError(what, path, reason);
  return reason == nullptr;
}

bool RecordingFiles::WriteBytes(const std::string& path, const NewContent& written,
                                std::string* error,
                                const std::function<bool(std::string*)>& write) {
  Change before;
  if (!Snapshot(path, true, kCannotWrite, &before, error)) return false;
  if (dry_) {
    if (!CanWrite(kCannotWrite, path, error)) return false;
    std::string bytes = written.Bytes();
    record_.files_[FileIdentity(path)] = {true, bytes, false, path};
    Record(path, std::move(before), std::move(bytes));
    return true;
  }
  if (!NoteFile(path, &before, true, written.Digest(), std::string(), error) || !write(error)) {
    return false;
  }
  record_.Shed(Record(path, std::move(before), record_.sink_ ? std::string() : written.Bytes()));
  std::string stored;
  if (!ReadBytes(path, &stored)) {
    return record_.Mismatch("Written, " + path + " cannot be read back.", error);
  }
  const std::size_t size = written.Size(), differs = written.Mismatch(stored);
  if (differs != size || stored.size() != size) {
    return record_.Mismatch("Written, " + path + " reads back as " + std::to_string(stored.size()) +
                                " bytes differing from the " + std::to_string(size) +
                                " written at byte " + std::to_string(differs) + ".",
                            error);
  }
  return true;
}

}  // namespace platform
