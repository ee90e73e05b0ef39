// The journal a real run keeps on the disk ahead of each change.
// Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <string_view>

#include "platform/change_record.h"
#include "platform/platform.h"

namespace integrate {

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
  [[nodiscard]] bool Start(std::string* error);

  [[nodiscard]] bool Note(const platform::Change& change, std::string* error) override;

  /// Marks the end (finished, or interrupted by a signal) and makes the journal the last one
  /// in last.txt; a journal of a run that changed nothing is removed instead. False with the
  /// reason when either write failed; last.txt then names no journal rather than an older one.
  [[nodiscard]] bool Finish(bool interrupted, std::string* error);

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
  [[nodiscard]] bool Append(std::string_view bytes, std::string* error);
  [[nodiscard]] bool AppendBlock(const std::string& head, const std::string* before, const std::string& tail,
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

}  // namespace integrate
