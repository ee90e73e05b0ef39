// The journal of an integration run and the undo that reads it.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

#include "platform/change_record.h"
#include "platform/platform.h"

namespace integrate {

/// A run's journal: its changes with what stood there before, so the run can be taken back.
struct Journal {
  std::string library;  ///< the install folder the run integrated
  std::string time;     ///< when the run ended, "2026-12-08 18:20:00" local time
  std::vector<platform::Change> changes;
};

/// The journal's bytes: a header naming the program and format, the changes as
/// length-prefixed fields (any bytes may stand in a file's contents) and a closing line with
/// their number and a checksum, so a truncated or altered journal is told from a whole one.
std::string EncodeJournal(const Journal& journal);

/// Reads journal bytes back; false with the reason when they are not a journal of ours or are
/// damaged (cut short, altered).
bool DecodeJournal(const std::string& bytes, Journal* journal, std::string* error);

/// Where the journals live: "<Local AppData>\Quorvane\Tessaline\Journals", from the user's
/// shell folders (inside the prefix on Linux).
bool JournalFolder(platform::Platform& platform, std::string* folder, std::string* error);

/// Writes the journal of a run with changes into the journal folder under a new name and
/// makes it the last one; *path is where it went.
bool WriteJournal(platform::Platform& platform, const Journal& journal, std::string* path,
                  std::string* error);

/// Keeps the journal of a real run that changed anything: the changes `record` holds, written
/// through its real services. True with an empty *path when there was nothing to keep (a dry run,
/// or nothing changed); false with the reason when the journal could not be written.
bool KeepJournal(platform::ChangeRecord& record, const std::string& library, std::string* path,
                 std::string* error);

/// The path of the last run's journal.
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
