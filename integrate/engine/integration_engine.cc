// IntegrationEngine's shared checks: the wizard sources, the installed IDEs, a running IDE.
// Portable: no Win32 here.
#include "integrate/engine/integration_engine.h"

#include "integrate/engine/registry_values.h"
#include "integrate/strings.h"
#include "platform/encoding.h"
#include "platform/windows_path.h"

namespace integrate {

using platform::KeyAccess;
using platform::RootKey;

IntegrationEngine::IntegrationEngine(EngineHost* dialog, const std::string& installDir,
                                     platform::Platform& platform)
    : installDir_(installDir), dialog_(dialog), platform_(platform) {
  // Every sub-path is appended directly, so the folder keeps one trailing backslash.
  installDir_ = platform::WithTrailingBackslash(installDir_);
  wizardSources_.vc6AppWizard = installDir_ + "TSLAppWizard\\Release\\TSLXAppWizard.awx";
  wizardSources_.skinWizard = installDir_ + "TSLSkinWizard\\Release\\TSLSkinWizard.awx";
  wizardSources_.net7Wizard = installDir_ + "TSLAppWizard7\\TSLAppWizard";
  wizardSources_.net7Projects = installDir_ + "TSLAppWizard7\\vcprojects";
  wizardSources_.vs2005Wizard = installDir_ + "TSLAppWizard2005\\TSLAppWizard";
  wizardSources_.vs2005Projects = installDir_ + "TSLAppWizard2005\\vcprojects";
}

IntegrationEngine::~IntegrationEngine() = default;

bool IntegrationEngine::Vc6WizardSourcePresent() {
  return platform_.files->Exists(wizardSources_.vc6AppWizard);
}

bool IntegrationEngine::SkinWizardSourcePresent() {
  return platform_.files->Exists(wizardSources_.skinWizard);
}

bool IntegrationEngine::NetWizardSourcesPresent(int versionCode) {
  platform::FileSystem& files = *platform_.files;
  if (versionCode == 80) {
    return files.Exists(wizardSources_.vs2005Wizard) && files.Exists(wizardSources_.vs2005Projects);
  }
  return files.Exists(wizardSources_.net7Wizard) && files.Exists(wizardSources_.net7Projects);
}

bool IntegrationEngine::HelpFilesPresent() {
  return platform_.files->Exists(installDir_ + "Help\\TSLHelp.chm") &&
         platform_.files->Exists(installDir_ + "Help\\TSLHelp.chi");
}

bool IntegrationEngine::IsVc6Installed() {
  // Either key marks an installation; nothing is shown when neither opens.
  return platform_.registry->OpenKey(RootKey::kLocalMachine, LoadText(kStrVc6ProductKey),
                                     KeyAccess::kRead) ||
         platform_.registry->OpenKey(RootKey::kLocalMachine, kVc6SetupKey, KeyAccess::kRead);
}

bool IntegrationEngine::GetVsNetIdeDir(const std::string& versionString, bool reportFailure,
                                       std::string* ideDir) {
  ideDir->clear();
  auto key = platform_.registry->OpenKey(RootKey::kLocalMachine,
                                         "Software\\Microsoft\\VisualStudio\\" + versionString,
                                         KeyAccess::kRead);
  std::string value;
  if (!key || !ReadFixedString(*key, "InstallDir", &value)) {
    if (reportFailure) dialog_->ShowMessage(FormatText(kStrVsNetVersionNotFound, versionString));
    return false;
  }
  // The value ends with a backslash; its parent drops it.
  *ideDir = FolderOfInstallValue(value);
  return !ideDir->empty();
}

bool IntegrationEngine::IsVsNetInstalled(const std::string& versionString) {
  std::string ideDir;
  return GetVsNetIdeDir(versionString, false, &ideDir);
}

std::string IntegrationEngine::GetVsDisplayName(int versionCode) {
  switch (versionCode) {
    case 70:
      return ".NET";
    case 71:
      return ".NET 2003";
    case 80:
      return " 2005";
    default:
      return std::string();
  }
}

std::string IntegrationEngine::GetSystemDirectoryPath() {
  return platform_.files->SystemDirectory();
}

bool IntegrationEngine::IsProcessRunning(const std::string& name) {
  // A full path ending in the name matches as well as the bare name.
  for (const std::string& image : platform_.processes->RunningImageNames()) {
    if (platform::AnsiToUpper(image).find(name) != std::string::npos) return true;
  }
  return false;
}

bool IntegrationEngine::EnsureIdeClosed(const std::string& name, const std::string& prompt) {
  while (IsProcessRunning(name)) {
    // Anything but OK counts as Cancel, so a box that could not be shown never loops.
    if (dialog_->ShowMessage(prompt, kMbOkCancel | kMbSetForeground) != kIdOk) return false;
  }
  return true;
}

}  // namespace integrate
