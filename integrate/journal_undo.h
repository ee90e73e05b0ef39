// The undo that reads a journal.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

#include "integrate/journal_format.h"
#include "platform/platform.h"

namespace integrate {

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
