// The generated project's build automation over its .dsp: configurations and AddToolSettings.
// Portable: no Win32 here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/files.h"

namespace skinwizard {

/// One build configuration of a generated project, as the IDE's build automation offers it.
class BuildConfiguration {
 public:
  virtual ~BuildConfiguration() = default;

  /// "Win32 Release", "Win32 Debug".
  virtual std::string Name() const = 0;

  /// Adds an option to a tool's settings of this configuration, as the IDE's AddToolSettings
  /// does: for "link.exe" the option ends the configuration's linker line. An option already
  /// there is not added twice. False with the reason for an unknown tool or a failed write.
  virtual bool AddToolSettings(const std::string& tool, const std::string& settings,
                               std::string* error) = 0;
};

/// The new project as ConfigureProject sees it: abstract so the wizard can be tested with a
/// double, and so another build system could stand behind it.
class BuildProject {
 public:
  virtual ~BuildProject() = default;

  /// The items of the project's configuration collection, in project order, owned by this
  /// object. An item that is no configuration is a null pointer, to be skipped (the IDE's
  /// collection may hold such items; ours never does). False when the collection cannot be
  /// reached; the caller then leaves the project alone.
  virtual bool Configurations(std::vector<BuildConfiguration*>* items) = 0;
};

/// Automation over a written VC6 project file: the configurations are those of its
/// "!IF  \"$(CFG)\" == ..." blocks, and every AddToolSettings rewrites the file at once (no
/// separate save). Null with the reason when the file cannot be read or holds no
/// configuration.
/// `dsp_path` is the Windows path of <root>.dsp.
[[nodiscard]] std::unique_ptr<BuildProject> OpenDspProject(platform::FileSystem& files,
                                             const std::string& dsp_path, std::string* error);

/// The same automation over a project text in memory, changed in place: a project can be
/// configured before it is written, so each of its files is written once, complete.
[[nodiscard]] std::unique_ptr<BuildProject> OpenDspText(std::string* dsp_text, std::string* error);

}  // namespace skinwizard
