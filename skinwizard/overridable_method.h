// The drawing methods a skin may override, as records a run works on.
// Portable: no Win32 here.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace skinwizard {

/// One drawing method of the library's visual manager that a skin may override. Its name is
/// also its dictionary key and the condition of its blocks in the templates.
struct OverridableMethod {
  std::string name;
  std::string description;  ///< shown in the Advanced dialog
  int selected = 1;
};

/// The method list a run works on; the Advanced dialog's items point into it.
using MethodList = std::vector<std::unique_ptr<OverridableMethod>>;

/// Appends the twelve methods, each selected, in the order the Advanced dialog lists them.
void AppendOverridableMethods(MethodList* methods);

}  // namespace skinwizard
