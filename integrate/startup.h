// The integration's start-up, the same for every front end: COM, the machine behind the change
// record, where the library is installed (the -p:DIR argument or the registry), what the folder
// may hold, and the run's journal.
// Portable: no Win32 here.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "integrate/journal.h"
#include "integrate/owner.h"
#include "platform/change_record.h"
#include "platform/com.h"
#include "platform/platform.h"
#include "platform/registry.h"

namespace integrate {

/// Whether `arg` names the library's install directory ("-p:DIR", "/P:DIR"), so that the
/// console's options never take it as their value.
bool IsInstallDirArgument(const std::string& arg);

/// The install directory a "-p:DIR" or "/P:DIR" argument gives (the last one wins; "-p:"
/// alone gives ""); "" when no argument gives one. Arguments exclude the program name.
std::string InstallDirFromArguments(const std::vector<std::string>& args);

/// Whether the install folder can go into the places the integration writes it: the IDE
/// reads "Include Dirs" and the other lists as ';'-separated folders and hhcolreg.dat holds it
/// in a quoted XML attribute, so a ';', a '"' or a control character would turn it into other
/// folders or break the file. False with the reason, before anything is changed.
[[nodiscard]] bool CheckInstallDir(const std::string& installDir, std::string* reason);

/// Where the library is installed: the argument, else the "InstallDir" value the library's
/// installer wrote under HKLM. False after message 31 when neither gives it; an empty
/// registry value is not an error (the dialog then disables OK).
[[nodiscard]] bool LocateInstallDir(const std::vector<std::string>& args, platform::Registry& registry,
                      Owner& owner, std::string* installDir);

/// The caption of the program's message boxes: its file's base name without the extension,
/// since the string table holds no title of its own; `fallback` when the path names none.
std::string MessageCaption(const std::string& programPath, const std::string& fallback);

/// What a front end asks of the start-up.
struct StartupRequest {
  platform::PlatformOptions platform;  ///< the machine to work on
  platform::ChangeRecord::Mode mode = platform::ChangeRecord::Mode::kWrite;
  std::vector<std::string> args;  ///< the program's arguments; a -p:DIR among them counts
  bool locateLibrary = true;      ///< false: the machine only (an undo needs no library)
  bool keepJournal = true;        ///< a real run notes each change in its journal first
};

/// Where the start-up stopped. Each front end tells it its own way (a line on standard
/// error, a message box), so the reason comes back rather than being shown here.
enum class StartupStatus {
  kStarted,
  kNoMachine,           ///< the platform's services cannot be had; the reason says why
  kRegistryUnreadable,  ///< a registry hive cannot be read; the reason says why
  kNoLibrary,           ///< message 31 has been shown
  kBadInstallDir,       ///< the install folder cannot go where the IDEs read it; the reason
};

/// What a run works on once started. COM is held for the Help 2 service from the first step
/// to the last, and left after everything else is gone.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  /// The change record over the machine; its services() go to the system's own code.
  platform::ChangeRecord& record() { return *record_; }
  /// The library's install folder as the run uses it; empty when none was asked for.
  const std::string& installDir() const { return installDir_; }
  /// The run's journal, already the record's sink; null when none is kept (a dry run, an
  /// undo, a run told to go without one). It starts with the first change, or earlier when
  /// a front end calls Start() to learn before the run that it cannot be kept.
  JournalWriter* journal() { return journal_.get(); }

 private:
  friend StartupStatus StartUp(const StartupRequest& request, Owner& owner, Session* session,
                               std::string* reason);
  std::unique_ptr<platform::ComApartment> apartment_;  // first in, last out
  std::unique_ptr<platform::ChangeRecord> record_;
  std::string installDir_;
  std::unique_ptr<JournalWriter> journal_;
};

/// The start-up both front ends run, in this order: COM, the platform's services, the change
/// record (differences a read-back finds go to the owner's box), the registry's hives checked,
/// the install folder located (a Unix path typed by the user taken to its drive form) and
/// checked, the journal. Stops at the first step that fails, with the reason.
[[nodiscard]] StartupStatus StartUp(const StartupRequest& request, Owner& owner, Session* session,
                                    std::string* reason);

}  // namespace integrate
