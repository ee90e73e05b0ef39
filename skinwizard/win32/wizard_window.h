// The skin wizard's window host: our own wizard frame around the module's pages.
#pragma once

#include <string>

#include "platform/platform.h"
#include "skinwizard/res/resource.h"

namespace skinwizard {

/// The frame's caption, also the caption of its message boxes and of the pages'.
inline constexpr const char* kWizardWindowTitle = TXT_WIZARD_TITLE;

/// Shows the wizard frame and runs one wizard run to its end: the frame's own first step (project
/// name, and location, which starts as `location`), the wizard's pages, the confirmation box, then
/// the project written as the console host writes it. True when a project was written, false when
/// the user cancelled.
[[nodiscard]] bool RunWizardWindow(platform::Platform& services, const std::string& location);

}  // namespace skinwizard
