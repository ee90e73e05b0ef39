// The shell's copy planned over a read-only view of a file system.
// Portable: no Win32 here.
#include "platform/copy_plan.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/encoding.h"
#include "platform/windows_path.h"

namespace platform {
namespace {

constexpr char kInsideSource[] = "the destination lies inside the source folder";

// "C:\src\*.*" names the entries of C:\src; "C:\src\" the folder itself.
struct Source {
  explicit Source(const std::string& from)
      : path(WithoutTrailingSeparators(from)),
        last(FileName(path)),
        wildcard(last.find_first_of("*?") != std::string::npos),
        root(wildcard ? ParentPath(path) : path) {}
  std::string path;
  std::string last;
  bool wildcard;
  std::string root;  // the folder whose entries a wildcard takes, else the source itself
};

// Listed names come in the code page: a character it cannot spell arrives as '?', and a host
// name may hold what no Windows name can ('\' above all, which would split the path). Such an
// entry could be neither copied under its name nor read back.
bool WindowsCanHold(const std::string& name) {
  return std::none_of(name.begin(), name.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c) != nullptr;
  });
}

// Walks what the copy will read. `inside` holds the folders being copied around the one walked,
// by identity: a link to any of them would be copied inside itself without end.
bool CheckFolder(const std::string& folder, const std::string& pattern, CopyView& view,
                 std::vector<std::string>* inside, std::string* refusal) {
  std::vector<FolderEntry> entries;
  if (!view.List(folder, &entries, refusal)) return false;
  for (const FolderEntry& entry : entries) {
    if (!MatchesShellPattern(entry.name, pattern)) continue;
    const std::string path = JoinPath(folder, entry.name);
    if (!WindowsCanHold(entry.name)) {
      *refusal = path + " has a name Windows-1252 cannot spell or Windows cannot hold";
      return false;
    }
    if (!entry.folder) {
      if (!view.CheckReadable(path, refusal)) return false;
      continue;
    }
    const std::string id = view.FolderIdentity(path);
    if (!id.empty() && std::find(inside->begin(), inside->end(), id) != inside->end()) {
      *refusal = path + " leads back into a folder being copied";
      return false;
    }
    inside->push_back(id);
    const bool ok = CheckFolder(path, "*", view, inside, refusal);
    inside->pop_back();
    if (!ok) return false;
  }
  return true;
}

class Planner {
 public:
  Planner(CopyView& view, CopyPlan& plan) : view_(view), plan_(plan) {}

  [[nodiscard]] bool Copy(const std::string& from, const std::string& to) {
    const Source source(from);
    if (source.wildcard) return Contents(source.root, source.last, to);
    const bool folder = view_.KindOf(source.path) == CopyView::Kind::kFolder;
    std::string target = to;
    const CopyView::Kind to_kind = view_.KindOf(to);
    if (to_kind == CopyView::Kind::kFolder) {
      // Named as typed; an existing entry of another case is merged into.
      target = JoinPath(to, source.last);
    } else if (to_kind == CopyView::Kind::kFile && folder) {
      return Refuse("the destination is a file");
    }
    if (!folder) return Folders(ParentPath(target)) && File(source.path, target);
    if (view_.SameOrInside(target, source.path)) return Refuse(kInsideSource);
    return Folders(target) && Contents(source.path, "*", target);
  }

 private:
  [[nodiscard]] bool Refuse(const std::string& reason) {
    plan_.refusal = reason;
    return false;
  }

  // The entries of `source` that match `pattern`, into `target`, which is made once there is
  // something to copy.
  [[nodiscard]] bool Contents(const std::string& source, const std::string& pattern,
                              const std::string& target) {
    std::vector<FolderEntry> entries;
    if (!view_.List(source, &entries, &plan_.refusal)) return false;
    bool made = false;
    for (const FolderEntry& entry : entries) {
      if (!MatchesShellPattern(entry.name, pattern)) continue;
      const std::string from = JoinPath(source, entry.name);
      if (entry.folder && view_.SameOrInside(target, from)) return Refuse(kInsideSource);
      if (!made && !Folders(target)) return false;
      made = true;
      const std::string to = JoinPath(target, entry.name);
      const bool ok = entry.folder ? Folders(to) && Contents(from, "*", to) : File(from, to);
      if (!ok) return false;
    }
    return true;
  }

  [[nodiscard]] bool File(const std::string& from, const std::string& to) {
    if (view_.KindOf(to) == CopyView::Kind::kFolder) return Refuse(to + " is a folder");
    plan_.steps.push_back({CopyStep::Kind::kCopyFile, from, to});
    return true;
  }

  // The folders on the way to `path` that neither exist nor are planned, made outermost first.
  [[nodiscard]] bool Folders(const std::string& path) {
    std::vector<std::string> missing;
    for (std::string folder = WithoutTrailingSeparators(path); folder.size() > 3;
         folder = ParentPath(folder)) {
      if (planned_.count(AnsiToUpper(folder))) break;
      const CopyView::Kind kind = view_.KindOf(folder);
      if (kind == CopyView::Kind::kFolder) break;
      if (kind == CopyView::Kind::kFile) return Refuse(folder + " is a file");
      missing.push_back(folder);
    }
    for (auto folder = missing.rbegin(); folder != missing.rend(); ++folder) {
      planned_.insert(AnsiToUpper(*folder));
      plan_.steps.push_back({CopyStep::Kind::kMakeFolder, std::string(), *folder});
    }
    return true;
  }

  CopyView& view_;
  CopyPlan& plan_;
  std::set<std::string> planned_;  // upper-cased: names compare ignoring case
};

}  // namespace

bool MatchesShellPattern(const std::string& name, const std::string& pattern) {
  if (pattern == "*.*" || pattern == "*") return true;
  const std::string n = AnsiToUpper(name), p = AnsiToUpper(pattern);
  std::size_t ni = 0, pi = 0, star = std::string::npos, mark = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
      ++ni, ++pi;
    } else if (pi < p.size() && p[pi] == '*') {
      star = pi++, mark = ni;
    } else if (star != std::string::npos) {
      pi = star + 1, ni = ++mark;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == '*') ++pi;
  return pi == p.size();
}

std::string SourceRefusal(const std::string& from, CopyView& view) {
  const Source source(from);
  const CopyView::Kind kind = view.KindOf(source.root);
  if (kind == CopyView::Kind::kMissing) return "the source does not exist";
  std::string refusal;
  if (kind == CopyView::Kind::kFile) {
    if (source.wildcard) return "the source is not a folder";
    return view.CheckReadable(source.root, &refusal) ? std::string() : refusal;
  }
  std::vector<std::string> inside{view.FolderIdentity(source.root)};
  const bool ok =
      CheckFolder(source.root, source.wildcard ? source.last : "*", view, &inside, &refusal);
  return ok ? std::string() : refusal;
}

CopyPlan PlanShellCopy(const std::string& from, const std::string& to, CopyView& view) {
  CopyPlan plan;
  plan.refusal = SourceRefusal(from, view);
  const bool planned = plan.refusal.empty() && Planner(view, plan).Copy(from, to);
  if (!planned) plan.steps.clear();
  return plan;
}

}  // namespace platform
