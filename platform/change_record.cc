// The change record's recording registry, files, shell copy and Help 2 in front of the real ones.
// Portable: no Win32 here.
#include "platform/change_record.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <set>
#include <vector>

#include "platform/encoding.h"
#include "platform/text_mode.h"
#include "platform/windows_path.h"

namespace platform {
namespace {

// Registry and file names compare case-insensitively, as Windows compares them.
std::string ValueIdentity(RootKey root, const std::string& key, const std::string& name) {
  return "value|" + AnsiToUpper(RootKeyName(root) + "\\" + key + "|" + name);
}

std::string FileIdentity(const std::string& path) {
  std::string id = "file|" + AnsiToUpper(path);
  for (char& c : id) {
    if (c == '/') c = '\\';
  }
  while (id.size() > 5 && id.back() == '\\') id.pop_back();
  return id;
}

std::string ParentOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Text mode's writing: every LF becomes CR LF.
std::string TextModeBytes(const std::string& text) {
  std::string bytes;
  bytes.reserve(text.size() + text.size() / 32);
  for (char c : text) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  return bytes;
}

// Reads a value of any length; false when it cannot be read.
bool ReadValue(RegistryKey& key, const std::string& name, std::string* value) {
  std::vector<char> buffer(260, '\0');
  for (int tries = 0; tries < 4; ++tries) {
    std::size_t size = buffer.size();
    const RegResult result = key.QueryString(name, buffer.data(), &size);
    if (result == RegResult::kMoreData) {
      buffer.assign(size + 1, '\0');
      continue;
    }
    if (result != RegResult::kOk) return false;
    std::size_t length = 0;
    while (length < size && length < buffer.size() && buffer[length] != '\0') ++length;
    value->assign(buffer.data(), length);
    return true;
  }
  return false;
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// FNV-1a, 64 bits: a content digest cheap enough for files of hundreds of MB.
constexpr std::uint64_t kFnvBasis = 14695981039346656037ull;
inline std::uint64_t FnvStep(std::uint64_t hash, char c) {
  return (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
}
std::string DigestText(std::size_t size, std::uint64_t hash) {
  char text[40];
  std::snprintf(text, sizeof text, "%zu %016llx", size, static_cast<unsigned long long>(hash));
  return text;
}

// A shell pattern ("*.*", "*.js", "a?c") against a name, ignoring case; "*.*" takes every name,
// those without a dot too, as the shell's own matching does.
bool MatchesPattern(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  const std::string n = AnsiToUpper(name), p = AnsiToUpper(pattern);
  std::size_t ni = 0, pi = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++ni, ++pi;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++, mark = ni;
    } else if (star != std::string::npos) {
      pi = star + 1, ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

// One thing a shell copy does: make a folder, or copy a file over `to`.
struct CopyStep {
  bool folder = false;
  std::string from;
  std::string to;
};

// Where two byte strings first differ, for a message about a file read back.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
  std::size_t at = 0;
  while (at < expected.size() && at < actual.size() && expected[at] == actual[at]) ++at;
  return std::to_string(at);
}

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
  std::string Bytes() const { return text_mode ? TextModeBytes(content) : content; }
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

}  // namespace

bool Changed(const Change& change) {
  switch (change.kind) {
    case Change::Kind::kRegistryValue:
      return !change.existed || change.before != change.after;
    case Change::Kind::kFile:
      return !change.existed || !change.exists_after || change.read_only_before ||
             change.before != change.after;
    case Change::Kind::kFolder:
      return change.existed != change.exists_after;
    default:
      return true;
  }
}

std::string ContentDigest(const std::string& bytes) {
  std::uint64_t hash = kFnvBasis;
  for (const char c : bytes) hash = FnvStep(hash, c);
  return DigestText(bytes.size(), hash);
}

std::string RootKeyName(RootKey root) {
  return root == RootKey::kLocalMachine ? "HKEY_LOCAL_MACHINE" : "HKEY_CURRENT_USER";
}

// --- Registry ------------------------------------------------------------------------------------

class RecordingKey : public RegistryKey {
 public:
  RecordingKey(ChangeRecord& record, RootKey root, std::string path, KeyAccess access,
               std::unique_ptr<RegistryKey> real)
      : record_(record),
        root_(root),
        path_(std::move(path)),
        access_(access),
        real_(std::move(real)) {}

  RegResult QueryString(const std::string& name, char* buffer, std::size_t* size) override {
    auto written = record_.values_.find(ValueIdentity(root_, path_, name));
    if (written == record_.values_.end()) return real_->QueryString(name, buffer, size);
    const std::size_t needed = written->second.size() + 1;
    if (*size < needed) {
      *size = needed;
      return RegResult::kMoreData;
    }
    written->second.copy(buffer, written->second.size());
    buffer[written->second.size()] = '\0';
    *size = needed;
    return RegResult::kOk;
  }

  bool SetString(const std::string& name, const std::string& value, std::string* error) override {
    const std::string id = ValueIdentity(root_, path_, name);
    Change before;
    if (!record_.Recorded(id)) {
      before.kind = Change::Kind::kRegistryValue;
      before.root = root_;
      before.key = path_;
      before.name = name;
      before.existed = ReadValue(*this, name, &before.before);
    }
    if (record_.mode_ == ChangeRecord::Mode::kDryRun) {
      // A key opened for reading refuses writes; the real one would have said so.
      if (access_ != KeyAccess::kAll) {
        if (error) *error = "Access denied";
        return false;
      }
      // Worded as the prefix's registry words a save its hive file refuses; Windows' own
      // registry has no such refusal.
      std::string reason;
      if (!record_.real_.registry->CheckWritable(root_, &reason)) {
        if (error) {
          *error = "cannot set " + Quoted(name) + " in " + RootKeyName(root_) + "\\" + path_ +
                   ": " + reason;
        }
        return false;
      }
      record_.values_[id] = value;
      record_.Record(id, std::move(before)).after = value;
      return true;
    }
    Change note = before;
    note.kind = Change::Kind::kRegistryValue;
    note.root = root_;
    note.key = path_;
    note.name = name;
    note.after = value;
    if (!record_.NoteAhead(note, error)) return false;
    if (!real_->SetString(name, value, error)) return false;
    record_.Record(id, std::move(before)).after = value;
    std::string stored;
    const std::string where =
        "the value " + Quoted(name) + " of " + RootKeyName(root_) + "\\" + path_;
    if (!ReadValue(*real_, name, &stored)) {
      return record_.Mismatch("Written, " + where + " cannot be read back.", error);
    }
    if (stored != value) {
      return record_.Mismatch("Written, " + where + " reads back as " + Quoted(stored) +
                                  " instead of " + Quoted(value) + ".",
                              error);
    }
    return true;
  }

 private:
  ChangeRecord& record_;
  RootKey root_;
  std::string path_;
  KeyAccess access_;
  std::unique_ptr<RegistryKey> real_;
};

class RecordingRegistry : public Registry {
 public:
  explicit RecordingRegistry(ChangeRecord& record) : record_(record) {}

  std::unique_ptr<RegistryKey> OpenKey(RootKey root, const std::string& path, KeyAccess access,
                                       std::string* error) override {
    auto real = record_.real_.registry->OpenKey(root, path, access, error);
    if (!real) return nullptr;
    return std::make_unique<RecordingKey>(record_, root, path, access, std::move(real));
  }

  bool CheckReadable(RootKey root, std::string* error) override {
    return record_.real_.registry->CheckReadable(root, error);
  }

  bool CheckWritable(RootKey root, std::string* error) override {
    return record_.real_.registry->CheckWritable(root, error);
  }

 private:
  ChangeRecord& record_;
};

// --- Files ---------------------------------------------------------------------------------------

class RecordingFiles : public FileSystem {
 public:
  explicit RecordingFiles(ChangeRecord& record)
      : record_(record),
        real_(*record.real_.files),
        dry_(record.mode_ == ChangeRecord::Mode::kDryRun) {}

  bool Exists(const std::string& path) override {
    if (const auto* state = Written(path)) return state->exists;
    if (const auto* folder = Folder(path)) return folder->exists;
    return real_.Exists(path);
  }

  bool IsReadOnly(const std::string& path) override {
    if (const auto* state = Written(path)) return state->exists && state->read_only;
    return real_.IsReadOnly(path);
  }

  bool SetNormalAttributes(const std::string& path, std::string* error) override {
    const bool read_only = IsReadOnly(path);
    Change before = Snapshot(path, read_only);
    if (dry_) {
      if (!Exists(path)) {
        if (error) *error = "Cannot change the attributes of " + path + ": no such file";
        return false;
      }
      if (!read_only) return true;
      std::string bytes;
      ReadBytes(path, &bytes);
      record_.files_[FileIdentity(path)] = {true, bytes, false, path};
      Record(path, std::move(before), bytes);
      return true;
    }
    if (read_only) {
      std::string bytes;
      if (before.path.empty()) ReadBytes(path, &bytes);
      const std::string digest = ContentDigest(before.path.empty() ? bytes : before.before);
      if (!NoteFile(path, &before, true, digest, std::string(), error)) return false;
    }
    if (!real_.SetNormalAttributes(path, error)) return false;
    if (!read_only) return true;
    Change& change = Record(path, std::move(before), std::string());
    ReadBytes(path, &change.after);
    record_.Shed(change);
    if (real_.IsReadOnly(path)) {
      return record_.Mismatch(
          "After its attributes were set to normal, " + path + " is still read-only.", error);
    }
    return true;
  }

  bool CopyFile(const std::string& from, const std::string& to, std::string* error) override {
    std::string bytes, read_error;
    const bool readable = ReadBinaryFile(from, &bytes, &read_error);
    // A copy whose source cannot be read could not be read back either: it is not made.
    if (!readable) {
      if (error) *error = "Cannot copy " + from + " to " + to + ": " + read_error;
      return false;
    }
    Change before = Snapshot(to, true);
    if (dry_) {
      const bool source_read_only = IsReadOnly(from);
      if (!CanWrite("Cannot copy " + from + " to " + to, to, error)) return false;
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

  bool ReadTextLines(const std::string& path,
                     const std::function<bool(const std::string& line)>& on_line,
                     std::string* error) override {
    const ChangeRecord::FileState* state = Written(path);
    if (!state) return real_.ReadTextLines(path, on_line, error);
    if (!state->exists) {
      if (error) *error = "Cannot open " + path + ": no such file";
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

  bool WriteTextFile(const std::string& path, const std::string& text,
                     std::string* error) override {
    return WriteBytes(path, NewContent{text, true}, error,
                      [&](std::string* e) { return real_.WriteTextFile(path, text, e); });
  }

  bool ReadBinaryFile(const std::string& path, std::string* bytes, std::string* error) override {
    const ChangeRecord::FileState* state = Written(path);
    if (!state) return real_.ReadBinaryFile(path, bytes, error);
    if (!state->exists) {
      if (error) *error = "Cannot open " + path + ": no such file";
      return false;
    }
    *bytes = state->bytes;
    return true;
  }

  bool WriteBinaryFile(const std::string& path, const std::string& bytes,
                       std::string* error) override {
    return WriteBytes(path, NewContent{bytes, false}, error,
                      [&](std::string* e) { return real_.WriteBinaryFile(path, bytes, e); });
  }

  bool RemoveFile(const std::string& path, std::string* error) override {
    if (!Exists(path)) return true;
    Change before = Snapshot(path, true);
    if (dry_) {
      if (IsReadOnly(path)) {
        if (error) *error = FileError(kCannotDelete, path, "the file is read-only");
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
  bool RemoveEmptyFolder(const std::string& path, std::string* error) override {
    const std::string id = FileIdentity(path);
    auto known = record_.folders_.find(id);
    const bool made = known != record_.folders_.end() && known->second.made;
    if (dry_) {
      std::vector<FolderEntry> inside;
      if (!Exists(path)) {
        if (error) *error = FileError(kCannotRemoveFolder, path, "no such folder");
        return false;
      }
      if (!ListFolder(path, &inside, error)) return false;
      if (!inside.empty()) {
        if (error) *error = FileError(kCannotRemoveFolder, path, "the folder is not empty");
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
  bool CreateDirectories(const std::string& path, std::string* error) override {
    std::vector<std::string> missing;
    for (std::string folder = path; folder.size() > 3; folder = ParentOf(folder)) {
      if (!Exists(folder)) missing.push_back(folder);
    }
    if (dry_ && !missing.empty()) {
      // The outermost missing folder is made in one that exists: may this user?
      std::string refusal;
      if (!real_.CheckWritable(missing.back(), &refusal)) {
        if (error) *error = FileError(kCannotCreateFolder, path, refusal);
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

  bool ListFolder(const std::string& path, std::vector<FolderEntry>* entries,
                  std::string* error) override {
    if (!dry_) return real_.ListFolder(path, entries, error);
    const std::string id = FileIdentity(path);
    const ChangeRecord::FileState* file = Written(path);
    const ChangeRecord::FolderState* folder = Folder(path);
    if ((file && file->exists) || (folder && !folder->exists)) {
      if (error) *error = FileError(kCannotList, path, file ? "it is a file" : "no such folder");
      return false;
    }
    std::vector<FolderEntry> found;
    // A folder this dry run made has nothing on the disk to list.
    if (!real_.ListFolder(path, &found, folder ? nullptr : error)) {
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
      if (ParentOf(child) == id) place(state.path, state.exists, false);
    }
    for (const auto& [child, state] : record_.folders_) {
      if (ParentOf(child) == id) place(state.path, state.exists, true);
    }
    std::sort(found.begin(), found.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    *entries = std::move(found);
    return true;
  }

  // The shell's copy, taken file by file: each file it creates or replaces is a file change with
  // its source, each folder it makes a folder change. A dry run does what the shell would do in
  // the record; a real run has the shell copy and reads each file back.
  bool ShellCopy(const std::string& from, const std::string& to, std::string* error,
                 platform::ShellCopy& shell) {
    std::vector<CopyStep> steps;
    std::set<std::string> planned;
    std::string reason;
    const std::string what = "Cannot copy " + from + " to " + to;
    // The shell's own refusals of its source (a link back into a folder being copied, an entry
    // that cannot be read) come first, so a dry run fails as the copy would.
    if (!shell.CheckSource(from, error)) return false;
    // A copy the rules refuse is refused in a real run as well, without reaching the shell:
    // Wine's shell reports success for a missing source or a target inside the source, having
    // copied nothing, and Windows' refuses both.
    if (!PlanCopy(from, to, &steps, &planned, &reason)) {
      if (error) *error = what + ": " + reason;
      return false;
    }
    // What stood at each target, and each source's bytes, before anything is copied.
    std::vector<Change> befores(steps.size());
    std::vector<std::string> sources(steps.size());
    std::vector<bool> existed(steps.size(), false);
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const CopyStep& step = steps[i];
      existed[i] = Exists(step.to);
      if (step.folder) continue;
      // A file the record cannot read (a name the code page cannot spell, a '\' in a name)
      // could be neither noted nor read back: the copy is refused, in a dry run and a real
      // one alike, rather than handed to the shell unrecorded.
      std::string read_error;
      if (!ReadBinaryFile(step.from, &sources[i], &read_error)) {
        if (error) *error = what + ": " + read_error;
        return false;
      }
      befores[i] = Snapshot(step.to, true);
    }
    if (dry_) {
      // The shell replaces read-only files; a folder that takes no new files it cannot.
      for (const CopyStep& step : steps) {
        std::string refusal;
        if (!real_.CheckWritable(step.to, &refusal)) {
          if (error) *error = what + ": " + refusal;
          return false;
        }
      }
      for (std::size_t i = 0; i < steps.size(); ++i) {
        const CopyStep& step = steps[i];
        if (step.folder) {
          MadeFolder(step.to);
          continue;
        }
        record_.files_[FileIdentity(step.to)] = {true, sources[i], IsReadOnly(step.from), step.to};
        Record(step.to, std::move(befores[i]), sources[i]).source = step.from;
      }
      return true;
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const CopyStep& step = steps[i];
      const bool noted =
          step.folder ? existed[i] || NoteFolder(step.to, false, true, error)
                      : NoteFile(step.to, &befores[i], true, ContentDigest(sources[i]), step.from,
                                 error);
      if (!noted) return false;
    }
    const bool copied = shell.Copy(from, to, error);
    // Whatever the shell did, done or half done, is noted, so an undo can take it back.
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const CopyStep& step = steps[i];
      const bool exists = real_.Exists(step.to);
      if (step.folder) {
        if (!existed[i] && exists) MadeFolder(step.to);
        continue;
      }
      if (!exists && !befores[i].existed && !record_.Recorded(FileIdentity(step.to))) continue;
      Change& change = Record(step.to, std::move(befores[i]), std::string());
      change.source = step.from;
      change.exists_after = exists && ReadBytes(step.to, &change.after);
      record_.Shed(change);
    }
    if (!copied) return false;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const CopyStep& step = steps[i];
      if (!real_.Exists(step.to)) {
        return record_.Mismatch(
            "After copying " + from + " to " + to + ", " + step.to + " does not exist.", error);
      }
      if (!step.folder && !VerifyCopy(step.from, step.to, sources[i], error)) return false;
    }
    return true;
  }

  bool CheckWritable(const std::string& path, std::string* reason) override {
    return real_.CheckWritable(path, reason);
  }

  // Taken as a rewrite of the whole file, so it is recorded (and withheld) like any other.
  bool AppendToFile(const std::string& path, std::string_view bytes, std::string* error) override {
    std::string content;
    if (Exists(path) && !ReadBinaryFile(path, &content, error)) return false;
    content.append(bytes.data(), bytes.size());
    return WriteBinaryFile(path, content, error);
  }

  // Temporary files are no part of the machine's state; a dry run leaves them be.
  bool RemoveLeftovers(const std::string& folder, std::string* error) override {
    return dry_ || real_.RemoveLeftovers(folder, error);
  }

  std::string WindowsDirectory() override { return real_.WindowsDirectory(); }
  std::string SystemDirectory() override { return real_.SystemDirectory(); }
  std::string FromUserPath(const std::string& path) override { return real_.FromUserPath(path); }

 private:
  // A real run's note of a file change ahead of it; `before` is Snapshot's (the before-image on
  // the file's first change) and takes the note's other fields.
  bool NoteFile(const std::string& path, Change* before, bool exists_after,
                const std::string& after_digest, const std::string& source, std::string* error) {
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

  bool NoteFolder(const std::string& path, bool existed, bool exists_after, std::string* error) {
    if (dry_) return true;
    Change note;
    note.kind = Change::Kind::kFolder;
    note.path = path;
    note.existed = existed;
    note.exists_after = exists_after;
    return record_.NoteAhead(note, error);
  }

  // The dry run's state of a folder it has made or removed; nullptr otherwise (and in a real run).
  const ChangeRecord::FolderState* Folder(const std::string& path) const {
    if (!dry_) return nullptr;
    auto found = record_.folders_.find(FileIdentity(path));
    return found == record_.folders_.end() ? nullptr : &found->second;
  }

  bool IsFolder(const std::string& path) {
    std::vector<FolderEntry> ignored;
    return ListFolder(path, &ignored, nullptr);
  }

  // A folder the shell made: the run's own, and a change.
  void MadeFolder(const std::string& path) {
    const std::string id = FileIdentity(path);
    record_.folders_[id] = {path, true, true};
    Change change;
    change.kind = Change::Kind::kFolder;
    change.path = path;
    change.existed = false;
    record_.Record(id, std::move(change)).exists_after = true;
  }

  // The folders on the way to `path` that neither exist nor are planned, outermost first; false
  // when a file stands in the way.
  bool PlanFolders(const std::string& path, std::vector<CopyStep>* steps,
                   std::set<std::string>* planned, std::string* reason) {
    std::vector<std::string> missing;
    for (std::string folder = path; folder.size() > 3; folder = ParentOf(folder)) {
      if (planned->count(FileIdentity(folder))) break;
      if (Exists(folder)) {
        if (IsFolder(folder)) break;
        *reason = folder + " is a file";
        return false;
      }
      missing.push_back(folder);
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
      planned->insert(FileIdentity(*folder));
      steps->push_back({true, std::string(), *folder});
    }
    return true;
  }

  static bool IsSameOrInside(const std::string& inner, const std::string& outer) {
    const std::string a = FileIdentity(inner), b = FileIdentity(outer);
    return a == b || a.compare(0, b.size() + 1, b + "\\") == 0;
  }

  // The steps of a shell copy, by the rules of the shell: "folder\*.*" merges the folder's
  // entries into the target (made once there is something to copy); a plain folder lands in an
  // existing target folder under its own name, or becomes a missing target; folders merge and
  // files are replaced, read-only ones too.
  bool PlanCopy(const std::string& from, const std::string& to, std::vector<CopyStep>* steps,
                std::set<std::string>* planned, std::string* reason) {
    std::string source = from;
    while (source.size() > 3 && (source.back() == '\\' || source.back() == '/')) source.pop_back();
    const std::string last = FileName(source);
    if (last.find_first_of("*?") != std::string::npos) {
      const std::string folder = ParentPath(source);
      if (!Exists(folder)) {
        *reason = "the source does not exist";
        return false;
      }
      if (!IsFolder(folder)) {
        *reason = "the source is not a folder";
        return false;
      }
      return PlanContents(folder, last, to, steps, planned, reason);
    }
    if (!Exists(source)) {
      *reason = "the source does not exist";
      return false;
    }
    const bool source_folder = IsFolder(source);
    std::string target = to;
    if (Exists(to)) {
      if (IsFolder(to)) {
        target = WithoutTrailingBackslash(to) + "\\" + last;
      } else if (source_folder) {
        *reason = "the destination is a file";
        return false;
      }
    }
    if (!source_folder) {
      if (!PlanFolders(ParentOf(target), steps, planned, reason)) return false;
      steps->push_back({false, source, target});
      return true;
    }
    if (IsSameOrInside(target, source)) {
      *reason = "the destination lies inside the source folder";
      return false;
    }
    return PlanFolders(target, steps, planned, reason) &&
           PlanContents(source, "*", target, steps, planned, reason);
  }

  bool PlanContents(const std::string& source, const std::string& pattern,
                    const std::string& target, std::vector<CopyStep>* steps,
                    std::set<std::string>* planned, std::string* reason) {
    std::vector<FolderEntry> entries;
    if (!ListFolder(source, &entries, reason)) return false;
    bool made = false;
    for (const FolderEntry& entry : entries) {
      if (!MatchesPattern(entry.name, pattern)) continue;
      const std::string from = source + "\\" + entry.name;
      if (entry.folder && IsSameOrInside(target, from)) {
        *reason = "the destination lies inside the source folder";
        return false;
      }
      if (!made && !PlanFolders(target, steps, planned, reason)) return false;
      made = true;
      const std::string to = WithoutTrailingBackslash(target) + "\\" + entry.name;
      if (!entry.folder) {
        if (Exists(to) && IsFolder(to)) {
          *reason = to + " is a folder";
          return false;
        }
        steps->push_back({false, from, to});
      } else if (!PlanFolders(to, steps, planned, reason) ||
                 !PlanContents(from, "*", to, steps, planned, reason)) {
        return false;
      }
    }
    return true;
  }

  // A real copy read back against its source's bytes.
  bool VerifyCopy(const std::string& from, const std::string& to, const std::string& bytes,
                  std::string* error) {
    std::string copied;
    if (!ReadBytes(to, &copied)) {
      return record_.Mismatch("The copy " + to + " of " + from + " cannot be read back.", error);
    }
    if (copied.size() != bytes.size()) {
      return record_.Mismatch("The copy " + to + " came out " + std::to_string(copied.size()) +
                                  " bytes long; its source " + from + " has " +
                                  std::to_string(bytes.size()) + ".",
                              error);
    }
    if (copied != bytes) {
      return record_.Mismatch("The copy " + to + " differs from its source " + from + " at byte " +
                                  FirstDifference(bytes, copied) + ".",
                              error);
    }
    return true;
  }

  // The dry run's state of a file it has touched; nullptr otherwise (and in a real run).
  const ChangeRecord::FileState* Written(const std::string& path) const {
    if (!dry_) return nullptr;
    auto found = record_.files_.find(FileIdentity(path));
    return found == record_.files_.end() ? nullptr : &found->second;
  }

  bool ReadBytes(const std::string& path, std::string* bytes) {
    std::string ignored;
    return ReadBinaryFile(path, bytes, &ignored);
  }

  // The file as it stands now, read only when it opens the file's change.
  Change Snapshot(const std::string& path, bool needed) {
    Change before;
    if (!needed || record_.Recorded(FileIdentity(path))) return before;
    before.kind = Change::Kind::kFile;
    before.path = path;
    before.existed = Exists(path) && ReadBytes(path, &before.before);
    before.read_only_before = before.existed && IsReadOnly(path);
    return before;
  }

  Change& Record(const std::string& path, Change before, std::string after) {
    Change& change = record_.Record(FileIdentity(path), std::move(before));
    change.after = std::move(after);
    change.exists_after = true;
    change.source.clear();
    return change;
  }

  // A dry run refuses what the real services refuse: no folder to write in, a read-only file.
  bool CanWrite(const std::string& what, const std::string& path, std::string* error) {
    const std::string parent = ParentOf(path);
    const char* reason = nullptr;
    if (parent.size() > 2 && !Exists(parent)) {
      reason = "the folder does not exist";
    } else if (IsReadOnly(path)) {
      reason = "the file is read-only";
    }
    std::string refusal;
    if (!reason && !real_.CheckWritable(path, &refusal)) reason = refusal.c_str();
    if (reason && error) *error = what + ": " + reason;
    return reason == nullptr;
  }

  bool WriteBytes(const std::string& path, const NewContent& written, std::string* error,
                  const std::function<bool(std::string*)>& write) {
    Change before = Snapshot(path, true);
    if (dry_) {
      if (!CanWrite("Cannot write " + path, path, error)) return false;
      std::string bytes = written.Bytes();
      record_.files_[FileIdentity(path)] = {true, bytes, false, path};
      Record(path, std::move(before), std::move(bytes));
      return true;
    }
    if (!NoteFile(path, &before, true, written.Digest(), std::string(), error) ||
        !write(error)) {
      return false;
    }
    record_.Shed(Record(path, std::move(before), record_.sink_ ? std::string() : written.Bytes()));
    std::string stored;
    if (!ReadBytes(path, &stored)) {
      return record_.Mismatch("Written, " + path + " cannot be read back.", error);
    }
    const std::size_t size = written.Size(), differs = written.Mismatch(stored);
    if (differs != size || stored.size() != size) {
      return record_.Mismatch("Written, " + path + " reads back as " +
                                  std::to_string(stored.size()) + " bytes differing from the " +
                                  std::to_string(size) + " written at byte " +
                                  std::to_string(differs) + ".",
                              error);
    }
    return true;
  }

  ChangeRecord& record_;
  FileSystem& real_;
  bool dry_;
};

// --- Shell copy ----------------------------------------------------------------------------------

class RecordingShellCopy : public ShellCopy {
 public:
  explicit RecordingShellCopy(ChangeRecord& record) : record_(record) {}

  bool Copy(const std::string& from, const std::string& to, std::string* error) override {
    return static_cast<RecordingFiles&>(*record_.services_.files)
        .ShellCopy(from, to, error, *record_.real_.shell);
  }

  bool CheckSource(const std::string& from, std::string* error) override {
    return record_.real_.shell->CheckSource(from, error);
  }

 private:
  ChangeRecord& record_;
};

// --- Help 2 registration -------------------------------------------------------------------------

// Each registration call is noted with its arguments; a dry run answers success without reaching
// the service. Creating a session and fetching its objects change nothing, so they go to the real
// service and fail as they would.
class RecordingHelp2 {
 public:
  static std::string Call(const std::string& name, const std::vector<std::string>& args) {
    std::string text = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i) text += (i ? ", " : "") + args[i];
    return text + ")";
  }

  static Help2Status Forward(ChangeRecord& record, const std::string& call,
                             const std::function<Help2Status()>& real) {
    if (record.mode_ == ChangeRecord::Mode::kDryRun) {
      record.AddHelpCall(call);
      return Help2Status();
    }
    Change note;
    note.kind = Change::Kind::kHelpCall;
    note.call = call;
    std::string error;
    if (!record.NoteAhead(note, &error)) {
      Help2Status refused;
      refused.code = static_cast<std::int32_t>(0x80004005u);  // E_FAIL
      refused.has_description = true;
      refused.description = error;
      return refused;
    }
    Help2Status status = real();
    char code[16];
    std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(status.code));
    record.AddHelpCall(call + (status.Failed() ? std::string(" failed: ") + code : ""));
    return status;
  }
};

namespace {

class RecordingRegister : public Help2Register {
 public:
  RecordingRegister(ChangeRecord& record, std::unique_ptr<Help2Register> real)
      : record_(record), real_(std::move(real)) {}
  Help2Status RegisterNamespace(const std::string& name_space, const std::string& collection_file,
                                const std::string& description) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RegisterNamespace",
                             {Quoted(name_space), Quoted(collection_file), Quoted(description)}),
        [&] { return real_->RegisterNamespace(name_space, collection_file, description); });
  }
  Help2Status RegisterHelpFile(const std::string& name_space, const std::string& help_file_id,
                               std::int32_t language_id, const std::string& help_file) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RegisterHelpFile", {Quoted(name_space), Quoted(help_file_id),
                                                  std::to_string(language_id), Quoted(help_file)}),
        [&] { return real_->RegisterHelpFile(name_space, help_file_id, language_id, help_file); });
  }
  Help2Status RemoveHelpFile(const std::string& name_space, const std::string& help_file_id,
                             std::int32_t language_id) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RemoveHelpFile", {Quoted(name_space), Quoted(help_file_id),
                                                std::to_string(language_id)}),
        [&] { return real_->RemoveHelpFile(name_space, help_file_id, language_id); });
  }
  Help2Status RemoveNamespace(const std::string& name_space) override {
    return RecordingHelp2::Forward(record_,
                                   RecordingHelp2::Call("RemoveNamespace", {Quoted(name_space)}),
                                   [&] { return real_->RemoveNamespace(name_space); });
  }

 private:
  ChangeRecord& record_;
  std::unique_ptr<Help2Register> real_;
};

class RecordingPlugIn : public Help2PlugIn {
 public:
  RecordingPlugIn(ChangeRecord& record, std::unique_ptr<Help2PlugIn> real)
      : record_(record), real_(std::move(real)) {}
  Help2Status RegisterHelpPlugIn(const std::string& parent_namespace, const std::string& parent_toc,
                                 const std::string& name_space, const std::string& toc,
                                 const std::string& attribute, std::int32_t options) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RegisterHelpPlugIn",
                             {Quoted(parent_namespace), Quoted(parent_toc), Quoted(name_space),
                              Quoted(toc), Quoted(attribute), std::to_string(options)}),
        [&] {
          return real_->RegisterHelpPlugIn(parent_namespace, parent_toc, name_space, toc, attribute,
                                           options);
        });
  }
  Help2Status RemoveHelpPlugIn(const std::string& parent_namespace, const std::string& parent_toc,
                               const std::string& name_space, const std::string& toc,
                               const std::string& attribute) override {
    return RecordingHelp2::Forward(
        record_,
        RecordingHelp2::Call("RemoveHelpPlugIn",
                             {Quoted(parent_namespace), Quoted(parent_toc), Quoted(name_space),
                              Quoted(toc), Quoted(attribute)}),
        [&] {
          return real_->RemoveHelpPlugIn(parent_namespace, parent_toc, name_space, toc, attribute);
        });
  }

 private:
  ChangeRecord& record_;
  std::unique_ptr<Help2PlugIn> real_;
};

class RecordingSession : public Help2Session {
 public:
  RecordingSession(ChangeRecord& record, std::unique_ptr<Help2Session> real)
      : record_(record), real_(std::move(real)) {}
  Help2Status CreateTransaction(const std::string& token) override {
    return RecordingHelp2::Forward(record_,
                                   RecordingHelp2::Call("CreateTransaction", {Quoted(token)}),
                                   [&] { return real_->CreateTransaction(token); });
  }
  Help2Status CommitTransaction() override {
    return RecordingHelp2::Forward(record_, RecordingHelp2::Call("CommitTransaction", {}),
                                   [&] { return real_->CommitTransaction(); });
  }
  Help2Status GetNamespaceRegistration(std::unique_ptr<Help2Register>* out) override {
    std::unique_ptr<Help2Register> real;
    Help2Status status = real_->GetNamespaceRegistration(&real);
    if (real) *out = std::make_unique<RecordingRegister>(record_, std::move(real));
    return status;
  }
  Help2Status GetPlugInRegistration(std::unique_ptr<Help2PlugIn>* out) override {
    std::unique_ptr<Help2PlugIn> real;
    Help2Status status = real_->GetPlugInRegistration(&real);
    if (real) *out = std::make_unique<RecordingPlugIn>(record_, std::move(real));
    return status;
  }

 private:
  ChangeRecord& record_;
  std::unique_ptr<Help2Session> real_;
};

class RecordingService : public Help2Service {
 public:
  explicit RecordingService(ChangeRecord& record) : record_(record) {}
  Help2Status CreateSession(std::unique_ptr<Help2Session>* out) override {
    std::unique_ptr<Help2Session> real;
    Help2Status status = record_.real().help2->CreateSession(&real);
    if (real) *out = std::make_unique<RecordingSession>(record_, std::move(real));
    return status;
  }

 private:
  ChangeRecord& record_;
};

}  // namespace

// --- The record ----------------------------------------------------------------------------------

ChangeRecord::ChangeRecord(Platform real, Mode mode) : real_(std::move(real)), mode_(mode) {
  services_.registry = std::make_unique<RecordingRegistry>(*this);
  services_.files = std::make_unique<RecordingFiles>(*this);
  services_.shell = std::make_unique<RecordingShellCopy>(*this);
  if (real_.help2) services_.help2 = std::make_unique<RecordingService>(*this);
  // Reading processes and version blocks changes nothing.
  services_.processes = std::move(real_.processes);
  services_.versions = std::move(real_.versions);
}

ChangeRecord::~ChangeRecord() = default;

Change& ChangeRecord::Record(const std::string& id, Change before) {
  auto found = index_.find(id);
  if (found != index_.end()) return changes_[found->second];
  index_[id] = changes_.size();
  changes_.push_back(std::move(before));
  return changes_.back();
}

void ChangeRecord::AddHelpCall(const std::string& call) {
  Change change;
  change.kind = Change::Kind::kHelpCall;
  change.call = call;
  changes_.push_back(std::move(change));
}

bool ChangeRecord::NoteAhead(const Change& change, std::string* error) {
  if (before_change_) before_change_();
  if (!sink_) return true;
  std::string reason;
  if (sink_->Note(change, &reason)) return true;
  if (error) *error = reason;
  return false;
}

void ChangeRecord::Shed(Change& change) const {
  if (!sink_ || change.kind != Change::Kind::kFile) return;
  std::string().swap(change.before);
  std::string().swap(change.after);
}

bool ChangeRecord::Mismatch(const std::string& text, std::string* error) {
  if (error) *error = text;
  if (reporter_) reporter_(text);
  return false;
}

}  // namespace platform
