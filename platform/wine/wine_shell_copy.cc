// The shell's folder copy as a recursive copy over a Wine prefix's drives: the copy planned over
// the host's files, then carried out step by step.
// A Wine prefix seen from Linux: no Wine code runs here.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "platform/copy_plan.h"
#include "platform/encoding.h"
#include "platform/text_mode.h"
#include "platform/wine/host_io.h"
#include "platform/wine/wine_files.h"
#include "platform/wine/wine_services.h"

namespace platform::wine {
namespace {

std::string Reason() { return std::strerror(errno); }

// The host's files as the copy plan reads them, in the drive form the caller speaks; each path
// maps as Wine maps it, so an entry of another case is the one merged into.
class HostView : public CopyView {
 public:
  explicit HostView(const Prefix& prefix) : prefix_(prefix) {}

  Kind KindOf(const std::string& path) override {
    struct stat st;
    if (!Stat(path, &st)) return Kind::kMissing;
    return S_ISDIR(st.st_mode) ? Kind::kFolder : Kind::kFile;
  }

  bool List(const std::string& folder, std::vector<FolderEntry>* entries,
            std::string* reason) override {
    std::string host;
    if (!prefix_.ToHostPath(folder, &host, reason)) return false;
    DIR* dir = opendir(host.c_str());
    if (!dir) {
      *reason = folder + " cannot be read: " + Reason();
      return false;
    }
    entries->clear();
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      // A link counts as what it leads to; a dangling one is a file CheckReadable refuses.
      struct stat st;
      const bool folder_entry = stat((host + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
      entries->push_back({Utf8ToAnsi(name), folder_entry});
    }
    closedir(dir);
    std::sort(entries->begin(), entries->end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return true;
  }

  bool SameOrInside(const std::string& inner, const std::string& outer) override {
    std::string a, b, ignored;
    if (!prefix_.ToHostPath(inner, &a, &ignored) || !prefix_.ToHostPath(outer, &b, &ignored)) {
      return false;
    }
    // A plan asks this of every folder it copies, all in a few folders, and changes nothing
    // while it is made.
    a = CanonicalHostPath(a, &canonical_);
    b = CanonicalHostPath(b, &canonical_);
    return a == b || a.rfind(b + "/", 0) == 0;
  }

  std::string FolderIdentity(const std::string& folder) override {
    struct stat st;
    if (!Stat(folder, &st)) return std::string();
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino);
  }

  bool CheckReadable(const std::string& file, std::string* reason) override {
    std::string host;
    if (!prefix_.ToHostPath(file, &host, reason)) return false;
    struct stat st;
    if (stat(host.c_str(), &st) != 0) {
      // A dangling link, or a chain of links too long to follow.
      *reason = file + " cannot be read: " + Reason();
      return false;
    }
    // A pipe or a device would block the copy or never end; Wine's shell skips them unseen.
    if (!S_ISREG(st.st_mode)) {
      *reason = file + " is neither a file nor a folder";
      return false;
    }
    const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
      *reason = file + " cannot be read: " + Reason();
      return false;
    }
    close(fd);
    return true;
  }

 private:
  bool Stat(const std::string& path, struct stat* st) {
    std::string host, ignored;
    return prefix_.ToHostPath(path, &host, &ignored) && stat(host.c_str(), st) == 0;
  }

  const Prefix& prefix_;
  std::map<std::string, std::string> canonical_;
};

class WineShellCopy : public ShellCopy {
 public:
  explicit WineShellCopy(std::shared_ptr<const Prefix> prefix) : prefix_(std::move(prefix)) {}

  bool Copy(const std::string& from, const std::string& to, std::string* error) override {
    // Planned whole before the first step, so a refused copy leaves nothing behind. The shell
    // under Wine reports success for "missing\*.*" or a folder copied into itself, having
    // copied nothing; a caller must learn that its files were not copied.
    HostView view(*prefix_);
    const CopyPlan plan = PlanShellCopy(from, to, view);
    std::string reason = plan.refusal;
    // Folders are made at once, not held with the step's files: the journal's notes of them
    // reach the disk first.
    if (!reason.empty() || !FlushHeldNotes(&reason) || !CarryOut(plan.steps, &reason)) {
      *error = "Cannot copy " + from + " to " + to + ": " + reason;
      return false;
    }
    return true;
  }

  bool CheckSource(const std::string& from, std::string* error) override {
    HostView view(*prefix_);
    const std::string refusal = SourceRefusal(from, view);
    if (refusal.empty()) return true;
    *error = "Cannot copy " + from + ": " + refusal;
    return false;
  }

 private:
  [[nodiscard]] bool CarryOut(const std::vector<CopyStep>& steps, std::string* reason) {
    for (const CopyStep& step : steps) {
      std::string to, from;
      if (!prefix_->ToHostPath(step.to, &to, reason)) return false;
      if (step.kind == CopyStep::Kind::kMakeFolder) {
        if (mkdir(to.c_str(), 0777) == 0) continue;
        // A folder someone made since the plan is merged into, as the shell merges.
        const int code = errno;
        struct stat st;
        if (code == EEXIST && stat(to.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) continue;
        *reason = FileError(kCannotCreateFolder, step.to,
                            code == EEXIST ? kFileInTheWay : std::strerror(code));
        return false;
      }
      if (!prefix_->ToHostPath(step.from, &from, reason) || !CopyHostFile(from, to, true, reason)) {
        *reason = FileError("Cannot copy " + step.from + " to", step.to, *reason);
        return false;
      }
    }
    return true;
  }

  std::shared_ptr<const Prefix> prefix_;
};

}  // namespace

std::unique_ptr<ShellCopy> NewWineShellCopy(std::shared_ptr<const Prefix> prefix) {
  return std::make_unique<WineShellCopy>(std::move(prefix));
}

}  // namespace platform::wine
