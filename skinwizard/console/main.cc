// tslkt-skinwizard: the skin project wizard on a console.
#include <iostream>

#include "console/terminal.h"
#include "skinwizard/console/console_app.h"

int main(int argc, char** argv) {
  console::UsePlainTextUnlessUtf8();
  std::vector<std::string> args(argv + 1, argv + argc);
  return skinwizard::RunSkinWizardConsole(
      args, {std::cin, std::cout, std::cerr, console::PersonAtTerminal()});
}
