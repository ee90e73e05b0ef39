// Portable: no Win32 here.
// tslkt-integrate: the integration wizard's dialog driven from a terminal or a script. The
// same dialog model as the Win32 program, with option flags in place of the checkboxes and
// the progress lines printed as they are added.
#include <unistd.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "integrate/console/console_owner.h"
#include "integrate/integration_dialog.h"
#include "integrate/startup.h"
#include "integrate/strings.h"
#include "platform/encoding.h"
#include "platform/platform.h"

namespace integrate {
namespace {

// Natively the program works on a Wine prefix from Linux; the Windows build on the machine
// it runs on. Set by the build, so the code itself stays free of platform switches.
constexpr bool kWinePrefixPlatform = TSL_WINE_PREFIX_PLATFORM != 0;

enum ExitStatus : int {
  kExitCompleted = 0,  // every chosen IDE completed
  kExitFailed = 1,     // one or more chosen IDEs failed
  kExitUsage = 2,      // usage error, nothing chosen, or the run not confirmed
  kExitNoLibrary = 3,  // the library's install directory is not known
};

// One option flag name and the checkbox it ticks.
struct Choice {
  const char* name;
  int controlId;
  const char* whyUnavailable;
};

const Choice kIdeChoices[] = {
    {"vc6", kIdVc6Option, "Visual C++ 6.0 is not installed"},
    {"net70", kIdNet70Option, "Visual Studio .NET is not installed"},
    {"net71", kIdNet71Option, "Visual Studio .NET 2003 is not installed"},
    {"vs2005", kIdVs2005Option, "Visual Studio 2005 is not installed"},
};

const Choice kItemChoices[] = {
    {"directories", kIdDirectoriesOption, ""},
    {"help", kIdHelpOption, "the library's Help\\TSLHelp.chm or Help\\TSLHelp.chi is missing"},
    {"appwizard", kIdAppWizardOption, "the library holds none of its application wizards"},
    {"skinwizard", kIdSkinWizardOption,
     "it needs Visual C++ 6.0 ticked and the library's TSLSkinWizard.awx"},
};

// The checkboxes in the order the dialog shows them, IDEs first.
const int kFaceOrder[] = {kIdVc6Option,         kIdNet70Option, kIdNet71Option,
                          kIdVs2005Option,      kIdDirectoriesOption, kIdHelpOption,
                          kIdAppWizardOption,   kIdSkinWizardOption};

const char kUsage[] =
    "Usage: tslkt-integrate [-p:DIR | /p:DIR] [--prefix DIR] [--ide LIST] [--items LIST] [--yes]\n"
    "\n"
    "Integrates the Tessaline library with Visual C++ 6.0 and the Visual Studio .NET family,\n"
    "as the Tessaline Integration Wizard does, printing each step as it happens.\n"
    "\n"
    "  -p:DIR, /p:DIR  the library's install folder (any letter case of p; the last one wins).\n"
    "                  Without it, the \"InstallDir\" value under HKEY_LOCAL_MACHINE\n"
    "                  Software\\Quorvane\\Tessaline is used. On Linux a Unix path maps to its\n"
    "                  drive form: /home/u/lib is Z:\\home\\u\\lib, a folder under the prefix's\n"
    "                  drive_c is C:\\...\n"
    "  --prefix DIR    Linux only: the Wine prefix to integrate into; default $WINEPREFIX, else\n"
    "                  ~/.wine. The Windows build works on the machine it runs on and rejects\n"
    "                  this option. No wineserver may run for the prefix during the run.\n"
    "  --ide LIST      the IDEs to integrate with, comma-separated: vc6, net70 (Visual Studio\n"
    "                  .NET), net71 (.NET 2003), vs2005. An empty LIST chooses none.\n"
    "  --items LIST    what to do for each, comma-separated: directories, help, appwizard,\n"
    "                  skinwizard (Visual C++ 6.0 only).\n"
    "                  Without --ide or --items, every option the wizard finds available stays\n"
    "                  ticked, as in the dialog. An option asked for but unavailable is named\n"
    "                  and left out.\n"
    "  --yes           run without asking \"Start the integration? [Y/n]\". Without a terminal\n"
    "                  the run needs --yes.\n"
    "  --help          this text.\n"
    "\n"
    "The options are printed first, as the dialog would show them: [x] ticked, [ ] not ticked,\n"
    "[-] unavailable (what the library or the machine lacks). Then the progress lines are\n"
    "printed on standard output as they are added: a check mark or a cross,\n"
    "a space and the line's text. Messages go to standard error. A question with OK and Cancel\n"
    "(for example to close a running Visual C++) is asked on a terminal; without one it is\n"
    "answered Cancel, so an unattended run never waits.\n"
    "\n"
    "Exit status: 0 every chosen IDE completed; 1 one or more failed; 2 usage error, nothing\n"
    "chosen (\"You need to select at least one item.\") or the run not confirmed; 3 library not\n"
    "found (\"Unable to locate Tessaline installation.\") or its install folder empty.\n";

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

bool ParseCommandLine(const std::vector<std::string>& args, CommandLine* cl,
                      std::string* error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool ours = arg.rfind("--", 0) == 0 || arg == "-h" || arg == "-y";
    if (!ours) {
      // The wizard's own rule: a -p:DIR argument counts, anything else is ignored.
      cl->wizardArgs.push_back(arg);
      continue;
    }
    // "--flag VALUE" or "--flag=VALUE".
    std::string name = arg, value;
    const std::size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    }
    const bool takesValue = name == "--prefix" || name == "--ide" || name == "--items";
    if (takesValue && equals == std::string::npos) {
      if (i + 1 >= args.size()) {
        *error = name + " needs a value";
        return false;
      }
      value = args[++i];
    } else if (!takesValue && equals != std::string::npos) {
      *error = name + " takes no value";
      return false;
    }
    if (name == "--help" || name == "-h") {
      cl->help = true;
    } else if (name == "--yes" || name == "-y") {
      cl->yes = true;
    } else if (name == "--prefix") {
      cl->prefixGiven = true;
      cl->prefix = value;
    } else if (name == "--ide") {
      cl->ideGiven = true;
      cl->ides = SplitList(value);
    } else if (name == "--items") {
      cl->itemsGiven = true;
      cl->items = SplitList(value);
    } else {
      *error = "unknown option " + name;
      return false;
    }
  }
  std::string unknown;
  if (!KnownNames(cl->ides, kIdeChoices, &unknown)) {
    *error = "unknown IDE '" + unknown + "' in --ide (vc6, net70, net71, vs2005)";
    return false;
  }
  if (!KnownNames(cl->items, kItemChoices, &unknown)) {
    *error = "unknown item '" + unknown + "' in --items (directories, help, appwizard, skinwizard)";
    return false;
  }
  return true;
}

// The program file's base name, the caption of its message boxes.
std::string BaseName(std::string path) {
  const std::size_t slash = path.find_last_of("/\\");
  if (slash != std::string::npos) path.erase(0, slash + 1);
  const std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && dot > 0) path.erase(dot);
  return path.empty() ? "tslkt-integrate" : path;
}

// A checkbox text without its mnemonic marks, as the dialog draws it.
std::string Label(const std::string& text) {
  std::string label;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&' && i + 1 < text.size()) ++i;
    label += text[i];
  }
  return platform::AnsiToUtf8(label);
}

// Ticks exactly the named options; a named one whose checkbox is disabled is reported and
// left out, as a person could not tick it either.
template <std::size_t N>
void ApplyTicks(IntegrationDialog& dialog, const Choice (&choices)[N],
                const std::vector<std::string>& names, std::ostream& out) {
  for (const Choice& c : choices) {
    bool wanted = false;
    for (const std::string& name : names) wanted = wanted || name == c.name;
    if (wanted && !dialog.Control(c.controlId).enabled) {
      out << "Not available, left out: " << Label(dialog.Control(c.controlId).text) << " ("
          << c.whyUnavailable << ")\n";
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
    out << (item ? "      " : "  ") << (!box.enabled ? "[-] " : box.checked ? "[x] " : "[ ] ")
        << Label(box.text) << (box.enabled ? "" : "  (unavailable)") << '\n';
  }
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
    std::cerr << "tslkt-integrate: " << error << "\nTry 'tslkt-integrate --help'.\n";
    return kExitUsage;
  }
  if (kWinePrefixPlatform) {
    // Linux hands over UTF-8; the system speaks Windows-1252 (Windows hands over ANSI). A
    // folder that Windows-1252 cannot spell would be looked for under a wrong name.
    for (std::string& arg : cl.wizardArgs) {
      bool lossless = true;
      std::string ansi = platform::Utf8ToAnsi(arg, &lossless);
      if (!lossless) {
        std::cerr << "tslkt-integrate: " << arg
                  << " has characters the Windows code page 1252 cannot hold\n";
        return kExitUsage;
      }
      arg = std::move(ansi);
    }
  }
  if (cl.help) {
    std::cout << kUsage;
    return kExitCompleted;
  }

  const bool terminal = isatty(0) && isatty(2);
  ConsoleOwner owner(BaseName(argc > 0 ? argv[0] : ""), std::cin, std::cerr, terminal);

  platform::PlatformOptions options;
  options.writes_registry = true;
  if (kWinePrefixPlatform) {
    if (cl.prefixGiven) {
      options.wine_prefix = cl.prefix;
    } else if (const char* env = std::getenv("WINEPREFIX"); env && *env) {
      options.wine_prefix = env;
    } else {
      const char* home = std::getenv("HOME");
      options.wine_prefix = std::string(home ? home : "") + "/.wine";
    }
    if (!IsFolder(options.wine_prefix)) {
      std::cerr << "tslkt-integrate: no Wine prefix at " << options.wine_prefix
                << " (give --prefix DIR or set WINEPREFIX)\n";
      return kExitUsage;
    }
  } else if (cl.prefixGiven) {
    std::cerr << "tslkt-integrate: --prefix is for the Linux build; this program integrates "
                 "into the Windows it runs on\n";
    return kExitUsage;
  }
  platform::Platform services;
  if (!platform::CreatePlatform(options, &services, &error)) {
    std::cerr << "tslkt-integrate: " << error << '\n';
    return kExitUsage;
  }

  // A damaged hive would read as a missing library or IDE; its own reason comes first,
  // before anything is changed.
  for (const platform::RootKey root :
       {platform::RootKey::kLocalMachine, platform::RootKey::kCurrentUser}) {
    if (!services.registry->CheckReadable(root, &error)) {
      std::cerr << "tslkt-integrate: cannot read the registry: " << error
                << "; nothing was changed\n";
      return kExitFailed;
    }
  }

  std::string installDir;
  if (!LocateInstallDir(cl.wizardArgs, *services.registry, owner, &installDir)) {
    return kExitNoLibrary;
  }
  // A path typed by the user may be a Unix one; the registry's value is in drive form.
  if (!InstallDirFromArguments(cl.wizardArgs).empty()) {
    installDir = services.files->FromUserPath(installDir);
  }
  if (!CheckInstallDir(installDir, &error)) {
    std::cerr << "tslkt-integrate: " << error << " (" << platform::AnsiToUtf8(installDir) << ")\n";
    return kExitUsage;
  }

  IntegrationDialog dialog(installDir, services, owner);
  dialog.OnInitDialog();
  std::cout << "Tessaline Integration Wizard\n";
  if (kWinePrefixPlatform) std::cout << "Wine prefix: " << options.wine_prefix << '\n';
  std::cout << "Library: " << platform::AnsiToUtf8(installDir) << "\n\n";
  if (!dialog.Control(kIdOkButton).enabled) {
    std::cerr << "tslkt-integrate: the library's install folder is empty; give -p:DIR\n";
    return kExitNoLibrary;
  }

  if (cl.ideGiven) {
    ApplyTicks(dialog, kIdeChoices, cl.ides, std::cout);
    // The skin wizard's checkbox follows the Visual C++ 6.0 tick, as on a click.
    dialog.OnVc6OptionClicked();
  }
  if (cl.itemsGiven) ApplyTicks(dialog, kItemChoices, cl.items, std::cout);
  PrintFace(dialog, std::cout);
  std::cout << std::endl;

  if (!cl.yes) {
    if (!terminal) {
      std::cerr << "tslkt-integrate: no terminal to confirm on; give --yes to run\n";
      return kExitUsage;
    }
    if (!owner.AskYesNo("Start the integration? [Y/n]")) {
      std::cerr << "tslkt-integrate: integration not started; nothing changed\n";
      return kExitUsage;
    }
  }

  bool failed = false;
  dialog.SetLineObserver([&](const ProgressLine& line) {
    std::cout << (line.image == 1 ? "\xE2\x9C\x97 " : "\xE2\x9C\x93 ")  // U+2717, U+2713
              << platform::AnsiToUtf8(line.text) << std::endl;
    failed = failed || (line.image == 1 && line.text == LoadText(20));
  });
  dialog.OnRun();
  // The options face stays when the choice was refused (message 24).
  if (!dialog.Control(kIdProgressList).visible) return kExitUsage;
  return failed ? kExitFailed : kExitCompleted;
}

}  // namespace
}  // namespace integrate

int main(int argc, char** argv) { return integrate::Run(argc, argv); }
