// tslkt-integrate's dry run, journal and undo on the console.
// Portable: no Win32 here.
#pragma once

#include <ostream>
#include <string>

#include "platform/change_record.h"

namespace integrate {

/// The command line's say over the change record.
struct ChangeOptions {
  bool dryRun = false;  ///< --dry-run: withhold every write, then list them
  bool undo = false;    ///< --undo [JOURNAL]: take a run back instead of integrating
  bool force = false;   ///< --force: undo items changed since the run as well
  std::string journal;  ///< the journal --undo names; empty for the last run's
};

/// Ends an integration run: a dry run lists the changes it withheld on `out`; a real run
/// that changed anything writes its journal and says where (or, on `err`, why it could
/// not).
void FinishRun(platform::ChangeRecord& record, const std::string& library, std::ostream& out,
               std::ostream& err);

/// Carries out --undo through the record (which withholds the writes of --undo --dry-run)
/// and returns the exit status: 0 all put back, 1 an item skipped or failed, 2 the journal
/// missing, damaged or not ours (nothing touched).
int RunUndo(platform::ChangeRecord& record, const ChangeOptions& options, std::ostream& out,
            std::ostream& err);

}  // namespace integrate
