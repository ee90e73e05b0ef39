// The template expander ($$name$$, $$IF/$$ENDIF, $$//) and the NEWPROJ.INF file-list parser.
// Portable: no Win32 here.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace skinwizard {

/// The symbols a template is expanded with (the host's dictionary entries): keys compare
/// case-sensitively; a Boolean symbol is "set" when its key is present (the wizard stores "1")
/// and "not set" when it is absent.
using SymbolMap = std::map<std::string, std::string>;

/// Expands one template text with the symbols. Handles exactly the forms the skin templates
/// use: "$$name$$" replaced by the symbol's value; a line "$$IF(name)" up to its matching line
/// "$$ENDIF" (nesting allowed) kept when the symbol is set and dropped otherwise; a line
/// beginning "$$//" dropped. Directives stand at the start of their line. Line ends are kept as
/// they are (CR LF templates give CR LF output); values are inserted once, never rescanned.
/// A symbol with no value, an unbalanced $$IF/$$ENDIF, an unterminated "$$" or an unknown
/// directive gives false and a message naming the template and line ("MYSKIN.CPP(12): ...").
/// Symbols inside dropped blocks are not looked up.
[[nodiscard]] bool ExpandTemplate(const std::string& template_name, const std::string& text,
                    const SymbolMap& symbols, std::string* out, std::string* error);

/// One entry line of the file list (NEWPROJ.INF), already expanded.
struct FileListEntry {
  std::string source;                ///< Template resource name without flags ("ROOT.RC2").
  std::string destination;           ///< Project-relative Windows path ("res\MySkins.rc2").
  bool binary = false;               ///< '=': copied byte for byte, never expanded.
  bool not_in_project = false;       ///< '-': written but not added to the project file.
  bool excluded_from_build = false;  ///< '!' (and '#', which implies it).
  bool help_file = false;            ///< '?'.
  bool resource = false;             ///< ':': a resource of the project (Resource Files).
  bool is_template = false;          ///< '#'.
  bool bypass_custom = false;        ///< '*': only one resource set exists here, so no effect.
  int line = 0;                      ///< Line in NEWPROJ.INF, for messages.
};

/// The file list: subfolders to create ("/res" lines, in order) and the entries.
struct FileList {
  std::vector<std::string> directories;
  std::vector<FileListEntry> entries;
};

/// Expands NEWPROJ.INF text with the symbols and parses it: empty lines are skipped, a line
/// starting with '/' names a subfolder, every other line is flags + source, a tab and the
/// destination. An unknown flag, a missing tab or an empty name is an error naming the line.
[[nodiscard]] bool ParseFileList(const std::string& template_name, const std::string& text,
                   const SymbolMap& symbols, FileList* out, std::string* error);

}  // namespace skinwizard
