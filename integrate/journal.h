// The journal of an integration run and the undo that reads it.
// Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/change_record.h"
#include "platform/platform.h"

namespace integrate {

/// A run's journal: its changes with what stood there before, so the run can be taken back.
struct Journal {
  std::string library;  ///< the install folder the run integrated
  std::string time;     ///< when the run started, "2026-12-08 18:20:00" local time
  /// One per value, file or folder, in the order first changed, and each help call.
  std::vector<platform::Change> changes;
  /// False when the run ended before it finished: killed (no end mark) or stopped by a signal.
  bool finished = true;
  /// How many changes the run began, for "interrupted after N changes".
  std::size_t begun = 0;
};

/// A whole journal's bytes, as a run that finished leaves them (what JournalWriter writes):
/// a header naming the program and format version, one block per change and an end mark,
/// each block closed by its own checksum, so a journal cut short by a killed run is read up
/// to its last whole block and an altered one is told from it.
std::string EncodeJournal(const Journal& journal);

/// Reads journal bytes back (this format and the first one); false with the reason when they
/// are not a journal of ours or are damaged (altered, or cut inside its header).
bool DecodeJournal(const std::string& bytes, Journal* journal, std::string* error);

/// Where the journals live: "<Local AppData>\Quorvane\Tessaline\Journals", from the user's
/// shell folders (inside the prefix on Linux).
bool JournalFolder(platform::Platform& platform, std::string* folder, std::string* error);

/// Keeps a real run's journal on the disk as the run goes, ahead of every change: the
/// before-image of each value, file (its bytes, appended as they are) and folder is on the
/// disk before the change is made, new content only as its size and hash. A run killed at
/// any moment leaves a journal that --undo reads.
class JournalWriter : public platform::ChangeSink {
 public:
  /// Writes through `real` (the journal is no change of the run's own).
  JournalWriter(platform::Platform& real, std::string library);

  /// Creates the journal under a new name; false with the reason (then no change may be
  /// made). A first Note starts it when this was not called.
  bool Start(std::string* error);

  bool Note(const platform::Change& change, std::string* error) override;

  /// Marks the end (finished, or interrupted by a signal) and makes the journal the last one
  /// in last.txt; a journal of a run that changed nothing is removed instead. False with the
  /// reason when either write failed; last.txt then names no journal rather than an older one.
  bool Finish(bool interrupted, std::string* error);

  /// The journal's path once started; empty when none is kept.
  const std::string& path() const { return path_; }
  /// The changes noted so far.
  std::size_t begun() const { return begun_; }

 private:
  struct Item {
    std::string before;  // the state before the run, in the form of `now`
    std::string now;     // the state the last note is to leave
    bool read_only_before = false;
  };
  bool Append(std::string_view bytes, std::string* error);
  bool AppendBlock(const std::string& head, const std::string* before, const std::string& tail,
                   std::string* error);

  platform::Platform& real_;
  std::string library_;
  std::string folder_;
  std::string path_;
  bool started_ = false;
  std::size_t begun_ = 0;
  std::map<std::string, Item> items_;  // by identity, upper-cased
  bool help_called_ = false;
};

/// The path of the last run's journal: the newest in the journal folder, so that of a run
/// killed before it could name itself in last.txt too.
bool LastJournal(platform::Platform& platform, std::string* path, std::string* error);

/// What became of one change on undo.
struct UndoItem {
  enum class Outcome { kRestored, kSkipped, kFailed, kNotUndone };
  Outcome outcome;
  std::string text;  ///< what it is and, unless restored, why
};

/// Puts back what a run changed, in reverse order, item by item. An item whose value or
/// file is no longer what the run left is skipped unless `force`; a folder the run made is
/// removed once empty, and left in place (skipped) when it still holds anything; help
/// registrations cannot be taken back through the services and are named as not undone.
/// Works through any platform: a dry-run change record shows what an undo would do.
std::vector<UndoItem> Undo(platform::Platform& platform, const Journal& journal, bool force);

}  // namespace integrate
