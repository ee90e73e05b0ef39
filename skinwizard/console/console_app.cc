// The skin project wizard on a console: options, the pages asked in turn, the summary.
// Portable: no Win32 here.
#include "skinwizard/console/console_app.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <sstream>

#include "console/terminal.h"
#include "platform/change_list.h"
#include "platform/change_record.h"
#include "platform/encoding.h"
#include "platform/platform.h"
#include "skinwizard/advanced_methods_dialog.h"
#include "skinwizard/console/answers.h"
#include "skinwizard/host/project_wizard_host.h"
#include "skinwizard/skin_name_page.h"
#include "skinwizard/skin_options_page.h"
#include "skinwizard/skin_wizard.h"
#include "skinwizard/typed_text.h"

namespace skinwizard {
namespace {

constexpr const char* kProgram = "tslkt-skinwizard";

struct Options {
  std::string project;
  std::optional<std::string> location, skinName, author, company, email, url, prefix;
  std::optional<int> comments;                      // 0 yes, 1 no
  std::optional<int> look;                          // 0 Office 2000, 1 Office XP
  std::optional<int> commonDir;                     // 1 yes, 0 no
  std::optional<std::vector<std::string>> methods;  // canonical names to select
  std::optional<std::string> answers, saveAnswers;  // files, paths as typed
  bool force = false;
  bool yes = false;
  bool help = false;
  bool version = false;
  bool dryRun = false;
};

// A command line is UTF-8 on Linux and ANSI on Windows: text that is not valid UTF-8 is
// taken as ANSI already. Valid UTF-8 goes by the window's rule: a character Windows-1252
// cannot spell is refused, never turned into another letter or a '?'.
bool ArgToAnsi(const std::string& arg, std::string* ansi, std::string* error) {
  bool valid = true;
  platform::Utf8ToUtf16(arg, &valid);
  if (valid) return TypedToAnsi(arg, ansi, error);
  *ansi = arg;
  return true;
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

std::vector<std::string> MethodNames() {
  MethodList methods;
  AppendOverridableMethods(&methods);
  std::vector<std::string> names;
  for (const auto& method : methods) names.push_back(method->name);
  return names;
}

bool ParseChoice(const std::string& flag, const std::string& value,
                 const std::map<std::string, int>& choices, std::optional<int>* out,
                 std::string* error) {
  auto found = choices.find(Lower(value));
  if (found == choices.end()) {
    *error = "invalid value " + QuoteTyped(value) + " for " + flag;
    return false;
  }
  *out = found->second;
  return true;
}

bool ParseMethods(const std::string& value, Options* options, std::string* error) {
  std::vector<std::string> known = MethodNames();
  std::string lower = Lower(value);
  if (lower == "all") {
    options->methods = known;
    return true;
  }
  options->methods = std::vector<std::string>();
  if (lower == "none") return true;
  std::stringstream list(value);
  std::string name;
  while (std::getline(list, name, ',')) {
    std::string wanted = Lower(name);
    bool matched = false;
    for (const std::string& method : known) {
      if (Lower(method) == wanted) {
        options->methods->push_back(method);
        matched = true;
      }
    }
    if (!matched) {
      *error = "unknown method " + QuoteTyped(name) + " for --methods (see --help)";
      return false;
    }
  }
  return true;
}

bool TakesValue(const std::string& flag) {
  for (const char* name :
       {"--location", "--skin-name", "--author", "--company", "--email", "--url", "--prefix",
        "--comments", "--look", "--methods", "--common-dir", "--answers", "--save-answers"}) {
    if (flag == name) return true;
  }
  return false;
}

// Sets the option a flag that takes a value names; false with the reason.
bool ApplyOption(const std::string& flag, const std::string& value, Options* options,
                 std::string* error) {
  const std::map<std::string, std::optional<std::string> Options::*> texts = {
      {"--location", &Options::location},
      {"--skin-name", &Options::skinName},
      {"--author", &Options::author},
      {"--company", &Options::company},
      {"--email", &Options::email},
      {"--url", &Options::url},
      {"--prefix", &Options::prefix},
      {"--answers", &Options::answers},
      {"--save-answers", &Options::saveAnswers}};
  const std::map<std::string, int> yesNo = {{"yes", 1}, {"no", 0}};
  if (flag == "--location") {
    std::string location;
    if (!ArgToAnsi(value, &location, error)) return false;
    // Wildcards and the other characters Windows refuses in names would be taken literally.
    for (const char c : location) {
      if (static_cast<unsigned char>(c) < 0x20 || std::strchr("*?\"<>|", c) != nullptr) {
        *error = "the location " + QuoteTyped(value) +
                 " holds characters Windows refuses in a folder name";
        return false;
      }
    }
    options->location = location;
  } else if (texts.count(flag) != 0) {
    // Paths for the host itself are kept as typed; texts of the project become ANSI.
    std::string text = value;
    const bool hostPath = flag == "--prefix" || flag == "--answers" || flag == "--save-answers";
    if (!hostPath && !ArgToAnsi(value, &text, error)) return false;
    options->*texts.at(flag) = text;
  } else if (flag == "--comments") {
    std::optional<int> yes;
    if (!ParseChoice(flag, value, yesNo, &yes, error)) return false;
    options->comments = *yes == 1 ? 0 : 1;
  } else if (flag == "--look") {
    if (!ParseChoice(flag, value, {{"2000", 0}, {"xp", 1}}, &options->look, error)) return false;
  } else if (flag == "--common-dir") {
    if (!ParseChoice(flag, value, yesNo, &options->commonDir, error)) return false;
  } else if (flag == "--methods") {
    if (!ParseMethods(value, options, error)) return false;
  } else {
    *error = "unknown option " + QuoteTyped(flag);
    return false;
  }
  return true;
}

bool ParseArguments(const std::vector<std::string>& args, Options* options, std::string* error) {
  bool haveProject = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg == "--help" || arg == "-h") {
      options->help = true;
      continue;
    }
    if (arg == "--version") {
      options->version = true;
      continue;
    }
    if (arg == "--force") {
      options->force = true;
      continue;
    }
    if (arg == "--yes") {
      options->yes = true;
      continue;
    }
    if (arg == "--dry-run") {
      options->dryRun = true;
      continue;
    }
    if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
      if (haveProject) {
        *error = "more than one project name (" +
                 QuoteTyped(platform::AnsiToUtf8(options->project)) + ", " + QuoteTyped(arg) + ")";
        return false;
      }
      if (!ArgToAnsi(arg, &options->project, error)) return false;
      haveProject = true;
      continue;
    }
    std::string flag = arg, value;
    std::size_t equals = arg.find('=');
    if (equals != std::string::npos) {
      flag = arg.substr(0, equals);
      value = arg.substr(equals + 1);
    } else if (TakesValue(flag)) {
      if (i + 1 >= args.size()) {
        *error = flag + " needs a value";
        return false;
      }
      value = args[++i];
    }
    if (!ApplyOption(flag, value, options, error)) return false;
  }
  if (!options->help && !options->version && !haveProject) {
    *error = "no project name given";
    return false;
  }
  return true;
}

bool IsWindowsPath(const std::string& path) {
  return (path.size() >= 2 && path[1] == ':' &&
          ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'))) ||
         (!path.empty() && path[0] == '\\');
}

// A host path as typed (UTF-8) as the Windows path the file services take: a Unix path maps
// to its drive in the prefix.
bool ServicePath(platform::FileSystem& files, const std::string& typed, std::string* path,
                 std::string* error) {
  std::string ansi;
  if (!TypedToAnsi(typed, &ansi, error)) return false;
  if (IsWindowsPath(ansi)) {
    *path = ansi;
    return true;
  }
  std::error_code failed;
  const std::filesystem::path full =
      std::filesystem::absolute(std::filesystem::u8path(typed), failed);
  if (failed) {
    *error = "cannot resolve " + QuoteTyped(typed) + ": " + failed.message();
    return false;
  }
  *path = files.FromUserPath(platform::Utf8ToAnsi(full.lexically_normal().u8string()));
  return true;
}

// Replays an answers file: each answer counts where the command line left its option open.
bool LoadAnswers(platform::FileSystem& files, const std::string& path, Options* options,
                 std::string* error) {
  std::vector<AnswerLine> lines;
  std::string windowsPath;
  if (!ServicePath(files, path, &windowsPath, error) ||
      !ReadAnswerLines(files, windowsPath, path, &lines, error)) {
    return false;
  }
  Options file;
  for (const AnswerLine& line : lines) {
    if (!ApplyOption("--" + line.key, line.value, &file, error)) {
      *error = path + ":" + std::to_string(line.line) + ": " + *error;
      return false;
    }
  }
  for (auto text :
       {&Options::skinName, &Options::author, &Options::company, &Options::email, &Options::url}) {
    if (!(options->*text)) options->*text = file.*text;
  }
  for (auto choice : {&Options::comments, &Options::look, &Options::commonDir}) {
    if (!(options->*choice)) options->*choice = file.*choice;
  }
  if (!options->methods) options->methods = file.methods;
  return true;
}

// The answers a run gave, for --save-answers.
std::vector<AnswerLine> AnswersOf(const SkinNamePage& name, const SkinOptionsPage& page,
                                  const MethodList& methods) {
  std::vector<AnswerLine> lines = {{0, "skin-name", platform::AnsiToUtf8(name.skinName)},
                                   {0, "author", platform::AnsiToUtf8(name.author)},
                                   {0, "company", platform::AnsiToUtf8(name.company)},
                                   {0, "email", platform::AnsiToUtf8(name.email)},
                                   {0, "url", platform::AnsiToUtf8(name.url)},
                                   {0, "comments", page.comments == 0 ? "yes" : "no"},
                                   {0, "look", page.baseLook == 0 ? "2000" : "xp"}};
  // A disabled check keeps its state without a choice being made; replaying "yes" there
  // would only draw the message that the directory is unknown.
  if (page.writeCheckEnabled) {
    lines.push_back({0, "common-dir", page.writeToSkinsDirectory != 0 ? "yes" : "no"});
  }
  std::string selected;
  std::size_t count = 0;
  for (const auto& method : methods) {
    if (method->selected == 0) continue;
    selected += (count++ ? "," : "") + method->name;
  }
  lines.push_back({0, "methods", count == methods.size() ? "all" : count == 0 ? "none" : selected});
  return lines;
}

class Session;

// A page's "window" on the console: members are the controls, so the transfers are empty;
// messages go to stderr and the Advanced dialog runs as a numbered list.
class ConsoleView : public PageView {
 public:
  explicit ConsoleView(Session& session) : session_(session) {}
  bool TransferToMembers() override { return true; }
  void TransferToControls() override {}
  void ShowMessage(const std::string& text) override;
  void FocusControl(int /*control_id*/) override {}
  int RunModal(ModalDialog& dialog) override;

 private:
  Session& session_;
};

class Session : public WizardFrame {
 public:
  Session(const Options& options, ConsoleStreams io) : options_(options), io_(io) {}

  std::unique_ptr<PageView> CreatePageView(WizardPage& /*page*/) override {
    return std::make_unique<ConsoleView>(*this);
  }

  int Run(platform::Platform real);
  void Message(const std::string& ansi) {
    io_.err << kProgram << ": " << console::ConsoleText(ansi) << "\n";
  }
  int RunAdvanced(AdvancedMethodsDialog& dialog);

 private:
  bool Asking() const { return io_.interactive && !options_.yes; }
  void Say(const std::string& ansi) { io_.out << console::ConsoleText(ansi); }
  // Prints the prompt and reads one line; false at the end of the input.
  bool Ask(const std::string& prompt, std::string* answer);
  // Asks for a text with its current value as default; "-" empties it.
  bool AskText(const std::string& prompt, std::string* value);
  // Asks for one of two numbered choices; `value` 0 or 1.
  bool AskChoice(const std::string& question, const std::string& first, const std::string& second,
                 int* value);
  bool AskYesNo(const std::string& question, bool byDefault, bool* yes);
  void ShowMethods(const AdvancedMethodsDialog& dialog);

  int FillNamePage(SkinNamePage& page);
  int FillOptionsPage(SkinOptionsPage& page);

  const Options& options_;
  ConsoleStreams io_;
};

void ConsoleView::ShowMessage(const std::string& text) { session_.Message(text); }

int ConsoleView::RunModal(ModalDialog& dialog) {
  auto* advanced = dynamic_cast<AdvancedMethodsDialog*>(&dialog);
  if (advanced == nullptr) return ModalDialog::kCancel;
  dialog.AttachView(this);
  int result = ModalDialog::kCancel;
  if (dialog.OnInitDialog()) result = session_.RunAdvanced(*advanced);
  if (result == ModalDialog::kOk) {
    dialog.OnOK();
  } else {
    dialog.OnCancel();
  }
  dialog.AttachView(nullptr);
  return result;
}

bool Session::Ask(const std::string& prompt, std::string* answer) {
  Say(prompt);
  io_.out.flush();
  std::string line;
  if (!std::getline(io_.in, line)) {
    io_.out << "\n";
    return false;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  *answer = line;
  return true;
}

bool Session::AskText(const std::string& prompt, std::string* value) {
  for (;;) {
    std::string answer, ansi, refusal;
    if (!Ask(prompt + " [" + *value + "]: ", &answer)) return false;
    if (!ArgToAnsi(answer, &ansi, &refusal)) {
      io_.out << refusal << "\n";
      continue;
    }
    if (ansi == "-") {
      value->clear();
    } else if (!ansi.empty()) {
      *value = ansi;
    }
    return true;
  }
}

bool Session::AskChoice(const std::string& question, const std::string& first,
                        const std::string& second, int* value) {
  Say(question + "\n  1) " + console::Label(first) + "\n  2) " + console::Label(second) + "\n");
  for (;;) {
    std::string answer;
    if (!Ask("Choice [" + std::to_string(*value + 1) + "]: ", &answer)) return false;
    if (answer.empty()) return true;
    if (answer == "1" || answer == "2") {
      *value = answer == "1" ? 0 : 1;
      return true;
    }
    Say("Please answer 1 or 2.\n");
  }
}

bool Session::AskYesNo(const std::string& question, bool byDefault, bool* yes) {
  const std::optional<bool> answer = console::AskYesNo(io_.in, io_.out, question, byDefault);
  if (answer) *yes = *answer;
  return answer.has_value();
}

void Session::ShowMethods(const AdvancedMethodsDialog& dialog) {
  Say("Which Visual Manager methods would you like to override?\n");
  const auto& items = dialog.Items();
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::string number = std::to_string(i + 1);
    if (number.size() < 2) number = " " + number;
    Say(std::string("  [") + (items[i].checked ? "x" : " ") + "] " + number + " " + items[i].text +
        "\n         " + items[i].method->description + "\n");
  }
}

int Session::RunAdvanced(AdvancedMethodsDialog& dialog) {
  if (options_.methods) {
    // As a user would: "Select None", then a double click on each wanted method.
    dialog.OnSelectNone();
    for (const std::string& name : *options_.methods) {
      const auto& items = dialog.Items();
      for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].text == name && !items[i].checked) {
          dialog.OnSelectionChange(static_cast<int>(i));
          dialog.OnDoubleClick();
        }
      }
    }
    return ModalDialog::kOk;
  }
  for (;;) {
    ShowMethods(dialog);
    std::string answer;
    if (!Ask("Numbers to toggle, a = Select All, n = Select None, Enter = OK, c = Cancel: ",
             &answer)) {
      return ModalDialog::kCancel;
    }
    std::string lower = Lower(answer);
    if (lower.empty()) return ModalDialog::kOk;
    if (lower == "c") return ModalDialog::kCancel;
    if (lower == "a") {
      dialog.OnSelectAll();
      continue;
    }
    if (lower == "n") {
      dialog.OnSelectNone();
      continue;
    }
    std::stringstream numbers(answer);
    std::string token;
    while (numbers >> token) {
      for (std::string part; !token.empty();) {
        std::size_t comma = token.find(',');
        part = token.substr(0, comma);
        token = comma == std::string::npos ? "" : token.substr(comma + 1);
        char* end = nullptr;
        long index = std::strtol(part.c_str(), &end, 10);
        if (part.empty() || *end != '\0' || index < 1 ||
            index > static_cast<long>(dialog.Items().size())) {
          if (!part.empty()) Say("No method numbered '" + part + "'.\n");
          continue;
        }
        dialog.OnSelectionChange(static_cast<int>(index - 1));
        dialog.OnDoubleClick();
      }
    }
  }
}

int Session::FillNamePage(SkinNamePage& page) {
  if (options_.skinName) page.skinName = *options_.skinName;
  if (options_.author) page.author = *options_.author;
  if (options_.company) page.company = *options_.company;
  if (options_.email) page.email = *options_.email;
  if (options_.url) page.url = *options_.url;
  if (!Asking()) return kCreated;
  Say("\nStep 1 of 2\n");
  bool ok = (options_.skinName || AskText("Skin Name", &page.skinName));
  if (ok && !(options_.author && options_.company && options_.email && options_.url)) {
    Say("Author Information (optional); '-' empties a field\n");
  }
  ok = ok && (options_.author || AskText("  Name", &page.author)) &&
       (options_.company || AskText("  Company", &page.company)) &&
       (options_.email || AskText("  E-Mail", &page.email)) &&
       (options_.url || AskText("  URL", &page.url));
  return ok ? kCreated : kFailed;
}

int Session::FillOptionsPage(SkinOptionsPage& page) {
  if (options_.comments) page.comments = *options_.comments;
  if (options_.look) page.baseLook = *options_.look;
  if (options_.commonDir) page.writeToSkinsDirectory = *options_.commonDir;
  if (options_.commonDir == 1 && !page.writeCheckEnabled) Message(page.skinsLine);
  if (Asking()) {
    Say("\nStep 2 of 2\n");
    if (!options_.comments && !AskChoice("Would you like to generate source file comments?",
                                         "&Yes, please", "No, &thank you", &page.comments)) {
      return kFailed;
    }
    if (!options_.look && !AskChoice("Your skin will be based on:", "Office &2000 look",
                                     "Office &XP look", &page.baseLook)) {
      return kFailed;
    }
    if (!options_.commonDir && page.writeCheckEnabled) {
      bool yes = page.writeToSkinsDirectory != 0;
      if (!AskYesNo(
              console::Label(SkinOptionsPage::kWriteCheckText) + "\n  " + page.skinsLine + "\n ",
              yes, &yes)) {
        return kFailed;
      }
      page.writeToSkinsDirectory = yes ? 1 : 0;
    } else {
      Say(std::string("Write to the common skins directory: ") +
          (page.writeToSkinsDirectory != 0 ? "yes" : "no") + "  " + page.skinsLine + "\n");
    }
  }
  if (options_.methods || Asking()) page.OnAdvanced();
  return kCreated;
}

int Session::Run(platform::Platform real) {
  std::string error;
  // Every write is read back; a dry run withholds them and lists them at the end.
  platform::ChangeRecord record(std::move(real), options_.dryRun
                                                     ? platform::ChangeRecord::Mode::kDryRun
                                                     : platform::ChangeRecord::Mode::kWrite);
  platform::Platform& services = record.services();
  std::string location;
  if (options_.location && IsWindowsPath(*options_.location)) {
    location = *options_.location;
  } else {
    std::error_code failed;
    // UTF-8 both ways, so the narrow encoding of the host's paths does not matter.
    std::filesystem::path path =
        options_.location
            ? std::filesystem::absolute(
                  std::filesystem::u8path(platform::AnsiToUtf8(*options_.location)), failed)
            : std::filesystem::current_path(failed);
    if (failed) {
      Message("cannot resolve the project location: " + failed.message());
      return kFailed;
    }
    location =
        services.files->FromUserPath(platform::Utf8ToAnsi(path.lexically_normal().u8string()));
  }
  while (location.size() > 3 && (location.back() == '\\' || location.back() == '/')) {
    location.pop_back();
  }

  ProjectWizardHost host(*this, *services.files);
  SkinWizard wizard(host, *services.registry);
  host.RegisterWizard(&wizard);
  host.StartRun(options_.project, location);
  int status = kFailed;
  ProjectPlan plan;
  [&] {
    host.Next();  // from the host's own first step to the skin name
    auto* namePage = dynamic_cast<SkinNamePage*>(host.CurrentPage());
    if (namePage == nullptr || (status = FillNamePage(*namePage)) != kCreated) return;
    while (!host.Next()) {
      // The page has shown its refusal; a person may type another name.
      status = kRefused;
      if (!Asking() && !options_.skinName) Message("give the skin's name with --skin-name");
      if (!Asking() || !AskText("Skin Name", &namePage->skinName)) return;
    }
    auto* optionsPage = dynamic_cast<SkinOptionsPage*>(host.CurrentPage());
    status = kFailed;
    if (optionsPage == nullptr || (status = FillOptionsPage(*optionsPage)) != kCreated) return;
    status = kRefused;
    if (!host.Finish()) return;
    status = kFailed;
    if (!host.PlanProject(&plan, &error)) {
      Message(error);
      return;
    }
    std::vector<std::string> existing = ExistingFiles(plan, *services.files);
    if (!existing.empty() && !options_.force) {
      Message(plan.project_folder + " already holds files that this project would overwrite:");
      for (const std::string& path : existing)
        io_.err << "  " << platform::AnsiToUtf8(path) << "\n";
      io_.err << "Use --force to overwrite them.\n";
      status = kWouldOverwrite;
      return;
    }
    std::string confirmation;
    if (!host.ConfirmationText(&confirmation, &error)) {
      Message(error);
      return;
    }
    Say("\n" + confirmation);
    if (Asking()) {
      bool create = false;
      if (!AskYesNo("Create the project?", true, &create) || !create) {
        Say("Nothing was created.\n");
        return;
      }
    }
    if (!host.Generate(plan, &error)) {
      Message(error);
      return;
    }
    Say("Created " + plan.project_folder + ":\n");
    for (const PlannedFile& file : plan.files) Say("  " + file.relative + "\n");
    status = kCreated;
    // Through the record like the project's files: a dry run only lists the answers file.
    std::string answersPath;
    if (options_.saveAnswers &&
        !(ServicePath(*services.files, *options_.saveAnswers, &answersPath, &error) &&
          WriteAnswerLines(*services.files, answersPath, *options_.saveAnswers,
                           AnswersOf(*namePage, *optionsPage, wizard.Methods()), &error))) {
      io_.err << kProgram << ": " << error << "\n";
      status = kFailed;
    }
    if (options_.dryRun) {
      Say("\nChanges it would make (nothing was written):\n" +
          platform::DescribeChanges(record.changes()));
    }
  }();
  host.EndRun();
  return status;
}

}  // namespace

std::string SkinWizardConsoleHelp() {
  return std::string("Usage: ") + kProgram + R"( PROJECT [options]

Creates a skin DLL project for the Tessaline library: the folder LOCATION\PROJECT with the
skin's sources, its preview bitmap, PROJECT.dsp and PROJECT.dsw for Visual C++ 6.0.

On a terminal, what the options leave open is asked page by page, with the registered owner
as default author; then the project's summary is shown with "Create the project? [Y/n]".
Without a terminal, or with --yes, the options and the defaults are used as they stand.

Options:
  --location DIR       folder the project folder is made in (default: the current one);
                       a Unix path maps to its drive in the Wine prefix
  --skin-name TEXT     the skin's name; it must hold at least one ASCII letter or digit
  --author TEXT        author name (default: the registered owner)
  --company TEXT       company (default: the registered organization)
  --email TEXT         author's e-mail (blanks around it are dropped)
  --url TEXT           author's web address (blanks around it are dropped)
  --comments yes|no    generate TODO comments in the sources (default: yes)
  --look 2000|xp       base the skin on the Office 2000 or the Office XP look (default: 2000)
  --methods all|none|NAME,...
                       visual manager methods to override (default: all); names:
)" +
         [] {
           std::string names;
           for (const std::string& name : MethodNames())
             names += "                         " + name + "\n";
           return names;
         }() +
         R"(  --common-dir yes|no  link the DLL into the common skins directory
                       (<Common Files>\Quorvane\Skins; default: yes when it is known)
  --prefix DIR         the Wine prefix whose registry gives the defaults (Linux only;
                       default: $WINEPREFIX, then ~/.wine)
  --answers FILE       take the answers of the pages and the Advanced dialog from FILE
                       (written by --save-answers; options given as well win)
  --save-answers FILE  write this run's answers to FILE once the project is created
                       (a dry run only lists it)
  --dry-run            ask and show everything as a real run, write nothing, then list
                       each file it would have written
  --force              overwrite files of an earlier project in the same folder
  --yes                ask nothing, create at once
  --help               this text
  --version            print the program's name and version

On the terminal, Enter keeps the value in brackets and '-' empties a text field. Texts are
UTF-8 and are stored in the project as Windows-1252; a character Windows-1252 cannot spell
is refused.

An answers file is UTF-8 text of at most 64 KB, one "key=value" line per answer, the keys
being the options above without "--" (skin-name, author, company, email, url, comments,
look, common-dir, methods); blank lines and lines starting with '#' are skipped. In a value
\n stands for a line feed, \r for a carriage return and \\ for a backslash; any other
backslash stands for itself.

Exit status: 0 the project was created (and for --help, --version); 1 it failed (no Wine
prefix or a wineserver running for it among the reasons) or the creation was declined;
2 usage error or refused input (a skin name without letters or digits); 73 files of the
project exist already (nothing written; see --force).
)";
}

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
  Session session(options, io);
  return session.Run(std::move(real));
}

}  // namespace skinwizard
