// The Visual Studio .NET family's versions (7.0, 7.1, 8.0): what differs between them.
// Portable: no Win32 here.
#pragma once

namespace integrate {

/// What differs between the Visual Studio .NET family's versions, in one place
/// so the sequence, the wizard, the directories and the help step agree.
struct VsNetVersion {
  int code;                     ///< 70, 71, 80
  const char* versionString;    ///< the registry's "7.0", "7.1", "8.0"
  int notInstalledId;           ///< message when the IDE is missing
  int wizardLineId;             ///< progress line of the wizard step
  int directoriesLineId;        ///< progress line of the directories step; 0 for none
  const char* wizardSubfolder;  ///< replaces Common7\IDE in the IDE folder
  const char* projectsFolder;   ///< replaces the wizard subfolder for the projects target
  const char* parentNamespace;  ///< the IDE's own Help 2 collection
};

/// The two files 7.1 takes in their 2003 variant, by their paths below the wizard target and
/// the projects target, and the variants' paths there.
constexpr char kScript2003File[] = "\\Scripts\\1033\\default.js";
constexpr char kScript2003Variant[] = "\\Scripts\\1033\\default-2003.js";
constexpr char kLaunch2003File[] = "\\vcprojects\\TSLAppWizard.vsz";
constexpr char kLaunch2003Variant[] = "\\vcprojects\\TSLAppWizard-2003.vsz";

/// The version with that code; nullptr for any other.
const VsNetVersion* FindVsNetVersion(int versionCode);

}  // namespace integrate
