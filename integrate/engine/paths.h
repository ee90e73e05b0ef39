// Portable: no Win32 here.
#pragma once

#include <string>

namespace integrate {

/// A Windows path's file name and extension ("C:\A\B.awx" -> "B.awx"), as the path
/// splitter gives them; the folder part ends at the last '\', '/' or ':'.
std::string FileNameAndExtension(const std::string& path);

/// A Windows path's drive ("C:" for "C:\windows"); empty when it has none.
std::string DriveOf(const std::string& path);

}  // namespace integrate
