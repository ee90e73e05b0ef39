// tslkt-integrate: the integration wizard's dialog driven from a terminal or a script.
// Portable: no Win32 here.
// The same dialog model as the Win32 program, with option flags in place of the checkboxes and
// the progress lines printed as they are added.
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "console/options.h"
#include "console/terminal.h"
#include "integrate/console/change_commands.h"
#include "integrate/console/console_owner.h"
#include "integrate/console/exit_status.h"
#include "integrate/console/status_report.h"
#include "integrate/integration_dialog.h"
#include "integrate/startup.h"
#include "integrate/strings.h"
#include "platform/change_record.h"
#include "platform/encoding.h"
#include "platform/platform.h"

namespace integrate {
namespace {

// Natively the program works on a Wine prefix from Linux; the Windows build on the machine
// it runs on. Set by the build, so the code itself stays free of platform switches.
constexpr bool kWinePrefixPlatform = TSL_WINE_PREFIX_PLATFORM != 0;

// Set by SIGINT and SIGTERM once the run has started: the run stops before its next change,
// so no file operation is left half done.
volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int) { stopRequested = 1; }

// One option flag name, the checkbox it ticks and the text saying why it may be unavailable.
struct Choice {
  const char* name;
  int controlId;
  int whyUnavailableId;
};

// Setting up the directories is never unavailable.
constexpr int kAlwaysAvailable = 0;

const Choice kIdeChoices[] = {
    {"vc6", kIdVc6Option, kStrConsoleNoVc6},
    {"net70", kIdNet70Option, kStrConsoleNoNet70},
    {"net71", kIdNet71Option, kStrConsoleNoNet71},
    {"vs2005", kIdVs2005Option, kStrConsoleNoVs2005},
};

const Choice kItemChoices[] = {
    {"directories", kIdDirectoriesOption, kAlwaysAvailable},
    {"help", kIdHelpOption, kStrConsoleNoHelpFiles},
    {"appwizard", kIdAppWizardOption, kStrConsoleNoAppWizard},
    {"skinwizard", kIdSkinWizardOption, kStrConsoleNoSkinWizard},
};

// The checkboxes in the order the dialog shows them, IDEs first.
const int kFaceOrder[] = {kIdVc6Option,       kIdNet70Option,       kIdNet71Option,
                          kIdVs2005Option,    kIdDirectoriesOption, kIdHelpOption,
                          kIdAppWizardOption, kIdSkinWizardOption};

struct CommandLine {
  std::vector<std::string> wizardArgs;  // every argument that is not one of ours
  std::string prefix;
  bool prefixGiven = false;
  bool ideGiven = false;
  std::vector<std::string> ides;
  bool itemsGiven = false;
  std::vector<std::string> items;
  bool yes = false;
  bool help = false;
  bool version = false;
  std::string windowsBuild;  // empty: the one beside this program
  bool remove = false;  // --remove: take the library out of the chosen IDEs
  bool status = false;  // --status: say where it stands, changing nothing
  std::string format;   // --format of --status: "text" or "json"
  ChangeOptions changes;
};

std::vector<std::string> SplitList(const std::string& list) {
  std::vector<std::string> names;
  std::string name;
  for (char c : list + ",") {
    if (c == ',') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else if (c != ' ') {
      name += c;
    }
  }
  return names;
}

template <std::size_t N>
bool KnownNames(const std::vector<std::string>& names, const Choice (&choices)[N],
                std::string* unknown) {
  for (const std::string& name : names) {
    bool known = false;
    for (const Choice& c : choices) known = known || name == c.name;
    if (!known) {
      *unknown = name;
      return false;
    }
  }
  return true;
}

constexpr console::OptionValue kFlag = console::OptionValue::kNone;
constexpr console::OptionValue kValue = console::OptionValue::kRequired;

// The journal of --undo is optional; "--undo -p:DIR" or "--undo /p:DIR" names no journal.
const std::vector<console::OptionSpec> kOptionSpecs = {
    {"--help", "-h", kFlag},
    {"--version", nullptr, kFlag},
    {"--yes", "-y", kFlag},
    {"--dry-run", nullptr, kFlag},
    {"--no-journal", nullptr, kFlag},
    {"--force", nullptr, kFlag},
    {"--remove", nullptr, kFlag},
    {"--status", nullptr, kFlag},
    {"--format", nullptr, kValue},
    {"--prefix", nullptr, kValue},
    {"--ide", nullptr, kValue},
    {"--items", nullptr, kValue},
    {"--windows-build", nullptr, kValue},
    {"--undo", nullptr, console::OptionValue::kOptional, IsInstallDirArgument}};

[[nodiscard]] bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* cl,
                                    std::string* error) {
  std::vector<console::GivenOption> given;
  console::OptionError refused;
  // Every other argument goes to the wizard, whose rule is: a -p:DIR argument counts,
  // anything else is ignored.
  if (!console::SplitCommandLine(args, kOptionSpecs, &given, &cl->wizardArgs, &refused)) {
    const std::map<console::OptionError::Kind, int> texts = {
        {console::OptionError::Kind::kUnknown, kStrConsoleUnknownOption},
        {console::OptionError::Kind::kNeedsValue, kStrConsoleNeedsValue},
        {console::OptionError::Kind::kTakesNoValue, kStrConsoleTakesNoValue}};
    *error = FormatText(texts.at(refused.kind), refused.option);
    return false;
  }
  const std::map<std::string, bool*> flags = {{"--help", &cl->help},
                                              {"--version", &cl->version},
                                              {"--yes", &cl->yes},
                                              {"--dry-run", &cl->changes.dryRun},
                                              {"--no-journal", &cl->changes.noJournal},
                                              {"--force", &cl->changes.force},
                                              {"--remove", &cl->remove},
                                              {"--status", &cl->status}};
  for (const console::GivenOption& option : given) {
    const std::string& value = option.value;
    if (flags.count(option.name) != 0) {
      *flags.at(option.name) = true;
    } else if (option.name == "--undo") {
      cl->changes.undo = true;
      cl->changes.journal = value;
    } else if (option.name == "--format") {
      cl->format = value;
    } else if (option.name == "--prefix") {
      cl->prefixGiven = true;
      cl->prefix = value;
    } else if (option.name == "--ide") {
      cl->ideGiven = true;
      cl->ides = SplitList(value);
    } else if (option.name == "--items") {
      cl->itemsGiven = true;
      cl->items = SplitList(value);
    } else if (option.name == "--windows-build") {
      // A bare name would be looked for beside this program; typed, it means this folder.
      cl->windowsBuild = value.find('/') == std::string::npos ? "./" + value : value;
    }
  }
  if (cl->changes.force && !cl->changes.undo) {
    *error = LoadText(kStrConsoleForceWithoutUndo);
    return false;
  }
  // The commands exclude each other; a status writes nothing, so there is nothing to dry-run.
  const std::pair<bool, const char*> commands[] = {
      {cl->changes.undo, "--undo"}, {cl->remove, "--remove"}, {cl->status, "--status"}};
  for (std::size_t i = 0; i < std::size(commands); ++i) {
    for (std::size_t j = i + 1; j < std::size(commands); ++j) {
      if (commands[i].first && commands[j].first) {
        *error = FormatText(kStrConsoleOptionsClash, commands[i].second, commands[j].second);
        return false;
      }
    }
  }
  if (cl->status && cl->changes.dryRun) {
    *error = FormatText(kStrConsoleOptionsClash, "--status", "--dry-run");
    return false;
  }
  if (!cl->format.empty() && !cl->status) {
    *error = LoadText(kStrConsoleFormatWithoutStatus);
    return false;
  }
  if (!cl->format.empty() && cl->format != "text" && cl->format != "json") {
    *error = FormatText(kStrConsoleUnknownFormat, cl->format);
    return false;
  }
  std::string unknown;
  if (!KnownNames(cl->ides, kIdeChoices, &unknown)) {
    *error = FormatText(kStrConsoleUnknownIde, unknown);
    return false;
  }
  if (!KnownNames(cl->items, kItemChoices, &unknown)) {
    *error = FormatText(kStrConsoleUnknownItem, unknown);
    return false;
  }
  return true;
}

// A checkbox text as the dialog draws it, in UTF-8.
std::string Label(const std::string& text) { return platform::AnsiToUtf8(console::Label(text)); }

// Ticks exactly the named options; a named one whose checkbox is disabled is reported and
// left out, as a person could not tick it either.
template <std::size_t N>
void ApplyTicks(IntegrationDialog& dialog, const Choice (&choices)[N],
                const std::vector<std::string>& names, std::ostream& out) {
  for (const Choice& c : choices) {
    bool wanted = false;
    for (const std::string& name : names) wanted = wanted || name == c.name;
    if (wanted && !dialog.Control(c.controlId).enabled) {
      out << FormatText(kStrConsoleLeftOut, Label(dialog.Control(c.controlId).text),
                        LoadText(c.whyUnavailableId))
          << '\n';
      wanted = false;
    }
    dialog.SetChecked(c.controlId, wanted);
  }
}

void PrintFace(IntegrationDialog& dialog, std::ostream& out) {
  for (int id : kFaceOrder) {
    const ControlState& box = dialog.Control(id);
    const bool item = id == kIdDirectoriesOption || id == kIdHelpOption ||
                      id == kIdAppWizardOption || id == kIdSkinWizardOption;
    out << (item ? "      " : "  ")
        << (!box.enabled  ? "[-] "
            : box.checked ? "[x] "
                          : "[ ] ")
        << Label(box.text) << (box.enabled ? "" : LoadText(kStrConsoleUnavailable)) << '\n';
  }
}

// The option name of a checkbox ("vc6", "directories"), as --ide and --items spell it.
std::string OptionName(int controlId) {
  for (const Choice& c : kIdeChoices) {
    if (c.controlId == controlId) return c.name;
  }
  for (const Choice& c : kItemChoices) {
    if (c.controlId == controlId) return c.name;
  }
  return std::string();
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int Run(int argc, char** argv) {
  const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  CommandLine cl;
  std::string error;
  if (!ParseCommandLine(args, &cl, &error)) {
    std::cerr << "tslkt-integrate: " << error << '\n' << LoadText(kStrConsoleTryHelp) << '\n';
    return kExitUsage;
  }
  if (kWinePrefixPlatform) {
    // Linux hands over UTF-8; the system speaks Windows-1252 (Windows hands over ANSI). A
    // folder that Windows-1252 cannot spell would be looked for under a wrong name.
    for (std::string& arg : cl.wizardArgs) {
      bool lossless = true;
      std::string ansi = platform::Utf8ToAnsi(arg, &lossless);
      if (!lossless) {
        std::cerr << "tslkt-integrate: " << FormatText(kStrConsoleNotWindows1252, arg) << '\n';
        return kExitUsage;
      }
      arg = std::move(ansi);
    }
  }
  if (cl.help) {
    std::cout << LoadText(kStrConsoleUsage);
    return kExitCompleted;
  }
  if (cl.version) {
    std::cout << console::VersionLine("tslkt-integrate") << '\n';
    return kExitCompleted;
  }

  const bool terminal = console::PersonAtTerminal();
  ConsoleOwner owner(MessageCaption(argc > 0 ? argv[0] : "", "tslkt-integrate"), std::cin,
                     std::cerr, terminal);

  StartupRequest request;
  request.platform.windows_build =
      cl.windowsBuild.empty() ? "tslkt-integrate.exe" : cl.windowsBuild;
  // A status only reads: it neither takes the prefix's lock nor reads hives a running
  // wineserver holds newer values of.
  request.platform.writes_registry = !cl.status;
  request.platform.reads_current_registry = cl.status;
  if (kWinePrefixPlatform) {
    request.platform.wine_prefix =
        console::WinePrefix(cl.prefixGiven ? std::optional<std::string>(cl.prefix) : std::nullopt);
    if (!IsFolder(request.platform.wine_prefix)) {
      std::cerr << "tslkt-integrate: "
                << FormatText(kStrConsoleNoPrefix, request.platform.wine_prefix) << '\n';
      return kExitUsage;
    }
  } else if (cl.prefixGiven) {
    std::cerr << "tslkt-integrate: " << LoadText(kStrConsolePrefixOnWindows) << '\n';
    return kExitUsage;
  }
  // A status goes through a dry run's record, so nothing it might do could reach the disk.
  request.mode = cl.changes.dryRun || cl.status ? platform::ChangeRecord::Mode::kDryRun
                                                : platform::ChangeRecord::Mode::kWrite;
  request.args = cl.wizardArgs;
  request.locateLibrary = !cl.changes.undo;
  request.keepJournal = !cl.changes.noJournal && !cl.status;
  Session session;
  switch (StartUp(request, owner, &session, &error)) {
    case StartupStatus::kStarted:
      break;
    case StartupStatus::kNoMachine:
      std::cerr << "tslkt-integrate: " << error << '\n';
      return kExitUsage;
    case StartupStatus::kRegistryUnreadable:
      std::cerr << "tslkt-integrate: " << FormatText(kStrConsoleRegistryUnreadable, error) << '\n';
      return kExitFailed;
    case StartupStatus::kNoLibrary:
      return kExitNoLibrary;
    case StartupStatus::kBadInstallDir:
      std::cerr << "tslkt-integrate: " << error << " ("
                << platform::AnsiToUtf8(session.installDir()) << ")\n";
      return kExitUsage;
  }
  platform::ChangeRecord& record = session.record();
  if (cl.changes.undo) return RunUndo(record, cl.changes, std::cout, std::cerr);
  const std::string& installDir = session.installDir();
  // The Windows build's Help 2 calls are its own, not this run's changes: a dry run starts no
  // wine (its help step answers as the prefix alone would).
  if (!cl.changes.dryRun && !cl.status) {
    record.services().help2_handover = std::move(record.real().help2_handover);
  }

  IntegrationDialog dialog(installDir, record.services(), owner);
  dialog.OnInitDialog();
  // JSON alone on standard output, for scripts to parse.
  const bool json = cl.format == "json";
  std::ostream& heading = json ? std::cerr : std::cout;
  heading << LoadText(kStrConsoleTitle) << '\n';
  if (kWinePrefixPlatform) {
    heading << FormatText(kStrConsoleWinePrefix, request.platform.wine_prefix) << '\n';
  }
  heading << FormatText(kStrConsoleLibrary, platform::AnsiToUtf8(installDir)) << "\n\n";
  if (!dialog.Control(kIdOkButton).enabled) {
    std::cerr << "tslkt-integrate: " << LoadText(kStrConsoleEmptyInstallDir) << '\n';
    return kExitNoLibrary;
  }

  if (cl.ideGiven) {
    ApplyTicks(dialog, kIdeChoices, cl.ides, std::cout);
    // The skin wizard's checkbox follows the Visual C++ 6.0 tick, as on a click.
    dialog.OnVc6OptionClicked();
  }
  if (cl.itemsGiven) ApplyTicks(dialog, kItemChoices, cl.items, heading);
  if (cl.status) {
    const std::vector<IntegrationDialog::ItemStatus> states = dialog.Status();
    if (states.empty()) {
      std::cerr << "tslkt-integrate: " << LoadText(kStrSelectAtLeastOne) << '\n';
      return kExitUsage;
    }
    return PrintStatus(states, json, OptionName, std::cout);
  }
  PrintFace(dialog, std::cout);
  std::cout << std::endl;

  if (!cl.yes) {
    if (!terminal) {
      std::cerr << "tslkt-integrate: " << LoadText(kStrConsoleNoTerminalToConfirm) << '\n';
      return kExitUsage;
    }
    if (!owner.AskYesNo(
            LoadText(cl.remove ? kStrConsoleRemoveQuestion : kStrConsoleStartQuestion))) {
      std::cerr << "tslkt-integrate: "
                << LoadText(cl.remove ? kStrConsoleRemoveNotStarted : kStrConsoleNotStarted)
                << '\n';
      return kExitUsage;
    }
  }

  // The journal is on the disk before the first change, or the run does not start.
  JournalWriter* journal = session.journal();
  if (journal && !journal->Start(&error)) {
    std::cerr << "tslkt-integrate: "
              << platform::AnsiToUtf8(FormatText(kStrJournalCannotStart, error)) << '\n';
    return kExitFailed;
  }
  std::signal(SIGINT, RequestStop);
  std::signal(SIGTERM, RequestStop);
  record.SetBeforeChange([&] {
    if (!stopRequested) return;
    std::cout.flush();
    std::string reason;
    if (journal && !journal->Finish(true, &reason)) {
      std::cerr << "tslkt-integrate: "
                << platform::AnsiToUtf8(FormatText(kStrJournalNotWritten, reason)) << '\n';
    } else if (journal && !journal->path().empty()) {
      std::cerr << "tslkt-integrate: "
                << platform::AnsiToUtf8(FormatText(kStrConsoleInterrupted, journal->path()))
                << '\n';
    }
    std::exit(kExitInterrupted);
  });

  dialog.SetLineObserver([&](const ProgressLine& line) {
    std::cout << (line.image == 1 ? "\xE2\x9C\x97 " : "\xE2\x9C\x93 ")  // U+2717, U+2713
              << platform::AnsiToUtf8(line.text) << std::endl;
  });
  const IntegrationDialog::RunResult result = cl.remove ? dialog.OnRemove() : dialog.OnRun();
  const bool kept = FinishRun(record, journal, std::cout, std::cerr);
  // A dry run has said so in its list already.
  if (cl.remove && !cl.changes.dryRun && !AnyChange(record.changes())) {
    std::cout << '\n' << LoadText(kStrNothingToRemove) << '\n';
  }
  if (stopRequested) return kExitInterrupted;
  if (!kept) return kExitFailed;
  switch (result) {
    case IntegrationDialog::kRunCompleted:
      return kExitCompleted;
    case IntegrationDialog::kRunFailed:
      return kExitFailed;
    case IntegrationDialog::kRunNotStarted:
      break;
  }
  // The choice was refused (kStrSelectAtLeastOne); the options face stays.
  return kExitUsage;
}

}  // namespace
}  // namespace integrate

int main(int argc, char** argv) {
  console::UsePlainTextUnlessUtf8();
  return integrate::Run(argc, argv);
}
