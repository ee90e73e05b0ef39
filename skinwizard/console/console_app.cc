// The skin project wizard on a console: the options, the pages in turn, the host's Finish.
// Portable: no Win32 here.
#include "skinwizard/console/console_app.h"

#include <filesystem>
#include <ostream>
#include <system_error>

#include "console/terminal.h"
#include "platform/change_list.h"
#include "platform/change_record.h"
#include "platform/encoding.h"
#include "platform/platform.h"
#include "skinwizard/console/answer_replay.h"
#include "skinwizard/res/resource.h"
#include "skinwizard/skin_wizard.h"

namespace skinwizard {
namespace {

constexpr const char* kProgram = "tslkt-skinwizard";

// Asks the pages and finishes through the host; the host decides every refusal.
int RunPages(ProjectWizardHost& host, SkinWizard& wizard, ConsolePages& pages,
             const Options& options, platform::Platform& services,
             const platform::ChangeRecord& record, ConsoleStreams io) {
  (void)host.Next();  // from the host's own first step to the skin name
  auto* namePage = dynamic_cast<SkinNamePage*>(host.CurrentPage());
  if (namePage == nullptr || !pages.FillNamePage(*namePage)) return kFailed;
  while (!host.Next()) {
    // The page has shown its refusal; a person may type another name.
    if (!pages.Asking() && !options.skinName) pages.Message("give the skin's name with --skin-name");
    if (!pages.Asking() || !pages.AskText(console::Label(TXT_SKIN_NAME), &namePage->skinName)) return kRefused;
  }
  auto* optionsPage = dynamic_cast<SkinOptionsPage*>(host.CurrentPage());
  if (optionsPage == nullptr || !pages.FillOptionsPage(*optionsPage)) return kFailed;

  const FinishOutcome outcome = host.FinishProject(
      options.project, *options.location, options.force,
      [&](const std::string& confirmation, const std::string& /*folder*/) {
        pages.Say("\n" + confirmation);
        bool create = true;
        if (pages.Asking() && (!pages.AskYesNo("Create the project?", true, &create) || !create)) {
          pages.Say("Nothing was created.\n");
          return false;
        }
        return true;
      });
  switch (outcome.kind) {
    case FinishOutcome::Kind::kRefused:
      if (outcome.refusal) io.err << kProgram << ": " << outcome.refusal->reason << "\n";
      return kRefused;
    case FinishOutcome::Kind::kWouldOverwrite:
      pages.Message(outcome.plan.project_folder +
                    " already holds files that this project would overwrite:");
      for (const std::string& path : outcome.existing)
        io.err << "  " << platform::AnsiToUtf8(path) << "\n";
      io.err << "Use --force to overwrite them.\n";
      return kWouldOverwrite;
    case FinishOutcome::Kind::kDeclined:
      return kFailed;
    case FinishOutcome::Kind::kFailed:
      pages.Message(outcome.reason);
      return kFailed;
    case FinishOutcome::Kind::kCreated:
      break;
  }
  pages.Say("Created " + outcome.plan.project_folder + ":\n");
  for (const PlannedFile& file : outcome.plan.files) pages.Say("  " + file.relative + "\n");
  int status = kCreated;
  // Through the record like the project's files: a dry run only lists the answers file.
  std::string answersPath, error;
  if (options.saveAnswers &&
      !(ServicePath(*services.files, *options.saveAnswers, &answersPath, &error) &&
        WriteAnswerLines(*services.files, answersPath, *options.saveAnswers,
                         AnswersOf(*namePage, *optionsPage, wizard.Methods()), &error))) {
    io.err << kProgram << ": " << error << "\n";
    status = kFailed;
  }
  if (options.dryRun) {
    pages.Say("\nChanges it would make (nothing was written):\n" +
              platform::DescribeChanges(record.changes()));
  }
  return status;
}

int Run(Options options, ConsoleStreams io, platform::Platform real) {
  // Every write is read back; a dry run withholds them and lists them at the end.
  platform::ChangeRecord record(std::move(real), options.dryRun
                                                     ? platform::ChangeRecord::Mode::kDryRun
                                                     : platform::ChangeRecord::Mode::kWrite);
  platform::Platform& services = record.services();
  if (!options.location) {
    std::error_code failed;
    const std::filesystem::path current = std::filesystem::current_path(failed);
    if (failed) {
      io.err << kProgram << ": cannot resolve the project location: " << failed.message() << "\n";
      return kFailed;
    }
    options.location = platform::Utf8ToAnsi(current.u8string());
  }
  ConsolePages pages(options, io);
  ProjectWizardHost host(pages, *services.files);
  SkinWizard wizard(host, *services.registry);
  host.RegisterWizard(&wizard);
  host.StartRun("", "");
  ProjectRefusal refusal;
  int status = kRefused;
  if (!host.NameProject(options.project, *options.location, &refusal)) {
    io.err << kProgram << ": " << refusal.reason << "\n";
  } else {
    status = RunPages(host, wizard, pages, options, services, record, io);
  }
  host.EndRun();
  return status;
}

}  // namespace

int RunSkinWizardConsole(const std::vector<std::string>& args, ConsoleStreams io) {
  Options options;
  std::string error;
  if (!ParseArguments(args, &options, &error)) {
    io.err << kProgram << ": " << error << "\nTry '" << kProgram << " --help'.\n";
    return kRefused;
  }
  if (options.help) {
    io.out << SkinWizardConsoleHelp();
    return kCreated;
  }
  if (options.version) {
    io.out << console::VersionLine(kProgram) << "\n";
    return kCreated;
  }
  // A usage error, refused before any prefix is looked for; the host refuses it alike.
  error = ProjectNameRefusal(options.project);
  if (!error.empty()) {
    io.err << kProgram << ": " << error << "\n";
    return kRefused;
  }
  platform::Platform real;
  platform::PlatformOptions platformOptions;
  platformOptions.reads_current_registry = true;
  platformOptions.wine_prefix = console::WinePrefix(options.prefix);
  if (!platform::CreatePlatform(platformOptions, &real, &error)) {
    io.err << kProgram << ": " << console::ConsoleText(error) << "\n";
    return kFailed;
  }
  if (options.answers && !LoadAnswers(*real.files, *options.answers, &options, &error)) {
    io.err << kProgram << ": " << error << "\n";
    return kRefused;
  }
  return Run(std::move(options), io, std::move(real));
}

}  // namespace skinwizard
