// The VC++ directory lists of Visual Studio .NET and .NET 2003 in the user's VCComponents.dat.
// Portable: no Win32 here.
#include "integrate/engine/directory_list.h"
#include "integrate/engine/integration_engine.h"
#include "integrate/engine/registry_values.h"
#include "integrate/engine/text_edit.h"
#include "integrate/engine/vsnet_versions.h"
#include "integrate/strings.h"

namespace integrate {
namespace {

constexpr char kShellFoldersKey[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kLocalAppDataValue[] = "Local AppData";

// The library folder each version links against.
std::string LibrarySubfolder(int versionCode) {
  switch (versionCode) {
    case 70:
      return "bin7";
    case 71:
      return "bin71";
    default:
      return "bin";
  }
}

// Whether the list of the first line holding `key` (from keyAt to lineEnd) takes `entry` (a
// folder followed by ';') as there already: anywhere in the file and case-sensitive, so another
// platform's list counts as well; or, since the IDE writes its lists without a final ';', as the
// folder standing last without one.
bool ListHolds(const std::string& text, std::size_t listStart, std::size_t lineEnd,
               const std::string& entry) {
  if (FindText(text, entry) != std::string::npos) return true;
  const std::string folder = entry.substr(0, entry.size() - 1);
  if (lineEnd - listStart > folder.size() &&
      text.compare(lineEnd - folder.size(), folder.size(), folder) == 0) {
    const char before = text[lineEnd - folder.size() - 1];
    if (before == ';' || before == '=') return true;
  }
  return false;
}

// The first line holding `key`: where its list starts (at the '=') and where the line ends.
// False when the key or its line end is missing.
bool FindListLine(const std::string& text, const std::string& key, std::size_t* listStart,
                  std::size_t* lineEnd) {
  const std::size_t keyAt = FindText(text, key);
  if (keyAt == std::string::npos) return false;
  *lineEnd = text.find('\n', keyAt);
  *listStart = keyAt + key.size();
  return *lineEnd != std::string::npos;
}

// Appends `entry` (a folder followed by ';') to the end of the first line holding `key`, unless the
// working text holds it already. False when the key or its line end is missing.
bool AddToList(std::string* text, const std::string& key, const std::string& entry) {
  std::size_t listStart = 0;
  std::size_t lineEnd = 0;
  if (!FindListLine(*text, key, &listStart, &lineEnd)) return false;
  if (ListHolds(*text, listStart, lineEnd, entry)) return true;
  const bool separated = lineEnd > 0 && (*text)[lineEnd - 1] == ';';
  text->insert(lineEnd, separated ? entry : ";" + entry);
  return true;
}

// Takes the folder of `entry` out of the list of the first line holding `key`; true when the
// line changed.
bool RemoveFromList(std::string* text, const std::string& key, const std::string& entry) {
  std::size_t listStart = 0;
  std::size_t lineEnd = 0;
  if (!FindListLine(*text, key, &listStart, &lineEnd)) return false;
  if (listStart < lineEnd && (*text)[listStart] == '=') ++listStart;
  const std::string list = text->substr(listStart, lineEnd - listStart);
  const std::string kept = RemoveFromDirectoryList(list, entry.substr(0, entry.size() - 1));
  if (kept == list) return false;
  text->replace(listStart, list.size(), kept);
  return true;
}

// The two entries a version's lists receive, each a folder followed by ';'.
std::string IncludeEntry(const std::string& installDir) {
  return installDir + LoadText(kStrLibraryName) + ";";
}
std::string LibraryEntry(const std::string& installDir, int versionCode) {
  return installDir + LibrarySubfolder(versionCode) + ";";
}

}  // namespace

bool IntegrationEngine::FindVcComponentsFile(std::string* path, const std::string& versionString) {
  auto key = platform_.registry->OpenKey(platform::RootKey::kCurrentUser, kShellFoldersKey,
                                         platform::KeyAccess::kRead);
  std::string localAppData;
  if (!key || !ReadFixedString(*key, kLocalAppDataValue, &localAppData)) return false;
  *path = Format("%s\\Microsoft\\VisualStudio\\%s\\VCComponents.dat", localAppData, versionString);
  return platform_.files->Exists(*path);
}

bool IntegrationEngine::AddVcComponentsDirectories(const std::string& path, int versionCode) {
  const std::string includeEntry = IncludeEntry(installDir_);
  const std::string libraryEntry = LibraryEntry(installDir_, versionCode);
  TextEdit edit(*platform_.files, path);
  if (path.empty() || !edit.Read()) return false;
  // Nothing is written unless both lists could take their entry.
  if (!AddToList(&edit.text(), LoadText(kStrIncludeDirsValue), includeEntry) ||
      !AddToList(&edit.text(), LoadText(kStrLibraryDirsValue), libraryEntry)) {
    return false;
  }
  return edit.Write();
}

bool IntegrationEngine::RemoveVcComponentsDirectories(const std::string& path, int versionCode) {
  TextEdit edit(*platform_.files, path);
  if (!edit.Read()) return false;
  const bool include =
      RemoveFromList(&edit.text(), LoadText(kStrIncludeDirsValue), IncludeEntry(installDir_));
  const bool library = RemoveFromList(&edit.text(), LoadText(kStrLibraryDirsValue),
                                      LibraryEntry(installDir_, versionCode));
  // Nothing of ours in the lists: the file stays as it is, line ends and all.
  return (!include && !library) || edit.Write();
}

ItemState IntegrationEngine::VcComponentsState(int versionCode) {
  const VsNetVersion* version = FindVsNetVersion(versionCode);
  std::string path;
  if (version == nullptr || !FindVcComponentsFile(&path, version->versionString)) {
    return ItemState::kNotIn;
  }
  TextEdit edit(*platform_.files, path);
  if (!edit.Read()) return ItemState::kNotIn;
  int present = 0;
  for (const auto& [key, entry] :
       {std::pair{LoadText(kStrIncludeDirsValue), IncludeEntry(installDir_)},
        std::pair{LoadText(kStrLibraryDirsValue), LibraryEntry(installDir_, versionCode)}}) {
    std::size_t listStart = 0;
    std::size_t lineEnd = 0;
    if (FindListLine(edit.text(), key, &listStart, &lineEnd) &&
        ListHolds(edit.text(), listStart, lineEnd, entry)) {
      ++present;
    }
  }
  return present == 2 ? ItemState::kIn : present == 1 ? ItemState::kPartlyIn : ItemState::kNotIn;
}

}  // namespace integrate
