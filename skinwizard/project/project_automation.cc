// The generated project's build automation over its .dsp: configurations and AddToolSettings.
// Portable: no Win32 here.
#include "skinwizard/project/project_automation.h"

#include <functional>
#include <utility>

#include "skinwizard/project/dsp_file.h"

namespace skinwizard {

namespace {

class DspProject;

class DspConfiguration : public BuildConfiguration {
 public:
  DspConfiguration(DspProject* project, std::string name)
      : project_(project), name_(std::move(name)) {}
  std::string Name() const override { return name_; }
  bool AddToolSettings(const std::string& tool, const std::string& settings,
                       std::string* error) override;

 private:
  DspProject* project_;
  std::string name_;
};

// Where a changed project text goes: the file, or the caller's copy in memory.
using SaveText = std::function<bool(const std::string& text, std::string* error)>;

class DspProject : public BuildProject {
 public:
  DspProject(SaveText save, std::string text) : save_(std::move(save)), text_(std::move(text)) {
    for (const std::string& name : DspConfigurationNames(text_)) {
      configurations_.push_back(std::make_unique<DspConfiguration>(this, name));
    }
  }

  bool Configurations(std::vector<BuildConfiguration*>* items) override {
    items->clear();
    for (const auto& configuration : configurations_) items->push_back(configuration.get());
    return true;
  }

  bool HasConfigurations() const { return !configurations_.empty(); }

  // The IDE keeps a changed project in memory until it saves; here every change is saved at
  // once, so the file is right whatever the caller does next.
  bool AddLinkOption(const std::string& configuration, const std::string& option,
                     std::string* error) {
    std::string changed = text_;
    if (!AddDspLinkOption(&changed, configuration, option, error)) return false;
    if (changed == text_) return true;
    if (!save_(changed, error)) return false;
    text_ = std::move(changed);
    return true;
  }

 private:
  SaveText save_;
  std::string text_;
  std::vector<std::unique_ptr<DspConfiguration>> configurations_;
};

bool DspConfiguration::AddToolSettings(const std::string& tool, const std::string& settings,
                                       std::string* error) {
  // The skin wizard only ever sets the linker's output; other tools' lines are left to the IDE.
  if (tool != "link.exe") {
    *error = "No settings of tool \"" + tool + "\" can be changed in this project file";
    return false;
  }
  return project_->AddLinkOption(name_, settings, error);
}

}  // namespace

std::unique_ptr<BuildProject> OpenDspProject(platform::FileSystem& files,
                                             const std::string& dsp_path, std::string* error) {
  std::string text;
  if (!files.ReadBinaryFile(dsp_path, &text, error)) return nullptr;
  // The file service's message already names the file.
  auto save = [&files, dsp_path](const std::string& changed, std::string* error) {
    return files.WriteBinaryFile(dsp_path, changed, error);
  };
  auto project = std::make_unique<DspProject>(save, std::move(text));
  if (!project->HasConfigurations()) {
    *error = dsp_path + " holds no configuration";
    return nullptr;
  }
  return project;
}

std::unique_ptr<BuildProject> OpenDspText(std::string* dsp_text, std::string* error) {
  auto save = [dsp_text](const std::string& changed, std::string*) {
    *dsp_text = changed;
    return true;
  };
  auto project = std::make_unique<DspProject>(save, *dsp_text);
  if (!project->HasConfigurations()) {
    *error = "The project file holds no configuration";
    return nullptr;
  }
  return project;
}

}  // namespace skinwizard
