// The text of tslkt-skinwizard --help.
// Portable: no Win32 here.
#include <string>

#include "skinwizard/console/command_line.h"
#include "skinwizard/console/console_app.h"
#include "skinwizard/console/exit_status.h"

namespace skinwizard {
namespace {

constexpr const char* kProgram = "tslkt-skinwizard";

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

Exit status: )" + std::to_string(kCreated) +
         " the project was created (and for --help, --version); " + std::to_string(kFailed) +
         R"( it failed (no Wine
prefix or a wineserver running for it among the reasons) or the creation was declined;
)" + std::to_string(kRefused) +
         " usage error or refused input (a skin name without letters or digits); " +
         std::to_string(kWouldOverwrite) + R"( files of the
project exist already (nothing written; see --force).
)";
}

}  // namespace skinwizard
