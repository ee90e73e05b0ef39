// tslkt-skinwizard: the skin project wizard on a console.
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "skinwizard/host/console/console_app.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool terminal = isatty(fileno(stdin)) != 0;
  return skinwizard::RunSkinWizardConsole(args, {std::cin, std::cout, std::cerr, terminal});
}
