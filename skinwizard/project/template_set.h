// The skin project's templates by name, from the set embedded in the program.
// Portable: no Win32 here.
#pragma once

#include <string>

namespace skinwizard {

/// The skin project's templates, carried inside the program (embedded at build time from
/// skinwizard/templates/) so the wizard needs no files beside it. Names are the resource
/// names: "NEWPROJ.INF", "CONFIRM.INF", "MYSKIN.CPP", ..., "PREVIEW.BMP". Text templates are
/// Windows-1252 with CR LF line ends; PREVIEW.BMP is a complete bitmap file.

/// The bytes of one template; false when the set holds no template of that name.
[[nodiscard]] bool FindTemplate(const std::string& name, std::string* bytes);

}  // namespace skinwizard
