// The console front ends' option splitter.
// Portable: no Win32 here.
#include "console/options.h"

namespace console {

bool SplitCommandLine(const std::vector<std::string>& args, const std::vector<OptionSpec>& specs,
                      std::vector<GivenOption>* options, std::vector<std::string>* operands,
                      OptionError* error) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const std::size_t equals = arg.find('=');
    const std::string typed = arg.substr(0, equals);
    const OptionSpec* spec = nullptr;
    for (const OptionSpec& known : specs) {
      if (typed == known.name || (known.alias != nullptr && typed == known.alias)) spec = &known;
    }
    if (spec == nullptr && arg.compare(0, 2, "--") != 0) {
      operands->push_back(arg);
      continue;
    }
    error->option = typed;
    if (spec == nullptr) {
      error->kind = OptionError::Kind::kUnknown;
      return false;
    }
    GivenOption given{spec->name, std::string()};
    if (equals != std::string::npos) {
      if (spec->value == OptionValue::kNone) {
        error->kind = OptionError::Kind::kTakesNoValue;
        return false;
      }
      given.value = arg.substr(equals + 1);
    } else if (spec->value == OptionValue::kRequired) {
      if (i + 1 >= args.size()) {
        error->kind = OptionError::Kind::kNeedsValue;
        return false;
      }
      given.value = args[++i];
    } else if (spec->value == OptionValue::kOptional && i + 1 < args.size()) {
      // Any argument starting with '-' is kept from an optional value, a single-dash one
      // included: it may be an operand the program reads by its form ("-p:DIR").
      const std::string& next = args[i + 1];
      const bool isValue =
          next.compare(0, 1, "-") != 0 && (spec->isOperand == nullptr || !spec->isOperand(next));
      if (isValue) given.value = args[++i];
    }
    options->push_back(given);
  }
  return true;
}

}  // namespace console
