// tslkt-integrate's dry run, journal and undo on the console.
// Portable: no Win32 here.
#pragma once

#include <ostream>
#include <string>

#include "integrate/journal.h"
#include "platform/change_record.h"

namespace integrate {

/// The command line's say over the change record.
struct ChangeOptions {
  bool dryRun = false;  ///< --dry-run: withhold every write, then list them
  bool undo = false;    ///< --undo [JOURNAL]: take a run back instead of integrating
  bool force = false;   ///< --force: undo items changed since the run as well
  std::string journal;  ///< the journal --undo names; empty for the last run's
  bool noJournal = false;  ///< --no-journal: go on when the journal cannot be started
};

/// Whether any of the changes left something other than it found (a file rewritten with its own
/// bytes is no change).
bool AnyChange(const std::vector<platform::Change>& changes);

/// Ends an integration run: a dry run lists the changes it withheld on `out`; a real run
/// marks the end of its journal (`journal` null when it ran without one) and, when it
/// changed anything, says where it is. False, having said why on `err`, when the journal
/// could not be finished: the run cannot be relied on to be taken back.
[[nodiscard]] bool FinishRun(platform::ChangeRecord& record, JournalWriter* journal, std::ostream& out,
               std::ostream& err);

/// Carries out --undo through the record (which withholds the writes of --undo --dry-run)
/// and returns the exit status: 0 all put back, 1 an item skipped or failed, 2 the journal
/// missing, damaged or not ours (nothing touched).
[[nodiscard]] int RunUndo(platform::ChangeRecord& record, const ChangeOptions& options, std::ostream& out,
            std::ostream& err);

}  // namespace integrate
