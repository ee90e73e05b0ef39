// tslkt-skinwizard's options, from the command line or an answers file.
// Portable: no Win32 here.
#include "skinwizard/console/command_line.h"

#include <map>
#include <sstream>

#include "console/options.h"
#include "platform/encoding.h"
#include "skinwizard/advanced_methods_dialog.h"
#include "skinwizard/typed_text.h"

namespace skinwizard {
namespace {

constexpr console::OptionValue kFlag = console::OptionValue::kNone;
constexpr console::OptionValue kValue = console::OptionValue::kRequired;

const std::vector<console::OptionSpec> kOptionSpecs = {
    {"--help", "-h", kFlag},          {"--version", nullptr, kFlag},
    {"--force", nullptr, kFlag},      {"--yes", nullptr, kFlag},
    {"--dry-run", nullptr, kFlag},    {"--location", nullptr, kValue},
    {"--skin-name", nullptr, kValue}, {"--author", nullptr, kValue},
    {"--company", nullptr, kValue},   {"--email", nullptr, kValue},
    {"--url", nullptr, kValue},       {"--prefix", nullptr, kValue},
    {"--comments", nullptr, kValue},  {"--look", nullptr, kValue},
    {"--methods", nullptr, kValue},   {"--common-dir", nullptr, kValue},
    {"--answers", nullptr, kValue},   {"--save-answers", nullptr, kValue}};

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

}  // namespace

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
  if (texts.count(flag) != 0) {
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
  std::vector<console::GivenOption> given;
  std::vector<std::string> operands;
  console::OptionError refused;
  if (!console::SplitCommandLine(args, kOptionSpecs, &given, &operands, &refused)) {
    switch (refused.kind) {
      case console::OptionError::Kind::kNeedsValue:
        *error = refused.option + " needs a value";
        break;
      case console::OptionError::Kind::kTakesNoValue:
        *error = refused.option + " takes no value";
        break;
      case console::OptionError::Kind::kUnknown:
        *error = "unknown option " + QuoteTyped(refused.option);
        break;
    }
    return false;
  }
  const std::map<std::string, bool Options::*> flags = {{"--help", &Options::help},
                                                        {"--version", &Options::version},
                                                        {"--force", &Options::force},
                                                        {"--yes", &Options::yes},
                                                        {"--dry-run", &Options::dryRun}};
  for (const console::GivenOption& option : given) {
    if (flags.count(option.name) != 0) {
      options->*flags.at(option.name) = true;
    } else if (!ApplyOption(option.name, option.value, options, error)) {
      return false;
    }
  }
  if (operands.size() > 1) {
    *error = "more than one project name (" + QuoteTyped(operands[0]) + ", " +
             QuoteTyped(operands[1]) + ")";
    return false;
  }
  if (operands.empty()) {
    if (options->help || options->version) return true;
    *error = "no project name given";
    return false;
  }
  return ArgToAnsi(operands[0], &options->project, error);
}

}  // namespace skinwizard
