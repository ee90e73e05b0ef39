// The integration's start-up: COM, the machine behind the change record, the library's folder
// and its check, the journal.
// Portable: no Win32 here.
#include "integrate/startup.h"

#include "integrate/engine/registry_values.h"
#include "integrate/strings.h"
#include "platform/windows_path.h"

namespace integrate {

bool IsInstallDirArgument(const std::string& arg) {
  return arg.size() >= 3 && (arg[0] == '-' || arg[0] == '/') && (arg[1] == 'p' || arg[1] == 'P') &&
         arg[2] == ':';
}

std::string InstallDirFromArguments(const std::vector<std::string>& args) {
  std::string installDir;
  for (const std::string& arg : args) {
    if (IsInstallDirArgument(arg)) installDir = arg.substr(3);
  }
  return installDir;
}

bool CheckInstallDir(const std::string& installDir, std::string* reason) {
  for (const char c : installDir) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == ';' || c == '"' || u < 0x20 || u == 0x7F) {
      *reason =
          "the library's install folder cannot hold ';', '\"' or control characters: "
          "Visual C++ would read it as other folders";
      return false;
    }
  }
  return true;
}

bool LocateInstallDir(const std::vector<std::string>& args, platform::Registry& registry,
                      Owner& owner, std::string* installDir) {
  *installDir = InstallDirFromArguments(args);
  if (!installDir->empty()) return true;
  // The library's installer records where it put the library.
  auto key = registry.OpenKey(platform::RootKey::kLocalMachine, "Software\\Quorvane\\Tessaline",
                              platform::KeyAccess::kRead);
  if (!key || !ReadFixedString(*key, "InstallDir", installDir)) {
    owner.ShowMessage(LoadText(kStrLibraryNotFound), kMbOk);
    return false;
  }
  return true;
}

std::string MessageCaption(const std::string& programPath, const std::string& fallback) {
  std::string name = platform::FileName(programPath);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  return name.empty() ? fallback : name;
}

Session::Session() = default;
Session::~Session() = default;

StartupStatus StartUp(const StartupRequest& request, Owner& owner, Session* session,
                      std::string* reason) {
  session->apartment_ = platform::EnterComApartment();
  platform::Platform real;
  if (!platform::CreatePlatform(request.platform, &real, reason)) {
    return StartupStatus::kNoMachine;
  }
  session->record_ = std::make_unique<platform::ChangeRecord>(std::move(real), request.mode);
  platform::ChangeRecord& record = *session->record_;
  // Some steps name only what failed; the difference a read-back found is shown first.
  record.SetMismatchReporter([&owner](const std::string& text) { owner.ShowMessage(text, kMbOk); });
  if (!request.locateLibrary) return StartupStatus::kStarted;

  platform::Platform& services = record.services();
  // A damaged hive would read as a missing library or IDE; its own reason comes first,
  // before anything is changed.
  for (const platform::RootKey root :
       {platform::RootKey::kLocalMachine, platform::RootKey::kCurrentUser}) {
    if (!services.registry->CheckReadable(root, reason)) {
      return StartupStatus::kRegistryUnreadable;
    }
  }
  std::string& installDir = session->installDir_;
  if (!LocateInstallDir(request.args, *services.registry, owner, &installDir)) {
    return StartupStatus::kNoLibrary;
  }
  // A path typed by the user may be a Unix one; the registry's value is in drive form.
  if (!InstallDirFromArguments(request.args).empty()) {
    installDir = services.files->FromUserPath(installDir);
  }
  if (!CheckInstallDir(installDir, reason)) return StartupStatus::kBadInstallDir;

  if (request.keepJournal && request.mode == platform::ChangeRecord::Mode::kWrite) {
    session->journal_ = std::make_unique<JournalWriter>(record.real(), installDir);
    record.SetSink(session->journal_.get());
  }
  return StartupStatus::kStarted;
}

}  // namespace integrate
