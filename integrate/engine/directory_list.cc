// The edits of the IDEs' ';'-separated folder lists that take the library's folders out again.
// Portable: no Win32 here.
#include "integrate/engine/directory_list.h"

#include <vector>

namespace integrate {

std::string RemoveFromDirectoryList(const std::string& list, const std::string& folder) {
  std::vector<std::string> entries;
  std::size_t start = 0;
  for (std::size_t semicolon; (semicolon = list.find(';', start)) != std::string::npos;
       start = semicolon + 1) {
    entries.push_back(list.substr(start, semicolon - start));
  }
  entries.push_back(list.substr(start));

  std::string result;
  bool first = true;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] == folder) {
      // The final ';' the integration wrote after the entry goes with it.
      if (i + 2 == entries.size() && entries.back().empty()) break;
      continue;
    }
    if (!first) result += ';';
    result += entries[i];
    first = false;
  }
  return result;
}

}  // namespace integrate
