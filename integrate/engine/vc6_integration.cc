// The Visual C++ 6.0 integration: its folders, the Service Pack 3 check, the lists, the wizards.
// Portable: no Win32 here.
#include <cstdlib>

#include "integrate/engine/integration_engine.h"
#include "integrate/engine/registry_values.h"
#include "integrate/strings.h"
#include "platform/windows_path.h"

namespace integrate {

using platform::KeyAccess;
using platform::RootKey;

namespace {

constexpr long kServicePack3Build = 8447;

// The build number of a "6.00.8447.0" file version: the third of its dot-separated parts,
// converted as strtol does. False when the text has fewer than two dots.
bool BuildNumberOf(const std::string& fileVersion, long* build) {
  std::size_t lastDot = fileVersion.rfind('.');
  if (lastDot == std::string::npos) return false;
  std::string rest = fileVersion.substr(0, lastDot);
  std::size_t dot = rest.rfind('.');
  if (dot == std::string::npos) return false;
  *build = std::strtol(rest.c_str() + dot + 1, nullptr, 10);
  return true;
}

}  // namespace

bool IntegrationEngine::GetVc6InstallDir(std::string* dir) {
  dir->clear();
  auto key = platform_.registry->OpenKey(RootKey::kCurrentUser,
                                         LoadText(kStrVc6SharedDirectoriesKey), KeyAccess::kRead);
  if (!key) {
    dialog_->ShowMessage(LoadText(kStrDevStudioNotFound));
    return false;
  }
  std::string value;
  if (!ReadFixedString(*key, LoadText(kStrVc6InstallDirsValue), &value)) {
    dialog_->ShowMessage(LoadText(kStrVc6NotFound));
    return false;
  }
  // "Install Dirs" names the Bin folder; the shared folder is its parent.
  *dir = FolderOfInstallValue(value);
  return !dir->empty();
}

ServicePackAnswer IntegrationEngine::HasVc6ServicePack3() {
  auto info = platform_.versions->Load(platform::JoinPath(GetSystemDirectoryPath(), "mfc42d.dll"));
  if (!info) return ServicePackAnswer::kUndetermined;
  for (const platform::Translation& t : info->Translations()) {
    std::string fileVersion;
    if (!info->QueryString(
            Format("\\StringFileInfo\\%04x%04x\\FileVersion", static_cast<unsigned>(t.language),
                   static_cast<unsigned>(t.code_page)),
            &fileVersion)) {
      continue;
    }
    long build = 0;
    if (!BuildNumberOf(fileVersion, &build)) continue;
    return build >= kServicePack3Build ? ServicePackAnswer::kYes : ServicePackAnswer::kNo;
  }
  return ServicePackAnswer::kUndetermined;
}

bool IntegrationEngine::IntegrateVc6(bool directories, bool appWizard, bool skinWizard, bool help) {
  if (!directories && !appWizard && !skinWizard && !help) return true;
  if (installDir_.empty()) return false;
  templateFolderKnown_ = false;

  // The help collection is not the IDE's own data, so it is edited before the IDE is
  // looked for and whether or not it runs.
  if (help && HelpFilesPresent()) {
    dialog_->AddLine(kStrMsdnIntegrationLine);
    if (!IntegrateMsdnHelp()) return false;
  }
  if (!directories && !appWizard && !skinWizard) return true;

  if (!IsVc6Installed()) return false;
  if (HasVc6ServicePack3() == ServicePackAnswer::kNo) dialog_->ShowServicePackWarning();
  if (!EnsureIdeClosed(LoadText(kStrMsdevImage), LoadText(kStrCloseVc6Prompt))) return false;

  if (directories) {
    dialog_->AddLine(kStrSetupDirectoriesLine);
    if (!SetUpVc6Directories()) return false;
  }
  if (appWizard && Vc6WizardSourcePresent()) {
    dialog_->AddLine(kStrCopyAppWizardLine);
    if (!CopyVc6WizardFile(wizardSources_.vc6AppWizard)) return false;
  }
  if (skinWizard) {
    dialog_->AddLine(kStrCopySkinWizardLine);
    if (!CopyVc6WizardFile(wizardSources_.skinWizard)) return false;
  }
  return true;
}

bool IntegrationEngine::SetUpVc6Directories() {
  // directories.txt records the lists as they were, so it is written before either list
  // changes. A hive that cannot be read would look like missing lists and empty that
  // record, so such a hive stops the step before anything is written.
  std::string error;
  if (!platform_.registry->CheckReadable(RootKey::kCurrentUser, &error)) {
    dialog_->ShowMessage(
        Format("Can not read the Visual C++ 6.0 directory lists (%s). "
               "directories.txt and the lists were left unchanged. "
               "Integration terminated.",
               error));
    return false;
  }
  std::string includeList;
  std::string libraryList;
  // Without the lists' key there is nothing to back up or merge: the backup of an earlier
  // run is kept rather than replaced by empty lists.
  if (!platform_.registry->OpenKey(RootKey::kCurrentUser, LoadText(kStrVc6DirectoriesKey),
                                   KeyAccess::kRead)) {
    return true;
  }
  bool includeRead = ReadDirectoryList(LoadText(kStrIncludeDirsValue), &includeList);
  bool libraryRead = ReadDirectoryList(LoadText(kStrLibraryDirsValue), &libraryList);

  std::string backup = LoadText(kStrOldIncludeDirectories) + "\n\n";
  if (includeRead) backup += includeList;
  backup += "\n\n" + LoadText(kStrOldLibraryDirectories) + "\n\n";
  if (libraryRead) backup += libraryList;
  for (char& c : backup) {
    if (c == ';') c = '\n';
  }
  // A directories.txt that cannot be opened for writing (read-only, as from read-only
  // media) does not stop the step: the lists are merged all the same and nothing is said in
  // the dialog; the run's journal keeps the old lists. A write that was begun and failed (a
  // full disk, a copy that does not read back, a library folder that is not there) is an
  // error.
  const std::string backupPath = installDir_ + "directories.txt";
  if (!platform_.files->IsReadOnly(backupPath) &&
      !platform_.files->WriteTextFile(backupPath, backup, &error)) {
    dialog_->ShowMessage(FormatText(kStrCannotWriteDirectoriesBackup, backupPath, error));
    return false;
  }

  // A list that cannot be read is left as it is; the step still counts as done.
  if (includeRead && !MergeDirectory(LoadText(kStrIncludeDirsValue),
                                     installDir_ + LoadText(kStrLibraryName), includeList)) {
    return false;
  }
  if (libraryRead && !MergeDirectory(LoadText(kStrLibraryDirsValue),
                                     installDir_ + LoadText(kStrLibraryBinFolder), libraryList)) {
    return false;
  }
  return true;
}

bool IntegrationEngine::ReadDirectoryList(const std::string& valueName, std::string* list) {
  auto key = platform_.registry->OpenKey(RootKey::kCurrentUser, LoadText(kStrVc6DirectoriesKey),
                                         KeyAccess::kAll);
  return key && platform::ReadStringValue(*key, valueName, list) == platform::RegResult::kOk;
}

bool IntegrationEngine::MergeDirectory(const std::string& valueName, const std::string& folder,
                                       const std::string& list) {
  // Case-sensitive on purpose: VC6 keeps the list as typed, and a longer folder that
  // contains ours counts as ours.
  if (list.find(folder) != std::string::npos) return true;
  std::string merged = list;
  if (merged.empty() || merged.back() != ';') merged += ';';
  merged += folder;

  std::string error;
  auto key = platform_.registry->OpenKey(RootKey::kCurrentUser, LoadText(kStrVc6DirectoriesKey),
                                         KeyAccess::kAll, &error);
  if (!key || !key->SetString(valueName, merged, &error)) {
    dialog_->ShowMessage(
        Format("Can not add %s to the Visual C++ 6.0 list \"%s\" (%s). "
               "Integration terminated.",
               folder, valueName, error));
    return false;
  }
  return true;
}

bool IntegrationEngine::LookUpTemplateFolder(std::string* folder) {
  if (!templateFolderKnown_) {
    std::string installDir;
    if (!GetVc6InstallDir(&installDir)) return false;
    templateFolder_ = installDir + LoadText(kStrTemplateFolder);
    templateFolderKnown_ = true;
  }
  *folder = templateFolder_;
  return true;
}

bool IntegrationEngine::CopyVc6WizardFile(const std::string& source) {
  std::string folder;
  if (!LookUpTemplateFolder(&folder)) return false;
  const std::string target = folder + platform::FileName(source);
  // A read-only copy of an earlier run must not block the replacement. On a first run there
  // is no copy to clear; any real obstacle makes the copy below fail and say so.
  std::string ignored;
  (void)platform_.files->SetNormalAttributes(target, &ignored);
  std::string error;
  if (!platform_.files->CopyFile(source, target, &error)) {
    dialog_->ShowMessage(FormatText(kStrCannotCopyFile, source, target));
    return false;
  }
  return true;
}

}  // namespace integrate
