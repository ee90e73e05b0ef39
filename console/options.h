// The command-line options of the console front ends: "--name VALUE", "--name=VALUE", flags
// and short aliases, split by a table of what a program knows.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <vector>

namespace console {

/// What may follow an option's name.
enum class OptionValue {
  kNone,      ///< a flag
  kRequired,  ///< "--name VALUE" or "--name=VALUE"
  kOptional,  ///< "--name=VALUE", or the next argument unless it starts with '-' or is an
              ///< operand by its form (OptionSpec::isOperand); else none
};

/// One option a program knows: its long name ("--location"), a short alias ("-h") or null,
/// and what follows it.
struct OptionSpec {
  const char* name;
  const char* alias;
  OptionValue value;
  /// For an optional value: true for an argument the program takes as an operand by its form
  /// ("/p:DIR"), which therefore never follows as the value. Null: none is.
  bool (*isOperand)(const std::string& arg) = nullptr;
};

/// An option as given, under its long name; the value is empty for a flag.
struct GivenOption {
  std::string name;
  std::string value;
};

/// Why a command line was refused, for each program to word in its own texts.
struct OptionError {
  enum class Kind { kUnknown, kNeedsValue, kTakesNoValue };
  Kind kind = Kind::kUnknown;
  std::string option;  ///< as typed, without any "=VALUE"
};

/// Splits `args` by `specs`: an argument starting with "--" or equal to an alias is an option
/// (its value after '=' or, for one that takes a value, the next argument, as OptionValue
/// says), every other is an operand; both in the order given. False with the first option
/// that is unknown, lacks its value or is given one it does not take.
[[nodiscard]] bool SplitCommandLine(const std::vector<std::string>& args,
                                    const std::vector<OptionSpec>& specs,
                                    std::vector<GivenOption>* options,
                                    std::vector<std::string>* operands, OptionError* error);

}  // namespace console
