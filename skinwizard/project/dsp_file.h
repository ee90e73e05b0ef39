// The Visual C++ 6.0 project (.dsp) and workspace (.dsw) texts, and the .dsp's link-option edit.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

#include "skinwizard/project/expander.h"

namespace skinwizard {

/// The text of <name>.dsp as Visual C++ 6.0 writes it for a DLL using the class framework as
/// a shared library, with "Win32 Release" and "Win32 Debug", and every file-list entry that
/// is added to the project in its group: Source Files, Header Files or Resource Files by its
/// extension (':' entries always under Resource Files), any other file (ReadMe.txt) at the
/// top level as the IDE keeps it. CR LF line ends.
std::string BuildDspText(const std::string& project_name,
                         const std::vector<FileListEntry>& entries);

/// The text of <name>.dsw, a workspace holding the one project. CR LF line ends.
std::string BuildDswText(const std::string& project_name);

/// The configuration names of a .dsp text ("Win32 Release", "Win32 Debug") in file order,
/// from its "!IF"/"!ELSEIF" lines that test $(CFG), with the "<project> - " prefix removed.
std::vector<std::string> DspConfigurationNames(const std::string& dsp_text);

/// Makes the "# ADD LINK32" line of one configuration end with `option`, unless the option is
/// already on that line. False with the reason when the configuration or its line is missing.
[[nodiscard]] bool AddDspLinkOption(std::string* dsp_text, const std::string& configuration,
                      const std::string& option, std::string* error);

}  // namespace skinwizard
