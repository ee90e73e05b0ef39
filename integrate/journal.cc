// The journal of an integration run: its bytes and checksum, its folder, the undo that reads it.
// Portable: no Win32 here.
#include "integrate/journal.h"

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <set>

#include "integrate/engine/registry_values.h"
#include "integrate/strings.h"
#include "platform/encoding.h"
#include "platform/windows_path.h"

namespace integrate {
namespace {

using platform::Change;

const char kHeaderVersion1[] = "tslkt-integrate journal 1\n";
const char kHeader[] = "tslkt-integrate journal 2\n";
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kLastName[] = "last.txt";

std::uint64_t Checksum(std::string_view bytes, std::size_t length) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (std::size_t i = 0; i < length; ++i) {
    hash = (hash ^ static_cast<unsigned char>(bytes[i])) * 1099511628211ull;
  }
  return hash;
}

std::string Hex(std::uint64_t value) {
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
  return text;
}

void Field(std::string* out, const char* name, const std::string& value) {
  *out += std::string(name) + " " + std::to_string(value.size()) + ":" + value + "\n";
}

const char* KindName(Change::Kind kind) {
  switch (kind) {
    case Change::Kind::kRegistryValue:
      return "registry";
    case Change::Kind::kFile:
      return "file";
    case Change::Kind::kFolder:
      return "folder";
    case Change::Kind::kHelpCall:
      return "help";
  }
  return "";
}

// Reads "name length:bytes\n" at *at.
bool ReadField(const std::string& bytes, std::size_t* at, std::string* name, std::string* value) {
  const std::size_t space = bytes.find(' ', *at);
  const std::size_t colon = bytes.find(':', *at);
  if (space == std::string::npos || colon == std::string::npos || space > colon ||
      colon - space < 2 || colon - space > 12) {
    return false;
  }
  std::size_t length = 0;
  for (std::size_t i = space + 1; i < colon; ++i) {
    if (bytes[i] < '0' || bytes[i] > '9') return false;
    length = length * 10 + static_cast<std::size_t>(bytes[i] - '0');
  }
  if (length > bytes.size() - colon - 1 || bytes.size() - colon - 1 - length < 1 ||
      bytes[colon + 1 + length] != '\n') {
    return false;
  }
  *name = bytes.substr(*at, space - *at);
  *value = bytes.substr(colon + 1, length);
  *at = colon + 2 + length;
  return true;
}

bool Flag(const std::string& value, bool* flag) {
  if (value != "0" && value != "1") return false;
  *flag = value == "1";
  return true;
}

// Sets the member of `change` that a field names; false for a name or value not ours.
bool SetMember(Change* change, const std::string& name, const std::string& value) {
  if (name == "root") {
    if (value != "HKLM" && value != "HKCU") return false;
    change->root =
        value == "HKLM" ? platform::RootKey::kLocalMachine : platform::RootKey::kCurrentUser;
  } else if (name == "key") {
    change->key = value;
  } else if (name == "name") {
    change->name = value;
  } else if (name == "path") {
    change->path = value;
  } else if (name == "source") {
    change->source = value;
  } else if (name == "existed") {
    return Flag(value, &change->existed);
  } else if (name == "read-only-before") {
    return Flag(value, &change->read_only_before);
  } else if (name == "exists-after") {
    return Flag(value, &change->exists_after);
  } else if (name == "before") {
    change->before = value;
  } else if (name == "after") {
    change->after = value;
  } else if (name == "call") {
    change->call = value;
  } else {
    return false;
  }
  return true;
}

// --- The journal's blocks ---------------------------------------------------------------------
// Version 2: "tslkt-integrate journal 2", then blocks of fields, each closed by "sum" with the
// checksum of the block's bytes: a header block (library, time), one block per change noted
// ahead of it, and an end block ("end" = "<changes> finished|interrupted"). A killed run's
// journal stops after its last whole block, or inside the next one.

std::string Identity(const Change& change) {
  std::string id;
  switch (change.kind) {
    case Change::Kind::kRegistryValue:
      id = std::string("value|") + (change.root == platform::RootKey::kLocalMachine ? "HKLM" : "HKCU") +
           "\\" + change.key + "|" + change.name;
      break;
    case Change::Kind::kFile:
    case Change::Kind::kFolder:
      id = std::string(KindName(change.kind)) + "|" + change.path;
      for (char& c : id) {
        if (c == '/') c = '\\';
      }
      break;
    case Change::Kind::kHelpCall:
      return std::string();
  }
  return platform::AnsiToUpper(id);
}

// The state an item is in, as a journal compares states: a value's text, a file's digest (""
// when there is none), a folder's presence.
std::string ValueState(bool exists, const std::string& value) { return exists ? "=" + value : "-"; }
std::string FolderState(bool exists) { return exists ? "folder" : "-"; }

// The fields of a change's block; `first` adds what stood there before (a file's bytes go
// separately, after the returned head and its "before" field's own head).
std::string ChangeFields(const Change& change, bool first, std::string* before_head) {
  std::string out;
  Field(&out, "change", KindName(change.kind));
  switch (change.kind) {
    case Change::Kind::kRegistryValue:
      Field(&out, "root", change.root == platform::RootKey::kLocalMachine ? "HKLM" : "HKCU");
      Field(&out, "key", change.key);
      Field(&out, "name", change.name);
      if (first) {
        Field(&out, "existed", change.existed ? "1" : "0");
        Field(&out, "before", change.before);
      }
      Field(&out, "after", change.after);
      break;
    case Change::Kind::kFile:
      Field(&out, "path", change.path);
      Field(&out, "source", change.source);
      if (first) {
        Field(&out, "existed", change.existed ? "1" : "0");
        Field(&out, "read-only-before", change.read_only_before ? "1" : "0");
        *before_head = "before " + std::to_string(change.before.size()) + ":";
      }
      break;
    case Change::Kind::kFolder:
      Field(&out, "path", change.path);
      if (first) Field(&out, "existed", change.existed ? "1" : "0");
      Field(&out, "exists-after", change.exists_after ? "1" : "0");
      break;
    case Change::Kind::kHelpCall:
      Field(&out, "call", change.call);
      break;
  }
  return out;
}

std::string FileTail(const Change& change) {
  std::string out;
  Field(&out, "exists-after", change.exists_after ? "1" : "0");
  Field(&out, "after-digest", change.after_digest);
  return out;
}

// Reads one block of version 2 from *at: its fields up to its checksum. kCut when the bytes
// end inside it (a killed run's last block), kBad when it is whole but does not add up.
enum class BlockRead { kOk, kCut, kBad };
BlockRead ReadBlock(const std::string& bytes, std::size_t* at,
                    std::vector<std::pair<std::string, std::string>>* fields) {
  fields->clear();
  const std::size_t start = *at;
  std::string name, value;
  for (;;) {
    const std::size_t field_start = *at;
    if (!ReadField(bytes, at, &name, &value)) {
      // Cut: the field's length runs past the end, or its head is not complete.
      const std::size_t colon = bytes.find(':', field_start);
      if (colon == std::string::npos) return BlockRead::kCut;
      std::size_t length = 0;
      const std::size_t space = bytes.find(' ', field_start);
      if (space == std::string::npos || space > colon) return BlockRead::kBad;
      for (std::size_t i = space + 1; i < colon; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9' || length > (std::size_t{1} << 40)) return BlockRead::kBad;
        length = length * 10 + static_cast<std::size_t>(bytes[i] - '0');
      }
      return colon + 1 + length >= bytes.size() ? BlockRead::kCut : BlockRead::kBad;
    }
    if (name == "sum") {
      return value == Hex(Checksum(std::string_view(bytes).substr(start), field_start - start))
                 ? BlockRead::kOk
                 : BlockRead::kBad;
    }
    fields->emplace_back(name, value);
  }
}

bool DecodeVersion2(const std::string& bytes, std::size_t at, Journal* journal) {
  std::vector<std::pair<std::string, std::string>> fields;
  if (ReadBlock(bytes, &at, &fields) != BlockRead::kOk || fields.size() != 2 ||
      fields[0].first != "library" || fields[1].first != "time") {
    return false;
  }
  Journal read;
  read.library = fields[0].second;
  read.time = fields[1].second;
  read.finished = false;
  std::map<std::string, std::size_t> index;
  while (at < bytes.size()) {
    const BlockRead result = ReadBlock(bytes, &at, &fields);
    if (result == BlockRead::kCut) break;  // the block a killed run was writing
    if (result == BlockRead::kBad || fields.empty()) return false;
    if (fields[0].first == "end") {
      const std::string count = std::to_string(read.begun);
      if (fields.size() != 1 || at != bytes.size() ||
          (fields[0].second != count + " finished" && fields[0].second != count + " interrupted")) {
        return false;
      }
      read.finished = fields[0].second == count + " finished";
      break;
    }
    if (fields[0].first != "change") return false;
    Change change;
    bool known = false;
    for (Change::Kind kind : {Change::Kind::kRegistryValue, Change::Kind::kFile,
                              Change::Kind::kFolder, Change::Kind::kHelpCall}) {
      if (fields[0].second == KindName(kind)) change.kind = kind, known = true;
    }
    if (!known) return false;
    bool has_before = false;
    for (std::size_t i = 1; i < fields.size(); ++i) {
      const std::string& name = fields[i].first;
      if (name == "after-digest") {
        change.after_digest = fields[i].second;
      } else if (!SetMember(&change, name, fields[i].second)) {
        return false;
      }
      has_before = has_before || name == "existed";
    }
    ++read.begun;
    const std::string state =
        change.kind == Change::Kind::kRegistryValue ? change.after
        : change.kind == Change::Kind::kFile        ? (change.exists_after ? change.after_digest : "")
                                                    : FolderState(change.exists_after);
    const std::string id = Identity(change);
    auto seen = id.empty() ? index.end() : index.find(id);
    if (seen == index.end()) {
      // An item's first block says what stood there; a help call has nothing before it.
      if (!has_before && change.kind != Change::Kind::kHelpCall) return false;
      change.left.push_back(state);
      if (!id.empty()) index[id] = read.changes.size();
      read.changes.push_back(std::move(change));
      continue;
    }
    if (has_before) return false;
    Change& item = read.changes[seen->second];
    item.left.push_back(state);
    item.after = change.after;
    item.after_digest = change.after_digest;
    item.exists_after = change.exists_after;
    if (!change.source.empty()) item.source = change.source;
  }
  *journal = std::move(read);
  return true;
}

bool DecodeVersion1(const std::string& bytes, std::size_t at, Journal* journal) {
  Journal read;
  std::size_t count = 0;
  std::string name, value;
  bool ok = true;
  while (ok) {
    const std::size_t start = at;
    if (!ReadField(bytes, &at, &name, &value)) {
      ok = false;
    } else if (name == "end") {
      ok = value == std::to_string(count) + " " + Hex(Checksum(bytes, start)) && at == bytes.size();
      break;
    } else if (name == "library" && count == 0) {
      read.library = value;
    } else if (name == "time" && count == 0) {
      read.time = value;
    } else if (name == "change") {
      Change change;
      ok = false;
      for (Change::Kind kind : {Change::Kind::kRegistryValue, Change::Kind::kFile,
                                Change::Kind::kFolder, Change::Kind::kHelpCall}) {
        if (value != KindName(kind)) continue;
        change.kind = kind;
        ok = true;
      }
      read.changes.push_back(change);
      ++count;
    } else {
      ok = count > 0 && SetMember(&read.changes.back(), name, value);
    }
  }
  if (!ok) return false;
  read.begun = count;
  *journal = std::move(read);
  return true;
}

// Whether the item stands as the run left it: one of the states the journal holds (a run cut
// short between two writes of one item left either), or, in a journal of the first version,
// the whole content it kept.
bool AsLeft(const Change& change, const std::string& state, const std::string& version1_now) {
  if (change.left.empty()) return version1_now == state;
  for (const std::string& left : change.left) {
    if (left == state) return true;
  }
  return false;
}

UndoItem UndoValue(platform::Platform& platform, const Change& change, bool force,
                   bool interrupted) {
  using Outcome = UndoItem::Outcome;
  const std::string what =
      FormatText(kStrUndoValueName, platform::RootKeyName(change.root), change.key, change.name);
  std::string error;
  auto key = platform.registry->OpenKey(change.root, change.key, platform::KeyAccess::kAll, &error);
  if (!key) return {Outcome::kFailed, FormatText(kStrUndoCannotOpenKey, what, error)};
  std::string current;
  const bool present = ReadGrowingString(*key, change.name, &current);
  if (change.existed && present && current == change.before) {
    // A run killed while it saved the hive left a temporary beside it, which a save of the
    // same value takes away.
    if (interrupted && !key->SetString(change.name, change.before, &error)) {
      return {Outcome::kFailed, FormatText(kStrUndoError, what, error)};
    }
    return {Outcome::kRestored, FormatText(kStrUndoAlreadyAsBefore, what)};
  }
  if (!force && (!present || !AsLeft(change, current, change.after))) {
    return {Outcome::kSkipped, present ? FormatText(kStrUndoValueChanged, what, current)
                                       : FormatText(kStrUndoValueMissing, what)};
  }
  if (!change.existed) {
    return {Outcome::kNotUndone, FormatText(kStrUndoValueNotRemovable, what)};
  }
  if (!key->SetString(change.name, change.before, &error)) {
    return {Outcome::kFailed, FormatText(kStrUndoError, what, error)};
  }
  return {Outcome::kRestored, FormatText(kStrUndoValuePutBack, what, change.before)};
}

UndoItem UndoFile(platform::Platform& platform, const Change& change, bool force,
                  bool interrupted) {
  using Outcome = UndoItem::Outcome;
  platform::FileSystem& files = *platform.files;
  std::string current, error;
  // What a run killed while it replaced the file left beside it goes, whatever the file's state.
  if (interrupted && !files.RemoveLeftovers(platform::ParentPath(change.path), &error)) {
    return {Outcome::kFailed, FormatText(kStrUndoError, change.path, error)};
  }
  const bool exists = files.Exists(change.path);
  const bool readable = exists && files.ReadBinaryFile(change.path, &current, &error);
  const bool as_left =
      change.left.empty()
          ? (change.exists_after ? readable && current == change.after : !exists)
          : AsLeft(change, !exists ? std::string() : readable ? platform::ContentDigest(current) : "?",
                   std::string());
  if (change.existed ? readable && current == change.before : !exists) {
    return {Outcome::kRestored, FormatText(kStrUndoAlreadyAsBefore, change.path)};
  }
  if (!force && !as_left) {
    return {Outcome::kSkipped, FormatText(kStrUndoFileChanged, change.path)};
  }
  // A copy takes its source's read-only attribute; the run's own file may be replaced.
  if (files.IsReadOnly(change.path) && !files.SetNormalAttributes(change.path, &error)) {
    return {Outcome::kFailed, FormatText(kStrUndoError, change.path, error)};
  }
  if (!change.existed) {
    if (!files.RemoveFile(change.path, &error)) {
      return {Outcome::kFailed, FormatText(kStrUndoError, change.path, error)};
    }
    return {Outcome::kRestored, FormatText(kStrUndoRemoved, change.path)};
  }
  if (!files.WriteBinaryFile(change.path, change.before, &error)) {
    return {Outcome::kFailed, FormatText(kStrUndoError, change.path, error)};
  }
  return {Outcome::kRestored,
          FormatText(change.read_only_before ? kStrUndoFilePutBackWritable : kStrUndoFilePutBack,
                     change.path)};
}

// A folder the run made goes again once empty (its files, undone before it, have gone); one it
// removed is made again.
UndoItem UndoFolder(platform::Platform& platform, const Change& change) {
  using Outcome = UndoItem::Outcome;
  platform::FileSystem& files = *platform.files;
  std::string error;
  const bool exists = files.Exists(change.path);
  if (exists == change.existed) {
    return {Outcome::kRestored, FormatText(kStrUndoAlreadyAsBefore, change.path)};
  }
  if (change.existed) {
    if (!files.CreateDirectories(change.path, &error)) {
      return {Outcome::kFailed, FormatText(kStrUndoError, change.path, error)};
    }
    return {Outcome::kRestored, FormatText(kStrUndoFolderMadeAgain, change.path)};
  }
  std::vector<platform::FolderEntry> inside;
  if (!files.ListFolder(change.path, &inside, &error)) {
    return {Outcome::kFailed, FormatText(kStrUndoError, change.path, error)};
  }
  if (!inside.empty()) {
    return {Outcome::kSkipped, FormatText(kStrUndoFolderNotEmpty, change.path)};
  }
  if (!files.RemoveEmptyFolder(change.path, &error)) {
    return {Outcome::kFailed, FormatText(kStrUndoError, change.path, error)};
  }
  return {Outcome::kRestored, FormatText(kStrUndoRemoved, change.path)};
}

}  // namespace

std::string EncodeJournal(const Journal& journal) {
  std::string out = kHeader, block;
  Field(&block, "library", journal.library);
  Field(&block, "time", journal.time);
  Field(&block, "sum", Hex(Checksum(block, block.size())));
  out += block;
  std::size_t count = 0;
  for (Change change : journal.changes) {
    if (!platform::Changed(change)) continue;
    ++count;
    std::string before_head;
    block = ChangeFields(change, true, &before_head);
    if (change.kind == Change::Kind::kFile) {
      block += before_head + change.before + "\n";
      change.after_digest = change.exists_after ? platform::ContentDigest(change.after) : "";
      block += FileTail(change);
    }
    Field(&block, "sum", Hex(Checksum(block, block.size())));
    out += block;
  }
  block.clear();
  Field(&block, "end", std::to_string(count) + (journal.finished ? " finished" : " interrupted"));
  Field(&block, "sum", Hex(Checksum(block, block.size())));
  return out + block;
}

bool DecodeJournal(const std::string& bytes, Journal* journal, std::string* error) {
  const std::string header = kHeader, version1 = kHeaderVersion1;
  bool ok = false;
  if (bytes.compare(0, header.size(), header) == 0) {
    ok = DecodeVersion2(bytes, header.size(), journal);
  } else if (bytes.compare(0, version1.size(), version1) == 0) {
    ok = DecodeVersion1(bytes, version1.size(), journal);
  } else {
    *error = LoadText(kStrJournalNotOurs);
    return false;
  }
  if (!ok) *error = LoadText(kStrJournalDamaged);
  return ok;
}

bool JournalFolder(platform::Platform& platform, std::string* folder, std::string* error) {
  auto key = platform.registry->OpenKey(platform::RootKey::kCurrentUser, kShellFolders,
                                        platform::KeyAccess::kRead);
  std::string local;
  if (!key || !ReadGrowingString(*key, "Local AppData", &local) || local.empty()) {
    *error = FormatText(kStrJournalNoLocalAppData, kShellFolders);
    return false;
  }
  if (local.back() == '\\') local.pop_back();
  *folder = local + "\\Quorvane\\Tessaline\\Journals";
  return true;
}

JournalWriter::JournalWriter(platform::Platform& real, std::string library)
    : real_(real), library_(std::move(library)) {}

bool JournalWriter::Append(std::string_view bytes, std::string* error) {
  return real_.files->AppendToFile(path_, bytes, error);
}

bool JournalWriter::Start(std::string* error) {
  if (started_) return true;
  platform::FileSystem& files = *real_.files;
  if (!JournalFolder(real_, &folder_, error) || !files.CreateDirectories(folder_, error)) {
    return false;
  }
  const std::time_t now = std::time(nullptr);
  char time[32] = "", stamp[32] = "";
  if (const std::tm* local = std::localtime(&now)) {
    std::strftime(time, sizeof time, "%Y-%m-%d %H:%M:%S", local);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", local);
  }
  std::string name = std::string("integrate-") + stamp;
  for (int n = 2; files.Exists(folder_ + "\\" + name + ".jnl"); ++n) {
    name = std::string("integrate-") + stamp + "-" + std::to_string(n);
  }
  path_ = folder_ + "\\" + name + ".jnl";
  std::string block;
  Field(&block, "library", library_);
  Field(&block, "time", time);
  Field(&block, "sum", Hex(Checksum(block, block.size())));
  if (!Append(kHeader + block, error)) {
    std::string ignored;
    if (!files.RemoveFile(path_, &ignored)) {
      // Whatever part of it reached the disk is no journal; the next run's choice of name
      // steps over it.
    }
    path_.clear();
    return false;
  }
  started_ = true;
  return true;
}

bool JournalWriter::AppendBlock(const std::string& head, const std::string* before,
                                const std::string& tail, std::string* error) {
  // The checksum runs over the pieces as they go, so a file's old bytes are not copied.
  std::uint64_t hash = 14695981039346656037ull;
  const auto add = [&hash](std::string_view piece) {
    for (const char c : piece) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  };
  std::string closing = tail;
  add(head);
  if (before) {
    add(*before);
    add("\n");
    closing = "\n" + tail;
  }
  add(tail);
  Field(&closing, "sum", Hex(hash));
  if (!before) return Append(head + closing, error);
  return Append(head, error) && Append(*before, error) && Append(closing, error);
}

bool JournalWriter::Note(const Change& change, std::string* error) {
  std::string reason;
  if (!Start(&reason)) {
    *error = FormatText(kStrJournalNotWritten, reason);
    return false;
  }
  const std::string id = Identity(change);
  const bool first = id.empty() || !items_.count(id);
  std::string before_head, tail;
  std::string head = ChangeFields(change, first, &before_head);
  const bool file = change.kind == Change::Kind::kFile;
  if (file) {
    head += before_head;
    tail = FileTail(change);
  }
  if (!AppendBlock(head, file && first ? &change.before : nullptr, tail, &reason)) {
    *error = FormatText(kStrJournalNotWritten, reason);
    return false;
  }
  ++begun_;
  if (id.empty()) {
    help_called_ = true;
    return true;
  }
  Item& item = items_[id];
  switch (change.kind) {
    case Change::Kind::kRegistryValue:
      if (first) item.before = ValueState(change.existed, change.before);
      item.now = ValueState(true, change.after);
      break;
    case Change::Kind::kFile:
      if (first) {
        item.before = change.existed ? platform::ContentDigest(change.before) : "";
        item.read_only_before = change.existed && change.read_only_before;
      }
      item.now = change.exists_after ? change.after_digest : "";
      break;
    default:
      if (first) item.before = FolderState(change.existed);
      item.now = FolderState(change.exists_after);
      break;
  }
  return true;
}

bool JournalWriter::Finish(bool interrupted, std::string* error) {
  if (!started_) return true;
  platform::FileSystem& files = *real_.files;
  bool changed = help_called_;
  for (const auto& entry : items_) {
    const Item& item = entry.second;
    changed = changed || item.before != item.now || (item.read_only_before && !item.now.empty());
  }
  if (!changed) {
    // Nothing to take back: no journal is kept, as for a run that wrote nothing.
    std::string ignored;
    if (files.RemoveFile(path_, &ignored)) path_.clear();
    started_ = false;
    return true;
  }
  std::string block;
  Field(&block, "end", std::to_string(begun_) + (interrupted ? " interrupted" : " finished"));
  Field(&block, "sum", Hex(Checksum(block, block.size())));
  std::string reason;
  const std::string last = folder_ + "\\" + kLastName;
  if (!Append(block, &reason) ||
      !files.WriteTextFile(last, platform::FileName(path_) + "\n", &reason)) {
    // An older journal named there would be taken for this run's.
    std::string ignored;
    if (!files.RemoveFile(last, &ignored)) {
      // LastJournal still prefers the newest journal in the folder.
    }
    *error = reason;
    return false;
  }
  return true;
}

namespace {

// "integrate-20261208-183233-2.jnl" -> ("20261208-183233", 2): the order runs were started in.
bool JournalOrder(const std::string& name, std::pair<std::string, long>* order) {
  const std::string prefix = "integrate-", suffix = ".jnl";
  if (name.size() < prefix.size() + 15 + suffix.size() || name.compare(0, prefix.size(), prefix) ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix)) {
    return false;
  }
  const std::string stem = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  order->first = stem.substr(0, 15);
  order->second = 1;
  if (stem.size() > 15) {
    if (stem[15] != '-' || stem.size() > 24) return false;
    order->second = 0;
    for (std::size_t i = 16; i < stem.size(); ++i) {
      if (stem[i] < '0' || stem[i] > '9') return false;
      order->second = order->second * 10 + (stem[i] - '0');
    }
  }
  return true;
}

}  // namespace

bool LastJournal(platform::Platform& platform, std::string* path, std::string* error) {
  std::string folder;
  if (!JournalFolder(platform, &folder, error)) return false;
  std::string name;
  std::string ignored;
  platform.files->ReadTextLines(
      folder + "\\" + kLastName,
      [&](const std::string& line) {
        name = line;
        return false;
      },
      &ignored);
  if (name.find_first_of("\\/:") != std::string::npos) name.clear();
  // A run killed before it finished never named its journal in last.txt; it is the newest.
  std::pair<std::string, long> newest, order;
  const bool named = JournalOrder(name, &newest);
  if (!named) newest = {std::string(), 0};
  std::vector<platform::FolderEntry> entries;
  if (platform.files->ListFolder(folder, &entries, &ignored)) {
    for (const platform::FolderEntry& entry : entries) {
      if (entry.folder || !JournalOrder(entry.name, &order) || order <= newest) continue;
      newest = order;
      name = entry.name;
    }
  }
  if (name.empty()) {
    *error = FormatText(kStrJournalNoneEarlier, folder);
    return false;
  }
  *path = folder + "\\" + name;
  return true;
}

std::vector<UndoItem> Undo(platform::Platform& platform, const Journal& journal, bool force) {
  std::vector<UndoItem> items;
  for (auto change = journal.changes.rbegin(); change != journal.changes.rend(); ++change) {
    switch (change->kind) {
      case Change::Kind::kRegistryValue:
        items.push_back(UndoValue(platform, *change, force, !journal.finished));
        break;
      case Change::Kind::kFile:
        items.push_back(UndoFile(platform, *change, force, !journal.finished));
        break;
      case Change::Kind::kFolder:
        items.push_back(UndoFolder(platform, *change));
        break;
      case Change::Kind::kHelpCall:
        items.push_back(
            {UndoItem::Outcome::kNotUndone, FormatText(kStrUndoHelpCall, change->call)});
        break;
    }
  }
  return items;
}

}  // namespace integrate
