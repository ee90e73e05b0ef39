// Our own project wizard host and the frame it shows pages in.
// Portable: no Win32 here.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "skinwizard/host/custom_wizard.h"
#include "skinwizard/host/wizard_host.h"
#include "skinwizard/host/wizard_page.h"
#include "skinwizard/project/project_writer.h"

namespace skinwizard {

/// The front end's side of our host: it makes the windows pages are shown in.
class WizardFrame {
 public:
  virtual ~WizardFrame() = default;
  /// The window for `page`. The host makes it when the page is first shown (or first
  /// committed) in a run and keeps it until the run ends, so re-visiting a page does not
  /// initialise it again.
  virtual std::unique_ptr<PageView> CreatePageView(WizardPage& page) = 0;
};

/// The host's own fields, so that a window can put the focus on the one refused.
enum class ProjectField { kName, kLocation };

/// Why the project's name or location is refused, in the words every front end shows (UTF-8).
struct ProjectRefusal {
  ProjectField field = ProjectField::kName;
  std::string reason;
};

/// What came of finishing a run; a front end only shows it.
struct FinishOutcome {
  enum class Kind {
    kCreated,         ///< the project is written: `plan`
    kRefused,         ///< the name or location (`refusal`) or a page refused; a page has said why
    kWouldOverwrite,  ///< `existing` files of `plan.project_folder` stand; nothing is written
    kDeclined,        ///< the confirmation was declined; the run is back where Finish was pressed
    kFailed,          ///< planning or writing failed: `reason`
  };
  Kind kind = Kind::kFailed;
  std::optional<ProjectRefusal> refusal;
  std::vector<std::string> existing;
  std::string reason;
  ProjectPlan plan;
};

/// The confirmation a front end asks with the CONFIRM.INF text and the project folder: true
/// goes on to create the project.
using ConfirmProject = std::function<bool(const std::string& text, const std::string& folder)>;

/// Our own project wizard host: it drives a registered wizard through a run (start, next
/// and previous page, commits, confirmation, generation, ConfigureProject, exit), supplies
/// the project symbols and writes the project with the template set.
class ProjectWizardHost : public WizardHost {
 public:
  ProjectWizardHost(WizardFrame& frame, platform::FileSystem& files)
      : frame_(frame), files_(files) {}
  ~ProjectWizardHost() override;

  void RegisterWizard(CustomWizard* wizard) override { wizard_ = wizard; }
  void SetNumberOfSteps(int steps) override { steps_ = steps; }

  int NumberOfSteps() const { return steps_; }

  /// Starts a run for project `name` to be made in the folder `location` (Windows form):
  /// the wizard's start, then the host's symbols root, ROOT and Safe_root. The run stands
  /// on the host's own first step (step 0).
  void StartRun(const std::string& name, const std::string& location);
  /// Names the project again within the run, as a window host's own first step may when
  /// the user goes back to it: root, ROOT, Safe_root and the location follow.
  void SetProject(const std::string& name, const std::string& location);
  /// The host's own first step taken: `name` and `location` (ANSI, as typed) checked, the
  /// location made a full Windows path without trailing separators (a host path maps to its
  /// drive), then set as SetProject does. False with the refusal, the run unchanged.
  [[nodiscard]] bool NameProject(const std::string& name, const std::string& location,
                                 ProjectRefusal* refusal);
  /// The project folder a window's first step shows while the user types: the location made
  /// full as NameProject makes it (as typed where it cannot be), then the name.
  std::string ProjectFolder(const std::string& name, const std::string& location) const;
  /// Finish as every front end runs it: NameProject, Finish, the plan, the files it would
  /// overwrite (refused unless `overwrite`), `confirm` with the confirmation text, then
  /// Generate. Unless the project is created or a page refused, the run is back on the
  /// step Finish was pressed on.
  [[nodiscard]] FinishOutcome FinishProject(const std::string& name, const std::string& location,
                                            bool overwrite, const ConfirmProject& confirm);
  /// 0 for the host's own first step, then 1 to NumberOfSteps().
  int CurrentStep() const { return step_; }
  /// The page shown; null on the host's own first step.
  WizardPage* CurrentPage() const { return current_; }
  /// Next: commits the page shown, then shows the wizard's next page. False when the page
  /// refuses (it stays) or when the last step is shown (or the wizard has no next page).
  [[nodiscard]] bool Next();
  /// Back: shows the page before without committing. False on the host's own first step.
  [[nodiscard]] bool Back();
  /// Finish: commits every page in step order, whichever step is shown, so each page's
  /// symbols exist. On a refusal that page is shown and the result is false.
  [[nodiscard]] bool Finish();

  /// The confirmation text (CONFIRM.INF expanded, CR LF line ends).
  [[nodiscard]] bool ConfirmationText(std::string* text, std::string* error) const;
  /// Everything the project would write, from the symbols as they stand after Finish.
  [[nodiscard]] bool PlanProject(ProjectPlan* plan, std::string* error) const;
  /// Writes the planned project, then lets the wizard configure it through the project's
  /// automation. False with the reason when a file or the project file cannot be written.
  [[nodiscard]] bool Generate(const ProjectPlan& plan, std::string* error);
  /// Ends the run, finished or cancelled: the wizard's exit, then the pages' windows go.
  void EndRun();

 private:
  void Show(WizardPage* page, int step);
  // Back from the last step to `step`, as Back pressed that often would.
  void ReturnTo(int step);
  PageView* EnsureView(WizardPage& page);

  WizardFrame& frame_;
  platform::FileSystem& files_;
  CustomWizard* wizard_ = nullptr;
  int steps_ = 0;
  std::string location_;
  int step_ = 0;
  WizardPage* current_ = nullptr;
  std::map<int, WizardPage*> pages_;  // step -> page, as the wizard handed them out
  std::map<WizardPage*, std::unique_ptr<PageView>> views_;
};

/// The project name with every character that is not an ASCII letter, digit or underscore
/// removed, for the application class name.
std::string SafeRoot(const std::string& project_name);

/// The include-guard symbol of a generated file: "AFX_" + the file name upper-cased with
/// '.' as '_' + "__" + a GUID with '-' as '_'. The GUID is a hash of project and file name,
/// so generating the same project twice gives identical files.
std::string FileNameSymbol(const std::string& project_name, const std::string& destination);

}  // namespace skinwizard
