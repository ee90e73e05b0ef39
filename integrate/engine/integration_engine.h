// IntegrationEngine: the library's integration with Visual C++ 6.0 and the .NET family.
// Portable: no Win32 here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "integrate/owner.h"
#include "platform/platform.h"

namespace integrate {

struct VsNetVersion;

/// The wizard sources the library ships, as full paths under the install directory.
struct WizardSourceTable {
  std::string vc6AppWizard;    ///< TSLAppWizard\Release\TSLXAppWizard.awx (file)
  std::string skinWizard;      ///< TSLSkinWizard\Release\TSLSkinWizard.awx (file)
  std::string net7Wizard;      ///< TSLAppWizard7\TSLAppWizard (folder, 7.0 and 7.1)
  std::string net7Projects;    ///< TSLAppWizard7\vcprojects (folder, 7.0 and 7.1)
  std::string vs2005Wizard;    ///< TSLAppWizard2005\TSLAppWizard (folder, 8.0)
  std::string vs2005Projects;  ///< TSLAppWizard2005\vcprojects (folder, 8.0)
};

/// Which way a Help 2 step goes: the library's title registered, or taken out again.
enum class Help2Step { kRegister, kRemove };
/// Where the library stands in one item of an IDE: what an integration put there is all there
/// (and, for files, the same as the library's), some of it, none of it, or only a service this
/// machine cannot reach could say.
enum class ItemState { kIn, kPartlyIn, kNotIn, kCannotTell };

/// Answer of the service-pack check; callers treat kUndetermined like kYes.
enum class ServicePackAnswer { kYes, kNo, kUndetermined };

/// Carries out the integrations of the library with each IDE. Every operation returns a
/// bool and reports its failures through the dialog's message boxes; progress lines go to
/// the dialog's list. One engine lives as long as its dialog.
class IntegrationEngine {
 public:
  /// `dialog` and `platform` are not owned and must outlive the engine.
  IntegrationEngine(EngineHost* dialog, const std::string& installDir,
                    platform::Platform& platform);
  virtual ~IntegrationEngine();
  IntegrationEngine(const IntegrationEngine&) = delete;
  IntegrationEngine& operator=(const IntegrationEngine&) = delete;

  /// The install directory, ending with a backslash unless empty.
  const std::string& installDir() const { return installDir_; }
  const WizardSourceTable& wizardSources() const { return wizardSources_; }

  // Presence tests: each asks the file system afresh; folders count as well as files.
  [[nodiscard]] bool Vc6WizardSourcePresent();
  [[nodiscard]] bool SkinWizardSourcePresent();
  /// 80 tests the 2005 folders; any other code the 7.x folders.
  [[nodiscard]] bool NetWizardSourcesPresent(int versionCode);
  /// Both Help\TSLHelp.chm and Help\TSLHelp.chi exist.
  [[nodiscard]] bool HelpFilesPresent();

  // IDE presence and lookups.
  [[nodiscard]] bool IsVc6Installed();
  /// The IDE folder of a .NET family version ("7.0", "7.1", "8.0") without its trailing
  /// backslash; with reportFailure a missing registry entry shows message 41.
  [[nodiscard]] bool GetVsNetIdeDir(const std::string& versionString, bool reportFailure,
                                    std::string* ideDir);
  [[nodiscard]] bool IsVsNetInstalled(const std::string& versionString);
  /// ".NET", ".NET 2003", " 2005" for 70, 71, 80; "" otherwise.
  static std::string GetVsDisplayName(int versionCode);

  // Running-IDE check.
  /// The system directory without a trailing backslash; mfc42d.dll lives there.
  std::string GetSystemDirectoryPath();
  /// True when some running image name, upper-cased, contains `name` (given upper-case).
  [[nodiscard]] bool IsProcessRunning(const std::string& name);
  /// Prompts (OK/Cancel, foreground) until no `name` process runs; false on Cancel.
  [[nodiscard]] bool EnsureIdeClosed(const std::string& name, const std::string& prompt);

  // Visual C++ 6.0.
  /// The shared install folder (the "Install Dirs" value without its last component);
  /// messages 14 and 13 when the key or value is missing.
  [[nodiscard]] bool GetVc6InstallDir(std::string* dir);
  /// Whether mfc42d.dll in the system directory is build 8447 or later.
  [[nodiscard]] ServicePackAnswer HasVc6ServicePack3();
  /// Carries out the chosen items for Visual C++ 6.0: help, directories, wizard copies.
  [[nodiscard]] bool IntegrateVc6(bool directories, bool appWizard, bool skinWizard, bool help);
  /// Reads a VC++ directory list ("Include Dirs", "Library Dirs") of any length; false
  /// when the key or value cannot be read.
  [[nodiscard]] bool ReadDirectoryList(const std::string& valueName, std::string* list);
  /// Appends `folder` to `list` (as read before) unless it occurs in it already, and
  /// writes the list back; false, after a message, when the write fails.
  [[nodiscard]] bool MergeDirectory(const std::string& valueName, const std::string& folder,
                                    const std::string& list);
  /// Copies a wizard file into Visual C++ 6.0's template folder under its own name; the
  /// folder is looked up once per run.
  [[nodiscard]] bool CopyVc6WizardFile(const std::string& source);

  // MSDN help collection of Visual C++ 6.0 (msdn_help.cc).
  /// The preferred developer collection's file from the registry; true when it exists.
  [[nodiscard]] bool FindCollectionFile(std::string* path);
  /// Scans a collection file for "masterlangid" and "collectionnum".
  [[nodiscard]] bool ReadCollectionInfo(const std::string& path, std::string* languageId,
                                        std::int32_t* collectionNumber);
  /// The hhcolreg.dat the collection number selects; *path is set even when false.
  [[nodiscard]] bool FindCollectionRegistry(std::int32_t collectionNumber, std::string* path);
  /// Adds the library's help title to the collection; false after a message.
  [[nodiscard]] bool IntegrateMsdnHelp();
  /// Copies `file` into `backupDir` under its own name; *copy is the copy's path.
  [[nodiscard]] bool BackupToHelpDir(const std::string& file, const std::string& backupDir,
                                     std::string* copy);
  /// Registers the entry in hhcolreg.dat, replacing an earlier one with the same id.
  /// *written is true once the file was opened for writing.
  [[nodiscard]] bool AddDocCompilation(const std::string& path, const std::string& entry,
                                       const std::string& compilationId, bool* written);
  /// Adds the folder to the collection file unless the id occurs in it already.
  [[nodiscard]] bool AddCollectionFolder(const std::string& path, const std::string& folder,
                                         const std::string& compilationId, bool* written);

  // Visual Studio .NET family (vsnet_integration.cc, vc_components.cc, help2_registration.cc).
  /// Carries out the chosen items for one version (70, 71, 80): wizard, directories, help.
  /// False when the version's integration was stopped, after a message.
  [[nodiscard]] bool IntegrateVsNet(bool directories, int versionCode, bool wizard, bool help);
  /// Copies the wizard and projects folders beside the IDE's Common7\IDE and, for 7.1,
  /// puts the 2003 variants of the script and launch file in place.
  [[nodiscard]] bool InstallVsNetWizard(int versionCode, const std::string& versionString,
                                        const std::string& wizardSource,
                                        const std::string& projectsSource);
  /// One folder copy through the shell; with merge, into an existing target's contents.
  [[nodiscard]] bool CopyWizardFolder(const std::string& source, const std::string& target,
                                      bool merge);
  /// The user's VCComponents.dat of that version ("7.0", "7.1"); *path is set whenever the
  /// local application data folder is known, true when the file exists.
  [[nodiscard]] bool FindVcComponentsFile(std::string* path, const std::string& versionString);
  /// Adds the include folder and the version's library folder to the first "Include Dirs"
  /// and "Library Dirs" lines; true when the file was rewritten.
  [[nodiscard]] bool AddVcComponentsDirectories(const std::string& path, int versionCode);
  /// Registers the library's Help 2 title and plugs it into the version's collection; false
  /// after a message when the service failed.
  [[nodiscard]] bool RegisterVsNetHelp(int versionCode);
  /// Whether the version's Help 2 step goes to the Windows build: the platform cannot reach
  /// the service itself, but the machine has it registered.
  [[nodiscard]] bool HandsOverHelp2(int versionCode);
  /// Has the Windows build carry out the Help 2 step of a version HandsOverHelp2 accepts (its
  /// progress line already shown) and shows its further lines and its messages as this run's
  /// own; false after a message when the step failed or the Windows build could not be run.
  [[nodiscard]] bool HandOverVsNetHelp(int versionCode, Help2Step step);
  /// Takes the library's Help 2 title out of the version's collection and unregisters it: the
  /// inverse of RegisterVsNetHelp; false after a message when the service failed.
  [[nodiscard]] bool UnregisterVsNetHelp(int versionCode);

  // Taking the library out again (removal.cc): the inverse of each integration step. A file is
  // removed only when it holds the library's own bytes; one the user changed stays and is named.
  /// Takes the chosen items out of Visual C++ 6.0; false after a message when a step failed.
  [[nodiscard]] bool RemoveVc6(bool directories, bool appWizard, bool skinWizard, bool help);
  /// Takes the chosen items out of one version of the .NET family (70, 71, 80).
  [[nodiscard]] bool RemoveVsNet(bool directories, int versionCode, bool wizard, bool help);
  /// Takes the library's entry out of hhcolreg.dat and its folder out of the collection file.
  [[nodiscard]] bool RemoveMsdnHelp();
  /// Takes the include folder and the version's library folder out of the first "Include Dirs"
  /// and "Library Dirs" lines of VCComponents.dat; false when the file could not be rewritten.
  [[nodiscard]] bool RemoveVcComponentsDirectories(const std::string& path, int versionCode);

  // Where the library stands (--status); these read and change nothing.
  ItemState Vc6DirectoriesState();
  ItemState Vc6WizardState(const std::string& source);
  ItemState MsdnHelpState();
  ItemState VcComponentsState(int versionCode);
  ItemState VsNetWizardState(int versionCode);

 private:
  /// The version with that code, once the library's folder is known, the IDE is installed and
  /// not running; null after a message (or after Cancel) otherwise.
  const VsNetVersion* ReadyVsNetVersion(int versionCode);
  /// The Help 2 step of a version, registration or removal: `calls` against the service, a
  /// failure shown with the text `failedId` (display name, status, description).
  [[nodiscard]] bool CallHelp2Service(
      int versionCode, int failedId,
      const std::function<platform::Help2Status(platform::Help2Service&)>& calls);
  /// The wizard and projects targets of a version beside its Common7\IDE; false (after message
  /// 41 or the directory message, when `report`) when the IDE folder is not known.
  [[nodiscard]] bool VsNetWizardTargets(int versionCode, const std::string& versionString,
                                        bool report, std::string* wizardTarget,
                                        std::string* projectsTarget);
  /// Each library file the version's wizard install placed, with the library file (and, for
  /// 7.1, the 2003 variant) whose bytes it holds; the folders it made, innermost first.
  struct PlacedFile {
    std::string target;
    std::string source;
    std::string variant;
  };
  [[nodiscard]] bool VsNetPlacedFiles(int versionCode, bool report, std::vector<PlacedFile>* files,
                                      std::vector<std::string>* folders);
  /// Removes `target` when it holds the bytes of `source` or `variant`; a changed one stays
  /// and is named. False after a message when the removal itself failed.
  [[nodiscard]] bool RemovePlacedFile(const PlacedFile& file);
  ItemState PlacedFileState(const PlacedFile& file);
  [[nodiscard]] bool RemoveVc6Directories();
  [[nodiscard]] bool SetUpVc6Directories();
  [[nodiscard]] bool LookUpTemplateFolder(std::string* folder);
  /// Puts a 2003 variant, when the library has one, in place of the 7.0 file; false after
  /// message 15 when it could not.
  [[nodiscard]] bool ReplaceWithVariant(const std::string& variant, const std::string& target);

  std::string installDir_;
  WizardSourceTable wizardSources_;
  EngineHost* dialog_;
  platform::Platform& platform_;
  // Visual C++ 6.0's template folder, looked up by the first wizard copy of a run.
  bool templateFolderKnown_ = false;
  std::string templateFolder_;
};

}  // namespace integrate
