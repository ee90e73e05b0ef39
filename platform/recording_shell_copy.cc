// The change record's shell copy: the copy planned over what the run sees, each step it takes a
// change of the record.
// Portable: no Win32 here.
#include <memory>
#include <string>
#include <vector>

#include "platform/copy_plan.h"
#include "platform/recording.h"
#include "platform/recording_files.h"

namespace platform {
namespace {

// The files as the run sees them: a dry run's own writes included.
class RecordView : public CopyView {
 public:
  explicit RecordView(RecordingFiles& files) : files_(files) {}

  Kind KindOf(const std::string& path) override {
    if (!files_.Exists(path)) return Kind::kMissing;
    return files_.IsFolder(path) ? Kind::kFolder : Kind::kFile;
  }

  bool List(const std::string& folder, std::vector<FolderEntry>* entries,
            std::string* reason) override {
    return files_.ListFolder(folder, entries, reason);
  }

  bool SameOrInside(const std::string& inner, const std::string& outer) override {
    const std::string a = FileIdentity(inner), b = FileIdentity(outer);
    return a == b || a.compare(0, b.size() + 1, b + "\\") == 0;
  }

  // Links are for the real shell's CheckSource, which the record asks first.
  std::string FolderIdentity(const std::string&) override { return std::string(); }

  // Each source is read whole before the first step, and the copy refused if one cannot be.
  bool CheckReadable(const std::string&, std::string*) override { return true; }

 private:
  RecordingFiles& files_;
};

}  // namespace

// The shell's copy, taken file by file: each file it creates or replaces is a file change with
// its source, each folder it makes a folder change. A dry run carries the plan out in the record;
// a real run has the shell copy and reads each file back.
class RecordingShellCopy : public ShellCopy {
 public:
  RecordingShellCopy(ChangeRecord& record, RecordingFiles& files)
      : record_(record), files_(files) {}

  bool Copy(const std::string& from, const std::string& to, std::string* error) override {
    platform::ShellCopy& shell = *record_.real_.shell;
    const std::string what = "Cannot copy " + from + " to " + to;
    // The shell's own refusals of its source (a link back into a folder being copied, an entry
    // that cannot be read) come first, so a dry run fails as the copy would.
    if (!shell.CheckSource(from, error)) return false;
    // A copy the rules refuse is refused in a real run as well, without reaching the shell:
    // Wine's shell reports success for a missing source or a target inside the source, having
    // copied nothing, and Windows' refuses both.
    RecordView view(files_);
    CopyPlan plan = PlanShellCopy(from, to, view);
    if (!plan.refusal.empty()) {
      *error = what + ": " + plan.refusal;
      return false;
    }
    const std::vector<CopyStep>& steps = plan.steps;
    // What stood at each target, and each source's bytes, before anything is copied.
    std::vector<Change> befores(steps.size());
    std::vector<std::string> sources(steps.size());
    std::vector<bool> existed(steps.size(), false);
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const CopyStep& step = steps[i];
      existed[i] = files_.Exists(step.to);
      if (IsFolder(step)) continue;
      // A file the record cannot read could be neither noted nor read back: the copy is
      // refused, in a dry run and a real one alike, rather than handed to the shell unrecorded.
      std::string read_error;
      if (!files_.ReadBinaryFile(step.from, &sources[i], &read_error)) {
        *error = what + ": " + read_error;
        return false;
      }
      if (!files_.Snapshot(step.to, true, what, &befores[i], error)) return false;
    }
    if (files_.dry()) {
      // The shell replaces read-only files; a folder that takes no new files it cannot.
      for (const CopyStep& step : steps) {
        std::string refusal;
        if (!files_.real().CheckWritable(step.to, &refusal)) {
          *error = what + ": " + refusal;
          return false;
        }
      }
      for (std::size_t i = 0; i < steps.size(); ++i) {
        const CopyStep& step = steps[i];
        if (IsFolder(step)) {
          files_.MadeFolder(step.to);
          continue;
        }
        record_.files_[FileIdentity(step.to)] = {true, sources[i], files_.IsReadOnly(step.from),
                                                 step.to};
        files_.Record(step.to, std::move(befores[i]), sources[i]).source = step.from;
      }
      return true;
    }
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const CopyStep& step = steps[i];
      const bool noted = IsFolder(step)
                             ? existed[i] || files_.NoteFolder(step.to, false, true, error)
                             : files_.NoteFile(step.to, &befores[i], true,
                                               ContentDigest(sources[i]), step.from, error);
      if (!noted) return false;
    }
    const bool copied = shell.Copy(from, to, error);
    // Whatever the shell did, done or half done, is noted, so an undo can take it back; each
    // file is read back once, for the note and to hold it to its source.
    std::string mismatch;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      const CopyStep& step = steps[i];
      const bool exists = files_.real().Exists(step.to);
      if (!exists && mismatch.empty()) {
        mismatch = "After copying " + from + " to " + to + ", " + step.to + " does not exist.";
      }
      if (IsFolder(step)) {
        if (!existed[i] && exists) files_.MadeFolder(step.to);
        continue;
      }
      if (!exists && !befores[i].existed && !record_.Recorded(FileIdentity(step.to))) continue;
      Change& change = files_.Record(step.to, std::move(befores[i]), std::string());
      change.source = step.from;
      change.exists_after = exists && files_.ReadBytes(step.to, &change.after);
      if (exists && mismatch.empty()) {
        mismatch = CopyMismatch(step.from, step.to, sources[i],
                                change.exists_after ? &change.after : nullptr);
      }
      record_.Shed(change);
    }
    if (!copied) return false;
    return mismatch.empty() || record_.Mismatch(mismatch, error);
  }

  bool CheckSource(const std::string& from, std::string* error) override {
    return record_.real_.shell->CheckSource(from, error);
  }

 private:
  static bool IsFolder(const CopyStep& step) { return step.kind == CopyStep::Kind::kMakeFolder; }

  ChangeRecord& record_;
  RecordingFiles& files_;
};

std::unique_ptr<ShellCopy> NewRecordingShellCopy(ChangeRecord& record, RecordingFiles& files) {
  return std::make_unique<RecordingShellCopy>(record, files);
}

}  // namespace platform
