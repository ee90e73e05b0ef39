// tslkt-integrate's dry-run listing, the journal a run leaves and --undo, on the console.
// Portable: no Win32 here.
#include "integrate/console/change_commands.h"

#include <ctime>

#include "integrate/journal.h"
#include "platform/change_list.h"
#include "platform/encoding.h"

namespace integrate {
namespace {

const char kProgram[] = "tslkt-integrate";

std::string Now() {
  const std::time_t now = std::time(nullptr);
  char text[32] = "";
  if (const std::tm* local = std::localtime(&now)) {
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", local);
  }
  return text;
}

bool AnyChange(const std::vector<platform::Change>& changes) {
  for (const platform::Change& change : changes) {
    if (platform::Changed(change)) return true;
  }
  return false;
}

void PrintChanges(const platform::ChangeRecord& record, std::ostream& out) {
  if (!AnyChange(record.changes())) {
    out << "\nNothing would change.\n";
    return;
  }
  out << "\nChanges it would make (nothing was written):\n"
      << platform::AnsiToUtf8(platform::DescribeChanges(record.changes()));
}

}  // namespace

void FinishRun(platform::ChangeRecord& record, const std::string& library, std::ostream& out,
               std::ostream& err) {
  if (record.mode() == platform::ChangeRecord::Mode::kDryRun) {
    PrintChanges(record, out);
    return;
  }
  if (!AnyChange(record.changes())) return;
  Journal journal{library, Now(), record.changes()};
  std::string path, error;
  // The journal itself is no change of the run's: it goes to the real services.
  if (WriteJournal(record.real(), journal, &path, &error)) {
    out << "\nJournal: " << platform::AnsiToUtf8(path) << "\n"
        << "(" << kProgram << " --undo takes this run back)\n";
  } else {
    err << kProgram
        << ": the journal of this run could not be written: " << platform::AnsiToUtf8(error)
        << "\n";
  }
}

int RunUndo(platform::ChangeRecord& record, const ChangeOptions& options, std::ostream& out,
            std::ostream& err) {
  platform::Platform& real = record.real();
  std::string path, error, bytes;
  if (options.journal.empty()) {
    if (!LastJournal(real, &path, &error)) {
      err << kProgram << ": nothing to undo: " << platform::AnsiToUtf8(error) << "\n";
      return 2;
    }
  } else {
    path = real.files->FromUserPath(options.journal);
  }
  Journal journal;
  if (!real.files->ReadBinaryFile(path, &bytes, &error) ||
      !DecodeJournal(bytes, &journal, &error)) {
    err << kProgram << ": cannot undo from " << platform::AnsiToUtf8(path) << ": "
        << platform::AnsiToUtf8(error) << "; nothing was changed\n";
    return 2;
  }
  const bool dry = record.mode() == platform::ChangeRecord::Mode::kDryRun;
  out << (dry ? "Undo (dry run) of the run of " : "Undo of the run of ") << journal.time
      << ", library " << platform::AnsiToUtf8(journal.library)
      << "\nJournal: " << platform::AnsiToUtf8(path) << "\n";
  bool complete = true;
  for (const UndoItem& item : Undo(record.services(), journal, options.force)) {
    const char* mark = "";
    switch (item.outcome) {
      case UndoItem::Outcome::kRestored:
        mark = "\xE2\x9C\x93 ";
        break;  // U+2713
      case UndoItem::Outcome::kSkipped:
        mark = "\xE2\x9C\x97 skipped: ";
        break;  // U+2717
      case UndoItem::Outcome::kFailed:
        mark = "\xE2\x9C\x97 failed: ";
        break;
      case UndoItem::Outcome::kNotUndone:
        mark = "- not undone: ";
        break;
    }
    complete = complete && (item.outcome == UndoItem::Outcome::kRestored ||
                            item.outcome == UndoItem::Outcome::kNotUndone);
    out << mark << platform::AnsiToUtf8(item.text) << "\n";
  }
  if (dry) PrintChanges(record, out);
  return complete ? 0 : 1;
}

}  // namespace integrate
