// The Wine prefix platform: the prefix opened and locked, its services made; no COM, and Help 2
// only through the Windows build.
// A Wine prefix seen from Linux: no Wine code runs here.
#include <memory>

#include "platform/com.h"
#include "platform/platform.h"
#include "platform/wine/pe_version.h"
#include "platform/wine/prefix.h"
#include "platform/wine/server_lock.h"
#include "platform/wine/wine_files.h"
#include "platform/wine/wine_registry.h"
#include "platform/wine/wine_services.h"

namespace platform {
namespace {

constexpr std::int32_t kClassNotRegistered = static_cast<std::int32_t>(0x80040154);

// The Help 2 runtime is a set of COM servers that only run on Windows; from Linux the
// service is absent, exactly as on a machine without the IDEs' help installed. Where the
// prefix has it, the step is handed to the Windows build instead.
class AbsentHelp2Service : public Help2Service {
 public:
  Help2Status CreateSession(std::unique_ptr<Help2Session>* out) override {
    out->reset();
    Help2Status status;
    status.code = kClassNotRegistered;
    return status;
  }
};

}  // namespace

// From Linux no COM object is ever created: the apartment is nothing.
std::unique_ptr<ComApartment> EnterComApartment() { return std::make_unique<ComApartment>(); }

bool CreatePlatform(const PlatformOptions& options, Platform* out, std::string* error) {
  std::shared_ptr<const wine::Prefix> prefix;
  if (!wine::Prefix::Open(options.wine_prefix, &prefix, error)) return false;
  Platform platform;
  std::shared_ptr<wine::PrefixLock> held;
  if (options.writes_registry) {
    // Held to the end of the run: a second run waits here for the first, and no wineserver
    // can start between our check and our last write.
    std::unique_ptr<wine::PrefixLock> lock;
    if (!wine::PrefixLock::Acquire(prefix->Dir(), &lock, error)) return false;
    held = std::move(lock);
    platform.held = held;
  } else if (options.reads_current_registry) {
    wine::ServerStatus server;
    if (!wine::FindRunningServer(prefix->Dir(), &server, error)) return false;
    if (server.running) {
      *error = wine::ServerHoldsNewerMessage(prefix->Dir(), server);
      return false;
    }
  }
  // The hive files are read when first needed; a broken one is reported by that call.
  platform.registry = wine::NewWineRegistry(prefix->Dir());
  platform.files = std::make_unique<wine::WineFileSystem>(prefix);
  platform.processes = wine::NewWineProcesses(platform.registry.get(), prefix->Dir());
  platform.versions = std::make_unique<wine::PeVersionResources>(prefix);
  platform.shell = wine::NewWineShellCopy(prefix);
  platform.help2 = std::make_unique<AbsentHelp2Service>();
  // The Windows build writes the registry through Wine: only a run holding the prefix can
  // let Wine in and take the prefix back after.
  if (held && !options.windows_build.empty()) {
    platform.help2_handover =
        wine::NewWineHelp2HandOver(*platform.registry, prefix->Dir(),
                                   options.windows_build, std::move(held));
  }
  *out = std::move(platform);
  return true;
}

}  // namespace platform
