// The Help 2 step handed to the Windows build of this program, where the platform cannot reach
// the registration service itself.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

namespace platform {

/// What the Windows build left behind when it ran: how it ended and what it wrote.
struct HandOverOutput {
  int exit_status = 0;
  /// Its file name without the extension, the caption its console messages begin with.
  std::string program;
  /// Standard output and standard error as written (UTF-8, CR LF or LF).
  std::string out;
  std::string err;
};

/// Runs the Windows build of this program on the machine the platform works on, so a step
/// that needs a Windows-only service is carried out where that service lives. Abstract so
/// the engine stays portable and its rules are tested without Wine; a platform that reaches
/// the service itself has none.
class Help2HandOver {
 public:
  virtual ~Help2HandOver() = default;

  /// Whether the Help 2 registration service is registered where the Windows build will look
  /// for it; without it the step stays here and fails as it always has.
  virtual bool ServiceRegistered() = 0;

  /// Runs the Windows build with `args` (Windows-1252) until it ends. The platform's own
  /// hold on the machine is let go for the run and taken up again after it, so what the
  /// Windows build wrote is what later reads see. False with the reason when it could not be
  /// started, did not end by itself, or the hold could not be taken up again.
  [[nodiscard]] virtual bool Run(const std::vector<std::string>& args, HandOverOutput* output,
                                 std::string* error) = 0;
};

}  // namespace platform
