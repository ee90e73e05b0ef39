// The edits of the IDEs' ';'-separated folder lists that take the library's folders out again.
// Portable: no Win32 here.
#pragma once

#include <string>

namespace integrate {

/// Takes every entry equal to `folder` (exactly, letter case included, as the integration's
/// presence test compares) out of a ';'-separated folder list, each with the ';' that joined it
/// to the entry before (the one after, for the first entry), and with the final ';' when the
/// entry stood last before it: the inverse of appending ";folder" or ";folder;" to a list the
/// IDE wrote without a final ';'. Every other entry, empty ones too, stays as and where it was.
/// A longer folder that merely contains `folder` is not ours and stays.
std::string RemoveFromDirectoryList(const std::string& list, const std::string& folder);

}  // namespace integrate
