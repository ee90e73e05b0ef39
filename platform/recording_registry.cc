// The change record's registry: each value written is noted with what it held, read back in a
// real run, and kept and served back in a dry run.
// Portable: no Win32 here.
#include <memory>
#include <string>
#include <vector>

#include "platform/recording.h"

namespace platform {
namespace {

// Reads a value of any length; false when it cannot be read.
[[nodiscard]] bool ReadValue(RegistryKey& key, const std::string& name, std::string* value) {
  return ReadStringValue(key, name, value) == RegResult::kOk;
}

}  // namespace

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
        *error = "Access denied";
        return false;
      }
      // Worded as the prefix's registry words a save its hive file refuses; Windows' own
      // registry has no such refusal.
      std::string reason;
      if (!record_.real_.registry->CheckWritable(root_, &reason)) {
        *error = "cannot set " + Quoted(name) + " in " + RootKeyName(root_) + "\\" + path_ + ": " +
                 reason;
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

std::unique_ptr<Registry> NewRecordingRegistry(ChangeRecord& record) {
  return std::make_unique<RecordingRegistry>(record);
}

}  // namespace platform
