// The shared option splitter: what an optional value takes from the arguments after it.
#include "console/options.h"

#include <gtest/gtest.h>

namespace {

bool IsPathOperand(const std::string& arg) { return arg.rfind("/p:", 0) == 0; }

TEST(SplitCommandLine, OptionalValueTakesOnlyANextArgumentThatIsNeitherOptionNorOperand) {
  const std::vector<console::OptionSpec> specs = {
      {"--yes", nullptr, console::OptionValue::kNone},
      {"--undo", nullptr, console::OptionValue::kOptional, IsPathOperand}};
  const struct {
    std::vector<std::string> args;
    std::string value;  // of --undo
    std::vector<std::string> operands;
    std::size_t options;
  } kCases[] = {
      {{"--undo"}, "", {}, 1},
      {{"--undo", "--yes"}, "", {}, 2},
      {{"--undo", "-p:C:\\Lib"}, "", {"-p:C:\\Lib"}, 1},
      {{"--undo", "/p:C:\\Lib"}, "", {"/p:C:\\Lib"}, 1},
      {{"--undo", "/home/u/run.journal", "/p:C:\\Lib"}, "/home/u/run.journal", {"/p:C:\\Lib"}, 1},
      {{"--undo=", "run.journal"}, "", {"run.journal"}, 1},
      {{"--undo=x=y"}, "x=y", {}, 1},
  };
  for (const auto& c : kCases) {
    const std::string shown = ::testing::PrintToString(c.args);
    std::vector<console::GivenOption> given;
    std::vector<std::string> operands;
    console::OptionError error;
    ASSERT_TRUE(console::SplitCommandLine(c.args, specs, &given, &operands, &error)) << shown;
    ASSERT_EQ(given.size(), c.options) << shown;
    EXPECT_EQ(given[0].name, "--undo") << shown;
    EXPECT_EQ(given[0].value, c.value) << shown;
    EXPECT_EQ(operands, c.operands) << shown;
  }
}

}  // namespace
