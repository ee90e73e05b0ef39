// The VC++ directory lists of Visual Studio .NET and .NET 2003 in the user's VCComponents.dat.
// Portable: no Win32 here.
#include "integrate/engine/integration_engine.h"
#include "integrate/engine/registry_values.h"
#include "integrate/engine/text_edit.h"
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

// Appends `entry` (a folder followed by ';') to the end of the first line holding `key`, unless the
// working text holds it already. False when the key or its line end is missing.
bool AddToList(std::string* text, const std::string& key, const std::string& entry) {
  const std::size_t keyAt = FindText(*text, key);
  if (keyAt == std::string::npos) return false;
  const std::size_t lineEnd = text->find('\n', keyAt);
  if (lineEnd == std::string::npos) return false;
  // Anywhere in the file and case-sensitive: another platform's list counts as well.
  if (FindText(*text, entry) != std::string::npos) return true;
  // The IDE writes its lists without a final ';', so our folder may stand last without one.
  const std::string folder = entry.substr(0, entry.size() - 1);
  const std::size_t listStart = keyAt + key.size();
  if (lineEnd - listStart > folder.size() &&
      text->compare(lineEnd - folder.size(), folder.size(), folder) == 0) {
    const char before = (*text)[lineEnd - folder.size() - 1];
    if (before == ';' || before == '=') return true;
  }
  const bool separated = lineEnd > 0 && (*text)[lineEnd - 1] == ';';
  text->insert(lineEnd, separated ? entry : ";" + entry);
  return true;
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
  const std::string includeEntry = installDir_ + LoadText(kStrLibraryName) + ";";
  const std::string libraryEntry = installDir_ + LibrarySubfolder(versionCode) + ";";
  TextEdit edit(*platform_.files, path);
  if (path.empty() || !edit.Read()) return false;
  // Nothing is written unless both lists could take their entry.
  if (!AddToList(&edit.text(), LoadText(kStrIncludeDirsValue), includeEntry) ||
      !AddToList(&edit.text(), LoadText(kStrLibraryDirsValue), libraryEntry)) {
    return false;
  }
  return edit.Write();
}

}  // namespace integrate
