// The integration program's string table and its formatting.
// Portable: no Win32 here.
#include "integrate/strings.h"

#include <cstdarg>
#include <cstdio>
#include <map>
#include <vector>

namespace integrate {
namespace {

// Windows-1252 bytes: "\xAE" is the registered sign. Ids that no text uses are absent.
const StringEntry kTable[] = {
    {2, "Software\\Microsoft\\DevStudio\\6.0\\Products\\Microsoft Visual C++"},
    {3, "Install Dirs"},
    {4,
     "Software\\Microsoft\\DevStudio\\6.0\\Build System\\Components\\Platforms\\"
     "Win32 (x86)\\Directories"},
    {5, "Include Dirs"},
    {6, "Library Dirs"},
    {7, "Path Dirs"},
    {8, "Tessaline"},
    {9, "Bin"},
    {10, "MSDEV.EXE"},
    {11, "Please close Microsoft Visual C++ before processing with Tessaline Installation"},
    {12, "\\Template\\"},
    {13, "Unable to locate Microsoft Visual C++ 6.0. Integration terminated."},
    // sic: "Integartion"
    {14, "Unable to locate Microsoft Developer Studio 6.0. Integartion terminated."},
    {15, "Can not copy file from %s to %s. Integration terminated."},
    {16, "Software\\Microsoft\\DevStudio\\6.0\\Directories"},
    {17, "    Copy TSLXAppWizard"},
    {18, "    Setup directories"},
    {19, "Integration completed successfully"},
    {20, "Integration failed"},
    {21, "Close"},
    {22, "    Copy TSLSkinWizard"},
    {23,
     "Tessaline Library requires Microsoft\xAE VisualStudio\xAE 6.0 Service Pack 3 or "
     "higher.\r\nPlease, install the Service Pack before you use the library.\r\n\r\n"
     "Remark: you can download the Service Pack from the Microsoft\xAE Web site."},
    {24, "You need to select at least one item."},
    {25, "    MSDN Integration"},
    {31, "Unable to locate Tessaline installation."},
    {33, "Please close Microsoft Visual Studio%s before processing with TSLKTPro Integration"},
    {34, "    Setup VS.NET directories"},
    {35, "    Copy TSLXAppWizard for VS.NET"},
    {36, "Integration with Visual C++ 6.0"},
    {37, "Integration with VS.NET"},
    {38, "Integration with VS.NET 2003"},
    {39, "    Copy TSLXAppWizard for VS.NET 2003"},
    {40, "    Setup VS.NET 2003 directories"},
    // sic: "Integartion"
    {41, "Unable to locate Visual Studio.NET version %s. Integartion terminated."},
    {42, "    Integration with VS%s Help"},
    {44, "Integration with VS 2005"},
    {45, "    Copy TSLXAppWizard for VS 2005"},
    // The entry hhcolreg.dat receives: id, language, collection number, title, index.
    {103,
     "<DocCompilation>\n"
     "\t<DocCompId value=\"%s\"/>\n"
     "\t<DocCompLanguage value=%s/>\n"
     "\t<LocationHistory>\n"
     "\t\t<ColNum value=%d/>\n"
     "\t\t<TitleLocation value=\"%s\"/>\n"
     "\t\t<IndexLocation value=\"%s\"/>\n"
     "\t\t<LocationRef value=\"\"/>\n"
     "\t\t<Version value=1/>\n"
     "\t\t<LastPromptedVersion value=0/>\n"
     "\t\t<TitleSampleLocation value=\"\"/>\n"
     "\t\t<TitleQueryLocation value=\"\"/>\n"
     "\t\t<SupportsMerge value=0/>\n"
     "\t</LocationHistory>\n"
     "</DocCompilation>\n"
     "      "},
    // The folder the collection file receives: title, "=" + id, language.
    {104,
     "\t\t<Folder>\n"
     "\t\t\t<TitleString value=\"%s\"/>\n"
     "\t\t\t<FolderOrder value=2/>\n"
     "\t\t\t<Folder>\n"
     "\t\t\t\t<TitleString value=\"=%s\"/>\n"
     "\t\t\t\t<FolderOrder value=1/>\n"
     "\t\t\t\t<LangId value=%s/>\n"
     "\t\t\t</Folder>\n"
     "\t\t</Folder>\n"
     "      "},
    // The first two lines of entry 103: finds an entry an earlier run registered.
    {105,
     "<DocCompilation>\n"
     "\t<DocCompId value=\"%s\"/>\n"},
    {1000, "MSDN integration failure: file not found: %s"},
    {1001, "MSDN integration failure: unable to find MSDN location."},
    {1002, "MSDN integration failure: can not find 'masterlangid' and 'collectionnum'"},
    {1003, "MSDN integration failure: unable to backup file '%s'"},
    {1004, "MSDN integration failure: can not modify data files."},
    {1005, "MSDN integration failure: can not modify collection entry."},
    // The backup's path, then the reason the write failed.
    {1006,
     "Can not write file %s (%s). The VC++ directories were left unchanged. Integration "
     "terminated."},
    {1007, "Old Include Directories"},
    {1008, "Old Library Directories"},
    // tslkt-integrate's own texts.
    {1100,
     "Usage: tslkt-integrate [-p:DIR | /p:DIR] [--prefix DIR] [--ide LIST] [--items LIST] [--yes]\n"
     "                       [--dry-run] [--no-journal] [--windows-build FILE]\n"
     "       tslkt-integrate --remove [-p:DIR] [--prefix DIR] [--ide LIST] [--items LIST] [--yes]\n"
     "                       [--dry-run] [--no-journal]\n"
     "       tslkt-integrate --status [--format=text|json] [-p:DIR] [--prefix DIR] [--ide LIST]\n"
     "                       [--items LIST]\n"
     "       tslkt-integrate --undo [JOURNAL] [--force] [--dry-run] [--prefix DIR]\n"
     "       tslkt-integrate --help | --version\n"
     "\n"
     "Integrates the Tessaline library with Visual C++ 6.0 and the Visual Studio .NET family,\n"
     "as the Tessaline Integration Wizard does, printing each step as it happens.\n"
     "\n"
     "  -p:DIR, /p:DIR  the library's install folder (any letter case of p; the last one wins).\n"
     "                  Without it, the \"InstallDir\" value under HKEY_LOCAL_MACHINE\n"
     "                  Software\\Quorvane\\Tessaline is used. On Linux a Unix path maps to its\n"
     "                  drive form: /home/u/lib is Z:\\home\\u\\lib, a folder under the prefix's\n"
     "                  drive_c is C:\\...\n"
     "  --prefix DIR    Linux only: the Wine prefix to integrate into; default $WINEPREFIX, else\n"
     "                  ~/.wine. The Windows build works on the machine it runs on and rejects\n"
     "                  this option. No wineserver may run for the prefix during the run.\n"
     "  --ide LIST      the IDEs to integrate with, comma-separated: vc6, net70 (Visual Studio\n"
     "                  .NET), net71 (.NET 2003), vs2005. They run in that order, each after its\n"
     "                  header line and ending with its result line. An empty LIST chooses none.\n"
     "  --items LIST    what to do for each, comma-separated: directories, help, appwizard,\n"
     "                  skinwizard (Visual C++ 6.0 only).\n"
     "                  Without --ide or --items, every option the wizard finds available stays\n"
     "                  ticked, as in the dialog. An option asked for but unavailable is named\n"
     "                  and left out.\n"
     "  --yes           run without asking \"Start the integration? [Y/n]\". Without a terminal\n"
     "                  the run needs --yes.\n"
     "  --dry-run       go through every step and question as a real run would, write nothing,\n"
     "                  then list each change it would have made: registry values old -> new,\n"
     "                  files as a unified diff (or \"new file, N bytes\"), copies, help\n"
     "                  registrations. The exit status is the real run's.\n"
     "  --undo [JOURNAL] put back what a run changed, newest change first; JOURNAL defaults to\n"
     "                  the last run's. An item changed since that run is skipped and named.\n"
     "  --force         with --undo: put back items changed since the run as well.\n"
     "  --remove        take the library out of the chosen IDEs again, whoever put it in and\n"
     "                  whether or not a journal of that run is kept: its two folders from the\n"
     "                  VC++ directory lists (wherever they stand, the other entries untouched),\n"
     "                  the wizard files and folders it placed, its MSDN collection entries\n"
     "                  (both files backed up in the library's Help folder first) and its\n"
     "                  Help 2 registration (on Linux through the Windows build). A file the\n"
     "                  user changed since stays and is named; a folder goes once empty. A\n"
     "                  removal keeps a journal, so --undo takes it back (not the Help 2\n"
     "                  registration); one that finds nothing to take out says so.\n"
     "  --status        say where the library stands in each chosen, installed IDE, item by\n"
     "                  item: in, partly in, not in, or cannot tell (the .NET family's help,\n"
     "                  which only the Help 2 service could answer for). Reads and writes\n"
     "                  nothing, takes no lock and keeps no journal.\n"
     "  --format=FORMAT with --status: text (a table, the default) or json: one array of\n"
     "                  objects {\"ide\": \"vc6\", \"item\": \"directories\", \"state\": \"in\"}, "
     "one\n"
     "                  per IDE and item, named as --ide and --items name them; state is \"in\",\n"
     "                  \"partly in\", \"not in\" or \"cannot tell\". The heading goes to "
     "standard\n"
     "                  error, so standard output is the JSON alone.\n"
     "  --no-journal    run even when the journal cannot be kept (--undo cannot take it back).\n"
     "  --windows-build FILE\n"
     "                  Linux only: the Windows build (tslkt-integrate.exe) that carries out the\n"
     "                  Help 2 steps; default: tslkt-integrate.exe beside this program.\n"
     "  --help          this text.\n"
     "  --version       print the program's name and version.\n"
     "\n"
     "The options are printed first, as the dialog would show them: [x] ticked, [ ] not ticked,\n"
     "[-] unavailable (what the library or the machine lacks). Then the progress lines are\n"
     "printed on standard output as they are added: a check mark or a cross,\n"
     "a space and the line's text. Messages go to standard error. A question with OK and Cancel\n"
     "(for example to close a running Visual C++) is asked on a terminal; without one it is\n"
     "answered Cancel, so an unattended run never waits.\n"
     "\n"
     "Every change is read back after it is written; one that did not stick fails its step\n"
     "with a message naming the difference. A run that changed anything keeps a journal of\n"
     "its changes under the user's local application data folder and prints where; each\n"
     "change is in the journal before it is made, so a run that is killed or interrupted\n"
     "can be taken back too. Ctrl-C (SIGINT) or SIGTERM stops a run between two changes.\n"
     "\n"
     "Help 2 on Linux: the Help 2 registration service runs only on Windows. When the prefix\n"
     "has it registered (its session class {31411219-A502-11D2-BBCA-00C04F8EC294} has an\n"
     "InprocServer32 under HKEY_CLASSES_ROOT\\CLSID), each IDE's help step is handed to the\n"
     "Windows build, run as `wine tslkt-integrate.exe --ide IDE --items help --yes --no-journal`\n"
     "in the prefix; its lines and messages are shown as this run's. The prefix is let go while\n"
     "it runs and taken back once Wine's server has ended (a few seconds). The journal holds\n"
     "this run's own changes only: --undo does not take Help 2 registrations back, as on\n"
     "Windows. A dry run starts no wine. Without the service the step fails with\n"
     "\"Error: 80040154, (null)\" and the IDE still completes.\n"
     "\n"
     "Exit status: 0 every chosen IDE completed (and for --help, --version); 1 one or more\n"
     "failed, a registry file of the machine cannot be read, or a journal cannot be started\n"
     "or finished; 2 usage error, nothing chosen (\"You need to select at least one item.\"),\n"
     "the run not confirmed, no Wine prefix, or a wineserver running for the prefix; 3 library\n"
     "not found (\"Unable to locate Tessaline installation.\") or its install folder empty;\n"
     "130 interrupted (the journal takes back what the run did).\n"
     "With --undo: 0 everything put back; 1 an item skipped or failed; 2 no journal, or one\n"
     "that is damaged or not ours (nothing is touched).\n"
     "With --remove: as for an integration. With --status: 0 every chosen item of every chosen\n"
     "IDE is in (cannot tell counts as neither); 1 something is missing; 2 usage error or\n"
     "nothing chosen; 3 library not found.\n"},
    {1101, "Try 'tslkt-integrate --help'."},
    {1102, "%s needs a value"},
    {1103, "%s takes no value"},
    {1104, "unknown option %s"},
    {1105, "unknown IDE '%s' in --ide (vc6, net70, net71, vs2005)"},
    {1106, "unknown item '%s' in --items (directories, help, appwizard, skinwizard)"},
    {1107, "%s has characters the Windows code page 1252 cannot hold"},
    {1108, "no Wine prefix at %s (give --prefix DIR or set WINEPREFIX)"},
    {1109, "--prefix is for the Linux build; this program integrates into the Windows it runs on"},
    {1110, "Tessaline Integration Wizard"},
    {1111, "Wine prefix: %s"},
    {1112, "Library: %s"},
    {1113, "the library's install folder is empty; give -p:DIR"},
    {1114, "no terminal to confirm on; give --yes to run"},
    {1115, "Start the integration?"},
    {1116, "integration not started; nothing changed"},
    // The option's label, then why it is unavailable (1119 to 1125).
    {1117, "Not available, left out: %s (%s)"},
    {1118, "  (unavailable)"},
    {1119, "Visual C++ 6.0 is not installed"},
    {1120, "Visual Studio .NET is not installed"},
    {1121, "Visual Studio .NET 2003 is not installed"},
    {1122, "Visual Studio 2005 is not installed"},
    {1123, "the library's Help\\TSLHelp.chm or Help\\TSLHelp.chi is missing"},
    {1124, "the library holds none of its application wizards"},
    {1125, "it needs Visual C++ 6.0 ticked and the library's TSLSkinWizard.awx"},
    {1126, "no terminal to answer on: Cancel"},
    {1127, "[O]K or [C]ancel? "},
    {1128, "--force goes with --undo"},
    {kStrVsNetLibraryNotFound, "Unable to locate Tessaline installation"},
    {kStrNet70NotInstalled, "Unable to locate VS.NET installation"},
    {kStrNet71NotInstalled, "Unable to locate VS.NET 2003 installation"},
    {kStrVs2005NotInstalled, "Unable to locate VS 2005 installation"},
    {kStrVsNetDirectoryNotFound, "Unable to locate VS.NET directory"},
    {kStrVs2005DirectoriesNotImplemented,
     "Setting VS 2005 directories is not implemented yet. Please refer Release Notes how to "
     "update VS 2005 VC++ Directories manually."},
    {kStrVcComponentsNotFound, "Unable to read VS.NET directory registry file"},
    {kStrVcComponentsNotAdded, "Unable to add Tessaline directories to VS.NET"},
    {kStrHelp2Failed, "Unable to integrate help with VS%s. Error: %x, %s"},
    {kStrHelp2Exception, "VS.NET Help integration: Exception occured..."},
    {kStrHelp2HandOverFailed, "The Windows build could not carry out the VS%s Help step: %s"},
    {kStrHelp2HandOverExit, "it ended with exit status %d"},
    {kStrJournalNotOurs, "it is not a journal of tslkt-integrate"},
    {kStrJournalDamaged, "it is damaged (cut short or altered)"},
    {kStrJournalNoLocalAppData,
     "the user's local application data folder is not known (no \"Local AppData\" under "
     "HKEY_CURRENT_USER\\%s)"},
    {kStrJournalNoneEarlier, "no journal of an earlier run in %s"},
    {kStrJournalWritten, "Journal: %s"},
    {kStrJournalUndoHint, "(tslkt-integrate --undo takes this run back)"},
    {kStrJournalNotWritten, "the journal of this run could not be written: %s"},
    {kStrNothingWouldChange, "Nothing would change."},
    {kStrChangesWouldMake, "Changes it would make (nothing was written):"},
    {kStrUndoNothing, "nothing to undo: %s"},
    {kStrUndoCannotRead, "cannot undo from %s: %s; nothing was changed"},
    {kStrUndoHeading, "Undo of the run of %s, library %s"},
    {kStrUndoDryHeading, "Undo (dry run) of the run of %s, library %s"},
    {kStrUndoSkipped, "skipped: %s"},
    {kStrUndoFailed, "failed: %s"},
    {kStrUndoNotUndone, "not undone: %s"},
    {kStrUndoValueName, "%s\\%s  \"%s\""},
    {kStrUndoCannotOpenKey, "%s: cannot open the key (%s)"},
    {kStrUndoAlreadyAsBefore, "%s: already as before the run"},
    {kStrUndoValueChanged, "%s: changed since the run (now \"%s\"); --force puts it back"},
    {kStrUndoValueMissing, "%s: changed since the run (now missing); --force puts it back"},
    {kStrUndoValueNotRemovable,
     "%s: did not exist before the run; the registry service cannot remove a value"},
    {kStrUndoValuePutBack, "%s = \"%s\""},
    {kStrUndoError, "%s: %s"},
    {kStrUndoFileChanged, "%s: changed since the run; --force puts it back"},
    {kStrUndoRemoved, "%s: removed"},
    {kStrUndoFilePutBack, "%s: put back"},
    {kStrUndoFilePutBackWritable, "%s: put back (it was read-only; it is left writable)"},
    {kStrUndoFolderMadeAgain, "%s: made again"},
    {kStrUndoFolderNotEmpty, "%s: the folder is not empty; left in place"},
    {kStrUndoHelpCall,
     "help registration %s: the Help 2 service cannot take it back through this program"},
    {kStrConsoleRegistryUnreadable, "cannot read the registry: %s; nothing was changed"},
    {kStrUndoInterrupted,
     "The run did not finish: interrupted after %s changes. This undo takes back what it did."},
    {kStrJournalCannotStart,
     "the journal of this run cannot be started: %s; nothing was changed (--no-journal runs "
     "without one, and --undo cannot take such a run back)"},
    {kStrConsoleInterrupted,
     "interrupted: the run stopped between two changes; %s records what it did "
     "(tslkt-integrate --undo takes it back)"},
    {kStrWindowBadInstallDir, "%s.\n\n%s"},
    {kStrWindowJournalNotWritten,
     "The integration is done, but its journal could not be written, so tslkt-integrate "
     "--undo cannot take this run back: %s"},
    {kStrHelp2RemovalFailed, "Unable to remove help from VS%s. Error: %x, %s"},
    {kStrRemoveVc6Header, "Removal from Visual C++ 6.0"},
    {kStrRemoveNet70Header, "Removal from VS.NET"},
    {kStrRemoveNet71Header, "Removal from VS.NET 2003"},
    {kStrRemoveVs2005Header, "Removal from VS 2005"},
    {kStrRemoveMsdnLine, "    Remove MSDN entries"},
    {kStrRemoveDirectoriesLine, "    Remove directories"},
    {kStrRemoveAppWizardLine, "    Remove TSLXAppWizard"},
    {kStrRemoveSkinWizardLine, "    Remove TSLSkinWizard"},
    {kStrRemoveVsNetWizardLine, "    Remove TSLXAppWizard from VS%s"},
    {kStrRemoveVsNetDirectoriesLine, "    Remove VS%s directories"},
    {kStrRemoveVsNetHelpLine, "    Remove Tessaline Help from VS%s"},
    {kStrRemovalCompleted, "Removal completed successfully"},
    {kStrRemovalFailed, "Removal failed"},
    {kStrRemoveFileChanged,
     "%s is not the library's copy (it was changed since it was put there); it stays in place."},
    {kStrRemoveFailed, "Can not remove %s (%s). Removal terminated."},
    {kStrRemoveFromListFailed,
     "Can not take %s out of the Visual C++ 6.0 list \"%s\" (%s). Removal terminated."},
    {kStrVcComponentsNotRemoved, "Unable to remove Tessaline directories from VS.NET"},
    {kStrMsdnRemovalFailed, "MSDN removal failure: %s"},
    {kStrRemoveCannotList, "Can not read the library's folder %s. Removal terminated."},
    {kStrNothingToRemove, "Nothing to remove: the library is in none of the chosen IDEs."},
    {kStrConsoleRemoveQuestion, "Start the removal?"},
    {kStrConsoleRemoveNotStarted, "removal not started; nothing changed"},
    {kStrConsoleOptionsClash, "%s and %s do not go together"},
    {kStrConsoleFormatWithoutStatus, "--format goes with --status"},
    {kStrConsoleUnknownFormat, "unknown format '%s' in --format (text, json)"},
    {kStrStatusIn, "in"},
    {kStrStatusPartlyIn, "partly in"},
    {kStrStatusNotIn, "not in"},
    {kStrStatusCannotTell, "cannot tell"},
};

}  // namespace

const StringEntry* StringTable() { return kTable; }
std::size_t StringTableSize() { return sizeof(kTable) / sizeof(kTable[0]); }

const std::string& LoadText(int id) {
  static const std::map<int, std::string> texts = [] {
    std::map<int, std::string> m;
    for (const StringEntry& e : kTable) m.emplace(e.id, e.text);
    return m;
  }();
  static const std::string empty;
  auto it = texts.find(id);
  return it == texts.end() ? empty : it->second;
}

std::string AsSentence(std::string text) {
  // ASCII only: the machine's locale must not decide how a Windows-1252 byte is cased.
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  return text;
}

namespace detail {

std::string FormatRaw(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int needed = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (needed > 0) {
    std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    out.assign(buffer.data(), static_cast<std::size_t>(needed));
  }
  va_end(args);
  return out;
}

}  // namespace detail
}  // namespace integrate
