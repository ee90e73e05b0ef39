// Where the library is installed: the -p:DIR argument or the registry; what the folder may hold.
// Portable: no Win32 here.
#include "integrate/startup.h"

#include "integrate/engine/registry_values.h"
#include "integrate/strings.h"

namespace integrate {

std::string InstallDirFromArguments(const std::vector<std::string>& args) {
  std::string installDir;
  for (const std::string& arg : args) {
    if (arg.size() < 3) continue;
    if ((arg[0] == '-' || arg[0] == '/') && (arg[1] == 'p' || arg[1] == 'P') && arg[2] == ':') {
      installDir = arg.substr(3);
    }
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

}  // namespace integrate
