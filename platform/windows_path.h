// The one toolkit that takes Windows paths apart and puts them together, for every layer.
#pragma once

#include <string>

namespace platform {

// Windows accepts '\' and '/' alike between folders, and a drive ("C:") ends the folder part
// of "C:name" as a separator would; every function here reads a path that way.

/// `name` inside `folder`: one '\' between them, none added when the folder already ends in
/// a separator. An empty folder gives "\name", the name at the drive's root.
std::string JoinPath(const std::string& folder, const std::string& name);

/// The folder part of a path, without the separator that ends it ("C:\A\B.txt" -> "C:\A",
/// "C:\A\" -> "C:\A"); empty when the path has no separator.
std::string ParentPath(const std::string& path);

/// The file name and extension ("C:\A\B.awx" -> "B.awx"): the text after the last '\', '/'
/// or ':'; the whole path when there is none.
std::string FileName(const std::string& path);

/// The extension of the file name, without its dot and as written ("B.Awx" -> "Awx"); empty
/// when the name has no dot.
std::string Extension(const std::string& path);

/// A path's drive ("C:" for "C:\windows"); empty when it has none.
std::string DriveOf(const std::string& path);

/// The path ending in exactly the one '\' it had or is given; an empty path stays empty.
std::string WithTrailingBackslash(std::string path);

/// The path without one trailing '\'.
std::string WithoutTrailingBackslash(std::string path);

/// The path without the '\' and '/' that end it ("C:\src\\" -> "C:\src"); a drive's root
/// keeps its own ("C:\"), since "C:" alone names the drive's current folder.
std::string WithoutTrailingSeparators(std::string path);

/// True when a path is in drive form ("C:\..." or "C:" alone) rather than a Unix host path
/// or one rooted on the current drive.
bool IsDrivePath(const std::string& path);

/// Whether a path is already in Windows form, with a drive ("C:...") or from a root ("\..."),
/// rather than a host path that the file services map to its drive first.
bool IsWindowsFormPath(const std::string& path);

/// The folder to create a file in beside `path`: its parent, but "C:\" for "C:\a.txt" (not
/// the drive's current folder "C:"), "\" for "\a.txt" and "." for a bare name.
std::string FolderBeside(const std::string& path);

}  // namespace platform
