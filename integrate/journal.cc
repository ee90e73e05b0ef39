// The journal of an integration run: its bytes and checksum, its folder, the undo that reads it.
// Portable: no Win32 here.
#include "integrate/journal.h"

#include <cstdint>
#include <cstdio>
#include <ctime>

#include "integrate/engine/registry_values.h"
#include "integrate/strings.h"

namespace integrate {
namespace {

using platform::Change;

const char kHeader[] = "tslkt-integrate journal 1\n";
const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char kLastName[] = "last.txt";

std::uint64_t Checksum(const std::string& bytes, std::size_t length) {
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

UndoItem UndoValue(platform::Platform& platform, const Change& change, bool force) {
  using Outcome = UndoItem::Outcome;
  const std::string what =
      FormatText(kStrUndoValueName, platform::RootKeyName(change.root), change.key, change.name);
  std::string error;
  auto key = platform.registry->OpenKey(change.root, change.key, platform::KeyAccess::kAll, &error);
  if (!key) return {Outcome::kFailed, FormatText(kStrUndoCannotOpenKey, what, error)};
  std::string current;
  const bool present = ReadGrowingString(*key, change.name, &current);
  if (change.existed && present && current == change.before) {
    return {Outcome::kRestored, FormatText(kStrUndoAlreadyAsBefore, what)};
  }
  if (!force && (!present || current != change.after)) {
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

UndoItem UndoFile(platform::Platform& platform, const Change& change, bool force) {
  using Outcome = UndoItem::Outcome;
  platform::FileSystem& files = *platform.files;
  std::string current, error;
  const bool exists = files.Exists(change.path);
  const bool readable = exists && files.ReadBinaryFile(change.path, &current, &error);
  const bool as_left = change.exists_after ? readable && current == change.after : !exists;
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
  std::string out = kHeader;
  Field(&out, "library", journal.library);
  Field(&out, "time", journal.time);
  std::size_t count = 0;
  for (const Change& change : journal.changes) {
    if (!platform::Changed(change)) continue;
    ++count;
    Field(&out, "change", KindName(change.kind));
    switch (change.kind) {
      case Change::Kind::kRegistryValue:
        Field(&out, "root", change.root == platform::RootKey::kLocalMachine ? "HKLM" : "HKCU");
        Field(&out, "key", change.key);
        Field(&out, "name", change.name);
        Field(&out, "existed", change.existed ? "1" : "0");
        Field(&out, "before", change.before);
        Field(&out, "after", change.after);
        break;
      case Change::Kind::kFile:
        Field(&out, "path", change.path);
        Field(&out, "source", change.source);
        Field(&out, "existed", change.existed ? "1" : "0");
        Field(&out, "read-only-before", change.read_only_before ? "1" : "0");
        Field(&out, "before", change.before);
        Field(&out, "exists-after", change.exists_after ? "1" : "0");
        Field(&out, "after", change.after);
        break;
      case Change::Kind::kFolder:
        Field(&out, "path", change.path);
        Field(&out, "existed", change.existed ? "1" : "0");
        Field(&out, "exists-after", change.exists_after ? "1" : "0");
        break;
      case Change::Kind::kHelpCall:
        Field(&out, "call", change.call);
        break;
    }
  }
  Field(&out, "end", std::to_string(count) + " " + Hex(Checksum(out, out.size())));
  return out;
}

bool DecodeJournal(const std::string& bytes, Journal* journal, std::string* error) {
  const std::string header = kHeader;
  if (bytes.compare(0, header.size(), header) != 0) {
    *error = LoadText(kStrJournalNotOurs);
    return false;
  }
  Journal read;
  std::size_t at = header.size(), count = 0;
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
  if (!ok) {
    *error = LoadText(kStrJournalDamaged);
    return false;
  }
  *journal = std::move(read);
  return true;
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

bool WriteJournal(platform::Platform& platform, const Journal& journal, std::string* path,
                  std::string* error) {
  std::string folder;
  if (!JournalFolder(platform, &folder, error)) return false;
  platform::FileSystem& files = *platform.files;
  if (!files.CreateDirectories(folder, error)) return false;
  std::string stamp;
  for (char c : journal.time) {
    if (c >= '0' && c <= '9') stamp += c;
  }
  if (stamp.size() == 14) stamp.insert(8, "-");
  std::string name = "integrate-" + stamp;
  for (int n = 2; files.Exists(folder + "\\" + name + ".jnl"); ++n) {
    name = "integrate-" + stamp + "-" + std::to_string(n);
  }
  *path = folder + "\\" + name + ".jnl";
  return files.WriteBinaryFile(*path, EncodeJournal(journal), error) &&
         files.WriteTextFile(folder + "\\" + kLastName, name + ".jnl\n", error);
}

bool KeepJournal(platform::ChangeRecord& record, const std::string& library, std::string* path,
                 std::string* error) {
  path->clear();
  if (record.mode() == platform::ChangeRecord::Mode::kDryRun) return true;
  bool changed = false;
  for (const Change& change : record.changes()) changed = changed || platform::Changed(change);
  if (!changed) return true;
  const std::time_t now = std::time(nullptr);
  char time[32] = "";
  if (const std::tm* local = std::localtime(&now)) {
    std::strftime(time, sizeof time, "%Y-%m-%d %H:%M:%S", local);
  }
  // The journal itself is no change of the run's: it goes to the real services.
  return WriteJournal(record.real(), Journal{library, time, record.changes()}, path, error);
}

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
  if (name.empty() || name.find_first_of("\\/:") != std::string::npos) {
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
        items.push_back(UndoValue(platform, *change, force));
        break;
      case Change::Kind::kFile:
        items.push_back(UndoFile(platform, *change, force));
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
