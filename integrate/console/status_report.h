// tslkt-integrate --status: where the library stands, as a table or as JSON.
// Portable: no Win32 here.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "integrate/integration_dialog.h"

namespace integrate {

/// Prints one line (text) or one object (JSON) per IDE and item, named by `nameOf` (a checkbox id
/// to its option name: "vc6", "directories"), and returns the exit status: 0 when every item is
/// in (an item only the Help 2 service could answer for does not count against it), 1 when
/// something is missing.
int PrintStatus(const std::vector<IntegrationDialog::ItemStatus>& states, bool json,
                const std::function<std::string(int controlId)>& nameOf, std::ostream& out);

}  // namespace integrate
