// The undo that reads a journal: each change put back, skipped or named as not undone.
// Portable: no Win32 here.
#include "integrate/journal_undo.h"

#include "integrate/engine/registry_values.h"
#include "integrate/strings.h"
#include "platform/windows_path.h"

namespace integrate {
namespace {

using platform::Change;

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
  const bool present = platform::ReadStringValue(*key, change.name, &current) == platform::RegResult::kOk;
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
