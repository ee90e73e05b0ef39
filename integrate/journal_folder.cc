// Where the journals live and which is the last run's.
// Portable: no Win32 here.
#include "integrate/journal_folder.h"

#include <utility>
#include <vector>

#include "integrate/engine/registry_values.h"
#include "integrate/strings.h"
#include "platform/windows_path.h"

namespace integrate {
namespace {

const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

// "integrate-20261208-183233-2.jnl" -> ("20261208-183233", 2): the order runs were started in.
bool JournalOrder(const std::string& name, std::pair<std::string, long>* order) {
  const std::string prefix = "integrate-", suffix = ".jnl";
  if (name.size() < prefix.size() + 15 + suffix.size() || name.compare(0, prefix.size(), prefix) ||
      name.compare(name.size() - suffix.size(), suffix.size(), suffix)) {
    return false;
  }
  const std::string stem = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
  order->first = stem.substr(0, 15);
  order->second = 1;
  if (stem.size() > 15) {
    if (stem[15] != '-' || stem.size() > 24) return false;
    order->second = 0;
    for (std::size_t i = 16; i < stem.size(); ++i) {
      if (stem[i] < '0' || stem[i] > '9') return false;
      order->second = order->second * 10 + (stem[i] - '0');
    }
  }
  return true;
}

}  // namespace

const char kLastJournalName[] = "last.txt";

bool JournalFolder(platform::Platform& platform, std::string* folder, std::string* error) {
  auto key = platform.registry->OpenKey(platform::RootKey::kCurrentUser, kShellFolders,
                                        platform::KeyAccess::kRead);
  std::string local;
  if (!key || platform::ReadStringValue(*key, "Local AppData", &local) != platform::RegResult::kOk || local.empty()) {
    *error = FormatText(kStrJournalNoLocalAppData, kShellFolders);
    return false;
  }
  *folder = platform::JoinPath(local, "Quorvane\\Tessaline\\Journals");
  return true;
}

bool LastJournal(platform::Platform& platform, std::string* path, std::string* error) {
  std::string folder;
  if (!JournalFolder(platform, &folder, error)) return false;
  std::string name;
  std::string ignored;
  // A missing or unreadable last.txt names nothing; the folder's listing still finds the newest.
  (void)platform.files->ReadTextLines(
      platform::JoinPath(folder, kLastJournalName),
      [&](const std::string& line) {
        name = line;
        return false;
      },
      &ignored);
  if (name.find_first_of("\\/:") != std::string::npos) name.clear();
  // A run killed before it finished never named its journal in last.txt; it is the newest.
  std::pair<std::string, long> newest, order;
  const bool named = JournalOrder(name, &newest);
  if (!named) newest = {std::string(), 0};
  std::vector<platform::FolderEntry> entries;
  if (platform.files->ListFolder(folder, &entries, &ignored)) {
    for (const platform::FolderEntry& entry : entries) {
      if (entry.folder || !JournalOrder(entry.name, &order) || order <= newest) continue;
      newest = order;
      name = entry.name;
    }
  }
  if (name.empty()) {
    *error = FormatText(kStrJournalNoneEarlier, folder);
    return false;
  }
  *path = platform::JoinPath(folder, name);
  return true;
}

}  // namespace integrate
