// tslkt-integrate's dry-run listing, the journal a run leaves and --undo, on the console.
// Portable: no Win32 here.
#include "integrate/console/change_commands.h"

#include "integrate/console/exit_status.h"
#include "integrate/journal.h"
#include "integrate/strings.h"
#include "platform/change_list.h"
#include "platform/encoding.h"
#include "platform/windows_path.h"

namespace integrate {
namespace {

const char kProgram[] = "tslkt-integrate";

void PrintChanges(const platform::ChangeRecord& record, std::ostream& out) {
  if (!AnyChange(record.changes())) {
    out << '\n' << LoadText(kStrNothingWouldChange) << '\n';
    return;
  }
  out << '\n'
      << LoadText(kStrChangesWouldMake) << '\n'
      << platform::AnsiToUtf8(platform::DescribeChanges(record.changes()));
}

}  // namespace

bool AnyChange(const std::vector<platform::Change>& changes) {
  for (const platform::Change& change : changes) {
    if (platform::Changed(change)) return true;
  }
  return false;
}

bool FinishRun(platform::ChangeRecord& record, JournalWriter* journal, std::ostream& out,
               std::ostream& err) {
  if (record.mode() == platform::ChangeRecord::Mode::kDryRun) {
    PrintChanges(record, out);
    return true;
  }
  if (!journal) return true;
  std::string error;
  if (!journal->Finish(false, &error)) {
    err << kProgram << ": " << platform::AnsiToUtf8(FormatText(kStrJournalNotWritten, error))
        << '\n';
    return false;
  }
  if (journal->path().empty()) return true;  // nothing changed
  out << '\n'
      << platform::AnsiToUtf8(FormatText(kStrJournalWritten, journal->path())) << '\n'
      << LoadText(kStrJournalUndoHint) << '\n';
  return true;
}

int RunUndo(platform::ChangeRecord& record, const ChangeOptions& options, std::ostream& out,
            std::ostream& err) {
  platform::Platform& real = record.real();
  std::string path, error, bytes;
  if (options.journal.empty()) {
    if (!LastJournal(real, &path, &error)) {
      err << kProgram << ": " << platform::AnsiToUtf8(FormatText(kStrUndoNothing, error)) << '\n';
      return kExitUsage;
    }
  } else {
    path = real.files->FromUserPath(options.journal);
  }
  Journal journal;
  if (!real.files->ReadBinaryFile(path, &bytes, &error) ||
      !DecodeJournal(bytes, &journal, &error)) {
    err << kProgram << ": " << platform::AnsiToUtf8(FormatText(kStrUndoCannotRead, path, error))
        << '\n';
    return kExitUsage;
  }
  // A run killed while it named its journal in last.txt left that file's temporary; one that
  // cannot be removed harms nothing the undo does, which goes on.
  (void)record.services().files->RemoveLeftovers(platform::ParentPath(path), &error);
  const bool dry = record.mode() == platform::ChangeRecord::Mode::kDryRun;
  out << platform::AnsiToUtf8(
             FormatText(dry ? kStrUndoDryHeading : kStrUndoHeading, journal.time, journal.library))
      << '\n'
      << platform::AnsiToUtf8(FormatText(kStrJournalWritten, path)) << '\n';
  if (!journal.finished) {
    out << FormatText(kStrUndoInterrupted, std::to_string(journal.begun)) << '\n';
  }
  bool complete = true;
  for (const UndoItem& item : Undo(record.services(), journal, options.force)) {
    // The marks are the progress lines' own (U+2713, U+2717), outside the code page.
    const char* mark = "\xE2\x9C\x97 ";
    std::string text = item.text;
    switch (item.outcome) {
      case UndoItem::Outcome::kRestored:
        mark = "\xE2\x9C\x93 ";
        break;
      case UndoItem::Outcome::kSkipped:
        text = FormatText(kStrUndoSkipped, item.text);
        break;
      case UndoItem::Outcome::kFailed:
        text = FormatText(kStrUndoFailed, item.text);
        break;
      case UndoItem::Outcome::kNotUndone:
        mark = "- ";
        text = FormatText(kStrUndoNotUndone, item.text);
        break;
    }
    complete = complete && (item.outcome == UndoItem::Outcome::kRestored ||
                            item.outcome == UndoItem::Outcome::kNotUndone);
    out << mark << platform::AnsiToUtf8(text) << '\n';
  }
  if (dry) PrintChanges(record, out);
  return complete ? kExitCompleted : kExitFailed;
}

}  // namespace integrate
