// Our own project wizard host: a run through the pages, the project symbols, the generation.
// Portable: no Win32 here.
#include "skinwizard/host/project_wizard_host.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/encoding.h"
#include "platform/windows_path.h"
#include "skinwizard/project/project_automation.h"
#include "skinwizard/typed_text.h"

namespace skinwizard {
namespace {

std::uint64_t Fnv1a(const std::string& bytes, std::uint64_t basis) {
  std::uint64_t hash = basis;
  for (unsigned char c : bytes) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  return hash;
}

// 128 bits from two differently seeded FNV-1a hashes, laid out as a GUID's 8-4-4-4-12 hex
// digits; '_' stands where a GUID has '-'.
std::string NameGuid(const std::string& name) {
  std::uint64_t high = Fnv1a(name, 0xcbf29ce484222325ULL);
  std::uint64_t low = Fnv1a(name, 0x84222325cbf29ce4ULL ^ high);
  char text[40];
  std::snprintf(text, sizeof text, "%08X_%04X_%04X_%04X_%04X%08X",
                static_cast<unsigned>(high >> 32), static_cast<unsigned>((high >> 16) & 0xFFFF),
                static_cast<unsigned>(high & 0xFFFF), static_cast<unsigned>(low >> 48),
                static_cast<unsigned>((low >> 32) & 0xFFFF),
                static_cast<unsigned>(low & 0xFFFFFFFF));
  return text;
}

// The location as a full Windows path without trailing separators; false with the refusal.
bool FullLocation(platform::FileSystem& files, const std::string& location, std::string* full,
                  std::string* refusal) {
  if (location.find_first_not_of(' ') == std::string::npos) {
    *refusal = "Enter the folder the project folder is made in.";
    return false;
  }
  const std::string typed = platform::AnsiToUtf8(location);
  // Wildcards and the other characters Windows refuses in names would be taken literally.
  for (const char c : location) {
    if (static_cast<unsigned char>(c) < 0x20 || std::strchr("*?\"<>|", c) != nullptr) {
      *refusal = "The location " + QuoteTyped(typed) +
                 " holds characters Windows refuses in a folder name";
      return false;
    }
  }
  std::string path = location;
  if (!platform::IsWindowsFormPath(location)) {
    std::error_code failed;
    // UTF-8 both ways, so the narrow encoding of the host's paths does not matter.
    const std::filesystem::path absolute =
        std::filesystem::absolute(std::filesystem::u8path(typed), failed);
    if (failed) {
      *refusal = "Cannot resolve the project location " + QuoteTyped(typed) + ": " +
                 failed.message();
      return false;
    }
    path = files.FromUserPath(platform::Utf8ToAnsi(absolute.lexically_normal().u8string()));
  }
  *full = platform::WithoutTrailingSeparators(path);
  return true;
}

}  // namespace

std::string SafeRoot(const std::string& project_name) {
  std::string safe;
  for (char c : project_name) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_') {
      safe += c;
    }
  }
  return safe;
}

std::string FileNameSymbol(const std::string& project_name, const std::string& destination) {
  std::string file = platform::FileName(destination);
  std::string upper = platform::AnsiToUpper(file);
  for (char& c : upper) {
    if (c == '.') c = '_';
  }
  // The NUL keeps ("ab", "c") and ("a", "bc") apart.
  return "AFX_" + upper + "__" + NameGuid(project_name + '\0' + file);
}

ProjectWizardHost::~ProjectWizardHost() = default;

void ProjectWizardHost::StartRun(const std::string& name, const std::string& location) {
  step_ = 0;
  current_ = nullptr;
  pages_.clear();
  views_.clear();
  wizard_->OnWizardStart();
  SetProject(name, location);
}

void ProjectWizardHost::SetProject(const std::string& name, const std::string& location) {
  location_ = location;
  SymbolDictionary& symbols = wizard_->dictionary;
  symbols.Set("root", name);
  symbols.Set("ROOT", platform::AnsiToUpper(name));
  symbols.Set("Safe_root", SafeRoot(name));
}

bool ProjectWizardHost::NameProject(const std::string& name, const std::string& location,
                                    ProjectRefusal* refusal) {
  refusal->field = ProjectField::kName;
  refusal->reason = name.empty() ? "Enter a name for the project." : ProjectNameRefusal(name);
  if (!refusal->reason.empty()) return false;
  std::string full;
  if (!FullLocation(files_, location, &full, &refusal->reason)) {
    refusal->field = ProjectField::kLocation;
    return false;
  }
  SetProject(name, full);
  return true;
}

std::string ProjectWizardHost::ProjectFolder(const std::string& name,
                                             const std::string& location) const {
  std::string full, refusal;
  return platform::JoinPath(FullLocation(files_, location, &full, &refusal) ? full : location,
                            name);
}

FinishOutcome ProjectWizardHost::FinishProject(const std::string& name,
                                               const std::string& location, bool overwrite,
                                               const ConfirmProject& confirm) {
  using Kind = FinishOutcome::Kind;
  FinishOutcome outcome;
  ProjectRefusal refusal;
  if (!NameProject(name, location, &refusal)) {
    outcome.kind = Kind::kRefused;
    outcome.refusal = refusal;
    return outcome;
  }
  const int pressedOn = step_;
  if (!Finish()) {
    outcome.kind = Kind::kRefused;  // the page is shown and has said why
    return outcome;
  }
  std::string confirmation;
  if (!PlanProject(&outcome.plan, &outcome.reason)) {
    outcome.kind = Kind::kFailed;
  } else if (!(outcome.existing = ExistingFiles(outcome.plan, files_)).empty() && !overwrite) {
    outcome.kind = Kind::kWouldOverwrite;
  } else if (!ConfirmationText(&confirmation, &outcome.reason)) {
    outcome.kind = Kind::kFailed;
  } else if (!confirm(confirmation, outcome.plan.project_folder)) {
    outcome.kind = Kind::kDeclined;
  } else if (!Generate(outcome.plan, &outcome.reason)) {
    outcome.kind = Kind::kFailed;
  } else {
    outcome.kind = Kind::kCreated;
    return outcome;
  }
  ReturnTo(pressedOn);
  return outcome;
}

void ProjectWizardHost::ReturnTo(int step) {
  while (step_ > step) {
    if (!Back()) break;
  }
}

PageView* ProjectWizardHost::EnsureView(WizardPage& page) {
  std::unique_ptr<PageView>& view = views_[&page];
  if (!view) {
    view = frame_.CreatePageView(page);
    page.AttachView(view.get());
    (void)page.OnInitDialog();  // a step page is shown whatever it answers; only dialogs end on false
  }
  return view.get();
}

void ProjectWizardHost::Show(WizardPage* page, int step) {
  step_ = step;
  current_ = page;
  if (page == nullptr) return;
  pages_[step] = page;
  EnsureView(*page);
}

bool ProjectWizardHost::Next() {
  if (current_ != nullptr && !current_->CommitPage()) return false;
  if (step_ >= steps_) return false;
  WizardPage* next = wizard_->NextStep(current_);
  if (next == nullptr) return false;  // fewer pages than steps declared: stay
  Show(next, step_ + 1);
  return true;
}

bool ProjectWizardHost::Back() {
  if (step_ == 0) return false;
  Show(wizard_->PreviousStep(current_), step_ - 1);
  return true;
}

bool ProjectWizardHost::Finish() {
  // Pages beyond the one shown were never handed out: walk the wizard to them, as pressing
  // Next would, so that each can commit its answers (or its defaults).
  int shown = step_;
  WizardPage* page = current_;
  for (int step = step_ + 1; step <= steps_; ++step) {
    page = wizard_->NextStep(page);
    if (page == nullptr) break;
    pages_[step] = page;
  }
  int last = shown;
  while (pages_.count(last + 1) != 0) ++last;
  for (int step = 1; step <= last; ++step) {
    WizardPage* committed = pages_[step];
    EnsureView(*committed);
    if (committed->CommitPage()) continue;
    // Back to the refusing page, so the user sees the message beside it.
    for (int at = last; at > step; --at) wizard_->PreviousStep(pages_[at]);
    step_ = step;
    current_ = committed;
    return false;
  }
  step_ = last;
  current_ = last == 0 ? nullptr : pages_[last];
  return true;
}

bool ProjectWizardHost::ConfirmationText(std::string* text, std::string* error) const {
  return ExpandNamedTemplate("CONFIRM.INF", wizard_->dictionary.Entries(), text, error);
}

bool ProjectWizardHost::PlanProject(ProjectPlan* plan, std::string* error) const {
  ProjectRequest request;
  request.symbols = wizard_->dictionary.Entries();
  request.location = location_;
  std::string root = wizard_->dictionary.Value("root");
  request.file_name_symbol = [root](const std::string& destination) {
    return FileNameSymbol(root, destination);
  };
  return skinwizard::PlanProject(request, plan, error);
}

bool ProjectWizardHost::Generate(const ProjectPlan& plan, std::string* error) {
  // The wizard configures the project before anything is written, so a run that stops
  // part way never leaves a project file without its settings.
  ProjectPlan configured = plan;
  const std::string dsp = wizard_->dictionary.Value("root") + ".dsp";
  for (PlannedFile& file : configured.files) {
    if (file.relative != dsp) continue;
    std::unique_ptr<BuildProject> project = OpenDspText(&file.bytes, error);
    if (!project) return false;
    wizard_->ConfigureProject(*project);
  }
  return WriteProject(configured, files_, error);
}

void ProjectWizardHost::EndRun() {
  // The windows go first: the wizard's exit destroys the page objects they show.
  for (auto& [page, view] : views_) page->AttachView(nullptr);
  views_.clear();
  pages_.clear();
  wizard_->OnWizardExit();
  current_ = nullptr;
  step_ = 0;
}

}  // namespace skinwizard
