// The journal's bytes: what a run's journal holds and how it is written and read back.
// Portable: no Win32 here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/change_record.h"

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
[[nodiscard]] bool DecodeJournal(const std::string& bytes, Journal* journal, std::string* error);

// The pieces JournalWriter appends one by one, so that what EncodeJournal writes whole and
// what a run writes as it goes are the same bytes.

/// The line a journal of this format opens with.
extern const char kJournalHeader[];

/// A block's checksum, summed over its pieces as they go so that a file's old bytes need not
/// be copied into one string first.
class BlockSum {
 public:
  void Add(std::string_view piece);
  std::uint64_t value() const { return hash_; }
  /// The "sum" field that closes the block.
  std::string Close() const;

 private:
  std::uint64_t hash_ = 14695981039346656037ull;  // FNV-1a
};

/// One field: "name length:value\n".
std::string JournalField(const char* name, const std::string& value);
/// `fields` closed by their checksum.
std::string SummedBlock(std::string fields);
/// The block after the header line: the library and the time the run started.
std::string HeaderBlock(const std::string& library, const std::string& time);
/// The end mark, with the count of changes begun.
std::string EndBlock(std::size_t changes, bool finished);

/// The fields of a change's block; `first` adds what stood there before (a file's old bytes go
/// separately, after the returned fields and *before_head, the head of their own field).
std::string ChangeFields(const platform::Change& change, bool first, std::string* before_head);
/// What closes a file's block after its old bytes: what the run is to leave there.
std::string FileTail(const platform::Change& change);

/// The item a change is to, upper-cased, so two notes of one value or file meet; "" for a
/// help call, which has none.
std::string ItemIdentity(const platform::Change& change);
/// The state an item is in, as a journal compares states: a value's text, a folder's presence
/// (a file's is its digest, "" when there is none).
std::string ValueState(bool exists, const std::string& value);
std::string FolderState(bool exists);

}  // namespace integrate
