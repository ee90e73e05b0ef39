// Taking the library out of the IDEs again, and where it stands in them: each step the inverse
// of an integration step, each state the integration's own presence test.
// Portable: no Win32 here.
#include <tuple>

#include "integrate/engine/directory_list.h"
#include "integrate/engine/integration_engine.h"
#include "integrate/engine/registry_values.h"
#include "integrate/engine/vsnet_versions.h"
#include "integrate/strings.h"
#include "platform/windows_path.h"

namespace integrate {

using platform::KeyAccess;
using platform::RootKey;

namespace {

// Each file below `folder` by its path relative to it ("Scripts\1033\default.js"), and each
// subfolder, innermost first. False when the folder cannot be listed.
bool ListTree(platform::FileSystem& files, const std::string& folder, const std::string& relative,
              std::vector<std::string>* found, std::vector<std::string>* folders) {
  std::vector<platform::FolderEntry> entries;
  std::string error;
  const std::string path = relative.empty() ? folder : platform::JoinPath(folder, relative);
  if (!files.ListFolder(path, &entries, &error)) return false;
  for (const platform::FolderEntry& entry : entries) {
    const std::string name = relative.empty() ? entry.name : relative + "\\" + entry.name;
    if (!entry.folder) {
      found->push_back(name);
    } else if (!ListTree(files, folder, name, found, folders)) {
      return false;
    }
  }
  if (!relative.empty()) folders->push_back(relative);
  return true;
}

ItemState Combined(int in, int present, int total) {
  if (total > 0 && in == total) return ItemState::kIn;
  return present > 0 ? ItemState::kPartlyIn : ItemState::kNotIn;
}

}  // namespace

bool IntegrationEngine::RemoveVc6(bool directories, bool appWizard, bool skinWizard, bool help) {
  if (!directories && !appWizard && !skinWizard && !help) return true;
  if (installDir_.empty()) return false;
  templateFolderKnown_ = false;

  // As in the integration, the help collection is not the IDE's own data.
  if (help) {
    dialog_->AddLine(kStrRemoveMsdnLine);
    if (!RemoveMsdnHelp()) return false;
  }
  if (!directories && !appWizard && !skinWizard) return true;

  if (!IsVc6Installed()) return false;
  // The IDE writes its lists back when it closes, which would put the entries back.
  if (!EnsureIdeClosed(LoadText(kStrMsdevImage), LoadText(kStrCloseVc6Prompt))) return false;

  if (directories) {
    dialog_->AddLine(kStrRemoveDirectoriesLine);
    if (!RemoveVc6Directories()) return false;
  }
  // As in the integration, the application wizard only when the library has it.
  std::string folder;
  for (const auto& [chosen, lineId, source] :
       {std::tuple{appWizard && Vc6WizardSourcePresent(), kStrRemoveAppWizardLine,
                   wizardSources_.vc6AppWizard},
        std::tuple{skinWizard, kStrRemoveSkinWizardLine, wizardSources_.skinWizard}}) {
    if (!chosen) continue;
    dialog_->AddLine(lineId);
    if (!LookUpTemplateFolder(&folder) ||
        !RemovePlacedFile({folder + platform::FileName(source), source, std::string()})) {
      return false;
    }
  }
  return true;
}

bool IntegrationEngine::RemoveVc6Directories() {
  auto key = platform_.registry->OpenKey(RootKey::kCurrentUser, LoadText(kStrVc6DirectoriesKey),
                                         KeyAccess::kRead);
  if (!key) return true;  // no lists, nothing of ours in them
  for (const auto& [valueId, folderId] : {std::pair{kStrIncludeDirsValue, kStrLibraryName},
                                          std::pair{kStrLibraryDirsValue, kStrLibraryBinFolder}}) {
    const std::string valueName = LoadText(valueId);
    const std::string folder = installDir_ + LoadText(folderId);
    std::string list;
    if (!ReadDirectoryList(valueName, &list)) continue;
    const std::string kept = RemoveFromDirectoryList(list, folder);
    if (kept == list) continue;
    std::string error;
    auto writable = platform_.registry->OpenKey(
        RootKey::kCurrentUser, LoadText(kStrVc6DirectoriesKey), KeyAccess::kAll, &error);
    if (!writable || !writable->SetString(valueName, kept, &error)) {
      dialog_->ShowMessage(FormatText(kStrRemoveFromListFailed, folder, valueName, error));
      return false;
    }
  }
  return true;
}

bool IntegrationEngine::RemoveVsNet(bool directories, int versionCode, bool wizard, bool help) {
  if (!directories && !wizard && !help) return true;
  const VsNetVersion* version = ReadyVsNetVersion(versionCode);
  if (version == nullptr) return false;
  const std::string name = GetVsDisplayName(versionCode);

  if (wizard && NetWizardSourcesPresent(versionCode)) {
    dialog_->InsertLine(FormatText(kStrRemoveVsNetWizardLine, name), false);
    std::vector<PlacedFile> files;
    std::vector<std::string> folders;
    if (!VsNetPlacedFiles(versionCode, true, &files, &folders)) return false;
    for (const PlacedFile& file : files) {
      if (!RemovePlacedFile(file)) return false;
    }
    // Innermost first, each only once empty: a folder that holds a changed file, or the IDE's
    // own files, stays.
    for (const std::string& folder : folders) {
      std::vector<platform::FolderEntry> inside;
      std::string error;
      if (!platform_.files->Exists(folder) ||
          !platform_.files->ListFolder(folder, &inside, &error) || !inside.empty()) {
        continue;
      }
      if (!platform_.files->RemoveEmptyFolder(folder, &error)) {
        dialog_->ShowMessage(FormatText(kStrRemoveFailed, folder, error));
        return false;
      }
    }
  }

  // 2005 keeps its directories elsewhere; the integration never set them.
  if (directories && version->directoriesLineId != 0) {
    dialog_->InsertLine(FormatText(kStrRemoveVsNetDirectoriesLine, name), false);
    std::string file;
    // Without the file the lists hold nothing of ours.
    if (FindVcComponentsFile(&file, version->versionString) &&
        !RemoveVcComponentsDirectories(file, versionCode)) {
      dialog_->ShowMessage(LoadText(kStrVcComponentsNotRemoved));
      return false;
    }
  }

  if (help && HelpFilesPresent()) {
    dialog_->InsertLine(FormatText(kStrRemoveVsNetHelpLine, name), false);
    // As for the registration, a failed call has shown its message and does not fail the
    // version.
    (void)UnregisterVsNetHelp(versionCode);
  }
  return true;
}

bool IntegrationEngine::VsNetPlacedFiles(int versionCode, bool report,
                                         std::vector<PlacedFile>* files,
                                         std::vector<std::string>* folders) {
  const VsNetVersion* version = FindVsNetVersion(versionCode);
  std::string wizardTarget;
  std::string projectsTarget;
  if (version == nullptr || !VsNetWizardTargets(versionCode, version->versionString, report,
                                                &wizardTarget, &projectsTarget)) {
    return false;
  }
  const bool is2005 = versionCode == 80;
  const std::string& wizardSource =
      is2005 ? wizardSources_.vs2005Wizard : wizardSources_.net7Wizard;
  const std::string& projectsSource =
      is2005 ? wizardSources_.vs2005Projects : wizardSources_.net7Projects;
  // The wizard folder is copied as a whole; the projects folder lands as "vcprojects" inside the
  // IDE's own Vc7 or Vc folder, merged with the IDE's own launch files.
  // 7.1 holds one file of each tree in its 2003 variant.
  struct Tree {
    std::string source;
    std::string target;
    std::string variantTarget;
    std::string variantSource;
  };
  const bool is2003 = versionCode == 71;
  const Tree trees[] = {
      {wizardSource, wizardTarget, wizardTarget + kScript2003File,
       wizardSource + kScript2003Variant},
      {projectsSource, platform::JoinPath(projectsTarget, platform::FileName(projectsSource)),
       projectsTarget + kLaunch2003File, platform::ParentPath(projectsSource) + kLaunch2003Variant},
  };
  for (const Tree& tree : trees) {
    std::vector<std::string> relatives;
    std::vector<std::string> subfolders;
    if (!ListTree(*platform_.files, tree.source, std::string(), &relatives, &subfolders)) {
      if (report) dialog_->ShowMessage(FormatText(kStrRemoveCannotList, tree.source));
      return false;
    }
    for (const std::string& relative : relatives) {
      PlacedFile file{platform::JoinPath(tree.target, relative),
                      platform::JoinPath(tree.source, relative), std::string()};
      if (is2003 && file.target == tree.variantTarget) file.variant = tree.variantSource;
      files->push_back(std::move(file));
    }
    for (const std::string& subfolder : subfolders) {
      folders->push_back(platform::JoinPath(tree.target, subfolder));
    }
    folders->push_back(tree.target);
  }
  return true;
}

bool IntegrationEngine::RemovePlacedFile(const PlacedFile& file) {
  const ItemState state = PlacedFileState(file);
  if (state == ItemState::kNotIn) return true;
  if (state != ItemState::kIn) {
    dialog_->ShowMessage(FormatText(kStrRemoveFileChanged, file.target));
    return true;
  }
  // A copy keeps its source's attributes: from a library installed read-only it is read-only
  // and would refuse to go.
  std::string error;
  if ((platform_.files->IsReadOnly(file.target) &&
       !platform_.files->SetNormalAttributes(file.target, &error)) ||
      !platform_.files->RemoveFile(file.target, &error)) {
    dialog_->ShowMessage(FormatText(kStrRemoveFailed, file.target, error));
    return false;
  }
  return true;
}

ItemState IntegrationEngine::PlacedFileState(const PlacedFile& file) {
  if (!platform_.files->Exists(file.target)) return ItemState::kNotIn;
  std::string placed;
  std::string ours;
  std::string error;
  if (!platform_.files->ReadBinaryFile(file.target, &placed, &error)) return ItemState::kPartlyIn;
  for (const std::string& source : {file.source, file.variant}) {
    if (!source.empty() && platform_.files->ReadBinaryFile(source, &ours, &error) &&
        ours == placed) {
      return ItemState::kIn;
    }
  }
  return ItemState::kPartlyIn;
}

ItemState IntegrationEngine::Vc6DirectoriesState() {
  int present = 0;
  for (const auto& [valueId, folderId] : {std::pair{kStrIncludeDirsValue, kStrLibraryName},
                                          std::pair{kStrLibraryDirsValue, kStrLibraryBinFolder}}) {
    std::string list;
    // The integration's own presence test: the folder anywhere in the list, letter case and all.
    if (ReadDirectoryList(LoadText(valueId), &list) &&
        list.find(installDir_ + LoadText(folderId)) != std::string::npos) {
      ++present;
    }
  }
  return Combined(present, present, 2);
}

ItemState IntegrationEngine::Vc6WizardState(const std::string& source) {
  std::string installDir;
  auto key = platform_.registry->OpenKey(RootKey::kCurrentUser,
                                         LoadText(kStrVc6SharedDirectoriesKey), KeyAccess::kRead);
  if (!key || !ReadFixedString(*key, LoadText(kStrVc6InstallDirsValue), &installDir)) {
    return ItemState::kNotIn;
  }
  const std::string folder = FolderOfInstallValue(installDir) + LoadText(kStrTemplateFolder);
  return PlacedFileState({folder + platform::FileName(source), source, std::string()});
}

ItemState IntegrationEngine::VsNetWizardState(int versionCode) {
  std::vector<PlacedFile> files;
  std::vector<std::string> folders;
  if (!VsNetPlacedFiles(versionCode, false, &files, &folders)) return ItemState::kNotIn;
  int in = 0;
  int present = 0;
  for (const PlacedFile& file : files) {
    const ItemState state = PlacedFileState(file);
    in += state == ItemState::kIn;
    present += state != ItemState::kNotIn;
  }
  return Combined(in, present, static_cast<int>(files.size()));
}

}  // namespace integrate
