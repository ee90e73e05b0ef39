// The integration program's string table: ids by name, the texts, and printf-style formatting.
// Portable: no Win32 here.
#pragma once

#include <string>
#include <type_traits>

namespace integrate {

/// String-table ids by name. 2 to 46 and 103 to 105 are the program's own table; the
/// texts this program adds for its own messages take ids from kStrOwnFirst up: the
/// engine's from 1000, the console's from 1100, the Visual Studio .NET family's from 1200,
/// the dry run's, the journal's and the undo's from 1300, the Windows dialog program's from 1400,
/// the removal's and the status's from 1500.
enum StringId : int {
  kStrVc6ProductKey = 2,  // DevStudio 6.0 "Microsoft Visual C++" product key
  kStrVc6InstallDirsValue = 3,
  kStrVc6DirectoriesKey = 4,  // Build System ... Win32 (x86)\Directories
  kStrIncludeDirsValue = 5,
  kStrLibraryDirsValue = 6,
  kStrPathDirsValue = 7,
  kStrLibraryName = 8,  // "Tessaline": the include folder under installDir
  kStrLibraryBinFolder = 9,
  kStrMsdevImage = 10,
  kStrCloseVc6Prompt = 11,
  kStrTemplateFolder = 12,
  kStrVc6NotFound = 13,
  kStrDevStudioNotFound = 14,
  kStrCannotCopyFile = 15,
  kStrVc6SharedDirectoriesKey = 16,
  kStrCopyAppWizardLine = 17,
  kStrSetupDirectoriesLine = 18,
  kStrIntegrationCompleted = 19,
  kStrIntegrationFailed = 20,
  kStrClose = 21,
  kStrCopySkinWizardLine = 22,
  kStrServicePackWarning = 23,
  kStrSelectAtLeastOne = 24,
  kStrMsdnIntegrationLine = 25,
  kStrLibraryNotFound = 31,
  kStrCloseVsNetPrompt = 33,
  kStrSetupNet70DirectoriesLine = 34,
  kStrCopyNet70WizardLine = 35,
  kStrVc6Header = 36,
  kStrNet70Header = 37,
  kStrNet71Header = 38,
  kStrCopyNet71WizardLine = 39,
  kStrSetupNet71DirectoriesLine = 40,
  kStrVsNetVersionNotFound = 41,
  kStrVsNetHelpLine = 42,
  kStrVs2005Header = 44,
  kStrCopyVs2005WizardLine = 45,
  kStrDocCompilationEntry = 103,
  kStrCollectionFolder = 104,
  kStrDocCompilationHeader = 105,
  kStrOwnFirst = 1000,
  kStrMsdnFileNotFound = kStrOwnFirst,
  kStrMsdnLocationNotFound = 1001,
  kStrMsdnCollectionInfoNotFound = 1002,
  kStrMsdnBackupFailed = 1003,
  kStrMsdnDataFilesNotModified = 1004,
  kStrMsdnCollectionEntryNotModified = 1005,
  kStrCannotWriteDirectoriesBackup = 1006,
  kStrOldIncludeDirectories = 1007,  // headings of the directories.txt backup
  kStrOldLibraryDirectories = 1008,
  kStrConsoleUsage = 1100,
  kStrConsoleTryHelp = 1101,
  kStrConsoleNeedsValue = 1102,
  kStrConsoleTakesNoValue = 1103,
  kStrConsoleUnknownOption = 1104,
  kStrConsoleUnknownIde = 1105,
  kStrConsoleUnknownItem = 1106,
  kStrConsoleNotWindows1252 = 1107,
  kStrConsoleNoPrefix = 1108,
  kStrConsolePrefixOnWindows = 1109,
  kStrConsoleTitle = 1110,
  kStrConsoleWinePrefix = 1111,
  kStrConsoleLibrary = 1112,
  kStrConsoleEmptyInstallDir = 1113,
  kStrConsoleNoTerminalToConfirm = 1114,
  kStrConsoleStartQuestion = 1115,
  kStrConsoleNotStarted = 1116,
  kStrConsoleLeftOut = 1117,
  kStrConsoleUnavailable = 1118,
  kStrConsoleNoVc6 = 1119,  // why an option is unavailable, 1119 to 1125
  kStrConsoleNoNet70 = 1120,
  kStrConsoleNoNet71 = 1121,
  kStrConsoleNoVs2005 = 1122,
  kStrConsoleNoHelpFiles = 1123,
  kStrConsoleNoAppWizard = 1124,
  kStrConsoleNoSkinWizard = 1125,
  kStrConsoleNoTerminalCancel = 1126,
  kStrConsoleOkOrCancel = 1127,
  kStrConsoleForceWithoutUndo = 1128,
  // The Visual Studio .NET family's own messages.
  kStrVsNetLibraryNotFound = 1200,  // no period, unlike 31
  kStrNet70NotInstalled,
  kStrNet71NotInstalled,
  kStrVs2005NotInstalled,
  kStrVsNetDirectoryNotFound,
  kStrVs2005DirectoriesNotImplemented,
  kStrVcComponentsNotFound,
  kStrVcComponentsNotAdded,
  kStrHelp2Failed,  // display name, status (hex), description or "(null)"
  kStrHelp2Exception,
  kStrHelp2HandOverFailed,  // display name, the reason
  kStrHelp2HandOverExit,    // the exit status
  // The dry run, the journal and the undo.
  kStrJournalNotOurs = 1300,
  kStrJournalDamaged,
  kStrJournalNoLocalAppData,  // the Shell Folders key
  kStrJournalNoneEarlier,     // the journal folder
  kStrJournalWritten,         // the journal's path
  kStrJournalUndoHint,
  kStrJournalNotWritten,  // the reason
  kStrNothingWouldChange,
  kStrChangesWouldMake,
  kStrUndoNothing,     // the reason
  kStrUndoCannotRead,  // journal, reason
  kStrUndoHeading,     // time, library
  kStrUndoDryHeading,  // time, library
  kStrUndoSkipped,     // an item's text, after its mark
  kStrUndoFailed,
  kStrUndoNotUndone,
  kStrUndoValueName,        // root, key, value name
  kStrUndoCannotOpenKey,    // value, reason
  kStrUndoAlreadyAsBefore,  // value, file or folder
  kStrUndoValueChanged,     // value, its content now
  kStrUndoValueMissing,
  kStrUndoValueNotRemovable,
  kStrUndoValuePutBack,  // value, its content before
  kStrUndoError,         // value, file or folder; reason
  kStrUndoFileChanged,
  kStrUndoRemoved,  // file or folder
  kStrUndoFilePutBack,
  kStrUndoFilePutBackWritable,
  kStrUndoFolderMadeAgain,
  kStrUndoFolderNotEmpty,
  kStrUndoHelpCall,               // the call
  kStrConsoleRegistryUnreadable,  // the reason
  kStrUndoInterrupted,            // how many changes the run began
  kStrJournalCannotStart,         // the reason
  kStrConsoleInterrupted,         // the journal's path
  // The Windows dialog program's own messages.
  kStrWindowBadInstallDir = 1400,  // the reason, then the folder
  kStrWindowJournalNotWritten,     // the reason
  // Taking the library out (--remove) and where it stands (--status).
  kStrHelp2RemovalFailed = 1500,  // display name, status (hex), description or "(null)"
  kStrRemoveVc6Header,
  kStrRemoveNet70Header,
  kStrRemoveNet71Header,
  kStrRemoveVs2005Header,
  kStrRemoveMsdnLine,
  kStrRemoveDirectoriesLine,
  kStrRemoveAppWizardLine,
  kStrRemoveSkinWizardLine,
  kStrRemoveVsNetWizardLine,       // display name
  kStrRemoveVsNetDirectoriesLine,  // display name
  kStrRemoveVsNetHelpLine,         // display name
  kStrRemovalCompleted,
  kStrRemovalFailed,
  kStrRemoveFileChanged,     // the file
  kStrRemoveFailed,          // file or folder, the reason
  kStrRemoveFromListFailed,  // folder, list, the reason
  kStrVcComponentsNotRemoved,
  kStrMsdnRemovalFailed,  // the reason
  kStrRemoveCannotList,   // the library's folder
  kStrNothingToRemove,
  kStrConsoleRemoveQuestion,
  kStrConsoleRemoveNotStarted,
  kStrConsoleOptionsClash,  // two options
  kStrConsoleFormatWithoutStatus,
  kStrConsoleUnknownFormat,  // the format
  kStrStatusIn,
  kStrStatusPartlyIn,
  kStrStatusNotIn,
  kStrStatusCannotTell,
};

/// The identifier under which the library's HTML Help title is registered in hhcolreg.dat; the
/// collection file's folder refers to it as "=" + identifier.
constexpr char kCompilationId[] = "{764DA86D-1460-41f1-80BD-2C2F06C0B473}";

/// The key IsVc6Installed tries when kStrVc6ProductKey does not open: Visual Studio's own
/// record of a Visual C++ 6.0 setup.
constexpr char kVc6SetupKey[] =
    "SOFTWARE\\Microsoft\\VisualStudio\\6.0\\Setup\\Microsoft Visual C++";

/// The integration program's string table: every user-visible text by its id, as 8-bit
/// Windows-1252 bytes. One table so the console and the Win32 resource script agree.
struct StringEntry {
  int id;
  const char* text;
};

/// All entries in id order.
const StringEntry* StringTable();
std::size_t StringTableSize();

/// The text with that id; an empty string for an id the table does not hold.
const std::string& LoadText(int id);

namespace detail {
std::string FormatRaw(const char* format, ...);
inline const char* FormatArg(const std::string& s) { return s.c_str(); }
template <typename T>
T FormatArg(T value) {
  static_assert(std::is_arithmetic<T>::value || std::is_same<T, const char*>::value,
                "printf-style arguments only");
  return value;
}
}  // namespace detail

/// printf-style formatting of a table text ("%s", "%d", "%x"); std::string arguments are
/// passed as their characters.
template <typename... Args>
std::string Format(const std::string& format, const Args&... args) {
  return detail::FormatRaw(format.c_str(), detail::FormatArg(args)...);
}

/// Format with the string-table text of `id` as the format.
template <typename... Args>
std::string FormatText(int id, const Args&... args) {
  return Format(LoadText(id), args...);
}

/// The text with a capital first letter: a reason the console prints after the program's
/// name ("tslkt-integrate: the library's ...") opens a message box as a sentence does.
std::string AsSentence(std::string text);

}  // namespace integrate
