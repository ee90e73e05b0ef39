// The journal a real run keeps on the disk ahead of each change.
// Portable: no Win32 here.
#include "integrate/journal_writer.h"

#include <ctime>

#include "integrate/journal_folder.h"
#include "integrate/journal_format.h"
#include "integrate/strings.h"
#include "platform/windows_path.h"

namespace integrate {

using platform::Change;

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
  for (int n = 2; files.Exists(platform::JoinPath(folder_, name + ".jnl")); ++n) {
    name = std::string("integrate-") + stamp + "-" + std::to_string(n);
  }
  path_ = platform::JoinPath(folder_, name + ".jnl");
  if (!Append(kJournalHeader + HeaderBlock(library_, time), error)) {
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
  BlockSum sum;
  std::string closing = tail;
  sum.Add(head);
  if (before) {
    sum.Add(*before);
    sum.Add("\n");
    closing = "\n" + tail;
  }
  sum.Add(tail);
  closing += sum.Close();
  if (!before) return Append(head + closing, error);
  return Append(head, error) && Append(*before, error) && Append(closing, error);
}

bool JournalWriter::Note(const Change& change, std::string* error) {
  std::string reason;
  if (!Start(&reason)) {
    *error = FormatText(kStrJournalNotWritten, reason);
    return false;
  }
  const std::string id = ItemIdentity(change);
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
  std::string reason;
  const std::string last = platform::JoinPath(folder_, kLastJournalName);
  if (!Append(EndBlock(begun_, !interrupted), &reason) ||
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

}  // namespace integrate
