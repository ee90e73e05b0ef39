// The project writer: the new project planned in memory, then written whole or taken back.
// Portable: no Win32 here.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "skinwizard/project/expander.h"

namespace skinwizard {

/// What the host hands over when the user finishes: the dictionary (the wizard's keys plus
/// the host's `root`, `ROOT` and `Safe_root`) and the folder the project folder goes into.
struct ProjectRequest {
  SymbolMap symbols;
  /// Windows path of the parent folder; the project goes into <location>\<root>.
  std::string location;
  /// The host's include-guard symbol for a generated file, given the file's destination as
  /// the file list expands it ("SkinAqua.h", "res\MySkins.rc2"); stored as FILE_NAME_SYMBOL
  /// while that one file is expanded. May be empty: a template that uses FILE_NAME_SYMBOL then
  /// fails as "a symbol with no value".
  std::function<std::string(const std::string& file_name)> file_name_symbol;
};

/// One file of the new project, fully expanded in memory.
struct PlannedFile {
  std::string path;      ///< Full Windows path.
  std::string relative;  ///< Path inside the project folder ("res\SKINAQUA.bmp").
  std::string bytes;     ///< Exactly what is written (text already CR LF).
};

/// Everything the project writer would create, computed before anything is written.
struct ProjectPlan {
  std::string project_folder;            ///< <location>\<root>
  std::vector<std::string> directories;  ///< Full paths: the project folder first, then "res".
  std::vector<PlannedFile> files;        ///< The listed files, then <root>.dsp and <root>.dsw.
};

/// Whether Windows takes `name` for a device (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-9 and
/// LPT0-9, where the superscripts one to three, bytes B9 B2 B3, count as digits too; any case,
/// with or without an extension): such a file cannot be made, whatever the folder.
bool IsReservedDeviceName(const std::string& name);

/// Whether `name` can be one component of a Windows path as given: not empty, not "." or
/// "..", no device name, none of the characters Windows refuses in names, no trailing dot or
/// blank (which Windows would drop). The project name must be one, as it names the folder and
/// its files.
bool IsPlainName(const std::string& name);

/// Why `name` (ANSI) cannot be the project's name, in the words every front end shows (UTF-8):
/// "'CON' is a name Windows keeps for a device"; empty when IsPlainName holds.
std::string ProjectNameRefusal(const std::string& name);

/// Expands one template of the set by name, e.g. "CONFIRM.INF" for the host's confirmation
/// box (the text keeps its CR LF line ends). False when the set holds no such template or on
/// any expansion error.
[[nodiscard]] bool ExpandNamedTemplate(const std::string& name, const SymbolMap& symbols, std::string* out,
                         std::string* error);

/// Expands NEWPROJ.INF and every listed template, and builds <root>.dsp (a DLL using the
/// class framework as a shared library, "Win32 Release" and "Win32 Debug") and <root>.dsw.
/// Touches no file; false with a message naming the template and line on any template
/// error, when `root` is missing or not usable as a file name, or when a file's full path
/// would pass the Windows path limit.
[[nodiscard]] bool PlanProject(const ProjectRequest& request, ProjectPlan* plan, std::string* error);

/// The planned files that already exist, so a host can refuse to overwrite them.
std::vector<std::string> ExistingFiles(const ProjectPlan& plan, platform::FileSystem& files);

/// Creates the folders and writes every planned file byte for byte. Stops at the first
/// failure with its reason, after removing every file and folder the call created (files
/// it replaced keep their new content).
[[nodiscard]] bool WriteProject(const ProjectPlan& plan, platform::FileSystem& files, std::string* error);

}  // namespace skinwizard
