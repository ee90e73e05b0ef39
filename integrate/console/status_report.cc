// tslkt-integrate --status: where the library stands, as a table or as JSON.
// Portable: no Win32 here.
#include "integrate/console/status_report.h"

#include <iomanip>

#include "integrate/strings.h"

namespace integrate {
namespace {

const std::string& StateText(ItemState state) {
  switch (state) {
    case ItemState::kIn:
      return LoadText(kStrStatusIn);
    case ItemState::kPartlyIn:
      return LoadText(kStrStatusPartlyIn);
    case ItemState::kNotIn:
      return LoadText(kStrStatusNotIn);
    case ItemState::kCannotTell:
      break;
  }
  return LoadText(kStrStatusCannotTell);
}

}  // namespace

int PrintStatus(const std::vector<IntegrationDialog::ItemStatus>& states, bool json,
                const std::function<std::string(int controlId)>& nameOf, std::ostream& out) {
  bool complete = true;
  if (json) out << "[";
  const char* separator = "\n";
  for (const IntegrationDialog::ItemStatus& status : states) {
    complete =
        complete && (status.state == ItemState::kIn || status.state == ItemState::kCannotTell);
    // Every name and state is plain ASCII without quotes or backslashes: nothing to escape.
    if (json) {
      out << separator << "  {\"ide\": \"" << nameOf(status.ideId) << "\", \"item\": \""
          << nameOf(status.itemId) << "\", \"state\": \"" << StateText(status.state) << "\"}";
      separator = ",\n";
    } else {
      out << "  " << std::left << std::setw(8) << nameOf(status.ideId) << std::setw(13)
          << nameOf(status.itemId) << StateText(status.state) << '\n';
    }
  }
  if (json) out << "\n]\n";
  return complete ? 0 : 1;
}

}  // namespace integrate
