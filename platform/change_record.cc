// The change record itself: the changes of a run in order, and the services it puts in front of
// the real ones.
// Portable: no Win32 here.
#include "platform/change_record.h"

#include <algorithm>
#include <cstdio>

#include "platform/encoding.h"
#include "platform/recording.h"
#include "platform/recording_files.h"
#include "platform/windows_path.h"

namespace platform {

std::string ValueIdentity(RootKey root, const std::string& key, const std::string& name) {
  return "value|" + AnsiToUpper(RootKeyName(root) + "\\" + key + "|" + name);
}

std::string FileIdentity(const std::string& path) {
  std::string id = AnsiToUpper(path);
  std::replace(id.begin(), id.end(), '/', '\\');
  // A drive's root keys as "C:", the folder part of its entries' keys.
  return "file|" + WithoutTrailingBackslash(WithoutTrailingSeparators(id));
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

std::string DigestText(std::size_t size, std::uint64_t hash) {
  char text[40];
  std::snprintf(text, sizeof text, "%zu %016llx", size, static_cast<unsigned long long>(hash));
  return text;
}

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

ChangeRecord::ChangeRecord(Platform real, Mode mode) : real_(std::move(real)), mode_(mode) {
  auto files = std::make_unique<RecordingFiles>(*this);
  services_.shell = NewRecordingShellCopy(*this, *files);
  services_.files = std::move(files);
  services_.registry = NewRecordingRegistry(*this);
  if (real_.help2) services_.help2 = NewRecordingHelp2(*this);
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
  *error = reason;
  return false;
}

void ChangeRecord::Shed(Change& change) const {
  if (!sink_ || change.kind != Change::Kind::kFile) return;
  std::string().swap(change.before);
  std::string().swap(change.after);
}

bool ChangeRecord::Mismatch(const std::string& text, std::string* error) {
  *error = text;
  if (reporter_) reporter_(text);
  return false;
}

}  // namespace platform
