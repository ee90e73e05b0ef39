// The wizard's pages on a console: each asked in turn, or filled from the options.
// Portable: no Win32 here.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>

#include "skinwizard/console/command_line.h"
#include "skinwizard/host/project_wizard_host.h"
#include "skinwizard/skin_name_page.h"
#include "skinwizard/skin_options_page.h"

namespace skinwizard {

class AdvancedMethodsDialog;

/// Where the console host talks; `interactive` when a person answers on a terminal.
struct ConsoleStreams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool interactive;
};

/// The console as the host's frame: a page's "window" is the terminal, where what the options
/// leave open is asked (on a terminal, without --yes) and messages go to stderr.
class ConsolePages : public WizardFrame {
 public:
  ConsolePages(const Options& options, ConsoleStreams io) : options_(options), io_(io) {}

  std::unique_ptr<PageView> CreatePageView(WizardPage& page) override;

  /// Whether questions are asked.
  bool Asking() const { return io_.interactive && !options_.yes; }
  /// "tslkt-skinwizard: TEXT" on stderr, the ANSI text in UTF-8.
  void Message(const std::string& ansi);
  /// ANSI text on stdout.
  void Say(const std::string& ansi);
  /// Asks for a text with its current value as default; "-" empties it. False at the end of
  /// the input.
  [[nodiscard]] bool AskText(const std::string& prompt, std::string* value);
  [[nodiscard]] bool AskYesNo(const std::string& question, bool byDefault, bool* yes);

  /// Step 1 from the options, then asked; false when the input ended.
  [[nodiscard]] bool FillNamePage(SkinNamePage& page);
  /// Step 2 and the Advanced dialog from the options, then asked; false when the input ended.
  [[nodiscard]] bool FillOptionsPage(SkinOptionsPage& page);
  /// The Advanced dialog: the --methods choice, or the list asked; its result id.
  int RunAdvanced(AdvancedMethodsDialog& dialog);

 private:
  // Prints the prompt and reads one line; false at the end of the input.
  bool Ask(const std::string& prompt, std::string* answer);
  // Asks for one of two numbered choices; `value` 0 or 1.
  bool AskChoice(const std::string& question, const std::string& first, const std::string& second,
                 int* value);
  void ShowMethods(const AdvancedMethodsDialog& dialog);

  const Options& options_;
  ConsoleStreams io_;
};

}  // namespace skinwizard
