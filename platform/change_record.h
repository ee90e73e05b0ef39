// The change record: a platform in front of the real one that notes every change a run makes.
// Portable: no Win32 here.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

/// One thing a run changed on the machine (or, in a dry run, would have changed): what stood there
/// before its first change and what stands there after its last.
struct Change {
  enum class Kind {
    kRegistryValue,  ///< a string value of `root`\`key` named `name`
    kFile,           ///< the file `path`, written, copied over, made writable or deleted
    kFolder,    ///< the folder `path`, made (`existed` false) or removed (`exists_after` false)
    kHelpCall,  ///< a call of the Help 2 registration service, spelt in `call`
  };
  Kind kind = Kind::kFile;
  RootKey root = RootKey::kCurrentUser;
  std::string key;
  std::string name;
  std::string path;
  /// The file a copy came from; empty when the file was written.
  std::string source;
  bool existed = false;
  /// The value or the file's bytes before; empty when it did not exist.
  std::string before;
  bool read_only_before = false;
  /// False when the run deleted the file or removed the folder.
  bool exists_after = true;
  /// The value or the file's bytes after.
  std::string after;
  /// kHelpCall: the call with its arguments and the status it returned.
  std::string call;
  /// A file noted ahead of its change: ContentDigest of what the run is about to leave (its
  /// bytes are not kept); empty when the file is to go.
  std::string after_digest;
  /// Read from a journal: every state the run may have left the item in, newest last (a
  /// value's text, a file's ContentDigest, "" for a file taken away), for telling "changed
  /// since the run" from "as the run left it" when the run was cut short between two states.
  std::vector<std::string> left;
};

/// A file's content as a journal keeps new content: its size and a 64-bit hash ("1234
/// 0f3e..."), enough to tell that a file changed since, at a few dozen bytes for any size.
std::string ContentDigest(const std::string& bytes);

/// Where a real run's changes go before they are made: a write-ahead journal. A change whose
/// note fails is not made.
class ChangeSink {
 public:
  virtual ~ChangeSink() = default;
  /// `change` names the item, what the run is about to leave there (`after` for a value,
  /// `after_digest`, `exists_after`) and, on the item's first note, what stands there now.
  /// True once the note is on the disk.
  [[nodiscard]] virtual bool Note(const Change& change, std::string* error) = 0;
};

/// False for a write that left everything as it was (a file rewritten with its own bytes), which
/// neither a listing nor an undo needs to show.
bool Changed(const Change& change);

/// Stands between a front end and the real platform and keeps a Change for every mutating call, so
/// one run can be shown before it happens, checked after, and taken back. The system's own code
/// sees an ordinary Platform.
///
/// In a dry run nothing is written: the record keeps what would have been
/// written and every later read of the run is served from it, with the same
/// refusals the real services give (a missing folder, a read-only file), so the
/// run takes the same course. In a real run each write is read back through the
/// same service; a difference fails the call with the reason, and the reporter
/// hears of it, since not every caller shows the reason.
class ChangeRecord {
 public:
  enum class Mode { kWrite, kDryRun };

  /// Takes the real services over; they live as long as the record.
  ChangeRecord(Platform real, Mode mode);
  ~ChangeRecord();
  ChangeRecord(const ChangeRecord&) = delete;
  ChangeRecord& operator=(const ChangeRecord&) = delete;

  /// The recording services to hand to the system's own code.
  Platform& services() { return services_; }
  /// The real services, for what must bypass the record (its own journal, say).
  Platform& real() { return real_; }
  Mode mode() const { return mode_; }

  /// The changes in the order they were first made; one per file or value.
  const std::vector<Change>& changes() const { return changes_; }

  /// Makes a real run note each change in `sink` before making it; the file bytes it notes
  /// are then not kept in memory. Without one nothing is noted (an undo, a test).
  void SetSink(ChangeSink* sink) { sink_ = sink; }

  /// Called before each change is noted and made, between two whole operations: where a run
  /// that was asked to stop can stop with nothing half done.
  void SetBeforeChange(std::function<void()> hook) { before_change_ = std::move(hook); }

  /// Called with the text of each difference a real run finds when reading a write back.
  void SetMismatchReporter(std::function<void(const std::string& text)> reporter) {
    reporter_ = std::move(reporter);
  }

 private:
  friend class RecordingRegistry;
  friend class RecordingKey;
  friend class RecordingFiles;
  friend class RecordingShellCopy;
  friend class RecordingHelp2;

  // What a dry run knows of a file it has written.
  struct FileState {
    bool exists = true;
    std::string bytes;
    bool read_only = false;
    std::string path;  // as the run spelt it, for folder listings
  };
  // A folder the run made or removed: a dry run's state, and in both modes whether the run
  // made it (taking such a folder away again is no change).
  struct FolderState {
    std::string path;
    bool exists = true;
    bool made = false;
  };

  // The change of this value or file; `before` (its state as read now) opens it when it is the
  // first. A reference valid until the next change is opened.
  Change& Record(const std::string& id, Change before);
  bool Recorded(const std::string& id) const { return index_.count(id) != 0; }
  void AddHelpCall(const std::string& call);
  // Fails a call with a difference found reading a write back, and tells the reporter.
  [[nodiscard]] bool Mismatch(const std::string& text, std::string* error);
  // A real run's note of a change it is about to make; false (the change is not to be made)
  // when the journal cannot take it.
  [[nodiscard]] bool NoteAhead(const Change& change, std::string* error);
  // Drops a real run's file bytes from memory once the journal holds them.
  void Shed(Change& change) const;

  Platform real_;
  Platform services_;
  Mode mode_;
  std::vector<Change> changes_;
  std::map<std::string, std::size_t> index_;  // lower-cased identity -> changes_ position
  // A dry run's state: values and files written, folders made or removed (upper-cased
  // identities); folders_ also notes, in a real run, which folders the run made.
  std::map<std::string, std::string> values_;
  std::map<std::string, FileState> files_;
  std::map<std::string, FolderState> folders_;
  std::function<void(const std::string&)> reporter_;
  ChangeSink* sink_ = nullptr;
  std::function<void()> before_change_;
};

}  // namespace platform
