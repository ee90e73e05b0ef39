// An answers file replayed into a run's options, and a run's answers for --save-answers.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"
#include "skinwizard/console/answers.h"
#include "skinwizard/console/command_line.h"
#include "skinwizard/overridable_method.h"
#include "skinwizard/skin_name_page.h"
#include "skinwizard/skin_options_page.h"

namespace skinwizard {

/// A host path as typed (UTF-8) as the Windows path the file services take: a Unix path maps
/// to its drive in the prefix.
[[nodiscard]] bool ServicePath(platform::FileSystem& files, const std::string& typed,
                               std::string* path, std::string* error);

/// Replays the answers file `path`: each answer counts where the command line left its
/// option open. False with "PATH:LINE: ..." for an answer the command line would refuse.
[[nodiscard]] bool LoadAnswers(platform::FileSystem& files, const std::string& path,
                               Options* options, std::string* error);

/// The answers a run gave, for --save-answers.
std::vector<AnswerLine> AnswersOf(const SkinNamePage& name, const SkinOptionsPage& page,
                                  const MethodList& methods);

}  // namespace skinwizard
