// Fuzzes the command lines of both tools: the skin wizard's options, the integration's
// -p:/P: install folder and its start-up check, and the UTF-8 to Windows-1252 conversion
// every argument goes through on Linux.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "integrate/startup.h"
#include "platform/encoding.h"
#include "skinwizard/console/console_app.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input input(data, size);
  std::vector<std::string> args = input.Fields();

  for (const std::string& arg : args) {
    bool valid = true;
    platform::Utf8ToUtf16(arg, &valid);
    bool lossless = true;
    const std::string ansi = platform::Utf8ToAnsi(arg, &lossless);
    if (valid && lossless) {
      fuzz::Check(platform::AnsiToUtf8(ansi) == arg, "an argument Windows-1252 holds changes");
    }
  }
  std::string reason;
  // Any folder may be refused; only a crash or a sanitizer report is a finding here.
  (void)integrate::CheckInstallDir(integrate::InstallDirFromArguments(args), &reason);

  // Each option takes at most one value, so two trailing --help always leave the wizard
  // asking for help: the whole line is parsed, and no project is ever written.
  args.insert(args.end(), {"--help", "--help"});
  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  const int status = skinwizard::RunSkinWizardConsole(args, {in, out, err, false});
  fuzz::Check(status == 0 || status == 2, "parsing a command line did more than parse");
  return 0;
}
