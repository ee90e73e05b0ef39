// The Visual Studio .NET family's integration sequence and its wizard installation.
// Portable: no Win32 here.
#include "integrate/engine/integration_engine.h"
#include "integrate/engine/text_edit.h"
#include "integrate/engine/vsnet_versions.h"
#include "integrate/strings.h"
#include "platform/windows_path.h"

namespace integrate {
namespace {

constexpr char kDevenvImage[] = "DEVENV.EXE";
constexpr char kIdeFolder[] = "Common7\\IDE";

const VsNetVersion kVersions[] = {
    {70, "7.0", kStrNet70NotInstalled, kStrCopyNet70WizardLine, kStrSetupNet70DirectoriesLine,
     "Vc7\\VCWizards\\TSLAppWizard", "Vc7", "MS.VSCC"},
    {71, "7.1", kStrNet71NotInstalled, kStrCopyNet71WizardLine, kStrSetupNet71DirectoriesLine,
     "Vc7\\VCWizards\\TSLAppWizard", "Vc7", "MS.VSCC.2003"},
    {80, "8.0", kStrVs2005NotInstalled, kStrCopyVs2005WizardLine, 0,
     "Vc\\VCWizards\\AppWiz\\TSLAppWizard", "Vc", "MS.VSCC.v80"},
};

}  // namespace

const VsNetVersion* FindVsNetVersion(int versionCode) {
  for (const VsNetVersion& version : kVersions) {
    if (version.code == versionCode) return &version;
  }
  return nullptr;
}

const VsNetVersion* IntegrationEngine::ReadyVsNetVersion(int versionCode) {
  if (installDir_.empty()) {
    dialog_->ShowMessage(LoadText(kStrVsNetLibraryNotFound));
    return nullptr;
  }
  const VsNetVersion* version = FindVsNetVersion(versionCode);
  if (version == nullptr) return nullptr;
  if (!IsVsNetInstalled(version->versionString)) {
    dialog_->ShowMessage(LoadText(version->notInstalledId));
    return nullptr;
  }
  if (!EnsureIdeClosed(kDevenvImage,
                       FormatText(kStrCloseVsNetPrompt, GetVsDisplayName(versionCode)))) {
    return nullptr;
  }
  return version;
}

bool IntegrationEngine::IntegrateVsNet(bool directories, int versionCode, bool wizard, bool help) {
  if (!directories && !wizard && !help) return true;
  const VsNetVersion* version = ReadyVsNetVersion(versionCode);
  if (version == nullptr) return false;

  const bool is2005 = versionCode == 80;
  if (wizard && NetWizardSourcesPresent(versionCode)) {
    const std::string& wizardSource =
        is2005 ? wizardSources_.vs2005Wizard : wizardSources_.net7Wizard;
    const std::string& projectsSource =
        is2005 ? wizardSources_.vs2005Projects : wizardSources_.net7Projects;
    if (!InstallVsNetWizard(versionCode, version->versionString, wizardSource, projectsSource)) {
      return false;
    }
  }

  if (directories) {
    if (version->directoriesLineId == 0) {
      // VS 2005 keeps its directories elsewhere; the user is told to set them by hand.
      dialog_->ShowMessage(LoadText(kStrVs2005DirectoriesNotImplemented));
    } else {
      dialog_->AddLine(version->directoriesLineId);
      std::string file;
      if (!FindVcComponentsFile(&file, version->versionString)) {
        dialog_->ShowMessage(LoadText(kStrVcComponentsNotFound));
      }
      // Runs even without the file: it then fails and says so in its own words.
      if (!AddVcComponentsDirectories(file, versionCode)) {
        dialog_->ShowMessage(LoadText(kStrVcComponentsNotAdded));
      }
    }
  }

  if (help && HelpFilesPresent()) {
    dialog_->InsertLine(FormatText(kStrVsNetHelpLine, GetVsDisplayName(versionCode)), false);
    // A failed registration has shown its message and does not fail the version.
    (void)RegisterVsNetHelp(versionCode);
  }
  return true;
}

bool IntegrationEngine::InstallVsNetWizard(int versionCode, const std::string& versionString,
                                           const std::string& wizardSource,
                                           const std::string& projectsSource) {
  const VsNetVersion* version = FindVsNetVersion(versionCode);
  if (version == nullptr) return false;
  dialog_->AddLine(version->wizardLineId);

  std::string wizardTarget;
  std::string projectsTarget;
  if (!VsNetWizardTargets(versionCode, versionString, true, &wizardTarget, &projectsTarget)) {
    return false;
  }
  if (!CopyWizardFolder(wizardSource, wizardTarget, true)) {
    dialog_->ShowMessage(FormatText(kStrCannotCopyFile, wizardSource, wizardTarget));
    return false;
  }
  const bool is2003 = versionCode == 71;
  if (is2003 &&
      !ReplaceWithVariant(wizardTarget + kScript2003Variant, wizardTarget + kScript2003File)) {
    return false;
  }

  // Never merged: an existing Vc7 or Vc folder receives "vcprojects" as its subfolder, merged file
  // by file into the IDE's own.
  if (!CopyWizardFolder(projectsSource, projectsTarget, false)) {
    dialog_->ShowMessage(FormatText(kStrCannotCopyFile, projectsSource, projectsTarget));
    return false;
  }
  return !is2003 ||
         ReplaceWithVariant(projectsTarget + kLaunch2003Variant, projectsTarget + kLaunch2003File);
}

bool IntegrationEngine::VsNetWizardTargets(int versionCode, const std::string& versionString,
                                           bool report, std::string* wizardTarget,
                                           std::string* projectsTarget) {
  const VsNetVersion* version = FindVsNetVersion(versionCode);
  std::string ideDir;
  // Without Common7\IDE in the path the targets would be the IDE folder itself, and the wizard's
  // files would land among the IDE's own.
  if (version == nullptr || !GetVsNetIdeDir(versionString, report, &ideDir) ||
      FindText(ideDir, kIdeFolder) == std::string::npos) {
    if (report) dialog_->ShowMessage(LoadText(kStrVsNetDirectoryNotFound));
    return false;
  }
  *wizardTarget = ideDir;
  ReplaceAll(wizardTarget, kIdeFolder, version->wizardSubfolder);
  *projectsTarget = *wizardTarget;
  ReplaceAll(projectsTarget, version->wizardSubfolder, version->projectsFolder);
  return true;
}

bool IntegrationEngine::CopyWizardFolder(const std::string& source, const std::string& target,
                                         bool merge) {
  // Into an existing target the folder's entries are copied, not the folder itself.
  std::string from = source;
  if (merge && platform_.files->Exists(target)) from += "\\*.*";
  // The shell shows its own reports; the caller names source and target.
  std::string error;
  return platform_.shell->Copy(from, target, &error);
}

bool IntegrationEngine::ReplaceWithVariant(const std::string& variant, const std::string& target) {
  // A library without the variant keeps the 7.0 file and the step goes on.
  if (!platform_.files->Exists(variant)) return true;
  // The copy just placed the 7.0 file with its source's attributes: from a library installed
  // read-only it is read-only and would refuse the variant.
  std::string bytes;
  std::string error;
  // A mark that stays shows as the write's failure below.
  static_cast<void>(platform_.files->SetNormalAttributes(target, &error));
  // Read whole and written atomically, so a failed write leaves the 7.0 file whole; but 7.1
  // must not be left with the 7.0 wizard behind a success.
  if (!platform_.files->ReadBinaryFile(variant, &bytes, &error) ||
      !platform_.files->WriteBinaryFile(target, bytes, &error)) {
    dialog_->ShowMessage(FormatText(kStrCannotCopyFile, variant, target));
    return false;
  }
  return true;
}

}  // namespace integrate
